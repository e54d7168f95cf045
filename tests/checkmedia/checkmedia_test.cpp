// The media checker on the sample media and on broken media made from
// them: each mistake gives exactly its findings, with file and line.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "checkmedia/check_media.h"
#include "checkmedia/report.h"
#include "core/setup_limits.h"

namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteBytes(const fs::path &path, const std::string &bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), (std::streamsize)bytes.size());
}

void Put32(std::string *bytes, size_t at, unsigned value)
{
    for (int i = 0; i < 4; i++)
        (*bytes)[at + i] = (char)(value >> (8 * i));
}

// A bitmap file as the wizard reads it: 1, 4, 8 or 24 bits per pixel.
std::string MakeBitmap(int bits)
{
    const int width = 4, height = 4;
    unsigned row = ((width * bits + 31) / 32) * 4;
    unsigned table = bits == 24 ? 0 : 4u << bits;
    std::string bytes(54 + table + row * height, '\x40');
    bytes[0] = 'B';
    bytes[1] = 'M';
    Put32(&bytes, 2, (unsigned)bytes.size());
    Put32(&bytes, 10, 54 + table);
    Put32(&bytes, 14, 40);
    Put32(&bytes, 18, width);
    Put32(&bytes, 22, height);
    Put32(&bytes, 26, 1 | (unsigned)bits << 16);
    Put32(&bytes, 30, 0);
    Put32(&bytes, 34, row * height);
    return bytes;
}

struct Expected {
    const char *file;
    int line;
    Severity severity;
    const char *text;   // a part of the finding's text
};

// A copy of the sample media, as sample/assemble lays it out, in a
// folder of its own.
// text with every "\n" turned into the line end that file uses.
std::string LineEnds(const std::string &file, const std::string &text)
{
    if (file.find("\r\n") == std::string::npos)
        return text;
    std::string converted;
    for (char c : text)
        converted += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return converted;
}

class Media {
public:
    Media()
    {
        static int serial;
        root_ = fs::temp_directory_path() /
                ("checkmedia-" + std::to_string(serial++) + "-" +
                 std::to_string((unsigned long)(uintptr_t)this));
        fs::remove_all(root_);
        fs::path sample = fs::path(SETUP_SOURCE_DIR) / "sample";
        fs::create_directories(root_ / "product");
        fs::copy(sample / "language.ini", root_ / "language.ini");
        for (const char *folder : {"jpn", "eng"})
            fs::copy(sample / folder, root_ / folder,
                     fs::copy_options::recursive);
        for (const char *folder : {"shared", "common", "app"})
            fs::copy(sample / "product" / folder, root_ / "product" / folder,
                     fs::copy_options::recursive);
        Write("product/app/FileAgent.exe", "MZ");
        Write("product/tools/ckuninst.exe", "MZ");
        Write("ACLPROBE.DLL", "MZ");
        Write("default.bmp", MakeBitmap(8));
        Write("directory.bmp", MakeBitmap(24));
        Write("startmenu.bmp", MakeBitmap(4));
    }
    ~Media() { fs::remove_all(root_); }

    void Write(const std::string &file, const std::string &bytes)
    {
        WriteBytes(root_ / file, bytes);
    }
    void Remove(const std::string &file) { fs::remove(root_ / file); }
    // Replaces the one occurrence of from; "\n" in from and to stands for
    // the file's own line end.
    void Replace(const std::string &file, const std::string &from,
                 const std::string &to)
    {
        std::string text = ReadBytes(root_ / file);
        size_t at = text.find(LineEnds(text, from));
        ASSERT_NE(std::string::npos, at) << from << " in " << file;
        Write(file, text.substr(0, at) + LineEnds(text, to) +
                        text.substr(at + LineEnds(text, from).size()));
    }
    void Append(const std::string &file, const std::string &bytes)
    {
        std::string text = ReadBytes(root_ / file);
        Write(file, text + LineEnds(text, bytes));
    }
    Report Check(bool writeSums = false) const
    {
        Report report;
        CheckMedia(root_.string(), &report, writeSums);
        return report;
    }
    std::string Read(const std::string &file) const
    {
        return ReadBytes(root_ / file);
    }

private:
    fs::path root_;
};

std::string Describe(const Report &report)
{
    std::string text;
    for (const Finding &f : report.findings)
        text += "  " + f.file + ":" + std::to_string(f.line) +
                (f.severity == SEVERITY_ERROR ? ": error: " : ": warning: ") +
                f.text + "\n";
    return text.empty() ? "  (none)\n" : text;
}

void ExpectFindings(const Report &report, const std::vector<Expected> &expected)
{
    SCOPED_TRACE("findings:\n" + Describe(report));
    ASSERT_EQ(expected.size(), report.findings.size());
    for (const Expected &e : expected) {
        bool found = false;
        for (const Finding &f : report.findings)
            found = found || (f.file == e.file && f.line == e.line &&
                              f.severity == e.severity &&
                              f.text.find(e.text) != std::string::npos);
        EXPECT_TRUE(found) << "expected " << e.file << ":" << e.line << " "
                           << e.text;
    }
}

const Severity E = SEVERITY_ERROR;
const Severity W = SEVERITY_WARNING;
const std::string kLong(300, 'x');
const std::string kJolietName = "product/" + std::string(61, 'n') + ".txt";
// ア as the packager's machine names files: UTF-8.
std::string Katakana(int count)
{
    std::string text;
    for (int i = 0; i < count; i++)
        text += "\xE3\x82\xA2";
    return text;
}
const std::string kKatakana40 = Katakana(40);
const std::string kJapaneseJolietName = "product/" + Katakana(61) + ".txt";

struct BrokenMedia {
    const char *name;
    std::function<void(Media *)> change;
    std::vector<Expected> expected;
};

const char kScript[] = "eng/copy_ns.ini";
const char kCatalog[] = "eng/message.ini";

// The Read Me shortcut with arguments that make its entry 255 characters
// long, plus extra.
std::string ShortcutWithArguments(size_t extra)
{
    std::string entry = "FileAgent Read Me;readme.txt;c:\\Program "
                        "Files\\Veltrane\\CaptureKit\\FileAgent;";
    return entry + std::string(SHORTCUT_ENTRY_SIZE - 1 - entry.size() + extra,
                               'a');
}

// A title whose link below the checker's Programs folder and the group
// "Veltrane CaptureKit" is 259 characters long, plus extra.
std::string LinkTitle(size_t extra)
{
    size_t folder = strlen("C:\\Documents and Settings\\All Users\\Start "
                           "Menu\\Programs\\Veltrane CaptureKit\\");
    return std::string(PATH_SIZE - 1 - folder - strlen(".lnk") + extra, 't');
}

std::vector<BrokenMedia> BrokenMediaTable()
{
    return {
        {"source file matched without regard to case",
         [](Media *m) {
             m->Remove("product/app/readme.txt");
             m->Write("product/app/README.TXT", "read me");
         },
         {}},
#ifndef _WIN32
        // 表 is 0x95 0x5C in the script: its second byte is no folder
        // separator. The packager's machine names it in UTF-8, as every
        // Linux tool does; the check compares names as the CD holds them.
        // (On Windows the test's own file calls would split it under 1252.)
        {"Shift-JIS folder whose second byte is a backslash",
         [](Media *m) {
             m->Replace("jpn/copy_ns.ini", "manual\\index.txt;\\product\\app",
                        "manual\\index.txt;\\product\\\x95\x5C");
             m->Write("product/\xE8\xA1\xA8/manual/index.txt", "x");
         },
         {}},
        {"Japanese name stored in raw Shift-JIS bytes on a UTF-8 host",
         [](Media *m) {
             m->Replace("jpn/copy_ns.ini", "manual\\index.txt;\\product\\app",
                        "manual\\index.txt;\\product\\\x95\x5C");
             m->Write("product/\x95\x5C/manual/index.txt", "x");
         },
         {{"product/\x95\x5C", 0, E, "the name is not UTF-8"},
          {"jpn/copy_ns.ini", 27, E, "is not on the media"}}},
        {"Shift-JIS folder missing its trail byte",
         [](Media *m) {
             m->Replace("jpn/copy_ns.ini", "manual\\index.txt;\\product\\app",
                        "manual\\index.txt;\\product\\\x95\x5C");
             m->Write("product/\xE8/manual/index.txt", "x");
         },
         {{"product/\xE8", 0, E, "the name is not UTF-8"},
          {"jpn/copy_ns.ini", 27, E, "is not on the media"}}},
        {"name of 40 Japanese characters counted as 40",
         [](Media *m) { m->Write("product/" + kKatakana40 + ".txt", "x"); },
         {}},
        {"Japanese name one past the Joliet limit",
         [](Media *m) { m->Write(kJapaneseJolietName, "x"); },
         {{kJapaneseJolietName.c_str(), 0, E, "65 characters"}}},
        // On Windows the test could not write both names.
        {"names that differ only in case",
         [](Media *m) { m->Write("product/app/ReadMe.txt", "x"); },
         {{"product/app/readme.txt", 0, E,
           "differs from ReadMe.txt only in case"}}},
#endif
        {"folder with an @ that begins no macro",
         [](Media *m) {
             m->Replace(kScript, "manual\\index.txt;\\product\\app",
                        "manual\\index.txt;\\product\\app;\\Docs@2x");
         },
         {}},
        {"folder whose macro does not fit once expanded",
         [](Media *m) {
             m->Replace(kScript, "manual\\index.txt;\\product\\app",
                        "manual\\index.txt;\\product\\app;@STARTUPDIR\\" +
                            std::string(200, 'd'));
         },
         {{kScript, 27, E, "installed path is longer than 259"}}},
        {"Japanese licence saved as UTF-8 that passes for Shift-JIS",
         [](Media *m) {
             // "テストです" in UTF-8, and "A": valid Shift-JIS pairs.
             m->Write("jpn/license.txt", "\xE3\x83\x86\xE3\x82\xB9\xE3\x83"
                                         "\x88\xE3\x81\xA7\xE3\x81\x99" "A");
         },
         {{"jpn/license.txt", 0, W, "UTF-8 with multi-byte characters"}}},
        {"TotalFiles above 65535",
         [](Media *m) {
             m->Replace(kScript, "[Files_File]\n",
                        "[Files_File]\nTotalFiles=65540\n");
         },
         {{kScript, 25, E, "modulo 65536, so the progress bar's range is 4"}}},
        {"message key with a built-in text missing",
         [](Media *m) {
             m->Replace(kCatalog, "COPY_FAILED=This file could not be copied:\n",
                        "");
         },
         {}},
        // Read into the boxes' own width, not a page text's.
        {"message key with a built-in text at its limit",
         [](Media *m) {
             m->Replace(kCatalog, "SETUP_CANCELLED=",
                        "SETUP_CANCELLED=" + std::string(1023, 'c') + "\n"
                        "X=");
         },
         {}},
        {"message key with a built-in text one past its limit",
         [](Media *m) {
             m->Replace(kCatalog, "SETUP_CANCELLED=",
                        "SETUP_CANCELLED=" + std::string(1024, 'c') + "\n"
                        "X=");
         },
         {{kCatalog, 57, E, "setup reads 1023"}}},
        {"source file missing",
         [](Media *m) {
             m->Replace(kScript, "manual\\index.txt", "manual\\index.htm");
         },
         {{kScript, 27, E, "product\\app\\manual\\index.htm is not on"}}},
        {"source folder without a leading backslash",
         [](Media *m) {
             m->Replace(kScript, "index.txt;\\product", "index.txt;product");
         },
         {{kScript, 27, W, "no leading backslash"}}},
        {"SectionFiles above the entries",
         [](Media *m) {
             m->Replace(kScript, "[Files_File]\n",
                        "[Files_File]\nSectionFiles=5\n");
         },
         {{kScript, 25, E, "SectionFiles 5, but 4 entries"}}},
        {"SectionFiles above 999",
         [](Media *m) {
             m->Replace(kScript, "[Files_File]\n",
                        "[Files_File]\nSectionFiles=1000\n");
         },
         {{kScript, 25, E, "at most 999"}}},
        {"entry behind a gap",
         [](Media *m) {
             m->Replace(kScript, "@WINDOWSDIR\n",
                        "@WINDOWSDIR\nfile006=x.txt;\\product\\app\n");
         },
         {{kScript, 30, E, "file006 is never read"}}},
        {"entry past the 999th",
         [](Media *m) {
             m->Replace(kScript, "@WINDOWSDIR\n",
                        "@WINDOWSDIR\nfile999=x.txt;\\product\\app\n");
         },
         {{kScript, 30, E, "at most 999 entries"}}},
        {"progress bar past its range",
         [](Media *m) {
             m->Replace(kScript, "[Files_File]\n",
                        "[Files_File]\nCountStart=3\n");
         },
         {{kScript, 25, W, "past its range of 4"}}},
        {"entry longer than its buffer",
         [](Media *m) {
             m->Replace(kScript, "file002=manual\\index.txt",
                        "file002=manual\\index.txt" + kLong + kLong);
         },
         {{kScript, 27, E, "setup reads 519"},
          {kScript, 27, E, "longer than 259 characters; setup skips"}}},
        {"file name longer than its field",
         [](Media *m) {
             m->Replace(kScript, "file002=manual\\index.txt",
                        "file002=manual\\index.txt" + kLong);
         },
         {{kScript, 27, E, "longer than 259 characters; setup skips"}}},
        {"installed path too long",
         [](Media *m) {
             m->Replace(kScript, "tools;@WINDOWSDIR",
                        "tools;\\" + std::string(240, 'd'));
         },
         {{kScript, 29, E, "installed path is longer than 259"},
          {kScript, 46, E, "uninstaller C:\\WINDOWS\\ckuninst.exe"}}},
        {"unknown macro",
         [](Media *m) {
             m->Replace(kScript, "ExeFile=@WINDOWSDIR", "ExeFile=@WINDIR");
         },
         {{kScript, 46, E, "unknown macro @WINDIR"},
          {kScript, 46, E, "installed by no file section"}}},
        {"shortcut title with a colon",
         [](Media *m) {
             m->Replace(kScript, "Icon001=FileAgent Read Me",
                        "Icon001=FileAgent: Read Me");
         },
         {{kScript, 37, E, "the title holds ':'"}}},
        {"shortcut without a file",
         [](Media *m) {
             m->Replace(kScript, "Icon001=FileAgent Read Me;readme.txt",
                        "Icon001=FileAgent Read Me");
         },
         {{kScript, 37, E, "needs a title and a file"}}},
        {"shortcut to a file nothing installs",
         [](Media *m) {
             m->Replace(kScript, "Icon000=FileAgent;FileAgent.exe",
                        "Icon000=FileAgent;FileAgnet.exe");
         },
         {{kScript, 36, E, "no file section installs the target"}}},
        {"arguments Program Manager cannot carry",
         [](Media *m) {
             m->Replace(kScript, "Icon000=FileAgent;FileAgent.exe",
                        "Icon000=FileAgent;FileAgent.exe;c:\\Program "
                        "Files\\Veltrane\\CaptureKit\\FileAgent;-a,b");
         },
         {{kScript, 36, E, "command syntax cannot carry it"}}},
        // The entry and its link are used whole up to their limits and
        // refused, not cut, one past them.
        {"shortcut entry of 255 characters",
         [](Media *m) {
             m->Replace(kScript, "Icon001=FileAgent Read Me;readme.txt",
                        "Icon001=" + ShortcutWithArguments(0));
         },
         {}},
        {"shortcut entry of 256 characters",
         [](Media *m) {
             m->Replace(kScript, "Icon001=FileAgent Read Me;readme.txt",
                        "Icon001=" + ShortcutWithArguments(1));
         },
         {{kScript, 37, E, "256 characters; setup skips a shortcut entry"}}},
        {"shortcut link of 259 characters",
         [](Media *m) {
             m->Replace(kScript, "Icon001=FileAgent Read Me",
                        "Icon001=" + LinkTitle(0));
         },
         {}},
        {"shortcut link of 260 characters",
         [](Media *m) {
             m->Replace(kScript, "Icon001=FileAgent Read Me",
                        "Icon001=" + LinkTitle(1));
         },
         {{kScript, 37, E, "is longer than 259 characters; setup skips"}}},
        {"group missing",
         [](Media *m) {
             m->Replace(kScript, "group=Veltrane CaptureKit\n", "");
         },
         {{kScript, 34, W, "[ShortCut_File] group is missing"}}},
        {"group with a quote",
         [](Media *m) {
             m->Replace(kScript, "group=Veltrane", "group=\"Veltrane");
         },
         {{kScript, 35, E, "holds '\"'"},
          {kScript, 35, E, "cannot carry the program group"}}},
        {"no uninstall log",
         [](Media *m) {
             m->Replace(kScript, "UnInstLog=C:\\windows\\CKFileAgent.log\n",
                        "");
         },
         {{kScript, 42, E, "cannot be uninstalled"}}},
        {"uninstall key name too long",
         [](Media *m) {
             m->Replace(kScript, "RegistKey=CaptureKitFileAgent",
                        "RegistKey=CaptureKitFileAgentCaptureKitFileAgent");
         },
         {{kScript, 44, E, "setup reads 31"}}},
        {"display name too long",
         [](Media *m) {
             m->Replace(kScript, "DispName=Veltrane",
                        "DispName=" + std::string(70, 'V'));
         },
         {{kScript, 45, E, "setup reads 63"}}},
        {"uninstaller nothing installs",
         [](Media *m) {
             m->Replace(kScript, "\\ckuninst.exe C:", "\\uninst.exe C:");
         },
         {{kScript, 46, E, "uninstaller C:\\WINDOWS\\uninst.exe"}}},
        {"destination written below another folder",
         [](Media *m) {
             m->Replace(kScript, "DstDirectry=c:\\Program Files",
                        "DstDirectry=d:\\Apps");
         },
         {{kScript, 6, E, "not below c:\\Program Files"}}},
        {"catalog key missing",
         [](Media *m) { m->Replace(kCatalog, "FINISH=&Finish\n", ""); },
         {{kCatalog, 14, E, "[BUTTON] FINISH is missing"}}},
        {"key of a page never shown missing",
         [](Media *m) {
             m->Replace(kCatalog, "USERINFO_02=Mail server:\n", "");
         },
         {{kCatalog, 24, W, "[static] USERINFO_02 is missing"}}},
        {"catalog value longer than its buffer",
         [](Media *m) {
             m->Replace(kCatalog, "COPYING=Copying", "COPYING=" + kLong);
         },
         {{kCatalog, 38, E, "setup reads 255"}}},
        {"section and key reference that does not resolve",
         [](Media *m) {
             m->Replace(kCatalog, "INSTALL=Destination folder\n", "");
         },
         {{kCatalog, 41, E, "[LABEL] INSTALL is missing"}}},
        {"font name the grammar does not know",
         [](Media *m) {
             m->Replace(kCatalog, "NORMAL,ANSI,", "NORMAL,ANSII,");
         },
         {{kCatalog, 3, E, "[FONT] Standard: the character set"}}},
        {"picture missing",
         [](Media *m) { m->Remove("directory.bmp"); },
         {{kCatalog, 0, E, "directory.bmp of page 2 is not on the media"},
          {"jpn/message.ini", 0, E, "directory.bmp of page 2"}}},
        {"picture the loader refuses",
         [](Media *m) { m->Write("startmenu.bmp", MakeBitmap(16)); },
         {{kCatalog, 0, E, "startmenu.bmp of page 3 is no bitmap"},
          {"jpn/message.ini", 0, E, "startmenu.bmp of page 3"}}},
        {"picture named in the catalog missing",
         [](Media *m) { m->Append(kCatalog, "\n[bmp]\nTovrin02=none.bmp\n"); },
         {{kCatalog, 64, E, "none.bmp of page 2"}}},
        {"invalid Shift-JIS in the Japanese catalog",
         [](Media *m) { m->Append("jpn/message.ini", "\nX=ab\x81\x20\n"); },
         {{"jpn/message.ini", 63, E, "byte 0x81 at column 5"}}},
        {"language entry without a code",
         [](Media *m) {
             m->Replace("language.ini", "English;eng", "English");
         },
         {{"language.ini", 4, E, "empty language code"},
          {"language.ini", 5, W, "Default \"English\" begins no"}}},
        {"language folder missing",
         [](Media *m) {
             m->Append("language.ini", "\nLang02=Deutsch;deu\n");
         },
         {{"language.ini", 7, E, "no folder deu"}}},
        {"language code at its limit",
         [](Media *m) {
             m->Replace("language.ini", "English;eng", "English;englishenglish1");
         },
         {{"language.ini", 4, E, "no folder englishenglish1"}}},
        {"language code one past its limit",
         [](Media *m) {
             m->Replace("language.ini", "English;eng",
                        "English;englishenglish12");
         },
         {{"language.ini", 4, E, "language code of 16 characters"},
          {"language.ini", 4, E, "no folder englishenglish12"}}},
        {"no language list: the files are looked for in the media folder",
         [](Media *m) { m->Remove("language.ini"); },
         {{"message.ini", 0, E, "missing from the media folder"},
          {"license.txt", 0, E, "missing from the media folder"},
          {"copy_ns.ini", 0, E, "missing from the media folder"}}},
        {"licence missing",
         [](Media *m) { m->Remove("eng/license.txt"); },
         {{"language.ini", 4, E, "eng/license.txt is missing"}}},
        {"INI file larger than Windows 95 reads",
         [](Media *m) {
             m->Append(kCatalog, std::string(70000, ';') + "\n");
         },
         {{kCatalog, 0, E, "Windows 95 reads only the first 65535"},
          {kCatalog, 60, W, "section of"}}},
        {"name at the Joliet limit",
         [](Media *m) {
             m->Write("product/" + std::string(60, 'n') + ".txt", "x");
         },
         {}},
        {"name one past the Joliet limit",
         [](Media *m) { m->Write(kJolietName, "x"); },
         {{kJolietName.c_str(), 0, E, "65 characters; a Joliet CD keeps 64"}}},
        {"folders nested too deep",
         [](Media *m) { m->Write("product/a/b/c/d/e/f/g/h.txt", "x"); },
         {{"product/a/b/c/d/e/f/g", 0, E, "nested 9 levels"}}},
        {"repeated key and section",
         [](Media *m) {
             m->Replace(kCatalog, "FINISH=&Finish\n",
                        "FINISH=&Finish\nNEXT=again\n");
             m->Append(kCatalog, "[button]\nX=1\n");
         },
         {{kCatalog, 23, W, "key NEXT repeats line 17"},
          {kCatalog, 63, E, "section [button] repeats line 14"}}},
        {"line without an equals sign",
         [](Media *m) {
             m->Replace(kCatalog, "WELCOME=Welcome", "WELCOME Welcome");
         },
         {{kCatalog, 10, W, "line without \"=\""},
          {kCatalog, 7, E, "[TITLE] WELCOME is missing"}}},
        {"byte-order mark",
         [](Media *m) {
             m->Replace(kCatalog, "; Message", "\xEF\xBB\xBF; Message");
         },
         {{kCatalog, 1, E, "byte-order mark"}}},
    };
}

// Mistakes that break an installation on the user's machine, each an
// error at its file and line.
std::vector<BrokenMedia> BreakingMistakesTable()
{
    return {
        {"macro in the wrong case",
         [](Media *m) {
             m->Replace(kScript, "shared;\\Shared", "shared;@SystemDir");
         },
         {{kScript, 16, E, "@SystemDir\\NETLNK32.DLL: not a complete local"}}},
        {"folder field without a leading backslash",
         [](Media *m) {
             m->Replace(kScript, "common;\\Common\nfile001",
                        "common;Common\nfile001");
         },
         {{kScript, 20, E, "target Common\\CKCOMMON.DLL: not a complete"}}},
        {"folder outside the destination",
         [](Media *m) {
             m->Replace(kScript, "shared;\\Shared", "shared;\\..\\Shared");
         },
         {{kScript, 16, E, "FileAgent\\..\\Shared\\NETLNK32.DLL: a folder "
                           "name that is empty"}}},
        {"device name as a folder",
         [](Media *m) {
             m->Replace(kScript, "shared;\\Shared", "shared;\\Aux");
         },
         {{kScript, 16, E, "Aux\\NETLNK32.DLL: a device name"}}},
        {"slash as a separator in a file field",
         [](Media *m) {
             m->Replace(kScript, "manual\\index.txt;", "manual/index.txt;");
         },
         {{kScript, 27, E, "manual/index.txt: a character no file name"}}},
#ifndef _WIN32
        {"colon in a file name",
         [](Media *m) {
             m->Write("product/app/manual/a:b.txt", "x");
             m->Replace(kScript, "manual\\index.txt;", "manual\\a:b.txt;");
         },
         {{kScript, 27, E, "a:b.txt: a character no file name"}}},
#endif
        {"macro in the uninstall log",
         [](Media *m) {
             m->Replace(kScript, "UnInstLog=C:\\windows",
                        "UnInstLog=@WINDOWSDIR");
         },
         {{kScript, 43, E, "UnInstLog (used as written"}}},
        {"uninstaller given another log",
         [](Media *m) {
             m->Replace(kScript, "ckuninst.exe C:\\windows\\CKFileAgent.log",
                        "ckuninst.exe C:\\windows\\FileAgent.log");
         },
         {{kScript, 46, E, "not the uninstall log C:\\windows\\CKFileAgent"}}},
        {"uninstall key with a backslash",
         [](Media *m) {
             m->Replace(kScript, "RegistKey=CaptureKit",
                        "RegistKey=CaptureKit\\");
         },
         {{kScript, 44, E, "is not one key name"}}},
        {"icon nothing installs",
         [](Media *m) {
             m->Replace(kScript, "DispIcon=FileAgent.exe",
                        "DispIcon=FileAgent.ico");
         },
         {{kScript, 47, E, "DispIcon FileAgent.ico: no file section"}}},
        {"version that does not compare",
         [](Media *m) { m->Replace(kScript, "Version=1.2.0", "Version=V1.2.0"); },
         {{kScript, 3, E, "\"V1.2.0\" does not compare as a version"}}},
        {"section written twice",
         [](Media *m) {
             m->Append(kScript, "[Files_File]\nfile004=FileAgent.exe\n");
         },
         {{kScript, 48, E, "section [Files_File] repeats line 24"}}},
        {"gap in the language keys",
         [](Media *m) {
             m->Replace("language.ini", "Lang01=English", "Lang02=English");
         },
         {{"language.ini", 4, E, "Lang02 (English) is never read"},
          {"language.ini", 5, W, "begins only a name behind the gap"}}},
        {"user-access probe missing",
         [](Media *m) { m->Remove("ACLPROBE.DLL"); },
         {{"ACLPROBE.DLL", 0, E, "every shortcut then goes to the "
                                 "installing user only"}}},
        // The group 表示ソフト, the script's only Japanese text, in UTF-8.
        {"Japanese script saved as UTF-8",
         [](Media *m) {
             m->Replace("jpn/copy_ns.ini", "\x95\x5C\x8E\xA6\x83\x5C\x83\x74"
                                           "\x83\x67",
                        "\xE8\xA1\xA8\xE7\xA4\xBA\xE3\x82\xBD\xE3\x83"
                        "\x95\xE3\x83\x88");
         },
         {{"jpn/copy_ns.ini", 0, E, "UTF-8 with multi-byte characters"}}},
    };
}

}  // namespace

TEST(CheckMedia, EachMistakeThatBreaksAnInstallationIsAnError)
{
    for (const BrokenMedia &row : BreakingMistakesTable()) {
        SCOPED_TRACE(row.name);
        Media media;
        row.change(&media);
        Report report = media.Check();
        ExpectFindings(report, row.expected);
        EXPECT_EQ(1, ReportExitCode(&report, false));
    }
}

TEST(CheckMedia, SampleMediaGiveNoFinding)
{
    Media media;
    Report report = media.Check();
    ExpectFindings(report, {});
    EXPECT_EQ(0, ReportExitCode(&report, true));
}

TEST(CheckMedia, EachBrokenMediumGivesExactlyItsFindings)
{
    for (const BrokenMedia &row : BrokenMediaTable()) {
        SCOPED_TRACE(row.name);
        Media media;
        row.change(&media);
        ExpectFindings(media.Check(), row.expected);
    }
}

TEST(CheckMedia, TenPlantedMistakesAreAllReportedAndNothingElse)
{
    Media media;
    media.Replace(kScript, "manual\\index.txt", "manual\\index.htm");
    media.Replace(kScript, "Icon001=FileAgent Read Me",
                  "Icon001=FileAgent: Read Me");
    media.Replace(kScript, "Icon000=FileAgent;FileAgent.exe",
                  "Icon000=FileAgent;FileAgnet.exe");
    media.Replace(kScript, "RegistKey=CaptureKitFileAgent",
                  "RegistKey=CaptureKitFileAgentCaptureKitFileAgent");
    media.Replace(kScript, "[Files_File]\n", "[Files_File]\nCountStart=3\n");
    media.Replace(kCatalog, "FINISH=&Finish\n", "");
    media.Replace(kCatalog, "COPYING=Copying", "COPYING=" + kLong);
    media.Replace(kCatalog, "NORMAL,ANSI,", "NORMAL,ANSII,");
    media.Append("jpn/message.ini", "\nX=ab\x81\x20\n");
    media.Append("language.ini", "\nLang02=Deutsch;deu\n");
    Report report = media.Check();
    ExpectFindings(report, {{kScript, 28, E, "index.htm is not on"},
                            {kScript, 38, E, "the title holds ':'"},
                            {kScript, 37, E, "no file section installs"},
                            {kScript, 45, E, "setup reads 31"},
                            {kScript, 25, W, "past its range"},
                            {kCatalog, 14, E, "FINISH is missing"},
                            {kCatalog, 37, E, "setup reads 255"},
                            {kCatalog, 3, E, "the character set"},
                            {"jpn/message.ini", 63, E, "not valid Shift-JIS"},
                            {"language.ini", 7, E, "no folder deu"}});
    EXPECT_EQ(1, ReportExitCode(&report, false));
}

TEST(CheckMedia, StrictCountsWarningsAsErrors)
{
    Media media;
    media.Replace(kScript, "[Files_File]\n", "[Files_File]\nCountStart=3\n");
    Report report = media.Check();
    EXPECT_EQ(0, ReportExitCode(&report, false));
    EXPECT_EQ(1, ReportExitCode(&report, true));
}

// --write-sums lists every file the scripts copy, once; the check then
// holds the list against the media.
TEST(CheckMedia, ChecksumListWrittenThenHeldAgainstTheMedia)
{
    Media media;
    media.Replace(kScript, "[Files_File]\n", "[Files_File]\nCountStart=3\n");
    Report written = media.Check(true);
    // Written even with findings: a packager may press media with warnings.
    ExpectFindings(written, {{kScript, 25, W, "past its range"}});
    std::string list = media.Read("MEDIA.SUM");
    EXPECT_NE(std::string::npos, list.find("Count=7\r\n")) << list;
    EXPECT_NE(std::string::npos,
              list.find(",product\\app\\manual\\index.txt\r\n")) << list;
    media.Replace(kScript, "[Files_File]\nCountStart=3\n", "[Files_File]\n");
    ExpectFindings(media.Check(), {});

    media.Write("product/app/readme.txt", "changed after the list");
    media.Write("product/tools/extra.txt", "x");
    media.Replace(kScript, "@WINDOWSDIR\n",
                  "@WINDOWSDIR\nfile004=extra.txt;\\product\\tools\n");
    ExpectFindings(media.Check(),
                   {{"MEDIA.SUM", 10, E, "product\\app\\readme.txt differs"},
                    {"MEDIA.SUM", 0, E, "product\\tools\\extra.txt is copied "
                                        "by eng/copy_ns.ini but not in"}});

    // A hostile list is refused whole, never trusted in part.
    size_t at = list.find(",product\\app\\readme.txt");
    media.Write("MEDIA.SUM", list.substr(0, at) + ",..\\readme.txt" +
                                 list.substr(at + 23));
    ExpectFindings(media.Check(),
                   {{"MEDIA.SUM", 10, E, "a path that names no file of the "
                                         "media: setup refuses the whole"}});
}
