// The real library page in Chromium against the real program under Wine: a test
// clicks in the page and watches the program act, in its settings file and on the
// desktop's window tree.
'use strict';
const { test, before, after, afterEach } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { PageBridge, windowsPath } = require('../../tools/library-bridge/bridge');
const { Program, startShell, makeInstall, until, BUILD, REPO } = require('./program');

const FIXTURES = path.join(REPO, 'tests/ui/fixtures/media');
const MEDIA = path.join(BUILD, 'e2e', 'media');
// A name beyond ASCII crosses every conversion on the way: settings file, JSON,
// socket, page and command.
const LAKE = path.join(MEDIA, 'Lac d\u2019\u00e9t\u00e9.jpg');
const AURORA = path.join(MEDIA, 'aurora.jpg');
const CLIP = path.join(MEDIA, 'clip.webm');

let bridge, shell, install, prog;

before(async () => {
  fs.rmSync(MEDIA, { recursive: true, force: true });
  fs.mkdirSync(MEDIA, { recursive: true });
  fs.copyFileSync(path.join(FIXTURES, 'lake.jpg'), LAKE);
  fs.copyFileSync(path.join(FIXTURES, 'aurora.jpg'), AURORA);
  fs.copyFileSync(path.join(FIXTURES, 'clip.webm'), CLIP);
  install = makeInstall();
  bridge = await PageBridge.start({ log: () => {} });
  shell = await startShell();
});

after(async () => {
  if (shell) await shell.stop();
  if (bridge) await bridge.close();
});

afterEach(async () => {
  if (prog) await prog.stop();
  prog = null;
});

// Starts the program with a settings file of these lines and waits for its library
// page to be up with the first "state".
async function openLibrary(lines) {
  prog = new Program({ bridgePort: bridge.port, install });
  prog.prepare(lines);
  const viewP = bridge.nextView(40000);
  prog.start();
  const view = await viewP.catch((e) => { throw new Error(`${e.message}\nprogram output:\n${prog.output}\nlog:\n${prog.log()}`); });
  const page = await view.ready();
  return { view, page };
}

const BASE = ['pauseFullscreen=1', 'pauseCovered=0', 'pauseBattery=1', 'fps=30', 'mode=screens'];
const library = (...files) => files.map((f) => 'lib=' + windowsPath(f));

test('the page shows the program\'s screens and library', async () => {
  const { view, page } = await openLibrary([...BASE, ...library(LAKE, AURORA, CLIP)]);
  // The program navigated to the page beside its executable, and the page said "ready".
  assert.match(view.url, /^file:\/\/\/Z:\/.*\/e2e\/app\/ui\/library\.html$/i);
  assert.deepEqual(view.sent[0], { json: '"ready"', string: 'ready' });

  const st = view.lastState;
  assert.ok(st.screens.length >= 1, 'Xvfb gives the program one screen at least');
  const monitors = page.locator('#monitor-map .monitor');
  await until(async () => (await monitors.count()) === st.screens.length, 5000, 'one monitor per screen');
  const first = st.screens[0];
  assert.match(await monitors.first().getAttribute('aria-label'), new RegExp(`^Screen 1, .*${first.w} by ${first.h}, no wallpaper$`));

  assert.deepEqual(st.items.map((i) => [i.name, i.path, i.kind]), [
    ['Lac d\u2019\u00e9t\u00e9', windowsPath(LAKE), 'image'],
    ['Aurora', windowsPath(AURORA), 'image'],
    ['Clip', windowsPath(CLIP), 'video'],
  ]);
  const names = page.locator('#library-grid .card-name');
  await until(async () => (await names.count()) === 3, 5000, 'three cards');
  assert.deepEqual(await names.allTextContents(), ['Lac d\u2019\u00e9t\u00e9', 'Aurora', 'Clip']);
  // A picture's thumbnail is the program's file URL, loaded from disk. (Wine writes
  // U+0080 to U+00FF in file URLs as single-byte escapes such as %E9, which name no
  // file, so the accented picture's thumbnail is not checked here.)
  await page.locator('#library-grid .card', { hasText: 'Aurora' }).locator('img').waitFor();
  await page.waitForFunction(() => [...document.querySelectorAll('#library-grid .card img')].some((i) => /aurora\.jpg$/.test(i.src) && i.naturalWidth > 0));
  assert.equal(await page.locator('#library-count').textContent(), '3');
  assert.deepEqual(view.faults, []);
});

test('clicking a picture\'s card applies it: the settings file and the surface change', async () => {
  const { view, page } = await openLibrary([...BASE, ...library(LAKE, AURORA)]);
  assert.deepEqual(await prog.surfaces(), [], 'nothing assigned, nothing shown');
  const bounds = view.lastState.screens[0];
  const rect = [bounds.x, bounds.y, bounds.x + bounds.w, bounds.y + bounds.h];

  const apply = async (name, file) => {
    await page.locator('#library-grid .card', { hasText: name }).locator('.card-main').click();
    await until(() => prog.setting('screen:') === windowsPath(file), 10000, `${name} in the settings file`);
    const surfaces = await until(async () => { const s = await prog.surfaces(); return s.length === 1 && s; }, 15000, 'one surface');
    await view.waitFor((m) => m.t === 'state' && m.screens[0].path === windowsPath(file), 10000, 'the new path in "state"');
    return surfaces[0];
  };

  const lake = await apply('Lac d\u2019\u00e9t\u00e9', LAKE);
  assert.equal(lake.parent, 'WorkerW', 'the surface hangs from the wallpaper host');
  assert.deepEqual(lake.rect, rect);
  const aurora = await apply('Aurora', AURORA);
  assert.notEqual(aurora.hwnd, lake.hwnd, 'the old surface made way for a new one');
  assert.equal(aurora.parent, 'WorkerW');
  // The page marks the card in use and shows the screen with its wallpaper.
  await page.locator('#library-grid .card.in-use', { hasText: 'Aurora' }).waitFor();
  assert.equal(await page.locator('#library-grid .card.in-use').count(), 1);
  assert.doesNotMatch(await page.locator('#monitor-map .monitor').first().getAttribute('aria-label'), /no wallpaper/);
  assert.deepEqual(view.faults, []);
});

test('a change in Settings reaches the settings file', async () => {
  const { view, page } = await openLibrary([...BASE]);
  await page.getByRole('tab', { name: 'Settings' }).click();
  await page.locator('#set-fps').fill('45');
  await until(() => prog.setting('fps') === '45', 10000, 'fps=45 in the settings file');
  // The program answers with a state that the page shows.
  await view.waitFor((m) => m.t === 'state' && m.set.fps === 45, 5000, 'fps 45 in "state"');
  await until(async () => (await page.locator('#set-fps-out').textContent()) === '45 fps', 5000, 'the page showing 45 fps');

  assert.equal(prog.setting('pauseBattery'), '1');
  await page.locator('label[for="set-pbat"]').click();
  await until(() => prog.setting('pauseBattery') === '0', 10000, 'pauseBattery=0 in the settings file');
  assert.equal(await page.locator('#set-pbat').isChecked(), false);
  assert.deepEqual(view.faults, []);
});

test('bake progress from the program reaches the page', async () => {
  const { view, page } = await openLibrary([...BASE, ...library(AURORA)]);
  await page.getByRole('tab', { name: 'Bake studio' }).click();
  await page.locator('#bake-select').selectOption(windowsPath(AURORA));
  await page.locator('#preset-grid .preset', { hasText: 'Snowfall' }).click();
  await page.locator('#bake-start').click();
  assert.deepEqual(view.sent.at(-1).string, ['bake', windowsPath(AURORA), '3'].join('\u001f'));
  // Wine has no H.264 encoder, so the bake ends without a video; that end is what
  // the program reports, and the page shows it.
  const end = await view.waitFor((m) => m.t === 'bake' && m.kind === 3, 60000, 'the end of the bake');
  assert.deepEqual(end, { t: 'bake', kind: 3, preset: 3, pct: 100, path: '', url: '' });
  for (const m of view.received.filter((r) => r.t === 'bake')) assert.equal(m.preset, 3);
  await until(async () => /did not finish/.test(await page.locator('#bake-message').textContent()), 5000, 'the failure in the page');
  assert.equal(await page.locator('#bake-start').isDisabled(), false, 'a new bake can start');
  assert.deepEqual(view.faults, []);
});

test('files dropped on the page join the library with their paths', async () => {
  const { view, page } = await openLibrary([...BASE, ...library(AURORA)]);
  await view.dropFiles('#library-grid', [LAKE, CLIP]);
  const added = await view.waitFor((m) => m.t === 'added', 10000, '"added"');
  assert.deepEqual(added.paths, [windowsPath(LAKE), windowsPath(CLIP)]);
  assert.deepEqual(prog.setting('lib'), [AURORA, LAKE, CLIP].map(windowsPath));
  await until(async () => (await page.locator('#library-grid .card').count()) === 3, 5000, 'three cards');
  assert.deepEqual(view.faults, []);
});
