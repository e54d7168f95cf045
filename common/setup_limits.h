// Widths of the setup program's data model, in bytes including the
// terminating NUL. Buffers are declared with these and passed on with
// sizeof, so a width lives in one place.
#pragma once

constexpr int PATH_SIZE = 260;           // any path: at most 259 characters
constexpr int COMMAND_LINE_SIZE = 128;   // copy of the command line
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
