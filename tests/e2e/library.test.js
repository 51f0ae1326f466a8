// The real library page in Chromium against the real lumenhollow.exe under Wine: a
// test clicks in the page and watches the program act, in its settings file and on
// the desktop's window tree. Needs the environment scripts/winerun.sh sets
// (WINEPREFIX, DISPLAY, LH_WINE_APPDATA).
'use strict';
const { test, before, after, afterEach } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { spawn, execFile } = require('node:child_process');
const { once } = require('node:events');
const { PageBridge, windowsPath } = require('../../tools/library-bridge/bridge');

const REPO = path.resolve(__dirname, '../..');
const BUILD = process.env.LH_BUILD || path.join(REPO, 'build');
const WIN = process.env.LH_WIN || path.join(BUILD, 'win');
const OUT = path.join(BUILD, 'e2e');
const MEDIA = path.join(OUT, 'media');
const APP = path.join(OUT, 'app');
const DATA = path.join(process.env.LH_WINE_APPDATA || '', 'Lumenhollow');
const OUTPUT = path.join(OUT, 'program-output.txt');
// A name beyond ASCII crosses every conversion on the way: settings file, JSON,
// socket, page and command.
const LAKE = path.join(MEDIA, 'Lac d\u2019\u00e9t\u00e9.jpg');
const FIXTURES = path.join(REPO, 'tests/ui/fixtures/media');
const AURORA = path.join(FIXTURES, 'aurora.jpg');
const CLIP = path.join(FIXTURES, 'clip.webm');
const BASE = ['pauseFullscreen=1', 'pauseCovered=0', 'pauseBattery=1', 'fps=30', 'mode=screens'];
const library = (...files) => files.map((f) => 'lib=' + windowsPath(f));

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// Output goes to a file, never a pipe: the first Wine program of a prefix starts
// Wine's own services, which inherit its output and outlive it, and a pipe held
// open by them would keep the tests from ending.
function wine(exe, args = [], env = process.env, output = '/dev/null') {
  const out = fs.openSync(output, 'w');
  try { return spawn('wine', [exe, ...args], { env, stdio: ['ignore', out, out] }); } finally { fs.closeSync(out); }
}

const wineOutput = (exe, args = []) => new Promise((resolve, reject) => {
  execFile('wine', [path.join(WIN, exe), ...args], { timeout: 20000 }, (err, out) => (err ? reject(err) : resolve(out)));
});

const exited = (child, timeoutMs) => (child.exitCode !== null || child.signalCode !== null ? Promise.resolve(true)
  : Promise.race([once(child, 'exit').then(() => true), sleep(timeoutMs).then(() => false)]));

// Polls `probe` until it returns something truthy.
async function until(probe, timeoutMs, what) {
  for (const end = Date.now() + timeoutMs; Date.now() < end; await sleep(150)) {
    const got = await probe();
    if (got) return got;
  }
  throw new Error(`timed out waiting for ${what}`);
}

const read = (file) => { try { return fs.readFileSync(file, 'utf8'); } catch (_) { return ''; } };

// The values of a settings key, or of the keys starting with a prefix such as "screen:".
const settings = (key) => read(path.join(DATA, 'lumenhollow.ini')).split('\r\n')
  .filter((l) => l.startsWith(key.endsWith(':') ? key : key + '=')).map((l) => l.slice(l.indexOf('=') + 1));

// The wallpaper surfaces, as { hwnd, parent, rect: [l, t, r, b] }.
async function surfaces() {
  return (await wineOutput('e2e_surfaces.exe')).split(/\r?\n/).filter(Boolean).map((l) => {
    const [hwnd, parent, ...rect] = l.trim().split(' ');
    return { hwnd, parent, rect: rect.map(Number) };
  });
}

let bridge, shell, prog, runtime;

before(async () => {
  for (const dir of [MEDIA, APP]) {
    fs.rmSync(dir, { recursive: true, force: true });
    fs.mkdirSync(dir, { recursive: true });
  }
  fs.copyFileSync(path.join(FIXTURES, 'lake.jpg'), LAKE);
  // Laid out as installed, with the page straight from the source tree.
  fs.copyFileSync(path.join(WIN, 'lumenhollow.exe'), path.join(APP, 'lumenhollow.exe'));
  fs.symlinkSync(path.join(REPO, 'ui'), path.join(APP, 'ui'));
  // The folder holding EBWebView\x64\EmbeddedBrowserWebView.dll.
  const versions = path.join(WIN, 'fakewebview');
  runtime = fs.readdirSync(versions).map((v) => path.join(versions, v))
    .find((v) => fs.existsSync(path.join(v, 'EBWebView/x64/EmbeddedBrowserWebView.dll')));
  assert.ok(runtime, `no test web-view runtime under ${versions}`);
  bridge = await PageBridge.start({ log: () => {} });
  // shellsim plays the desktop's windows; the program attaches its surfaces to them.
  shell = wine(path.join(WIN, 'shellsim.exe'));
  await sleep(1500);
});

after(async () => {
  if (shell && shell.exitCode === null) { shell.kill(); await exited(shell, 5000); }
  if (bridge) await bridge.close();
});

// Ends the program as the tray's "Exit" does, and waits until it has.
afterEach(async () => {
  if (!prog) return;
  await wineOutput('lhctl.exe', ['exit', '10']).catch(() => {});
  if (!(await exited(prog, 10000))) { prog.kill('SIGKILL'); await exited(prog, 5000); }
  prog = null;
});

// Starts the program with a data folder holding only a settings file of these lines
// and waits for its library page to be up with the first "state".
async function openLibrary(lines) {
  fs.rmSync(DATA, { recursive: true, force: true });
  fs.mkdirSync(DATA, { recursive: true });
  fs.writeFileSync(path.join(DATA, 'lumenhollow.ini'), lines.map((l) => l + '\r\n').join(''));
  const viewP = bridge.nextView(40000);
  prog = wine(path.join(APP, 'lumenhollow.exe'), [], {
    ...process.env, WEBVIEW2_BROWSER_EXECUTABLE_FOLDER: windowsPath(runtime), LH_FAKEWEBVIEW_BRIDGE: String(bridge.port),
  }, OUTPUT);
  const view = await viewP.catch((e) => {
    throw new Error(`${e.message}\nprogram output:\n${read(OUTPUT)}\nlog:\n${read(path.join(DATA, 'log.txt'))}`);
  });
  return { view, page: await view.ready() };
}

test('the page shows the program\'s screens and library', async () => {
  const { view, page } = await openLibrary([...BASE, ...library(LAKE, AURORA, CLIP)]);
  // The program navigated to the page beside its executable (Wine grants the dark
  // backdrop, so with #backdrop), and the page said "ready".
  assert.match(view.url, /^file:\/\/\/Z:\/.*\/e2e\/app\/ui\/library\.html#backdrop$/i);
  assert.deepEqual(view.sent[0], { json: '"ready"', string: 'ready' });

  const st = view.lastState;
  assert.ok(st.screens.length >= 1, 'Xvfb gives the program one screen at least');
  const monitors = page.locator('#monitor-map .monitor');
  await until(async () => (await monitors.count()) === st.screens.length, 5000, 'one monitor per screen');
  assert.match(await monitors.first().getAttribute('aria-label'), /^Screen 1, .* by .*, no wallpaper$/);

  const names = ['Lac d\u2019\u00e9t\u00e9', 'Aurora', 'Clip'];
  assert.deepEqual(st.items.map((i) => [i.name, i.path, i.kind]),
    [[names[0], windowsPath(LAKE), 'image'], [names[1], windowsPath(AURORA), 'image'], [names[2], windowsPath(CLIP), 'video']]);
  await until(async () => String(await page.locator('#library-grid .card-name').allTextContents()) === String(names), 5000, 'the cards');
  // A picture's thumbnail is the program's file URL, loaded from disk. (Wine writes
  // U+0080 to U+00FF in file URLs as single-byte escapes such as %E9, which name no
  // file, so the accented picture's thumbnail is not checked here.)
  await page.waitForFunction(() => [...document.querySelectorAll('#library-grid .card img')]
    .some((i) => /aurora\.jpg$/.test(i.src) && i.naturalWidth > 0));
  assert.deepEqual(view.faults, []);
});

test('clicking a picture\'s card applies it: the settings file and the surface change', async () => {
  const { view, page } = await openLibrary([...BASE, ...library(LAKE, AURORA)]);
  assert.deepEqual(await surfaces(), [], 'nothing assigned, nothing shown');
  const b = view.lastState.screens[0];

  const apply = async (name, file) => {
    await page.locator('#library-grid .card', { hasText: name }).locator('.card-main').click();
    await until(() => String(settings('screen:')) === windowsPath(file), 10000, `${name} in the settings file`);
    const shown = await until(async () => { const s = await surfaces(); return s.length === 1 && s; }, 15000, 'one surface');
    await view.waitFor((m) => m.t === 'state' && m.screens[0].path === windowsPath(file), 10000, 'the new path in "state"');
    assert.equal(shown[0].parent, 'WorkerW', 'the surface hangs from the wallpaper host');
    assert.deepEqual(shown[0].rect, [b.x, b.y, b.x + b.w, b.y + b.h]);
    return shown[0];
  };

  const lake = await apply('Lac d\u2019\u00e9t\u00e9', LAKE);
  const aurora = await apply('Aurora', AURORA);
  assert.notEqual(aurora.hwnd, lake.hwnd, 'the old surface made way for a new one');
  assert.deepEqual(view.faults, []);
});

test('a change in Settings reaches the settings file', async () => {
  const { view, page } = await openLibrary([...BASE]);
  await page.getByRole('tab', { name: 'Settings' }).click();
  await page.locator('#set-fps').fill('45');
  await until(() => String(settings('fps')) === '45', 10000, 'fps=45 in the settings file');
  // The program answers with a state that the page shows.
  await view.waitFor((m) => m.t === 'state' && m.set.fps === 45, 5000, 'fps 45 in "state"');
  await until(async () => (await page.locator('#set-fps-out').textContent()) === '45 fps', 5000, 'the page showing 45 fps');
  assert.deepEqual(view.faults, []);
});

test('a rotation made in the page reaches the settings file and shows its first item', async () => {
  const { view, page } = await openLibrary([...BASE, ...library(LAKE, AURORA)]);
  for (const file of [LAKE, AURORA]) {
    await page.locator('#rotation-pick').selectOption(windowsPath(file));
    await page.locator('#rotation-add').click();
    await view.waitFor((m) => m.t === 'state' && m.rot && m.rot[0] && m.rot[0].items.includes(windowsPath(file)), 10000, 'the item in "state"');
  }
  assert.deepEqual(settings('rotitem:'), [LAKE, AURORA].map(windowsPath));
  assert.match(String(settings('rotation:')), /^30,listed,0,\d+,0,0 1$/);
  assert.equal(String(settings('screen:')), windowsPath(LAKE), 'the first item shows');
  await until(async () => (await page.locator('#rotation-list li.showing').textContent()).includes('Lac'), 5000, 'the item showing');
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
  assert.deepEqual(view.faults, []);
});

test('files dropped on the page join the library with their paths', async () => {
  const { view, page } = await openLibrary([...BASE, ...library(AURORA)]);
  await view.dropFiles('#library-grid', [LAKE, CLIP]);
  const added = await view.waitFor((m) => m.t === 'added', 10000, '"added"');
  assert.deepEqual(added.paths, [windowsPath(LAKE), windowsPath(CLIP)]);
  assert.deepEqual(settings('lib'), [AURORA, LAKE, CLIP].map(windowsPath));
  await until(async () => (await page.locator('#library-grid .card').count()) === 3, 5000, 'three cards');
  assert.deepEqual(view.faults, []);
});
