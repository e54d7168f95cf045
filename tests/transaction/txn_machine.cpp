#include "tests/transaction/txn_machine.h"

#include <stdio.h>
#include <string.h>

#include <functional>
#include <memory>

#include "tests/support/test_support.h"
#include "tests/support/window_search.h"

const char kTxnLog[] = "C:\\windows\\CKFileAgent.log";
const char kTxnDestination[] = "C:\\Program Files\\TxnTest\\FileAgent";
const char kTxnGroup[] = "Txn Kit";
const int kTxnDataFiles = 292;

// The new library's sizes: the sweep's media, and the large one.
static const size_t kSmallLibrary = 64 * 1024;
static const size_t kLargeLibrary = 32 << 20;

static const char kTxnRoot[] = "C:\\Program Files\\TxnTest";
static const char kUninstaller[] = "C:\\windows\\ckuninst.exe";
static const char kUninstallKey[] = "CaptureKitFileAgent";
static const char kNetLibKey[] = "Software\\Vorstmark\\NETLNK32";
static const char kNetLibApplications[] =
    "Software\\Vorstmark\\NETLNK32\\Application";
static const char kFileAgentKey[] = "Software\\Veltrane\\CaptureKit\\FileAgent";
static const char kUninstallRoot[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
static const char kUserShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
static const char *const kShortcuts[] = {"Txn Common Notes", "Txn Agent",
                                         "Txn Read Me"};

// The pending renames as the prefix had them before the first case.
static std::string g_pendingAtStart;
static std::unique_ptr<MachineSnapshot> g_before;

std::string TxnMachine::LibraryPath()
{
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof(system));
    return std::string(system) + "\\NETLNK32.DLL";
}

std::string TxnMachine::OldLibrary()
{
    std::string bytes;
    while (bytes.size() < 8192)
        bytes += "NETLNK32 1.0.0, the older library already installed\r\n";
    return bytes;
}

// Distinct blocks of pseudo-random bytes, built fast enough for tens of
// megabytes: one random block, each copy stamped with its number.
static std::string NewLibraryBytes(size_t size)
{
    static const std::string block = Garbage(65536, 20);
    std::string bytes = "NETLNK32 2.1.0";
    bytes.reserve(size);
    char stamp[16];
    for (unsigned n = 0; bytes.size() < size; n++) {
        snprintf(stamp, sizeof(stamp), "%08u", n);
        bytes += stamp;
        bytes += block;
    }
    bytes.resize(size);
    return bytes;
}

std::string TxnMachine::NewLibrary(size_t size)
{
    return NewLibraryBytes(size);
}

// A cut-off copy is a prefix of the new bytes: only the whole sizes count.
static bool IsWholeNewLibrary(const std::string &bytes)
{
    return (bytes.size() == kSmallLibrary || bytes.size() == kLargeLibrary) &&
           bytes == NewLibraryBytes(bytes.size());
}

std::string TxnMachine::Describe(const std::string &bytes)
{
    if (bytes == OldLibrary())
        return "the old library";
    if (IsWholeNewLibrary(bytes))
        return "the whole new library";
    return std::to_string(bytes.size()) + " bytes of neither";
}

static Ini TxnCatalog()
{
    return BaseCatalog()
        .Set("MessageBox", "COPY_FAILED", "This file could not be copied:")
        .Set("MessageBox", "SETUP_CANCELLED",
             "Setup was cancelled. Nothing was changed.")
        .Set("MessageBox", "EARLIER_UNDONE",
             "An installation that did not finish was undone.");
}

static Ini TxnScript(const std::string &logPath = kTxnLog,
                     int dataFiles = kTxnDataFiles)
{
    Ini script;
    script.Set("Application", "Version", "1.2.0")
        .Set("Directry", "DstDirectry", "TxnTest\\Default")
        .Set("Files_DLL", "Version", "2.1.0")
        .Set("Files_DLL", "AppName", "CaptureAgent")
        .Set("Files_DLL", "file000", "NETLNK32.DLL;\\product\\shared;@SYSTEMDIR")
        .Set("Files_Common", "file000", "CKCOMMON.DLL;\\product\\common;\\Common")
        .Set("Files_Common", "file001", "common.txt;\\product\\common;\\Common")
        .Set("Files_File", "file000", "FileAgent.exe;\\product\\app")
        .Set("Files_File", "file001", "readme.txt;\\product\\app")
        .Set("Files_File", "file002", "ckuninst.exe;\\product\\tools;@WINDOWSDIR");
    char key[16], entry[64];
    for (int i = 0; i < dataFiles; i++) {
        snprintf(key, sizeof(key), "file%03d", i + 3);
        snprintf(entry, sizeof(entry), "f%03d.txt;\\product\\data;\\data", i);
        script.Set("Files_File", key, entry);
    }
    script.Set("ShortCut_Common", "Icon000", "Txn Common Notes;Common\\common.txt")
        .Set("ShortCut_File", "group", kTxnGroup)
        .Set("ShortCut_File", "Icon000", "Txn Agent;FileAgent.exe")
        .Set("ShortCut_File", "Icon001", "Txn Read Me;readme.txt")
        .Set("StartUp_File", "Icon000", "Txn Monitor;FileAgent.exe")
        .Set("UnInstLog", "UnInstLog", logPath)
        .Set("UnInstLog", "RegistKey", kUninstallKey)
        .Set("UnInstLog", "DispName", "Veltrane CaptureKit FileAgent")
        .Set("UnInstLog", "ExeFile",
             std::string("@WINDOWSDIR\\ckuninst.exe ") + logPath)
        .Set("UnInstLog", "DispIcon", "FileAgent.exe");
    return script;
}

static void WriteMedia(const std::string &media, size_t librarySize)
{
    for (const char *folder : {"eng", "product\\shared", "product\\common",
                               "product\\app", "product\\tools",
                               "product\\data"})
        MakeFolders(media + "\\" + folder);
    for (const char *program : {"setup.exe", "ACLPROBE.DLL"})
        CopyFileA((BuildFolder() + "\\" + program).c_str(),
                  (media + "\\" + program).c_str(), FALSE);
    // Shortcuts must point at files that exist: a real program.
    CopyFileA((BuildFolder() + "\\setup.exe").c_str(),
              (media + "\\product\\app\\FileAgent.exe").c_str(), FALSE);
    CopyFileA((BuildFolder() + "\\uninstall.exe").c_str(),
              (media + "\\product\\tools\\ckuninst.exe").c_str(), FALSE);
    WriteFileBytes(media + "\\product\\shared\\NETLNK32.DLL",
                   NewLibraryBytes(librarySize));
    WriteFileBytes(media + "\\product\\common\\CKCOMMON.DLL", Garbage(4096, 3));
    WriteFileBytes(media + "\\product\\common\\common.txt", "common.txt");
    WriteFileBytes(media + "\\product\\app\\readme.txt", "readme.txt");
    char name[32];
    for (int i = 0; i < kTxnDataFiles; i++) {
        snprintf(name, sizeof(name), "\\product\\data\\f%03d.txt", i);
        WriteFileBytes(media + name, Garbage(512 + i * 7, (unsigned)i));
    }
    WriteFileBytes(media + "\\language.ini",
                   "[Language]\r\nLang00=English;eng\r\nDefault=English\r\n");
    WriteFileBytes(media + "\\eng\\message.ini", TxnCatalog().Text());
    WriteFileBytes(media + "\\eng\\copy_ns.ini", TxnScript().Text());
}

void TxnMachine::RewriteScript(const TxnMedia &media,
                               const std::string &logPath, int dataFiles)
{
    char name[32];
    for (int i = kTxnDataFiles; i < dataFiles; i++) {
        snprintf(name, sizeof(name), "\\product\\data\\f%03d.txt", i);
        if (!FileExists(media.folder + name))
            WriteFileBytes(media.folder + name, Garbage(64, (unsigned)i));
    }
    WriteFileBytes(media.folder + "\\eng\\copy_ns.ini",
                   TxnScript(logPath, dataFiles).Text());
}

// Written once; the folder lives as long as the program.
static const TxnMedia &MediaOf(std::unique_ptr<ScratchDir> *folder,
                               TxnMedia *media, size_t librarySize)
{
    if (*folder == nullptr) {
        folder->reset(new ScratchDir);
        media->folder = (*folder)->Join("media");
        media->librarySize = librarySize;
        WriteMedia(media->folder, librarySize);
    }
    return *media;
}

const TxnMedia &TxnMachine::SmallMedia()
{
    static std::unique_ptr<ScratchDir> folder;
    static TxnMedia media;
    return MediaOf(&folder, &media, kSmallLibrary);
}

const TxnMedia &TxnMachine::LargeMedia()
{
    static std::unique_ptr<ScratchDir> folder;
    static TxnMedia media;
    return MediaOf(&folder, &media, kLargeLibrary);
}

static void RemoveShortcutFolders()
{
    RemoveGroupFolder(kTxnGroup);
    for (const std::string &startup :
         {StartupFolder(),
          ReadRegString(HKEY_CURRENT_USER, kUserShellFolders, "Startup")})
        DeleteFileA((startup + "\\Txn Monitor.lnk").c_str());
}

void TxnMachine::ResetMachine()
{
    static bool pendingNoted = false;
    if (!pendingNoted) {
        g_pendingAtStart = PendingRenames();
        pendingNoted = true;
    }
    RemoveTree(kTxnRoot);
    // The log's journal and side files too: a case cut off (a time-out,
    // a crash) must not leave them to the next.
    std::string log = kTxnLog;
    for (const std::string &file :
         {log, log + ".jnl", log + ".jnl.tmp", log + ".rbk",
          std::string(kUninstaller)}) {
        SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(file.c_str());
    }
    CleanInstallRegistry({kUninstallKey});
    RemoveShortcutFolders();
    // The older library, as another product installed it.
    WriteRegString(HKEY_LOCAL_MACHINE, kNetLibKey, "Version", "1.0.0");
    HKEY applications;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, kNetLibApplications, &applications) ==
        ERROR_SUCCESS) {
        DWORD one = 1;
        RegSetValueExA(applications, "OtherProduct", 0, REG_DWORD,
                       (const BYTE *)&one, sizeof(one));
        RegCloseKey(applications);
    }
    SetFileAttributesA(LibraryPath().c_str(), FILE_ATTRIBUTE_NORMAL);
    WriteFileBytes(LibraryPath(), OldLibrary());
    RestorePendingRenames(g_pendingAtStart);
}

void TxnMachine::SetUp()
{
    DisableCrashDialog();
    report_ = scratch_.Join("report.txt");
    ResetMachine();
    Before();
}

void TxnMachine::TearDown()
{
    ResetMachine();
}

MachineSnapshot TxnMachine::Now()
{
    ScratchDir exports;
    return TakeMachineSnapshot(exports.path(), {LibraryPath()});
}

const MachineSnapshot &TxnMachine::Before()
{
    if (g_before == nullptr)
        g_before.reset(new MachineSnapshot(Now()));
    return *g_before;
}

MachineSnapshot TxnMachine::BeforeWithUpgradedLibrary()
{
    MachineSnapshot upgraded = Before();
    upgraded.watched[LibraryPath()] = NewLibrary(SmallMedia().librarySize);
    std::set<std::string> keys;
    for (std::string section : upgraded.machineKeys) {
        size_t version = section.find("\"Version\"=\"1.0.0\"");
        if (section.find("\\Vorstmark\\NETLNK32]") != std::string::npos &&
            version != std::string::npos)
            section.replace(version, 17, "\"Version\"=\"2.1.0\"");
        keys.insert(section);
    }
    upgraded.machineKeys = keys;
    return upgraded;
}

void TxnMachine::CloseRunWindows()
{
    static const DWORD kWaitMs = 10000;
    CloseFolderWindows(kWaitMs);
}

// The answer file of a run reporting to report, named after the report
// so that two runs side by side keep theirs.
static std::string WriteAnswers(const TxnMedia &media,
                                const std::string &report,
                                const std::string &onError)
{
    Ini answers;
    answers.Set("Setup", "Language", "eng")
        .Set("Setup", "Destination", kTxnDestination)
        .Set("Setup", "Group", kTxnGroup)
        .Set("Setup", "Report", report);
    if (!onError.empty())
        answers.Set("Setup", "OnError", onError);
    std::string name =
        "answers" + std::to_string(std::hash<std::string>()(report) % 1000) +
        ".ini";
    WriteFileBytes(media.folder + "\\" + name, answers.Text());
    DeleteFileA(report.c_str());
    return name;
}

std::string TxnMachine::SetupCommandLine(const TxnMedia &media,
                                         const std::string &report,
                                         const std::string &onError)
{
    return "\"" + media.folder + "\\setup.exe\" -s -a" +
           WriteAnswers(media, report, onError);
}

int TxnMachine::RunSetup(const TxnMedia &media, const std::string &onError,
                         const std::function<bool()> &endWhen)
{
    int code = RunProcessEndedWhen(SetupCommandLine(media, report_, onError),
                                   media.folder, endWhen);
    CloseRunWindows();
    return code;
}

int TxnMachine::RunUninstall(const std::function<bool()> &endWhen,
                             const std::string &log)
{
    int code = RunProcessEndedWhen("\"" + BuildFolder() +
                                       "\\uninstall.exe\" -s " + log,
                                   "", endWhen);
    CloseRunWindows();
    return code;
}

std::string TxnMachine::LogState()
{
    // The journal beside the log holds the state while a run is open or
    // its commit is unfinished; without one a log is complete.
    for (const char *journal : {".jnl", ".jnl.tmp"}) {
        std::string file = std::string(kTxnLog) + journal;
        if (!FileExists(file))
            continue;
        char state[64];
        GetPrivateProfileStringA("Transaction", "State", "<no state>", state,
                                 sizeof(state), file.c_str());
        return state;
    }
    return FileExists(kTxnLog) ? "complete" : "<no log>";
}

static int CountFiles(const std::string &folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int count = 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            count++;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
}

int TxnMachine::DataFilesInstalled()
{
    return CountFiles(std::string(kTxnDestination) + "\\data");
}

bool TxnMachine::ShortcutMade(const std::string &title)
{
    // Wine's Program Manager makes every group in the user's folder.
    for (const std::string &programs :
         {ProgramsFolder(),
          ReadRegString(HKEY_CURRENT_USER, kUserShellFolders, "Programs")})
        if (FileExists(programs + "\\" + kTxnGroup + "\\" + title + ".lnk"))
            return true;
    return false;
}

bool TxnMachine::UninstallEntryMade()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                      (std::string(kUninstallRoot) + kUninstallKey).c_str(), 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

static std::string LibraryState()
{
    std::string bytes = ReadFileBytes(TxnMachine::LibraryPath());
    if (bytes == "<missing>")
        return "library missing";
    if (bytes == TxnMachine::OldLibrary())
        return "library old";
    if (IsWholeNewLibrary(bytes))
        return "library new";
    return "library of " + std::to_string(bytes.size()) + " other bytes";
}

std::string TxnMachine::DescribeState()
{
    int shortcuts = 0;
    for (const char *title : kShortcuts)
        shortcuts += ShortcutMade(title) ? 1 : 0;
    std::string version = ReadRegString(HKEY_LOCAL_MACHINE, kNetLibKey, "Version");
    return "log " + LogState() + ", " + std::to_string(DataFilesInstalled()) +
           "/" + std::to_string(kTxnDataFiles) + " files, " + LibraryState() +
           " (" + version + "), " + std::to_string(shortcuts) + " shortcuts" +
           (UninstallEntryMade() ? ", uninstall entry" : "");
}

std::vector<std::string> TxnMachine::Report() const
{
    std::string text = ReadFileBytes(report_);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos;
         start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

std::string TxnMachine::LastLine() const
{
    std::vector<std::string> lines = Report();
    return lines.empty() ? "<no report>" : lines.back();
}

static std::string Lower(std::string text)
{
    for (char &c : text)
        c = (char)tolower((unsigned char)c);
    return text;
}

bool TxnMachine::Reported(const std::string &text) const
{
    for (const std::string &line : Report())
        if (Lower(line).find(Lower(text)) != std::string::npos)
            return true;
    return false;
}

std::string TxnMachine::SourcePath(const TxnMedia &media, const char *name)
{
    return media.folder + "\\product\\app\\" + name;
}
