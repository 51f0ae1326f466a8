// State messages built field by field in the order the program writes them, so the
// page is tested against the same shapes it receives.
'use strict';
const { media } = require('./harness');

function screen(o = {}) {
  return {
    x: o.x ?? 0, y: o.y ?? 0, w: o.w ?? 1920, h: o.h ?? 1080,
    main: o.main ?? false, playing: o.playing ?? false, covered: o.covered ?? false,
    path: o.path ?? '', name: o.name ?? 'Generic monitor', frame: o.frame ?? null,
  };
}

function item(o) {
  const kind = o.kind ?? 'video';
  return {
    name: o.name, path: o.path, kind, mine: o.mine ?? false, ok: o.ok ?? true,
    thumb: o.thumb ?? '', url: o.url ?? (kind === 'video' ? media('clip.webm') : ''),
  };
}

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
  return {
    t: 'state',
    mode: o.mode ?? 'screens',
    span: o.span ?? '',
    spanPlaying: o.spanPlaying ?? false,
    spanFrame: o.spanFrame ?? null,
    screens: o.screens ?? [
      screen({ x: 0, y: 0, w: 2560, h: 1440, main: true, playing: true, path: W + 'misty-peaks.mp4', name: 'DELL U2720Q', frame: [0.5, 0.5, 1] }),
      screen({ x: 2560, y: 200, w: 1920, h: 1080, covered: true, path: W + 'night-drive.mp4', name: 'LG HDR FHD' }),
    ],
    items: o.items ?? ITEMS,
    set: Object.assign({ pfs: true, pcov: true, pbat: false, start: false, fps: 30, fit: false, idle: 1, idleMin: 10 }, o.set),
    stats: Object.assign({ cpu: 1.4, ram: 86, userPaused: false, reason: '' }, o.stats),
  };
}

function manyItems(n) {
  const out = [];
  const kinds = ['video', 'image', 'web', 'shader'];
  for (let i = 0; i < n; i++) {
    const kind = kinds[i % 4];
    out.push(item({
      name: 'Wallpaper ' + String(i).padStart(4, '0'), path: U + 'many\\w' + i + '.' + ({ video: 'mp4', image: 'jpg', web: 'html', shader: 'hlsl' })[kind],
      kind, mine: i % 3 === 0, ok: kind !== 'shader', thumb: kind === 'image' ? media('lake.jpg') : (i % 8 === 0 ? media('ocean-dusk.mp4.jpg') : ''),
    }));
  }
  return out;
}

module.exports = { screen, item, state, manyItems, ITEMS, W, U };
