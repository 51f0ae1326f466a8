// The page's side of the message protocol: what it draws from "state" and the exact
// command texts it sends back.
'use strict';
const assert = require('node:assert/strict');
const { pageTest, cmd, state, item, ITEMS, W, U } = require('./harness');

pageTest('posts "ready" once, draws the screens to scale, in place, and the items in order', { state: null }, async (p, pg) => {
  await p.deliver(state());
  await p.deliver(state({ stats: { cpu: 3 } }));
  assert.deepEqual(await p.posted(), ['ready'], 'and never again on later messages');
  const mons = await pg.$$eval('#monitor-map .monitor', (els) => els.map((e) => {
    const r = e.getBoundingClientRect();
    return { x: r.left, y: r.top, w: r.width, h: r.height, label: e.getAttribute('aria-label'), chosen: e.getAttribute('aria-checked') };
  }));
  assert.equal(mons.length, 2);
  // 2560x1440 at (0,0) and 1920x1080 at (2560,200): the same ratios on the page (2 px border gap allowed).
  const scale = (mons[0].w + 2) / 2560;
  assert.ok(Math.abs((mons[1].w + 2) / 1920 - scale) < 0.01, 'both monitors share one scale');
  assert.ok(Math.abs((mons[0].h + 2) / 1440 - scale) < 0.01);
  assert.ok(Math.abs(mons[1].x - mons[0].x - 2560 * scale) < 1.5, 'second monitor sits right of the first');
  assert.ok(Math.abs(mons[1].y - mons[0].y - 200 * scale) < 1.5, 'and 200 px lower');
  assert.match(mons[0].label, /^Screen 1, DELL U2720Q, main screen, 2560 by 1440, playing$/);
  assert.match(mons[1].label, /Screen 2, LG HDR FHD, 1920 by 1080, covered/);
  assert.equal(mons[0].chosen, 'true');
  assert.equal(await pg.locator('#monitor-map .mon-main').count(), 1, 'only the main screen is marked');

  assert.deepEqual(await p.texts('#library-grid .card-name'), ITEMS.map((i) => i.name));
  // Unusable items are dimmed and say why; the items on a screen say so.
  assert.deepEqual(await p.texts('#library-grid .card.unusable .card-why'),
    ['Shader wallpapers need GPU effects', 'GIF wallpapers need GPU effects', 'File missing or not a wallpaper']);
  assert.deepEqual(await p.texts('#library-grid .card.in-use .card-use'), ['Screen 1', 'Screen 2']);
  // A second state with the items reordered follows the new order.
  const reordered = ITEMS.slice().reverse();
  await p.deliver(state({ items: reordered }));
  assert.deepEqual(await p.texts('#library-grid .card-name'), reordered.map((i) => i.name));
});

pageTest('applying, clearing, spanning and removing send the exact commands', async (p, pg) => {
  const lake = U + 'lake.jpg';
  const card = (name) => pg.locator('.card', { has: pg.locator('.card-name', { hasText: name }) });
  const menu = async (name, entry) => {
    await card(name).locator('.card-more').click();
    await pg.getByRole('menuitem', { name: entry }).click();
  };

  await card('Lake').locator('.card-main').click();                         // to the chosen screen (1)
  await pg.locator('#monitor-map .monitor').nth(1).click();             // choose screen 2
  await card('Deep space').locator('.card-main').click();
  await card('Plasma').locator('.card-main').click({ force: true });        // unusable: nothing sent
  assert.match(await pg.locator('#toast').textContent(), /Plasma: shader wallpapers need GPU effects/);
  await pg.locator('#clear-btn').click();                               // clears screen 2
  for (const entry of ['Show on all screens', 'Span across all screens', 'Remove from library']) await menu('Lake', entry);
  for (const id of ['identify-btn', 'add-files', 'add-folder', 'pause-all']) await pg.locator('#' + id).click();
  await p.expectPosted([
    cmd('apply', '0', lake), cmd('apply', '1', W + 'deep-space.mp4'), cmd('clear', '1'),
    cmd('apply', 'all', lake), cmd('span', lake), cmd('remove', lake), 'identify', 'add', 'addfolder', 'pause',
  ]);
  // Built-in items offer no removal.
  await card('Deep space').locator('.card-more').click();
  assert.equal(await pg.getByRole('menuitem', { name: 'Remove from library' }).count(), 0);
});

pageTest('switching layout sends "mode"; in span mode applying and clearing send "span"', async (p, pg) => {
  await pg.getByRole('radio', { name: 'Span all' }).click();
  // No span wallpaper yet: nothing to switch to, the page waits for a choice.
  assert.deepEqual(await p.posted(), []);
  assert.match(await pg.locator('#target-info').textContent(), /Choose a wallpaper to span/);
  await pg.locator('.card-main', { hasText: 'Ocean dusk' }).click();
  await p.expectPosted([cmd('span', W + 'ocean-dusk.mp4')]);
  await p.clearPosted();

  await p.deliver(state({ mode: 'span', span: W + 'ocean-dusk.mp4', spanPlaying: true, spanFrame: [0.4, 0.5, 1.5] }));
  await p.shows({ '#monitor-map .span-layer.playing': 1, '[data-mode="span"]@aria-checked': 'true' });
  await pg.locator('#clear-btn').click();
  await pg.getByRole('radio', { name: 'One per screen' }).click();
  await p.expectPosted([cmd('span', ''), cmd('mode', 'screens')]);
  await p.clearPosted();

  // Back in screens mode with a span path remembered, "Span all" switches at once.
  await p.deliver(state({ mode: 'screens', span: W + 'ocean-dusk.mp4' }));
  await pg.getByRole('radio', { name: 'Span all' }).click();
  await p.expectPosted([cmd('mode', 'span')]);
});

// What the Settings view shows, in the shape of the state's settings.
const shown = (pg) => pg.evaluate(() => {
  const on = (key) => document.getElementById('set-' + key).checked;
  const radio = (group) => document.querySelector(`[aria-label="${group}"] [aria-checked="true"]`).dataset.value;
  return {
    pfs: on('pfs'), pcov: on('pcov'), pbat: on('pbat'), start: on('start'), fps: +document.getElementById('set-fps').value,
    fit: radio('Picture size') === '1', idle: +radio('When you are away'), idleMin: +document.getElementById('set-idlemin').value,
  };
});

const saved = { pfs: true, pcov: false, pbat: true, start: true, fps: 48, fit: false, idle: 2, idleMin: 25 };
pageTest('settings mirror the state and send exactly one "set" per change', { state: state({ set: saved }) }, async (p, pg) => {
  await pg.getByRole('tab', { name: 'Settings' }).click();
  assert.deepEqual(await shown(pg), saved);
  await pg.locator('#set-pfs').uncheck();
  await pg.locator('#set-pcov').check();
  await pg.getByText('On battery').click();
  await pg.locator('#set-start').uncheck();
  await pg.locator('#set-fps').fill('120');
  await pg.getByRole('radio', { name: 'Fit' }).click();
  await pg.getByRole('radio', { name: 'Do nothing' }).click();
  assert.equal(await pg.locator('#set-idlemin').isDisabled(), true, 'minutes mean nothing while idle is off');
  await pg.getByRole('radio', { name: 'Pause', exact: true }).click();
  await pg.locator('#set-idlemin').fill('500');
  await pg.locator('#set-idlemin').press('Tab');
  await pg.locator('#saver-preview').click();
  await p.expectPosted([
    cmd('set', 'pfs', '0'), cmd('set', 'pcov', '1'), cmd('set', 'pbat', '0'), cmd('set', 'start', '0'),
    cmd('set', 'fps', '120'), cmd('set', 'fit', '1'), cmd('set', 'idle', '0'), cmd('set', 'idle', '1'),
    cmd('set', 'idlemin', '120'), 'saver',
  ]);

  // Keyboard: arrows move the fps slider; the change goes out once it is committed.
  await p.clearPosted();
  await p.deliver(state({ set: { fps: 30 } }));
  await pg.locator('#set-fps').focus();
  await pg.keyboard.press('ArrowRight');
  await p.expectPosted([cmd('set', 'fps', '31')]);
  // A fresh state updates every control the user is not touching.
  await pg.locator('#set-pfs').focus();
  const fresh = { pfs: false, pcov: true, pbat: false, start: false, fps: 60, fit: true, idle: 0, idleMin: 10 };
  await p.deliver(state({ set: fresh }));
  assert.deepEqual(await shown(pg), fresh);
  // The settings file may hold up to 240 fps, more than the page can choose: the
  // figure is shown as reported, the slider rests at its top.
  await p.deliver(state({ set: { fps: 240 } }));
  assert.equal((await shown(pg)).fps, 120);
  await p.shows({ '#set-fps-out': '240 fps' });
});

pageTest('the keyboard reaches everything: tabs, screens, grid, menus', async (p, pg) => {
  const focused = () => pg.evaluate(() =>
    (document.activeElement.getAttribute('aria-label') || document.activeElement.textContent).trim());
  await pg.getByRole('radio', { name: /^Screen 1/ }).focus();
  await pg.keyboard.press('ArrowRight');
  assert.match(await focused(), /^Screen 2/);
  await pg.keyboard.press('Enter');
  // The grid is one tab stop; arrows walk it and Enter applies to screen 2.
  await pg.locator('.card-main').first().focus();
  await pg.keyboard.press('ArrowRight');
  assert.match(await focused(), /^Misty peaks/);
  await pg.keyboard.press('ArrowDown');
  assert.match(await focused(), /^My clip|^Lake/);
  await pg.keyboard.press('Home');
  await pg.keyboard.press('Enter');
  await pg.keyboard.press('Shift+F10');
  await p.shows({ '.menu': 1 });
  await pg.keyboard.press('Escape');
  await p.shows({ '.menu': 0 });
  assert.match(await focused(), /More for Deep space/);
  // Focus is always visible.
  const ring = await pg.evaluate(() => getComputedStyle(document.activeElement).outline);
  assert.ok(/solid/.test(ring) && parseFloat(/([\d.]+)px/.exec(ring)[1]) >= 2, ring);
  await p.expectPosted([cmd('apply', '1', W + 'deep-space.mp4')]);
  // Tabs follow the arrow keys.
  await pg.getByRole('tab', { name: 'Wallpapers' }).focus();
  await pg.keyboard.press('ArrowRight');
  await p.shows({ '#view-bake': true });
});

pageTest('odd or hostile messages never break the page', async (p, pg) => {
  await p.deliver({ t: 'state' });
  await p.deliver({ t: 'state', screens: 'x', items: [null, 5, { name: 42, path: ['a'] }], set: null, stats: { cpu: 'NaN' } });
  await p.deliver({ t: 'nonsense' });
  await p.deliver({ t: 'bake', kind: 2, preset: 99, pct: 'x', path: null, url: 'javascript:alert(1)' });
  await p.deliver({ t: 'added', paths: 'nope' });
  await p.deliver(state({ items: [item({ name: '<img src=x onerror=alert(1)>', path: 'C:\\a"b\\c.mp4', thumb: 'http://example.invalid/x.jpg' })] }));
  // The name is text, not markup, and a thumbnail that is not a file is not loaded.
  await p.shows({ '.card-name': '<img src=x onerror=alert(1)>', '.card img': 0 });
});
