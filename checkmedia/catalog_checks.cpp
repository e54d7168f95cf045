// The message catalog: every key setup reads, the fonts and the pictures.
#include <string.h>

#include <string>
#include <vector>

#include "checkmedia/checked_read.h"
#include "checkmedia/checks.h"
#include "checkmedia/media_folder.h"
#include "core/catalog/catalog_key.h"
#include "core/catalog/control_text_table.h"
#include "core/catalog/dib_format.h"
#include "core/catalog/font_spec.h"
#include "core/catalog/picture_name.h"
#include "core/setup_limits.h"
#include "core/text/dbcs.h"
#include "core/text/ini_reader.h"

namespace {

// The pages the wizard never shows (licence and user information): a key
// only they read is not an error when missing.
bool IsReachedPage(int page)
{
    return page != 1 && page != 5;
}

// What a missing key costs.
enum KeyNeed {
    KEY_NEEDED,        // an empty text where setup shows one: an error
    KEY_HIDDEN_PAGE,   // only a page the wizard never shows reads it
    KEY_OPTIONAL,      // setup has a built-in English and Japanese text
};

struct CatalogKey {
    const char *section;
    const char *key;
    int size;
    KeyNeed need;
};

// Keys read outside the control text table, with their buffers.
const CatalogKey kCatalogKeys[] = {
    {"FONT", "Standard", FONT_SPEC_VALUE_SIZE, KEY_NEEDED},
    {"FONT", "BackGround", FONT_SPEC_VALUE_SIZE, KEY_NEEDED},
    {"FONT", "Company", FONT_SPEC_VALUE_SIZE, KEY_NEEDED},
    {"TITLE", "TOVRIN", TITLE_TEXT_SIZE, KEY_NEEDED},
    {"TITLE", "COMPANY", TITLE_TEXT_SIZE, KEY_NEEDED},
    {"TITLE", "WELCOME", CATALOG_TEXT_SIZE, KEY_NEEDED},
    {"TITLE", "LICENSE", CATALOG_TEXT_SIZE, KEY_HIDDEN_PAGE},
    {"TITLE", "DIRECTRY", PATH_SIZE, KEY_NEEDED},
    {"BUTTON", "NEXT", CATALOG_TEXT_SIZE, KEY_NEEDED},
    {"BUTTON", "PREV", CATALOG_TEXT_SIZE, KEY_NEEDED},
    {"BUTTON", "CANCEL", CATALOG_TEXT_SIZE, KEY_NEEDED},
    {"BUTTON", "FINISH", CATALOG_TEXT_SIZE, KEY_NEEDED},
    {"BUTTON", "YES", CATALOG_TEXT_SIZE, KEY_HIDDEN_PAGE},
    {"BUTTON", "NO", CATALOG_TEXT_SIZE, KEY_HIDDEN_PAGE},
    {"static", "COPYING", CATALOG_TEXT_SIZE, KEY_NEEDED},
    {"static", "FOLDER_01", CATALOG_TEXT_SIZE, KEY_NEEDED},
    {"button", "OK", CATALOG_TEXT_SIZE, KEY_NEEDED},
    {"button", "CANCEL", CATALOG_TEXT_SIZE, KEY_NEEDED},
    {"LABEL", "PATH", CATALOG_TEXT_SIZE, KEY_NEEDED},
    {"LABEL", "FOLDER", CATALOG_TEXT_SIZE, KEY_NEEDED},
    {"MessageBox", "OTHERBRAND_EXIST", CATALOG_TEXT_SIZE, KEY_NEEDED},
    {"MessageBox", "NEWEST_EXIST", CATALOG_TEXT_SIZE, KEY_NEEDED},
    {"MessageBox", "CLOSEMON_F", CATALOG_TEXT_SIZE, KEY_NEEDED},
    {"MessageBox", "TITLE_ERROR", CATALOG_TEXT_SIZE, KEY_NEEDED},
    {"MessageBox", "QUIT_SETUP", CATALOG_TEXT_SIZE, KEY_NEEDED},
    {"MessageBox", "TITLE_MESSAGE", CATALOG_TEXT_SIZE, KEY_NEEDED},
    {"MessageBox", "INPUT_ERROR", CATALOG_TEXT_SIZE, KEY_NEEDED},
    // The transaction's boxes read these wider (progress/run_boxes).
    {"MessageBox", "COPY_FAILED", CATALOG_BOX_TEXT_SIZE, KEY_OPTIONAL},
    {"MessageBox", "SETUP_CANCELLED", CATALOG_BOX_TEXT_SIZE, KEY_OPTIONAL},
    {"MessageBox", "EARLIER_UNDONE", CATALOG_BOX_TEXT_SIZE, KEY_OPTIONAL},
    {"MessageBox", "NO_SPACE", CATALOG_BOX_TEXT_SIZE, KEY_OPTIONAL},
    {"MessageBox", "NO_SPACE_NEEDED", CATALOG_TEXT_SIZE, KEY_OPTIONAL},
    {"MessageBox", "NO_SPACE_FREE", CATALOG_TEXT_SIZE, KEY_OPTIONAL},
    {"WINDOW", "WINNAME_F", CATALOG_TEXT_SIZE, KEY_OPTIONAL},
};

void CheckKey(const IniFile *catalog, const char *section, const char *key,
              int size, KeyNeed need, Report *report)
{
    if (need == KEY_OPTIONAL)
        ReadOptional(catalog, section, key, (size_t)size, report, NULL);
    else
        ReadRequired(catalog, section, key, (size_t)size,
                     need == KEY_NEEDED ? SEVERITY_ERROR : SEVERITY_WARNING,
                     report, NULL);
}

void CheckControlTexts(const IniFile *catalog, Report *report)
{
    for (const ControlTextRow *row = kControlTextRows; row->key != NULL;
         row++) {
        if (row->key[0] == '\0')
            continue;
        KeyNeed need =
            IsReachedPage(row->page) ? KEY_NEEDED : KEY_HIDDEN_PAGE;
        if (row->key[0] != '@') {
            CheckKey(catalog, PlainKeySection(row), row->key,
                     CONTROL_TEXT_SIZE, need, report);
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
        CheckKey(catalog, section, name, CONTROL_TEXT_SIZE, need, report);
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
        // Presence and length are checked with the other keys.
        char value[FONT_SPEC_VALUE_SIZE];
        ReadIniString(catalog->text.data(), catalog->text.size(), "FONT",
                      key, "", value, sizeof(value), &line, NULL,
                      catalog->codePage);
        if (line == 0)
            continue;
        FontSpec spec;
        int problems = CheckFontSpec(value, &spec, catalog->codePage);
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
                  size, &line, NULL, lookup->catalog->codePage);
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
    char name[CATALOG_TEXT_SIZE];
    ChoosePictureName(page.index, page.kind, ReadPictureValue, &lookup, name,
                      sizeof(name));
    // Pictures lie in the media folder, not in the language's.
    std::string actual;
    std::string bytes;
    if (!FindMediaPath(index, name, catalog->codePage, &actual) ||
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
    // Garbled texts in a Shift-JIS catalog are lost content.
    CheckNotUtf8(catalog,
                 catalog->codePage == 932 ? SEVERITY_ERROR : SEVERITY_WARNING,
                 report);
    for (const CatalogKey &key : kCatalogKeys)
        CheckKey(catalog, key.section, key.key, key.size, key.need, report);
    CheckControlTexts(catalog, report);
    CheckFonts(catalog, report);
    for (const PicturePage &page : kPicturePages)
        CheckPicture(index, catalog, page, report);
}

int LanguageCodePage(const MediaIndex *index, const std::string &code,
                     int systemCodePage)
{
    if (IniNameEquals(code.c_str(), code.size(), "jpn"))
        return 932;
    IniFile catalog;
    if (!ReadMediaFile(index, code + "/message.ini", systemCodePage,
                       &catalog))
        return 1252;
    char value[FONT_SPEC_VALUE_SIZE];
    ReadIniString(catalog.text.data(), catalog.text.size(), "FONT",
                  "Standard", "", value, sizeof(value), NULL, NULL, 1252);
    FontSpec spec;
    CheckFontSpec(value, &spec, 1252);
    return spec.charset == 128 ? 932 : 1252;   // SHIFTJIS
}

void CheckLanguageFiles(const MediaIndex *index, const LanguageFiles *files,
                        Report *report)
{
    bool shiftJis = files->codePage == 932;
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
        CheckNotUtf8(&files->license, SEVERITY_WARNING, report);
        if (shiftJis)
            CheckShiftJisText(&files->license, report);
    }
    if (files->script.present) {
        CheckInstallScript(index, files, report);
        if (shiftJis)
            CheckShiftJisText(&files->script, report);
    }
}
