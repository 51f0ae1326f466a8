// The only door to the program: commands go out as U+001F-separated text, dropped
// files as additional objects, and JSON messages come back as parsed objects.
// Command names, setting keys and the limits the program holds values to are
// written here once; the views call the named senders in LH.send.
'use strict';
(function (LH) {
  const SEP = '\u001f';
  const host = window.chrome && window.chrome.webview;
  const handlers = {};

  const COMMANDS = Object.freeze({
    ready: 'ready', apply: 'apply', clear: 'clear', span: 'span', mode: 'mode',
    add: 'add', addFolder: 'addfolder', remove: 'remove', pause: 'pause', identify: 'identify',
    previews: 'previews', bake: 'bake', bakeCancel: 'bakecancel', saver: 'saver',
    frame: 'frame', set: 'set', drop: 'drop', rotation: 'rotation', next: 'next', rules: 'rules',
  });

  // The keys of "set". They also name the settings view's controls ("set-<key>").
  const SETTING_KEYS = Object.freeze({
    pauseFullscreen: 'pfs', pauseCovered: 'pcov', pauseBattery: 'pbat', startWithWindows: 'start',
    fit: 'fit', fps: 'fps', idle: 'idle', idleMin: 'idlemin', stopWhenPaused: 'stop',
  });

  // The words of the rotation order and of the rule actions, as the program reads them.
  const ORDERS = Object.freeze(['listed', 'shuffled']);
  const RULE_ACTIONS = Object.freeze(['running', 'foreground', 'notfullscreen']);

  const range = (min, max) => Object.freeze({ min, max });
  // What the program clamps to. "set fps" stops lower than the settings file,
  // so "state" may report more than the page can choose.
  LH.limits = Object.freeze({
    fps: range(5, 120),
    reportedFps: range(5, 240),
    idle: range(0, 2),
    idleMin: range(1, 120),
    zoom: range(1, 4),
    rotationMinutes: range(1, 24 * 60),
    rotationItems: range(0, 500),
    rules: range(0, 100),
    ruleName: range(1, 260),
  });
  const SETTING_LIMITS = { fps: LH.limits.fps, idle: LH.limits.idle, idleMin: LH.limits.idleMin };

  function post(name, ...fields) {
    if (!host) return;
    const text = [name, ...fields.map((f) => (f === undefined || f === null ? '' : String(f)))].join(SEP);
    try { host.postMessage(text); } catch (_) { /* the window is closing */ }
  }

  const flag = (setting) => (on) => post(COMMANDS.set, SETTING_KEYS[setting], on ? '1' : '0');
  // Sends the whole number nearest to `n` within the program's range and returns
  // it, so a control can show what was stored; a value that is no number sends nothing.
  const number = (setting) => (n) => {
    const v = Math.round(Number(n));
    if (!Number.isFinite(v)) return null;
    const r = SETTING_LIMITS[setting];
    const kept = LH.clamp(v, r.min, r.max);
    post(COMMANDS.set, SETTING_KEYS[setting], String(kept));
    return kept;
  };
  // A frame belongs to a screen by its index, or to the spanning wallpaper.
  const frameKey = (target) => (target.kind === 'span' ? 'span' : target.index);

  LH.send = Object.freeze({
    ready: () => post(COMMANDS.ready),
    apply: (index, path) => post(COMMANDS.apply, index, path),
    applyAll: (path) => post(COMMANDS.apply, 'all', path),
    clear: (index) => post(COMMANDS.clear, index),
    // An empty path clears the spanning wallpaper.
    span: (path) => post(COMMANDS.span, path),
    modeSpan: () => post(COMMANDS.mode, 'span'),
    modeScreens: () => post(COMMANDS.mode, 'screens'),
    add: () => post(COMMANDS.add),
    addFolder: () => post(COMMANDS.addFolder),
    remove: (path) => post(COMMANDS.remove, path),
    pause: () => post(COMMANDS.pause),
    identify: () => post(COMMANDS.identify),
    previews: (path) => post(COMMANDS.previews, path),
    bake: (path, preset) => post(COMMANDS.bake, path, preset),
    bakeCancel: () => post(COMMANDS.bakeCancel),
    saver: () => post(COMMANDS.saver),
    // `target` as LH.target() gives it: { kind: 'span' } or { kind: 'screen', index }.
    frame: (target, x, y, zoom) => post(COMMANDS.frame, frameKey(target), x, y, zoom),
    resetFrame: (target) => post(COMMANDS.frame, frameKey(target), ''),
    setPauseFullscreen: flag('pauseFullscreen'),
    setPauseCovered: flag('pauseCovered'),
    setPauseBattery: flag('pauseBattery'),
    setStartWithWindows: flag('startWithWindows'),
    setFit: flag('fit'),
    setFps: number('fps'),
    setIdle: number('idle'),
    setIdleMin: number('idleMin'),
    setStopWhenPaused: flag('stopWhenPaused'),
    // What the program would keep: paths without line breaks, at most the item
    // limit, the interval within its range. No paths ends the rotation.
    rotation: (target, minutes, order, paths) => {
      const m = Math.round(Number(minutes));
      if (!Number.isFinite(m)) return null;
      const kept = LH.clamp(m, LH.limits.rotationMinutes.min, LH.limits.rotationMinutes.max);
      const items = paths.filter((p) => typeof p === 'string' && p !== '' && !/[\r\n\u001f]/.test(p))
        .slice(0, LH.limits.rotationItems.max);
      post(COMMANDS.rotation, frameKey(target), kept, ORDERS.includes(order) ? order : 'listed', ...items);
      return kept;
    },
    nextWallpaper: () => post(COMMANDS.next),
    // The whole list each time: [{ a: action, p: program file name }].
    rules: (rules) => {
      const L = LH.limits;
      const kept = rules.filter((r) => RULE_ACTIONS.includes(r.a) && typeof r.p === 'string' &&
        r.p.length >= L.ruleName.min && r.p.length <= L.ruleName.max && !/[\r\n\u001f]/.test(r.p)).slice(0, L.rules.max);
      post(COMMANDS.rules, ...kept.flatMap((r) => [r.a, r.p]));
      return kept;
    },
  });

  LH.bridge = {
    available: !!host,
    commands: COMMANDS,
    settingKeys: SETTING_KEYS,
    settingLimits: Object.freeze(SETTING_LIMITS),
    orders: ORDERS,
    ruleActions: RULE_ACTIONS,

    sendDrop(files) {
      if (!host || typeof host.postMessageWithAdditionalObjects !== 'function') return false;
      try { host.postMessageWithAdditionalObjects(COMMANDS.drop, files); return true; } catch (_) { return false; }
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
