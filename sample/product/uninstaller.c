/* Stands in for the product's uninstaller, a program of its own that reads
   the uninstall log; the install script puts it where the uninstall entry
   points ([UnInstLog] ExeFile). Built by sample/assemble. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine,
                   int show)
{
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    MessageBoxA(NULL, "The uninstaller of the sample product removes nothing.",
                "ckuninst", MB_OK | MB_ICONINFORMATION);
    return 0;
}
