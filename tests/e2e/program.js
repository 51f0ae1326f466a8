// Runs the real lumenhollow.exe under Wine for the end-to-end tests: an install
// folder beside the build with the page from the source tree, a data folder made
// afresh per test, the desktop simulator, and the test runtime in bridge mode.
// Needs the environment scripts/winerun.sh sets (WINEPREFIX, DISPLAY, LH_WINE_APPDATA).
'use strict';
const fs = require('node:fs');
const path = require('node:path');
const { spawn, execFile } = require('node:child_process');
const { windowsPath } = require('../../tools/library-bridge/bridge');

const REPO = path.resolve(__dirname, '../..');
const BUILD = process.env.LH_BUILD || path.join(REPO, 'build');
const WIN = process.env.LH_WIN || path.join(BUILD, 'win');
const RUNTIME_DLL = 'EmbeddedBrowserWebView.dll';

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// The folder to name in WEBVIEW2_BROWSER_EXECUTABLE_FOLDER: the one holding
// EBWebView\x64\EmbeddedBrowserWebView.dll.
function findRuntimeFolder(root = WIN) {
  const stack = [root];
  while (stack.length) {
    const dir = stack.pop();
    let entries = [];
    try { entries = fs.readdirSync(dir, { withFileTypes: true }); } catch (_) { continue; }
    for (const e of entries) {
      const p = path.join(dir, e.name);
      if (e.isDirectory() && !['CMakeFiles', 'googletest'].includes(e.name)) stack.push(p);
      else if (e.name === RUNTIME_DLL && path.basename(dir).toLowerCase() === 'x64'
        && path.basename(path.dirname(dir)) === 'EBWebView') return path.dirname(path.dirname(dir));
    }
  }
  return null;
}

// What the product ships beside its executable: the exe and ui\. The page comes
// straight from the source tree, so what the tests load is what is checked in.
function makeInstall(dir = path.join(BUILD, 'e2e', 'app')) {
  fs.rmSync(dir, { recursive: true, force: true });
  fs.mkdirSync(dir, { recursive: true });
  fs.copyFileSync(path.join(WIN, 'lumenhollow.exe'), path.join(dir, 'lumenhollow.exe'));
  fs.symlinkSync(path.join(REPO, 'ui'), path.join(dir, 'ui'));
  return dir;
}

// Output goes to a file, never a pipe: the first Wine program of a prefix starts
// Wine's own services, which inherit its output and outlive it, and a pipe held
// open by them would keep the tests from ending.
function wine(exe, args = [], opts = {}) {
  const out = fs.openSync(opts.output || '/dev/null', 'a');
  try {
    return spawn('wine', [exe, ...args], { ...opts, stdio: ['ignore', out, out] });
  } finally {
    fs.closeSync(out);
  }
}

function wineOutput(exe, args = [], timeoutMs = 20000) {
  return new Promise((resolve, reject) => {
    execFile('wine', [exe, ...args], { timeout: timeoutMs }, (err, stdout) => (err ? reject(err) : resolve(stdout)));
  });
}

function exited(child, timeoutMs) {
  if (child.exitCode !== null || child.signalCode !== null) return Promise.resolve(true);
  return new Promise((resolve) => {
    const timer = setTimeout(() => resolve(false), timeoutMs);
    child.once('exit', () => { clearTimeout(timer); resolve(true); });
  });
}

// shellsim plays the desktop's windows; the program attaches its surfaces to them.
async function startShell() {
  const child = wine(path.join(WIN, 'shellsim.exe'));
  await sleep(1500);
  return {
    async stop() {
      if (child.exitCode === null) child.kill();
      await exited(child, 5000);
    },
  };
}

class Program {
  constructor({ bridgePort, install = makeInstall(), runtime = findRuntimeFolder() }) {
    if (!runtime) throw new Error(`no ${RUNTIME_DLL} under ${WIN}: build the test runtime first`);
    this.bridgePort = bridgePort;
    this.install = install;
    this.runtime = runtime;
    this.dataDir = path.join(process.env.LH_WINE_APPDATA, 'Lumenhollow');
    this.iniPath = path.join(this.dataDir, 'lumenhollow.ini');
    this.child = null;
    this.outputPath = path.join(BUILD, 'e2e', 'program-output.txt');
  }

  // A data folder holding only a settings file of these lines (none: a first run).
  prepare(lines) {
    fs.rmSync(this.dataDir, { recursive: true, force: true });
    fs.mkdirSync(this.dataDir, { recursive: true });
    if (lines) fs.writeFileSync(this.iniPath, lines.map((l) => l + '\r\n').join(''));
  }

  start(args = []) {
    const env = {
      ...process.env,
      WEBVIEW2_BROWSER_EXECUTABLE_FOLDER: windowsPath(this.runtime),
      LH_FAKEWEBVIEW_BRIDGE: String(this.bridgePort),
    };
    fs.writeFileSync(this.outputPath, '');
    this.child = wine(path.join(this.install, 'lumenhollow.exe'), args, { env, output: this.outputPath });
  }

  get output() {
    try { return fs.readFileSync(this.outputPath, 'utf8'); } catch (_) { return ''; }
  }

  // Ends the program as the tray's "Exit" does, and waits until it has.
  async stop() {
    if (!this.child) return;
    await wineOutput(path.join(WIN, 'lhctl.exe'), ['exit', '10'], 20000).catch(() => {});
    if (!(await exited(this.child, 10000))) { this.child.kill('SIGKILL'); await exited(this.child, 5000); }
    this.child = null;
  }

  settings() {
    try { return fs.readFileSync(this.iniPath, 'utf8').split('\r\n').filter(Boolean); } catch (_) { return []; }
  }

  // The value of a key (or of the keys starting with a prefix such as "screen:");
  // a list when the file has several.
  setting(key) {
    const hits = this.settings().filter((l) => (key.endsWith(':') ? l.startsWith(key) : l.startsWith(key + '=')));
    const values = hits.map((l) => l.slice(l.indexOf('=') + 1));
    return values.length > 1 ? values : values[0];
  }

  log() {
    try { return fs.readFileSync(path.join(this.dataDir, 'log.txt'), 'utf8'); } catch (_) { return ''; }
  }

  // The wallpaper surfaces, as { hwnd, parent, rect: [l, t, r, b] }.
  async surfaces() {
    const out = await wineOutput(path.join(WIN, 'e2e_surfaces.exe'));
    return out.split(/\r?\n/).filter(Boolean).map((l) => {
      const [hwnd, parent, ...rect] = l.trim().split(' ');
      return { hwnd, parent, rect: rect.map(Number) };
    });
  }
}

// Polls `probe` until it returns something truthy.
async function until(probe, timeoutMs = 15000, what = 'a condition') {
  const end = Date.now() + timeoutMs;
  let last;
  for (;;) {
    last = await probe();
    if (last) return last;
    if (Date.now() > end) throw new Error(`timed out waiting for ${what}`);
    await sleep(150);
  }
}

module.exports = { Program, startShell, findRuntimeFolder, makeInstall, until, sleep, REPO, BUILD, WIN };
