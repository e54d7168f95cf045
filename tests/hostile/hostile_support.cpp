#include "tests/hostile/hostile_support.h"

#include <stdio.h>
#include <string.h>

#include "resources/resource.h"
#include "tests/support/test_support.h"

static const char kUninstallRoot[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
static const char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

Ini &Ini::Set(const std::string &section, const std::string &key,
              const std::string &value)
{
    for (Section &s : sections_) {
        if (s.name != section)
            continue;
        for (auto &entry : s.entries) {
            if (entry.first == key) {
                entry.second = value;
                return *this;
            }
        }
        s.entries.push_back({key, value});
        return *this;
    }
    sections_.push_back({section, {{key, value}}});
    return *this;
}

Ini &Ini::SetAll(const std::string &value)
{
    for (Section &s : sections_)
        for (auto &entry : s.entries)
            entry.second = value;
    return *this;
}

std::string Ini::Text() const
{
    std::string text;
    for (const Section &s : sections_) {
        text += "[" + s.name + "]\r\n";
        for (const auto &entry : s.entries)
            text += entry.first + "=" + entry.second + "\r\n";
    }
    return text;
}

std::string LongText(size_t length)
{
    std::string text;
    char word[24];
    for (int n = 0; text.size() < length; n++) {
        snprintf(word, sizeof(word), "hostile%04d ", n);
        text += word;
    }
    text.resize(length);
    return text;
}

std::string LongVersion(size_t length)
{
    std::string text;
    while (text.size() < length)
        text += "12.";
    text.resize(length);
    return text;
}

std::string Garbage(size_t length, unsigned seed, bool noLineEnds)
{
    std::string bytes;
    unsigned state = seed * 2654435761u + 1;
    while (bytes.size() < length) {
        state = state * 1103515245u + 12345u;
        char byte = (char)(state >> 16);
        if (noLineEnds && (byte == '\0' || byte == '\r' || byte == '\n'))
            continue;
        bytes += byte;
    }
    return bytes;
}

static void PutUint32(std::string *bytes, size_t at, unsigned value)
{
    for (int i = 0; i < 4; i++)
        (*bytes)[at + i] = (char)((value >> (8 * i)) & 0xFF);
}

static void PutUint16(std::string *bytes, size_t at, unsigned value)
{
    (*bytes)[at] = (char)(value & 0xFF);
    (*bytes)[at + 1] = (char)((value >> 8) & 0xFF);
}

std::string Bitmap8(int width, int height)
{
    int stride = (width + 3) & ~3;
    size_t pixels = (size_t)stride * height;
    std::string bytes(14 + 40 + 256 * 4 + pixels, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    PutUint32(&bytes, 2, (unsigned)bytes.size());
    PutUint32(&bytes, 10, 14 + 40 + 256 * 4);
    PutUint32(&bytes, 14, 40);
    PutUint32(&bytes, 18, (unsigned)width);
    PutUint32(&bytes, 22, (unsigned)height);
    PutUint16(&bytes, 26, 1);
    PutUint16(&bytes, 28, 8);
    for (int i = 0; i < 256; i++)
        PutUint32(&bytes, 54 + 4 * i, (unsigned)(i * 0x010101));
    for (size_t i = 0; i < pixels; i++)
        bytes[54 + 1024 + i] = (char)(i % 251);
    return bytes;
}

Ini BaseCatalog()
{
    Ini ini;
    ini.Set("FONT", "Standard", "0,13,NORMAL,ANSI,DEFAULT,SWISS,FALSE,FALSE,Tahoma")
        .Set("FONT", "BackGround", "0,32,BOLD,ANSI,DEFAULT,SWISS,TRUE,FALSE,DIALOG,Tahoma")
        .Set("FONT", "Company", "0,14,BOLD,ANSI,DEFAULT,SWISS,FALSE,FALSE,DIALOG,Tahoma");
    for (const char *key : {"TOVRIN", "COMPANY", "WELCOME", "LICENSE", "DIRECTRY"})
        ini.Set("TITLE", key, std::string("Title ") + key);
    for (const char *key : {"REFERENCE", "OK", "NEXT", "PREV", "CANCEL", "YES",
                            "NO", "FINISH"})
        ini.Set("BUTTON", key, key);
    for (const char *key : {"ADMINWEL_01", "ADMINWEL_02", "ADMINWEL_03",
                            "LICENSE_01", "LICENSE_02", "INST_01", "ADINST_02",
                            "ADMINCOMP_01", "ADMINCOMP_02", "USERINFO_01",
                            "USERINFO_02", "USERINFO_03", "USERINFO_04",
                            "COPYING", "FOLDER_01"})
        ini.Set("static", key, std::string("Text ") + key);
    for (const char *key : {"INSTALL", "GROUP", "EXISTING", "PATH", "FOLDER"})
        ini.Set("LABEL", key, key);
    ini.Set("MessageBox", "OTHERBRAND_EXIST", "other brand")
        .Set("MessageBox", "NEWEST_EXIST", "already installed")
        .Set("MessageBox", "CLOSEMON_F", "close the utility")
        .Set("MessageBox", "TITLE_ERROR", "Error")
        .Set("MessageBox", "QUIT_SETUP", "Quit?")
        .Set("MessageBox", "TITLE_MESSAGE", "Question")
        .Set("MessageBox", "INPUT_ERROR", "bad folder")
        .Set("WINDOW", "WINNAME_F", "HostileTestUtility");
    return ini;
}

Ini BaseLanguageList()
{
    Ini ini;
    ini.Set("Language", "Lang00", "English;eng")
        .Set("Language", "Lang01", "Other;oth")
        .Set("Language", "Default", "English");
    return ini;
}

Ini BaseScript(const std::string &logPath, const std::string &keyName)
{
    Ini ini;
    ini.Set("Application", "Version", "1.2.0")
        .Set("Directry", "DstDirectry", "Hostile\\Default")
        .Set("Execute", "InstExecFile", "agent.exe")
        .Set("Files_DLL", "Version", "2.0.0")
        .Set("Files_DLL", "AppName", "HostileAgent")
        .Set("Files_DLL", "file000", "shared.dll;\\product\\app;\\Shared")
        .Set("Files_Common", "file000", "common.txt;\\product\\app;\\Common")
        .Set("Files_File", "file000", "agent.exe;\\product\\app")
        .Set("Files_File", "file001", "readme.txt;\\product\\app")
        .Set("ShortCut_File", "group", "Hostile Proposed")
        .Set("ShortCut_File", "Icon000", "Hostile Agent;agent.exe")
        .Set("UnInstLog", "UnInstLog", logPath)
        .Set("UnInstLog", "RegistKey", keyName)
        .Set("UnInstLog", "DispName", "Hostile FileAgent")
        .Set("UnInstLog", "ExeFile", "@WINDOWSDIR\\hostuninst.exe")
        .Set("UnInstLog", "DispIcon", "agent.exe");
    return ini;
}

void WriteProgramAndProduct(const std::string &media)
{
    MakeFolders(media + "\\product\\app");
    CopyFileA((BuildFolder() + "\\setup.exe").c_str(),
              (media + "\\setup.exe").c_str(), FALSE);
    CopyFileA((BuildFolder() + "\\ACLPROBE.DLL").c_str(),
              (media + "\\ACLPROBE.DLL").c_str(), FALSE);
    for (const char *name : {"shared.dll", "common.txt", "readme.txt"})
        WriteFileBytes(media + "\\product\\app\\" + name, name);
    // A shortcut must point at a file that exists: a real program.
    CopyFileA((BuildFolder() + "\\setup.exe").c_str(),
              (media + "\\product\\app\\agent.exe").c_str(), FALSE);
}

// ---- The walk ----

namespace {

class Walk {
public:
    Walk(SetupProcess &setup, RoadResult &result)
        : setup_(setup), result_(result)
    {
        process_ = OpenProcess(SYNCHRONIZE, FALSE, setup.id());
    }
    ~Walk()
    {
        if (process_ != NULL)
            CloseHandle(process_);
    }

    bool Ended() const
    {
        return process_ == NULL ||
               WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
    }

    // Answers a box that is up now with OK and notes it.
    void AnswerStrayBox()
    {
        std::string caption, text;
        HWND box = WaitForMessageBox(setup_, &caption, &text, 10);
        if (box == NULL)
            return;
        result_.boxes.push_back(caption + ": " + text);
        Answer(box, IDOK);
        Sleep(200);
    }

    // The language dialog or the frame, answering boxes on the way.
    HWND WaitForFrame(const RoadPlan &plan)
    {
        DWORD start = GetTickCount();
        while (GetTickCount() - start < 60000 && !Ended()) {
            HWND window = WaitForWindow(setup_, [](HWND w) {
                char name[32];
                GetClassNameA(w, name, sizeof(name));
                return strcmp(name, "#32770") == 0;
            }, 200);
            if (window == NULL)
                continue;
            if (GetDlgItem(window, IDC_PICTURE_AREA) != NULL)
                return window;
            if (GetDlgItem(window, IDC_LANGUAGE_LIST) != NULL)
                ChooseLanguage(window, plan);
            else
                AnswerStrayBox();
        }
        return NULL;
    }

    void ChooseLanguage(HWND dialog, const RoadPlan &plan)
    {
        result_.sawLanguageDialog = true;
        HWND list = GetDlgItem(dialog, IDC_LANGUAGE_LIST);
        LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count && i < 100; i++) {
            LRESULT length = SendMessageA(list, LB_GETTEXTLEN, i, 0);
            std::string item;
            if (length >= 0 && length < 4000) {
                char text[4096] = "";
                SendMessageA(list, LB_GETTEXT, i, (LPARAM)text);
                item = text;
            }
            result_.languageEntries.push_back(item);
            if (!plan.languageName.empty() && item == plan.languageName)
                SendMessageA(list, LB_SETCURSEL, i, 0);
        }
        PressButton(dialog, IDOK);
        Sleep(300);
    }

    bool WaitForPageOrEnd(HWND frame, int page)
    {
        DWORD start = GetTickCount();
        while (GetTickCount() - start < 90000 && !Ended()) {
            if (WaitForPage(frame, page, 200) == page)
                return true;
            AnswerStrayBox();
        }
        return false;
    }

    // CANCEL on the welcome page, the box answered NO.
    void AskQuit(HWND frame)
    {
        PressButton(frame, IDC_WIZARD_CANCEL);
        std::string caption, text;
        HWND box = WaitForMessageBox(setup_, &caption, &text);
        if (box == NULL) {
            result_.problem = "CANCEL brought up no box";
            return;
        }
        result_.quitText = text;
        Answer(box, IDNO);
        Sleep(300);
    }

    bool WaitGone(HWND window)
    {
        DWORD start = GetTickCount();
        while (IsWindow(window) && IsWindowVisible(window) &&
               GetTickCount() - start < 10000)
            Sleep(50);
        return !(IsWindow(window) && IsWindowVisible(window));
    }

    void TypeFolder(HWND browser, const std::string &folder)
    {
        SetText(GetDlgItem(browser, IDC_BROWSER_FOLDER), folder);
        PressButton(browser, IDOK);
    }

    void ChooseDestination(HWND page, const RoadPlan &plan)
    {
        PressButton(page, IDC_DEST_BROWSE);
        HWND browser = WaitForFolderBrowser(setup_);
        if (browser == NULL) {
            result_.problem = "the folder browser did not open";
            return;
        }
        if (plan.tryBadFolderFirst) {
            TypeFolder(browser, "relative\\folder");
            std::string caption, text;
            HWND box = WaitForMessageBox(setup_, &caption, &text);
            if (box != NULL) {
                result_.inputErrorText = text;
                Answer(box, IDOK);
                Sleep(300);
            }
        }
        TypeFolder(browser, plan.destination);
        if (!WaitGone(browser)) {
            AnswerStrayBox();
            PressButton(browser, IDCANCEL);
            result_.problem = "the folder browser refused " + plan.destination;
            WaitGone(browser);
        }
    }

    void Run(const RoadPlan &plan);

private:
    SetupProcess &setup_;
    RoadResult &result_;
    HANDLE process_ = NULL;
};

void Walk::Run(const RoadPlan &plan)
{
    HWND frame = WaitForFrame(plan);
    if (frame == NULL)
        return;   // ended before the wizard: a refusal, or a hang
    if (!WaitForPageOrEnd(frame, 0))
        return;
    result_.frameCaption = TextOf(frame);
    result_.welcomeHeading =
        TextOf(GetDlgItem(CurrentPage(frame), IDC_WELCOME_HEADING));
    if (plan.askQuitOnWelcome)
        AskQuit(frame);
    PressButton(frame, IDC_WIZARD_NEXT);
    if (!WaitForPageOrEnd(frame, 2))
        return;
    if (!plan.destination.empty())
        ChooseDestination(CurrentPage(frame), plan);
    PressButton(frame, IDC_WIZARD_NEXT);
    if (!WaitForPageOrEnd(frame, 3))
        return;
    HWND name = GetDlgItem(CurrentPage(frame), IDC_GROUP_NAME);
    result_.proposedGroup = TextOf(name);
    if (!plan.group.empty())
        SetText(name, plan.group);
    PressButton(frame, IDC_WIZARD_NEXT);
    if (!WaitForPageOrEnd(frame, 4))
        return;
    Sleep(1200);  // the finish page holds the frame for a second
    PressButton(frame, IDC_WIZARD_NEXT);
    result_.finished = true;
}

}  // namespace

RoadResult WalkRoad(const std::string &media, const RoadPlan &plan)
{
    RoadResult result;
    SetupProcess setup;
    if (!setup.Start(media, plan.arguments)) {
        result.problem = "setup.exe did not start";
        return result;
    }
    Walk walk(setup, result);
    walk.Run(plan);
    DWORD start = GetTickCount();
    while (!walk.Ended() && GetTickCount() - start < 20000) {
        walk.AnswerStrayBox();
        Sleep(100);
    }
    result.exitCode = setup.WaitForExit(1000);
    return result;
}

int RunEngine(const std::string &scratch, const std::string &arguments,
              std::vector<std::string> *boxes, DWORD timeoutMs,
              const std::function<bool()> &endWhen)
{
    // SetupProcess starts folder\setup.exe: the engine is copied under
    // that name into a folder of its own (it takes its media from
    // --media, not from where it lies).
    std::string folder = scratch + "\\engine";
    MakeFolders(folder);
    CopyFileA((BuildFolder() + "\\bench_engine.exe").c_str(),
              (folder + "\\setup.exe").c_str(), FALSE);
    SetupProcess engine;
    if (!engine.Start(folder, arguments))
        return -3;
    RoadResult result;
    Walk walk(engine, result);
    DWORD start = GetTickCount();
    while (!walk.Ended() && GetTickCount() - start < timeoutMs) {
        if (endWhen && endWhen())
            return engine.WaitForExit(0);   // ends it where it is
        walk.AnswerStrayBox();
        Sleep(50);
    }
    if (boxes != NULL)
        *boxes = result.boxes;
    return engine.WaitForExit(1000);
}

void CleanInstallRegistry(const std::vector<std::string> &uninstallKeys)
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Veltrane");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Vorstmark");
    for (const std::string &key : uninstallKeys)
        if (!key.empty())
            RegDeleteTreeA(HKEY_LOCAL_MACHINE,
                           (std::string(kUninstallRoot) + "\\" + key).c_str());
}

std::string ProgramsFolder()
{
    return ReadRegString(HKEY_LOCAL_MACHINE, kShellFolders, "Common Programs");
}

std::string StartupFolder()
{
    return ReadRegString(HKEY_LOCAL_MACHINE, kShellFolders, "Common Startup");
}

void RemoveGroupFolder(const std::string &group)
{
    if (group.empty())
        return;
    RemoveTree(ReadRegString(HKEY_CURRENT_USER, kShellFolders, "Programs") +
               "\\" + group);
    RemoveTree(ProgramsFolder() + "\\" + group);
}

std::vector<std::string> UninstallKeysStartingWith(const std::string &prefix)
{
    std::vector<std::string> names;
    HKEY root;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallRoot, 0, KEY_READ, &root) !=
        ERROR_SUCCESS)
        return names;
    char name[1024];
    for (DWORD i = 0;; i++) {
        DWORD length = sizeof(name);
        if (RegEnumKeyExA(root, i, name, &length, NULL, NULL, NULL, NULL) !=
            ERROR_SUCCESS)
            break;
        if (prefix.empty() ||
            _strnicmp(name, prefix.c_str(), prefix.size()) == 0)
            names.push_back(name);
    }
    RegCloseKey(root);
    return names;
}

std::vector<std::string> SectionValues(const std::string &iniPath,
                                       const std::string &section,
                                       const std::string &keyPrefix)
{
    std::vector<char> buffer(1 << 20);
    GetPrivateProfileSectionA(section.c_str(), buffer.data(),
                              (DWORD)buffer.size(), iniPath.c_str());
    std::vector<std::string> values;
    for (const char *line = buffer.data(); *line != '\0';
         line += strlen(line) + 1) {
        const char *equals = strchr(line, '=');
        if (_strnicmp(line, keyPrefix.c_str(), keyPrefix.size()) == 0)
            values.push_back(equals != NULL ? equals + 1 : "");
    }
    return values;
}

std::vector<std::string> UnexpectedBoxes(const std::vector<std::string> &boxes)
{
    std::vector<std::string> left;
    for (const std::string &box : boxes)
        if (box.find("DEBUG information: ") != 0 &&
            box.find("Failed in icon registration") == std::string::npos)
            left.push_back(box);
    return left;
}

bool CopyFailureReported(const std::vector<std::string> &boxes)
{
    for (const std::string &box : boxes)
        if (box.find("could not be copied") != std::string::npos)
            return true;
    return false;
}

void DisableCrashDialog()
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\WineDbg", 0, NULL,
                        0, KEY_WRITE, NULL, &key, NULL) == ERROR_SUCCESS) {
        DWORD zero = 0;
        RegSetValueExA(key, "ShowCrashDialog", 0, REG_DWORD,
                       (const BYTE *)&zero, sizeof(zero));
        RegCloseKey(key);
    }
}
