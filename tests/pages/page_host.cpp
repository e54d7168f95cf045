#include "tests/pages/page_host.h"

#include "core/text/dbcs.h"
#include "core/text/path_join.h"
#include "common/setup_state.h"
#include "wizard/wizard_messages.h"

static const char kHostClass[] = "PageTestHost";
static int g_endCount;

static LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam,
                                 LPARAM lParam)
{
    if (message == WM_WIZARD_END) {
        g_endCount++;
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static void RegisterHostClass()
{
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof(windowClass));
    windowClass.lpfnWndProc = HostProc;
    windowClass.hInstance = g_instance;
    windowClass.lpszClassName = kHostClass;
    RegisterClassA(&windowClass);  // fails harmlessly the second time
}

PageHost::PageHost()
{
    RegisterHostClass();
    g_endCount = 0;
    frame_ = CreateWindowA(kHostClass, "frame", WS_OVERLAPPEDWINDOW, 0, 0,
                           600, 400, NULL, NULL, g_instance, NULL);
    background_ = CreateWindowA(kHostClass, "background", WS_OVERLAPPEDWINDOW,
                                0, 0, 100, 100, NULL, NULL, g_instance, NULL);
    g_wizardFrame = frame_;
    g_backgroundWindow = background_;
    CreateDirectoryA(media_.Join("jpn").c_str(), NULL);
    CopyText(g_programDirectory, sizeof(g_programDirectory),
             media_.path().c_str());
    CopyText(g_languageCode, sizeof(g_languageCode), "jpn");
    CopyText(g_catalogPath, sizeof(g_catalogPath),
             LanguageFile("message.ini").c_str());
    CopyText(g_licensePath, sizeof(g_licensePath),
             LanguageFile("license.txt").c_str());
    CopyText(g_scriptPath, sizeof(g_scriptPath),
             LanguageFile("copy_ns.ini").c_str());
    g_currentPage = PAGE_WELCOME;
    ForgetQuit();
}

PageHost::~PageHost()
{
    DestroyWindow(frame_);  // and the pages with it
    DestroyWindow(background_);
    g_wizardFrame = NULL;
    g_backgroundWindow = NULL;
    g_programDirectory[0] = '\0';
    g_catalogPath[0] = '\0';
    g_licensePath[0] = '\0';
    g_scriptPath[0] = '\0';
    PumpPending();
    ForgetQuit();
}

HWND PageHost::CreatePage(int dialogId, DLGPROC procedure)
{
    return CreateDialogParamA(g_instance, MAKEINTRESOURCEA(dialogId), frame_,
                              procedure, 0);
}

int PageHost::endCount() const
{
    return g_endCount;
}

std::string PageHost::LanguageFile(const char *name) const
{
    return media_.Join(std::string("jpn\\") + name);
}

void PageHost::WriteCatalog(const std::string &body) const
{
    WriteFileBytes(LanguageFile("message.ini"), body);
}

void PageHost::WriteScript(const std::string &body) const
{
    WriteFileBytes(LanguageFile("copy_ns.ini"), body);
}

bool IsTopmost(HWND window)
{
    return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

std::string WindowText(HWND window)
{
    char text[4096];
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

std::string ItemText(HWND dialog, int controlId)
{
    return WindowText(GetDlgItem(dialog, controlId));
}
