#pragma once

// What the page's script (library.js) does for the program. None of them
// throws: an error of the page comes back as a result.
extern "C" {

// Shows a modal box with the icon named ("" for none, "information",
// "exclamation", "error") and returns once the user has dismissed it: 0, or
// -1 when the page could not show it. The run waits for it, unwound by
// Asyncify, while the page stays responsive.
int osoby_show_box(const char* prompt, const char* title, const char* icon) noexcept;

// Today's day in the browser's time zone: 0, or -1 when its clock gives none.
int osoby_today(int* year, int* month, int* day) noexcept;

// Writes a failure line to the browser's console.
void osoby_log_failure(const char* line) noexcept;

// Tells the page that the run has ended, with the exit code of other
// platforms.
void osoby_run_ended(int exit_code) noexcept;
}
