// The guided walk shown on a "tour" message: a spotlight on each part of the window
// with a short explanation. Escape or "Skip" leaves it at any step.
'use strict';
(function (LH) {
  const STEPS = [
    { view: 'wallpapers', target: '#screens-panel', title: 'Your screens',
      text: 'Each of your monitors is drawn here to scale. Pick the one you want to change, or switch to Span all to stretch one wallpaper across every screen.' },
    { view: 'wallpapers', target: '.library', title: 'Your library',
      text: 'Click a wallpaper to show it on the chosen screen. The ⋯ button has more: all screens, spanning, baking and removing. Add your own files here, or drop them anywhere on this window.' },
    { view: 'wallpapers', target: '#framing-panel', title: 'Framing',
      text: 'Drag the preview to choose which part of the picture shows, and scroll or use the slider to zoom in.' },
    { view: 'bake', target: '.bake-layout', title: 'Bake studio',
      text: 'Turn a still picture into a gently moving, looping video. Preview all eleven effects, pick one, and bake it. The result joins your library.' },
  ];

  let step = -1;
  let root = null, spot = null, card = null, returnFocus = null, returnView = 'wallpapers';

  function start() {
    if (root) { go(0); return; }
    returnFocus = document.activeElement;
    returnView = document.body.dataset.view || 'wallpapers';
    spot = LH.el('div', { class: 'tour-spot', 'aria-hidden': 'true' });
    card = LH.el('div', { class: 'tour-card', role: 'dialog', 'aria-modal': 'true', 'aria-labelledby': 'tour-title', 'aria-describedby': 'tour-text' });
    root = LH.el('div', { class: 'tour' }, [LH.el('div', { class: 'tour-block' }), spot, card]);
    root.addEventListener('keydown', onKey);
    LH.$('tour-root').append(root);
    document.body.classList.add('touring');
    for (const n of document.querySelectorAll('.topbar, .views')) n.inert = true;
    window.addEventListener('resize', position);
    go(0);
  }

  function go(i) {
    step = i;
    const s = STEPS[i];
    LH.showView(s.view);
    const back = LH.el('button', { class: 'btn btn-quiet', text: 'Back', disabled: i === 0 });
    const next = LH.el('button', { class: 'btn btn-primary', text: i === STEPS.length - 1 ? 'Finish' : 'Next' });
    const skip = LH.el('button', { class: 'btn btn-quiet tour-skip', text: 'Skip tour' });
    back.addEventListener('click', () => go(step - 1));
    next.addEventListener('click', () => (step === STEPS.length - 1 ? end() : go(step + 1)));
    skip.addEventListener('click', end);
    card.replaceChildren(
      LH.el('p', { class: 'tour-count', text: 'Step ' + (i + 1) + ' of ' + STEPS.length }),
      LH.el('h2', { id: 'tour-title', text: s.title }),
      LH.el('p', { id: 'tour-text', text: s.text }),
      LH.el('div', { class: 'tour-actions' }, [skip, LH.el('span', { class: 'grow' }), back, next]),
    );
    requestAnimationFrame(position);
    next.focus();
  }

  function position() {
    if (!root) return;
    const t = document.querySelector(STEPS[step].target);
    const r = t ? t.getBoundingClientRect() : { left: 0, top: 0, width: 0, height: 0, right: 0, bottom: 0 };
    const pad = 6;
    Object.assign(spot.style, { left: r.left - pad + 'px', top: r.top - pad + 'px', width: r.width + pad * 2 + 'px', height: r.height + pad * 2 + 'px' });
    const W = window.innerWidth, H = window.innerHeight;
    const cw = card.offsetWidth, ch = card.offsetHeight;
    // Beside the spotlight where there is room, else over its lower part.
    let x, y;
    if (r.right + 16 + cw < W) { x = r.right + 16; y = r.top; }
    else if (r.left - 16 - cw > 0) { x = r.left - 16 - cw; y = r.top; }
    else { x = r.left + (r.width - cw) / 2; y = r.bottom - ch - 24; }
    card.style.left = LH.clamp(x, 12, W - cw - 12) + 'px';
    card.style.top = LH.clamp(y, 12, H - ch - 12) + 'px';
  }

  function onKey(e) {
    if (e.key === 'Escape') { e.preventDefault(); end(); return; }
    if (e.key === 'ArrowRight' && step < STEPS.length - 1) { e.preventDefault(); go(step + 1); return; }
    if (e.key === 'ArrowLeft' && step > 0) { e.preventDefault(); go(step - 1); return; }
    if (e.key === 'Tab') {
      // Keep focus inside the dialog while it is open.
      const f = [...card.querySelectorAll('button:not([disabled])')];
      const i = f.indexOf(document.activeElement);
      e.preventDefault();
      f[(i + (e.shiftKey ? -1 : 1) + f.length) % f.length].focus();
    }
  }

  function end() {
    if (!root) return;
    root.remove();
    root = null;
    step = -1;
    document.body.classList.remove('touring');
    for (const n of document.querySelectorAll('.topbar, .views')) n.inert = false;
    window.removeEventListener('resize', position);
    LH.showView(returnView);
    if (returnFocus && document.contains(returnFocus) && returnFocus !== document.body) returnFocus.focus();
    else { const tab = document.querySelector('[role="tab"][aria-selected="true"]'); if (tab) tab.focus(); }
  }

  LH.tour = { start, end, get step() { return step; } };
  LH.bridge.on('tour', start);
})(window.LH);
