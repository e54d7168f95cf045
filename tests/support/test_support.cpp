#include "tests/support/test_support.h"

#include "core/media/media_sums.h"
#include "core/setup_limits.h"
#include "tests/support/window_search.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <stdio.h>

static const char kSandboxRoot[] = "Software\\SetupTests";

ScratchDir::ScratchDir()
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    static int counter;
    char name[MAX_PATH];
    snprintf(name, sizeof(name), "%ssetuptest_%lu_%d", temp,
             (unsigned long)GetCurrentProcessId(), ++counter);
    path_ = name;
    RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), NULL);
}

ScratchDir::~ScratchDir()
{
    RemoveTree(path_);
}

std::string ScratchDir::Join(const std::string &relative) const
{
    return path_ + "\\" + relative;
}

void WriteFileBytes(const std::string &path, const std::string &bytes)
{
    FILE *file = fopen(path.c_str(), "wb");
    if (file == NULL)
        return;
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

static void ListFilesBelow(const std::string &media,
                           const std::string &relative,
                           std::vector<std::string> *files)
{
    WIN32_FIND_DATAA found;
    HANDLE search =
        FindFirstFileA((media + "\\" + relative + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ListFilesBelow(media, relative + "\\" + name, files);
        else
            files->push_back(relative + "\\" + name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

std::string MediaSumList(const std::string &media,
                         std::vector<std::string> files)
{
    if (files.empty())
        ListFilesBelow(media, "product", &files);
    std::string entries;
    int index = 0;
    for (const std::string &file : files) {
        std::string bytes = ReadFileBytes(media + "\\" + file);
        Sha256 hash;
        StartSha256(&hash);
        FeedSha256(&hash, bytes.data(), bytes.size());
        unsigned char digest[SHA256_DIGEST_SIZE];
        FinishSha256(&hash, digest);
        char line[MEDIA_SUM_LINE_SIZE + 2];
        FormatMediaSum(line, sizeof(line), index++, bytes.size(), digest,
                       file.c_str());
        entries += line;
    }
    return "[MediaSums]\r\nVersion=1\r\nCount=" + std::to_string(index) +
           "\r\n" + entries;
}

std::string ReadFileBytes(const std::string &path)
{
    std::string bytes;
    FILE *file = fopen(path.c_str(), "rb");
    if (file == NULL)
        return "<missing>";
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof(chunk), file)) > 0)
        bytes.append(chunk, got);
    fclose(file);
    return bytes;
}

bool FileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveTree(const std::string &path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string child = path + "\\" + name;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

void MakeFolders(const std::string &path)
{
    for (size_t i = 3; i < path.size(); i++) {
        if (path[i] == '\\')
            CreateDirectoryA(path.substr(0, i).c_str(), NULL);
    }
    CreateDirectoryA(path.c_str(), NULL);
}

RegistrySandbox::RegistrySandbox()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, kSandboxRoot);
    std::string machine = std::string(kSandboxRoot) + "\\Machine";
    std::string user = std::string(kSandboxRoot) + "\\User";
    RegCreateKeyA(HKEY_CURRENT_USER, machine.c_str(), &machine_);
    RegCreateKeyA(HKEY_CURRENT_USER, user.c_str(), &user_);
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_);
    RegOverridePredefKey(HKEY_CURRENT_USER, user_);
}

RegistrySandbox::~RegistrySandbox()
{
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, NULL);
    RegOverridePredefKey(HKEY_CURRENT_USER, NULL);
    RegCloseKey(machine_);
    RegCloseKey(user_);
    RegDeleteTreeA(HKEY_CURRENT_USER, kSandboxRoot);
}

std::string ReadRegString(HKEY root, const char *key, const char *value)
{
    char data[4096];
    DWORD size = sizeof(data) - 1;
    DWORD type = 0;
    HKEY opened;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return "<missing>";
    LONG result = RegQueryValueExA(opened, value, NULL, &type, (BYTE *)data,
                                   &size);
    RegCloseKey(opened);
    if (result != ERROR_SUCCESS)
        return "<missing>";
    data[size] = '\0';
    return data;
}

bool ReadRegDword(HKEY root, const char *key, const char *value, DWORD *out)
{
    HKEY opened;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    DWORD size = sizeof(*out);
    DWORD type = 0;
    LONG result = RegQueryValueExA(opened, value, NULL, &type, (BYTE *)out,
                                   &size);
    RegCloseKey(opened);
    return result == ERROR_SUCCESS && type == REG_DWORD;
}

void WriteRegString(HKEY root, const char *key, const char *value,
                    const std::string &data)
{
    HKEY opened;
    if (RegCreateKeyA(root, key, &opened) != ERROR_SUCCESS)
        return;
    RegSetValueExA(opened, value, 0, REG_SZ, (const BYTE *)data.c_str(),
                   (DWORD)data.size() + 1);
    RegCloseKey(opened);
}

static MessageBoxAnswerer *g_activeAnswerer;

MessageBoxAnswerer::MessageBoxAnswerer(std::vector<int> answers)
    : answers_(std::move(answers)), previous_(g_activeAnswerer)
{
    g_activeAnswerer = this;
    hook_ = SetWindowsHookExA(WH_CBT, CbtProc, NULL, GetCurrentThreadId());
}

MessageBoxAnswerer::~MessageBoxAnswerer()
{
    UnhookWindowsHookEx(hook_);
    g_activeAnswerer = previous_;
}

LRESULT CALLBACK MessageBoxAnswerer::CbtProc(int code, WPARAM wParam,
                                             LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && g_activeAnswerer != NULL)
        g_activeAnswerer->OnActivate((HWND)wParam);
    return CallNextHookEx(NULL, code, wParam, lParam);
}

void MessageBoxAnswerer::OnActivate(HWND box)
{
    char className[32];
    GetClassNameA(box, className, sizeof(className));
    // A message box is a dialog whose text is the static with id 0xFFFF.
    HWND textControl = GetDlgItem(box, 0xFFFF);
    if (lstrcmpA(className, "#32770") != 0 || textControl == NULL)
        return;
    char caption[512];
    char text[2048];
    GetWindowTextA(box, caption, sizeof(caption));
    GetWindowTextA(textControl, text, sizeof(text));
    // Activation can be reported more than once for the same box.
    if (GetPropA(box, "SetupTestSeen") != NULL)
        return;
    SetPropA(box, "SetupTestSeen", (HANDLE)1);
    seen_.push_back({caption, text});
    int answer = IDOK;
    if (!answers_.empty())
        answer = answers_[next_ < answers_.size() ? next_ : answers_.size() - 1];
    next_++;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                 (LPARAM)GetDlgItem(box, answer));
}

static bool g_quitSeen;
static int g_quitCode;

static void DispatchOne(MSG *message)
{
    if (message->message == WM_QUIT) {
        g_quitSeen = true;
        g_quitCode = (int)message->wParam;
        return;
    }
    TranslateMessage(message);
    DispatchMessageA(message);
}

bool QuitWasPosted(int *code)
{
    MSG message;
    if (PeekMessageA(&message, NULL, WM_QUIT, WM_QUIT, PM_REMOVE))
        DispatchOne(&message);
    if (g_quitSeen && code != NULL)
        *code = g_quitCode;
    return g_quitSeen;
}

void ForgetQuit()
{
    MSG message;
    while (PeekMessageA(&message, NULL, WM_QUIT, WM_QUIT, PM_REMOVE))
        ;
    g_quitSeen = false;
    g_quitCode = 0;
}

bool PumpUntil(const std::function<bool()> &done, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ScaledTimeout(timeoutMs))
            return done();
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
            DispatchOne(&message);
        MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

void PumpPending()
{
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
        DispatchOne(&message);
}

static DialogWatcher *g_activeWatcher;

DialogWatcher::DialogWatcher(std::function<void(HWND dialog)> onOpen)
    : onOpen_(std::move(onOpen)), previous_(g_activeWatcher)
{
    g_activeWatcher = this;
    hook_ = SetWindowsHookExA(WH_CBT, CbtProc, NULL, GetCurrentThreadId());
}

DialogWatcher::~DialogWatcher()
{
    UnhookWindowsHookEx(hook_);
    g_activeWatcher = previous_;
}

LRESULT CALLBACK DialogWatcher::CbtProc(int code, WPARAM wParam,
                                        LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && g_activeWatcher != NULL)
        g_activeWatcher->OnActivate((HWND)wParam);
    return CallNextHookEx(NULL, code, wParam, lParam);
}

void DialogWatcher::OnActivate(HWND dialog)
{
    char className[32];
    GetClassNameA(dialog, className, sizeof(className));
    if (lstrcmpA(className, "#32770") != 0 || GetDlgItem(dialog, 0xFFFF) != NULL)
        return;
    if (GetPropA(dialog, "SetupTestWatched") != NULL)
        return;
    SetPropA(dialog, "SetupTestWatched", (HANDLE)1);
    opened_++;
    onOpen_(dialog);
}

void ListTree(const std::string &folder, std::vector<std::string> *files,
              std::vector<std::string> *folders, const char *skip)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == ".." ||
            (skip != nullptr && lstrcmpiA(name.c_str(), skip) == 0))
            continue;
        std::string path = folder + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            folders->push_back(path);
            // Wine links the user's Desktop, Documents and the like to the
            // Unix home folder: walked, they add a million foreign paths.
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                ListTree(path, files, folders, skip);
        } else {
            files->push_back(path);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

std::string BuildFolder()
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, sizeof(path));
    std::string folder = path;
    for (int up = 0; up < 3; up++)
        folder = folder.substr(0, folder.rfind('\\'));
    return folder;
}

int RunProcess(const std::string &commandLine, DWORD timeoutMs)
{
    std::string line = commandLine;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, NULL,
                        &startup, &process))
        return -1;
    DWORD code = (DWORD)-1;
    if (WaitForSingleObject(process.hProcess, ScaledTimeout(timeoutMs)) ==
        WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 99);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return (int)code;
}

int RunProcessEndedWhen(const std::string &commandLine,
                        const std::string &folder,
                        const std::function<bool()> &endWhen,
                        DWORD timeoutMs)
{
    std::string line = commandLine;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, 0, NULL,
                        folder.empty() ? NULL : folder.c_str(), &startup,
                        &process))
        return -1;
    int result = -1;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ScaledTimeout(timeoutMs)) {
        if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(process.hProcess, &code);
            result = (int)code;
            break;
        }
        if (endWhen && endWhen()) {
            result = kEndedFromOutside;
            break;
        }
    }
    if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, 10000);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

std::string ReadShortcut(const std::string &link)
{
    CoInitialize(NULL);
    IShellLinkA *shellLink = NULL;
    IPersistFile *file = NULL;
    std::string fields = "<unreadable>";
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL,
                                   CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   (void **)&shellLink)) &&
        SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile,
                                            (void **)&file)) &&
        SUCCEEDED(file->Load(wide, STGM_READ))) {
        char path[MAX_PATH] = "", arguments[MAX_PATH] = "",
             folder[MAX_PATH] = "";
        shellLink->GetPath(path, sizeof(path), NULL, 0);
        shellLink->GetArguments(arguments, sizeof(arguments));
        shellLink->GetWorkingDirectory(folder, sizeof(folder));
        fields = std::string(path) + "|" + arguments + "|" + folder;
    }
    if (file != NULL)
        file->Release();
    if (shellLink != NULL)
        shellLink->Release();
    CoUninitialize();
    return fields;
}
