#include "tests/e2e/setup_walker.h"

#include <stdio.h>
#include <string.h>

#include "resources/resource.h"
#include "tests/support/window_search.h"

SetupProcess::~SetupProcess()
{
    if (process_.hProcess != NULL) {
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(process_.hProcess, 1);
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
    }
}

bool SetupProcess::Start(const std::string &folder,
                         const std::string &arguments)
{
    std::string command = "\"" + folder + "\\setup.exe\"";
    if (!arguments.empty())
        command += " " + arguments;
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    return CreateProcessA(NULL, line.data(), NULL, NULL, FALSE, 0, NULL,
                          folder.c_str(), &startup, &process_) != 0;
}

int SetupProcess::WaitForExit(DWORD timeoutMs)
{
    if (WaitForSingleObject(process_.hProcess, ScaledTimeout(timeoutMs)) !=
        WAIT_OBJECT_0) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, 5000);
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return (int)code;
}

HWND WaitForWindow(const SetupProcess &setup,
                   const std::function<bool(HWND)> &match, DWORD timeoutMs)
{
    return WaitForProcessWindow(setup.id(), match, timeoutMs);
}

HWND WaitForLanguageDialog(const SetupProcess &setup)
{
    return WaitForWindow(setup, [](HWND window) {
        return IsDialogWindow(window) &&
               GetDlgItem(window, IDC_LANGUAGE_LIST) != NULL;
    });
}

HWND WaitForWizardFrame(const SetupProcess &setup)
{
    return WaitForWindow(setup, [](HWND window) {
        return IsDialogWindow(window) &&
               GetDlgItem(window, IDC_PICTURE_AREA) != NULL;
    });
}

HWND WaitForFolderBrowser(const SetupProcess &setup)
{
    return WaitForWindow(setup, [](HWND window) {
        return IsDialogWindow(window) &&
               GetDlgItem(window, IDC_BROWSER_TREE) != NULL;
    });
}

HWND WaitForMessageBox(const SetupProcess &setup, std::string *caption,
                       std::string *text, DWORD timeoutMs)
{
    HWND box = WaitForWindow(
        setup,
        [](HWND window) {
            // The frame has a static of id -1 too (its separator line).
            return IsDialogWindow(window) &&
                   GetDlgItem(window, 0xFFFF) != NULL &&
                   GetDlgItem(window, IDC_PICTURE_AREA) == NULL &&
                   GetDlgItem(window, IDC_LANGUAGE_LIST) == NULL &&
                   GetDlgItem(window, IDC_BROWSER_TREE) == NULL;
        },
        timeoutMs);
    if (box != NULL) {
        if (caption != NULL)
            *caption = TextOf(box);
        if (text != NULL)
            *text = TextOf(GetDlgItem(box, 0xFFFF));
    }
    return box;
}

void Answer(HWND box, int button)
{
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 (LPARAM)GetDlgItem(box, button));
}

void PressButton(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 (LPARAM)GetDlgItem(dialog, id));
}

std::string TextOf(HWND window)
{
    char text[4096] = "";
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), (LPARAM)text,
                        SMTO_ABORTIFHUNG, 5000, NULL);
    return text;
}

void SetText(HWND window, const std::string &text)
{
    SendMessageTimeoutA(window, WM_SETTEXT, 0, (LPARAM)text.c_str(),
                        SMTO_ABORTIFHUNG, 5000, NULL);
}

struct PageSearch {
    HWND found;
};

static BOOL CALLBACK MatchPage(HWND window, LPARAM lParam)
{
    PageSearch *search = (PageSearch *)lParam;
    if (GetParent(window) != NULL && IsDialogWindow(window) &&
        IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND CurrentPage(HWND frame)
{
    PageSearch search = {NULL};
    EnumChildWindows(frame, MatchPage, (LPARAM)&search);
    return search.found;
}

static int PageIndex(HWND page)
{
    if (page == NULL)
        return -1;
    if (GetDlgItem(page, IDC_WELCOME_HEADING) != NULL)
        return 0;
    if (GetDlgItem(page, IDC_DEST_FOLDER) != NULL)
        return 2;
    if (GetDlgItem(page, IDC_GROUP_NAME) != NULL)
        return 3;
    if (GetDlgItem(page, IDC_FINISH_UPPER) != NULL)
        return 4;
    return -1;
}

int WaitForPage(HWND frame, int page, DWORD timeoutMs)
{
    timeoutMs = ScaledTimeout(timeoutMs);
    DWORD start = GetTickCount();
    int shown = -1;
    do {
        shown = PageIndex(CurrentPage(frame));
        if (shown == page)
            return shown;
        Sleep(50);
    } while (GetTickCount() - start < timeoutMs);
    return shown;
}

static void Step(const StepHook &step, const char *name)
{
    Sleep(300);  // let the window paint before a screenshot
    if (step)
        step(name);
}

static std::string ChooseDestination(SetupProcess &setup, HWND page,
                                     const RoadChoices &choices,
                                     const StepHook &step)
{
    PressButton(page, IDC_DEST_BROWSE);
    HWND browser = WaitForFolderBrowser(setup);
    if (browser == NULL)
        return "the folder browser did not open";
    Step(step, "03-folder-browser");
    SetText(GetDlgItem(browser, IDC_BROWSER_FOLDER), choices.destination);
    PressButton(browser, IDOK);
    DWORD start = GetTickCount();
    while (IsWindow(browser) && IsWindowVisible(browser) &&
           GetTickCount() - start < ScaledTimeout(10000))
        Sleep(50);
    if (IsWindow(browser) && IsWindowVisible(browser))
        return "the folder browser refused " + choices.destination;
    std::string shown = TextOf(GetDlgItem(page, IDC_DEST_FOLDER));
    if (shown != choices.destination)
        return "the destination page shows " + shown;
    return "";
}

static std::string ChooseGroup(HWND page, const RoadChoices &choices)
{
    HWND list = GetDlgItem(page, IDC_GROUP_LIST);
    HWND name = GetDlgItem(page, IDC_GROUP_NAME);
    if (choices.pickFromList &&
        SendMessageA(list, LB_GETCOUNT, 0, 0) > 0) {
        SendMessageA(list, LB_SETCURSEL, 0, 0);
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_GROUP_LIST, LBN_SELCHANGE),
                     (LPARAM)list);
        if (TextOf(name).empty())
            return "picking a group left the name box empty";
    }
    SetText(name, choices.group);
    return "";
}

static bool HasEnded(const SetupProcess &setup)
{
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, setup.id());
    if (process == NULL)
        return true;
    bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

// Answers the message boxes that come up while waiting for a page.
static int WaitForPageAnsweringBoxes(SetupProcess &setup, HWND frame, int page,
                                     const RoadChoices &choices,
                                     std::vector<std::string> *boxes)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ScaledTimeout(60000)) {
        // An aborted run closes the frame, shows its last box and ends.
        bool ended = !IsWindow(frame) && HasEnded(setup);
        if (WaitForPage(frame, page, 200) == page)
            return page;
        std::string caption, text;
        HWND box = WaitForMessageBox(setup, &caption, &text, 10);
        if (box != NULL) {
            if (boxes != NULL)
                boxes->push_back(caption + ": " + text);
            Answer(box, choices.answerBox ? choices.answerBox(box, caption, text)
                                          : IDOK);
            Sleep(200);
        } else if (ended) {
            return -1;
        }
    }
    return -1;
}

static std::string ChooseLanguage(HWND dialog, const std::string &name)
{
    HWND list = GetDlgItem(dialog, IDC_LANGUAGE_LIST);
    LRESULT row = SendMessageA(list, LB_FINDSTRINGEXACT, (WPARAM)-1,
                               (LPARAM)name.c_str());
    if (row == LB_ERR)
        return "the language list has no " + name;
    SendMessageA(list, LB_SETCURSEL, (WPARAM)row, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_LANGUAGE_LIST, LBN_SELCHANGE),
                 (LPARAM)list);
    return "";
}

std::string WalkWholeRoad(SetupProcess &setup, const RoadChoices &choices,
                          const StepHook &step,
                          std::vector<std::string> *boxes)
{
    HWND language = WaitForLanguageDialog(setup);
    if (language == NULL)
        return "no language dialog";
    if (!choices.language.empty()) {
        std::string problem = ChooseLanguage(language, choices.language);
        if (!problem.empty())
            return problem;
    }
    Step(step, "00-language");
    PressButton(language, IDOK);

    HWND frame = WaitForWizardFrame(setup);
    if (frame == NULL)
        return "no wizard frame";
    if (WaitForPage(frame, 0) != 0)
        return "the welcome page is not shown";
    Step(step, "01-welcome");
    PressButton(frame, IDC_WIZARD_NEXT);

    if (WaitForPage(frame, 2) != 2)
        return "NEXT did not lead to the destination page";
    HWND page = CurrentPage(frame);
    Step(step, "02-destination");
    std::string problem = ChooseDestination(setup, page, choices, step);
    if (!problem.empty())
        return problem;
    Step(step, "04-destination-changed");
    PressButton(frame, IDC_WIZARD_NEXT);

    if (WaitForPage(frame, 3) != 3)
        return "NEXT did not lead to the program group page";
    page = CurrentPage(frame);
    problem = ChooseGroup(page, choices);
    if (!problem.empty())
        return problem;
    Step(step, "05-program-group");
    PressButton(frame, IDC_WIZARD_NEXT);

    if (WaitForPageAnsweringBoxes(setup, frame, 4, choices, boxes) != 4)
        return "the installation did not reach the finish page";
    Sleep(1200);  // the finish page holds the frame for a second
    Step(step, "06-finish");
    PressButton(frame, IDC_WIZARD_NEXT);
    return "";
}

void WaitForScreenshot(const std::string &shots, const char *name)
{
    std::string request = shots + "\\request";
    FILE *file = fopen(request.c_str(), "wb");
    if (file == NULL)
        return;
    fputs(name, file);
    fclose(file);
    DWORD start = GetTickCount();
    while (GetFileAttributesA(request.c_str()) != INVALID_FILE_ATTRIBUTES &&
           GetTickCount() - start < 30000)
        Sleep(100);
}
