// The page's side of the message protocol: what it draws from "state" and the exact
// command texts it sends back.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { launch, openPage, cmd } = require('./harness');
const fx = require('./fixtures');

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser.close(); });

async function ready(opts, st) {
  const p = await openPage(browser, opts);
  await p.deliver(st || fx.state());
  await p.clearPosted();
  return p;
}

test('posts "ready" exactly once, and never again on later messages', async () => {
  const p = await openPage(browser);
  await p.page.waitForTimeout(150);
  assert.deepEqual(await p.posted(), ['ready']);
  await p.deliver(fx.state());
  await p.deliver(fx.state({ stats: { cpu: 3 } }));
  assert.deepEqual(await p.posted(), ['ready']);
  assert.deepEqual(p.errors, []);
  await p.close();
});

test('draws the screens to scale, in place, and the items in order', async () => {
  const p = await ready();
  const mons = await p.page.$$eval('#monitor-map .monitor', (els) => els.map((e) => {
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
  assert.equal(await p.page.locator('#monitor-map .mon-main').count(), 1, 'only the main screen is marked');

  const names = await p.page.$$eval('#library-grid .card-name', (els) => els.map((e) => e.textContent));
  assert.deepEqual(names, fx.ITEMS.map((i) => i.name));
  // Unusable items are dimmed and say why.
  const why = await p.page.$$eval('#library-grid .card.unusable .card-why', (els) => els.map((e) => e.textContent));
  assert.deepEqual(why, ['Shader wallpapers need GPU effects', 'GIF wallpapers need GPU effects', 'File missing or not a wallpaper']);
  // The items on a screen say so.
  const uses = await p.page.$$eval('#library-grid .card-use', (els) => els.map((e) => e.textContent));
  assert.deepEqual(uses, ['Screen 1', 'Screen 2']);
  // A second state with the items reordered follows the new order.
  const reordered = fx.ITEMS.slice().reverse();
  await p.deliver(fx.state({ items: reordered }));
  const again = await p.page.$$eval('#library-grid .card-name', (els) => els.map((e) => e.textContent));
  assert.deepEqual(again, reordered.map((i) => i.name));
  assert.deepEqual(p.errors, []);
  await p.close();
});

test('applying, clearing, spanning and removing send the exact commands', async () => {
  const p = await ready();
  const lake = fx.U + 'lake.jpg';
  const card = (name) => p.page.locator('.card', { has: p.page.locator('.card-name', { hasText: name }) });

  await card('Lake').locator('.card-main').click();                         // to the chosen screen (1)
  await p.page.locator('#monitor-map .monitor').nth(1).click();             // choose screen 2
  await card('Deep space').locator('.card-main').click();
  await card('Plasma').locator('.card-main').click({ force: true });        // unusable: nothing sent
  assert.match(await p.page.locator('#toast').textContent(), /Plasma: shader wallpapers need GPU effects/);
  await p.page.locator('#clear-btn').click();                               // clears screen 2
  await card('Lake').locator('.card-more').click();
  await p.page.getByRole('menuitem', { name: 'Show on all screens' }).click();
  await card('Lake').locator('.card-more').click();
  await p.page.getByRole('menuitem', { name: 'Span across all screens' }).click();
  await card('Lake').locator('.card-more').click();
  await p.page.getByRole('menuitem', { name: 'Remove from library' }).click();
  await p.page.locator('#identify-btn').click();
  await p.page.locator('#add-files').click();
  await p.page.locator('#add-folder').click();
  await p.page.locator('#pause-all').click();
  await p.expectPosted([
    cmd('apply', '0', lake),
    cmd('apply', '1', fx.W + 'deep-space.mp4'),
    cmd('clear', '1'),
    cmd('apply', 'all', lake),
    cmd('span', lake),
    cmd('remove', lake),
    'identify', 'add', 'addfolder', 'pause',
  ]);
  // Built-in items offer no removal.
  await card('Deep space').locator('.card-more').click();
  assert.equal(await p.page.getByRole('menuitem', { name: 'Remove from library' }).count(), 0);
  await p.page.keyboard.press('Escape');
  assert.deepEqual(p.errors, []);
  await p.close();
});

test('switching layout sends "mode"; in span mode applying and clearing send "span"', async () => {
  const p = await ready();
  await p.page.getByRole('radio', { name: 'Span all' }).click();
  // No span wallpaper yet: nothing to switch to, the page waits for a choice.
  assert.deepEqual(await p.posted(), []);
  assert.match(await p.page.locator('#target-info').textContent(), /Choose a wallpaper to span/);
  await p.page.locator('.card-main', { hasText: 'Ocean dusk' }).click();
  await p.expectPosted([cmd('span', fx.W + 'ocean-dusk.mp4')]);
  await p.clearPosted();

  await p.deliver(fx.state({ mode: 'span', span: fx.W + 'ocean-dusk.mp4', spanPlaying: true, spanFrame: [0.4, 0.5, 1.5] }));
  assert.equal(await p.page.locator('#monitor-map .span-layer.playing').count(), 1);
  assert.equal(await p.page.getByRole('radio', { name: 'Span all' }).getAttribute('aria-checked'), 'true');
  await p.page.locator('#clear-btn').click();
  await p.page.getByRole('radio', { name: 'One per screen' }).click();
  await p.expectPosted([cmd('span', ''), cmd('mode', 'screens')]);
  await p.clearPosted();

  // Back in screens mode with a span path remembered, "Span all" switches at once.
  await p.deliver(fx.state({ mode: 'screens', span: fx.W + 'ocean-dusk.mp4' }));
  await p.page.getByRole('radio', { name: 'Span all' }).click();
  await p.expectPosted([cmd('mode', 'span')]);
  assert.deepEqual(p.errors, []);
  await p.close();
});

test('settings mirror the state and send exactly one "set" per change', async () => {
  const p = await ready({}, fx.state({ set: { pfs: true, pcov: false, pbat: true, start: true, fps: 48, fit: false, idle: 2, idleMin: 25 } }));
  await p.page.getByRole('tab', { name: 'Settings' }).click();
  const pg = p.page;
  assert.equal(await pg.locator('#set-pfs').isChecked(), true);
  assert.equal(await pg.locator('#set-pcov').isChecked(), false);
  assert.equal(await pg.locator('#set-pbat').isChecked(), true);
  assert.equal(await pg.locator('#set-start').isChecked(), true);
  assert.equal(await pg.locator('#set-fps').inputValue(), '48');
  assert.equal(await pg.locator('#set-idlemin').inputValue(), '25');
  assert.equal(await pg.getByRole('radio', { name: 'Screensaver' }).getAttribute('aria-checked'), 'true');
  assert.equal(await pg.getByRole('radio', { name: 'Fill' }).getAttribute('aria-checked'), 'true');

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
  await p.deliver(fx.state({ set: { fps: 30 } }));
  await pg.locator('#set-fps').focus();
  await pg.keyboard.press('ArrowRight');
  await p.expectPosted([cmd('set', 'fps', '31')]);
  // A fresh state updates every control the user is not touching.
  await pg.locator('#set-pfs').focus();
  await p.deliver(fx.state({ set: { pfs: false, fps: 60, idle: 0, fit: true } }));
  assert.equal(await pg.locator('#set-pfs').isChecked(), false);
  assert.equal(await pg.getByRole('radio', { name: 'Fit' }).getAttribute('aria-checked'), 'true');
  // The settings file may hold up to 240 fps, more than the page can choose: the
  // figure is shown as reported, the slider rests at its top.
  await p.deliver(fx.state({ set: { fps: 240 } }));
  assert.equal(await pg.locator('#set-fps').inputValue(), '120');
  assert.equal(await pg.locator('#set-fps-out').textContent(), '240 fps');
  assert.deepEqual(p.errors, []);
  await p.close();
});

test('status shows the figures and the pause reason, and "Pause all" its state', async () => {
  const p = await ready({}, fx.state({ stats: { cpu: 12.3, ram: 140, userPaused: true, reason: 'paused by you' } }));
  assert.equal(await p.page.locator('#status-cpu').textContent(), 'CPU 12.3 %');
  assert.equal(await p.page.locator('#status-ram').textContent(), '140 MB');
  assert.equal(await p.page.locator('#status-text').textContent(), 'Paused: Paused by you');
  assert.equal(await p.page.locator('#pause-all').getAttribute('aria-pressed'), 'true');
  await p.deliver(fx.state({ stats: { cpu: 0.5, ram: 90, userPaused: false, reason: '' } }));
  assert.equal(await p.page.locator('#status-text').textContent(), 'Playing');
  assert.equal(await p.page.locator('#pause-all').getAttribute('aria-pressed'), 'false');
  await p.close();
});

test('the keyboard reaches everything: tabs, screens, grid, menus', async () => {
  const p = await ready();
  const pg = p.page;
  const focused = () => pg.evaluate(() => {
    const a = document.activeElement;
    return (a.getAttribute('aria-label') || a.textContent || '').trim();
  });
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
  assert.equal(await pg.locator('.menu').count(), 1);
  await pg.keyboard.press('Escape');
  assert.equal(await pg.locator('.menu').count(), 0);
  assert.match(await focused(), /More for Deep space/);
  // Focus is always visible.
  const ring = await pg.evaluate(() => { const c = getComputedStyle(document.activeElement); return [c.outlineStyle, parseFloat(c.outlineWidth)]; });
  assert.equal(ring[0], 'solid');
  assert.ok(ring[1] >= 2);
  await p.expectPosted([cmd('apply', '1', fx.W + 'deep-space.mp4')]);
  // Tabs follow the arrow keys.
  await pg.getByRole('tab', { name: 'Wallpapers' }).focus();
  await pg.keyboard.press('ArrowRight');
  assert.equal(await pg.locator('#view-bake').isVisible(), true);
  assert.deepEqual(p.errors, []);
  await p.close();
});

test('odd or hostile messages never break the page', async () => {
  const p = await ready();
  await p.deliver({ t: 'state' });
  await p.deliver({ t: 'state', screens: 'x', items: [null, 5, { name: 42, path: ['a'] }], set: null, stats: { cpu: 'NaN' } });
  await p.deliver({ t: 'nonsense' });
  await p.deliver({ t: 'bake', kind: 2, preset: 99, pct: 'x', path: null, url: 'javascript:alert(1)' });
  await p.deliver({ t: 'added', paths: 'nope' });
  await p.deliver(fx.state({ items: [fx.item({ name: '<img src=x onerror=alert(1)>', path: 'C:\\a"b\\c.mp4', thumb: 'http://example.invalid/x.jpg' })] }));
  assert.equal(await p.page.locator('.card-name').first().textContent(), '<img src=x onerror=alert(1)>');
  assert.equal(await p.page.locator('.card img').count(), 0, 'a non-file thumbnail is not loaded');
  assert.deepEqual(p.errors, []);
  await p.close();
});
