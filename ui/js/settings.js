// The settings view. Every control mirrors the latest state (unless the user is in
// the middle of changing it) and sends one "set" command when changed.
'use strict';
(function (LH) {
  const root = LH.$('settings');
  const c = {};

  function toggle(key, label, hint) {
    const input = LH.el('input', { type: 'checkbox', role: 'switch', id: 'set-' + key });
    input.addEventListener('change', () => LH.bridge.send('set', key, input.checked ? '1' : '0'));
    c[key] = input;
    return LH.el('label', { class: 'setting toggle', for: 'set-' + key }, [
      LH.el('span', { class: 'setting-text' }, [LH.el('span', { class: 'setting-label', text: label }), hint ? LH.el('span', { class: 'setting-hint', text: hint }) : null]),
      input,
    ]);
  }

  function radios(name, legend, options, onPick) {
    const group = LH.el('div', { class: 'seg', role: 'radiogroup', 'aria-label': legend });
    for (const [value, text] of options) {
      const b = LH.el('button', { role: 'radio', 'aria-checked': 'false', tabindex: '-1', dataset: { value }, text });
      b.addEventListener('click', () => { pick(b); });
      group.append(b);
    }
    const pick = (b) => { LH.setRadio(group, (r) => r === b); onPick(b.dataset.value); };
    LH.rovingRadios(group, pick);
    c[name] = group;
    return group;
  }

  function card(title, children) {
    const id = 'set-h-' + title.toLowerCase().replace(/\W+/g, '-');
    return LH.el('section', { class: 'panel set-card', 'aria-labelledby': id }, [LH.el('h2', { id, text: title }), ...children]);
  }

  function numberField(key, min, max, label, suffix) {
    const input = LH.el('input', { type: 'number', min: String(min), max: String(max), step: '1', id: 'set-' + key, inputMode: 'numeric' });
    const commit = () => {
      const v = Math.round(Number(input.value));
      if (!Number.isFinite(v)) return;
      const clamped = LH.clamp(v, min, max);
      input.value = String(clamped);
      LH.bridge.send('set', key, String(clamped));
    };
    input.addEventListener('change', commit);
    input.addEventListener('keydown', (e) => { if (e.key === 'Enter') commit(); });
    c[key] = input;
    return LH.el('label', { class: 'num-field', for: 'set-' + key }, [LH.el('span', { text: label }), input, suffix ? LH.el('span', { class: 'unit', text: suffix }) : null]);
  }

  function build() {
    const fps = LH.el('input', { type: 'range', min: '5', max: '240', step: '1', id: 'set-fps', 'aria-describedby': 'set-fps-out' });
    const fpsOut = LH.el('output', { id: 'set-fps-out', for: 'set-fps' });
    fps.addEventListener('input', () => { fpsOut.textContent = fps.value + ' fps'; });
    fps.addEventListener('change', () => LH.bridge.send('set', 'fps', fps.value));
    c.fps = fps; c.fpsOut = fpsOut;

    const saver = LH.el('button', { class: 'btn', id: 'saver-preview', text: 'Preview screensaver' });
    saver.addEventListener('click', () => LH.bridge.send('saver'));

    root.append(
      card('Pause automatically', [
        toggle('pfs', 'When a game or full-screen app runs', 'Frees the graphics card for what you are doing'),
        toggle('pcov', 'When windows cover the desktop', 'Each screen pauses on its own'),
        toggle('pbat', 'On battery', 'Saves power when unplugged'),
      ]),
      card('Playback', [
        LH.el('div', { class: 'setting' }, [
          LH.el('label', { class: 'setting-text', for: 'set-fps' }, [LH.el('span', { class: 'setting-label', text: 'Frames per second' }), LH.el('span', { class: 'setting-hint', text: 'Lower is lighter on the processor' })]),
          LH.el('div', { class: 'range-row' }, [fps, fpsOut]),
        ]),
        LH.el('div', { class: 'setting' }, [
          LH.el('span', { class: 'setting-text' }, [LH.el('span', { class: 'setting-label', id: 'fit-label', text: 'Picture size' }), LH.el('span', { class: 'setting-hint', text: 'Fill crops to the screen; Fit shows everything with bars' })]),
          radios('fit', 'Picture size', [['0', 'Fill'], ['1', 'Fit']], (v) => LH.bridge.send('set', 'fit', v)),
        ]),
      ]),
      card('When you are away', [
        LH.el('div', { class: 'setting' }, [
          LH.el('span', { class: 'setting-text' }, [LH.el('span', { class: 'setting-label', text: 'After a while without input' })]),
          radios('idle', 'When you are away', [['0', 'Do nothing'], ['1', 'Pause'], ['2', 'Screensaver']], (v) => { LH.bridge.send('set', 'idle', v); syncIdle(Number(v)); }),
        ]),
        LH.el('div', { class: 'setting' }, [numberField('idlemin', 1, 120, 'Wait', 'minutes'), saver]),
      ]),
      card('Windows', [toggle('start', 'Start with Windows', 'Lumenhollow starts quietly in the notification area')]),
    );
  }

  function syncIdle(idle) { LH.setProp(c.idlemin, 'disabled', idle === 0); }

  function render(st) {
    const s = st.set;
    const active = document.activeElement;
    for (const k of ['pfs', 'pcov', 'pbat', 'start']) if (c[k].checked !== s[k]) c[k].checked = s[k];
    if (active !== c.fps && !c.fps.matches(':active')) {
      if (c.fps.value !== String(s.fps)) c.fps.value = String(s.fps);
      LH.setText(c.fpsOut, s.fps + ' fps');
    }
    LH.setRadio(c.fit, (r) => r.dataset.value === (s.fit ? '1' : '0'));
    LH.setRadio(c.idle, (r) => r.dataset.value === String(s.idle));
    if (active !== c.idlemin && c.idlemin.value !== String(s.idleMin)) c.idlemin.value = String(s.idleMin);
    syncIdle(s.idle);
  }

  LH.addView({ init: build, render });
})(window.LH);
