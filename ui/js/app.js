// Holds the latest state, decides which screen the library applies to, switches
// views, and hands every message to the views that show it.
'use strict';
(function (LH) {
  const KIND_LABEL = { video: 'Video', image: 'Picture', shader: 'Shader', web: 'Web page' };

  // The program's JSON is trusted for shape only loosely: anything missing or of the
  // wrong type becomes a harmless default, so a half-formed message never breaks a view.
  function normalize(m) {
    const s = LH.str;
    const b = (v) => v === true;
    const L = LH.limits;
    const whole = (v, d, r) => LH.clamp(Math.round(LH.num(v, d)), r.min, r.max);
    const frame = (f) => (Array.isArray(f) && f.length >= 3 && f.every((n) => typeof n === 'number' && Number.isFinite(n))
      ? { x: f[0], y: f[1], zoom: f[2] } : null);
    const set = m.set && typeof m.set === 'object' ? m.set : {};
    const stats = m.stats && typeof m.stats === 'object' ? m.stats : {};
    return {
      mode: m.mode === 'span' ? 'span' : 'screens',
      span: s(m.span),
      spanPlaying: b(m.spanPlaying),
      spanFrame: frame(m.spanFrame),
      screens: (Array.isArray(m.screens) ? m.screens : []).filter((o) => o && typeof o === 'object').map((o, i) => ({
        index: i,
        x: LH.num(o.x, 0), y: LH.num(o.y, 0),
        w: Math.max(1, LH.num(o.w, 1)), h: Math.max(1, LH.num(o.h, 1)),
        main: b(o.main), playing: b(o.playing), covered: b(o.covered),
        path: s(o.path), name: s(o.name), frame: frame(o.frame),
      })),
      items: (Array.isArray(m.items) ? m.items : []).filter((o) => o && typeof o === 'object').map((o) => ({
        name: s(o.name) || LH.baseName(o.path) || 'Untitled',
        path: s(o.path), kind: s(o.kind), mine: b(o.mine), ok: b(o.ok),
        thumb: LH.safeUrl(o.thumb), url: LH.safeUrl(o.url),
      })),
      set: {
        pauseFullscreen: b(set.pfs), pauseCovered: b(set.pcov), pauseBattery: b(set.pbat),
        startWithWindows: b(set.start),
        fps: whole(set.fps, 30, L.reportedFps), fit: b(set.fit),
        idle: whole(set.idle, 0, L.idle),
        idleMin: whole(set.idleMin, 10, L.idleMin),
        stopWhenPaused: b(m.stop),
      },
      stats: {
        cpu: LH.num(stats.cpu, 0), ram: LH.num(stats.ram, 0),
        userPaused: b(stats.userPaused), reason: s(stats.reason),
      },
      rot: rotations(m.rot),
      rules: (Array.isArray(m.rules) ? m.rules : []).filter((r) => r && LH.bridge.ruleActions.includes(r.a) && s(r.p))
        .map((r) => ({ a: r.a, p: r.p })),
    };
  }

  // Rotations by target key ("0", "1", ... or "span"); only well-formed ones.
  function rotations(rot) {
    const out = {};
    if (!rot || typeof rot !== 'object') return out;
    for (const [key, r] of Object.entries(rot)) {
      if (!r || typeof r !== 'object' || !Array.isArray(r.items)) continue;
      const items = r.items.filter((p) => typeof p === 'string' && p);
      out[key] = {
        items,
        min: LH.clamp(Math.round(LH.num(r.min, 30)), LH.limits.rotationMinutes.min, LH.limits.rotationMinutes.max),
        order: r.order === 'shuffled' ? 'shuffled' : 'listed',
        showing: LH.num(r.showing, -1),
      };
    }
    return out;
  }

  LH.kindLabel = (kind) => KIND_LABEL[kind] || 'Unknown';
  LH.state = null;
  LH.itemsByPath = new Map();

  // The chosen screen survives state refreshes; "wantSpan" covers the moment between
  // picking "Span all" and choosing what to span, when the program still says "screens".
  const target = { index: 0, wantSpan: false };

  LH.target = function () {
    const st = LH.state;
    if (!st) return { kind: 'none' };
    if (st.mode === 'span' || target.wantSpan) return { kind: 'span' };
    if (!st.screens.length) return { kind: 'none' };
    return { kind: 'screen', index: Math.min(target.index, st.screens.length - 1) };
  };
  LH.targetLabel = function (t) {
    t = t || LH.target();
    if (t.kind === 'span') return 'all screens (spanning)';
    if (t.kind === 'screen') return 'Screen ' + (t.index + 1);
    return 'no screen';
  };
  LH.chooseScreen = function (i) { target.index = i; target.wantSpan = false; LH.refresh(); };
  LH.setWantSpan = function (on) { target.wantSpan = on; LH.refresh(); };

  // What the chosen target shows now: its path and frame, and the target itself.
  LH.targetInfo = function (t) {
    const st = LH.state;
    t = t || LH.target();
    if (!st || t.kind === 'none') return { path: '', frame: null, w: 16, h: 9, key: null, target: t };
    if (t.kind === 'span') {
      const b = LH.unionBounds(st.screens);
      return { path: st.span, frame: st.spanFrame, w: b.w, h: b.h, key: 'span', target: t };
    }
    const sc = st.screens[t.index];
    return { path: sc.path, frame: sc.frame, w: sc.w, h: sc.h, key: String(t.index), target: t };
  };

  LH.unionBounds = function (screens) {
    if (!screens.length) return { x: 0, y: 0, w: 16, h: 9 };
    const x0 = Math.min(...screens.map((s) => s.x)), y0 = Math.min(...screens.map((s) => s.y));
    const x1 = Math.max(...screens.map((s) => s.x + s.w)), y1 = Math.max(...screens.map((s) => s.y + s.h));
    return { x: x0, y: y0, w: Math.max(1, x1 - x0), h: Math.max(1, y1 - y0) };
  };

  // Applies an item to whatever the user has chosen as target.
  LH.applyToTarget = function (path) {
    const t = LH.target();
    if (t.kind === 'span') { target.wantSpan = false; LH.send.span(path); }
    else if (t.kind === 'screen') LH.send.apply(t.index, path);
  };

  const views = LH.views;
  LH.refresh = function () {
    if (!LH.state) return;
    for (const v of views) {
      try { v.render(LH.state); } catch (err) { LH.reportFault(err); }
    }
  };

  LH.bridge.on('state', (m) => {
    LH.state = normalize(m);
    if (LH.state.mode === 'span' && LH.state.span) target.wantSpan = false;
    LH.itemsByPath = new Map();
    for (const it of LH.state.items) if (!LH.itemsByPath.has(it.path)) LH.itemsByPath.set(it.path, it);
    if (document.body.classList.contains('waiting')) document.body.classList.remove('waiting');
    LH.refresh();
  });

  // Tabs: arrow keys move between them, as the tab pattern expects.
  const tabs = [...document.querySelectorAll('[role="tab"]')];
  LH.showView = function (name) {
    for (const t of tabs) {
      const on = t.dataset.view === name;
      t.setAttribute('aria-selected', on ? 'true' : 'false');
      t.tabIndex = on ? 0 : -1;
      LH.$('view-' + t.dataset.view).hidden = !on;
    }
    document.body.dataset.view = name;
    for (const v of views) if (v.shown) v.shown(name);
  };
  for (const t of tabs) t.addEventListener('click', () => LH.showView(t.dataset.view));
  document.querySelector('.tabs').addEventListener('keydown', (e) => {
    const i = tabs.indexOf(document.activeElement);
    if (i < 0) return;
    let j = -1;
    if (e.key === 'ArrowRight') j = (i + 1) % tabs.length;
    else if (e.key === 'ArrowLeft') j = (i - 1 + tabs.length) % tabs.length;
    else if (e.key === 'Home') j = 0;
    else if (e.key === 'End') j = tabs.length - 1;
    if (j < 0) return;
    e.preventDefault();
    tabs[j].focus();
    LH.showView(tabs[j].dataset.view);
  });

  document.body.classList.add('waiting');
  // The window's dark system backdrop was granted: the page may let it show through.
  document.documentElement.classList.toggle('backdrop', location.hash === '#backdrop');
  if (!LH.bridge.available) {
    // Opened outside the program: say so instead of sitting there empty.
    const empty = LH.$('library-empty');
    empty.hidden = false;
    empty.querySelector('.empty-title').textContent = 'Open this page from Lumenhollow';
    empty.querySelector('p:last-child').textContent = 'The library shows your wallpapers when Lumenhollow opens it.';
  }
  document.body.dataset.view = 'wallpapers';
  for (const v of views) if (v.init) { try { v.init(); } catch (err) { LH.reportFault(err); } }
  LH.send.ready();
})(window.LH);
