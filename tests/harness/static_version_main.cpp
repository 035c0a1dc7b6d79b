// setup.exe as it would be with version.dll imported statically: the control case of
// the DLL-planting test, which must see its planted DLL loaded.
#include <windows.h>

#include "setup/entry.h"

extern "C" DWORD WINAPI GetFileVersionInfoSizeA(LPCSTR, LPDWORD);

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    HardenDllLoading();
    DWORD handle = 0;
    volatile DWORD size = GetFileVersionInfoSizeA("kernel32.dll", &handle);
    (void)size;
    return static_cast<int>(RunProgram());
}
