// The portable INI reader against the real profile service: generated
// files with every oddity a packager's editor can leave (duplicate sections
// and keys, comments, quotes, blanks, CR, LF and CR LF line ends, no final
// line end, long lines, stray bytes) are read key by key with
// GetPrivateProfileStringA and GetPrivateProfileIntA at several buffer
// sizes, and the reader must give the same text.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>

#include "core/text/ini_reader.h"
#include "tests/support/test_support.h"

namespace {

const char *const kSections[] = {"Files_File", "static", "Lang", "A B", ""};
const char *const kKeys[] = {"file000", "Version", "k", "A B", "x;y",
                             "SectionFiles", ";c", "[s]"};
const DWORD kSizes[] = {1, 2, 3, 8, 64, 256, 1024, 4096};

// A small deterministic generator, so a failure can be replayed.
class Dice {
public:
    explicit Dice(unsigned seed) : state_(seed * 2654435761u + 1) {}
    unsigned Roll(unsigned n)
    {
        state_ = state_ * 1103515245u + 12345u;
        return (state_ >> 8) % n;
    }

private:
    unsigned state_;
};

std::string Blanks(Dice *dice)
{
    static const char *const kinds[] = {"", "", " ", "\t", "  \t", "\x1a",
                                        "\v", "\f"};
    return kinds[dice->Roll(8)];
}

std::string ChangeCase(Dice *dice, const char *name)
{
    std::string changed = name;
    for (char &c : changed) {
        if (dice->Roll(3) == 0)
            c = (char)(isupper((unsigned char)c) ? tolower(c) : toupper(c));
    }
    return changed;
}

// Valid Shift-JIS characters, among them those whose second byte is a
// backslash, a bracket or a blank-like ideographic space.
const char *const kSjisCharacters[] = {
    "\x83\x5C", "\x95\x5C", "\x83\x5D", "\x81\x5B", "\x82\xA0",
    "\x93\xFA", "\x96\x7B", "\x81\x75", "\x81\x40", "\xB1", "\xDF"};

std::string Garbage(Dice *dice, size_t length)
{
    std::string bytes;
    // Invalid double-byte text changes in the service's conversion; the
    // checker reports it rather than predicting it.
    if (GetACP() == 932) {
        for (size_t i = 0; i < length; i++) {
            if (dice->Roll(2) == 0)
                bytes += kSjisCharacters[dice->Roll(11)];
            else
                bytes += (char)(1 + dice->Roll(0x7F));
        }
        for (char &c : bytes)
            if (c == '\n' || c == '\r')
                c = '#';
        return bytes;
    }
    for (size_t i = 0; i < length; i++) {
        // NUL and every other byte; the line ends come from LineEnd.
        unsigned char c = (unsigned char)dice->Roll(256);
        if (c == '\n' || c == '\r')
            c = '#';
        bytes += (char)c;
    }
    return bytes;
}

std::string Value(Dice *dice)
{
    switch (dice->Roll(9)) {
    case 0: return "";
    case 1: return "\"quoted value\"";
    case 2: return "'single'";
    case 3: return "\"mismatched'";
    case 4: return "\"";
    case 5: return "\"\"";
    case 6: return std::string(dice->Roll(3000), 'v') + "end";
    case 7: return "a = b ; not a comment" + Garbage(dice, dice->Roll(4));
    default: return "x" + Garbage(dice, dice->Roll(12));
    }
}

std::string LineEnd(Dice *dice)
{
    static const char *const ends[] = {"\r\n", "\r\n", "\n", "\r", "\n\r"};
    return ends[dice->Roll(5)];
}

std::string Line(Dice *dice)
{
    const char *section = kSections[dice->Roll(5)];
    const char *key = kKeys[dice->Roll(8)];
    switch (dice->Roll(10)) {
    case 0:
        return Blanks(dice) + "[" + Blanks(dice) + ChangeCase(dice, section) +
               Blanks(dice) + "]" + Blanks(dice);
    case 1: return "[" + std::string(section);   // no closing bracket
    case 2: return "; comment " + std::string(key) + "=commented";
    case 3: return ChangeCase(dice, key);        // a key without "="
    case 4: return Garbage(dice, dice->Roll(40));
    case 5: return Blanks(dice);
    case 6: return "[" + std::string(section) + "]trailing]" + Blanks(dice);
    default:
        return Blanks(dice) + ChangeCase(dice, key) + Blanks(dice) + "=" +
               Blanks(dice) + Value(dice) + Blanks(dice);
    }
}

std::string MakeFile(unsigned seed)
{
    Dice dice(seed);
    // Starts plainly: a byte-order mark would make the service read the
    // file as Unicode, which the checker reports instead of predicting.
    std::string text = "[" + std::string(kSections[dice.Roll(4)]) + "]" +
                       LineEnd(&dice);
    int lines = 1 + (int)dice.Roll(40);
    for (int i = 0; i < lines; i++) {
        text += Line(&dice);
        if (i + 1 < lines || dice.Roll(2) == 0)
            text += LineEnd(&dice);
    }
    return text;
}

std::string Printable(const std::string &text)
{
    std::string out;
    for (unsigned char c : text) {
        char hex[8];
        if (c < 0x20 || c >= 0x7F || c == '\\') {
            snprintf(hex, sizeof(hex), "\\x%02X", c);
            out += hex;
        } else {
            out += (char)c;
        }
    }
    return out;
}

void CompareFile(const std::string &path, const std::string &text)
{
    char theirs[4096 + 8];
    char ours[4096 + 8];
    for (const char *section : kSections) {
        for (const char *key : kKeys) {
            for (DWORD size : kSizes) {
                memset(theirs, 0, sizeof(theirs));
                memset(ours, 0, sizeof(ours));
                GetPrivateProfileStringA(section, key, "<default>", theirs,
                                         size, path.c_str());
                ReadIniString(text.data(), text.size(), section, key,
                              "<default>", ours, size, NULL, NULL);
                ASSERT_STREQ(theirs, ours)
                    << "[" << section << "] " << key << " size " << size
                    << " in " << Printable(text);
            }
            int theirNumber = (int)GetPrivateProfileIntA(section, key, -7,
                                                         path.c_str());
            int ourNumber = ReadIniInt(text.data(), text.size(), section, key,
                                       -7, NULL);
            ASSERT_EQ(theirNumber, ourNumber)
                << "[" << section << "] " << key << " in " << Printable(text);
        }
    }
}

}  // namespace

TEST(IniDifferential, GeneratedFilesReadAsTheProfileServiceReadsThem)
{
    ScratchDir dir;
    for (unsigned seed = 1; seed <= 200; seed++) {
        SCOPED_TRACE(seed);
        std::string text = MakeFile(seed);
        // A name per file: the service caches files by name.
        char name[32];
        snprintf(name, sizeof(name), "gen%04u.ini", seed);
        std::string path = dir.Join(name);
        WriteFileBytes(path, text);
        CompareFile(path, text);
        if (HasFatalFailure())
            return;
    }
}

TEST(IniDifferential, HandWrittenOddities)
{
    static const char *const files[] = {
        "[Lang]\r\nk=1\r\n[lang]\r\nk=2\r\nVersion=3\r\n",
        "[Lang]\nk\nk=after a bare key\n",
        "[Lang]\rk=cr only\rVersion=2",
        "[Lang]\rk=cr then\nVersion=lf",
        "[Lang]\nk=  \"  keeps inner blanks  \"  \n",
        "[ Lang ]\nk=inner blanks in the name\n[Lang]\nk=plain\n",
        "k=before any section\n[Lang]\n",
        "[Lang]\nk=no final line end",
        "[Lang]\nSectionFiles= 0x1F\nk=-12abc\nVersion=99999999999\n",
        "[Lang]\nk=a\0b\nVersion=c\n",
    };
    ScratchDir dir;
    int index = 0;
    for (const char *file : files) {
        std::string text = file;
        if (index == 9)
            text = std::string("[Lang]\nk=a\0b\nVersion=c\n", 22);
        char name[32];
        snprintf(name, sizeof(name), "hand%02d.ini", index++);
        std::string path = dir.Join(name);
        WriteFileBytes(path, text);
        CompareFile(path, text);
    }
}
