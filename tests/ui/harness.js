// Shared by the page tests: one headless Chromium per test file, pages loaded from
// file: with a recording stand-in for the web view's bridge.
'use strict';
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { pathToFileURL } = require('node:url');
const { chromium } = require('playwright-core');

const REPO = path.resolve(__dirname, '../..');
const PAGE_URL = pathToFileURL(path.join(REPO, 'ui/library.html')).href;
const MEDIA = path.join(__dirname, 'fixtures/media');
const SEP = '\u001f';
const BUILD = process.env.LH_BUILD || path.join(REPO, 'build');

// Installed before any page script: records what the page posts and lets a test
// deliver messages the way the web view does (a MessageEvent whose data is the object).
function bridgeStub() {
  const target = new EventTarget();
  const rec = { posted: [], drops: [] };
  window.__bridge = rec;
  window.chrome = window.chrome || {};
  window.chrome.webview = {
    postMessage(text) { rec.posted.push(text); },
    postMessageWithAdditionalObjects(text, objects) {
      const list = Array.from(objects || []);
      rec.drops.push({ text, count: list.length, names: list.map((f) => f && f.name), allFiles: list.every((f) => f instanceof File) });
    },
    addEventListener: target.addEventListener.bind(target),
    removeEventListener: target.removeEventListener.bind(target),
  };
  window.__deliver = (obj) => target.dispatchEvent(new MessageEvent('message', { data: obj }));
}

async function launch() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'lh-ui-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--allow-file-access-from-files', '--autoplay-policy=no-user-gesture-required', '--mute-audio'],
    viewport: { width: 1180, height: 780 },
  });
  return {
    context,
    async close() {
      await context.close();
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

// Opens the page and returns helpers; every console error or page fault is kept.
async function openPage(browser, opts = {}) {
  const page = await browser.context.newPage();
  await page.setViewportSize({ width: opts.width || 1180, height: opts.height || 780 });
  if (opts.reducedMotion) await page.emulateMedia({ reducedMotion: 'reduce' });
  const errors = [];
  const loadFailures = [];
  // A file that is not there (a deleted wallpaper, a thumbnail never made) is an
  // ordinary situation the page handles; the browser still logs it, so it is kept apart.
  page.on('console', (m) => {
    if (m.type() !== 'error') return;
    if (/^Failed to load resource/.test(m.text())) loadFailures.push(m.text());
    else errors.push(m.text());
  });
  page.on('pageerror', (e) => errors.push(String(e)));
  const requests = [];
  page.on('request', (r) => requests.push(r.url()));
  await page.addInitScript(bridgeStub);
  await page.goto(PAGE_URL);
  await page.waitForFunction(() => window.LH && window.__bridge.posted.length > 0);
  const api = {
    page,
    errors,
    loadFailures,
    requests,
    posted: () => page.evaluate(() => window.__bridge.posted.slice()),
    drops: () => page.evaluate(() => window.__bridge.drops.slice()),
    clearPosted: () => page.evaluate(() => { window.__bridge.posted.length = 0; }),
    deliver: (obj) => page.evaluate((o) => window.__deliver(o), obj),
    // Delivers JSON text exactly as the program wrote it, parsed inside the page.
    deliverText: (text) => page.evaluate((t) => window.__deliver(JSON.parse(t)), text),
    // Commands posted since the last clear, in order, as exact strings.
    async expectPosted(list) {
      const got = await api.posted();
      require('node:assert/strict').deepEqual(got, list);
    },
    async close() { await page.close(); },
  };
  return api;
}

const media = (name) => pathToFileURL(path.join(MEDIA, name)).href;
const cmd = (...fields) => fields.join(SEP);

module.exports = { launch, openPage, media, cmd, SEP, REPO, BUILD, MEDIA, PAGE_URL };
