#include <windows.h>

#include "setup/entry.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    HardenDllLoading();
    return static_cast<int>(RunProgram());
}
