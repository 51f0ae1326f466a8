// The whole page: the tour, dropping files, a large library, the program's own
// golden state texts, and screenshots for review.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { launch, openPage, cmd, REPO, BUILD } = require('./harness');
const fx = require('./fixtures');

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
  // The program answers with "added": the new items are announced; an empty answer explains.
  await p.deliver({ t: 'added', paths: [fx.U + 'lake.jpg'] });
  assert.equal(await pg.locator('#toast').textContent(), 'Added Lake');
  await p.deliver({ t: 'added', paths: [] });
  assert.match(await pg.locator('#toast').textContent(), /Nothing was added/);
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
  assert.deepEqual(p.errors, []);
  console.log(`# 1000 items: ${perState.toFixed(1)} ms to handle and lay out a repeated state`);
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
    await p.deliver(msg);
    const items = Array.isArray(msg.items) ? msg.items.length : 0;
    assert.equal(await p.page.locator('#library-grid .card').count(), items, f + ': one card per item');
    const screens = Array.isArray(msg.screens) ? msg.screens.length : 0;
    assert.equal(await p.page.locator('#monitor-map .monitor').count(), screens, f + ': one drawing per screen');
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
    await p.close();
  }
  for (const f of shots) assert.ok(fs.statSync(f).size > 10000, f);
  console.log('# screenshots: ' + shots.join(' '));
});
