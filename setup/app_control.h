// Control of the installed application: whether it runs, the request to quit, and its
// start after installing.
#pragma once

#include <string>

inline constexpr const char kApplicationMemoryName[] = "tarnwick_memfile";
inline constexpr const char kApplicationWindowClass[] = "TTarnwickMainForm";

// True while the application holds its shared-memory object.
bool IsApplicationRunning();

// Posts WM_QUIT to the application's main window and waits a bounded time (about
// 10 s) for the application to end; a window that appears during the wait is asked
// too. Gives false when the application still runs.
bool RequestApplicationQuit();

// Starts install folder + short name + ".exe" with the verb "open".
void StartApplication(const std::string& installFolder, const std::string& shortName);

// Starts the application, waits for it to announce itself and then for its main
// window, and brings that window to the front.
void StartApplicationAndBringForward(const std::string& installFolder, const std::string& shortName);
