// The settings view. Every control mirrors the latest state (unless the user is in
// the middle of changing it) and sends one "set" command when changed.
'use strict';
(function (LH) {
  const root = LH.$('settings');
  const c = {};
  const toggles = [];
  const idOf = (setting) => 'set-' + LH.bridge.settingKeys[setting];

  // `setting` names the field of the state's settings and the control's key.
  function toggle(setting, send, label, hint) {
    const id = idOf(setting);
    const input = LH.el('input', { type: 'checkbox', role: 'switch', id });
    input.addEventListener('change', () => send(input.checked));
    c[setting] = input;
    toggles.push(setting);
    return LH.el('label', { class: 'setting toggle', for: id }, [
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

  // `send` clamps to the program's range and returns what it sent, which the field then shows.
  function numberField(setting, send, label, suffix) {
    const id = idOf(setting);
    const r = LH.bridge.settingLimits[setting];
    const input = LH.el('input', { type: 'number', min: String(r.min), max: String(r.max), step: '1', id, inputMode: 'numeric' });
    const commit = () => {
      const kept = send(input.value);
      if (kept !== null) input.value = String(kept);
    };
    input.addEventListener('change', commit);
    input.addEventListener('keydown', (e) => { if (e.key === 'Enter') commit(); });
    c[setting] = input;
    return LH.el('label', { class: 'num-field', for: id }, [LH.el('span', { text: label }), input, suffix ? LH.el('span', { class: 'unit', text: suffix }) : null]);
  }

  function build() {
    const fpsId = idOf('fps');
    const fpsRange = LH.limits.fps;
    const fps = LH.el('input', {
      type: 'range', min: String(fpsRange.min), max: String(fpsRange.max), step: '1', id: fpsId, 'aria-describedby': fpsId + '-out',
    });
    const fpsOut = LH.el('output', { id: fpsId + '-out', for: fpsId });
    fps.addEventListener('input', () => { fpsOut.textContent = fps.value + ' fps'; });
    fps.addEventListener('change', () => LH.send.setFps(fps.value));
    c.fps = fps; c.fpsOut = fpsOut;

    const saver = LH.el('button', { class: 'btn', id: 'saver-preview', text: 'Preview screensaver' });
    saver.addEventListener('click', () => LH.send.saver());

    root.append(
      card('Pause automatically', [
        toggle('pauseFullscreen', LH.send.setPauseFullscreen, 'When a game or full-screen app runs', 'Frees the graphics card for what you are doing'),
        toggle('pauseCovered', LH.send.setPauseCovered, 'When windows cover the desktop', 'Each screen pauses on its own'),
        toggle('pauseBattery', LH.send.setPauseBattery, 'On battery', 'Saves power when unplugged'),
        toggle('stopWhenPaused', LH.send.setStopWhenPaused, 'Give the memory back while a game runs',
          'Stops wallpapers for games and program rules instead of pausing them; they start again afterwards'),
      ]),
      rulesCard(),
      card('Playback', [
        LH.el('div', { class: 'setting' }, [
          LH.el('label', { class: 'setting-text', for: 'set-fps' }, [LH.el('span', { class: 'setting-label', text: 'Frames per second' }), LH.el('span', { class: 'setting-hint', text: 'Lower is lighter on the processor' })]),
          LH.el('div', { class: 'range-row' }, [fps, fpsOut]),
        ]),
        LH.el('div', { class: 'setting' }, [
          LH.el('span', { class: 'setting-text' }, [LH.el('span', { class: 'setting-label', id: 'fit-label', text: 'Picture size' }), LH.el('span', { class: 'setting-hint', text: 'Fill crops to the screen; Fit shows everything with bars' })]),
          radios('fit', 'Picture size', [['0', 'Fill'], ['1', 'Fit']], (v) => LH.send.setFit(v === '1')),
        ]),
      ]),
      card('When you are away', [
        LH.el('div', { class: 'setting' }, [
          LH.el('span', { class: 'setting-text' }, [LH.el('span', { class: 'setting-label', text: 'After a while without input' })]),
          radios('idle', 'When you are away', [['0', 'Do nothing'], ['1', 'Pause'], ['2', 'Screensaver']], (v) => { LH.send.setIdle(v); syncIdle(Number(v)); }),
        ]),
        LH.el('div', { class: 'setting' }, [numberField('idleMin', LH.send.setIdleMin, 'Wait', 'minutes'), saver]),
      ]),
      card('Windows', [toggle('startWithWindows', LH.send.setStartWithWindows, 'Start with Windows', 'Lumenhollow starts quietly in the notification area')]),
    );
  }

  const ACTION_TEXT = { running: 'Pause while it runs', foreground: 'Pause while it is in front', notfullscreen: 'Never a game' };
  let rules = [];
  let rulesSig = '';

  function actionSelect(value, label) {
    const sel = LH.el('select', { 'aria-label': label });
    for (const a of LH.bridge.ruleActions) sel.append(LH.el('option', { value: a, text: ACTION_TEXT[a] }));
    sel.value = value;
    return sel;
  }

  function sendRules(next, focusIndex) {
    rules = LH.send.rules(next);
    c.ruleFocus = focusIndex;
  }

  function rulesCard() {
    c.rules = LH.el('ul', { class: 'rule-list', id: 'rule-list', 'aria-label': 'Program rules' });
    const name = LH.el('input', { type: 'text', id: 'rule-name', placeholder: 'obs64.exe', spellcheck: 'false', autocomplete: 'off',
      maxLength: LH.limits.ruleName.max, 'aria-label': 'Program file name' });
    const action = actionSelect('running', 'What to do for it');
    action.id = 'rule-action';
    const add = LH.el('button', { class: 'btn', id: 'rule-add', text: 'Add rule' });
    const commit = () => {
      const p = LH.baseName(name.value.trim());
      if (!p) return;
      if (rules.length >= LH.limits.rules.max) { LH.toast('No more than ' + LH.limits.rules.max + ' rules'); return; }
      sendRules([...rules, { a: action.value, p }], null);
      name.value = '';
      name.focus();
    };
    add.addEventListener('click', commit);
    name.addEventListener('keydown', (e) => { if (e.key === 'Enter') commit(); });
    c.ruleName = name;
    return card('Program rules', [
      LH.el('p', { class: 'setting-hint', text: 'Pause for a program by its file name, or tell Lumenhollow it is not a game.' }),
      c.rules,
      LH.el('div', { class: 'rule-add' }, [name, action, add]),
    ]);
  }

  function renderRules(list) {
    const sig = JSON.stringify(list);
    if (sig === rulesSig) return;
    rulesSig = sig;
    rules = list.slice();
    c.rules.replaceChildren(...list.map((r, i) => {
      const sel = actionSelect(r.a, 'What to do for ' + r.p);
      sel.addEventListener('change', () => sendRules(rules.map((x, k) => (k === i ? { a: sel.value, p: x.p } : x)), i));
      const remove = LH.el('button', { class: 'btn btn-quiet btn-small', text: 'Remove', 'aria-label': 'Remove the rule for ' + r.p });
      remove.addEventListener('click', () => sendRules(rules.filter((_, k) => k !== i), Math.min(i, rules.length - 2)));
      return LH.el('li', { class: 'rule-item' }, [LH.el('span', { class: 'rule-name', text: r.p }), sel, remove]);
    }));
    if (c.ruleFocus !== null && c.ruleFocus !== undefined) {
      const li = c.rules.children[c.ruleFocus];
      (li ? li.querySelector('select') : c.ruleName).focus();
      c.ruleFocus = null;
    }
  }

  function syncIdle(idle) { LH.setProp(c.idleMin, 'disabled', idle === 0); }

  function render(st) {
    const s = st.set;
    const active = document.activeElement;
    for (const k of toggles) if (c[k].checked !== s[k]) c[k].checked = s[k];
    if (active !== c.fps && !c.fps.matches(':active')) {
      if (c.fps.value !== String(s.fps)) c.fps.value = String(s.fps);
      LH.setText(c.fpsOut, s.fps + ' fps');
    }
    LH.setRadio(c.fit, (r) => r.dataset.value === (s.fit ? '1' : '0'));
    LH.setRadio(c.idle, (r) => r.dataset.value === String(s.idle));
    if (active !== c.idleMin && c.idleMin.value !== String(s.idleMin)) c.idleMin.value = String(s.idleMin);
    syncIdle(s.idle);
    renderRules(st.rules);
  }

  LH.addView({ init: build, render });
})(window.LH);
