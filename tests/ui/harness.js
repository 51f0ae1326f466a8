// Shared by the page tests: one headless Chromium per test file, pages loaded from
// file: with the library bridge's stand-in for the web view, recording what the page
// posts, and state messages built field by field in the order the program writes them.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { pathToFileURL } = require('node:url');

const REPO = path.resolve(__dirname, '../..');
const BRIDGE = path.join(REPO, 'tools/library-bridge');
const { standIn, CHROMIUM_ARGS } = require(path.join(BRIDGE, 'bridge'));
const { chromium } = require(require.resolve('playwright-core', { paths: [BRIDGE] }));
const PAGE_URL = pathToFileURL(path.join(REPO, 'ui/library.html')).href;
const SEP = '\u001f';
const BUILD = process.env.LH_BUILD || path.join(REPO, 'build');

// Where the stand-in sends what the page posts: plain messages and drops apart.
function recorder() {
  const rec = { posted: [], drops: [] };
  window.__bridge = rec;
  window.__lhBridgeOut = (f) => {
    if (f.files) rec.drops.push({ text: f.string, names: f.files.map((file) => file && file.name) });
    else rec.posted.push(f.string ?? JSON.parse(f.json));
  };
}

let context, profile;
before(async () => {
  profile = fs.mkdtempSync(path.join(os.tmpdir(), 'lh-ui-'));
  context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true, args: CHROMIUM_ARGS,
  });
});
after(async () => {
  if (context) await context.close();
  fs.rmSync(profile, { recursive: true, force: true });
});

// Opens the page and returns helpers; every console error or page fault is kept.
async function openPage(opts = {}) {
  const page = await context.newPage();
  await page.setViewportSize({ width: opts.width || 1180, height: opts.height || 780 });
  if (opts.reducedMotion) await page.emulateMedia({ reducedMotion: 'reduce' });
  const errors = [], loadFailures = [], requests = [];
  // A file that is not there (a deleted wallpaper, a thumbnail never made) is an
  // ordinary situation the page handles; the browser still logs it, so it is kept apart.
  page.on('console', (m) => {
    if (m.type() === 'error') (/^Failed to load resource/.test(m.text()) ? loadFailures : errors).push(m.text());
  });
  page.on('pageerror', (e) => errors.push(String(e)));
  page.on('request', (r) => requests.push(r.url()));
  await page.addInitScript(recorder);
  await page.addInitScript(standIn);
  await page.goto(PAGE_URL);
  await page.waitForFunction(() => window.LH && window.__bridge.posted.length > 0);
  const p = {
    page, errors, loadFailures, requests,
    posted: () => page.evaluate(() => window.__bridge.posted.slice()),
    drops: () => page.evaluate(() => window.__bridge.drops.slice()),
    texts: (sel) => page.$$eval(sel, (els) => els.map((e) => e.textContent)),
    clearPosted: () => page.evaluate(() => { window.__bridge.posted.length = 0; }),
    // As the web view delivers the program's JSON: parsed, in a MessageEvent.
    deliver: (obj) => page.evaluate((t) => window.__lhBridgeIn(t), typeof obj === 'string' ? obj : JSON.stringify(obj)),
    // Commands posted since the last clear, in order, as exact strings.
    expectPosted: async (list) => assert.deepEqual(await p.posted(), list),
    // What the page shows, per selector: a number is how many match, true or false
    // whether the first is visible, a text or pattern its text; "selector@name" reads
    // an attribute.
    async shows(want) {
      for (const [key, value] of Object.entries(want)) {
        const [sel, attr] = key.split('@');
        const at = page.locator(sel);
        const got = attr ? await at.first().getAttribute(attr) : typeof value === 'number' ? await at.count()
          : typeof value === 'boolean' ? await at.first().isVisible() : await at.first().textContent();
        if (value instanceof RegExp) assert.match(got, value, key); else assert.equal(got, value, key);
      }
    },
  };
  return p;
}

// A test on a fresh page that has had `opts.state` (the default state unless given;
// null: none) with nothing posted since. Any page error fails it.
function pageTest(name, opts, fn) {
  if (!fn) [opts, fn] = [{}, opts];
  test(name, async () => {
    const p = await openPage(opts);
    try {
      if (opts.state !== null) {
        await p.deliver(opts.state || state());
        await p.clearPosted();
      }
      await fn(p, p.page);
      assert.deepEqual(p.errors, []);
      // The page reaches no network: everything it loads is a local file.
      assert.deepEqual(p.requests.filter((u) => !/^(file|data|blob):/.test(u)), []);
    } finally {
      await p.page.close();
    }
  });
}

const media = (name) => pathToFileURL(path.join(__dirname, 'fixtures/media', name)).href;
const cmd = (...fields) => fields.join(SEP);

// Defaults first, so the fields keep the program's order whatever a test overrides.
const screen = (o = {}) => ({
  x: 0, y: 0, w: 1920, h: 1080, main: false, playing: false, covered: false, path: '', name: 'Generic monitor', frame: null, ...o,
});
const item = (o) => ({
  name: '', path: '', kind: 'video', mine: false, ok: true, thumb: '', url: o.kind && o.kind !== 'video' ? '' : media('clip.webm'), ...o,
});

const W = 'C:\\Program Files\\Lumenhollow\\wallpapers\\';
const U = 'C:\\Users\\ana\\Pictures\\';

const ITEMS = [
  item({ name: 'Deep space', path: W + 'deep-space.mp4', thumb: media('deep-space.mp4.jpg') }),
  item({ name: 'Misty peaks', path: W + 'misty-peaks.mp4', thumb: media('misty-peaks.mp4.jpg') }),
  item({ name: 'Night drive', path: W + 'night-drive.mp4', thumb: media('night-drive.mp4.jpg') }),
  item({ name: 'Ocean dusk', path: W + 'ocean-dusk.mp4', thumb: media('ocean-dusk.mp4.jpg') }),
  item({ name: 'Lake', path: U + 'lake.jpg', kind: 'image', mine: true, thumb: media('lake.jpg') }),
  item({ name: 'My clip', path: U + 'my-clip.webm', kind: 'video', mine: true }),
  item({ name: 'Plasma', path: U + 'plasma.hlsl', kind: 'shader', mine: true, ok: false }),
  item({ name: 'Cat', path: U + 'cat.gif', kind: 'image', mine: true, ok: false, thumb: media('aurora.jpg') }),
  item({ name: 'Aurora sky', path: U + 'aurora_sky', kind: 'web', mine: true }),
  item({ name: 'Old.mp4', path: U + 'old.mp4', kind: '?', mine: true, ok: false, url: '' }),
];

function state(o = {}) {
  const given = Object.fromEntries(Object.entries(o).filter(([, v]) => v !== undefined));
  return {
    t: 'state', mode: 'screens', span: '', spanPlaying: false, spanFrame: null,
    screens: [
      screen({ x: 0, y: 0, w: 2560, h: 1440, main: true, playing: true, path: W + 'misty-peaks.mp4', name: 'DELL U2720Q', frame: [0.5, 0.5, 1] }),
      screen({ x: 2560, y: 200, w: 1920, h: 1080, covered: true, path: W + 'night-drive.mp4', name: 'LG HDR FHD' }),
    ],
    items: ITEMS,
    ...given,
    set: { pfs: true, pcov: true, pbat: false, start: false, fps: 30, fit: false, idle: 1, idleMin: 10, ...o.set },
    stats: { cpu: 1.4, ram: 86, userPaused: false, reason: '', ...o.stats },
  };
}

module.exports = { pageTest, media, cmd, screen, item, state, ITEMS, W, U, SEP, REPO, BUILD };
