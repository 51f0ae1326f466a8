// The chosen screen's rotation: the wallpapers taking turns, which one shows, how
// often and in what order. Every edit sends the whole rotation; the program's next
// state is what the panel then shows.
'use strict';
(function (LH) {
  const list = LH.$('rotation-list');
  const pick = LH.$('rotation-pick');
  const minutes = LH.$('rotation-minutes');
  const order = LH.$('rotation-order');
  let focusAfter = null;  // { path, role } of the control to focus once the list is redrawn
  let lastSig = '';

  function current() {
    const st = LH.state;
    const info = LH.targetInfo();
    if (!st || !info.key) return null;
    return { target: info.target, rot: st.rot[info.key] || null, showingPath: info.path };
  }

  function send(paths, min, ord) {
    const c = current();
    if (!c) return;
    const r = c.rot;
    const kept = LH.send.rotation(c.target, min === undefined ? (r ? r.min : Number(minutes.value)) : min,
      ord || (r ? r.order : checkedOrder()), paths);
    if (kept !== null) minutes.value = String(kept);
  }

  const checkedOrder = () => (order.querySelector('[aria-checked="true"]') || {}).dataset?.value || 'listed';
  const nameOf = (path) => { const it = LH.itemsByPath.get(path); return it ? it.name : LH.baseName(path); };

  function edit(paths, path, role) {
    focusAfter = path && role ? { path, role } : null;
    send(paths);
  }

  function row(path, i, items, showing) {
    const name = nameOf(path);
    const move = (to, role) => {
      const next = items.slice();
      next.splice(i, 1);
      next.splice(to, 0, path);
      edit(next, path, role);
    };
    const button = (text, label, role, onclick, disabled) => LH.el('button', {
      class: 'btn btn-quiet btn-small', text, 'aria-label': label + ' ' + name, dataset: { role }, disabled, onclick,
    });
    return LH.el('li', { class: 'rot-item' + (showing ? ' showing' : ''), dataset: { path } }, [
      LH.el('span', { class: 'rot-name', text: name, title: path }),
      showing ? LH.el('span', { class: 'rot-showing', text: 'showing' }) : null,
      button('↑', 'Move up', 'up', () => move(i - 1, 'up'), i === 0),
      button('↓', 'Move down', 'down', () => move(i + 1, 'down'), i === items.length - 1),
      button('✕', 'Remove', 'remove', () => {
        const next = items.filter((_, k) => k !== i);
        edit(next, next[Math.min(i, next.length - 1)], 'remove');
      }),
    ]);
  }

  function render(st) {
    const c = current();
    const panel = LH.$('rotation-panel');
    panel.hidden = !c;
    if (!c) return;
    const r = c.rot;
    const items = r ? r.items : [];
    const sig = JSON.stringify([LH.targetInfo().key, r, st.items.map((it) => [it.path, it.name, it.ok])]);
    if (sig !== lastSig) {
      lastSig = sig;
      list.replaceChildren(...items.map((p, i) => row(p, i, items, r && r.showing === i)));
      const choices = st.items.filter((it) => it.ok && !items.includes(it.path));
      const before = pick.value;
      pick.replaceChildren(...choices.map((it) => LH.el('option', { value: it.path, text: it.name })));
      if (choices.some((it) => it.path === before)) pick.value = before;
      LH.$('rotation-add').disabled = !choices.length || items.length >= LH.limits.rotationItems.max;
      LH.setText(LH.$('rotation-note'), !r ? 'Add two or more wallpapers to take turns on ' + LH.targetLabel() + '.'
        : r.items.length < 2 ? 'Add another wallpaper to take turns with.' : '');
    }
    if (document.activeElement !== minutes) {
      minutes.value = String(r ? r.min : minutes.value || 30);
      delete minutes.dataset.sent;
    }
    LH.setRadio(order, (b) => b.dataset.value === (r ? r.order : checkedOrder()));
    if (focusAfter) {
      const li = [...list.children].find((n) => n.dataset.path === focusAfter.path);
      const b = li && (li.querySelector(`[data-role="${focusAfter.role}"]:not([disabled])`) || li.querySelector('button:not([disabled])'));
      if (b) b.focus(); else if (!li) pick.focus();
      focusAfter = null;
    }
  }

  LH.addView({
    init() {
      LH.$('rotation-add').addEventListener('click', () => {
        const c = current();
        if (!c || !pick.value) return;
        let items = c.rot ? c.rot.items.slice() : [];
        // The wallpaper showing now starts a new rotation, so nothing changes until it is due.
        if (!items.length && c.showingPath && c.showingPath !== pick.value) items.push(c.showingPath);
        items.push(pick.value);
        focusAfter = null;
        send(items);
      });
      // Enter and the change that follows it are one edit.
      const commitMinutes = () => {
        const c = current();
        if (!c || !c.rot || minutes.value === minutes.dataset.sent) return;
        send(c.rot.items, Number(minutes.value));
        minutes.dataset.sent = minutes.value;
      };
      minutes.addEventListener('change', commitMinutes);
      minutes.addEventListener('keydown', (e) => { if (e.key === 'Enter') commitMinutes(); });
      const pickOrder = (b) => {
        LH.setRadio(order, (r) => r === b);
        const c = current();
        if (c && c.rot) send(c.rot.items, undefined, b.dataset.value);
      };
      order.addEventListener('click', (e) => { const b = e.target.closest('[role="radio"]'); if (b) pickOrder(b); });
      LH.rovingRadios(order, pickOrder);
      LH.$('rotation-next').addEventListener('click', () => LH.send.nextWallpaper());
    },
    render,
  });
})(window.LH);
