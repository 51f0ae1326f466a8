// The bake studio: previews arrive one by one as looping videos, a bake shows its
// progress and ends in the library, and cancelled or failed bakes say so plainly.
'use strict';
const assert = require('node:assert/strict');
const { pageTest, cmd, media, state, item, ITEMS, U } = require('./harness');

const [lake, cat] = [U + 'lake.jpg', U + 'cat.gif'];
// Preview files as the program names them: the picture key (FNV-1a of the path), then the preset.
const PREVIEWS = 'C:\\Users\\ana\\AppData\\Roaming\\Lumenhollow\\previews\\';
const previewOf = { [lake]: (i) => PREVIEWS + '71539aa7-' + i + '.mp4', [cat]: (i) => PREVIEWS + 'cb4c0df7-' + i + '.mp4' };
const bakeMsg = (kind, preset, pct, path) => ({ t: 'bake', kind, preset, pct, path: path || '', url: path ? media('clip.webm') : '' });

const studio = (name, fn) => pageTest(name, async (p, pg) => {
  await pg.getByRole('tab', { name: 'Bake studio' }).click();
  await fn(p, pg);
});

studio('previews of all eleven presets arrive as looping muted videos', async (p, pg) => {
  // One tile per preset, in the program's order (commands.test.js holds the names to it).
  const presets = await pg.evaluate(() => LH.bake.presets);
  assert.deepEqual(await p.texts('.preset-name'), presets);
  assert.equal(presets.length, 11);
  // The first picture of the library is chosen; pictures that are not images are not offered.
  assert.equal(await pg.locator('#bake-select').inputValue(), lake);
  assert.deepEqual(await p.texts('#bake-select option'), ['Lake', 'Cat']);
  await pg.getByRole('button', { name: 'Preview all effects' }).click();
  await p.expectPosted([cmd('previews', lake)]);
  assert.equal(await pg.locator('.preset.waiting').count(), 11);
  for (const i of [3, 0, 10]) await p.deliver(bakeMsg(1, i, 0, previewOf[lake](i)));
  const vids = await pg.$$eval('.preset video', (els) => els.map((v) => ({
    preset: v.closest('.preset').dataset.preset, loop: v.loop, muted: v.muted, src: v.src,
  })));
  assert.deepEqual(vids.map((v) => v.preset).sort(), ['0', '10', '3']);
  assert.ok(vids.every((v) => v.loop && v.muted && v.src.startsWith('file:')));
  await p.shows({ '.preset.waiting': 8, '#bake-preview-note': /3 of 11/ });
  // A preview job that cannot read the picture says so and stops waiting.
  await p.deliver(bakeMsg(3, 0, 0));
  await p.shows({ '.preset.waiting': 0, '#bake-preview-note': /Couldn’t read this picture/ });
});

studio('a bake shows progress and ends with the new video in the library', async (p, pg) => {
  await pg.getByRole('radio', { name: /^Snowfall/ }).click();
  await pg.getByRole('button', { name: 'Bake “Snowfall”' }).click();
  await p.expectPosted([cmd('bake', lake, '3')]);
  // One bake at a time.
  await p.shows({ '#bake-cancel': true, '#bake-start:disabled': 1 });
  await p.deliver(bakeMsg(0, 3, 42));
  await p.shows({ '#bake-progress@aria-valuenow': '42', '#bake-message': /42 %/ });
  // The program sends the new state first, then the "bake" message of kind 2.
  const out = 'C:\\Users\\ana\\Videos\\Lumenhollow\\Lake - Snowfall.mp4';
  const items = ITEMS.concat([item({ name: 'Lake   Snowfall', path: out, mine: true })]);
  await p.deliver(state({ items }));
  await p.deliver(bakeMsg(2, 3, 100, out));
  await p.shows({ '#bake-message': /Done: Lake {3}Snowfall is in your library/, '#bake-cancel': false });
  await pg.getByRole('button', { name: 'Show it on Screen 1' }).click();
  await p.expectPosted([cmd('bake', lake, '3'), cmd('apply', '0', out)]);
  await pg.getByRole('button', { name: 'See it in the library' }).click();
  await p.shows({ '#view-wallpapers': true });
  assert.match(await pg.evaluate(() => document.activeElement.getAttribute('aria-label')), /^Lake {3}Snowfall/);
});

studio('cancelling sends "bakecancel"; a cancelled or failed bake says so without raw errors', async (p, pg) => {
  await pg.getByRole('button', { name: /^Bake “/ }).click();
  await p.deliver(bakeMsg(0, 0, 10));
  await pg.getByRole('button', { name: 'Cancel' }).click();
  await p.expectPosted([cmd('bake', lake, '0'), 'bakecancel']);
  await p.deliver(bakeMsg(3, 0, 100));
  await p.shows({ '#bake-message': 'Bake cancelled. Nothing was saved.', '#bake-start:enabled': 1 });
  // A bake that fails on its own.
  await pg.getByRole('radio', { name: /^Vintage film/ }).click();
  await pg.getByRole('button', { name: /^Bake “Vintage film”/ }).click();
  await p.deliver(bakeMsg(0, 9, 3));
  await p.deliver(bakeMsg(3, 9, 100));
  await p.shows({ '#bake-message': 'That bake did not finish. Try another picture or effect.' });
  // "Add a picture…" opens the program's picker; the picture it adds is chosen here.
  await p.clearPosted();
  await pg.getByRole('button', { name: 'Add a picture…' }).click();
  await p.expectPosted(['add']);
  const added = U + 'new.png';
  await p.deliver(state({ items: ITEMS.concat([item({ name: 'New', path: added, kind: 'image', mine: true, thumb: media('lake.jpg') })]) }));
  await p.deliver({ t: 'added', paths: [added] });
  assert.equal(await pg.locator('#bake-select').inputValue(), added);
  // A picture chosen from a library card's menu lands in the studio.
  await pg.getByRole('tab', { name: 'Wallpapers' }).click();
  await pg.locator('.card', { hasText: 'Cat' }).locator('.card-more').click();
  await pg.getByRole('menuitem', { name: 'Bake into a video…' }).click();
  assert.equal(await pg.locator('#bake-select').inputValue(), U + 'cat.gif');
});

studio('previews land only in the tiles of their own picture, and a previews failure never ends a bake', async (p, pg) => {
  await pg.getByRole('button', { name: 'Preview all effects' }).click();
  await p.deliver(bakeMsg(1, 0, 0, previewOf[lake](0)));
  // Switch to Cat and ask for its previews while Lake's records are still queued.
  await pg.locator('#bake-select').selectOption(cat);
  await pg.getByRole('button', { name: 'Preview all effects' }).click();
  await p.expectPosted([cmd('previews', lake), cmd('previews', cat)]);
  for (const i of [1, 2]) await p.deliver(bakeMsg(1, i, 0, previewOf[lake](i)));
  // Lake's previews stay out of Cat's tiles.
  await p.shows({ '.preset video': 0, '.preset.waiting': 11 });
  await p.deliver(bakeMsg(1, 2, 0, previewOf[cat](2)));
  assert.deepEqual(await pg.$$eval('.preset video', (els) => els.map((v) => v.closest('.preset').dataset.preset)), ['2']);
  await p.shows({ '#bake-preview-note': /1 of 11/ });

  // A bake runs; a late previews failure (pct 0) must not be taken for its end.
  await pg.getByRole('button', { name: /^Bake “/ }).click();
  await p.deliver(bakeMsg(0, 0, 20));
  await p.deliver(bakeMsg(3, 4, 0));
  await p.shows({ '#bake-cancel': true, '#bake-message': /20 %/ });
  await p.deliver(bakeMsg(0, 0, 30));
  await p.shows({ '#bake-progress@aria-valuenow': '30' });
});
