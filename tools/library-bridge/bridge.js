// The Node end of the test runtime's bridge: a TCP server the program's web views
// connect to, and for each connection a Chromium page that shows what that web view
// navigated to, with a `chrome.webview` stand-in that carries the messages both ways.
//
// Lines on the socket: see tools/fakewebview/bridge_channel.cpp (one JSON object per
// line). Under Wine the program sees the Linux root as drive Z:, so its file URLs
// (file:///Z:/...) are opened as file:/// here, and paths of dropped files become Z:\...
'use strict';
const fs = require('node:fs');
const net = require('node:net');
const os = require('node:os');
const path = require('node:path');
const { EventEmitter } = require('node:events');
const { chromium } = require('playwright-core');

const CHROMIUM_ARGS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-background-networking',
  '--disable-component-update', '--disable-sync', '--no-first-run',
  // What the program asks of its library environment.
  '--allow-file-access-from-files', '--autoplay-policy=no-user-gesture-required', '--mute-audio'];

// file:///Z:/a/b -> file:///a/b; anything else unchanged.
function localUrl(url) {
  return typeof url === 'string' && /^file:\/\/\/[zZ]:\//.test(url) ? 'file:///' + url.slice(11) : url;
}

// /a/b c -> Z:\a\b c, the name Wine gives a Linux path.
function windowsPath(linuxPath) {
  return 'Z:' + path.resolve(linuxPath).replace(/\//g, '\\');
}

// Every string in a message from the program that is a file URL on drive Z: points at
// the same file here.
function mapUrls(value) {
  if (typeof value === 'string') return localUrl(value);
  if (Array.isArray(value)) return value.map(mapUrls);
  if (value && typeof value === 'object') {
    const out = {};
    for (const [k, v] of Object.entries(value)) out[k] = mapUrls(v);
    return out;
  }
  return value;
}

// Runs in every document before its own scripts: the page's side of the web view.
// Values go out through the binding the bridge exposes; messages come in through
// window.__lhBridgeIn as JSON text and reach listeners as parsed objects, as the
// web view delivers PostWebMessageAsJson.
function standIn() {
  const target = new EventTarget();
  const out = (frame) => { window.__lhBridgeOut(frame); };
  const json = (value) => {
    const text = JSON.stringify(value);
    if (text === undefined) throw new TypeError('The message cannot be sent as JSON');
    return text;
  };
  const frameOf = (value) => (typeof value === 'string' ? { json: json(value), string: value } : { json: json(value) });
  const fileOf = (o) => (o instanceof File ? { name: o.name, size: o.size } : null);
  window.chrome = window.chrome || {};
  window.chrome.webview = {
    postMessage(value) { out(frameOf(value)); },
    postMessageWithAdditionalObjects(value, objects) {
      if (objects === null || objects === undefined || typeof objects.length !== 'number') {
        throw new TypeError('additionalObjects must be array-like');
      }
      out({ ...frameOf(value), files: Array.from(objects, fileOf) });
    },
    addEventListener: target.addEventListener.bind(target),
    removeEventListener: target.removeEventListener.bind(target),
  };
  Object.defineProperty(window, '__lhBridgeIn', {
    value: (text) => target.dispatchEvent(new MessageEvent('message', { data: JSON.parse(text) })),
  });
}

// One web view of the program: its socket and its page.
class View extends EventEmitter {
  constructor(bridge, socket) {
    super();
    this.bridge = bridge;
    this.socket = socket;
    this.page = null;
    this.url = null;       // the page shown, as the program navigated, before mapping
    this.navigations = []; // every navigation of the program's web views
    this.received = [];    // messages from the program, parsed and mapped, in order
    this.sent = [];        // frames from the page to the program, in order
    this.faults = [];      // lines that broke the protocol, page errors
    this.closed = false;
    this.offered = [];     // files the current drag carries, for their paths
    this.chain = Promise.resolve();
    this.buffer = Buffer.alloc(0);
    socket.on('data', (chunk) => this.onData(chunk));
    socket.on('close', () => this.onClose());
    socket.on('error', () => {});
  }

  onData(chunk) {
    this.buffer = Buffer.concat([this.buffer, chunk]);
    let nl;
    // Lines are split as bytes, so a character cut between two reads stays whole.
    while ((nl = this.buffer.indexOf(0x0a)) >= 0) {
      const line = this.buffer.subarray(0, nl).toString('utf8').replace(/\r$/, '');
      this.buffer = this.buffer.subarray(nl + 1);
      if (line) this.onLine(line);
    }
  }

  onLine(line) {
    let frame;
    try { frame = JSON.parse(line); } catch (_) { return this.fault('not JSON: ' + line.slice(0, 200)); }
    if (frame && typeof frame.navigate === 'string') {
      // Web wallpapers of the same program navigate too; the browser shows the library.
      this.navigations.push(frame.navigate);
      if (!this.bridge.showPage(frame.navigate)) return;
      this.url = frame.navigate;
      const url = this.bridge.resolvePage(localUrl(frame.navigate));
      this.enqueue(async () => {
        if (!this.page) this.page = await this.bridge.newPage(this);
        await this.page.goto(url, { waitUntil: 'domcontentloaded' });
      });
      this.emit('navigate', frame.navigate);
    } else if (frame && typeof frame.post === 'string') {
      let value;
      try { value = mapUrls(JSON.parse(frame.post)); } catch (_) { return this.fault('post is not JSON: ' + frame.post.slice(0, 200)); }
      this.received.push(value);
      const text = JSON.stringify(value);
      // A message posted while no document is up is lost, as with a real web view.
      this.enqueue(() => this.page && this.page.evaluate((t) => window.__lhBridgeIn && window.__lhBridgeIn(t), text));
      this.emit('message', value);
    } else {
      this.fault('unknown line: ' + line.slice(0, 200));
    }
  }

  fault(text) {
    this.faults.push(text);
    this.bridge.log(`bridge: ${text}`);
  }

  enqueue(fn) {
    this.chain = this.chain.then(fn).catch((e) => { if (!this.closed) this.bridge.log(`bridge: ${e.message.split('\n')[0]}`); });
  }

  // From the stand-in: a string or JSON value, and for a drop the files it carries.
  fromPage(frame) {
    if (this.closed || !frame || typeof frame.json !== 'string') return;
    const line = { json: frame.json };
    if (typeof frame.string === 'string') line.string = frame.string;
    if (Array.isArray(frame.files)) {
      // A real web view knows where each dropped file lives; here the drag the test
      // made does. Files it did not offer have no path and travel as no file.
      line.files = [];
      for (const f of frame.files) {
        const hit = f && this.offered.find((o) => o.name === f.name && o.size === f.size);
        if (hit) line.files.push(windowsPath(hit.path));
      }
    }
    this.sent.push(line);
    this.socket.write(JSON.stringify(line) + '\n');
    this.emit('sent', line);
  }

  onClose() {
    if (this.closed) return;
    this.closed = true;
    this.emit('close');
    if (!this.bridge.keepPages) this.enqueue(() => this.page && this.page.close());
  }

  // Resolves with the first message from the program (already received or to come)
  // for which `match` is true.
  waitFor(match, timeoutMs = 15000, what = 'a message from the program') {
    const seen = this.received.find(match);
    if (seen) return Promise.resolve(seen);
    return new Promise((resolve, reject) => {
      const timer = setTimeout(() => { this.off('message', on); reject(new Error(`timed out waiting for ${what}`)); }, timeoutMs);
      const on = (m) => { if (match(m)) { clearTimeout(timer); this.off('message', on); resolve(m); } };
      this.on('message', on);
    });
  }

  // The next message from now on for which `match` is true.
  next(match, timeoutMs = 15000, what = 'a message from the program') {
    return new Promise((resolve, reject) => {
      const timer = setTimeout(() => { this.off('message', on); reject(new Error(`timed out waiting for ${what}`)); }, timeoutMs);
      const on = (m) => { if (match(m)) { clearTimeout(timer); this.off('message', on); resolve(m); } };
      this.on('message', on);
    });
  }

  // Resolves once the page is up and has heard at least one "state".
  async ready(timeoutMs = 20000) {
    await this.waitFor((m) => m && m.t === 'state', timeoutMs, 'the first "state"');
    await this.chain;
    return this.page;
  }

  // Drops files from this machine on the element, the way the desktop would: the page
  // gets File objects read from disk, and the program their Windows paths.
  async dropFiles(selector, linuxPaths) {
    this.offered = linuxPaths.map((p) => ({ path: p, name: path.basename(p), size: fs.statSync(p).size }));
    const box = await this.page.locator(selector).first().boundingBox();
    const x = box.x + box.width / 2, y = box.y + box.height / 2;
    const cdp = await this.page.context().newCDPSession(this.page);
    const data = { items: [], files: linuxPaths.map((p) => path.resolve(p)), dragOperationsMask: 1 };
    try {
      for (const type of ['dragEnter', 'dragOver', 'drop']) await cdp.send('Input.dispatchDragEvent', { type, x, y, data });
    } finally {
      await cdp.detach();
    }
  }

  get lastState() {
    for (let i = this.received.length - 1; i >= 0; i--) if (this.received[i] && this.received[i].t === 'state') return this.received[i];
    return null;
  }
}

class PageBridge extends EventEmitter {
  // Listens on 127.0.0.1:`port` (0 picks a free one) and starts Chromium.
  static async start(opts = {}) {
    const b = new PageBridge(opts);
    await b.launch();
    await new Promise((resolve, reject) => {
      b.server.once('error', reject);
      b.server.listen(opts.port || 0, '127.0.0.1', resolve);
    });
    b.port = b.server.address().port;
    return b;
  }

  constructor(opts) {
    super();
    this.views = [];
    this.keepPages = !!opts.keepPages;
    this.headed = !!opts.headed;
    this.showPage = opts.showPage || ((url) => /\/ui\/library\.html(#.*)?$/i.test(url));
    this.resolvePage = opts.resolvePage || ((url) => url);
    this.viewport = opts.viewport || { width: 1180, height: 780 };
    this.log = opts.log || ((t) => process.stderr.write(t + '\n'));
    this.server = net.createServer((socket) => this.accept(socket));
  }

  async launch() {
    this.profile = fs.mkdtempSync(path.join(os.tmpdir(), 'lh-bridge-'));
    this.context = await chromium.launchPersistentContext(this.profile, {
      executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
      headless: !this.headed,
      args: this.headed ? CHROMIUM_ARGS.filter((a) => a !== '--headless') : CHROMIUM_ARGS,
      viewport: this.viewport,
    });
    // The persistent context opens a blank page of its own; views get their own pages.
    await this.context.addInitScript(standIn);
    await this.context.exposeBinding('__lhBridgeOut', (source, frame) => {
      const view = this.views.find((v) => v.page === source.page);
      if (view) view.fromPage(frame);
    });
  }

  accept(socket) {
    socket.setNoDelay(true);
    const view = new View(this, socket);
    this.views.push(view);
    this.emit('view', view);
  }

  async newPage(view) {
    const page = await this.context.newPage();
    page.on('pageerror', (e) => view.faults.push('page error: ' + String(e)));
    page.on('console', (m) => { if (m.type() === 'error' && !/^Failed to load resource/.test(m.text())) view.faults.push('console: ' + m.text()); });
    return page;
  }

  // The next web view to connect from now on, once it has navigated.
  nextView(timeoutMs = 30000) {
    return new Promise((resolve, reject) => {
      const timer = setTimeout(() => { this.off('view', on); reject(new Error('no web view connected to the bridge')); }, timeoutMs);
      const on = (view) => {
        this.off('view', on);
        view.once('navigate', () => { clearTimeout(timer); resolve(view); });
      };
      this.on('view', on);
    });
  }

  async close() {
    for (const v of this.views) v.socket.destroy();
    await new Promise((resolve) => this.server.close(resolve));
    await this.context.close().catch(() => {});
    fs.rmSync(this.profile, { recursive: true, force: true });
  }
}

module.exports = { PageBridge, localUrl, windowsPath, mapUrls, standIn, CHROMIUM_ARGS };
