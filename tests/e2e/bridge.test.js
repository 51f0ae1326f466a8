// The Node end of the bridge against a fake program on the socket: what the e2e
// tests stand on, checked without Wine.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const net = require('node:net');
const os = require('node:os');
const { spawn } = require('node:child_process');
const path = require('node:path');
const { pathToFileURL } = require('node:url');
const { PageBridge, windowsPath } = require('../../tools/library-bridge/bridge');

const REPO = path.resolve(__dirname, '../..');
const MEDIA = path.join(REPO, 'tests/ui/fixtures/media');
const SEP = '\u001f';
// How the program under Wine names files: drive Z: is the Linux root.
const zUrl = (p) => pathToFileURL(p).href.replace('file:///', 'file:///Z:/');

// Plays the program's end of one web view: writes lines, collects the page's lines.
class FakeProgram {
  static connect(port) {
    return new Promise((resolve) => {
      const fp = new FakeProgram(net.connect(port, '127.0.0.1', () => resolve(fp)));
    });
  }

  constructor(socket) {
    this.socket = socket;
    this.lines = [];
    this.waiters = [];
    let buf = '';
    socket.setEncoding('utf8');
    socket.on('data', (d) => {
      buf += d;
      let nl;
      while ((nl = buf.indexOf('\n')) >= 0) {
        this.lines.push(JSON.parse(buf.slice(0, nl)));
        buf = buf.slice(nl + 1);
        this.waiters = this.waiters.filter((w) => !w());
      }
    });
  }

  // Raw bytes, so a test can cut a line anywhere.
  write(bytes) { return new Promise((r) => this.socket.write(bytes, r)); }
  line(obj) { return this.write(JSON.stringify(obj) + '\n'); }
  navigate(url) { return this.line({ navigate: url }); }
  post(value) { return this.line({ post: JSON.stringify(value) }); }

  lineWhere(match, timeoutMs = 10000) {
    return new Promise((resolve, reject) => {
      const check = () => { const hit = this.lines.find(match); if (hit) { resolve(hit); return true; } return false; };
      if (check()) return;
      const timer = setTimeout(() => reject(new Error('no such line from the page: ' + JSON.stringify(this.lines))), timeoutMs);
      this.waiters.push(() => { if (check()) { clearTimeout(timer); return true; } return false; });
    });
  }

  close() { this.socket.end(); }
}

function state(items, screens = [{ x: 0, y: 0, w: 1920, h: 1080, main: true, playing: false, covered: false, path: '', name: 'Wine', frame: null }]) {
  return {
    t: 'state', mode: 'screens', span: '', spanPlaying: false, spanFrame: null, screens, items,
    set: { pfs: true, pcov: true, pbat: true, start: false, fps: 30, fit: false, idle: 0, idleMin: 10 },
    stats: { cpu: 0.5, ram: 40, userPaused: false, reason: '' },
  };
}

const picture = (name, file) => ({
  name, path: windowsPath(path.join(MEDIA, file)), kind: 'image', mine: true, ok: true,
  thumb: zUrl(path.join(MEDIA, file)), url: '',
});

let bridge;
before(async () => { bridge = await PageBridge.start({ log: () => {} }); });
after(async () => { if (bridge) await bridge.close(); });

async function connect() {
  const viewP = bridge.nextView();
  const prog = await FakeProgram.connect(bridge.port);
  await prog.navigate(zUrl(path.join(REPO, 'ui/library.html')));
  const view = await viewP;
  await prog.lineWhere((l) => l.string === 'ready');
  return { prog, view };
}

test('the page the program navigates to talks to it in lines both ways', async () => {
  const { prog, view } = await connect();
  assert.equal(view.page.url(), pathToFileURL(path.join(REPO, 'ui/library.html')).href, 'drive Z: is the root here');
  assert.deepEqual(prog.lines[0], { json: '"ready"', string: 'ready' });

  // A name with two-, three- and four-byte characters, its line cut inside each of them.
  const odd = 'Lac d\u2019\u00e9t\u00e9 \u2603 \ud834\udd1e';
  const bytes = Buffer.from(JSON.stringify({ post: JSON.stringify(state([picture(odd, 'lake.jpg'), picture('Aurora', 'aurora.jpg')])) }) + '\n');
  const cuts = [bytes.indexOf(0xc3) + 1, bytes.indexOf(0xe2) + 2, bytes.indexOf(0xf0) + 3, bytes.length - 1].sort((a, b) => a - b);
  let from = 0;
  for (const cut of cuts) { await prog.write(bytes.subarray(from, cut)); from = cut; await new Promise((r) => setTimeout(r, 30)); }
  await prog.write(bytes.subarray(from));

  const pg = await view.ready();
  const card = pg.locator('#library-grid li', { hasText: odd });
  await card.waitFor();
  // The thumbnail's Z: URL was opened as the same file here.
  await pg.waitForFunction((n) => [...document.querySelectorAll('#library-grid img')].filter((i) => i.naturalWidth > 0).length === n, 2);

  await pg.locator('#library-grid li', { hasText: 'Aurora' }).click();
  const apply = ['apply', '0', 'Z:' + path.join(MEDIA, 'aurora.jpg').replace(/\//g, '\\')].join(SEP);
  assert.deepEqual(await prog.lineWhere((l) => l.string && l.string.startsWith('apply')), { json: JSON.stringify(apply), string: apply });
  assert.deepEqual(view.faults, []);
  prog.close();
});

test('drops carry the Windows paths of the dropped files; non-string values carry no string', async () => {
  const { prog, view } = await connect();
  await prog.post(state([picture('Lake', 'lake.jpg')]));
  const pg = await view.ready();

  const files = [path.join(MEDIA, 'aurora.jpg'), path.join(MEDIA, 'clip.webm')];
  await view.dropFiles('#library-grid', files);
  const drop = await prog.lineWhere((l) => l.string === 'drop');
  assert.deepEqual(drop, { json: '"drop"', string: 'drop', files: files.map(windowsPath) });
  assert.match(drop.files[0], /^Z:\\.*\\tests\\ui\\fixtures\\media\\aurora\.jpg$/);

  // A file the desktop never handed over (made by script) has no path to send.
  await pg.evaluate(() => window.chrome.webview.postMessageWithAdditionalObjects('drop', [new File(['x'], 'made.png'), null]));
  await pg.evaluate(() => window.chrome.webview.postMessage({ t: 'object' }));
  await prog.lineWhere((l) => l.json === '{"t":"object"}');
  assert.deepEqual(prog.lines.slice(-2), [{ json: '"drop"', string: 'drop', files: [] }, { json: '{"t":"object"}' }]);
  await assert.rejects(pg.evaluate(() => window.chrome.webview.postMessageWithAdditionalObjects('drop', 5)), /array-like/);

  // A broken line is reported and skipped; the next one still arrives in order.
  await prog.write('{"post":"{not json"}\nnot even a line\n');
  await prog.post({ t: 'bake', kind: 3, preset: 0, pct: 100, path: '', url: '' });
  await view.waitFor((m) => m.t === 'bake');
  assert.equal(view.faults.length, 2, view.faults.join('\n'));
  prog.close();
});

test('each web view gets its own page, which goes when its connection closes', async () => {
  const a = await connect();
  const b = await connect();
  assert.notEqual(a.view.page, b.view.page);
  await a.prog.post(state([picture('Only in A', 'lake.jpg')]));
  await b.prog.post(state([picture('Only in B', 'aurora.jpg')]));
  const pa = await a.view.ready();
  const pb = await b.view.ready();
  await pa.locator('#library-grid li', { hasText: 'Only in A' }).waitFor();
  await pb.locator('#library-grid li', { hasText: 'Only in B' }).waitFor();
  assert.equal(await pa.locator('#library-grid li', { hasText: 'Only in B' }).count(), 0);

  // A web wallpaper of the same program navigating does not take the library's place.
  const wallpaper = zUrl(path.join(MEDIA, 'index.html'));
  await a.prog.navigate(wallpaper);
  await a.prog.post({ t: 'tour' });
  await a.view.waitFor((m) => m.t === 'tour');
  assert.deepEqual(a.view.navigations.slice(-1), [wallpaper]);
  assert.equal(pa.url(), pathToFileURL(path.join(REPO, 'ui/library.html')).href);

  const closed = new Promise((r) => pa.once('close', r));
  a.prog.close();
  await closed;
  assert.equal(pb.isClosed(), false);
  b.prog.close();
});

test('show-library.js shows the page a program opens, saves a screenshot, sends a command and ends with it', async () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'lh-show-'));
  const portFile = path.join(dir, 'port'), shot = path.join(dir, 'library.png');
  const child = spawn(process.execPath, [path.join(__dirname, '../../tools/library-bridge/show-library.js'), '--port-file', portFile, '--screenshot', shot,
    '--send', 'bakecancel']);
  let out = '';
  child.stdout.on('data', (d) => { out += d; });
  const ended = new Promise((r) => child.once('exit', r));
  try {
    const deadline = Date.now() + 90000;  // Chromium starts slowly on a busy machine
    while (!fs.existsSync(portFile) || !fs.readFileSync(portFile, 'utf8')) {
      if (Date.now() > deadline) throw new Error('no port file: ' + out);
      await new Promise((r) => setTimeout(r, 100));
    }
    const prog = await FakeProgram.connect(Number(fs.readFileSync(portFile, 'utf8')));
    // The program's own folder has no page (as under `make run`): the source tree's is shown.
    await prog.navigate('file:///Z:/nowhere/ui/library.html');
    await prog.lineWhere((l) => l.string === 'ready');
    await prog.post(state([picture('Lake', 'lake.jpg')]));
    while (!out.includes('screenshot')) {
      if (Date.now() > deadline) throw new Error('no screenshot: ' + out);
      await new Promise((r) => setTimeout(r, 100));
    }
    assert.deepEqual([...fs.readFileSync(shot).subarray(1, 4)].map((c) => String.fromCharCode(c)).join(''), 'PNG');
    await prog.lineWhere((l) => l.string === 'bakecancel');
    prog.close();
    assert.equal(await ended, 0);
    assert.match(out, /showing .*ui\/library\.html/);
  } finally {
    child.kill();
    fs.rmSync(dir, { recursive: true, force: true });
  }
});
