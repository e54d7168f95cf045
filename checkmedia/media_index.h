// Every file and folder of a media folder, found without regard to case
// as on a CD, and the INI files read from it.
#pragma once

#include <map>
#include <string>

#include "checkmedia/report.h"

struct MediaIndex {
    std::string root;                           // host path of the media
    // Folded path -> actual relative path, once folded as Shift-JIS and
    // once as a single-byte code page, for look-ups in either.
    std::map<std::string, std::string> paths;
    std::map<std::string, std::string> shiftJisPaths;
    std::map<std::string, bool> isFolder;       // actual relative -> folder
};

// A media-relative path with "\" or "/" between names, folded for the
// index: names split at whole characters of codePage, empty names
// dropped, ASCII letters in lower case.
std::string FoldMediaPath(const std::string &relative, int codePage);

// Walks the media folder and reports names longer than a Joliet CD keeps,
// names of one folder that differ only in case (a CD keeps one of them)
// and folders nested deeper than ISO 9660 allows. False (reported) when
// the media folder cannot be read.
bool IndexMedia(const std::string &root, MediaIndex *index, Report *report);

// The actual relative path ("/" between names) of a file or folder, named
// in codePage, or false.
bool FindMediaPath(const MediaIndex *index, const std::string &relative,
                   int codePage, std::string *actual);

struct IniFile {
    std::string file;   // relative, as findings name it
    std::string text;
    bool present;
    int codePage;       // the code page setup reads the text in
};

// Reads a media file named in codePage, found without regard to case;
// false (and present false) when it is not there.
bool ReadMediaFile(const MediaIndex *index, const std::string &relative,
                   int codePage, IniFile *ini);

// The limits of the profile service on an INI file: its size, each
// section's size, a byte-order mark, repeated sections and keys and lines
// that are neither a header nor an entry.
void CheckIniShape(const IniFile *ini, Report *report);

// Reports every line of a text that is not valid Shift-JIS.
void CheckShiftJisText(const IniFile *file, Report *report);

// Reports a text that is valid UTF-8 with multi-byte characters: setup
// reads it in the ANSI code page, where those come out garbled (a
// Japanese text saved as UTF-8 may even pass for Shift-JIS).
void CheckNotUtf8(const IniFile *file, Severity severity, Report *report);
