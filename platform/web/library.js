// The page's side of the program's calls (page_calls.h). Every error of the
// page comes back to the program as a result, never as an exception.
mergeInto(LibraryManager.library, {
  // UTF-8 up to its NUL. Not UTF8ToString: Emscripten 3.1.6 has it built in,
  // later versions only on request, in a way 3.1.6 does not know.
  $osobyText: function (pointer) {
    return new TextDecoder().decode(HEAPU8.subarray(pointer, HEAPU8.indexOf(0, pointer)));
  },

  osoby_show_box__deps: ['$osobyText'],
  osoby_show_box: function (prompt, title, icon) {
    return Asyncify.handleSleep((wakeUp) => {
      const texts = [prompt, title, icon].map(osobyText);
      // A run that ends while it is rewound (std::_Exit after an escaped
      // exception, reported already) throws ExitStatus out of wakeUp.
      const wake = (result) => {
        try {
          wakeUp(result);
        } catch (thrown) {
          if (!thrown || thrown.name !== 'ExitStatus') {
            throw thrown;
          }
        }
      };
      // Always settled later, never while the wasm stack unwinds.
      Promise.resolve()
        .then(() => osobyPage.show(...texts))
        .then(
          () => wake(0),
          (error) => {
            console.error('osoby: okno se nepodařilo zobrazit:', error);
            wake(-1);
          },
        );
    });
  },

  // Asked anew at each question: the day may change while a box waits.
  osoby_today: function (year, month, day) {
    try {
      const now = new Date();
      if (!Number.isFinite(now.getTime())) {
        return -1;
      }
      HEAP32[year >> 2] = now.getFullYear();
      HEAP32[month >> 2] = now.getMonth() + 1;
      HEAP32[day >> 2] = now.getDate();
      return 0;
    } catch (error) {
      console.error('osoby: dnešní datum se nepodařilo zjistit:', error);
      return -1;
    }
  },

  osoby_log_failure__deps: ['$osobyText'],
  osoby_log_failure: function (line) {
    osobyPage.failed();
    console.error(`osoby: ${osobyText(line)}`);
  },

  osoby_run_ended: function (exitCode) {
    osobyPage.ended(exitCode);
  },
});
