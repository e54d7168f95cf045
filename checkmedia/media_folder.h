// The files of a media folder as a CD shows them: names match without
// regard to case. The only part of the checker that asks the system.
#pragma once

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

// Joins a name onto a host path.
std::string JoinHostPath(const std::string &folder, const std::string &name);
