// The only door to the program: commands go out as U+001F-separated text, dropped
// files as additional objects, and JSON messages come back as parsed objects.
'use strict';
(function (LH) {
  const SEP = '\u001f';
  const host = window.chrome && window.chrome.webview;
  const handlers = {};

  LH.bridge = {
    available: !!host,

    send(name, ...fields) {
      if (!host) return;
      const text = [name, ...fields.map((f) => (f === undefined || f === null ? '' : String(f)))].join(SEP);
      try { host.postMessage(text); } catch (_) { /* the window is closing */ }
    },

    sendDrop(files) {
      if (!host || typeof host.postMessageWithAdditionalObjects !== 'function') return false;
      try { host.postMessageWithAdditionalObjects('drop', files); return true; } catch (_) { return false; }
    },

    on(type, fn) { (handlers[type] = handlers[type] || []).push(fn); },
  };

  function dispatch(msg) {
    if (!msg || typeof msg !== 'object' || typeof msg.t !== 'string') return;
    for (const fn of handlers[msg.t] || []) {
      // One view failing must not stop the others from showing the same message.
      try { fn(msg); } catch (err) { LH.reportFault(err); }
    }
  }

  // Faults are kept out of sight; the page keeps showing the last good state.
  LH.faults = [];
  LH.reportFault = (err) => { LH.faults.push(String(err && err.stack || err)); console.error(err); };

  if (host) {
    host.addEventListener('message', (e) => {
      let data = e.data;
      if (typeof data === 'string') { try { data = JSON.parse(data); } catch (_) { return; } }
      dispatch(data);
    });
  }
})(window.LH);
