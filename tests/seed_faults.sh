#!/usr/bin/env bash
# Seeds realistic single faults into the code (a condition flipped, a call
# dropped, an off-by-one, a bound moved), one at a time, and runs the test
# preset's build and tests on each. Prints each fault as caught or survived,
# and the share caught. Slow (half a minute a fault): not for CI.
#   tests/seed_faults.sh [FILES]        only the faults in files matching the
#                                       extended regular expression FILES
# Builds in build-faults/.
# Edits the working tree and puts every file back, also when interrupted.
set -uo pipefail
cd "$(dirname "$0")/.."
build=build-faults
only=${1:-.}

# file @@ the text as it stands @@ the faulty text; the first occurrence is
# changed, and \n stands for a line break.
faults=$(cat <<'LIST'
person/osoba.cpp @@ if (today <= vData) { @@ if (today < vData) {
person/osoba.cpp @@     m_DatumNarozeni = vData; @@ 
person/osoba.cpp @@ if (m_DatumNarozeni != 0.0) { @@ if (m_DatumNarozeni > 0.0) {
person/osoba.cpp @@ this_year - birth_year @@ birth_year - this_year
person/osoba.cpp @@ {m_Jmeno, " ", m_Prijmeni} @@ {m_Prijmeni, " ", m_Jmeno}
person/osoba.cpp @@ return platform::Assign(m_Prijmeni, vData); @@ return platform::Assign(m_Jmeno, vData);
person/osoba.cpp @@     const Hold hold(this);\n    // Not filled in @@     // Not filled in
person/osoba.cpp @@ if (!platform::IsDate(vData)) { @@ if (false) {
person/osoba.cpp @@ platform::BoxStyle::Warning, @@ platform::BoxStyle::Information,
person/osoba.cpp @@     vysledek.clear();\n    return platform::Join @@     return platform::Join
person/osoba.cpp @@ platform::NumberToDate(0) @@ platform::NumberToDate(1)
startup/mmain.cpp @@ if (!(age_a > age_b)) { @@ if (!(age_a >= age_b)) {
startup/mmain.cpp @@ relation = age_a < age_b ? @@ relation = age_a > age_b ?
startup/mmain.cpp @@ comparison.\n        Check(a.person->Vek(age_a), a.label, "Vek"); @@ comparison.
startup/mmain.cpp @@ "20.11.1999" @@ "20.11.1998"
startup/mmain.cpp @@ Check(B->ZobrazVse(), "B", "ZobrazVse"); @@ Check(A->ZobrazVse(), "B", "ZobrazVse");
startup/mmain.cpp @@ Check(platform::CreateObject(B), "B", @@ Check(platform::CreateObject(B), "A",
startup/mmain.cpp @@     Ref<TOsoba> B;\n    Ref<TOsoba> A; @@     Ref<TOsoba> A;\n    Ref<TOsoba> B;
startup/mmain.cpp @@     if (status.Failed()) { @@     if (status.Code() > 0) {
platform/date.cpp @@ return count >= fewest; @@ return count >= fewest - 1;
platform/date.cpp @@ return date > kBeforeFirst && @@ return date >= kBeforeFirst &&
platform/date.cpp @@ if (!day.ok() || day.year() < kFirstYear) { @@ if (!day.ok()) {
platform/date.cpp @@ for (int digit = 1000; @@ for (int digit = 100;
platform/date.cpp @@ std::trunc(date) @@ std::floor(date)
platform/text.cpp @@ out = std::move(joined); @@ out += joined;
platform/runtime.cpp @@ today = DateFromCivil(day); @@ today = DateFromCivil(day) + 0.5;
platform/runtime.cpp @@     g_box = previous_box_; @@ 
platform/runtime.cpp @@ : kNotPrepared; @@ : kOk;
platform/object.h @@ Ref(const Ref& other) noexcept : Ref(other.object_) {} @@ Ref(const Ref& other) noexcept : object_(other.object_) {}
platform/object.h @@         return kOutOfMemory; @@         return kOk;
platform/failure.cpp @@ return "text není datum"; @@ return "nedostatek paměti";
platform/failure.cpp @@ "errno %d" @@ "errno %x"
platform/process_start.cpp @@ return kFailureExitCode; @@ return 0;
platform/visible_text.cpp @@ c < 0x20 || c == 0x7F @@ c < 0x1F || c == 0x7F
cmake/shown_as_code.cmake @@ (Cc|Zl|Zp) @@ (Cc|Zl)
platform/visible_text.cpp @@     pos += read; @@     pos += length;
platform/posix/terminal_box.cpp @@ screen_fd_(::isatty(output_fd) == 1 ? @@ screen_fd_(::isatty(input_fd) == 1 ?
platform/posix/terminal_box.cpp @@ input_ended_ = !posix::WaitForLine(input_fd_); @@ input_ended_ = true;
platform/posix/terminal_box.h @@ kNarrowestBox = 24; @@ kNarrowestBox = 20;
platform/posix/terminal_box.cpp @@ columns < kNarrowestBox @@ columns < 0
platform/posix/terminal_box.cpp @@ if (screen_fd_ < 0 && ::isatty(input_fd) == 1) { @@ if (false) {
platform/posix/terminal_box.cpp @@ input_ended_ = !posix::WaitForLine(input_fd_); @@ posix::WaitForLine(input_fd_);
platform/posix/terminal_box.cpp @@ charset_.IsUtf8() ? FrameLines::Unicode : FrameLines::Ascii @@ FrameLines::Unicode
platform/posix/terminal_charset.cpp @@ if (folded != "utf8" && !folded.empty()) { @@ if (!folded.empty()) {
platform/posix/terminal_text.cpp @@ return width < 0 ? 1 : width; @@ return width < 0 ? 0 : width;
platform/posix/terminal_box.cpp @@ return "(!) "; @@ return "(i) ";
platform/posix/terminal_text.cpp @@ line.used + 1 + word_width <= width @@ line.used + 1 + word_width < width
platform/posix/terminal_text.cpp @@ if (used + glyph.width > width - 1) { @@ if (used + glyph.width > width) {
platform/posix/fd_io.cpp @@             if (errno == EINTR) { @@             if (false) {
platform/posix/fd_io.cpp @@ data.remove_prefix(static_cast<std::size_t>(written)); @@ return kOk;
platform/posix/fd_io.cpp @@ if (got < 0 && errno == EINTR) { @@ if (false) {
platform/posix/local_clock.cpp @@ local.tm_mon + 1 @@ local.tm_mon
platform/posix/local_clock.cpp @@ if (!::localtime_r(&time, &local)) { @@ if (time == -1 || !::localtime_r(&time, &local)) {
platform/posix/failure_report.cpp @@ " selhala: " @@ " selhala "
platform/linux/desktop_session.cpp @@ folder.empty() || folder.front() != '/' @@ folder.empty()
platform/linux/desktop_session.cpp @@ S_ISREG(file.st_mode) && @@ 
platform/linux/desktop_session.cpp @@ kde ? Helper::KDialog : Helper::Zenity @@ Helper::Zenity
platform/linux/desktop_session.cpp @@ return LocalSocketAnswers(path, false) || @@ return true ||
platform/linux/desktop_dialog.cpp @@ "--no-markup", @@ 
platform/linux/desktop_dialog.cpp @@ return exit_code == 0 || @@ return exit_code <= 1 ||
platform/linux/desktop_dialog.cpp @@ helper == Helper::KDialog && exit_code == 2 @@ helper == Helper::Zenity && exit_code == 2
platform/linux/desktop_dialog.cpp @@ out += "&amp;"; @@ out += "&";
platform/linux/desktop_dialog.cpp @@ out += "\\\\"; @@ out += "\\";
platform/linux/desktop_dialog.cpp @@ "ZENITY_ESC=0", @@ 
platform/linux/desktop_dialog.cpp @@ out.emplace_back("LC_CTYPE=C.UTF-8"); @@ 
platform/linux/desktop_dialog.cpp @@ helper.version >= kZenityOnGtk4 @@ helper.version > kZenityOnGtk4
platform/linux/desktop_dialog.cpp @@ const int moved = ::fcntl(file, F_DUPFD_CLOEXEC, STDERR_FILENO + 1); @@ const int moved = ::fcntl(file, F_DUPFD_CLOEXEC, 0);
platform/linux/desktop_dialog.cpp @@             ::kill(child, SIGTERM);\n @@ \n
platform/linux/desktop_dialog.cpp @@ sigaddset(&defaults, SIGPIPE); @@ 
LIST
)

backup=$(mktemp -d)
restore() { [[ -z ${current:-} ]] || cp "$backup/file" "$current"; }
trap 'restore; rm -rf "$backup"' EXIT
trap 'exit 130' INT TERM

cmake --preset test -B "$build" >/dev/null || exit 1
cmake --build "$build" -j2 >/dev/null || { echo "the unchanged code does not build" >&2; exit 1; }
(cd "$build" && ctest -j2 --timeout 120 >/dev/null 2>&1) || { echo "the unchanged code fails its tests" >&2; exit 1; }

caught=0 survived=0 unbuilt=0
while IFS= read -r fault; do
    file=${fault%% @@ *}
    [[ -n $fault ]] && grep -qE -- "$only" <<<"$file" || continue
    rest=${fault#* @@ }
    from=${rest%% @@*}
    to=${rest#*@@}
    to=${to# }
    from=${from//\\n/$'\n'}
    to=${to//\\n/$'\n'}
    text=$(cat "$file"; echo .)
    text=${text%.}
    if [[ $text != *"$from"* ]]; then
        echo "NOT FOUND  $file: $from"
        continue
    fi
    current=$file
    cp "$file" "$backup/file"
    printf '%s' "${text/"$from"/"$to"}" >"$file"
    label="$file: ${from%%$'\n'*} -> ${to%%$'\n'*}"
    if ! cmake --build "$build" -j2 >/dev/null 2>&1; then
        echo "UNBUILT    $label"
        unbuilt=$((unbuilt + 1))
    elif (cd "$build" && ctest -j2 --timeout 120 >/dev/null 2>&1); then
        echo "SURVIVED   $label"
        survived=$((survived + 1))
    else
        echo "caught     $label"
        caught=$((caught + 1))
    fi
    restore
    current=
done <<<"$faults"
cmake --build "$build" -j2 >/dev/null 2>&1
echo "caught $caught of $((caught + survived)) faults ($((100 * caught / (caught + survived)))%); $unbuilt did not build"
