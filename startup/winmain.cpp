// Entry point of setup.exe. Placeholder until the background window lands.
#include <windows.h>

#include "common/setup_state.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    g_instance = instance;
    return 0;
}
