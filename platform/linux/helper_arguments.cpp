#include "platform/linux/helper_arguments.h"

#include <algorithm>
#include <string_view>

#include "platform/posix/terminal_charset.h"
#include "platform/posix/terminal_text.h"
#include "platform/visible_text.h"

namespace platform::desktop {
namespace {

// From 3.90 on, zenity is built on GTK 4: --icon-name is gone (3.9x) or
// names a theme icon, and an empty one shows a broken image (4.x); its text
// wraps at a few words unless the dialog is given a width.
constexpr Version kZenityOnGtk4{3, 90};

// kdialog up to 22.12 (Qt 5) has Qt add " — KDialog" to every title; 25.04
// (Qt 6) clears its display name, so titles stand alone. The releases in
// between were not tried: they, and a version that cannot be read, keep the
// room for the suffix, as a box wider than needed loses nothing.
constexpr Version kKDialogWithoutSuffix{25, 4};

// Text for kdialog's label, given as Qt rich text so that nothing in it is
// taken for markup, with kdialog's own backslash escapes undone and line
// breaks and runs of spaces kept; at least `width` pixels wide.
std::string QtLiteral(std::string_view text, int width)
{
    std::string out = "<qt>";
    bool after_space = true;  // a line's first space would be dropped too
    for (const char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\n':
            out += "<br>";
            break;
        case ' ':
            out += after_space ? "&nbsp;" : " ";
            break;
        default:
            out += c;
        }
        after_space = c == ' ' || c == '\n';
    }
    // An empty row of that width below the text; it adds 2 px of height.
    return out + "<table width=\"" + std::to_string(width) +
           "\" cellpadding=\"0\" cellspacing=\"0\"><tr><td></td></tr></table></qt>";
}

// A title for kdialog, which collapses runs of spaces in titles: every space
// after the first of a run is a no-break space, which looks the same.
std::string KdeTitle(std::string_view title)
{
    std::string out;
    bool after_space = true;
    for (const char c : title) {
        out += c == ' ' && after_space ? "\u00A0" : std::string(1, c);
        after_space = c == ' ';
    }
    return out;
}

// A toolkit's variable that picks its kind of display, and its names for them.
struct ToolkitVariable {
    std::string_view name;
    std::string_view wayland;
    std::string_view x;
    char separator;  // between the kinds of a list, each tried in turn

    // Whether the user's `value` stays: its first kind (as "wayland-egl"
    // is one of Wayland's) is of a display that answers.
    bool Kept(std::string_view value, Displays displays) const
    {
        const std::string_view first = value.substr(0, value.find(separator));
        return (displays.wayland && first.starts_with(wayland)) || (displays.x && first.starts_with(x));
    }
};
constexpr ToolkitVariable kToolkitVariables[] = {{"QT_QPA_PLATFORM", "wayland", "xcb", ';'},
                                                 {"GDK_BACKEND", "wayland", "x11", ','}};

// The toolkit variable that the environment entry `text` sets, if any.
const ToolkitVariable* ToolkitBackend(std::string_view text)
{
    for (const ToolkitVariable& variable : kToolkitVariables) {
        if (text.starts_with(variable.name) && text.substr(variable.name.size()).starts_with('=')) {
            return &variable;
        }
    }
    return nullptr;
}

}  // namespace

std::vector<std::string> DialogArguments(const DialogHelper& helper, std::string_view prompt, BoxStyle style,
                                         std::string_view title)
{
    // Control characters shown visibly and invalid UTF-8 replaced, as in a
    // terminal; line breaks stay.
    const std::string safe_prompt = VisibleText(prompt, true);
    const std::string safe_title = VisibleText(title, false);
    if (helper.kind == Helper::KDialog) {
        // kdialog sizes its box to the text, and the window manager cuts a
        // title wider than that; --geometry places a message box but does
        // not size it (22.12). So the text is made wide enough: 10 px for
        // each column of the title and any suffix (a bound for title fonts
        // of 10 pt, bold ones included) and 100 px for the title bar's icon
        // and buttons, less the 72 px the box has beside its text.
        const std::string shown_title = KdeTitle(safe_title);
        const int suffix = helper.version < kKDialogWithoutSuffix ? 10 : 0;  // " — KDialog"
        const int columns = terminal::DisplayWidth(shown_title) + suffix;
        // kdialog has no box without an icon; a plain box shows the information icon.
        return {"--title=" + shown_title, (style == BoxStyle::Warning ? "--sorry=" : "--msgbox=") +
                                              QtLiteral(safe_prompt, columns * 10 + 100 - 72)};
    }
    std::vector<std::string> arguments{style == BoxStyle::Warning ? "--warning" : "--info", "--no-markup",
                                       "--title=" + safe_title, "--text=" + safe_prompt};
    // A version that cannot be read is taken for the newest.
    const bool on_gtk4 = helper.version == Version{} || helper.version >= kZenityOnGtk4;
    if (on_gtk4) {
        // No icon cannot be asked for there: a plain box shows the information icon.
        arguments.emplace_back("--width=420");
    } else if (style == BoxStyle::Plain) {
        arguments.emplace_back("--icon-name=");  // no icon
    }
    return arguments;
}

std::vector<std::string> HelperEnvironment(const char* const* environment, Displays displays)
{
    // The helper's toolkit takes its locale with setlocale(LC_ALL, ""), which
    // the C library refuses as a whole where any one category names a locale
    // that is not installed (a LANG forwarded by ssh, set in a container
    // image), leaving the C locale: zenity then takes the texts for ASCII and
    // refuses them ("This option is not available"). So where a category's
    // locale is missing, or the characters' is not UTF-8 as every text is,
    // each category is named outright: the caller's where it is installed,
    // C.UTF-8 where not.
    constexpr std::string_view kCategories[] = {"LC_CTYPE",    "LC_NUMERIC",   "LC_TIME",        "LC_COLLATE",
                                                "LC_MONETARY", "LC_MESSAGES",  "LC_PAPER",       "LC_NAME",
                                                "LC_ADDRESS",  "LC_TELEPHONE", "LC_MEASUREMENT", "LC_IDENTIFICATION"};
    std::vector<std::string> named;
    bool as_it_is = true;
    for (const std::string_view variable : kCategories) {
        const std::string_view locale = terminal::CategoryLocale(environment, variable);
        const bool usable = variable == "LC_CTYPE" ? terminal::IsUtf8Charset(terminal::InstalledCharset(locale))
                                                   : terminal::LocaleInstalled(locale);
        as_it_is = as_it_is && usable;
        named.push_back(std::string(variable) + "=" + std::string(!usable ? "C.UTF-8" : locale.empty() ? "C" : locale));
    }

    std::vector<std::string> out;
    for (const char* const* entry = environment; *entry != nullptr; ++entry) {
        const std::string_view text = *entry;
        if (text.starts_with("ZENITY_") || text.starts_with("DIALOG_")) {
            continue;  // exit codes of the caller's choosing
        }
        const ToolkitVariable* backend = ToolkitBackend(text);
        if (backend != nullptr && displays.Any() && !backend->Kept(text.substr(backend->name.size() + 1), displays)) {
            continue;  // names a display that does not answer, or none
        }
        const std::string_view variable = text.substr(0, text.find('='));
        if (!as_it_is && (variable == "LC_ALL" || std::ranges::find(kCategories, variable) != std::end(kCategories))) {
            continue;  // named below; LANG stays, as no category falls back on it any more
        }
        out.emplace_back(text);
    }
    if (!as_it_is) {
        out.insert(out.end(), named.begin(), named.end());
    }
    // Qt takes X where XDG_SESSION_TYPE does not say "wayland" (unset in a
    // service, `sudo`, tmux or SSH), and GTK Wayland where WAYLAND_DISPLAY
    // names one, whether either answers or not.
    for (const ToolkitVariable& variable : kToolkitVariables) {
        if (displays.wayland != displays.x &&
            !variable.Kept(terminal::EnvironmentValue(environment, variable.name), displays)) {
            out.push_back(std::string(variable.name) + "=" +
                          std::string(displays.wayland ? variable.wayland : variable.x));
        }
    }
    for (const char* code : {"ZENITY_OK=0", "ZENITY_CANCEL=0", "ZENITY_ESC=0", "ZENITY_ERROR=255"}) {
        out.emplace_back(code);
    }
    return out;
}

bool Dismissed(Helper helper, int exit_code) noexcept
{
    return exit_code == 0 || (helper == Helper::KDialog && exit_code == 2);
}

}  // namespace platform::desktop
