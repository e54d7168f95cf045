// Widths of the setup program's data model, in bytes including the
// terminating NUL. Buffers are declared with these and passed on with
// sizeof, so a width lives in one place.
#pragma once

constexpr int PATH_SIZE = 260;           // any path: at most 259 characters
constexpr int FINAL_PATH_SIZE = 1024;    // a path a handle reaches, past links
constexpr int COMMAND_LINE_SIZE = 128;   // copy of the command line
constexpr int ANSWER_FILE_SIZE = 64 * 1024;  // the largest answer file read
constexpr int LANGUAGE_CODE_SIZE = 36;   // "jpn", "eng", ...
constexpr int TITLE_TEXT_SIZE = 128;     // title and company texts
constexpr int SCRIPT_VERSION_SIZE = 64;  // [Application] Version
constexpr int GROUP_NAME_SIZE = 260;     // program group name
constexpr int LIST_VALUE_SIZE = 64;      // one language.ini value
constexpr int LANGUAGE_NAME_SIZE = 32;   // display name in the language table
constexpr int LANGUAGE_TABLE_CODE_SIZE = 16;  // code in the language table
constexpr int LANGUAGE_TABLE_ENTRIES = 64;
constexpr int REPLACE_HOLD_SIZE = 256;   // text kept behind a replaced token
constexpr int VERSION_TEXT_MAX = 255;    // longest text CompareVersions reads
constexpr int WIZARD_PAGE_COUNT = 6;

// Wizard framework: catalog reads, fonts and the page table.
constexpr int CATALOG_TEXT_SIZE = 256;     // a message, title or button text
constexpr int FONT_SPEC_VALUE_SIZE = 128;  // one [FONT] value
constexpr int FONT_FACE_SIZE = 32;         // LOGFONT face: at most 31 bytes
constexpr int CONTROL_TEXT_SIZE = 1024;    // a control text from the catalog
constexpr int CLASS_NAME_SIZE = 64;        // a control's window class name
constexpr int WIZARD_KEY_SIZE = 32;        // a key in the page table

// Installation engine.
constexpr int FILE_ENTRY_SIZE = 520;     // one "file%03d" value of a file section
constexpr int SHORTCUT_ENTRY_SIZE = 256; // one "Icon%03d" value read for Program Manager
constexpr int LOG_KEY_SIZE = 32;         // "FILE%02d", "PATH%02d"
constexpr int LOG_SECTION_SIZE = 64;     // "Paths_DLL", "UNINSTALL_Files_DLL"
constexpr int MAX_SCRIPT_ENTRIES = 999;  // file000..file998, Icon000..Icon998
constexpr int PROGMAN_COMMAND_SIZE = 512;
constexpr int DDE_DIAGNOSTIC_SIZE = 512;
constexpr int NETLIB_VERSION_SIZE = 64;  // [Files_DLL] Version, installed Version
constexpr int APP_NAME_SIZE = 32;        // [Files_DLL] AppName
constexpr int UNINSTALL_KEY_NAME_SIZE = 32;   // [UnInstLog] RegistKey
constexpr int DISPLAY_NAME_SIZE = 64;         // [UnInstLog] DispName
constexpr int PUBLISHER_SIZE = 128;           // [UnInstLog] Publisher
constexpr int UNINSTALL_KEY_PATH_SIZE = 512;  // Uninstall\<key name>
constexpr int REPORT_LINE_SIZE = 2048;   // one line of the unattended report,
                                         // its "\r\n" included
constexpr int COPY_BUFFER_SIZE = 256 * 1024;  // one read and write of a file copy
constexpr int JOURNAL_TAG_SIZE = 9;        // "~st00001": temporary and backup names
constexpr int REGISTRY_KEY_SIZE = 512;     // a key path the journal records
constexpr int REGISTRY_NAME_SIZE = 256;    // a value name: at most 255 bytes
constexpr int JOURNAL_DATA_SIZE = 12 * 1024;  // old registry data the journal
                                             // keeps; a longer value is not
                                             // changed
constexpr int JOURNAL_LINE_SIZE = 28 * 1024;  // one journal line, hex fields
                                              // included: the longest value
                                              // line fits one section
constexpr int ANSWER_TEXT_SIZE = 1024;     // a recorded answer file, whole
constexpr int CATALOG_BOX_TEXT_SIZE = 1024;  // a message-box text from the catalog
constexpr int JOURNAL_SECTION_SIZE = 32000;  // one journal section: one section
                                             // read on Windows 9x

// Wizard pages.
constexpr int WINDOW_CLASS_SIZE = 256;   // class names compared with [WINDOW] WINNAME_F
constexpr int USER_INFO_TEXT_SIZE = 256; // one box of the user information page
constexpr int USER_INFO_LIMIT = 256;     // characters each of those boxes accepts
constexpr int LOG_SNAPSHOT_SIZE = 512 * 1024;  // one whole log section
constexpr int LOG_SNAPSHOT_MAX_INDEX = 4096;   // numbered keys it tracks
constexpr int LOG_SECTION_NAMES_SIZE = 16 * 1024;  // the section names of one log

// The media's checksum list (MEDIA.SUM beside setup.exe).
constexpr int MEDIA_SUM_PATH_MAX = PATH_SIZE - 4;  // a listed path: it
                                                   // still fits below "X:\"
constexpr int MEDIA_SUM_LINE_SIZE =   // "File00000=" size "," sha256 "," path
    10 + 20 + 1 + 64 + 1 + MEDIA_SUM_PATH_MAX + 1;   // with a NUL, no line end
constexpr int MEDIA_SUM_MAX_FILES = 16384;      // entries of one list
constexpr int MEDIA_SUM_FILE_SIZE = 8 * 1024 * 1024;  // the whole list
