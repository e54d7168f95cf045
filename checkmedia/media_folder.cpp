#include "checkmedia/media_folder.h"

#include <stdio.h>

#include "core/media/sha256.h"
#include "core/text/dbcs.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <iconv.h>
#include <sys/stat.h>
#endif

bool ListFolder(const std::string &folder, std::vector<FolderEntry> *entries)
{
    entries->clear();
#ifdef _WIN32
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(JoinHostPath(folder, "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..")
            continue;
        bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entries->push_back(FolderEntry{name, isFolder});
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return true;
#else
    DIR *dir = opendir(folder.c_str());
    if (dir == NULL)
        return false;
    while (struct dirent *entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat info;
        bool isFolder =
            stat(JoinHostPath(folder, name).c_str(), &info) == 0 &&
            S_ISDIR(info.st_mode);
        entries->push_back(FolderEntry{name, isFolder});
    }
    closedir(dir);
    return true;
#endif
}

bool ReadWholeFile(const std::string &path, std::string *bytes)
{
    bytes->clear();
    FILE *file = fopen(path.c_str(), "rb");
    if (file == NULL)
        return false;
    char chunk[65536];
    size_t got;
    while ((got = fread(chunk, 1, sizeof(chunk), file)) > 0)
        bytes->append(chunk, got);
    bool ok = ferror(file) == 0;
    fclose(file);
    return ok;
}

bool HashHostFile(const std::string &path, uint64_t *size,
                  unsigned char digest[32])
{
    FILE *file = fopen(path.c_str(), "rb");
    if (file == NULL)
        return false;
    static char chunk[256 * 1024];
    Sha256 hash;
    StartSha256(&hash);
    *size = 0;
    size_t got;
    while ((got = fread(chunk, 1, sizeof(chunk), file)) > 0) {
        FeedSha256(&hash, chunk, got);
        *size += got;
    }
    bool ok = ferror(file) == 0;
    fclose(file);
    FinishSha256(&hash, digest);
    return ok;
}

bool WriteWholeFile(const std::string &path, const std::string &bytes)
{
    FILE *file = fopen(path.c_str(), "wb");
    if (file == NULL)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && ok;
}

bool HostNameInCodePage(const std::string &name, int codePage,
                        std::string *converted)
{
    *converted = name;
#ifdef _WIN32
    (void)codePage;
    return true;
#else
    bool ascii = true;
    for (char c : name)
        ascii = ascii && (unsigned char)c < 0x80;
    if (ascii)
        return true;
    iconv_t convert = iconv_open(codePage == 932 ? "CP932" : "CP1252",
                                 "UTF-8");
    if (convert == (iconv_t)-1)
        return false;
    std::string in = name;
    std::string out(name.size() * 2 + 4, '\0');
    char *inPointer = &in[0];
    char *outPointer = &out[0];
    size_t inLeft = in.size();
    size_t outLeft = out.size();
    bool whole = iconv(convert, &inPointer, &inLeft, &outPointer,
                       &outLeft) != (size_t)-1 &&
                 inLeft == 0;
    iconv_close(convert);
    if (whole)
        *converted = out.substr(0, out.size() - outLeft);
    return whole;
#endif
}

std::string JoinHostPath(const std::string &folder, const std::string &name)
{
#ifdef _WIN32
    // A trailing 0x5C may be the second byte of a double-byte character.
    if (folder.empty() || folder.back() == '/' ||
        EndsWithSeparator(folder.c_str()))
        return folder + name;
    return folder + '\\' + name;
#else
    // A backslash is an ordinary byte of a name here.
    if (folder.empty() || folder.back() == '/')
        return folder + name;
    return folder + '/' + name;
#endif
}
