/* The sample product's program: it only says what it stands for. Built by
   sample/assemble into the distribution's product folder. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine,
                   int show)
{
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    MessageBoxA(NULL, "Veltrane CaptureKit FileAgent (sample product).",
                "FileAgent", MB_OK | MB_ICONINFORMATION);
    return 0;
}
