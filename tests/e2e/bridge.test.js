// What the bridge does that the program under Wine rarely or never shows: lines cut
// anywhere by the socket, broken lines, a web wallpaper's navigation, files a drag
// did not offer. Checked on a fake socket and page, without a browser.
'use strict';
const { test } = require('node:test');
const assert = require('node:assert/strict');
const { EventEmitter } = require('node:events');
const path = require('node:path');
const { PageBridge, localUrl, windowsPath, mapUrls } = require('../../tools/library-bridge/bridge');

test('drive Z: maps to the root both ways', () => {
  const cases = [
    [localUrl('file:///Z:/a%20b/ui/library.html'), 'file:///a%20b/ui/library.html'],
    [localUrl('file:///z:/x.jpg'), 'file:///x.jpg'],
    [localUrl('file:///C:/x.jpg'), 'file:///C:/x.jpg'],
    [localUrl('https://example.invalid/Z:/x'), 'https://example.invalid/Z:/x'],
    [windowsPath('/tmp/a b/c.png'), 'Z:\\tmp\\a b\\c.png'],
    [JSON.stringify(mapUrls({ t: 'state', n: 2, items: [{ thumb: 'file:///Z:/p.jpg', name: 'file:///Z:' }] })),
      '{"t":"state","n":2,"items":[{"thumb":"file:///p.jpg","name":"file:///Z:"}]}'],
  ];
  for (const [got, want] of cases) assert.equal(got, want);
});

// A bridge whose one web view has a fake socket and a fake page.
function fakeView() {
  const bridge = new PageBridge({ log: () => {} });
  const page = { shown: [], delivered: [], goto: async (url) => page.shown.push(url), evaluate: async (_, t) => page.delivered.push(t) };
  bridge.newPage = async () => page;
  const socket = Object.assign(new EventEmitter(), { written: [], setNoDelay() {}, write(l) { this.written.push(l); } });
  bridge.accept(socket);
  return { view: bridge.views[0], socket, page };
}

test('lines arrive whole whatever the socket cuts; broken ones are reported and skipped', async () => {
  const { view, socket, page } = fakeView();
  const name = 'Lac d\u2019\u00e9t\u00e9 \ud834\udd1e';
  const bytes = Buffer.from([
    { navigate: 'file:///Z:/app/ui/library.html' },
    { post: JSON.stringify({ t: 'state', name, thumb: 'file:///Z:/p.jpg' }) },
    // A web wallpaper of the same program navigating does not take the library's place.
    { navigate: 'file:///Z:/walls/index.html' },
  ].map((l) => JSON.stringify(l) + '\n').join('') + '{"post":"{not json"}\nnot a line\n{"post":"{\\"t\\":\\"tour\\"}"}\n');
  // Every cut inside the two-, three- and four-byte characters.
  const cuts = [bytes.indexOf(0xe2) + 1, bytes.indexOf(0xe2) + 2, bytes.indexOf(0xc3) + 1, bytes.indexOf(0xf0) + 3, bytes.length];
  let from = 0;
  for (const cut of cuts) { socket.emit('data', bytes.subarray(from, cut)); from = cut; }
  await view.chain;
  assert.deepEqual(view.received, [{ t: 'state', name, thumb: 'file:///p.jpg' }, { t: 'tour' }]);
  assert.deepEqual(page.delivered, view.received.map((m) => JSON.stringify(m)));
  assert.deepEqual(page.shown, ['file:///app/ui/library.html']);
  assert.deepEqual(view.navigations, ['file:///Z:/app/ui/library.html', 'file:///Z:/walls/index.html']);
  assert.equal(view.faults.length, 2, view.faults.join('\n'));
});

test('a drop carries the Windows paths of the files the drag offered, and only those', () => {
  const { view, socket } = fakeView();
  const clip = path.join(__dirname, '../ui/fixtures/media/clip.webm');
  view.offered = [{ path: clip, name: 'clip.webm', size: 5 }];
  view.fromPage({ json: '"drop"', string: 'drop', files: [{ name: 'clip.webm', size: 5 }, { name: 'made.png', size: 5 }, null] });
  view.fromPage({ json: '{"t":"object"}' });
  view.fromPage({ string: 'no json' });
  assert.deepEqual(socket.written.map((l) => JSON.parse(l)), [
    { json: '"drop"', string: 'drop', files: [windowsPath(clip)] },
    { json: '{"t":"object"}' },
  ]);
});
