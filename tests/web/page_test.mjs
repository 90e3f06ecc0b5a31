// The page in a real browser, each box found as assistive technology finds it.
// node page_test.mjs <chromium|firefox> <browser or ""> <page> <case>; exit 0 passed, 1 failed, 77 skipped.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import puppeteer from 'puppeteer-core';

const [kind, executable, pagePath, caseName] = process.argv.slice(2);
if (!executable || !fs.existsSync(executable)) {
  console.log(`${kind} is not installed here: skipped`);
  process.exit(77);
}
const fail = (message) => { console.error(`FAILED: ${message}`); process.exit(1); };
const expectEqual = (got, expected, what) => JSON.stringify(got) === JSON.stringify(expected) ||
  fail(`${what}:\n  got      ${JSON.stringify(got)}\n  expected ${JSON.stringify(expected)}`);
setTimeout(() => fail('the case did not end within 90 s'), 90_000).unref();

// The boxes of a run, by the day it runs on.
const box = (icon, title, prompt) => ({ role: /Upozornění|Chyba/.test(icon) ? 'alertdialog' : 'dialog', title, prompt, icon });
const person = (who, born = 'Nevyplněno') => box(null, 'Informace o Osobě', `${who} narozen dne: ${born}`);
const [nobody, tarn, ostin] = [person('Nevyplněno Nevyplněno'), person('Tarn Zíbal', '1.1.1970'), person('Ostin Murav', '20.11.1972')];
const refused = box('Upozornění', 'Chyba vstupu', 'Vkládané Datum narození je menší než současné datum');
const report = (relation) => box('Informace', 'Osoby', `Tarn Zíbal ${relation} Ostin Murav`);
const windows = [
  { last: '1970-01-01', boxes: [nobody, refused, refused, person('Tarn Zíbal'), person('Ostin Murav'), report('je stejně starý jako'), refused] },
  { last: '1972-11-20', boxes: [nobody, refused, tarn, person('Ostin Murav'), report('je mladší než'), refused] },
  { last: '1999-11-20', boxes: [nobody, tarn, ostin, report('je starší než'), refused] },
  { last: '9999-12-31', boxes: [nobody, tarn, ostin, report('je starší než')] },
];
const ended = 'Ukázka skončila: všechna okna proběhla.';

const profile = fs.mkdtempSync(path.join(os.tmpdir(), `osoby-${kind}-`));
const browser = await puppeteer.launch({
  browser: kind === 'firefox' ? 'firefox' : 'chrome', executablePath: executable, headless: true, userDataDir: profile,
  protocolTimeout: 10_000, timeout: 30_000,
  args: kind === 'firefox' ? [] : [...(process.getuid() === 0 ? ['--no-sandbox'] : []), '--disable-gpu', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});

// A page of the run on a day of its own, its console errors gathered, its boxes counted as they open; the first
// may be one the page cannot show.
async function openPage({ instant, timeZone, breakFirstBox } = {}) {
  const page = await browser.newPage();
  const errors = [];
  page.on('console', (message) => message.type() === 'error' && errors.push(message.text()));
  page.on('pageerror', (error) => errors.push(String(error)));
  await (timeZone && page.emulateTimezone(timeZone));
  await page.evaluateOnNewDocument((instant, breakFirstBox) => {
    if (instant !== undefined) {
      const Real = Date;
      globalThis.Date = class extends Real {
        constructor(...args) { super(...(args.length ? args : [instant])); }
        static now() { return instant; }
      };
    }
    const showModal = HTMLDialogElement.prototype.showModal;
    globalThis.boxesOpened = 0;
    HTMLDialogElement.prototype.showModal = function () {
      if (breakFirstBox && !(breakFirstBox = false)) throw new Error('the page cannot show its box');
      showModal.call(this);
      globalThis.boxesOpened++;
    };
  }, instant, breakFirstBox);
  await page.goto(pathToFileURL(path.resolve(pagePath)).href, { timeout: 10_000 });
  return { page, errors };
}

// The n-th box, once open: the one thing the accessibility tree has, by its role and its name (the title).
async function readBox(page, n) {
  await page.waitForFunction((n) => globalThis.boxesOpened === n, { timeout: 5_000 }, n)
    .catch(() => fail(`box ${n} did not open within 5 s`));
  const found = [];
  for (const role of ['dialog', 'alertdialog']) {
    for (const handle of await page.$$(`::-p-aria([role="${role}"])`)) {
      found.push({ role, ...(await handle.evaluate((dialog) => ({
        title: document.getElementById(dialog.getAttribute('aria-labelledby')).textContent,
        prompt: document.getElementById(dialog.getAttribute('aria-describedby')).textContent,
        icon: dialog.querySelector('svg:not([hidden])')?.getAttribute('aria-label') ?? null,
        focused: document.activeElement.textContent,
      }))) });
    }
  }
  expectEqual(found.length, 1, 'boxes in the accessibility tree');
  const [{ focused, ...shown }] = found;
  expectEqual([(await page.$$('::-p-aria([role="status"])')).length, focused,
    (await page.$$(`::-p-aria([name="${shown.title}"][role="${shown.role}"])`)).length],
  [0, 'OK', 1], 'page texts readable behind the box, the focused button, boxes of its name');
  return shown;
}

async function expectEnd(page, errors, words) {
  await page.waitForFunction(() => !document.getElementById('znovu').hidden, { timeout: 5_000 })
    .catch(() => fail('the page did not say that the run ended'));
  expectEqual([await page.$eval('#stav', (state) => state.textContent), await page.evaluate(() => document.querySelector('dialog').open)],
    [words, false], 'the end message, a box open');
  expectEqual(words === ended ? errors : [], [], 'console errors');
}

async function clickBehind(page) {
  await page.evaluate(() => document.addEventListener('click', (event) => event.target.closest('main') && (globalThis.clickedBehind = true), true));
  const { x, y } = await page.$eval('h1', (heading) => heading.getBoundingClientRect().toJSON());
  await page.mouse.click(x + 5, y + 5);
  expectEqual(await page.evaluate(() => globalThis.clickedBehind ?? false), false, 'a click behind the box reached the page');
}

const cases = {
  // Today's run dismissed with OK, then run again from the page.
  async TodaysRunShowsItsBoxesInOrderThenSaysSoAndRunsAgain() {
    const { page, errors } = await openPage();
    const today = new Intl.DateTimeFormat('sv-SE').format(Date.now());
    const expected = windows.find((window) => today <= window.last).boxes;
    for (const [i, want] of expected.entries()) {
      expectEqual(await readBox(page, i + 1), want, `box ${i + 1}`);
      await page.click('#okno-ok');
    }
    await expectEnd(page, errors, ended);
    await page.click('#znovu');
    expectEqual(await readBox(page, 1), expected[0], 'the first box of the run again');
  },

  // Each key dismisses exactly one box, also after a click behind it, which reaches nothing.
  async EnterSpaceAndEscapeDismissOneBoxEachAlsoAfterAClickBehindIt() {
    const { page, errors } = await openPage({ instant: Date.UTC(2020, 0, 1, 12) });
    for (const [i, key] of ['Enter', ' ', 'Escape', 'Enter'].entries()) {
      await (i >= 2 && clickBehind(page));
      expectEqual(await readBox(page, i + 1), windows[3].boxes[i], `box ${i + 1}, then ${key}`);
      // Held until the next box is there, whose OK has the focus then: the release must leave that box open.
      await page.keyboard.down(key);
      await (i < 3 && readBox(page, i + 2));
      await page.keyboard.up(key);
      await new Promise((resolve) => setTimeout(resolve, 300));
      expectEqual(await page.evaluate(() => [globalThis.boxesOpened, document.querySelector('dialog').open]),
        [Math.min(i + 2, 4), i < 3], `boxes shown, one open, 300 ms after ${key} was released`);
    }
    await expectEnd(page, errors, ended);
  },

  // The browser's local day decides: each row beside the same instant where the local day is another.
  async EachDateWindowByTheBrowsersLocalDay() {
    for (const [instant, timeZone, window] of [
      [Date.UTC(1970, 0, 1, 20), 'UTC', 0], [Date.UTC(1970, 0, 1, 20), 'Asia/Tokyo', 1], [Date.UTC(1972, 10, 20, 12), 'UTC', 1],
      [Date.UTC(1999, 10, 20, 23, 30), 'UTC', 2], [Date.UTC(1999, 10, 20, 23, 30), 'Pacific/Kiritimati', 3],
      [Date.UTC(1999, 10, 21, 2), 'America/Los_Angeles', 2]]) {
      const { page, errors } = await openPage({ instant, timeZone });
      for (const [i, want] of windows[window].boxes.entries()) {
        expectEqual(await readBox(page, i + 1), want, `${new Date(instant).toISOString()} in ${timeZone}, box ${i + 1}`);
        await page.keyboard.press('Enter');
      }
      await expectEnd(page, errors, ended);
      await page.close();
    }
  },

  // A box the page cannot show ends the run through the failure report.
  async ABoxThePageCannotShowEndsTheRunThroughTheErrorBox() {
    const { page, errors } = await openPage({ breakFirstBox: true });
    const line = 'operace ZobrazVse osoby A selhala: dialogové okno nešlo zobrazit (0xA0000005)';
    expectEqual(await readBox(page, 1), box('Chyba', 'Osoby', `O${line.slice(1)}`), 'the error box');
    expectEqual(errors.at(-1), `osoby: ${line}`, 'the console line');
    await page.keyboard.press('Enter');
    await expectEnd(page, errors, 'Ukázka skončila chybou (návratový kód 1).');
  },
};

try {
  await (cases[caseName] ?? (() => fail(`no case ${caseName}`)))();
  console.log(`${kind}: ${caseName} passed`);
} catch (error) {
  fail(error.stack);
} finally {
  await browser.close();
  fs.rmSync(profile, { recursive: true, force: true });
}
