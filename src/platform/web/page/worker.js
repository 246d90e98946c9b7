// The worker that runs Velmo, behind emscripten's module in the same script.
// One module serves every run: each run gets a clean folder of the in-memory
// file system holding the player's image and the Velmo.ini the page made,
// and hands back what the run wrote there.
'use strict';

const folder = '/velmo';
// The database file the page's Velmo.ini names; it starts empty on every run,
// so afterwards it holds exactly the run's new entry.
const databaseName = 'Project64.rdb';

let pieces = [];  // the pieces of the log line being written

// Each finished log line goes to the page at once, while the run goes on.
function onLogPiece(attribute, text) {
  const lines = text.split('\n');
  lines.forEach((part, index) => {
    if (index > 0) {
      postMessage({type: 'line', pieces});
      pieces = [];
    }
    if (part !== '') pieces.push([attribute, part]);
  });
}

const ready = createVelmo({
  onLogPiece,
  print: (text) => onLogPiece(7, `${text}\n`),
  printErr: (text) => onLogPiece(12, `${text}\n`),
  onAbort: (what) => postMessage({type: 'crashed', message: String(what)}),
});

function emptyFolder(FS) {
  for (const name of FS.readdir(folder)) {
    if (name !== '.' && name !== '..') FS.unlink(`${folder}/${name}`);
  }
}

function readIfPresent(FS, name, encoding) {
  if (!name || !FS.analyzePath(`${folder}/${name}`).exists) return null;
  return FS.readFile(`${folder}/${name}`, {encoding});
}

function run(velmo, {imageName, image, settings}) {
  const FS = velmo.FS;
  if (!FS.analyzePath(folder).exists) FS.mkdir(folder);
  FS.chdir(folder);
  emptyFolder(FS);
  FS.writeFile(imageName, new Uint8Array(image));
  FS.writeFile('Velmo.ini', settings);
  FS.writeFile(databaseName, '');

  const started = performance.now();
  const succeeded = velmo.ccall('VelmoRun', 'number', ['string'], [imageName]) === 1;
  const seconds = (performance.now() - started) / 1000;
  if (pieces.length > 0) onLogPiece(7, '\n');

  const outputPath = velmo.ccall('VelmoOutputPath', 'string', [], []);
  const spoilerPath = velmo.ccall('VelmoSpoilerLogPath', 'string', [], []);
  const result = {
    type: 'finished',
    succeeded,
    seed: velmo.ccall('VelmoSeed', 'number', [], []) >>> 0,
    outputName: outputPath,
    // A failed run's copy is no game: it is never handed out.
    image: succeeded ? readIfPresent(FS, outputPath, 'binary') : null,
    spoilerName: spoilerPath,
    spoiler: succeeded ? readIfPresent(FS, spoilerPath, 'utf8') : null,
    database: succeeded ? readIfPresent(FS, databaseName, 'utf8') : null,
    gameEntry: velmo.ccall('VelmoGameEntry', 'string', [], []),
    settings: readIfPresent(FS, 'Velmo.ini', 'utf8'),
    seconds,
    memoryBytes: velmo.HEAP8.length,
    heapTop: 0,
  };
  emptyFolder(FS);
  result.heapTop = velmo.ccall('VelmoHeapTop', 'number', [], []) >>> 0;
  postMessage(result, result.image ? [result.image.buffer] : []);
}

onmessage = (event) => {
  ready.then((velmo) => run(velmo, event.data)).catch((error) => {
    postMessage({type: 'crashed', message: String(error && error.message || error)});
  });
};
