// The monitors drawn to scale: which one the library applies to, what each shows and
// whether it plays, one wallpaper per screen or one spanning all, "Identify" and "Clear".
'use strict';
(function (LH) {
  const map = LH.$('monitor-map');
  let lastSig = '';

  function stateWord(sc, hasPath) {
    if (!hasPath) return 'No wallpaper';
    if (sc.covered) return 'Covered';
    return sc.playing ? 'Playing' : 'Paused';
  }

  function thumbFor(path) {
    const it = LH.itemsByPath.get(path);
    return it ? (it.thumb || '') : '';
  }

  function picture(url) {
    if (!url) return null;
    const img = LH.el('img', { class: 'mon-thumb', alt: '', decoding: 'async', draggable: 'false' });
    img.addEventListener('error', () => img.remove());
    img.src = url;
    return img;
  }

  // Fits the union of all monitors into the map box, keeping proportions.
  function layout(st, boxW, boxH) {
    const u = LH.unionBounds(st.screens);
    const s = Math.min(boxW / u.w, boxH / u.h);
    const offX = (boxW - u.w * s) / 2, offY = (boxH - u.h * s) / 2;
    const rect = (x, y, w, h) => ({ left: offX + (x - u.x) * s, top: offY + (y - u.y) * s, width: w * s, height: h * s });
    return { union: u, rect };
  }

  function render(st) {
    const t = LH.target();
    const span = t.kind === 'span';
    const boxW = map.clientWidth || 280, boxH = map.clientHeight || 150;
    const sig = JSON.stringify([st.screens, st.span, st.spanPlaying, st.mode, t, boxW, boxH,
      st.screens.map((s) => thumbFor(s.path)), thumbFor(st.span)]);
    LH.setRadio(LH.$('mode-group'), (r) => (r.dataset.mode === 'span') === span);
    renderTarget(st, t);
    if (sig === lastSig) return;
    lastSig = sig;

    const hadFocus = map.contains(document.activeElement);
    map.replaceChildren();
    map.classList.toggle('span', span);
    map.setAttribute('aria-label', span ? 'Screens, spanned by one wallpaper' : 'Target screen');
    map.setAttribute('role', span ? 'group' : 'radiogroup');
    if (!st.screens.length) {
      map.append(LH.el('p', { class: 'map-empty', text: 'No screens found' }));
      return;
    }
    const L = layout(st, boxW, boxH);
    if (span) {
      const r = L.rect(L.union.x, L.union.y, L.union.w, L.union.h);
      const spanEl = LH.el('div', { class: 'span-layer' + (st.spanPlaying ? ' playing' : '') }, [picture(thumbFor(st.span))]);
      place(spanEl, r);
      map.append(spanEl);
    }
    st.screens.forEach((sc, i) => {
      const chosen = t.kind === 'screen' && t.index === i;
      const has = span ? false : sc.path !== '';
      const word = span ? '' : stateWord(sc, has);
      const mon = LH.el(span ? 'div' : 'button', {
        class: 'monitor' + (chosen ? ' chosen' : '') + (sc.main ? ' main' : '') + (has ? '' : ' vacant'),
        dataset: { index: String(i) },
      }, [
        span ? null : picture(thumbFor(sc.path)),
        LH.el('span', { class: 'mon-num', text: String(i + 1), 'aria-hidden': 'true' }),
        sc.main ? LH.el('span', { class: 'mon-main', text: 'Main', 'aria-hidden': 'true' }) : null,
        word ? LH.el('span', { class: 'mon-state ' + word.toLowerCase().replace(/\s+/g, '-'), title: word, 'aria-hidden': 'true' }) : null,
      ]);
      const label = 'Screen ' + (i + 1) + (sc.name ? ', ' + sc.name : '') + (sc.main ? ', main screen' : '') +
        ', ' + sc.w + ' by ' + sc.h + (word ? ', ' + word.toLowerCase() : '');
      if (span) {
        mon.setAttribute('aria-label', label);
        mon.setAttribute('role', 'img');
      } else {
        mon.setAttribute('role', 'radio');
        mon.setAttribute('aria-checked', chosen ? 'true' : 'false');
        mon.setAttribute('aria-label', label);
        mon.title = (sc.name || 'Screen ' + (i + 1)) + ' · ' + word;
        mon.tabIndex = chosen ? 0 : -1;
        mon.addEventListener('click', () => LH.chooseScreen(i));
      }
      place(mon, L.rect(sc.x, sc.y, sc.w, sc.h));
      map.append(mon);
    });
    if (hadFocus) {
      const f = map.querySelector('[tabindex="0"]');
      if (f) f.focus();
    }
  }

  function place(node, r) {
    node.style.left = r.left.toFixed(1) + 'px';
    node.style.top = r.top.toFixed(1) + 'px';
    node.style.width = Math.max(6, r.width - 2).toFixed(1) + 'px';
    node.style.height = Math.max(6, r.height - 2).toFixed(1) + 'px';
  }

  function renderTarget(st, t) {
    const info = LH.$('target-info');
    const ti = LH.targetInfo(t);
    const item = LH.itemsByPath.get(ti.path);
    const wall = ti.path ? (item ? item.name : LH.baseName(ti.path)) : 'No wallpaper yet';
    let title, state;
    if (t.kind === 'span') {
      title = 'All screens, spanning';
      state = !st.span ? 'Choose a wallpaper to span across every screen' : (st.spanPlaying ? 'Playing' : 'Paused');
    } else if (t.kind === 'screen') {
      const sc = st.screens[t.index];
      title = 'Screen ' + (t.index + 1) + (sc.name ? ' · ' + sc.name : '') + (sc.main ? ' · Main' : '');
      state = sc.path ? stateWord(sc, true) : 'Pick one from the library';
    } else {
      title = 'No screens'; state = '';
    }
    const text = [title, wall, state].join('\n');
    if (info.dataset.sig === text) return;
    info.dataset.sig = text;
    info.replaceChildren(
      LH.el('div', { class: 'target-title', text: title }),
      LH.el('div', { class: 'target-wall', text: wall, title: ti.path || '' }),
      state ? LH.el('div', { class: 'target-state', text: state }) : null,
    );
    LH.$('clear-btn').disabled = !ti.path;
    LH.$('clear-btn').textContent = t.kind === 'span' ? 'Clear span' : 'Clear screen';
  }

  LH.addView({
    init() {
      LH.rovingRadios(map, (r) => LH.chooseScreen(Number(r.dataset.index)));
      const modes = LH.$('mode-group');
      const pick = (r) => {
        const span = r.dataset.mode === 'span';
        if (span) {
          LH.setWantSpan(true);
          if (LH.state && LH.state.span) LH.send.modeSpan();
        } else {
          LH.setWantSpan(false);
          if (LH.state && LH.state.mode === 'span') LH.send.modeScreens();
        }
      };
      modes.addEventListener('click', (e) => { const r = e.target.closest('[role="radio"]'); if (r) pick(r); });
      LH.rovingRadios(modes, pick);
      LH.$('identify-btn').addEventListener('click', () => {
        LH.send.identify();
        LH.toast('Each screen shows its number for a moment');
      });
      LH.$('clear-btn').addEventListener('click', () => {
        const t = LH.target();
        if (t.kind === 'span') LH.send.span('');
        else if (t.kind === 'screen') LH.send.clear(t.index);
      });
      new ResizeObserver(() => { lastSig = ''; if (LH.state) render(LH.state); }).observe(map);
    },
    render,
  });
})(window.LH);
