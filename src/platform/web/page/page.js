// The page: keeps the settings, hands the chosen image and a Velmo.ini to
// the worker, shows the log as it comes and offers what a run made.
'use strict';
(() => {
  const $ = (id) => document.getElementById(id);
  const form = $('settings');
  const imageInput = $('image');
  const button = $('randomise');
  const logView = $('log');
  const levelCount = 21;
  const switchKeys = ['RandomiseStartingWeapons', 'RandomiseGuardTypes', 'RandomiseGuardWeapons',
    'AddNemesis', 'RandomiseKeys', 'RandomiseCubaBody'];
  const flagKeys = [...switchKeys, 'SpoilerLog', 'TraceLogging'];
  const storageKey = 'velmo.settings';
  const countKey = 'velmo.RandomisedROMs';
  // Console attributes and the colour class of each.
  const colourClass = {7: 'grey', 10: 'green', 12: 'red', 13: 'magenta', 14: 'yellow', 15: 'white'};

  let chosenFile = null;
  let worker = null;
  let running = false;
  let levelsSeen = 0;
  let errorLines = [];
  let downloadUrls = [];

  // Storage may be switched off; the page then simply forgets.
  const storage = {
    get(key) { try { return localStorage.getItem(key); } catch (error) { return null; } },
    set(key, value) { try { localStorage.setItem(key, value); } catch (error) { /* kept for this visit only */ } },
  };

  function loadSettings() {
    let saved = {};
    try { saved = JSON.parse(storage.get(storageKey) || '{}'); } catch (error) { saved = {}; }
    if (typeof saved.Seed === 'string') form.elements.Seed.value = saved.Seed;
    for (const key of flagKeys) {
      if (typeof saved[key] === 'boolean') form.elements[key].checked = saved[key];
    }
  }

  function saveSettings() {
    const saved = {Seed: form.elements.Seed.value};
    for (const key of flagKeys) saved[key] = form.elements[key].checked;
    storage.set(storageKey, JSON.stringify(saved));
  }

  function randomisedCount() {
    const count = Number.parseInt(storage.get(countKey) || '0', 10);
    return Number.isFinite(count) && count >= 0 ? count : 0;
  }

  function showCount() {
    const count = randomisedCount();
    $('count').textContent = count === 0 ? '' :
      `Images randomised in this browser: ${count}`;
  }

  // The Velmo.ini of one run: the shipped file's keys with the form's values.
  // The emulator database goes to a file of the worker's own, which the page
  // then offers, and every common dump is turned into big-endian order.
  function settingsFile() {
    const flag = (key) => (form.elements[key].checked ? '1' : '0');
    const lines = [
      `TraceLogging=${flag('TraceLogging')}`,
      'UpdatePJ64=1',
      'PJ64RDBFile=Project64.rdb',
      `RandomisedROMs=${randomisedCount()}`,
      `SpoilerLog=${flag('SpoilerLog')}`,
      `Seed=${form.elements.Seed.value}`,
      ...switchKeys.map((key) => `${key}=${flag(key)}`),
      'ConvertByteOrder=1',
    ];
    return `${lines.join('\n')}\n`;
  }

  function chooseFile(file) {
    if (!file) return;
    chosenFile = file;
    $('chosen').textContent = `Chosen: ${file.name} (${(file.size / 1048576).toFixed(1)} MiB)`;
    setStatus('');
  }

  function setStatus(text) {
    $('status').textContent = text;
  }

  function setProgress(done, text) {
    $('progress').value = done;
    $('progress-label').textContent = text;
  }

  function appendLine(pieces) {
    const line = document.createElement('span');
    line.className = 'line';
    for (const [attribute, text] of pieces) {
      const piece = document.createElement('span');
      piece.className = colourClass[attribute] || 'grey';
      piece.textContent = text;
      line.append(piece);
    }
    line.append('\n');
    logView.append(line);
    logView.scrollTop = logView.scrollHeight;
    followProgress(pieces.map((piece) => piece[1]).join(''));
  }

  function followProgress(text) {
    const level = /^INFO Inspecting (.+)\.\.\. ?$/.exec(text);
    if (level) {
      levelsSeen += 1;
      setProgress(levelsSeen - 1, `Level ${levelsSeen} of ${levelCount}: ${level[1]}`);
    }
    if (text.startsWith('ERROR ')) errorLines.push(text);
  }

  function link(id, name, bytes, type) {
    const url = URL.createObjectURL(new Blob([bytes], {type}));
    downloadUrls.push(url);
    const anchor = $(id);
    anchor.href = url;
    anchor.download = name;
    anchor.textContent = `Download ${name}`;
  }

  function clearResult() {
    for (const url of downloadUrls) URL.revokeObjectURL(url);
    downloadUrls = [];
    for (const id of ['image-download', 'spoiler-download', 'database-download']) {
      $(id).removeAttribute('href');
      $(id).removeAttribute('download');
    }
    $('result').hidden = true;
    $('success').hidden = true;
    $('failure').hidden = true;
    $('spoiler-box').hidden = true;
    $('spoiler-box').open = false;
    $('spoiler').textContent = '';
    $('database').value = '';
    $('game-entry').value = '';
    $('image-section-box').open = false;
    $('run-stats').textContent = '';
  }

  // The stem of a file name: all before its last ".".
  const stemOf = (name) => (name.includes('.') ? name.slice(0, name.lastIndexOf('.')) : name);

  function showSuccess(result) {
    $('seed').textContent = String(result.seed);
    $('replay').dataset.seed = String(result.seed);
    link('image-download', result.outputName, result.image, 'application/octet-stream');
    if (result.spoiler !== null) {
      $('spoiler-box').hidden = false;
      $('spoiler').textContent = result.spoiler;
      link('spoiler-download', result.spoilerName, result.spoiler, 'text/plain;charset=utf-8');
    }
    $('game-entry').value = result.gameEntry || '';
    $('database').value = result.database || '';
    link('database-download', `${stemOf(result.outputName)}_Project64_entry.txt`,
      result.database || '', 'text/plain;charset=utf-8');
    $('success').hidden = false;
    setProgress(levelCount, `All ${levelCount} levels randomised`);
  }

  function showFailure(lines) {
    $('failure-lines').textContent = lines.join('\n');
    $('failure').hidden = false;
    setProgress($('progress').value, levelsSeen === 0 ? 'Stopped before the levels' :
      `Stopped at level ${levelsSeen} of ${levelCount}`);
  }

  function finish(result) {
    running = false;
    button.disabled = false;
    $('result').hidden = false;
    if (result.settings) {
      const count = /^RandomisedROMs=(\d+)$/m.exec(result.settings);
      if (count) storage.set(countKey, count[1]);
      showCount();
    }
    if (result.succeeded && result.image) {
      showSuccess(result);
      setStatus('Done.');
    } else {
      showFailure(errorLines);
      setStatus('Refused: see the ERROR lines.');
    }
    const stats = $('run-stats');
    stats.textContent = `The run took ${result.seconds.toFixed(2)} s in ` +
      `${(result.memoryBytes / 1048576).toFixed(0)} MiB of WebAssembly memory.`;
    stats.dataset.seconds = String(result.seconds);
    stats.dataset.memoryBytes = String(result.memoryBytes);
    stats.dataset.heapTop = String(result.heapTop);
  }

  // A worker that stopped (out of memory, say) is replaced for the next run.
  function crashed(message) {
    worker.terminate();
    worker = null;
    appendLine([[12, 'ERROR '], [7, `The browser stopped the run: ${message}`]]);
    running = false;
    button.disabled = false;
    $('result').hidden = false;
    showFailure(errorLines);
    setStatus('Stopped: see the ERROR lines.');
  }

  function startWorker() {
    const source = new Blob([$('worker-source').textContent], {type: 'text/javascript'});
    const url = URL.createObjectURL(source);
    worker = new Worker(url);
    URL.revokeObjectURL(url);
    worker.onmessage = (event) => {
      const message = event.data;
      if (message.type === 'line') appendLine(message.pieces);
      else if (message.type === 'finished') finish(message);
      else if (message.type === 'crashed') crashed(message.message);
    };
    worker.onerror = (event) => {
      event.preventDefault();
      crashed(event.message || 'the worker failed');
    };
  }

  async function randomise(event) {
    event.preventDefault();
    if (running) return;
    if (!chosenFile) {
      setStatus('Choose your image first (step 1).');
      imageInput.focus();
      return;
    }
    saveSettings();
    running = true;
    button.disabled = true;
    clearResult();
    logView.textContent = '';
    levelsSeen = 0;
    errorLines = [];
    setProgress(0, 'Starting');
    setStatus(`Randomising ${chosenFile.name}…`);
    let image;
    try {
      image = await chosenFile.arrayBuffer();
    } catch (error) {
      running = false;
      button.disabled = false;
      setStatus(`Could not read ${chosenFile.name}: ${error.message}`);
      return;
    }
    if (!worker) startWorker();
    worker.postMessage({imageName: chosenFile.name, image, settings: settingsFile()}, [image]);
  }

  async function copyText(text, from) {
    try {
      await navigator.clipboard.writeText(text);
    } catch (error) {
      // Older browsers: copy what is selected.
      const range = document.createRange();
      range.selectNodeContents(from);
      getSelection().removeAllRanges();
      getSelection().addRange(range);
      document.execCommand('copy');
    }
  }

  form.addEventListener('submit', randomise);
  form.addEventListener('change', saveSettings);
  imageInput.addEventListener('change', () => chooseFile(imageInput.files[0]));
  for (const type of ['dragenter', 'dragover']) {
    document.addEventListener(type, (event) => {
      event.preventDefault();
      $('drop-zone').classList.add('dragging');
    });
  }
  document.addEventListener('dragleave', () => $('drop-zone').classList.remove('dragging'));
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    $('drop-zone').classList.remove('dragging');
    chooseFile(event.dataTransfer.files[0]);
  });
  $('replay').addEventListener('click', () => {
    form.elements.Seed.value = $('replay').dataset.seed;
    saveSettings();
    setStatus('Seed set: Randomise makes this game again.');
  });
  $('copy-log').addEventListener('click', () => copyText(logView.textContent, logView));
  $('copy-game-entry').addEventListener('click',
    () => copyText($('game-entry').value, $('game-entry')));
  $('copy-database').addEventListener('click', () => copyText($('database').value, $('database')));

  loadSettings();
  showCount();
  if (imageInput.files.length > 0) chooseFile(imageInput.files[0]);
})();
