// Puts Velmo.html together: the page's markup with its styles, its script
// and the worker's script (the module's WebAssembly as base64 text,
// emscripten's module script, then the worker's own code) inline, and a
// Content-Security-Policy that allows exactly these inline pieces and no
// connection of any kind.
//
//   node assemble-web-page.js PAGE_DIR MODULE_JS MODULE_WASM VERSION RELEASE OUTPUT
'use strict';
const crypto = require('crypto');
const fs = require('fs');
const path = require('path');

const [pageDir, moduleFile, wasmFile, version, release, output] = process.argv.slice(2);
if (!output) {
  console.error('usage: assemble-web-page.js PAGE_DIR MODULE_JS MODULE_WASM VERSION RELEASE OUTPUT');
  process.exit(2);
}

const read = (file) => fs.readFileSync(file, 'utf8');
const pageFile = (name) => read(path.join(pageDir, name));

// Text inside a <script> or <style> element ends at the first "</" of its
// end tag; "<!--" would change how the browser reads the rest.
function checkInline(text, what) {
  if (/<\/(script|style)/i.test(text) || text.includes('<!--')) {
    console.error(`assemble-web-page: ${what} holds text that would end its element early`);
    process.exit(1);
  }
  return text;
}

const hash = (text) => `'sha256-${crypto.createHash('sha256').update(text, 'utf8').digest('base64')}'`;

const style = checkInline(pageFile('page.css'), 'page.css');
const script = checkInline(pageFile('page.js'), 'page.js');
const wasm = fs.readFileSync(wasmFile).toString('base64');
const worker = checkInline(
  `const velmoModuleBase64 = '${wasm}';\n${read(moduleFile)}\n${pageFile('worker.js')}`,
  'the worker');

// The worker is made from a Blob of its text (a page opened from disk may
// not start one from a file) and inherits this policy: WebAssembly may be
// compiled, nothing may be fetched or sent.
const policy = [
  "default-src 'none'",
  `script-src ${hash(script)} 'wasm-unsafe-eval'`,
  'worker-src blob:',
  `style-src ${hash(style)}`,
  "img-src 'none'",
  "connect-src 'none'",
  "form-action 'none'",
  "base-uri 'none'",
].join('; ');

const pieces = {
  '@POLICY@': policy,
  '@VERSION@': version,
  '@RELEASE@': release,
  '@STYLE@': style,
  '@SCRIPT@': script,
  '@WORKER@': worker,
};
let page = pageFile('velmo.html');
for (const [marker, text] of Object.entries(pieces)) {
  if (!page.includes(marker)) {
    console.error(`assemble-web-page: velmo.html has no ${marker}`);
    process.exit(1);
  }
  // split and join, so that "$" in the texts is taken as it stands.
  page = page.split(marker).join(text);
}
fs.writeFileSync(output, page);
