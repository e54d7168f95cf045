// The message catalog: every key setup reads, the fonts and the pictures.
#include <string.h>

#include <string>
#include <vector>

#include "checkmedia/checks.h"
#include "checkmedia/media_folder.h"
#include "core/text/dbcs.h"
#include "core/text/ini_reader.h"
#include "core/setup_limits.h"
#include "core/catalog/catalog_key.h"
#include "core/catalog/control_text_table.h"
#include "core/catalog/dib_format.h"
#include "core/catalog/font_spec.h"
#include "core/catalog/picture_name.h"

namespace {

// The pages the wizard never shows (licence and user information): a key
// only they read is not an error when missing.
bool IsReachedPage(int page)
{
    return page != 1 && page != 5;
}

struct CatalogKey {
    const char *section;
    const char *key;
    int size;
    bool reached;
};

// Keys read outside the control text table, with their buffers.
const CatalogKey kCatalogKeys[] = {
    {"FONT", "Standard", FONT_SPEC_VALUE_SIZE, true},
    {"FONT", "BackGround", FONT_SPEC_VALUE_SIZE, true},
    {"FONT", "Company", FONT_SPEC_VALUE_SIZE, true},
    {"TITLE", "TOVRIN", TITLE_TEXT_SIZE, true},
    {"TITLE", "COMPANY", TITLE_TEXT_SIZE, true},
    {"TITLE", "WELCOME", 256, true},
    {"TITLE", "LICENSE", 256, false},
    {"TITLE", "DIRECTRY", PATH_SIZE, true},
    {"BUTTON", "NEXT", 256, true},
    {"BUTTON", "PREV", 256, true},
    {"BUTTON", "CANCEL", 256, true},
    {"BUTTON", "FINISH", 256, true},
    {"BUTTON", "YES", 256, false},
    {"BUTTON", "NO", 256, false},
    {"static", "COPYING", 256, true},
    {"static", "FOLDER_01", 256, true},
    {"button", "OK", 256, true},
    {"button", "CANCEL", 256, true},
    {"LABEL", "PATH", 256, true},
    {"LABEL", "FOLDER", 256, true},
    {"MessageBox", "OTHERBRAND_EXIST", 256, true},
    {"MessageBox", "NEWEST_EXIST", 256, true},
    {"MessageBox", "CLOSEMON_F", 256, true},
    {"MessageBox", "TITLE_ERROR", 256, true},
    {"MessageBox", "QUIT_SETUP", 256, true},
    {"MessageBox", "TITLE_MESSAGE", 256, true},
    {"MessageBox", "INPUT_ERROR", 256, true},
};

// The browse button is the one push button of the table; every other
// plain key belongs to a static control (class names of the templates).
const int kBrowseButtonId = 1035;

void CheckKey(const IniFile *catalog, const char *section, const char *key,
              int size, bool reached, Report *report)
{
    ReadChecked(catalog, section, key, "", (size_t)size,
                reached ? SEVERITY_ERROR : SEVERITY_WARNING, true, report,
                NULL);
}

void CheckControlTexts(const IniFile *catalog, Report *report)
{
    for (const ControlTextRow *row = kControlTextRows; row->key != NULL;
         row++) {
        if (row->key[0] == '\0')
            continue;
        bool reached = IsReachedPage(row->page);
        if (row->key[0] != '@') {
            CheckKey(catalog, row->controlId == kBrowseButtonId ? "button"
                                                                : "static",
                     row->key, CONTROL_TEXT_SIZE, reached, report);
            continue;
        }
        char section[CLASS_NAME_SIZE];
        char name[CONTROL_TEXT_SIZE];
        if (!SplitSectionKey(row->key, section, sizeof(section), name,
                             sizeof(name))) {
            AddFinding(report, catalog->file, 0, SEVERITY_ERROR,
                       "the key %s names no section and key", row->key);
            continue;
        }
        CheckKey(catalog, section, name, CONTROL_TEXT_SIZE, reached, report);
    }
}

const char *const kFontFieldNames[] = {"weight", "character set", "pitch",
                                       "family", "italic flag",
                                       "eighth flag", "face name"};

void CheckFonts(const IniFile *catalog, Report *report)
{
    static const char *const keys[] = {"Standard", "BackGround", "Company"};
    for (const char *key : keys) {
        int line = 0;
        std::string value = ReadChecked(catalog, "FONT", key, "",
                                        FONT_SPEC_VALUE_SIZE, SEVERITY_ERROR,
                                        false, report, &line);
        if (line == 0)
            continue;
        FontSpec spec;
        int problems = CheckFontSpec(value.c_str(), &spec);
        for (int bit = 0; bit < 7; bit++) {
            if ((problems & (1 << bit)) == 0)
                continue;
            if ((1 << bit) == FONT_FIELD_FACE)
                AddFinding(report, catalog->file, line, SEVERITY_WARNING,
                           "[FONT] %s: face name longer than %d characters "
                           "is cut",
                           key, FONT_FACE_SIZE - 1);
            else
                AddFinding(report, catalog->file, line, SEVERITY_ERROR,
                           "[FONT] %s: the %s names nothing the font "
                           "grammar knows; the default is used",
                           key, kFontFieldNames[bit]);
        }
    }
}

struct PictureLookup {
    const IniFile *catalog;
    int line;   // of the last value read, 0 when missing
};

void ReadPictureValue(void *context, const char *key, char *value,
                      size_t size)
{
    PictureLookup *lookup = (PictureLookup *)context;
    const std::string &text = lookup->catalog->text;
    int line = 0;
    ReadIniString(text.data(), text.size(), "bmp", key, "nothing", value,
                  size, &line, NULL);
    if (strcmp(value, "nothing") != 0)
        lookup->line = line;
}

// The pages that show a picture and the kind each falls back to.
struct PicturePage {
    int index;
    const char *kind;
};
const PicturePage kPicturePages[] = {
    {0, "default"}, {2, "directory"}, {3, "startmenu"}, {4, "default"}};

void CheckPicture(const MediaIndex *index, const IniFile *catalog,
                  const PicturePage &page, Report *report)
{
    PictureLookup lookup = {catalog, 0};
    char name[256];
    ChoosePictureName(page.index, page.kind, ReadPictureValue, &lookup, name,
                      sizeof(name));
    // Pictures lie in the media folder, not in the language's.
    std::string actual;
    std::string bytes;
    if (!FindMediaPath(index, name, &actual) ||
        !ReadWholeFile(JoinHostPath(index->root, actual), &bytes)) {
        AddFinding(report, catalog->file, lookup.line, SEVERITY_ERROR,
                   "picture %s of page %d is not on the media", name,
                   page.index);
        return;
    }
    DibLayout layout;
    if (!ReadDibLayout((const unsigned char *)bytes.data(), bytes.size(),
                       bytes.size(), &layout))
        AddFinding(report, catalog->file, lookup.line, SEVERITY_ERROR,
                   "picture %s of page %d is no bitmap the wizard shows "
                   "(1, 4, 8 or 24 bits, uncompressed, whole)",
                   actual.c_str(), page.index);
}

}  // namespace

void CheckCatalog(const MediaIndex *index, const IniFile *catalog,
                  Report *report)
{
    CheckIniShape(catalog, report);
    for (const CatalogKey &key : kCatalogKeys)
        CheckKey(catalog, key.section, key.key, key.size, key.reached,
                 report);
    ReadChecked(catalog, "WINDOW", "WINNAME_F", "", 256, SEVERITY_WARNING,
                false, report, NULL);
    CheckControlTexts(catalog, report);
    CheckFonts(catalog, report);
    for (const PicturePage &page : kPicturePages)
        CheckPicture(index, catalog, page, report);
}

bool UsesShiftJis(const MediaIndex *index, const std::string &code)
{
    if (IniNameEquals(code.c_str(), code.size(), "jpn"))
        return true;
    IniFile catalog;
    if (!ReadMediaFile(index, code + "/message.ini", &catalog))
        return false;
    char value[FONT_SPEC_VALUE_SIZE];
    ReadIniString(catalog.text.data(), catalog.text.size(), "FONT",
                  "Standard", "", value, sizeof(value), NULL, NULL);
    FontSpec spec;
    CheckFontSpec(value, &spec);
    return spec.charset == 128;   // SHIFTJIS
}

void CheckLanguageFiles(const MediaIndex *index, const LanguageFiles *files,
                        Report *report)
{
    bool shiftJis = UsesShiftJis(index, files->code);
    SetDbcsCodePage(shiftJis ? 932 : 1252);
    if (files->catalog.present) {
        CheckCatalog(index, &files->catalog, report);
        if (shiftJis)
            CheckShiftJisText(&files->catalog, report);
    }
    if (files->license.present) {
        if (memchr(files->license.text.data(), '\0',
                   files->license.text.size()) != NULL)
            AddFinding(report, files->license.file, 0, SEVERITY_WARNING,
                       "NUL byte: the licence text ends there");
        if (shiftJis)
            CheckShiftJisText(&files->license, report);
    }
    if (files->script.present) {
        CheckInstallScript(index, files, report);
        if (shiftJis)
            CheckShiftJisText(&files->script, report);
    }
    SetDbcsCodePage(0);
}
