// The header's live figures: CPU, memory, why drawing is paused, and "Pause all".
'use strict';
(function (LH) {
  const last = {};
  function put(id, text) {
    if (last[id] === text) return;
    last[id] = text;
    LH.$(id).textContent = text;
  }

  LH.addView({
    init() {
      LH.$('pause-all').addEventListener('click', () => LH.send.pause());
    },
    render(st) {
      const s = st.stats;
      put('status-cpu', 'CPU ' + s.cpu.toFixed(1) + ' %');
      put('status-ram', Math.round(s.ram) + ' MB');
      const paused = s.reason !== '';
      const reason = s.reason ? s.reason.charAt(0).toUpperCase() + s.reason.slice(1) : '';
      put('status-text', paused ? 'Paused: ' + reason : 'Playing');
      LH.$('status-state').classList.toggle('paused', paused);
      LH.setProp(LH.$('status-state'), 'title', paused ? 'Paused: ' + s.reason : 'Wallpapers are playing');
      const btn = LH.$('pause-all');
      LH.setAttr(btn, 'aria-pressed', s.userPaused ? 'true' : 'false');
      LH.setProp(btn, 'title', s.userPaused ? 'Everything is paused. Press to play again.' : 'Pause every wallpaper');
    },
  });
})(window.LH);
