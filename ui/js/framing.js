// Pan and zoom of the chosen screen's wallpaper. The preview places the picture the
// way the program does (fill, crop evenly, then centre and zoom, never leaving the
// picture), and every move is sent at once as a "frame" command.
'use strict';
(function (LH) {
  const box = LH.$('frame-box');
  const pic = LH.$('frame-pic');
  const zoomIn = LH.$('frame-zoom');
  const zoomOut = LH.$('frame-zoom-out');
  const note = LH.$('frame-note');
  const Z = LH.limits.zoom;
  const limitZoom = (z) => LH.clamp(z, Z.min, Z.max);
  zoomIn.min = String(Z.min);
  zoomIn.max = String(Z.max);

  // Local view of the frame; the state's copy is taken only while the user is not
  // moving it, so a state message arriving mid-drag cannot make the picture jump.
  const f = { key: null, target: null, path: '', x: 0.5, y: 0.5, zoom: 1, srcW: 0, srcH: 0, usable: false };
  let touchedAt = 0;
  let dragging = null;
  let pending = false;
  let media = null;
  let aspect = 16 / 9;

  // The box takes the target's shape, as large as the panel and its height cap allow;
  // a portrait screen gets a portrait box.
  function fitBox() {
    const ps = getComputedStyle(box.parentElement);
    const availW = box.parentElement.clientWidth - parseFloat(ps.paddingLeft) - parseFloat(ps.paddingRight);
    const maxH = parseFloat(getComputedStyle(box).maxHeight) || 190;
    const a = Number.isFinite(aspect) && aspect > 0 ? LH.clamp(aspect, 0.2, 8) : 16 / 9;
    const w = Math.min(availW, maxH * a);
    LH.setProp(box.style, 'width', w.toFixed(1) + 'px');
    LH.setProp(box.style, 'height', (w / a).toFixed(1) + 'px');
  }

  const busy = () => dragging || performance.now() - touchedAt < 1500;

  // The visible part of the picture in texture units, as the program computes it.
  function uvRect(dstW, dstH) {
    let u = 0, v = 0, du = 1, dv = 1;
    if (f.srcW > 0 && f.srcH > 0 && dstW > 0 && dstH > 0) {
      const da = dstW / dstH, sa = f.srcW / f.srcH;
      if (sa > da) du = da / sa; else dv = sa / da;
    }
    const z = limitZoom(f.zoom);
    du /= z; dv /= z;
    u = LH.clamp(f.x - du / 2, 0, 1 - du);
    v = LH.clamp(f.y - dv / 2, 0, 1 - dv);
    return { u, v, du, dv };
  }

  function draw() {
    if (!media) return;
    const W = box.clientWidth, H = box.clientHeight;
    const fit = LH.state && LH.state.set.fit;
    if (fit && f.srcW && f.srcH) {
      const s = Math.min(W / f.srcW, H / f.srcH);
      const w = f.srcW * s, h = f.srcH * s;
      Object.assign(media.style, { width: w + 'px', height: h + 'px', left: (W - w) / 2 + 'px', top: (H - h) / 2 + 'px' });
      return;
    }
    const r = uvRect(W, H);
    const w = W / r.du, h = H / r.dv;
    Object.assign(media.style, { width: w + 'px', height: h + 'px', left: -r.u * w + 'px', top: -r.v * h + 'px' });
  }

  // Keeps the centre where the program would still honour it, so a drag never "sticks".
  function clampCentre() {
    const r = uvRect(box.clientWidth || 1, box.clientHeight || 1);
    f.x = LH.clamp(f.x, r.du / 2, 1 - r.du / 2);
    f.y = LH.clamp(f.y, r.dv / 2, 1 - r.dv / 2);
  }

  function send() {
    if (!f.usable || f.key === null) return;
    if (![f.x, f.y, f.zoom].every(Number.isFinite)) { f.x = 0.5; f.y = 0.5; f.zoom = 1; }
    LH.send.frame(f.target, f.x.toFixed(4), f.y.toFixed(4), f.zoom.toFixed(3));
  }

  // At most one command per painted frame while the pointer moves.
  function changed() {
    touchedAt = performance.now();
    clampCentre();
    draw();
    showZoom();
    if (pending) return;
    pending = true;
    requestAnimationFrame(() => { pending = false; send(); });
  }

  function showZoom() {
    if (document.activeElement !== zoomIn && Number(zoomIn.value) !== f.zoom) zoomIn.value = String(f.zoom);
    LH.setText(zoomOut, Math.round(f.zoom * 100) + ' %');
    LH.setAttr(zoomIn, 'aria-valuetext', Math.round(f.zoom * 100) + ' percent');
  }

  function loadMedia(item) {
    pic.replaceChildren();
    media = null;
    f.srcW = f.srcH = 0;
    if (!item) return;
    const done = (w, h) => { f.srcW = w; f.srcH = h; draw(); };
    if (item.thumb) {
      media = LH.el('img', { alt: '', draggable: 'false', decoding: 'async' });
      media.addEventListener('load', () => done(media.naturalWidth, media.naturalHeight));
      media.addEventListener('error', () => { pic.replaceChildren(); media = null; });
      media.src = item.thumb;
    } else if (item.kind === 'video' && item.url) {
      media = LH.el('video', { muted: true, preload: 'metadata', playsInline: true, disablePictureInPicture: true });
      media.addEventListener('loadedmetadata', () => done(media.videoWidth, media.videoHeight));
      media.addEventListener('error', () => { pic.replaceChildren(); media = null; });
      media.src = item.url;
    }
    if (media) pic.append(media);
  }

  function render(st) {
    const ti = LH.targetInfo();
    const item = LH.itemsByPath.get(ti.path);
    const framable = !!item && (item.kind === 'video' || item.kind === 'image');
    aspect = ti.w / ti.h;
    fitBox();
    const keyChanged = ti.key !== f.key || ti.path !== f.path;
    if (keyChanged) {
      f.key = ti.key; f.target = ti.target; f.path = ti.path;
      loadMedia(framable ? item : null);
      touchedAt = 0;
    }
    if (keyChanged || !busy()) {
      const fr = ti.frame || { x: 0.5, y: 0.5, zoom: 1 };
      f.x = LH.clamp(fr.x, 0, 1); f.y = LH.clamp(fr.y, 0, 1); f.zoom = limitZoom(fr.zoom);
    }
    f.usable = framable && !st.set.fit && ti.key !== null;
    box.classList.toggle('disabled', !f.usable);
    box.classList.toggle('fit', st.set.fit);
    LH.setProp(zoomIn, 'disabled', !f.usable);
    LH.setProp(LH.$('frame-reset'), 'disabled', !f.usable);
    LH.setProp(box, 'tabIndex', f.usable ? 0 : -1);
    LH.setAttr(box, 'aria-disabled', f.usable ? 'false' : 'true');
    let text;
    if (!ti.path) text = 'Choose a wallpaper for this screen to frame it.';
    else if (!framable) text = 'Web pages and shaders fill the screen as they are.';
    else if (st.set.fit) text = 'Fit is on, so the whole picture shows. Turn on Fill in Settings to pan and zoom.';
    else text = 'Drag to move, scroll to zoom.';
    if (note.textContent !== text) note.textContent = text;
    draw();
    showZoom();
  }

  LH.addView({
    init() {
      box.addEventListener('pointerdown', (e) => {
        if (!f.usable || e.button !== 0) return;
        box.setPointerCapture(e.pointerId);
        dragging = { id: e.pointerId, x: e.clientX, y: e.clientY };
        box.classList.add('dragging');
        box.focus({ preventScroll: true });
      });
      box.addEventListener('pointermove', (e) => {
        if (!dragging || e.pointerId !== dragging.id) return;
        const r = uvRect(box.clientWidth, box.clientHeight);
        f.x -= (e.clientX - dragging.x) / box.clientWidth * r.du;
        f.y -= (e.clientY - dragging.y) / box.clientHeight * r.dv;
        dragging.x = e.clientX; dragging.y = e.clientY;
        changed();
      });
      const end = (e) => {
        if (!dragging || e.pointerId !== dragging.id) return;
        dragging = null;
        box.classList.remove('dragging');
        touchedAt = performance.now();
      };
      box.addEventListener('pointerup', end);
      box.addEventListener('pointercancel', end);
      box.addEventListener('wheel', (e) => {
        if (!f.usable) return;
        e.preventDefault();
        const unit = e.deltaMode === 1 ? 40 : e.deltaMode === 2 ? 400 : 1;
        f.zoom = limitZoom(f.zoom * Math.exp(-e.deltaY * unit * 0.0015));
        changed();
      }, { passive: false });
      box.addEventListener('keydown', (e) => {
        if (!f.usable) return;
        const step = e.shiftKey ? 0.1 : 0.02;
        const r = uvRect(box.clientWidth, box.clientHeight);
        const k = e.key;
        if (k === 'ArrowLeft') f.x -= step * r.du;
        else if (k === 'ArrowRight') f.x += step * r.du;
        else if (k === 'ArrowUp') f.y -= step * r.dv;
        else if (k === 'ArrowDown') f.y += step * r.dv;
        else if (k === '+' || k === '=') f.zoom = limitZoom(f.zoom * 1.1);
        else if (k === '-' || k === '_') f.zoom = limitZoom(f.zoom / 1.1);
        else if (k === '0' || k === 'Home') { reset(); e.preventDefault(); return; }
        else return;
        e.preventDefault();
        changed();
      });
      zoomIn.addEventListener('input', () => {
        const z = Number(zoomIn.value);
        if (!Number.isFinite(z)) return;
        f.zoom = limitZoom(z);
        changed();
      });
      LH.$('frame-reset').addEventListener('click', reset);
      new ResizeObserver(draw).observe(box);
      new ResizeObserver(fitBox).observe(box.parentElement);
    },
    render,
  });

  function reset() {
    if (!f.usable || f.key === null) return;
    f.x = 0.5; f.y = 0.5; f.zoom = 1;
    touchedAt = performance.now();
    draw(); showZoom();
    LH.send.resetFrame(f.target);
  }
})(window.LH);
