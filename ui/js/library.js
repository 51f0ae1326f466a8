// The library grid: one card per item, kept by key so a state refresh touches only
// the cards whose data changed. Thumbnails load lazily; a video without one previews
// itself on hover. Also the card menu, the pickers, the "added" answer and removing.
'use strict';
(function (LH) {
  const grid = LH.$('library-grid');
  const filterIn = LH.$('library-filter');
  const cards = new Map();          // key -> { li, main, more, sig, item }
  let activeKey = null;             // the one card in the tab order (roving focus)
  let order = [];
  let menu = null;
  let highlight = new Set();        // paths just added, marked until the next render pass ends

  function whyNot(item) {
    if (item.ok) return '';
    if (item.kind === 'shader') return 'Shader wallpapers need GPU effects';
    if (item.kind === 'image' && /\.gif$/i.test(item.path)) return 'GIF wallpapers need GPU effects';
    if (item.kind === '' || item.kind === '?') return 'File missing or not a wallpaper';
    return 'Can’t be shown right now';
  }

  function usage(st) {
    const use = new Map();
    const add = (p, label) => { if (!p) return; if (!use.has(p)) use.set(p, []); use.get(p).push(label); };
    if (st.mode === 'span') add(st.span, 'Spanning');
    else st.screens.forEach((s, i) => add(s.path, 'Screen ' + (i + 1)));
    return use;
  }

  // Cards are built with plain DOM calls: with a thousand of them this is the hot path.
  function mk(tag, cls, text) {
    const n = document.createElement(tag);
    if (cls) n.className = cls;
    if (text) n.textContent = text;
    return n;
  }

  function placeholder(kind) {
    const ph = mk('span', 'thumb-ph kind-' + (kind || 'none'));
    ph.setAttribute('aria-hidden', 'true');
    return ph;
  }

  function thumbNode(item) {
    const box = mk('span', 'thumb');
    if (item.thumb) {
      const img = document.createElement('img');
      img.alt = '';
      img.loading = 'lazy';
      img.decoding = 'async';
      img.draggable = false;
      img.addEventListener('error', () => img.replaceWith(placeholder(item.kind)));
      img.src = item.thumb;
      box.append(img);
    } else {
      box.append(placeholder(item.kind));
    }
    return box;
  }

  function buildCard(key) {
    const li = mk('li', 'card');
    li.dataset.key = key;
    const main = mk('button', 'card-main');
    main.tabIndex = -1;
    const more = mk('button', 'card-more', '⋯');
    more.tabIndex = -1;
    more.setAttribute('aria-haspopup', 'menu');
    li.append(main, more);
    return { li, main, more, sig: '', item: null };
  }

  // One set of listeners on the grid serves every card.
  function cardOf(node) {
    const li = node && node.closest ? node.closest('.card') : null;
    return li ? cards.get(li.dataset.key) : null;
  }
  function wireGrid() {
    grid.addEventListener('click', (e) => {
      const c = cardOf(e.target);
      if (!c) return;
      activeKey = c.li.dataset.key;
      if (e.target.closest('.card-more')) openMenu(c); else apply(c.item);
    });
    grid.addEventListener('contextmenu', (e) => {
      const c = cardOf(e.target);
      if (!c) return;
      e.preventDefault();
      activeKey = c.li.dataset.key;
      openMenu(c, e.clientX, e.clientY);
    });
    grid.addEventListener('focusin', (e) => {
      const c = cardOf(e.target);
      if (!c) return;
      setActive(c.li.dataset.key);
      if (e.target === c.main) startPreview(c);
    });
    grid.addEventListener('focusout', (e) => { const c = cardOf(e.target); if (c && e.target === c.main) stopPreview(c); });
    grid.addEventListener('pointerover', (e) => {
      const c = cardOf(e.target);
      if (c && !c.li.contains(e.relatedTarget)) startPreview(c);
    });
    grid.addEventListener('pointerout', (e) => {
      const c = cardOf(e.target);
      if (c && !c.li.contains(e.relatedTarget)) stopPreview(c);
    });
  }

  function fillCard(c, item, used) {
    const why = whyNot(item);
    const meta = LH.kindLabel(item.kind) + (item.mine ? ' · Yours' : '');
    if (c.item && c.item.path === item.path && c.video) stopPreview(c);
    c.item = item;
    c.li.classList.toggle('unusable', !item.ok);
    c.li.classList.toggle('in-use', used.length > 0);
    const text = mk('span', 'card-text');
    const name = mk('span', 'card-name', item.name);
    name.title = item.path;
    // Spaces between the parts (the layout drops them), so the words run as they are read.
    text.append(name, ' ', mk('span', 'card-meta', meta));
    const thumb = thumbNode(item);
    if (why) thumb.append(mk('span', 'card-why', why));
    const kids = [thumb, ' ', text];
    if (used.length) {
      kids.push(' ', mk('span', 'card-use', used.join(' · ')));
    }
    c.main.replaceChildren(...kids);
    // The name is the visible text in its order, so speech control finds the card by what it shows.
    c.main.setAttribute('aria-label', [why, item.name, meta, used.join(' · ')].filter(Boolean).join(' '));
    c.main.setAttribute('aria-disabled', item.ok ? 'false' : 'true');
    c.more.setAttribute('aria-label', 'More for ' + item.name);
  }

  function render(st) {
    const use = usage(st);
    const seen = new Map();
    const nextOrder = [];
    let refilter = false;
    for (const item of st.items) {
      const n = seen.get(item.path) || 0;
      seen.set(item.path, n + 1);
      const key = n ? item.path + '\u0000' + n : item.path;
      nextOrder.push(key);
      let c = cards.get(key);
      if (!c) { c = buildCard(key); cards.set(key, c); }
      const used = use.get(item.path) || [];
      const sig = [item.name, item.kind, item.mine, item.ok, item.thumb, item.url, used.join(',')].join('\u0001');
      if (sig !== c.sig) { c.sig = sig; fillCard(c, item, used); refilter = true; }
    }
    const keep = new Set(nextOrder);
    for (const [key, c] of cards) if (!keep.has(key)) { stopPreview(c); c.li.remove(); cards.delete(key); }
    if (nextOrder.join('\u0001') !== order.join('\u0001') || grid.children.length !== nextOrder.length) {
      const frag = document.createDocumentFragment();
      for (const key of nextOrder) frag.append(cards.get(key).li);
      grid.append(frag);
      order = nextOrder;
      refilter = true;
    }
    if (refilter && filterIn.value) applyFilter();
    if (!activeKey || !cards.has(activeKey)) activeKey = order[0] || null;
    syncTabStops();
    LH.setText(LH.$('library-count'), st.items.length ? String(st.items.length) : '');
    LH.setProp(LH.$('library-empty'), 'hidden', st.items.length > 0);
    LH.setProp(grid, 'hidden', st.items.length === 0);
    const t = LH.target();
    const tt = t.kind === 'none' ? '' : 'Click a wallpaper to show it on ' + LH.targetLabel(t);
    if (LH.$('lib-target').textContent !== tt) LH.$('lib-target').textContent = tt;
    if (highlight.size) markAdded();
  }

  function syncTabStops() {
    for (const [key, c] of cards) {
      const on = key === activeKey;
      const ti = on ? '0' : '-1';
      if (c.main.getAttribute('tabindex') !== ti) { c.main.setAttribute('tabindex', ti); c.more.setAttribute('tabindex', ti); }
    }
  }
  function setActive(key) { if (activeKey !== key) { activeKey = key; syncTabStops(); } }

  function visibleCards() { return order.map((k) => cards.get(k)).filter((c) => !c.li.hidden); }

  // Arrow keys walk the grid as it is laid out on screen, whatever the column count.
  function onGridKey(e) {
    if (!e.target.classList.contains('card-main') && !e.target.classList.contains('card-more')) return;
    const list = visibleCards();
    const i = list.findIndex((c) => c.li.contains(e.target));
    if (i < 0) return;
    const top = list[0].li.offsetTop;
    let cols = list.findIndex((c) => c.li.offsetTop !== top);
    if (cols <= 0) cols = list.length;
    let j = -1;
    switch (e.key) {
      case 'ArrowRight': j = Math.min(list.length - 1, i + 1); break;
      case 'ArrowLeft': j = Math.max(0, i - 1); break;
      case 'ArrowDown': j = Math.min(list.length - 1, i + cols); break;
      case 'ArrowUp': j = Math.max(0, i - cols); break;
      case 'Home': j = 0; break;
      case 'End': j = list.length - 1; break;
      case 'PageDown': j = Math.min(list.length - 1, i + cols * 3); break;
      case 'PageUp': j = Math.max(0, i - cols * 3); break;
      case 'Delete': if (list[i].item.mine) { e.preventDefault(); remove(list[i].item); } return;
      case 'ContextMenu': e.preventDefault(); openMenu(list[i]); return;
      case 'F10': if (e.shiftKey) { e.preventDefault(); openMenu(list[i]); } return;
      default: return;
    }
    e.preventDefault();
    const c = list[j];
    setActive(c.li.dataset.key);
    c.main.focus();
    c.li.scrollIntoView({ block: 'nearest' });
  }

  function apply(item) {
    if (!item) return;
    if (!item.ok) { const why = whyNot(item); LH.toast(item.name + ': ' + why.charAt(0).toLowerCase() + why.slice(1)); return; }
    const t = LH.target();
    if (t.kind === 'none') { LH.toast('No screen to show it on'); return; }
    LH.applyToTarget(item.path);
    LH.toast('Showing ' + item.name + ' on ' + LH.targetLabel(t));
  }

  function remove(item) {
    LH.send.remove(item.path);
    LH.toast('Removed ' + item.name + ' from your library');
    const list = visibleCards();
    const i = list.findIndex((c) => c.item === item);
    const next = list[i + 1] || list[i - 1];
    if (next) { setActive(next.li.dataset.key); next.main.focus(); }
  }

  // --- the card menu -------------------------------------------------------------
  function openMenu(c, px, py) {
    closeMenu(false);
    const item = c.item;
    const st = LH.state;
    const entries = [];
    if (item.ok) {
      if (st.screens.length > 1 && st.screens.length <= 8) {
        st.screens.forEach((s, i) => entries.push(['Show on Screen ' + (i + 1) + (s.main ? ' (main)' : ''), () => LH.send.apply(i, item.path)]));
        entries.push(['Show on all screens', () => LH.send.applyAll(item.path)]);
      } else if (st.screens.length === 1) {
        entries.push(['Show on this screen', () => LH.send.apply(0, item.path)]);
      } else if (st.screens.length > 8) {
        entries.push(['Show on ' + LH.targetLabel(), () => apply(item)]);
        entries.push(['Show on all screens', () => LH.send.applyAll(item.path)]);
      }
      if (st.screens.length) entries.push(['Span across all screens', () => { LH.setWantSpan(false); LH.send.span(item.path); }]);
    }
    if (item.kind === 'image') entries.push(['Bake into a video…', () => LH.bake.choose(item.path)]);
    if (item.mine) entries.push(['Remove from library', () => remove(item), 'danger']);
    if (!entries.length) entries.push([whyNot(item) || 'Nothing to do', null]);

    menu = LH.el('div', { class: 'menu', role: 'menu', 'aria-label': item.name });
    for (const [label, act, cls] of entries) {
      const b = LH.el('button', { role: 'menuitem', tabindex: '-1', class: cls || '', text: label, disabled: !act });
      if (act) b.addEventListener('click', () => { closeMenu(false); act(); });
      menu.append(b);
    }
    menu.addEventListener('keydown', (e) => {
      const items = [...menu.querySelectorAll('[role="menuitem"]:not([disabled])')];
      const i = items.indexOf(document.activeElement);
      if (e.key === 'Escape') { e.preventDefault(); closeMenu(true); return; }
      if (e.key === 'Tab') { closeMenu(true); e.preventDefault(); return; }
      let j = -1;
      if (e.key === 'ArrowDown') j = (i + 1) % items.length;
      else if (e.key === 'ArrowUp') j = (i - 1 + items.length) % items.length;
      else if (e.key === 'Home') j = 0;
      else if (e.key === 'End') j = items.length - 1;
      if (j >= 0 && items.length) { e.preventDefault(); items[j].focus(); }
    });
    menu.dataset.owner = c.li.dataset.key;
    c.more.setAttribute('aria-expanded', 'true');
    document.body.append(menu);
    const r = c.more.getBoundingClientRect();
    const mw = menu.offsetWidth, mh = menu.offsetHeight;
    let x = px !== undefined ? px : r.right - mw;
    let y = py !== undefined ? py : r.bottom + 4;
    x = LH.clamp(x, 8, window.innerWidth - mw - 8);
    if (y + mh > window.innerHeight - 8) y = Math.max(8, (py !== undefined ? py : r.top - 4) - mh);
    menu.style.left = x + 'px';
    menu.style.top = y + 'px';
    const first = menu.querySelector('[role="menuitem"]:not([disabled])');
    (first || menu.querySelector('[role="menuitem"]')).focus();
  }

  function closeMenu(refocus) {
    if (!menu) return;
    const owner = cards.get(menu.dataset.owner);
    if (owner) owner.more.setAttribute('aria-expanded', 'false');
    menu.remove();
    menu = null;
    if (refocus && owner) owner.more.focus();
  }

  // --- previews of videos that have no thumbnail ----------------------------------
  function startPreview(c) {
    const item = c.item;
    if (!item || item.thumb || item.kind !== 'video' || !item.url || c.video) return;
    c.previewTimer = setTimeout(() => {
      const v = LH.el('video', { class: 'thumb-video', muted: true, loop: true, playsInline: true, preload: 'auto', disablePictureInPicture: true });
      v.setAttribute('aria-hidden', 'true');
      v.addEventListener('error', () => stopPreview(c));
      v.addEventListener('loadeddata', () => v.classList.add('ready'));
      v.src = item.url;
      if (!LH.reducedMotion()) v.play().catch(() => {});
      const th = c.main.querySelector('.thumb');
      if (th) { th.append(v); c.video = v; }
    }, 180);
  }
  function stopPreview(c) {
    clearTimeout(c.previewTimer);
    if (c.video) { c.video.pause(); c.video.removeAttribute('src'); c.video.load(); c.video.remove(); c.video = null; }
  }

  // --- filter ----------------------------------------------------------------------
  function applyFilter() {
    const q = filterIn.value.trim().toLowerCase();
    let shown = 0;
    for (const key of order) {
      const c = cards.get(key);
      const hide = !!q && !c.item.name.toLowerCase().includes(q);
      if (c.li.hidden !== hide) c.li.hidden = hide;
      if (!hide) shown++;
    }
    // The grid's one tab stop must stay on a card that can be seen.
    const active = cards.get(activeKey);
    if (active && active.li.hidden) {
      const first = order.map((k) => cards.get(k)).find((c) => !c.li.hidden);
      if (first) setActive(first.li.dataset.key);
    }
    grid.classList.toggle('no-match', !!q && shown === 0);
    grid.dataset.empty = q && !shown ? 'Nothing in the library matches “' + filterIn.value.trim() + '”' : '';
  }

  // --- adding ------------------------------------------------------------------------
  function markAdded() {
    let first = null;
    for (const key of order) {
      const c = cards.get(key);
      if (highlight.has(c.item.path)) {
        c.li.classList.add('just-added');
        if (!first) first = c;
        setTimeout(() => c.li.classList.remove('just-added'), 2400);
      }
    }
    highlight = new Set();
    if (first && document.body.dataset.view === 'wallpapers') first.li.scrollIntoView({ block: 'nearest', behavior: LH.reducedMotion() ? 'auto' : 'smooth' });
  }

  LH.bridge.on('added', (m) => {
    const paths = (Array.isArray(m.paths) ? m.paths : []).filter((p) => typeof p === 'string');
    if (!paths.length) {
      LH.toast('Nothing was added. Lumenhollow takes videos, pictures and web pages.');
      return;
    }
    highlight = new Set(paths);
    markAdded();
    LH.toast(paths.length === 1 ? 'Added ' + ((LH.itemsByPath.get(paths[0]) || {}).name || LH.baseName(paths[0])) : 'Added ' + paths.length + ' wallpapers');
  });

  // Brings an item into view and focus, e.g. a video that a bake just produced.
  LH.library = {
    reveal(path) {
      const c = cards.get(path);
      if (!c) return;
      if (c.li.hidden) { filterIn.value = ''; applyFilter(); }
      setActive(path);
      c.li.scrollIntoView({ block: 'center' });
      c.main.focus({ preventScroll: true });
      c.li.classList.add('just-added');
      setTimeout(() => c.li.classList.remove('just-added'), 2400);
    },
  };

  LH.addView({
    init() {
      grid.addEventListener('keydown', onGridKey);
      wireGrid();
      filterIn.addEventListener('input', applyFilter);
      filterIn.addEventListener('keydown', (e) => { if (e.key === 'Escape' && filterIn.value) { filterIn.value = ''; applyFilter(); } });
      LH.$('add-files').addEventListener('click', () => LH.send.add());
      LH.$('add-folder').addEventListener('click', () => LH.send.addFolder());
      document.addEventListener('pointerdown', (e) => { if (menu && !menu.contains(e.target)) closeMenu(false); }, true);
      window.addEventListener('blur', () => closeMenu(false));
      window.addEventListener('resize', () => closeMenu(false));
      grid.addEventListener('scroll', () => closeMenu(false), { passive: true });
    },
    render,
  });
})(window.LH);
