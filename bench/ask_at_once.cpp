// Asks one yes/no question as soon as it starts: the least a program can take from
// its start to its first message box, with the same flags as the setup's questions.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    ::MessageBoxA(nullptr, "Would you like to setup\r\nTarnwick update?", "Sound question",
                  MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL | MB_TOPMOST);
    return 0;
}
