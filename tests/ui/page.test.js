// The whole page: the tour, dropping files, a large library, the program's own
// golden state texts, and screenshots for review.
'use strict';
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { pathToFileURL } = require('node:url');
const { pageTest, REPO, BUILD, media, state, item, ITEMS, U, W, cmd } = require('./harness');

pageTest('"tour" walks through screens, library, framing and bake studio, and can be left', async (p, pg) => {
  await p.deliver({ t: 'tour' });
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
  await p.shows({ '#view-bake': true });
  // While it runs, the window behind cannot be used.
  assert.equal(await pg.evaluate(() => document.querySelector('.views').inert), true);
  await dialog.getByRole('button', { name: 'Finish' }).click();
  // Back where the user was.
  await p.shows({ '.tour': 0, '#view-wallpapers': true });

  // Escape leaves at any step, and focus stays inside the dialog meanwhile.
  await p.deliver({ t: 'tour' });
  for (let i = 0; i < 3; i++) await pg.keyboard.press('Tab');
  assert.equal(await pg.evaluate(() => !!document.activeElement.closest('.tour-card')), true);
  await pg.keyboard.press('Escape');
  assert.equal(await pg.locator('.tour').count(), 0);
  assert.equal(await pg.evaluate(() => document.querySelector('.views').inert), false);
  assert.deepEqual(await p.posted(), [], 'the tour sends nothing');
});

pageTest('dropped files reach postMessageWithAdditionalObjects as "drop"', async (p, pg) => {
  // Anywhere on the page, not only on the library (the end-to-end tests drop there).
  const veil = await pg.evaluate((names) => {
    const dt = new DataTransfer();
    for (const n of names) dt.items.add(new File(['x'], n, { type: 'video/mp4' }));
    const shown = [];
    for (const type of ['dragenter', 'dragover', 'drop']) {
      document.querySelector('.status').dispatchEvent(new DragEvent(type, { dataTransfer: dt, bubbles: true, cancelable: true }));
      shown.push(!document.getElementById('drop-veil').hidden);
    }
    return shown;
  }, ['a.mp4', 'b.png']);
  assert.deepEqual(veil, [true, true, false]);
  assert.deepEqual(await p.drops(), [{ text: 'drop', names: ['a.mp4', 'b.png'] }]);
  assert.deepEqual(await p.posted(), [], 'a drop is not a plain message');
  // Dragged text or links are refused without navigating away, and nothing is sent.
  const text = await pg.evaluate(() => {
    const dt = new DataTransfer();
    dt.setData('text/uri-list', 'https://example.invalid/');
    const over = new DragEvent('dragover', { dataTransfer: dt, bubbles: true, cancelable: true });
    document.body.dispatchEvent(over);
    return { prevented: over.defaultPrevented, effect: dt.dropEffect, veil: !document.getElementById('drop-veil').hidden };
  });
  assert.deepEqual(text, { prevented: true, effect: 'none', veil: false });
  assert.equal((await p.drops()).length, 1);
  // The program answers with "added": the new items are announced; an empty answer explains.
  await p.deliver({ t: 'added', paths: [U + 'lake.jpg'] });
  assert.equal(await pg.locator('#toast').textContent(), 'Added Lake');
  await p.deliver({ t: 'added', paths: [] });
  assert.match(await pg.locator('#toast').textContent(), /Nothing was added/);
});

pageTest('a video without a thumbnail previews itself, muted, while hovered', async (p, pg) => {
  const card = pg.locator('.card', { hasText: 'My clip' });
  assert.equal(await card.locator('video').count(), 0, 'nothing plays before the pointer comes');
  await card.hover();
  await card.locator('video').waitFor();
  const v = await card.locator('video').evaluate((e) => ({ muted: e.muted, loop: e.loop, src: e.src }));
  assert.deepEqual(v, { muted: true, loop: true, src: ITEMS.find((i) => i.name === 'My clip').url });
  await pg.waitForFunction(() => { const e = document.querySelector('.card video'); return e && !e.paused && e.currentTime > 0; });
  await pg.mouse.move(5, 700);
  assert.equal(await card.locator('video').count(), 0, 'and stops when it leaves');
  // Items with a thumbnail never load their video.
  await pg.locator('.card', { hasText: 'Deep space' }).hover();
  await pg.waitForTimeout(300);
  assert.equal(await pg.locator('.card video').count(), 0);
});

// Cards of every kind, some mine, some with thumbnails.
const manyItems = (n) => Array.from({ length: n }, (_, i) => {
  const [kind, ext] = [['video', 'mp4'], ['image', 'jpg'], ['web', 'html'], ['shader', 'hlsl']][i % 4];
  return item({
    name: 'Wallpaper ' + String(i).padStart(4, '0'), path: U + 'many\\w' + i + '.' + ext, kind, mine: i % 3 === 0,
    ok: kind !== 'shader', thumb: kind === 'image' ? media('lake.jpg') : (i % 8 === 0 ? media('ocean-dusk.mp4.jpg') : ''),
  });
});

pageTest('1,000 items render, and a repeated state touches no card', { state: null }, async (p, pg) => {
  const items = manyItems(1000);
  await p.deliver(state({ items }));
  await p.shows({ '#library-grid .card': 1000, '#library-count': '1000' });
  // The once-a-second state with only new figures changes the figures and nothing else.
  await pg.evaluate(() => { for (const li of document.querySelectorAll('.card-main')) li.__mark = 1; });
  const touched = await pg.evaluate((s) => {
    const mo = new MutationObserver(() => {});
    mo.observe(document.body, { subtree: true, childList: true, attributes: true, characterData: true });
    s.stats.cpu = 42.5;
    window.__lhBridgeIn(JSON.stringify(s));
    return mo.takeRecords().map((m) => (m.target.nodeType === 1 ? m.target : m.target.parentElement))
      .filter((el) => !el.closest('#status')).map((el) => el.id || el.className || el.tagName);
  }, state({ items }));
  assert.deepEqual(touched, []);
  assert.equal(await pg.locator('#status-cpu').textContent(), 'CPU 42.5 %');
  // One changed item changes one card's name; no card is rebuilt.
  const changed = items.slice();
  changed[500] = Object.assign({}, changed[500], { name: 'Renamed' });
  await p.deliver(state({ items: changed }));
  assert.equal(await pg.locator('.card-name', { hasText: 'Renamed' }).count(), 1);
  assert.equal(await pg.evaluate(() => [...document.querySelectorAll('.card-main')].filter((b) => b.__mark === 1).length), 1000);
  // Thumbnails are lazy: far-away images are not fetched.
  const loaded = await pg.evaluate(() => [...document.querySelectorAll('#library-grid img')].filter((i) => i.complete && i.naturalWidth > 0).length);
  const total = await pg.locator('#library-grid img').count();
  assert.ok(loaded < total / 2, `lazy thumbnails: ${loaded} of ${total} loaded`);
  // Filtering works at this size too, and Tab from the filter lands on the first card still shown.
  await pg.locator('#library-filter').fill('Wallpaper 099');
  assert.equal(await pg.locator('#library-grid .card:not([hidden])').count(), 10);
  for (let i = 0; i < 3; i++) await pg.keyboard.press('Tab');
  assert.match(await pg.evaluate(() => document.activeElement.getAttribute('aria-label') || ''), /^Wallpaper 0990/);
});

// axe-core in every view at 100 % and 200 %, composing the page over white: the page's own
// background is all that stands between its text and whatever the window lets show through.
const AXE = require.resolve('axe-core', { paths: [path.join(REPO, 'tools/library-bridge')] });
for (const zoom of [1, 2]) {
  pageTest(`axe finds nothing serious in any view at ${zoom * 100} %, over white`, async (p, pg) => {
    await pg.addScriptTag({ url: pathToFileURL(AXE).href });  // the page allows scripts from files only
    await pg.evaluate((z) => { document.documentElement.style.background = '#fff'; document.documentElement.style.zoom = z; }, zoom);
    for (const view of ['Wallpapers', 'Bake studio', 'Settings']) {
      await pg.getByRole('tab', { name: view }).click();
      const found = await pg.evaluate(async () => (await window.axe.run(document, {
        runOnly: { type: 'tag', values: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'best-practice'] },
        rules: { 'label-content-name-mismatch': { enabled: true } },
      })).violations.filter((v) => v.impact === 'serious' || v.impact === 'critical')
        .map((v) => v.id + ': ' + v.nodes.slice(0, 3).map((n) => n.target.join(' ')).join(', ')));
      assert.deepEqual(found, [], view);
    }
  });
}

pageTest('reduced motion is respected', { reducedMotion: true }, async (p, pg) => {
  // No movement: transitions are off and preview videos wait for the pointer.
  await pg.getByRole('tab', { name: 'Bake studio' }).click();
  await pg.getByRole('button', { name: 'Preview all effects' }).click();
  // A preview of the first picture (Lake), named as the program names it.
  const lakePreview = 'C:\\Users\\ana\\AppData\\Roaming\\Lumenhollow\\previews\\71539aa7-2.mp4';
  await p.deliver({ t: 'bake', kind: 1, preset: 2, pct: 0, path: lakePreview, url: media('clip.webm') });
  await pg.waitForTimeout(300);
  assert.equal(await pg.locator('.preset video').evaluate((v) => v.paused), true);
  assert.equal(await pg.locator('.preset').first().evaluate((e) => getComputedStyle(e.querySelector('.preset-media'), '::after').animationName), 'none');
  assert.equal(await pg.locator('#toast').evaluate((e) => getComputedStyle(e).transitionDuration), '0s');
});

pageTest('the rotation editor edits the chosen screen\'s rotation from the keyboard', async (p, pg) => {
  const deep = W + 'deep-space.mp4', misty = W + 'misty-peaks.mp4', night = W + 'night-drive.mp4';
  await p.shows({ '#rotation-list li': 0, '#rotation-note': /Add two or more/ });
  // A first item joins the wallpaper showing, so nothing changes until the interval ends.
  await pg.locator('#rotation-pick').selectOption(deep);
  await pg.locator('#rotation-pick').focus();
  await pg.keyboard.press('Tab');
  await pg.keyboard.press('Enter');
  await p.expectPosted([cmd('rotation', '0', '30', 'listed', misty, deep)]);
  await p.clearPosted();
  await p.deliver(state({ rot: { 0: { min: 15, order: 'listed', showing: 1, due: 0, items: [deep, misty] } } }));
  await p.shows({ '#rotation-list li': 2, '#rotation-list li.showing .rot-name': 'Misty peaks', '#rotation-minutes@min': '1' });
  await pg.getByRole('button', { name: 'Move down Deep space' }).focus();
  await pg.keyboard.press('Enter');
  await pg.getByRole('button', { name: 'Remove Misty peaks' }).press('Enter');
  await pg.locator('#rotation-minutes').fill('5000');
  await pg.locator('#rotation-minutes').press('Enter');
  await pg.getByRole('radio', { name: 'In order' }).focus();
  await pg.keyboard.press('ArrowRight');
  await pg.getByRole('button', { name: 'Next wallpaper' }).press('Enter');
  await p.expectPosted([
    cmd('rotation', '0', '15', 'listed', misty, deep), cmd('rotation', '0', '15', 'listed', deep),
    cmd('rotation', '0', '1440', 'listed', deep, misty), cmd('rotation', '0', '15', 'shuffled', deep, misty), cmd('next'),
  ]);
  // The list follows the program: after a move the moved item keeps the focus.
  await pg.getByRole('button', { name: 'Move down Deep space' }).press('Enter');
  await p.deliver(state({ rot: { 0: { min: 15, order: 'listed', showing: 0, due: 0, items: [misty, deep, night] } } }));
  assert.equal(await pg.evaluate(() => document.activeElement.getAttribute('aria-label')), 'Move down Deep space');
  await p.shows({ '#rotation-list li.showing .rot-name': 'Misty peaks', '#rotation-pick option': ITEMS.filter((i) => i.ok).length - 3 });
});

pageTest('the rules list adds, changes and removes rules from the keyboard, and the stop switch', async (p, pg) => {
  await p.deliver(state({ rules: [{ a: 'running', p: 'obs64.exe' }, { a: 'bogus', p: 'x.exe' }], stop: true }));
  await pg.getByRole('tab', { name: 'Settings' }).click();
  await p.shows({ '#rule-list li': 1, '#rule-list .rule-name': 'obs64.exe', '#set-stop@role': 'switch' });
  assert.equal(await pg.locator('#set-stop').isChecked(), true);
  await p.clearPosted();
  await pg.locator('#rule-name').fill('C:\\Games\\Game.exe ');
  await pg.locator('#rule-action').selectOption('notfullscreen');
  await pg.locator('#rule-name').press('Enter');
  await pg.getByRole('combobox', { name: 'What to do for obs64.exe' }).selectOption('foreground');
  await pg.getByRole('button', { name: 'Remove the rule for obs64.exe' }).press('Enter');
  await pg.locator('#set-stop').press('Space');
  await p.expectPosted([
    cmd('rules', 'running', 'obs64.exe', 'notfullscreen', 'Game.exe'), cmd('rules', 'foreground', 'obs64.exe', 'notfullscreen', 'Game.exe'),
    cmd('rules', 'notfullscreen', 'Game.exe'), cmd('set', 'stop', '0'),
  ]);
});

// The status line each golden state text shows: the pause reason, capitalised.
const STATUS = {
  'state-first-run.json': 'Playing', 'state-odd-names.json': 'Paused: Game / fullscreen app running',
  'state-span-paused.json': 'Paused: Paused by you', 'state-two-screens.json': 'Playing',
};

pageTest('the golden state texts of the program render as sent', { state: null }, async (p, pg) => {
  const dir = path.join(REPO, 'tests/golden');
  const files = fs.readdirSync(dir).filter((f) => /^state-.*\.json$/.test(f)).sort();
  assert.deepEqual(files, Object.keys(STATUS));
  for (const f of files) {
    const text = fs.readFileSync(path.join(dir, f), 'utf8');
    const msg = JSON.parse(text);
    await p.deliver(text);  // exactly as the program wrote it
    const shown = await pg.evaluate(() => ({
      names: [...document.querySelectorAll('#library-grid .card-name')].map((e) => e.textContent),
      screens: document.querySelectorAll('#monitor-map .monitor').length,
      span: document.querySelectorAll('#monitor-map .span-layer').length,
      status: ['status-cpu', 'status-ram', 'status-text'].map((id) => document.getElementById(id).textContent),
      pressed: document.getElementById('pause-all').getAttribute('aria-pressed'),
    }));
    assert.deepEqual(shown, {
      names: msg.items.map((i) => i.name), screens: msg.screens.length, span: msg.mode === 'span' ? 1 : 0,
      status: ['CPU ' + msg.stats.cpu.toFixed(1) + ' %', msg.stats.ram + ' MB', STATUS[f]], pressed: String(msg.stats.userPaused),
    }, f);
  }
});

for (const [w, h] of [[1180, 780], [860, 600]]) {
  pageTest(`a ${w}×${h} screenshot for review; every file asked for is there`, { width: w, height: h }, async (p, pg) => {
    await pg.evaluate(() => { document.documentElement.style.background = 'linear-gradient(135deg, #1d2230, #272336 55%, #1a272b)'; });
    await pg.waitForFunction(() => [...document.querySelectorAll('img')].every((i) => i.complete));
    const file = path.join(BUILD, 'ui', `library-${w}x${h}.png`);
    fs.mkdirSync(path.dirname(file), { recursive: true });
    await pg.screenshot({ path: file });
    assert.ok(fs.statSync(file).size > 10000, file);
    assert.deepEqual(p.loadFailures, []);
  });
}
