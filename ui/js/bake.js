// The bake studio: choose a picture, preview all eleven effects as looping videos,
// pick one, bake it with progress and cancel, and meet the result in the library.
'use strict';
(function (LH) {
  const PRESETS = ['Gentle drift', 'Breathe', 'Dreamy ripple', 'Snowfall', 'Rainy day', 'Fireflies',
    'Bokeh lights', 'Sunbeam', 'Cloud shadows', 'Vintage film', 'Sparkle'];

  const sel = LH.$('bake-select');
  const gridEl = LH.$('preset-grid');
  const progress = LH.$('bake-progress');
  const message = LH.$('bake-message');
  const previewNote = LH.$('bake-preview-note');

  const s = {
    picture: '',            // the chosen picture's path
    preset: 0,
    previewsFor: '',        // the picture whose previews are on their way or shown
    previews: new Array(PRESETS.length).fill(''),
    baking: false,
    cancelled: false,
    wantAdded: false,       // "Add a picture…" was pressed here; adopt what gets added
    lastPictures: '',
  };
  const tiles = [];

  function pictures(st) { return st.items.filter((it) => it.kind === 'image'); }

  // The program names a preview "<key>-<preset>.mp4", the key being the low 32 bits
  // of the 64-bit FNV-1a hash of the picture path's UTF-16LE bytes. Records still
  // queued for an earlier picture must not land in this one's tiles.
  function pictureKey(path) {
    const mask = (1n << 64n) - 1n;
    let h = 0xcbf29ce484222325n;
    for (let i = 0; i < path.length; i++) {
      const unit = path.charCodeAt(i);
      for (const byte of [unit & 0xff, unit >> 8]) h = ((h ^ BigInt(byte)) * 0x100000001b3n) & mask;
    }
    return (h & 0xffffffffn).toString(16).padStart(8, '0');
  }
  function previewOf(path, picture, preset) {
    return LH.baseName(path) === pictureKey(picture) + '-' + preset + '.mp4';
  }

  function buildTiles() {
    PRESETS.forEach((name, i) => {
      const media = LH.el('span', { class: 'preset-media' });
      const b = LH.el('button', { class: 'preset', role: 'radio', 'aria-checked': i === 0 ? 'true' : 'false', tabindex: i === 0 ? '0' : '-1', dataset: { preset: String(i) } },
        [media, LH.el('span', { class: 'preset-name', text: name }), LH.el('span', { class: 'preset-state', 'aria-hidden': 'true' })]);
      b.addEventListener('click', () => pickPreset(i));
      tiles.push({ b, media, shown: null });
      gridEl.append(b);
    });
    LH.rovingRadios(gridEl, (r) => pickPreset(Number(r.dataset.preset)));
  }

  function pickPreset(i) {
    s.preset = i;
    LH.setRadio(gridEl, (r) => Number(r.dataset.preset) === i);
    syncButtons();
  }

  // Each tile shows the preview video once it exists, otherwise the still picture.
  function drawTile(i) {
    const t = tiles[i];
    const want = s.previews[i] ? 'v:' + s.previews[i] : (thumbOf(s.picture) ? 'i:' + thumbOf(s.picture) : '');
    const waiting = !s.previews[i] && s.previewsFor && s.previewsFor === s.picture;
    t.b.classList.toggle('waiting', !!waiting);
    LH.setText(t.b.querySelector('.preset-state'), waiting ? 'Making preview…' : '');
    LH.setAttr(t.b, 'aria-label', PRESETS[i] + (s.previews[i] ? ', preview ready' : waiting ? ', preview on its way' : ''));
    if (t.shown === want) return;
    t.shown = want;
    const old = t.media.querySelector('video');
    if (old) { old.pause(); old.removeAttribute('src'); old.load(); }
    t.media.replaceChildren();
    if (want.startsWith('v:')) {
      const v = LH.el('video', { muted: true, loop: true, playsInline: true, autoplay: !LH.reducedMotion(), preload: 'auto', disablePictureInPicture: true });
      v.setAttribute('aria-hidden', 'true');
      v.addEventListener('error', () => { v.remove(); t.shown = null; });
      v.src = want.slice(2);
      if (LH.reducedMotion()) {
        t.b.addEventListener('pointerenter', () => v.play().catch(() => {}), { once: false });
        t.b.addEventListener('pointerleave', () => v.pause());
      }
      t.media.append(v);
    } else if (want.startsWith('i:')) {
      const img = LH.el('img', { alt: '', decoding: 'async', draggable: 'false' });
      img.addEventListener('error', () => img.remove());
      img.src = want.slice(2);
      t.media.append(img);
    }
  }

  function thumbOf(path) {
    const it = LH.itemsByPath.get(path);
    return it ? it.thumb : '';
  }

  function drawPicture() {
    const box = LH.$('bake-picture');
    const url = thumbOf(s.picture);
    if (box.dataset.url === url + '|' + s.picture) return;
    box.dataset.url = url + '|' + s.picture;
    box.replaceChildren();
    if (url) {
      const img = LH.el('img', { alt: '', decoding: 'async', draggable: 'false' });
      img.addEventListener('error', () => img.replaceWith(LH.el('span', { class: 'placeholder', text: 'Picture can’t be shown' })));
      img.src = url;
      box.append(img);
    } else {
      box.append(LH.el('span', { class: 'placeholder', text: s.picture ? LH.baseName(s.picture) : 'Add a picture to begin' }));
    }
  }

  function syncButtons() {
    const have = !!s.picture;
    LH.setProp(LH.$('bake-previews'), 'disabled', !have || s.baking);
    LH.setProp(LH.$('bake-start'), 'disabled', !have || s.baking);
    LH.setText(LH.$('bake-start'), 'Bake “' + PRESETS[s.preset] + '”');
    const cancel = LH.$('bake-cancel');
    if (!s.baking && document.activeElement === cancel) LH.$('bake-start').focus();
    LH.setProp(cancel, 'hidden', !s.baking);
    LH.setProp(progress, 'hidden', !s.baking);
  }

  function say(text, tone) {
    message.className = 'bake-message' + (tone ? ' ' + tone : '');
    message.replaceChildren(document.createTextNode(text));
  }

  function choose(path) {
    if (path === s.picture) return;
    s.picture = path;
    s.previewsFor = '';
    s.previews.fill('');
    previewNote.textContent = '';
    if (LH.state) render(LH.state);
  }

  function render(st) {
    const pics = pictures(st);
    const sig = JSON.stringify(pics.map((p) => [p.path, p.name]));
    if (!s.picture && pics.length) s.picture = pics[0].path;
    if (sig !== s.lastPictures) {
      s.lastPictures = sig;
      const opts = pics.map((p) => LH.el('option', { value: p.path, text: p.name }));
      if (s.picture && !pics.some((p) => p.path === s.picture)) opts.unshift(LH.el('option', { value: s.picture, text: LH.baseName(s.picture) }));
      if (!opts.length) opts.push(LH.el('option', { value: '', text: 'No pictures in your library yet', disabled: true }));
      sel.replaceChildren(...opts);
    }
    if (sel.value !== s.picture) sel.value = s.picture;
    drawPicture();
    for (let i = 0; i < PRESETS.length; i++) drawTile(i);
    syncButtons();
  }

  function onBake(m) {
    const kind = LH.num(m.kind, -1);
    const preset = LH.num(m.preset, -1);
    const pct = LH.clamp(LH.num(m.pct, 0), 0, 100);
    const url = LH.safeUrl(m.url);
    const validPreset = Number.isInteger(preset) && preset >= 0 && preset < PRESETS.length;
    if (kind === 1) {
      if (!validPreset || !s.previewsFor || !url || !previewOf(LH.str(m.path), s.previewsFor, preset)) return;
      s.previews[preset] = url;
      const ready = s.previews.filter(Boolean).length;
      previewNote.textContent = ready + ' of ' + PRESETS.length + ' previews ready';
      drawTile(preset);
    } else if (kind === 0) {
      // A bake may have been started before this page loaded; show it as the running one.
      if (!s.baking) { s.baking = true; s.cancelled = false; }
      if (validPreset && preset !== s.preset) pickPreset(preset);
      syncButtons();
      setProgress(pct);
      say('Baking “' + (validPreset ? PRESETS[preset] : 'effect') + '”… ' + Math.round(pct) + ' %');
    } else if (kind === 2) {
      s.baking = false;
      setProgress(100);
      syncButtons();
      const path = LH.str(m.path);
      const it = LH.itemsByPath.get(path);
      const name = it ? it.name : LH.baseName(path) || 'Your video';
      message.className = 'bake-message good';
      const applyBtn = LH.el('button', { class: 'btn btn-small', text: 'Show it on ' + LH.targetLabel() });
      applyBtn.addEventListener('click', () => { LH.applyToTarget(path); LH.toast('Showing ' + name + ' on ' + LH.targetLabel()); });
      const libBtn = LH.el('button', { class: 'btn btn-small btn-quiet', text: 'See it in the library' });
      libBtn.addEventListener('click', () => { LH.showView('wallpapers'); LH.library.reveal(path); });
      message.replaceChildren(document.createTextNode('Done: ' + name + ' is in your library. '), applyBtn, libBtn);
    } else if (kind === 3) {
      // A bake's end carries 100; a previews failure carries 0, even while a bake runs.
      if (pct >= 100) {
        s.baking = false;
        syncButtons();
        say(s.cancelled ? 'Bake cancelled. Nothing was saved.' : 'That bake did not finish. Try another picture or effect.', s.cancelled ? '' : 'warn');
        s.cancelled = false;
      } else if (s.previewsFor) {
        s.previewsFor = '';
        previewNote.textContent = 'Couldn’t read this picture for previews. Try another one.';
        for (let i = 0; i < PRESETS.length; i++) drawTile(i);
      }
    }
  }

  function setProgress(pct) {
    progress.setAttribute('aria-valuenow', String(Math.round(pct)));
    progress.firstElementChild.style.width = pct + '%';
  }

  LH.bake = { choose: (path) => { LH.showView('bake'); choose(path); }, presets: Object.freeze(PRESETS.slice()) };

  LH.addView({
    init() {
      buildTiles();
      sel.addEventListener('change', () => choose(sel.value));
      LH.$('bake-add').addEventListener('click', () => { s.wantAdded = true; LH.send.add(); });
      LH.$('bake-previews').addEventListener('click', () => {
        if (!s.picture) return;
        s.previewsFor = s.picture;
        s.previews.fill('');
        previewNote.textContent = 'Making previews…';
        LH.send.previews(s.picture);
        for (let i = 0; i < PRESETS.length; i++) drawTile(i);
      });
      LH.$('bake-start').addEventListener('click', () => {
        if (!s.picture || s.baking) return;
        s.baking = true;
        s.cancelled = false;
        s.previewsFor = '';
        setProgress(0);
        syncButtons();
        say('Starting “' + PRESETS[s.preset] + '”…');
        LH.send.bake(s.picture, s.preset);
        LH.$('bake-cancel').focus();
      });
      LH.$('bake-cancel').addEventListener('click', () => {
        s.cancelled = true;
        LH.send.bakeCancel();
        say('Cancelling…');
      });
      LH.bridge.on('bake', onBake);
      LH.bridge.on('added', (m) => {
        if (!s.wantAdded) return;
        s.wantAdded = false;
        const pic = (Array.isArray(m.paths) ? m.paths : []).find((p) => LH.itemsByPath.has(p) && LH.itemsByPath.get(p).kind === 'image');
        if (pic) choose(pic);
      });
    },
    render,
  });
})(window.LH);
