// What the bridge meets that the program under Wine rarely or never shows it: lines
// cut anywhere by the socket, broken lines, a web wallpaper's navigation, file URLs
// on other drives. Checked on a fake socket and page, without a browser.
'use strict';
const { test } = require('node:test');
const assert = require('node:assert/strict');
const { EventEmitter } = require('node:events');
const { PageBridge } = require('../../tools/library-bridge/bridge');

test('lines arrive whole whatever the socket cuts; broken ones are reported and skipped', async () => {
  const bridge = new PageBridge({ log: () => {} });
  const page = { shown: [], delivered: [], goto: async (url) => page.shown.push(url), evaluate: async (_, t) => page.delivered.push(t) };
  bridge.newPage = async () => page;
  const socket = Object.assign(new EventEmitter(), { setNoDelay() {} });
  bridge.accept(socket);
  const view = bridge.views[0];
  const name = 'Lac d\u2019\u00e9t\u00e9 \ud834\udd1e';
  const bytes = Buffer.from([
    { navigate: 'file:///Z:/app/ui/library.html' },
    { post: JSON.stringify({ t: 'state', name, thumb: 'file:///Z:/p.jpg', url: 'file:///C:/v.mp4' }) },
    // A web wallpaper of the same program navigating does not take the library's place.
    { navigate: 'file:///Z:/walls/index.html' },
  ].map((l) => JSON.stringify(l) + '\n').join('') + '{"post":"{not json"}\nnot a line\n{"post":"{\\"t\\":\\"tour\\"}"}\n');
  // Every cut inside the two-, three- and four-byte characters.
  const cuts = [bytes.indexOf(0xe2) + 1, bytes.indexOf(0xe2) + 2, bytes.indexOf(0xc3) + 1, bytes.indexOf(0xf0) + 3, bytes.length];
  let from = 0;
  for (const cut of cuts) { socket.emit('data', bytes.subarray(from, cut)); from = cut; }
  await view.chain;
  assert.deepEqual(view.received, [{ t: 'state', name, thumb: 'file:///p.jpg', url: 'file:///C:/v.mp4' }, { t: 'tour' }]);
  assert.deepEqual(page.delivered, view.received.map((m) => JSON.stringify(m)));
  assert.deepEqual(page.shown, ['file:///app/ui/library.html']);
  assert.deepEqual(view.navigations, ['file:///Z:/app/ui/library.html', 'file:///Z:/walls/index.html']);
  assert.equal(view.faults.length, 2, view.faults.join('\n'));
});
