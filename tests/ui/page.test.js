// The whole page: the tour, dropping files, a large library, the program's own
// golden state texts, and screenshots for review.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { launch, openPage, REPO, BUILD, PAGE_URL, media } = require('./harness');
const fx = require('./fixtures');

const mediaDir = media('');
let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser.close(); });

test('"tour" walks through screens, library, framing and bake studio, and can be left', async () => {
  const p = await openPage(browser);
  await p.deliver(fx.state());
  await p.deliver({ t: 'tour' });
  const pg = p.page;
  const dialog = pg.getByRole('dialog');
  const titles = [];
  for (let i = 0; i < 4; i++) {
    titles.push(await dialog.locator('h2').textContent());
    // The spotlight sits on the part it explains.
    const spot = await pg.locator('.tour-spot').boundingBox();
    assert.ok(spot.width > 100 && spot.height > 100);
    if (i < 3) await dialog.getByRole('button', { name: 'Next' }).click();
  }
  assert.deepEqual(titles, ['Your screens', 'Your library', 'Framing', 'Bake studio']);
  assert.equal(await pg.locator('#view-bake').isVisible(), true, 'the last step shows the studio');
  // While it runs, the window behind cannot be used.
  assert.equal(await pg.evaluate(() => document.querySelector('.views').inert), true);
  await dialog.getByRole('button', { name: 'Finish' }).click();
  assert.equal(await pg.locator('.tour').count(), 0);
  assert.equal(await pg.locator('#view-wallpapers').isVisible(), true, 'back where the user was');

  // Escape leaves at any step, and focus stays inside the dialog meanwhile.
  await p.deliver({ t: 'tour' });
  await pg.keyboard.press('Tab');
  await pg.keyboard.press('Tab');
  await pg.keyboard.press('Tab');
  assert.equal(await pg.evaluate(() => !!document.activeElement.closest('.tour-card')), true);
  await pg.keyboard.press('Escape');
  assert.equal(await pg.locator('.tour').count(), 0);
  assert.equal(await pg.evaluate(() => document.querySelector('.views').inert), false);
  assert.deepEqual(await p.posted(), ['ready'], 'the tour sends nothing');
  assert.deepEqual(p.errors, []);
  await p.close();
});

test('dropped files reach postMessageWithAdditionalObjects as "drop"', async () => {
  const p = await openPage(browser);
  await p.deliver(fx.state());
  const pg = p.page;
  const drop = (target, names) => pg.evaluate(({ target, names }) => {
    const dt = new DataTransfer();
    for (const n of names) dt.items.add(new File(['x'], n, { type: 'video/mp4' }));
    const el = document.querySelector(target);
    el.dispatchEvent(new DragEvent('dragenter', { dataTransfer: dt, bubbles: true, cancelable: true }));
    const veil = !document.getElementById('drop-veil').hidden;
    el.dispatchEvent(new DragEvent('dragover', { dataTransfer: dt, bubbles: true, cancelable: true }));
    el.dispatchEvent(new DragEvent('drop', { dataTransfer: dt, bubbles: true, cancelable: true }));
    return { veil, after: !document.getElementById('drop-veil').hidden };
  }, { target, names });
  const r = await drop('#library-grid', ['a.mp4', 'b.png']);
  assert.deepEqual(r, { veil: true, after: false });
  await drop('.status', ['c.html']);
  assert.deepEqual(await p.drops(), [
    { text: 'drop', count: 2, names: ['a.mp4', 'b.png'], allFiles: true },
    { text: 'drop', count: 1, names: ['c.html'], allFiles: true },
  ]);
  assert.deepEqual(await p.posted(), ['ready'], 'a drop is not a plain message');
  // Dragged text or links are refused without navigating away, and nothing is sent.
  const text = await pg.evaluate(() => {
    const dt = new DataTransfer();
    dt.setData('text/uri-list', 'https://example.invalid/');
    const over = new DragEvent('dragover', { dataTransfer: dt, bubbles: true, cancelable: true });
    document.body.dispatchEvent(over);
    return { prevented: over.defaultPrevented, effect: dt.dropEffect, veil: !document.getElementById('drop-veil').hidden };
  });
  assert.deepEqual(text, { prevented: true, effect: 'none', veil: false });
  assert.equal((await p.drops()).length, 2);
  // The program answers with "added": the new items are announced; an empty answer explains.
  await p.deliver({ t: 'added', paths: [fx.U + 'lake.jpg'] });
  assert.equal(await pg.locator('#toast').textContent(), 'Added Lake');
  await p.deliver({ t: 'added', paths: [] });
  assert.match(await pg.locator('#toast').textContent(), /Nothing was added/);
  assert.deepEqual(p.errors, []);
  await p.close();
});

test('a video without a thumbnail previews itself, muted, while hovered', async () => {
  const p = await openPage(browser);
  await p.deliver(fx.state());
  const pg = p.page;
  const card = pg.locator('.card', { hasText: 'My clip' });
  assert.equal(await card.locator('video').count(), 0, 'nothing plays before the pointer comes');
  await card.hover();
  await card.locator('video').waitFor();
  const v = await card.locator('video').evaluate((e) => ({ muted: e.muted, loop: e.loop, src: e.src }));
  assert.deepEqual(v, { muted: true, loop: true, src: fx.ITEMS.find((i) => i.name === 'My clip').url });
  await pg.waitForFunction(() => { const e = document.querySelector('.card video'); return e && !e.paused && e.currentTime > 0; });
  await pg.mouse.move(5, 700);
  assert.equal(await card.locator('video').count(), 0, 'and stops when it leaves');
  // Items with a thumbnail never load their video.
  await pg.locator('.card', { hasText: 'Deep space' }).hover();
  await pg.waitForTimeout(300);
  assert.equal(await pg.locator('.card video').count(), 0);
  assert.deepEqual(p.errors, []);
  await p.close();
});

test('1,000 items render without errors, and a repeated state touches no card', async () => {
  const p = await openPage(browser);
  const items = fx.manyItems(1000);
  const st = fx.state({ items });
  await p.deliver(st);
  const pg = p.page;
  assert.equal(await pg.locator('#library-grid .card').count(), 1000);
  assert.equal(await pg.locator('#library-count').textContent(), '1000');
  // Mark every card, deliver the same state with new figures: nothing is rebuilt.
  await pg.evaluate(() => { for (const li of document.querySelectorAll('.card-main')) li.__mark = 1; });
  // Timed inside the page (handling plus layout), so the test channel's cost is left out.
  await pg.evaluate((s) => { window.__big = s; }, fx.state({ items }));
  const perState = await pg.evaluate(() => {
    const t0 = performance.now();
    for (let i = 0; i < 5; i++) {
      const s = structuredClone(window.__big);
      s.stats.cpu = i;
      window.__deliver(s);
      void document.body.offsetHeight;
    }
    return (performance.now() - t0) / 5;
  });
  const kept = await pg.evaluate(() => [...document.querySelectorAll('.card-main')].filter((b) => b.__mark === 1).length);
  assert.equal(kept, 1000);
  // The once-a-second state with only new figures changes the figures and nothing else.
  const touched = await pg.evaluate(() => {
    const mo = new MutationObserver(() => {});
    mo.observe(document.body, { subtree: true, childList: true, attributes: true, characterData: true });
    const s = structuredClone(window.__big);
    s.stats.cpu = 42.5;
    s.stats.ram = 321;
    window.__deliver(s);
    const out = [];
    for (const m of mo.takeRecords()) {
      const el = m.target.nodeType === 1 ? m.target : m.target.parentElement;
      if (!el.closest('#status')) out.push((el.id || el.className || el.tagName) + ' ' + m.type + ' ' + (m.attributeName || ''));
    }
    mo.disconnect();
    return out;
  });
  assert.deepEqual(touched, []);
  assert.equal(await pg.locator('#status-cpu').textContent(), 'CPU 42.5 %');
  // One changed item changes one card; the others keep their nodes.
  const changed = items.slice();
  changed[500] = Object.assign({}, changed[500], { name: 'Renamed' });
  await p.deliver(fx.state({ items: changed }));
  assert.equal(await pg.locator('.card-name', { hasText: 'Renamed' }).count(), 1);
  // Thumbnails are lazy: far-away images are not fetched.
  const loaded = await pg.evaluate(() => [...document.querySelectorAll('#library-grid img')].filter((i) => i.complete && i.naturalWidth > 0).length);
  const total = await pg.locator('#library-grid img').count();
  assert.ok(loaded < total / 2, `lazy thumbnails: ${loaded} of ${total} loaded`);
  // Filtering works at this size too.
  await pg.locator('#library-filter').fill('Wallpaper 099');
  assert.equal(await pg.locator('#library-grid .card:not([hidden])').count(), 10);
  // Tab from the filter lands on the first card still shown.
  await pg.locator('#library-filter').press('Tab');
  await pg.keyboard.press('Tab');
  await pg.keyboard.press('Tab');
  assert.match(await pg.evaluate(() => document.activeElement.getAttribute('aria-label') || ''), /^Wallpaper 0990/);
  assert.deepEqual(p.errors, []);
  console.log(`# 1000 items: ${perState.toFixed(1)} ms to handle and lay out a repeated state`);
  await p.close();
});

test('every control has a name for screen readers, and reduced motion is respected', async () => {
  const p = await openPage(browser, { reducedMotion: true });
  await p.deliver(fx.state());
  const pg = p.page;
  for (const view of ['Wallpapers', 'Bake studio', 'Settings']) {
    await pg.getByRole('tab', { name: view }).click();
    const unnamed = await pg.evaluate(() => [...document.querySelectorAll('button, input, select, [role="radio"], [role="tab"], [tabindex="0"]')]
      .filter((e) => e.offsetParent !== null)
      .filter((e) => {
        const named = (e.getAttribute('aria-label') || '').trim() || (e.textContent || '').trim() ||
          (e.labels && e.labels.length) || e.getAttribute('aria-labelledby') || e.getAttribute('title');
        return !named;
      }).map((e) => e.outerHTML.slice(0, 80)));
    assert.deepEqual(unnamed, [], view + ': controls without a name');
  }
  // No movement: transitions are off and preview videos wait for the pointer.
  await pg.getByRole('tab', { name: 'Bake studio' }).click();
  await pg.getByRole('button', { name: 'Preview all effects' }).click();
  // A preview of the first picture (Lake), named as the program names it.
  const lakePreview = 'C:\\Users\\ana\\AppData\\Roaming\\Lumenhollow\\previews\\71539aa7-2.mp4';
  await p.deliver({ t: 'bake', kind: 1, preset: 2, pct: 0, path: lakePreview, url: require('./harness').media('clip.webm') });
  await pg.waitForTimeout(300);
  assert.equal(await pg.locator('.preset video').evaluate((v) => v.paused), true);
  assert.equal(await pg.locator('.preset').first().evaluate((e) => getComputedStyle(e.querySelector('.preset-media'), '::after').animationName), 'none');
  assert.equal(await pg.locator('#toast').evaluate((e) => getComputedStyle(e).transitionDuration), '0s');
  assert.deepEqual(p.errors, []);
  await p.close();
});

test('the golden state texts of the program render without errors', async (t) => {
  const dir = path.join(REPO, 'tests/golden');
  const files = fs.existsSync(dir) ? fs.readdirSync(dir).filter((f) => /^state-.*\.json$/.test(f)).sort() : [];
  if (!files.length) { t.skip('no golden state texts yet'); return; }
  const p = await openPage(browser);
  for (const f of files) {
    const text = fs.readFileSync(path.join(dir, f), 'utf8');
    const msg = JSON.parse(text);
    assert.equal(msg.t, 'state', f);
    await p.deliverText(text);
    const items = Array.isArray(msg.items) ? msg.items.length : 0;
    assert.equal(await p.page.locator('#library-grid .card').count(), items, f + ': one card per item');
    const screens = Array.isArray(msg.screens) ? msg.screens.length : 0;
    assert.equal(await p.page.locator('#monitor-map .monitor').count(), screens, f + ': one drawing per screen');
    const names = await p.page.$$eval('#library-grid .card-name', (els) => els.map((e) => e.textContent));
    assert.deepEqual(names, (msg.items || []).map((i) => i.name), f + ': names shown as sent');
    assert.equal(await p.page.locator('#monitor-map .span-layer').count(), msg.mode === 'span' ? 1 : 0, f + ': span drawn in span mode');
    assert.equal(await p.page.locator('#status-cpu').textContent(), 'CPU ' + msg.stats.cpu.toFixed(1) + ' %', f);
  }
  assert.deepEqual(p.errors, []);
  await p.close();
});

test('screenshots for review at 1180×780 and 860×600', async () => {
  const out = path.join(BUILD, 'ui');
  fs.mkdirSync(out, { recursive: true });
  const shots = [];
  const backdrop = () => { document.documentElement.style.background = 'linear-gradient(135deg, #1d2230, #272336 55%, #1a272b)'; };
  for (const [w, h] of [[1180, 780], [860, 600]]) {
    const p = await openPage(browser, { width: w, height: h });
    await p.page.evaluate(backdrop);
    await p.deliver(fx.state());
    await p.page.waitForFunction(() => [...document.querySelectorAll('img')].every((i) => i.complete));
    const file = path.join(out, `library-${w}x${h}.png`);
    await p.page.screenshot({ path: file });
    shots.push(file);
    if (w === 1180) {
      await p.page.getByRole('tab', { name: 'Bake studio' }).click();
      await p.deliver({ t: 'bake', kind: 0, preset: 3, pct: 64, path: '', url: '' });
      await p.page.screenshot({ path: path.join(out, `library-bake-${w}x${h}.png`) });
      await p.page.getByRole('tab', { name: 'Settings' }).click();
      await p.page.screenshot({ path: path.join(out, `library-settings-${w}x${h}.png`) });
      await p.deliver({ t: 'tour' });
      await p.page.getByRole('button', { name: 'Next' }).click();
      await p.page.waitForTimeout(500);
      await p.page.screenshot({ path: path.join(out, `library-tour-${w}x${h}.png`) });
    }
    assert.deepEqual(p.errors, []);
    assert.deepEqual(p.loadFailures, [], 'every fixture file the page asked for exists');
    // Nothing comes from anywhere but the page's own folder and the files the state names.
    const uiDir = PAGE_URL.replace(/library\.html$/, '');
    const stray = p.requests.filter((u) => !u.startsWith(uiDir) && !u.startsWith(mediaDir));
    assert.deepEqual(stray, []);
    await p.close();
  }
  for (const f of shots) assert.ok(fs.statSync(f).size > 10000, f);
  console.log('# screenshots: ' + shots.join(' '));
});
