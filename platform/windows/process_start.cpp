// The process start on Windows: a GUI program with no window and no console
// of its own; prepares the runtime and runs Main.
#include "platform/windows/win32.h"

#include "platform/failure.h"
#include "platform/local_clock.h"
#include "platform/process_start.h"
#include "platform/runtime.h"
#include "platform/windows/win32_box.h"
#include "startup/mmain.h"

namespace {

// A program handed out as a zip runs from a Downloads folder, where a DLL
// planted beside it would be loaded in place of the system's own: the
// message box loads uxtheme.dll, for one. From here on, DLLs come from the
// system folder only. Vista, and 7 without update KB2533623, lack the call:
// there, and should it fail, the program runs with the default search.
void LoadDllsFromTheSystemFolderOnly() noexcept
{
    using SetDefaultDllDirectoriesCall = BOOL(WINAPI*)(DWORD);
    if (const FARPROC found = ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")) {
        // Through void (*)(), the type that stands for any function.
        const auto set = reinterpret_cast<SetDefaultDllDirectoriesCall>(reinterpret_cast<void (*)()>(found));
        static_cast<void>(set(LOAD_LIBRARY_SEARCH_SYSTEM32));
    }
}

// Services, and scheduled tasks run whether the user is logged on or not,
// run on a window station nobody sees, where the first message box would
// wait for ever for a click that cannot come. A station that cannot be asked
// is taken for a visible one, as before.
bool BoxesCanBeSeen() noexcept
{
    USEROBJECTFLAGS flags{};
    return !::GetUserObjectInformationW(::GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags, nullptr) ||
           (flags.dwFlags & WSF_VISIBLE) != 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    LoadDllsFromTheSystemFolderOnly();
    // No box can say why the run ends here: the exit code is the report.
    if (!BoxesCanBeSeen()) {
        return platform::kFailureExitCode;
    }
    platform::windows::Win32MsgBox box;
    platform::LocalClock clock;
    const platform::ScopedRuntime runtime(box, clock);
    return platform::RunMain(MMain::Main);
}
