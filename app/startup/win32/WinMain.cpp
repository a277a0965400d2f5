// The Windows entry point; everything happens in modMain::Main.
#include <windows.h>

#include "app/startup/modMain.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return modMain::Main(); }
