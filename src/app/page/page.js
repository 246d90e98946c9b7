// The page: keeps the settings, hands the chosen image (or an image and a
// patch) and a Velmo.ini to the worker, shows the log as it comes and offers
// what a run made. Pasted share codes are read by the worker's module.
'use strict';
(() => {
  const $ = (id) => document.getElementById(id);
  const form = $('settings');
  const imageInput = $('image');
  const button = $('randomise');
  const patchForm = $('patching');
  const shareField = $('share-code');
  const logView = $('log');
  const levelCount = 21;
  const switchKeys = ['RandomiseStartingWeapons', 'RandomiseGuardTypes', 'RandomiseGuardWeapons',
    'AddNemesis', 'RandomiseKeys', 'RandomiseCubaBody'];
  const flagKeys = [...switchKeys, 'SpoilerLog', 'TraceLogging', 'WritePatch'];
  const storageKey = 'velmo.settings';
  const countKey = 'velmo.RandomisedROMs';
  // Console attributes and the colour class of each.
  const colourClass = {7: 'grey', 10: 'green', 12: 'red', 13: 'magenta', 14: 'yellow', 15: 'white'};
  // The largest cartridge holds 64 MiB; a larger file is no image.
  const imageLimit = 64 * 1048576;

  let chosenFile = null;
  let chosenBytes = null;  // the chosen file's reading, started when it was chosen
  const patchFiles = {image: null, patch: null};  // what the patch panel has
  let runKind = 'randomise';  // or 'patch': which panel started the run
  // Settles once the worker has read the code the field holds, so that a run
  // started right after a paste has the code's settings.
  let shareCodeReading = null;
  let shareCodeRead = () => {};
  let clickedAt = 0;  // when the player asked for the run, on the page's clock
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
      `WritePatch=${flag('WritePatch')}`,
    ];
    return `${lines.join('\n')}\n`;
  }

  function chooseFile(file) {
    if (!file) return;
    chosenFile = file;
    chosenBytes = null;
    readAhead();
    $('chosen').textContent = `Chosen: ${file.name} (${mebibytesRoundedUp(file.size)} MiB)`;
    setStatus('');
  }

  // The file is read while the player still sets up the run. The reading
  // settles either way, so that a file the browser cannot read is reported
  // only when it is used.
  function readAhead() {
    if (!chosenFile || chosenFile.size > imageLimit) return;
    chosenBytes = chosenFile.arrayBuffer().then((bytes) => ({bytes}), (error) => ({error}));
  }

  // The size in MiB, rounded up to hundredths so that a file just above the
  // limit never shows as the limit itself.
  function mebibytesRoundedUp(bytes) {
    return String(Math.ceil(bytes / 1048576 * 100) / 100);
  }

  // Said in the panel that started the run.
  function setStatus(text, kind = runKind) {
    $(kind === 'patch' ? 'patch-status' : 'status').textContent = text;
  }

  function setProgress(done, text) {
    $('progress').value = done;
    $('progress-label').textContent = text;
  }

  // The worker's lines come in batches: each batch is laid out once.
  function appendLines(lines) {
    const batch = document.createDocumentFragment();
    for (const pieces of lines) {
      const line = document.createElement('span');
      line.className = 'line';
      for (const [attribute, text] of pieces) {
        const piece = document.createElement('span');
        piece.className = colourClass[attribute] || 'grey';
        piece.textContent = text;
        line.append(piece);
      }
      line.append('\n');
      batch.append(line);
      followProgress(pieces.map((piece) => piece[1]).join(''));
    }
    logView.append(batch);
    logView.scrollTop = logView.scrollHeight;
  }

  function followProgress(text) {
    if (text.startsWith('ERROR ')) errorLines.push(text);
    if (runKind !== 'randomise') return;
    const level = /^INFO Inspecting (.+)\.\.\. ?$/.exec(text);
    if (level) {
      levelsSeen += 1;
      setProgress(levelsSeen - 1, `Level ${levelsSeen} of ${levelCount}: ${level[1]}`);
    }
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
    for (const id of ['image-download', 'patch-download', 'spoiler-download', 'database-download']) {
      $(id).removeAttribute('href');
      $(id).removeAttribute('download');
    }
    $('result').hidden = true;
    $('success').hidden = true;
    $('failure').hidden = true;
    $('patch-line').hidden = true;
    $('spoiler-box').hidden = true;
    $('spoiler-box').open = false;
    $('spoiler').textContent = '';
    $('database').value = '';
    $('game-entry').value = '';
    $('image-section-box').open = false;
    $('run-stats').textContent = '';
    for (const id of ['share-code-made', 'hash-words', 'hash-crc']) $(id).textContent = '';
  }

  // The stem of a file name: all before its last ".".
  const stemOf = (name) => (name.includes('.') ? name.slice(0, name.lastIndexOf('.')) : name);

  function showSuccess(result) {
    const patched = result.kind === 'patch';
    $('success-title').textContent = patched ? 'Your game from the patch' : 'Your new game';
    $('seed-line').hidden = patched;
    $('seed').textContent = String(result.seed);
    $('replay').dataset.seed = String(result.seed);
    $('share-line').hidden = result.shareCode === '';
    $('share-code-made').textContent = result.shareCode;
    $('game-hash').hidden = result.hashWords === '';
    $('hash-words').textContent = result.hashWords;
    $('hash-crc').textContent = result.hashCrc;
    link('image-download', result.outputName, result.image, 'application/octet-stream');
    if (result.patch !== null) {
      $('patch-line').hidden = false;
      link('patch-download', result.patchName, result.patch, 'application/octet-stream');
    }
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
    if (!patched) setProgress(levelCount, `All ${levelCount} levels randomised`);
  }

  function showFailure(lines) {
    $('failure-lines').textContent = lines.join('\n');
    $('failure').hidden = false;
    if (runKind !== 'randomise') return;
    setProgress($('progress').value, levelsSeen === 0 ? 'Stopped before the levels' :
      `Stopped at level ${levelsSeen} of ${levelCount}`);
  }

  function setRunning(isRunning) {
    running = isRunning;
    button.disabled = isRunning;
    $('apply-patch').disabled = isRunning;
  }

  function finish(result) {
    setRunning(false);
    $('result').hidden = false;
    if (result.settings) {
      const count = /^RandomisedROMs=(\d+)$/m.exec(result.settings);
      if (count) storage.set(countKey, count[1]);
      showCount();
    }
    if (result.memoryShortfall) {
      showPageFault(`The browser ran out of memory while randomising: ${result.memoryShortfall}`);
    } else if (result.succeeded && result.image) {
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
    // From the click until the result is in the page.
    stats.dataset.secondsFromClick = String((performance.now() - clickedAt) / 1000);
    if (!chosenBytes) readAhead();
  }

  // A fault of the page or the browser, never of the image: said as such.
  function showPageFault(text) {
    $('result').hidden = false;
    showFailure([text]);
    setStatus(text);
  }

  // A worker that stopped a run (out of memory, say) is replaced at once, so
  // that the next run finds its module ready; one that could not even start
  // is tried again at the next click.
  function crashed(message, memoryShortfall) {
    if (worker) worker.terminate();
    worker = null;
    forgetShareCodeReading();
    delete form.dataset.ready;
    if (!running) return;
    startWorker();
    setRunning(false);
    showPageFault(memoryShortfall ?
      `The browser ran out of memory while randomising: ${memoryShortfall}` :
      `The browser stopped the run: ${message}`);
    if (!chosenBytes) readAhead();
  }

  function startWorker() {
    const source = new Blob([$('worker-source').textContent], {type: 'text/javascript'});
    const url = URL.createObjectURL(source);
    worker = new Worker(url);
    URL.revokeObjectURL(url);
    worker.onmessage = (event) => {
      const message = event.data;
      if (message.type === 'lines') appendLines(message.lines);
      else if (message.type === 'finished') finish(message);
      else if (message.type === 'crashed') crashed(message.message, message.memoryShortfall);
      else if (message.type === 'shareCode') takeShareCode(message.text, message.answer);
      else if (message.type === 'ready') form.dataset.ready = 'yes';
    };
    worker.onerror = (event) => {
      event.preventDefault();
      crashed(event.message || 'the worker failed');
    };
  }

  async function randomise(event) {
    event.preventDefault();
    if (running) return;
    if (shareCodeReading) {
      await shareCodeReading;
      if (running) return;
    }
    clickedAt = event.timeStamp;
    if (!chosenFile) {
      setStatus('Choose your image first (step 1).');
      imageInput.focus();
      return;
    }
    saveSettings();
    startRun('randomise');
    // Refused before it is read: no cartridge is that large.
    if (chosenFile.size > imageLimit) {
      setStatus(`This file is [${mebibytesRoundedUp(chosenFile.size)}] MiB; ` +
        'a cartridge image is at most 64 MiB');
      return;
    }
    setRunning(true);
    setProgress(0, 'Starting');
    setStatus(`Randomising ${chosenFile.name}…`);
    if (!chosenBytes) readAhead();
    if (!worker) startWorker();
    const {bytes, error} = await chosenBytes;
    // The bytes go to the worker: the next run reads the file again.
    chosenBytes = null;
    if (error) {
      setRunning(false);
      showPageFault(`The browser could not read ${chosenFile.name}: ${error.message}`);
      return;
    }
    worker.postMessage({kind: 'randomise', files: [{name: chosenFile.name, bytes}],
      settings: settingsFile()}, [bytes]);
  }

  // A run of either panel starts from an empty result and log.
  function startRun(kind) {
    runKind = kind;
    setStatus('', 'randomise');
    setStatus('', 'patch');
    clearResult();
    logView.textContent = '';
    levelsSeen = 0;
    errorLines = [];
    setProgress(0, 'Levels');
  }

  function showPatchFiles() {
    const named = (file) => (file ? `${file.name} (${mebibytesRoundedUp(file.size)} MiB)` : 'none yet');
    $('patch-chosen').textContent = `Image: ${named(patchFiles.image)}; patch: ${named(patchFiles.patch)}`;
  }

  // Files dropped on the patch panel: a .bps name is taken for the patch, any
  // other for the image (the run itself tells them apart by their contents).
  function dropPatchFiles(files) {
    for (const file of files) {
      patchFiles[/\.bps$/i.test(file.name) ? 'patch' : 'image'] = file;
    }
    showPatchFiles();
  }

  // Reads both files, then has the worker apply the patch to the image.
  async function applyPatch(event) {
    event.preventDefault();
    if (running) return;
    clickedAt = event.timeStamp;
    const {image, patch} = patchFiles;
    if (!image || !patch) {
      setStatus('Choose your image and the patch first.', 'patch');
      return;
    }
    saveSettings();
    startRun('patch');
    if (image.name === patch.name) {
      setStatus('The image and the patch have the same name: rename one.');
      return;
    }
    const tooLarge = [image, patch].find((file) => file.size > imageLimit);
    if (tooLarge) {
      setStatus(`This file is [${mebibytesRoundedUp(tooLarge.size)}] MiB; ` +
        'a cartridge image is at most 64 MiB');
      return;
    }
    setRunning(true);
    setStatus(`Applying ${patch.name} to ${image.name}…`);
    if (!worker) startWorker();
    const readings = await Promise.all([image, patch].map(
      (file) => file.arrayBuffer().then((bytes) => ({bytes}), (error) => ({error}))));
    const failed = readings.findIndex((reading) => reading.error);
    if (failed >= 0) {
      setRunning(false);
      showPageFault(`The browser could not read ${[image, patch][failed].name}: ` +
        readings[failed].error.message);
      return;
    }
    const files = [{name: image.name, bytes: readings[0].bytes},
      {name: patch.name, bytes: readings[1].bytes}];
    worker.postMessage({kind: 'patch', files, settings: settingsFile()},
      files.map((file) => file.bytes));
  }

  // A pasted share code goes to the module, which reads it as Velmo.ini's
  // ShareCode; only the answer for what the field still holds is taken.
  function askShareCode() {
    forgetShareCodeReading();
    const text = shareField.value.trim();
    showShareCodeNote('', '');
    if (text === '') return;
    if (!worker) startWorker();
    shareCodeReading = new Promise((resolve) => { shareCodeRead = resolve; });
    worker.postMessage({type: 'readShareCode', text});
  }

  // A question the field no longer asks (or a worker that stopped) holds
  // back no run.
  function forgetShareCodeReading() {
    shareCodeRead();
    shareCodeReading = null;
  }

  function showShareCodeNote(text, state) {
    $('share-code-note').textContent = text;
    $('share-code-note').dataset.state = state;
  }

  // The answer is "ok <seed> <key>=<0 or 1> ..." or the refusal itself.
  function takeShareCode(text, answer) {
    if (text !== shareField.value.trim()) return;
    forgetShareCodeReading();
    if (!answer.startsWith('ok ')) {
      showShareCodeNote(answer, 'refused');
      return;
    }
    const [seed, ...switches] = answer.slice('ok '.length).split(' ');
    form.elements.Seed.value = seed;
    for (const setting of switches) {
      const [key, on] = setting.split('=');
      if (form.elements[key]) form.elements[key].checked = on === '1';
    }
    saveSettings();
    showShareCodeNote('Seed and switches set: Randomise makes this game.', 'taken');
  }

  // Changing the seed or a switch by hand makes another game than the code's.
  function forgetShareCode(event) {
    if (event.target === shareField || shareField.value === '') return;
    if (event.target.name !== 'Seed' && !switchKeys.includes(event.target.name)) return;
    shareField.value = '';
    forgetShareCodeReading();
    showShareCodeNote('', '');
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
  form.addEventListener('input', forgetShareCode);
  form.addEventListener('change', forgetShareCode);
  shareField.addEventListener('input', askShareCode);
  imageInput.addEventListener('change', () => chooseFile(imageInput.files[0]));
  patchForm.addEventListener('submit', applyPatch);
  $('patch-image').addEventListener('change', () => {
    patchFiles.image = $('patch-image').files[0] || null;
    showPatchFiles();
  });
  $('patch-file').addEventListener('change', () => {
    patchFiles.patch = $('patch-file').files[0] || null;
    showPatchFiles();
  });
  // A drop on the patch panel is for it; anywhere else it chooses the image.
  const dropTarget = (event) => (event.target.closest && event.target.closest('#patching') ?
    patchForm : $('drop-zone'));
  const undrag = () => {
    for (const zone of [patchForm, $('drop-zone')]) zone.classList.remove('dragging');
  };
  for (const type of ['dragenter', 'dragover']) {
    document.addEventListener(type, (event) => {
      event.preventDefault();
      undrag();
      dropTarget(event).classList.add('dragging');
    });
  }
  document.addEventListener('dragleave', undrag);
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    undrag();
    if (dropTarget(event) === patchForm) dropPatchFiles(event.dataTransfer.files);
    else chooseFile(event.dataTransfer.files[0]);
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
  $('copy-share-code').addEventListener('click',
    () => copyText($('share-code-made').textContent, $('share-code-made')));

  loadSettings();
  showCount();
  startWorker();
  if (imageInput.files.length > 0) chooseFile(imageInput.files[0]);
})();
