// Helpers for the Windows tests: scratch folders, scratch registry roots,
// files with given contents, message boxes answered by a hook, and message
// pumping with a time-out.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// A fresh folder under the temporary folder, removed with everything in it
// when the object goes.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir &) = delete;
    ScratchDir &operator=(const ScratchDir &) = delete;

    const std::string &path() const { return path_; }
    // path() joined with a relative name ("a\\b.txt").
    std::string Join(const std::string &relative) const;

private:
    std::string path_;
};

void WriteFileBytes(const std::string &path, const std::string &bytes);
std::string ReadFileBytes(const std::string &path);

// The media's checksum list (MEDIA.SUM) as checkmedia --write-sums writes
// it, over the given files of the media (relative, "\" between names);
// without files, over every file below media\product.
std::string MediaSumList(const std::string &media,
                         std::vector<std::string> files = {});
bool FileExists(const std::string &path);
void RemoveTree(const std::string &path);
void MakeFolders(const std::string &path);
// Every file and folder below folder, at any depth, appended to files and
// folders (the same vector may be given for both). An entry named skip (in
// any letter case; NULL skips none) is left out with all that is in it.
// A linked folder is listed but not entered.
// What the shell reads from a shortcut file: "target|arguments|working
// folder", or "<unreadable>".
std::string ReadShortcut(const std::string &link);
void ListTree(const std::string &folder, std::vector<std::string> *files,
              std::vector<std::string> *folders, const char *skip = nullptr);
// The build folder that holds setup.exe and the other programs: three
// levels above a test program (build\tests\SUITE\SUITE_tests.exe).
std::string BuildFolder();

// Runs a command line and waits for it (at most timeoutMs, then it is
// ended). Returns its exit code, or -1 when it could not be started.
int RunProcess(const std::string &commandLine, DWORD timeoutMs = 60000);

// Runs a command line from folder (empty: this process's folder) and asks
// endWhen (when given) about every millisecond while it runs: once it says
// true the process is ended there, as a power cut would end it. Returns
// the exit code, kEndedFromOutside when it was ended that way, or -1 when
// it could not be started or did not end within the time-out.
const int kEndedFromOutside = -2;
int RunProcessEndedWhen(const std::string &commandLine,
                        const std::string &folder,
                        const std::function<bool()> &endWhen,
                        DWORD timeoutMs = 120000);

// Redirects HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER of this process to
// scratch keys below HKCU\Software\SetupTests, wiped before and after.
class RegistrySandbox {
public:
    RegistrySandbox();
    ~RegistrySandbox();
    RegistrySandbox(const RegistrySandbox &) = delete;
    RegistrySandbox &operator=(const RegistrySandbox &) = delete;

private:
    HKEY machine_ = NULL;
    HKEY user_ = NULL;
};

// Value of a registry string, or "<missing>".
std::string ReadRegString(HKEY root, const char *key, const char *value);
bool ReadRegDword(HKEY root, const char *key, const char *value, DWORD *out);
void WriteRegString(HKEY root, const char *key, const char *value,
                    const std::string &data);

// Records every message box created on this thread while it lives and
// answers it with the next button of the given list (the last one repeats;
// IDOK when the list is empty).
struct SeenMessageBox {
    std::string caption;
    std::string text;
};

class MessageBoxAnswerer {
public:
    explicit MessageBoxAnswerer(std::vector<int> answers = {});
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer &) = delete;
    MessageBoxAnswerer &operator=(const MessageBoxAnswerer &) = delete;

    const std::vector<SeenMessageBox> &seen() const { return seen_; }

private:
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
    void OnActivate(HWND box);

    HHOOK hook_;
    std::vector<int> answers_;
    size_t next_ = 0;
    std::vector<SeenMessageBox> seen_;
    MessageBoxAnswerer *previous_;
};

// Dispatches this thread's messages until done() is true or the time-out
// passes. Returns done()'s last result.
bool PumpUntil(const std::function<bool()> &done, DWORD timeoutMs = 5000);
// Dispatches whatever is queued now (no waiting).
void PumpPending();

// A quit message met while pumping (or still queued) is noted, not lost:
// QuitWasPosted tells whether one came and with which code; ForgetQuit
// clears the note and drops any queued one.
bool QuitWasPosted(int *code = nullptr);
void ForgetQuit();

// Calls onOpen once for every dialog (other than a message box) that is
// activated on this thread while it lives, such as a modal dialog that a
// page opens; onOpen may steer it or end it (EndDialog).
class DialogWatcher {
public:
    explicit DialogWatcher(std::function<void(HWND dialog)> onOpen);
    ~DialogWatcher();
    DialogWatcher(const DialogWatcher &) = delete;
    DialogWatcher &operator=(const DialogWatcher &) = delete;

    int opened() const { return opened_; }

private:
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
    void OnActivate(HWND dialog);

    HHOOK hook_;
    std::function<void(HWND)> onOpen_;
    int opened_ = 0;
    DialogWatcher *previous_;
};
