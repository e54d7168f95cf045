// The files of a media folder as a CD shows them: names match without
// regard to case. The only part of the checker that asks the system.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

struct FolderEntry {
    std::string name;
    bool isFolder;
};

// The entries of a folder (without "." and ".."); false when it cannot be
// read.
bool ListFolder(const std::string &folder, std::vector<FolderEntry> *entries);

// The whole file; false when it cannot be read.
bool ReadWholeFile(const std::string &path, std::string *bytes);

// A name as the host gives it, in codePage (932 or 1252) as setup on
// Windows will see it once the media are on a CD: on Windows the name
// itself (the system hands names over in the ANSI code page); elsewhere
// the host's UTF-8 converted. False when the name is not valid UTF-8 (raw
// bytes of another code page, which a CD made here does not hold as
// setup names them) or holds a character codePage lacks; *converted is
// then the name as it is.
bool HostNameInCodePage(const std::string &name, int codePage,
                        std::string *converted);

// The size and SHA-256 of a whole file, read in pieces; false when it
// cannot be read.
bool HashHostFile(const std::string &path, uint64_t *size,
                  unsigned char digest[32]);

// Writes bytes as the whole file; false when that fails.
bool WriteWholeFile(const std::string &path, const std::string &bytes);

// Joins a name onto a host path.
std::string JoinHostPath(const std::string &folder, const std::string &name);
