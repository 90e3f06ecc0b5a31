// The page around the program: its modal box, and what the page says when the
// run ends. Runs before the program's own script.
'use strict';

const osobyPage = (() => {
  const dialog = document.getElementById('okno');
  const ok = document.getElementById('okno-ok');
  let reported = false;

  ok.addEventListener('click', () => dialog.close());
  // A click on the shade behind the box (its target is the dialog itself)
  // leaves the focus on OK.
  dialog.addEventListener('mousedown', (event) => event.target === dialog && event.preventDefault());
  // Enter, Space and Escape dismiss the box wherever the focus is, also after
  // a click on the page behind it. The key's own action (a click of the
  // focused button) is stopped, so that it cannot reach the next box; a held
  // key dismisses one box, not all.
  document.addEventListener(
    'keydown',
    (event) => {
      if (!dialog.open || !['Enter', ' ', 'Escape'].includes(event.key)) {
        return;
      }
      event.preventDefault();
      if (!event.repeat) {
        dialog.close();
      }
    },
    true,
  );

  // Shows one modal box; settles once it is closed, fails when it cannot open.
  const show = (prompt, title, icon) =>
    new Promise((resolve) => {
      document.getElementById('okno-titulek').textContent = title;
      document.getElementById('okno-text').textContent = prompt;
      for (const image of dialog.querySelectorAll('[data-icon]')) {
        image.toggleAttribute('hidden', image.dataset.icon !== icon);
      }
      dialog.setAttribute('role', icon === 'exclamation' || icon === 'error' ? 'alertdialog' : 'dialog');
      dialog.showModal();
      dialog.addEventListener('close', () => resolve(), { once: true });
      ok.focus();
    });

  const ended = (exitCode) => {
    const state = document.getElementById('stav');
    state.textContent =
      exitCode === 0
        ? 'Ukázka skončila: všechna okna proběhla.'
        : `Ukázka skončila chybou (návratový kód ${exitCode}).`;
    document.getElementById('znovu').hidden = false;
  };
  document.getElementById('znovu').addEventListener('click', () => location.reload());

  // A fault the program cannot report itself (the runtime stopped): the
  // internal-error box, unless a failure was reported already.
  const stopped = () => {
    if (reported) {
      return;
    }
    reported = true;
    console.error('osoby: operace Main selhala: vnitřní chyba programu (0xA0000006)');
    show('Operace Main selhala: vnitřní chyba programu (0xA0000006)', 'Osoby', 'error')
      .catch(() => {})
      .then(() => ended(1));
  };

  return { show, ended, stopped, failed: () => (reported = true) };
})();

var Module = { onAbort: () => osobyPage.stopped() };
