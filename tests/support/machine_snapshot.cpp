#include "tests/support/machine_snapshot.h"

#include <windows.h>

#include "tests/support/test_support.h"

static const char kSessionManager[] =
    "System\\CurrentControlSet\\Control\\Session Manager";
static const char kPendingRenames[] = "PendingFileRenameOperations";

// Wine's own keys, which its shell and network code write on their own
// while the programs run; and the font lists and Wine's own font code
// pages, which the first program that draws text under another locale
// than the last rewrites ("Small Fonts" is jsmalle.fon under Japanese,
// smalle.fon otherwise).
static const char *const kWineNoise[] = {
    "\\NetworkCards\\", "Explorer\\Advanced]", "\\Temporary System Parameters",
    "\\Fonts]", "\\FontSubstitutes]"};

void ListTree(const std::string &folder, std::set<std::string> *paths)
{
    std::vector<std::string> found;
    ListTree(folder, &found, &found, "Temp");
    paths->insert(found.begin(), found.end());
}

// The sections of a "reg export" (UTF-16) file, Wine's own left out.
std::set<std::string> ExportKeys(const char *root, const std::string &file)
{
    DeleteFileA(file.c_str());
    RunProcess("reg.exe export \"" + std::string(root) + "\" \"" + file +
               "\" /y");
    std::string bytes = ReadFileBytes(file);
    DeleteFileA(file.c_str());
    std::string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
        text += bytes[i + 1] == 0 ? bytes[i] : '?';
    std::set<std::string> sections;
    size_t at = 0;
    while ((at = text.find("\r\n[", at)) != std::string::npos) {
        size_t end = text.find("\r\n\r\n", at + 2);
        std::string section = text.substr(
            at + 2, end == std::string::npos ? std::string::npos : end - at - 2);
        at += 2;
        bool noise = false;
        for (const char *key : kWineNoise)
            noise = noise || section.find(key) != std::string::npos;
        if (!noise)
            sections.insert(section);
    }
    return sections;
}

std::string PendingRenames()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return "<none>";
    std::vector<char> data(1 << 16);
    DWORD size = (DWORD)data.size() - 2;
    DWORD type = 0;
    LONG result = RegQueryValueExA(key, kPendingRenames, NULL, &type,
                                   (BYTE *)data.data(), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return "<none>";
    // Pairs of strings; an empty target (a deletion) keeps its place, so
    // the whole size is split and only the closing NULs are dropped.
    std::string joined(data.data(), size);
    while (!joined.empty() && joined.back() == '\0')
        joined.pop_back();
    for (char &c : joined)
        if (c == '\0')
            c = '|';
    return joined;
}

void RestorePendingRenames(const std::string &joined)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE,
                      &key) != ERROR_SUCCESS)
        return;
    if (joined == "<none>") {
        RegDeleteValueA(key, kPendingRenames);
    } else {
        std::string data = joined;
        for (char &c : data)
            if (c == '|')
                c = '\0';
        data.append(2, '\0');
        RegSetValueExA(key, kPendingRenames, 0, REG_MULTI_SZ,
                       (const BYTE *)data.data(), (DWORD)data.size());
    }
    RegCloseKey(key);
}

MachineSnapshot TakeMachineSnapshot(const std::string &scratch,
                                    const std::vector<std::string> &watchedFiles)
{
    MachineSnapshot snapshot;
    ListTree("C:", &snapshot.files);
    snapshot.machineKeys = ExportKeys("HKLM\\Software", scratch + "\\m.reg");
    snapshot.userKeys = ExportKeys("HKCU\\Software", scratch + "\\u.reg");
    snapshot.pendingRenames = PendingRenames();
    for (const std::string &file : watchedFiles)
        snapshot.watched[file] = ReadFileBytes(file);
    return snapshot;
}

static const char kLineBreak[] = "\r\n";
static const char kKeptLineBreak = '\x1f';

// The items of one kind, each on a line after its tag.
static void AddItems(const char *tag, const std::set<std::string> &items,
                     std::string *text)
{
    for (std::string item : items) {
        size_t at = 0;
        while ((at = item.find(kLineBreak, at)) != std::string::npos)
            item.replace(at, 2, 1, kKeptLineBreak);
        *text += std::string(tag) + " " + item + "\n";
    }
}

std::string SnapshotText(const MachineSnapshot &snapshot)
{
    std::string text;
    AddItems("file", snapshot.files, &text);
    AddItems("hklm", snapshot.machineKeys, &text);
    AddItems("hkcu", snapshot.userKeys, &text);
    text += "renames " + snapshot.pendingRenames + "\n";
    return text;
}

MachineSnapshot SnapshotFromText(const std::string &text)
{
    MachineSnapshot snapshot;
    snapshot.pendingRenames = "<none>";
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        size_t space = line.find(' ');
        if (space == std::string::npos)
            continue;
        std::string tag = line.substr(0, space);
        std::string item = line.substr(space + 1);
        size_t at = 0;
        while ((at = item.find(kKeptLineBreak, at)) != std::string::npos)
            item.replace(at, 1, kLineBreak);
        if (tag == "file")
            snapshot.files.insert(item);
        else if (tag == "hklm")
            snapshot.machineKeys.insert(item);
        else if (tag == "hkcu")
            snapshot.userKeys.insert(item);
        else if (tag == "renames")
            snapshot.pendingRenames = item;
    }
    return snapshot;
}

// A failed case may differ in hundreds of paths: the first few say what
// went wrong, the count says how much.
static const size_t kLinesShown = 12;

static void AddLine(std::string *text, size_t *lines, const std::string &line)
{
    if ((*lines)++ < kLinesShown)
        *text += "  " + line.substr(0, 300) + "\n";
}

static void SetDifference(const std::set<std::string> &before,
                          const std::set<std::string> &after,
                          std::string *text, size_t *lines)
{
    for (const std::string &item : after)
        if (!before.count(item))
            AddLine(text, lines, "added: " + item);
    for (const std::string &item : before)
        if (!after.count(item))
            AddLine(text, lines, "gone: " + item);
}

std::string SnapshotDifference(const MachineSnapshot &before,
                               const MachineSnapshot &after)
{
    std::string text;
    size_t lines = 0;
    SetDifference(before.files, after.files, &text, &lines);
    SetDifference(before.machineKeys, after.machineKeys, &text, &lines);
    SetDifference(before.userKeys, after.userKeys, &text, &lines);
    if (before.pendingRenames != after.pendingRenames)
        AddLine(&text, &lines, "changed: pending renames " + after.pendingRenames);
    for (const auto &file : before.watched) {
        auto found = after.watched.find(file.first);
        if (found == after.watched.end() || found->second != file.second)
            AddLine(&text, &lines, "changed: bytes of " + file.first);
    }
    if (lines > kLinesShown)
        text += "  ... " + std::to_string(lines) + " differences in all\n";
    return text;
}
