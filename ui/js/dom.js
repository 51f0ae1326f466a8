// Small helpers shared by every view. Classic scripts (no modules): a file: page
// cannot load module scripts, so everything hangs off one global namespace.
'use strict';
window.LH = window.LH || {};

(function (LH) {
  // Builds an element; text always goes in as textContent, never as markup.
  LH.el = function (tag, props, children) {
    const node = document.createElement(tag);
    if (props) {
      for (const [k, v] of Object.entries(props)) {
        if (v === undefined || v === null || v === false) continue;
        if (k === 'text') node.textContent = v;
        else if (k === 'class') node.className = v;
        else if (k === 'dataset') Object.assign(node.dataset, v);
        else if (k.startsWith('on')) node.addEventListener(k.slice(2), v);
        else if (k in node && typeof v !== 'string') node[k] = v;
        else node.setAttribute(k, v === true ? '' : v);
      }
    }
    for (const c of children || []) if (c) node.append(c);
    return node;
  };

  // Each view registers { init, render(state), shown(viewName) }; app.js drives them.
  LH.views = [];
  LH.addView = (v) => LH.views.push(v);

  // Writes only real changes, so a state that repeats itself leaves the DOM alone.
  LH.setText = (node, text) => { if (node.textContent !== text) node.textContent = text; };
  LH.setAttr = (node, name, value) => { if (node.getAttribute(name) !== value) node.setAttribute(name, value); };
  LH.setProp = (node, prop, value) => { if (node[prop] !== value) node[prop] = value; };

  LH.$ = (id) => document.getElementById(id);

  // Only local file URLs may become sources; anything else the page shows nothing for.
  LH.safeUrl = (u) => (typeof u === 'string' && /^file:/i.test(u) ? u : '');

  LH.str = (v) => (typeof v === 'string' ? v : '');
  LH.num = (v, d) => (typeof v === 'number' && Number.isFinite(v) ? v : d);
  LH.clamp = (v, lo, hi) => Math.min(hi, Math.max(lo, v));

  LH.reducedMotion = () => window.matchMedia('(prefers-reduced-motion: reduce)').matches;

  // The last part of a Windows or POSIX path, for naming things the library has not listed.
  LH.baseName = (p) => LH.str(p).split(/[\\/]/).filter(Boolean).pop() || '';

  let toastTimer = 0;
  // One calm line at the bottom of the window, also read out by screen readers.
  LH.toast = function (text) {
    const t = LH.$('toast');
    t.textContent = text;
    t.classList.add('show');
    clearTimeout(toastTimer);
    toastTimer = setTimeout(() => t.classList.remove('show'), 4200);
  };

  // Roving focus inside a radio group: arrows move and select, as a native radio group does.
  LH.rovingRadios = function (group, onPick) {
    group.addEventListener('keydown', (e) => {
      const radios = [...group.querySelectorAll('[role="radio"]:not([disabled])')];
      const i = radios.indexOf(document.activeElement);
      if (i < 0) return;
      let j = -1;
      if (e.key === 'ArrowRight' || e.key === 'ArrowDown') j = (i + 1) % radios.length;
      else if (e.key === 'ArrowLeft' || e.key === 'ArrowUp') j = (i - 1 + radios.length) % radios.length;
      else if (e.key === 'Home') j = 0;
      else if (e.key === 'End') j = radios.length - 1;
      if (j < 0) return;
      e.preventDefault();
      radios[j].focus();
      onPick(radios[j]);
    });
  };

  LH.setRadio = function (group, match) {
    for (const r of group.querySelectorAll('[role="radio"]')) {
      const on = match(r);
      LH.setAttr(r, 'aria-checked', on ? 'true' : 'false');
      LH.setProp(r, 'tabIndex', on ? 0 : -1);
    }
  };
})(window.LH);
