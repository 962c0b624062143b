// The scripts the host sends into the game's page, run in headless Chromium
// against a mock game page. The texts come from the C++ program itself
// (print_page_texts), so these tests check the bytes that ship.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { chromium } from 'playwright-core';

const here = new URL('.', import.meta.url);
const texts = JSON.parse(readFileSync(process.env.VANTOR_PAGE_TEXTS, 'utf8'));
const standIn = readFileSync(new URL('webview_stand_in.js', here), 'utf8');
const mockPage = readFileSync(new URL('mock_game.html', here), 'utf8');

let server;
let browser;
let origin;

before(async () => {
  server = createServer((request, response) => {
    response.writeHead(200, { 'content-type': 'text/html; charset=utf-8' });
    response.end(mockPage);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  origin = `http://127.0.0.1:${server.address().port}`;
  browser = await chromium.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
});

after(async () => {
  await browser?.close();
  server?.close();
});

// A fresh mock game page with the stand-in and S1 registered as the host
// registers S1: before the page's own scripts, in every document.
async function openGame() {
  const context = await browser.newContext();
  const page = await context.newPage();
  await page.addInitScript(standIn);
  await page.addInitScript(texts.S1);
  await page.goto(`${origin}/`);
  return page;
}

const run = (page, script) => page.evaluate((source) => { (0, eval)(source); }, script);
const posted = (page) => page.evaluate(() => window.__posted);

test('S1 posts startHook and stopHook as the pointer lock changes', async () => {
  const page = await openGame();
  await page.evaluate(() => {
    window.__lockElement = document.getElementById('lockTarget');
    document.dispatchEvent(new Event('pointerlockchange'));
    window.__lockElement = null;
    document.dispatchEvent(new Event('pointerlockchange'));
  });
  assert.deepEqual(await posted(page), ['startHook', 'stopHook']);
  await page.context().close();
});

test('S2 posts clientLoaded once, however many changes follow', async () => {
  const page = await openGame();
  await run(page, texts.S2);
  await page.evaluate(async () => {
    const loader = document.getElementById('initLoader');
    for (let i = 0; i < 3; i++) {
      loader.appendChild(document.createElement('div'));
      await new Promise((resolve) => setTimeout(resolve, 10));
    }
    loader.firstChild.appendChild(document.createElement('span'));
    await new Promise((resolve) => setTimeout(resolve, 10));
  });
  assert.deepEqual(await posted(page), ['clientLoaded']);
  await page.context().close();
});

test('S3 replays host messages as events on the pointer-lock element', async () => {
  const page = await openGame();
  await run(page, texts.S3);
  const seen = await page.evaluate(() => {
    const target = document.getElementById('lockTarget');
    const seen = [];
    for (const type of ['mousedown', 'wheel', 'mousemove']) {
      target.addEventListener(type, (e) => seen.push(
        type === 'mousemove' ? [type, e.movementX, e.movementY]
          : type === 'wheel' ? [type, e.deltaY] : [type, e.button]));
    }
    window.__lockElement = target;
    window.__deliver({ event: 'mousemove', x: -3, y: 7 });
    window.__deliver({ event: 'wheel', deltaY: 120 });
    window.__deliver({ event: 'wheel', deltaY: -120 });
    window.__deliver({ event: 'mousedown', button: 0 });
    window.__deliver({ event: 'keydown', key: 'a' });
    window.__deliver({ event: 'mouseup', button: 0 });
    return seen;
  });
  assert.deepEqual(seen, [['mousemove', -3, 7], ['wheel', 120], ['wheel', -120], ['mousedown', 0]]);
  await page.context().close();
});

test('S4 clamps a stored resolution above 1 and leaves the rest', async () => {
  const page = await openGame();
  const results = [];
  for (const stored of ['2', '1', '0.5', null]) {
    results.push(await page.evaluate(([source, value]) => {
      if (value === null) localStorage.removeItem('qva_setngss_resolution');
      else localStorage.setItem('qva_setngss_resolution', value);
      (0, eval)(source);
      return localStorage.getItem('qva_setngss_resolution');
    }, [texts.S4, stored]));
  }
  assert.deepEqual(results, ['1', '1', '0.5', null]);
  await page.context().close();
});

test('S5 appends the version banner that plays a sound on hover', async () => {
  const page = await openGame();
  await run(page, texts.S5);
  const banner = await page.evaluate(() => {
    const entry = document.getElementById('clientInfoVersion');
    entry.dispatchEvent(new MouseEvent('mouseover'));
    return { text: entry.textContent, last: document.getElementById('termsInfo').lastElementChild.id,
      sounds: SOUND.played };
  });
  assert.deepEqual(banner, { text: 'Vantor 2.0.9', last: 'clientInfoVersion', sounds: [['tick_0', 0.1]] });
  await page.context().close();
});

test('S6 and S7 add Client then Exit after the seventh menu item', async () => {
  const page = await openGame();
  await run(page, texts.S6);
  await run(page, texts.S7);
  const menu = await page.evaluate(() => [...document.getElementsByClassName('menuItem')].map(
    (item) => ({ id: item.id, label: item.childNodes[3].innerText, labelId: item.childNodes[3].id,
      icon: item.childNodes[1].innerHTML, color: item.childNodes[1].style.color,
      hover: item.attributes[2].textContent })));
  assert.deepEqual(menu.map((item) => item.label),
    ['Item 0', 'Item 1', 'Item 2', 'Item 3', 'Item 4', 'Item 5', 'Item 6', 'Client', 'Exit', 'Item 7']);
  assert.deepEqual(menu[7], { id: 'menuItem6', label: 'Client', labelId: 'menuBtnClient',
    icon: 'desktop_windows', color: 'rgb(180, 71, 255)', hover: 'SOUND.play(`select_0`, 0.15)' });
  assert.deepEqual(menu[8], { id: 'menuItem6', label: 'Exit', labelId: 'menuBtnExit',
    icon: 'exit_to_app', color: 'rgb(255, 71, 71)', hover: 'SOUND.play(`select_0`, 0.15)' });
  await page.evaluate(() => {
    document.getElementById('menuBtnClient').parentElement.click();
    document.getElementById('menuBtnExit').parentElement.click();
  });
  assert.deepEqual(await posted(page), ['clientSettings', 'clientExit']);
  await page.context().close();
});

test('S8 mirrors the game timer into the menu', async () => {
  const page = await openGame();
  await run(page, texts.S8);
  const mirrored = await page.evaluate(async () => {
    const before = document.getElementById('menuTimer').parentElement.id;
    document.getElementById('timerVal').textContent = '2:59';
    await new Promise((resolve) => setTimeout(resolve, 10));
    return [before, document.getElementById('menuTimer').innerText];
  });
  assert.deepEqual(mirrored, ['menuHider', '2:59']);
  await page.context().close();
});

test('the settings panel shows the values and every control posts its message', async () => {
  const page = await openGame();
  await run(page, texts.panelDefault);
  const state = await page.evaluate(() => ({
    shown: window.shownWindows,
    rows: [...document.querySelectorAll('#menuWindow .settName')].map((row) => {
      const input = row.querySelector('input');
      return [row.firstChild.textContent.trim(), input.type === 'color' ? input.value : input.checked];
    }),
  }));
  assert.deepEqual(state, {
    shown: [1],
    rows: [['Unlimited FPS', true], ['Fullscreen Mode', true], ['Sky Color', '#000000'],
      ['Shadowplay Mode', false], ['Developer Mode', false], ['Blur Fix', false], ['Raw Input', false]],
  });
  await page.evaluate(() => {
    for (const box of document.querySelectorAll('#menuWindow input[type=checkbox]')) box.click();
    const color = document.getElementById('slid_skyColor');
    color.value = '#12ab34';
    color.dispatchEvent(new Event('input'));
    document.getElementById('setHed_vantor').click();
  });
  assert.deepEqual(await posted(page), [
    'clientSettings_Unlimited FPS_false', 'clientSettings_Fullscreen Mode_false',
    'clientSettings_Shadowplay Mode_true', 'clientSettings_Developer Mode_true',
    'clientSettings_Blur Fix_true', 'clientSettings_Raw Input_true',
    'clientSettings_Sky Color_#12ab34']);
  assert.equal(await page.evaluate(() => window.windows[0].collapsed), 1);
  await page.context().close();
});

test('the settings panel reflects stored values', async () => {
  const page = await openGame();
  await run(page, texts.panelChanged);
  const rows = await page.evaluate(() => [...document.querySelectorAll('#menuWindow input')].map(
    (input) => (input.type === 'color' ? input.value : input.checked)));
  assert.deepEqual(rows, [false, true, '#12ab34', false, false, false, true]);
  await page.context().close();
});

test("Vantor's own page counts down, takes the pointer-lock watcher harmlessly, and Try now goes to the game", async () => {
  const context = await browser.newContext();
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  await page.addInitScript(standIn);
  await page.addInitScript(texts.S1);
  await page.route('https://vantor.io/**', (route) => route.fulfill({ body: 'the game' }));
  // Served as a document of its own, as NavigateToString makes one.
  await page.route('http://own.page.test/', (route) =>
    route.fulfill({ contentType: 'text/html; charset=utf-8', body: texts.unreachable }));
  await page.goto('http://own.page.test/');
  assert.match(await page.textContent('main'), /no network connection.*tries again in [23] s/s);
  await page.waitForFunction(() => document.getElementById('s').textContent === '2');
  assert.deepEqual(await posted(page), []);
  await Promise.all([page.waitForURL('https://vantor.io/'), page.click('#try')]);
  assert.deepEqual(errors, []);
  assert.equal(await page.textContent('body'), 'the game');
  await context.close();
});
