#include "platform/web/dialog_box.h"

#include <new>
#include <string>

#include "platform/visible_text.h"
#include "platform/web/page_calls.h"

namespace platform::web {
namespace {

const char* IconOf(BoxStyle style) noexcept
{
    switch (style) {
    case BoxStyle::Plain:
        break;
    case BoxStyle::Warning:
        return "exclamation";
    case BoxStyle::Information:
        return "information";
    }
    return "";
}

}  // namespace

Status ShowPageBox(const char* prompt, const char* title, const char* icon) noexcept
{
    return osoby_show_box(prompt, title, icon) == 0 ? kOk : kDialogFailed;
}

Status DialogMsgBox::Show(std::string_view prompt, BoxStyle style, std::string_view title) noexcept
{
    try {
        // Visible text holds no NUL: it shows one as "^@".
        const std::string shown_prompt = VisibleText(prompt, true);
        const std::string shown_title = VisibleText(title, false);
        return ShowPageBox(shown_prompt.c_str(), shown_title.c_str(), IconOf(style));
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
}

}  // namespace platform::web
