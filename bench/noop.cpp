// A program that does nothing: what starting a process costs under the same loader,
// CRT start-up and exit as every program the benchmark compares.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
