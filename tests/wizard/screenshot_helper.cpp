// Runs setup.exe for scripts/screenshot inside a Wine virtual desktop:
// starts it, waits until the wizard frame shows, writes the file "ready",
// waits for "shot-done" (the screenshot is taken meanwhile), closes the
// background window and writes setup's exit code into "exit-code".
//
// usage: screenshot_helper FOLDER   (FOLDER holds setup.exe)
#include <windows.h>

#include <stdio.h>
#include <string>

#include "tests/support/window_search.h"

static bool FileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

static void WriteText(const std::string &path, const char *text)
{
    FILE *file = fopen(path.c_str(), "w");
    if (file == NULL)
        return;
    fputs(text, file);
    fclose(file);
}

// Polls every 100 ms; false after timeoutMs.
template <typename Done>
static bool WaitFor(Done done, DWORD timeoutMs)
{
    for (DWORD waited = 0; waited < timeoutMs; waited += 100) {
        if (done())
            return true;
        Sleep(100);
    }
    return done();
}

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    std::string folder = argv[1];
    std::string exe = folder + "\\setup.exe";
    std::string line = "\"" + exe + "\"";
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    if (!CreateProcessA(exe.c_str(), &line[0], NULL, NULL, FALSE, 0, NULL,
                        folder.c_str(), &startup, &process))
        return 3;

    bool shown = WaitForProcessWindow(process.dwProcessId, IsDialogWindow,
                                      30000) != NULL;
    // Time for the background and the page picture to be painted.
    Sleep(1500);
    WriteText(folder + "\\ready", shown ? "frame\n" : "no frame\n");
    WaitFor([&] { return FileExists(folder + "\\shot-done"); }, 60000);

    HWND background = FindWindowA("Tovrin", NULL);
    if (background != NULL)
        PostMessageA(background, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 20000) == WAIT_TIMEOUT)
        TerminateProcess(process.hProcess, 99);
    DWORD code = 99;
    GetExitCodeProcess(process.hProcess, &code);
    char text[32];
    snprintf(text, sizeof(text), "%lu\n", (unsigned long)code);
    WriteText(folder + "\\exit-code", text);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}
