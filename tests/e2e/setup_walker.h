// Drives setup.exe, started as a process of its own, through its windows:
// the language dialog, the wizard frame and its pages, the folder browser
// and the message boxes. Every wait has a time-out.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class SetupProcess {
public:
    SetupProcess() = default;
    ~SetupProcess();
    SetupProcess(const SetupProcess &) = delete;
    SetupProcess &operator=(const SetupProcess &) = delete;

    // Starts folder\setup.exe with the arguments, from that folder.
    bool Start(const std::string &folder, const std::string &arguments = "");
    // The exit code, or -1 when it has not ended within the time-out (it
    // is then ended).
    int WaitForExit(DWORD timeoutMs = 20000);

    DWORD id() const { return process_.dwProcessId; }

private:
    PROCESS_INFORMATION process_ = {};
};

// A visible top-level window of the process that satisfies match, waited for.
HWND WaitForWindow(const SetupProcess &setup,
                   const std::function<bool(HWND)> &match,
                   DWORD timeoutMs = 15000);
HWND WaitForLanguageDialog(const SetupProcess &setup);
HWND WaitForWizardFrame(const SetupProcess &setup);
HWND WaitForFolderBrowser(const SetupProcess &setup);
// A message box of the process; its caption and text are noted.
HWND WaitForMessageBox(const SetupProcess &setup, std::string *caption,
                       std::string *text, DWORD timeoutMs = 15000);
void Answer(HWND box, int button);

// The wizard page being shown: 0 welcome, 2 destination, 3 group,
// 4 finish; -1 when none is recognised within the time-out.
int WaitForPage(HWND frame, int page, DWORD timeoutMs = 30000);
HWND CurrentPage(HWND frame);
void PressButton(HWND dialog, int id);

std::string TextOf(HWND window);
void SetText(HWND window, const std::string &text);

// Called with a name before each step of the road, so a screenshot can
// be taken; may be empty.
typedef std::function<void(const char *name)> StepHook;

struct RoadChoices {
    std::string language;         // the name picked in the list; empty: its preselection
    std::string destination;      // typed into the folder browser
    std::string group;            // typed after picking from the list
    bool pickFromList = true;
    // Chooses the button for a box met while the files are copied (the
    // failed-copy box has no OK); empty: IDOK.
    std::function<int(HWND box, const std::string &caption,
                      const std::string &text)> answerBox;
};

// The whole road from the language dialog to FINISH. Returns "" on
// success, otherwise what went wrong; message boxes met on the way are
// answered (choices.answerBox, or OK) and noted in boxes. A frame that
// closes before the finish page ends the walk at once.
std::string WalkWholeRoad(SetupProcess &setup, const RoadChoices &choices,
                          const StepHook &step,
                          std::vector<std::string> *boxes);

// Writes SHOTS\request holding name and waits (at most 30 s) until it is
// gone, so a screenshot can be taken from outside.
void WaitForScreenshot(const std::string &shots, const char *name);
