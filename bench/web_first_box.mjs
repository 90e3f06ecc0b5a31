// The page's size, and how soon after navigation its first box opens in
// headless Chromium, against a page whose script only calls the browser's own
// alert(): the median and the slowest of interleaved runs in one browser.
//   node bench/web_first_box.mjs [build-web/osoby.html] [runs]
// Needs puppeteer-core (npm ci in tests/web) and Debian's chromium.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import { createRequire } from 'node:module';
import { pathToFileURL } from 'node:url';

const root = path.resolve(path.dirname(new URL(import.meta.url).pathname), '..');
const require = createRequire(path.join(root, 'tests/web/package.json'));
const { default: puppeteer } = await import(pathToFileURL(require.resolve('puppeteer-core')).href);

const page = path.resolve(process.argv[2] ?? path.join(root, 'build-web/osoby.html'));
const runs = Number(process.argv[3] ?? 21);
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'osoby-bench-'));
const floor = path.join(scratch, 'alert.html');
fs.writeFileSync(floor, '<!DOCTYPE html><html lang="cs"><meta charset="utf-8"><title>Osoby</title>' +
  '<script>alert("Nevyplněno Nevyplněno narozen dne: Nevyplněno")</script></html>');

const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  userDataDir: path.join(scratch, 'profile'),
  protocolTimeout: 10_000,
  args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync'],
});

// Milliseconds from navigation to the first box, as the page's own clock has them.
async function firstBox(file) {
  const tab = await browser.newPage();
  await tab.evaluateOnNewDocument(() => {
    const mark = (real) =>
      function (...args) {
        globalThis.firstBoxAt ??= performance.now();
        return real.apply(this, args);
      };
    HTMLDialogElement.prototype.showModal = mark(HTMLDialogElement.prototype.showModal);
    window.alert = mark(window.alert);
  });
  tab.on('dialog', (dialog) => dialog.accept());
  await tab.goto(pathToFileURL(file).href, { timeout: 10_000 });
  await tab.waitForFunction(() => globalThis.firstBoxAt !== undefined, { timeout: 5_000 });
  const at = await tab.evaluate(() => globalThis.firstBoxAt);
  await tab.close();
  return at;
}

const times = { osoby: [], floor: [] };
await firstBox(page);
await firstBox(floor);
for (let i = 0; i < runs; i++) {
  times.osoby.push(await firstBox(page));
  times.floor.push(await firstBox(floor));
}
await browser.close();
fs.rmSync(scratch, { recursive: true, force: true });

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const bytes = fs.readFileSync(page);
const kib = (n) => (n / 1024).toFixed(1);
console.log(`page ${path.basename(page)}: ${bytes.length} bytes (${kib(bytes.length)} KiB; gzip -9: ` +
  `${kib(zlib.gzipSync(bytes, { level: 9 }).length)} KiB), goal under 128 KiB`);
console.log(`first box after navigation, ${runs} runs each (ms):   median   slowest`);
for (const [name, values] of [['osoby.html', times.osoby], ['alert() only', times.floor]]) {
  console.log(`  ${name.padEnd(46)}${median(values).toFixed(1).padStart(8)}${Math.max(...values).toFixed(1).padStart(10)}`);
}
console.log('goal: under 300 ms');
