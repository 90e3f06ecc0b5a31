// The page in a real browser, each box read as assistive technology reads it.
// node page_test.mjs <chromium|firefox> <browser or ""> <page> <case>
// Exit code 0 passed, 1 failed, 77 skipped (no such browser here).
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
setTimeout(() => fail('the case did not end within 90 s'), 90_000).unref();

function fail(message) {
  console.error(`FAILED: ${message}`);
  process.exit(1);
}
function expectEqual(actual, expected, what) {
  if (JSON.stringify(actual) !== JSON.stringify(expected)) {
    fail(`${what}:\n  got      ${JSON.stringify(actual)}\n  expected ${JSON.stringify(expected)}`);
  }
}

// The boxes of a run, by the day it runs on.
const box = (icon, title, prompt) => ({
  role: icon === 'Upozornění' || icon === 'Chyba' ? 'alertdialog' : 'dialog',
  title,
  prompt,
  icon,
});
const person = (prompt) => box(null, 'Informace o Osobě', prompt);
const nobody = person('Nevyplněno Nevyplněno narozen dne: Nevyplněno');
const tarn = person('Tarn Zíbal narozen dne: 1.1.1970');
const ostin = person('Ostin Murav narozen dne: 20.11.1972');
const refused = box('Upozornění', 'Chyba vstupu', 'Vkládané Datum narození je menší než současné datum');
const report = (relation) => box('Informace', 'Osoby', `Tarn Zíbal ${relation} Ostin Murav`);
const windows = [
  {
    last: '1970-01-01',
    boxes: [nobody, refused, refused, person('Tarn Zíbal narozen dne: Nevyplněno'),
      person('Ostin Murav narozen dne: Nevyplněno'), report('je stejně starý jako'), refused],
  },
  {
    last: '1972-11-20',
    boxes: [nobody, refused, tarn, person('Ostin Murav narozen dne: Nevyplněno'), report('je mladší než'), refused],
  },
  { last: '1999-11-20', boxes: [nobody, tarn, ostin, report('je starší než'), refused] },
  { last: '9999-12-31', boxes: [nobody, tarn, ostin, report('je starší než')] },
];
const boxesOn = (isoDay) => windows.find((window) => isoDay <= window.last).boxes;

const profile = fs.mkdtempSync(path.join(os.tmpdir(), `osoby-${kind}-`));
const root = process.getuid && process.getuid() === 0;
const browser = await puppeteer.launch({
  browser: kind === 'firefox' ? 'firefox' : 'chrome',
  executablePath: executable,
  headless: true,
  userDataDir: profile,
  protocolTimeout: 10_000,
  timeout: 30_000,
  args:
    kind === 'firefox'
      ? []
      : [...(root ? ['--no-sandbox'] : []), '--disable-gpu', '--no-first-run', '--disable-background-networking',
        '--disable-component-update', '--disable-sync'],
});
const pageUrl = pathToFileURL(path.resolve(pagePath)).href;

// A page of the run, its console errors gathered, its boxes counted as they open.
async function openPage({ instant, timeZone, breakFirstBox } = {}) {
  const page = await browser.newPage();
  const errors = [];
  page.on('console', (message) => message.type() === 'error' && errors.push(message.text()));
  page.on('pageerror', (error) => errors.push(String(error)));
  if (timeZone) {
    await page.emulateTimezone(timeZone);
  }
  await page.evaluateOnNewDocument(
    (instant, breakFirstBox) => {
      if (instant !== undefined) {
        const Real = Date;
        globalThis.Date = class extends Real {
          constructor(...args) {
            super(...(args.length ? args : [instant]));
          }
          static now() {
            return instant;
          }
        };
      }
      const showModal = HTMLDialogElement.prototype.showModal;
      let broken = !breakFirstBox;
      globalThis.boxesOpened = 0;
      HTMLDialogElement.prototype.showModal = function () {
        if (!broken) {
          broken = true;
          throw new Error('the page cannot show its box');
        }
        showModal.call(this);
        globalThis.boxesOpened++;
      };
    },
    instant,
    breakFirstBox,
  );
  await page.goto(pageUrl, { timeout: 10_000 });
  return { page, errors };
}

// The open box as assistive technology gives it, after waiting for the n-th.
async function readBox(page, n) {
  await page.waitForFunction((n) => globalThis.boxesOpened === n, { timeout: 5_000 }, n).catch(() =>
    fail(`box ${n} did not open within 5 s`));
  if (kind === 'chromium') {
    const tree = await page.accessibility.snapshot();
    // Only the box: everything behind it is inert.
    expectEqual(tree.children.length, 1, 'nodes of the page while a box is open');
    const [dialog] = tree.children;
    const [image] = dialog.children.filter((node) => node.role === 'image');
    const text = dialog.children.find((node) => node.role === 'StaticText');
    const button = dialog.children.find((node) => node.role === 'button');
    expectEqual([dialog.modal, dialog.description, button.name, button.focused], [true, text.name, 'OK', true],
      'modal, described by its prompt, OK focused');
    return { role: dialog.role, title: dialog.name, prompt: text.name, icon: image ? image.name : null };
  }
  // Firefox: no accessibility tree over WebDriver BiDi, but its ARIA queries.
  const found = [];
  for (const role of ['dialog', 'alertdialog']) {
    for (const handle of await page.$$(`::-p-aria([role="${role}"])`)) {
      found.push({ role, ...(await handle.evaluate((dialog) => ({
        title: document.getElementById(dialog.getAttribute('aria-labelledby')).textContent,
        prompt: document.getElementById(dialog.getAttribute('aria-describedby')).textContent,
        icon: [...dialog.querySelectorAll('svg:not([hidden])')].map((svg) => svg.getAttribute('aria-label'))[0] ?? null,
        focused: document.activeElement.textContent,
      }))) });
    }
  }
  expectEqual(found.length, 1, 'boxes the accessibility tree has');
  expectEqual((await page.$$('::-p-aria([role="status"])')).length, 0, 'page texts readable behind the box');
  const [{ focused, ...shown }] = found;
  expectEqual((await page.$$(`::-p-aria([name="${shown.title}"][role="${shown.role}"])`)).length, 1, 'its name');
  expectEqual(focused, 'OK', 'the focused button');
  return shown;
}

async function expectEnd(page, errors, words) {
  await page.waitForFunction(() => !document.getElementById('znovu').hidden, { timeout: 5_000 }).catch(() =>
    fail('the page did not say that the run ended'));
  expectEqual(await page.$eval('#stav', (state) => state.textContent), words, 'the end message');
  expectEqual(await page.evaluate(() => document.querySelector('dialog[open]')), null, 'a box after the end');
  if (words.includes('všechna')) {
    expectEqual(errors, [], 'console errors');
  }
}

const clickBehind = async (page) => {
  await page.evaluate(() => {
    globalThis.clicked = [];
    document.addEventListener('click', (event) => globalThis.clicked.push(event.target.closest('main') ? 'page' : event.target.tagName), true);
  });
  const { x, y } = await page.$eval('h1', (heading) => heading.getBoundingClientRect().toJSON());
  await page.mouse.click(x + 5, y + 5);
  expectEqual(await page.evaluate(() => globalThis.clicked.filter((target) => target === 'page')), [], 'clicks behind the box');
};

const todayIso = (instant, timeZone) => new Intl.DateTimeFormat('sv-SE', { timeZone }).format(instant);
const ended = 'Ukázka skončila: všechna okna proběhla.';

const cases = {
  // Today's run dismissed with OK, then run again from the page.
  async TodaysRunShowsItsBoxesInOrderThenSaysSoAndRunsAgain() {
    const { page, errors } = await openPage();
    const expected = boxesOn(todayIso(Date.now()));
    for (const [i, want] of expected.entries()) {
      expectEqual(await readBox(page, i + 1), want, `box ${i + 1}`);
      await page.click('#okno-ok');
    }
    await expectEnd(page, errors, ended);
    await page.click('#znovu');
    expectEqual(await readBox(page, 1), expected[0], 'the first box of the run again');
  },

  // Each key dismisses exactly one box; a click behind a box reaches nothing
  // and leaves the keys working.
  async EnterSpaceAndEscapeDismissOneBoxEachAlsoAfterAClickBehindIt() {
    const { page, errors } = await openPage({ instant: Date.UTC(2020, 0, 1, 12) });
    const expected = windows[3].boxes;
    for (const [i, key] of ['Enter', ' ', 'Escape', 'Enter'].entries()) {
      if (i >= 2) {
        await clickBehind(page);
      }
      expectEqual(await readBox(page, i + 1), expected[i], `box ${i + 1}, then ${key}`);
      // Held until the next box is there, whose OK has the focus then: the
      // key's release must leave that box open.
      await page.keyboard.down(key);
      if (i + 1 < expected.length) {
        await readBox(page, i + 2);
      }
      await page.keyboard.up(key);
      await new Promise((resolve) => setTimeout(resolve, 300));
      expectEqual(await page.evaluate(() => [globalThis.boxesOpened, document.querySelector('dialog').open]),
        [Math.min(i + 2, 4), i < 3], `boxes shown 300 ms after ${key} was released`);
    }
    await expectEnd(page, errors, ended);
    expectEqual(await page.evaluate(() => globalThis.boxesOpened), 4, 'boxes shown');
  },

  // The browser's local day decides, in its own time zone: each row's nearest
  // neighbour is the same instant where the local day is another.
  async EachDateWindowByTheBrowsersLocalDay() {
    const rows = [
      { instant: Date.UTC(1970, 0, 1, 20), timeZone: 'UTC', window: 0 },
      { instant: Date.UTC(1970, 0, 1, 20), timeZone: 'Asia/Tokyo', window: 1 },
      { instant: Date.UTC(1972, 10, 20, 12), timeZone: 'UTC', window: 1 },
      { instant: Date.UTC(1999, 10, 20, 23, 30), timeZone: 'UTC', window: 2 },
      { instant: Date.UTC(1999, 10, 20, 23, 30), timeZone: 'Pacific/Kiritimati', window: 3 },
      { instant: Date.UTC(1999, 10, 21, 2), timeZone: 'America/Los_Angeles', window: 2 },
    ];
    for (const { instant, timeZone, window } of rows) {
      const { page, errors } = await openPage({ instant, timeZone });
      const expected = windows[window].boxes;
      for (const [i, want] of expected.entries()) {
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
  if (!cases[caseName]) {
    fail(`no case ${caseName}`);
  }
  await cases[caseName]();
  console.log(`${kind}: ${caseName} passed`);
} catch (error) {
  fail(error.stack);
} finally {
  await browser.close();
  fs.rmSync(profile, { recursive: true, force: true });
}
