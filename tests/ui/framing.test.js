// Framing: drags, wheel, slider and keys send "frame" commands with finite numbers
// that stay in the range the program honours.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { launch, openPage, cmd, SEP } = require('./harness');
const fx = require('./fixtures');

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser.close(); });

const misty = fx.W + 'misty-peaks.mp4';
const one = (o = {}) => fx.state({
  screens: [fx.screen({ w: 2560, h: 1440, main: true, playing: true, path: misty, name: 'DELL', frame: o.frame ?? null })],
  set: o.set, mode: o.mode, span: o.span, spanFrame: o.spanFrame,
});

function parseFrames(posted, key) {
  return posted.filter((t) => t.startsWith('frame' + SEP)).map((t) => {
    const f = t.split(SEP);
    assert.equal(f.length, 5, 'frame command has five fields: ' + JSON.stringify(t));
    assert.equal(f[1], key);
    const [x, y, z] = f.slice(2).map(Number);
    for (const [v, s] of [[x, f[2]], [y, f[3]], [z, f[4]]]) {
      assert.ok(Number.isFinite(v), 'finite: ' + s);
      assert.match(s, /^-?\d+\.\d+$/, 'plain decimal: ' + s);
    }
    assert.ok(x >= 0 && x <= 1 && y >= 0 && y <= 1, `centre in range: ${x}, ${y}`);
    assert.ok(z >= 1 && z <= 4, 'zoom in range: ' + z);
    return { x, y, z };
  });
}

async function boxCentre(page) {
  const r = await page.locator('#frame-box').boundingBox();
  return { x: r.x + r.width / 2, y: r.y + r.height / 2, w: r.width, h: r.height };
}

test('wheel zooms, dragging pans, and every command stays finite and in range', async () => {
  const p = await openPage(browser);
  await p.deliver(one());
  await p.page.waitForFunction(() => document.querySelector('#frame-pic img') && document.querySelector('#frame-pic img').complete);
  await p.clearPosted();
  const c = await boxCentre(p.page);
  await p.page.mouse.move(c.x, c.y);
  await p.page.mouse.wheel(0, -400);
  await p.page.waitForTimeout(100);
  let frames = parseFrames(await p.posted(), '0');
  assert.ok(frames.length >= 1, 'the wheel sent a frame');
  const zoomed = frames[frames.length - 1];
  assert.ok(zoomed.z > 1.5, 'zoomed in: ' + zoomed.z);
  assert.equal(zoomed.x, 0.5);

  // Drag the picture to the left: the view's centre moves right.
  await p.clearPosted();
  await p.page.mouse.down();
  for (let i = 1; i <= 8; i++) await p.page.mouse.move(c.x - i * 10, c.y - i * 4);
  // A state arriving mid-drag (with the frame from before) must not pull it back.
  await p.deliver(one({ frame: [0.5, 0.5, zoomed.z] }));
  await p.page.mouse.move(c.x - 90, c.y - 36);
  await p.page.mouse.up();
  await p.page.waitForTimeout(100);
  frames = parseFrames(await p.posted(), '0');
  assert.ok(frames.length >= 2, 'drag sends as it moves');
  const last = frames[frames.length - 1];
  assert.ok(last.x > 0.5 && last.y > 0.5, `centre moved right and down: ${last.x}, ${last.y}`);
  for (let i = 1; i < frames.length; i++) assert.ok(frames[i].x >= frames[i - 1].x, 'monotonic while dragging one way');

  // A far drag stops at the picture's edge instead of leaving it.
  await p.clearPosted();
  await p.page.mouse.move(c.x, c.y);
  await p.page.mouse.down();
  await p.page.mouse.move(c.x - 5000, c.y - 5000, { steps: 4 });
  await p.page.mouse.up();
  await p.page.waitForTimeout(50);
  frames = parseFrames(await p.posted(), '0');
  const edge = frames[frames.length - 1];
  const half = 0.5 / edge.z;
  assert.ok(Math.abs(edge.x - (1 - half)) < 0.002 && Math.abs(edge.y - (1 - half)) < 0.002, `stopped at the edge: ${edge.x}, ${edge.y}, ${edge.z}`);

  // Zooming far out never goes below 1, and the reset removes the frame.
  await p.clearPosted();
  await p.page.mouse.move(c.x, c.y);
  await p.page.mouse.wheel(0, 5000);
  await p.page.waitForTimeout(80);
  frames = parseFrames(await p.posted(), '0');
  assert.equal(frames[frames.length - 1].z, 1);
  await p.clearPosted();
  await p.deliver(one({ frame: [0.6, 0.5, 2] }));
  await p.page.locator('#frame-reset').click();
  await p.expectPosted([cmd('frame', '0', '')]);
  assert.deepEqual(p.errors, []);
  await p.close();
});

test('slider and keys frame too; the span has its own key', async () => {
  const p = await openPage(browser);
  await p.deliver(one({ mode: 'span', span: misty, spanFrame: [0.5, 0.5, 2] }));
  await p.clearPosted();
  await p.page.locator('#frame-box').focus();
  await p.page.keyboard.press('ArrowRight');
  await p.page.keyboard.press('+');
  await p.page.waitForTimeout(60);
  let frames = parseFrames(await p.posted(), 'span');
  assert.ok(frames.length >= 1);
  assert.ok(frames[frames.length - 1].x > 0.5);
  assert.ok(Math.abs(frames[frames.length - 1].z - 2.2) < 0.001);
  await p.clearPosted();
  await p.page.locator('#frame-zoom').fill('3');
  await p.page.waitForTimeout(60);
  frames = parseFrames(await p.posted(), 'span');
  assert.equal(frames[frames.length - 1].z, 3);
  assert.deepEqual(p.errors, []);
  await p.close();
});

test('nothing is sent where framing does not apply: fit on, a web page, an empty screen', async () => {
  const p = await openPage(browser);
  const drag = async () => {
    const c = await boxCentre(p.page);
    await p.page.mouse.move(c.x, c.y);
    await p.page.mouse.wheel(0, -300);
    await p.page.mouse.down();
    await p.page.mouse.move(c.x - 60, c.y, { steps: 3 });
    await p.page.mouse.up();
    await p.page.waitForTimeout(60);
  };
  await p.deliver(one({ set: { fit: true } }));
  await p.clearPosted();
  await drag();
  assert.match(await p.page.locator('#frame-note').textContent(), /Fit is on/);
  const web = fx.state({ screens: [fx.screen({ path: fx.U + 'aurora_sky', main: true })] });
  await p.deliver(web);
  await drag();
  const empty = fx.state({ screens: [fx.screen({ main: true })] });
  await p.deliver(empty);
  await drag();
  assert.deepEqual(await p.posted(), []);
  assert.equal(await p.page.locator('#frame-zoom').isDisabled(), true);
  assert.deepEqual(p.errors, []);
  await p.close();
});
