// Files dropped anywhere on the window go to the program with the "drop" command;
// the veil shows where they will land while a drag is over the window.
'use strict';
(function (LH) {
  const veil = LH.$('drop-veil');
  let depth = 0;
  let idle = 0;
  const hide = () => { depth = 0; veil.hidden = true; clearTimeout(idle); };
  const hasFiles = (e) => e.dataTransfer && [...(e.dataTransfer.types || [])].includes('Files');
  window.addEventListener('dragenter', (e) => { if (!hasFiles(e)) return; e.preventDefault(); depth++; veil.hidden = false; });
  window.addEventListener('dragleave', (e) => { if (!hasFiles(e)) return; depth = Math.max(0, depth - 1); if (!depth) hide(); });
  window.addEventListener('dragover', (e) => {
    e.preventDefault();
    // Dropped links or text would make the web view navigate away from the page.
    if (!hasFiles(e)) { if (e.dataTransfer) e.dataTransfer.dropEffect = 'none'; return; }
    e.dataTransfer.dropEffect = 'copy';
    veil.hidden = false;
    // dragover repeats while the pointer is over the window; when it stops, the drag
    // left without a dragleave we could count (it happens on fast exits).
    clearTimeout(idle);
    idle = setTimeout(hide, 600);
  });
  window.addEventListener('dragend', hide);
  window.addEventListener('drop', (e) => {
    e.preventDefault();
    hide();
    const files = e.dataTransfer ? e.dataTransfer.files : null;
    if (!files || !files.length) return;
    if (!LH.bridge.sendDrop(files)) LH.toast('Dropping files isn’t available here. Use Add files instead.');
  });
})(window.LH);
