// The process start on Windows: a GUI program with no window and no console
// of its own; prepares the runtime and runs Main.
#include "platform/windows/win32.h"

#include "platform/local_clock.h"
#include "platform/process_start.h"
#include "platform/runtime.h"
#include "platform/windows/win32_box.h"
#include "startup/mmain.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    platform::windows::Win32MsgBox box;
    platform::LocalClock clock;
    const platform::ScopedRuntime runtime(box, clock);
    return platform::RunMain(MMain::Main);
}
