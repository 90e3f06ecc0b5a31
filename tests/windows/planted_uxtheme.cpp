// Planted beside osoby.exe as uxtheme.dll, which the message box loads: if
// it is ever loaded, it leaves a file in the current folder, and fails to
// load, so the program goes on as if it were missing.
#include "platform/windows/win32.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    ::CloseHandle(::CreateFileW(L"planted-dll-loaded", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    return FALSE;
}
