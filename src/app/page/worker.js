// The worker that runs Velmo. Its script holds, before this code, the
// module's WebAssembly as base64 text and emscripten's module script. One
// module serves every run: each run gets a clean folder of the in-memory file system
// holding the player's image (and patch) and the Velmo.ini the page made, and
// hands back what the run wrote there. The module also reads share codes the
// player pastes, so that the page takes exactly what the console tool takes.
'use strict';

const folder = '/velmo';
// The database file the page's Velmo.ini names; it starts empty on every run,
// so afterwards it holds exactly the run's new entry.
const databaseName = 'Project64.rdb';
// Each message makes the page lay out its log again: finished lines go to it
// in batches, at most one batch in this many milliseconds.
const linesInterval = 100;

let pieces = [];  // the pieces of the log line being written
let lines = [];  // finished lines the page has not had yet
let linesPostedAt = 0;
let memoryShortfall = '';  // what the browser had no room for in this run

function postLines() {
  if (lines.length > 0) postMessage({type: 'lines', lines});
  lines = [];
  linesPostedAt = performance.now();
}

function onLogPiece(attribute, text) {
  text.split('\n').forEach((part, index) => {
    if (index > 0) {
      lines.push(pieces);
      pieces = [];
    }
    if (part !== '') pieces.push([attribute, part]);
  });
  if (lines.length > 0 && performance.now() - linesPostedAt >= linesInterval) postLines();
}

const mebibytes = (bytes) => `${(bytes / 1048576).toFixed(1)} MiB`;

function onOutOfMemory(bytes) {
  memoryShortfall = bytes > 0 ? `the page's memory has no room for the ${mebibytes(bytes)} image` :
    'the run needed more than the page may have';
}

// The module's bytes straight from the text above: emscripten would
// otherwise try to fetch them from a data: address, which the page's policy
// blocks.
function moduleBytes() {
  const text = atob(velmoModuleBase64);
  const bytes = new Uint8Array(text.length);
  for (let index = 0; index < text.length; index += 1) bytes[index] = text.charCodeAt(index);
  return bytes;
}

let stopped = false;  // a module that aborted runs nothing more

function crashed(message) {
  if (stopped) return;
  stopped = true;
  postLines();
  postMessage({type: 'crashed', message, memoryShortfall});
}

// Compiled and started as soon as the page opens, while the player still
// chooses a file.
const ready = createVelmo({
  instantiateWasm(imports, receiveInstance) {
    WebAssembly.instantiate(moduleBytes(), imports)
      .then(({instance, module}) => receiveInstance(instance, module))
      .catch((error) => crashed(String(error && error.message || error)));
    return {};
  },
  onLogPiece,
  onOutOfMemory,
  print: (text) => onLogPiece(7, `${text}\n`),
  printErr: (text) => onLogPiece(12, `${text}\n`),
  onAbort: (what) => crashed(String(what)),
});
ready.then(() => postMessage({type: 'ready'}), () => {});

function emptyFolder(FS) {
  for (const name of FS.readdir(folder)) {
    if (name !== '.' && name !== '..') FS.unlink(`${folder}/${name}`);
  }
}

// A file's bytes as the file system holds them, without a copy.
function bytesIfPresent(FS, name) {
  if (!name || !FS.analyzePath(`${folder}/${name}`).exists) return null;
  const {node} = FS.lookupPath(`${folder}/${name}`);
  return node.contents ? node.contents.subarray(0, node.usedBytes) : new Uint8Array(0);
}

function textIfPresent(FS, name) {
  const bytes = bytesIfPresent(FS, name);
  return bytes === null ? null : new TextDecoder().decode(bytes);
}

// The entry point of each kind of run, given the names of the run's files.
const entryPoints = {randomise: 'VelmoRun', patch: 'VelmoApplyPatch'};

function run(velmo, {kind, files, settings}) {
  const FS = velmo.FS;
  if (!FS.analyzePath(folder).exists) FS.mkdir(folder);
  FS.chdir(folder);
  emptyFolder(FS);
  // The page handed the files over: the file system may keep them as they are.
  for (const {name, bytes} of files) FS.writeFile(name, new Uint8Array(bytes), {canOwn: true});
  FS.writeFile('Velmo.ini', settings);
  FS.writeFile(databaseName, '');
  memoryShortfall = '';

  const names = files.map((file) => file.name);
  const started = performance.now();
  const succeeded = velmo.ccall(entryPoints[kind], 'number', names.map(() => 'string'),
    names) === 1;
  const seconds = (performance.now() - started) / 1000;
  if (pieces.length > 0) onLogPiece(7, '\n');
  postLines();

  const text = (name) => velmo.ccall(name, 'string', [], []);
  const outputPath = text('VelmoOutputPath');
  const spoilerPath = text('VelmoSpoilerLogPath');
  const patchPath = text('VelmoPatchPath');
  const result = {
    type: 'finished',
    kind,
    succeeded,
    memoryShortfall,
    seed: velmo.ccall('VelmoSeed', 'number', [], []) >>> 0,
    outputName: outputPath,
    // A failed run's copy is no game: it is never handed out.
    image: succeeded ? bytesIfPresent(FS, outputPath) : null,
    // Empty unless this run wrote a race patch.
    patchName: patchPath,
    patch: succeeded ? bytesIfPresent(FS, patchPath) : null,
    spoilerName: spoilerPath,
    spoiler: succeeded ? textIfPresent(FS, spoilerPath) : null,
    database: succeeded ? textIfPresent(FS, databaseName) : null,
    gameEntry: text('VelmoGameEntry'),
    shareCode: text('VelmoShareCode'),
    hashWords: text('VelmoGameHashWords'),
    hashCrc: text('VelmoGameHashCrc'),
    settings: textIfPresent(FS, 'Velmo.ini'),
    seconds,
    memoryBytes: velmo.HEAP8.length,
    heapTop: 0,
  };
  emptyFolder(FS);
  result.heapTop = velmo.ccall('VelmoHeapTop', 'number', [], []) >>> 0;
  postMessage(result, [result.image, result.patch].filter((bytes) => bytes)
    .map((bytes) => bytes.buffer));
}

// The page's question about a pasted code, answered with the code's reading.
function readShareCode(velmo, {text}) {
  const answer = velmo.ccall('VelmoReadShareCode', 'string', ['string'], [text]);
  postMessage({type: 'shareCode', text, answer});
}

onmessage = (event) => {
  const answer = event.data.type === 'readShareCode' ? readShareCode : run;
  ready.then((velmo) => answer(velmo, event.data)).catch((error) => {
    // JavaScript's own allocations (a file's bytes) fail with a RangeError.
    if (error instanceof RangeError && !memoryShortfall) memoryShortfall = error.message;
    crashed(String(error && error.message || error));
  });
};
