// Framing: drags, wheel, slider and keys send "frame" commands with finite numbers
// that stay in the range the program honours.
'use strict';
const assert = require('node:assert/strict');
const { pageTest, cmd, SEP, state, screen, W, U } = require('./harness');

const misty = W + 'misty-peaks.mp4';
const one = (o = {}) => state({
  screens: [screen({ w: 2560, h: 1440, main: true, playing: true, path: misty, name: 'DELL', frame: o.frame ?? null })],
  set: o.set, mode: o.mode, span: o.span, spanFrame: o.spanFrame,
});

// The frame commands among `posted`, each checked: five fields, plain finite
// decimals, the centre within the picture and the zoom within 1 to 4.
function parseFrames(posted, key) {
  return posted.filter((t) => t.startsWith('frame' + SEP)).map((t) => {
    const [, k, ...fields] = t.split(SEP);
    assert.deepEqual([k, fields.length], [key, 3], 'frame command: ' + JSON.stringify(t));
    for (const f of fields) assert.match(f, /^-?\d+\.\d+$/, 'plain decimal: ' + f);
    const [x, y, z] = fields.map(Number);
    assert.ok(x >= 0 && x <= 1 && y >= 0 && y <= 1 && z >= 1 && z <= 4, `in range: ${x}, ${y}, ${z}`);
    return { x, y, z };
  });
}

const boxCentre = (page) => page.locator('#frame-box').boundingBox()
  .then((r) => ({ x: r.x + r.width / 2, y: r.y + r.height / 2 }));

// The frames `action` sends, from a clear start; at least one.
async function framesOf(p, key, action) {
  await p.clearPosted();
  await action();
  await p.page.waitForTimeout(100);
  const frames = parseFrames(await p.posted(), key);
  assert.ok(frames.length >= 1, 'a frame was sent');
  return frames;
}

pageTest('wheel zooms, dragging pans, and every command stays finite and in range', { state: one() }, async (p, pg) => {
  await pg.waitForFunction(() => document.querySelector('#frame-pic img') && document.querySelector('#frame-pic img').complete);
  const c = await boxCentre(pg);
  await pg.mouse.move(c.x, c.y);
  const zoomed = (await framesOf(p, '0', () => pg.mouse.wheel(0, -400))).at(-1);
  assert.ok(zoomed.z > 1.5, 'zoomed in: ' + zoomed.z);
  assert.equal(zoomed.x, 0.5);

  // Drag the picture to the left: the view's centre moves right.
  const frames = await framesOf(p, '0', async () => {
    await pg.mouse.down();
    for (let i = 1; i <= 8; i++) await pg.mouse.move(c.x - i * 10, c.y - i * 4);
    // A state arriving mid-drag (with the frame from before) must not pull it back.
    await p.deliver(one({ frame: [0.5, 0.5, zoomed.z] }));
    await pg.mouse.move(c.x - 90, c.y - 36);
    await pg.mouse.up();
  });
  assert.ok(frames.length >= 2, 'drag sends as it moves');
  const last = frames.at(-1);
  assert.ok(last.x > 0.5 && last.y > 0.5, `centre moved right and down: ${last.x}, ${last.y}`);
  for (let i = 1; i < frames.length; i++) assert.ok(frames[i].x >= frames[i - 1].x, 'monotonic while dragging one way');

  // A far drag stops at the picture's edge instead of leaving it.
  await pg.mouse.move(c.x, c.y);
  const edge = (await framesOf(p, '0', async () => {
    await pg.mouse.down();
    await pg.mouse.move(c.x - 5000, c.y - 5000, { steps: 4 });
    await pg.mouse.up();
  })).at(-1);
  const far = 1 - 0.5 / edge.z;
  assert.ok(Math.abs(edge.x - far) < 0.002 && Math.abs(edge.y - far) < 0.002, `stopped at the edge: ${edge.x}, ${edge.y}, ${edge.z}`);

  // Zooming far out never goes below 1, and the reset removes the frame.
  await pg.mouse.move(c.x, c.y);
  assert.equal((await framesOf(p, '0', () => pg.mouse.wheel(0, 5000))).at(-1).z, 1);
  await p.clearPosted();
  await p.deliver(one({ frame: [0.6, 0.5, 2] }));
  await pg.locator('#frame-reset').click();
  await p.expectPosted([cmd('frame', '0', '')]);
});

pageTest('slider and keys frame too; the span has its own key',
  { state: one({ mode: 'span', span: misty, spanFrame: [0.5, 0.5, 2] }) }, async (p, pg) => {
  await pg.locator('#frame-box').focus();
  const keyed = (await framesOf(p, 'span', async () => {
    await pg.keyboard.press('ArrowRight');
    await pg.keyboard.press('+');
  })).at(-1);
  assert.ok(keyed.x > 0.5);
  assert.ok(Math.abs(keyed.z - 2.2) < 0.001);
  assert.equal((await framesOf(p, 'span', () => pg.locator('#frame-zoom').fill('3'))).at(-1).z, 3);
});

pageTest('nothing is sent where framing does not apply: fit on, a web page, an empty screen',
  { state: one({ set: { fit: true } }) }, async (p, pg) => {
  const drag = async () => {
    const c = await boxCentre(pg);
    await pg.mouse.move(c.x, c.y);
    await pg.mouse.wheel(0, -300);
    await pg.mouse.down();
    await pg.mouse.move(c.x - 60, c.y, { steps: 3 });
    await pg.mouse.up();
    await pg.waitForTimeout(60);
  };
  await drag();
  assert.match(await pg.locator('#frame-note').textContent(), /Fit is on/);
  for (const other of [screen({ path: U + 'aurora_sky', main: true }), screen({ main: true })]) {
    await p.deliver(state({ screens: [other] }));
    await drag();
  }
  assert.deepEqual(await p.posted(), []);
  assert.equal(await pg.locator('#frame-zoom').isDisabled(), true);
});
