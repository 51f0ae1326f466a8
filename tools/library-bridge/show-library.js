// Shows the program's library page in Chromium through the test runtime's bridge,
// for `make run` and for looking at the real page by hand.
//
//   node show-library.js [--port N] [--port-file FILE] [--screenshot FILE]
//                        [--seconds N] [--headed] [--page FILE] [--send COMMAND]
//                        [--send-after FILE]
//
// Listens on 127.0.0.1:N (0 or none: a free port, printed and written to
// --port-file); start the program with LH_FAKEWEBVIEW_BRIDGE set to it. Once the
// page has the program's first "state" it saves --screenshot, then runs for
// --seconds (0: until the program closes its web views or on Ctrl+C). --headed
// opens a browser window when there is a display. --page names the library.html
// to show when the one beside the program's executable is not on disk. --send
// has the page send a command to the program after the screenshot, as its own
// controls do (`saver` previews the screensaver); with --send-after, not before
// FILE exists.
'use strict';
const fs = require('node:fs');
const path = require('node:path');
const { fileURLToPath, pathToFileURL } = require('node:url');
const { PageBridge } = require('./bridge');

function parse(argv) {
  const o = { port: 0, portFile: '', screenshot: '', seconds: 0, headed: false, send: '', sendAfter: '',
    page: path.resolve(__dirname, '../../ui/library.html') };
  for (let i = 0; i < argv.length; i++) {
    const a = argv[i];
    const value = () => { if (i + 1 >= argv.length) throw new Error(`${a} needs a value`); return argv[++i]; };
    if (a === '--port') o.port = Number(value());
    else if (a === '--port-file') o.portFile = value();
    else if (a === '--screenshot') o.screenshot = path.resolve(value());
    else if (a === '--seconds') o.seconds = Number(value());
    else if (a === '--headed') o.headed = true;
    else if (a === '--page') o.page = path.resolve(value());
    else if (a === '--send') o.send = value();
    else if (a === '--send-after') o.sendAfter = path.resolve(value());
    else throw new Error(`unknown option ${a}`);
  }
  if (!Number.isInteger(o.port) || o.port < 0 || o.port > 65535) throw new Error('--port wants 0 to 65535');
  return o;
}

function pageOnDisk(url, fallback) {
  try { if (fs.existsSync(fileURLToPath(url))) return url; } catch (_) { /* not a file URL */ }
  console.log(`library-bridge: ${url} is not on disk; showing ${fallback}`);
  return pathToFileURL(fallback).href;
}

async function main() {
  const o = parse(process.argv.slice(2));
  const bridge = await PageBridge.start({
    port: o.port,
    headed: o.headed && !!process.env.DISPLAY,
    keepPages: !!o.seconds,
    resolvePage: (url) => pageOnDisk(url, o.page),
    log: (t) => console.log('library-bridge: ' + t.replace(/^bridge: /, '')),
  });
  console.log(`library-bridge: listening on 127.0.0.1:${bridge.port}`);
  if (o.portFile) fs.writeFileSync(o.portFile, String(bridge.port));
  let done;
  const finished = new Promise((r) => { done = r; });
  process.on('SIGINT', done);
  process.on('SIGTERM', done);
  bridge.on('view', (view) => {
    view.once('navigate', (url) => console.log(`library-bridge: the program opened ${url}`));
    view.ready(120000).then(async (page) => {
      console.log('library-bridge: the page has the program\'s state');
      if (o.screenshot) {
        await page.waitForTimeout(1000);  // thumbnails decode after the first paint
        await page.screenshot({ path: o.screenshot });
        console.log(`library-bridge: screenshot ${o.screenshot}`);
      }
      if (o.send) {
        while (o.sendAfter && !fs.existsSync(o.sendAfter)) await page.waitForTimeout(250);
        // The page's own sender for a command that takes no fields, found by its name.
        const sent = await page.evaluate((name) => {
          const commands = window.LH.bridge.commands;
          const sender = Object.keys(commands).find((k) => commands[k] === name);
          if (!sender || !window.LH.send[sender]) return false;
          window.LH.send[sender]();
          return true;
        }, o.send);
        console.log(`library-bridge: ${sent ? 'the page sent' : 'the page has no command'} "${o.send}"`);
      }
      for (const f of view.faults) console.log('library-bridge: ' + f);
    }).catch((e) => console.log('library-bridge: ' + e.message));
    view.once('close', () => { if (!o.seconds) done(); });
  });
  if (o.seconds) setTimeout(done, o.seconds * 1000);
  await finished;
  await bridge.close();
}

main().then(() => process.exit(0), (e) => { console.error('library-bridge: ' + e.message); process.exit(1); });
