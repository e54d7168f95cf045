// The media's checksum list (MEDIA.SUM, core/media/media_sums.h): written
// from what the install scripts copy, and held against the media.
#include <string.h>

#include <set>
#include <string>
#include <vector>

#include "checkmedia/checks.h"
#include "checkmedia/media_folder.h"
#include "core/media/media_sums.h"
#include "core/setup_limits.h"

namespace {

const char kListHead[] =
    "; The files setup.exe copies from these media, with their sizes and\r\n"
    "; SHA-256 checksums, written by checkmedia --write-sums. setup.exe\r\n"
    "; checks each file it copies against this list (setup.exe -v: all of\r\n"
    "; them). Any change to a listed file needs a new list.\r\n"
    "[MediaSums]\r\n"
    "Version=1\r\n";

// The entry line as setup will read it, or "" (reported) when setup
// would refuse the list for it.
std::string FormEntry(const MediaSource &source, int index, uint64_t size,
                      const unsigned char *digest, Report *report)
{
    char line[MEDIA_SUM_LINE_SIZE + 2];
    // Read back alone, as the first entry of a list.
    int length = FormatMediaSum(line, sizeof(line), 0, size, digest,
                                source.path.c_str());
    std::string probe = std::string(kListHead) + "Count=1\r\n" +
                        (length > 0 ? line : "");
    int at = 0;
    MediaSumsProblem problem =
        length < 0 ? MEDIA_SUMS_LINE_TOO_LONG
                   : ReadMediaSums(probe.data(), probe.size(),
                                   source.codePage, NULL, NULL, &at);
    if (problem == MEDIA_SUMS_OK &&
        FormatMediaSum(line, sizeof(line), index, size, digest,
                       source.path.c_str()) > 0)
        return line;
    AddFinding(report, source.script, source.line, SEVERITY_ERROR,
               "the source %s cannot be listed in %s (%s): setup would "
               "refuse the whole list",
               source.path.c_str(), MEDIA_SUM_FILE_NAME,
               DescribeMediaSumsProblem(problem));
    return "";
}

bool KeepSum(void *context, const MediaSum *sum)
{
    ((std::vector<MediaSum> *)context)->push_back(*sum);
    return true;
}

// Each listed file on the media and as listed; the actual paths found.
std::set<std::string> CheckListedFiles(const MediaIndex *index,
                                       const std::string &file,
                                       const std::vector<MediaSum> &sums,
                                       int codePage, Report *report)
{
    std::set<std::string> listed;
    for (const MediaSum &sum : sums) {
        std::string path(sum.path, sum.pathLength);
        std::string actual;
        if (!FindMediaPath(index, path, codePage, &actual) ||
            index->isFolder.at(actual)) {
            AddFinding(report, file, sum.line, SEVERITY_ERROR,
                       "%s is not on the media", path.c_str());
            continue;
        }
        listed.insert(actual);
        uint64_t size = 0;
        unsigned char digest[SHA256_DIGEST_SIZE];
        if (!HashHostFile(JoinHostPath(index->root, actual), &size, digest) ||
            size != sum.size ||
            memcmp(digest, sum.sha256, sizeof(digest)) != 0)
            AddFinding(report, file, sum.line, SEVERITY_ERROR,
                       "%s differs from the list (%s): setup refuses it as "
                       "damaged; write the list again (--write-sums)",
                       path.c_str(),
                       size != sum.size ? "size" : "SHA-256");
    }
    return listed;
}

}  // namespace

void WriteMediaSumList(const MediaIndex *index, const MediaSources &sources,
                       Report *report)
{
    std::string entries;
    int count = 0;
    for (const auto &item : sources) {
        const MediaSource &source = item.second;
        uint64_t size = 0;
        unsigned char digest[SHA256_DIGEST_SIZE];
        if (!HashHostFile(JoinHostPath(index->root, source.actual), &size,
                          digest)) {
            AddFinding(report, source.actual, 0, SEVERITY_ERROR,
                       "cannot be read for the checksum list");
            continue;
        }
        // Judged in its script's code page: the system's where the
        // medium is meant to be used.
        std::string line = FormEntry(source, count, size, digest, report);
        if (!line.empty()) {
            entries += line;
            count++;
        }
    }
    std::string actual;
    std::string name = FindMediaPath(index, MEDIA_SUM_FILE_NAME, 1252, &actual)
                           ? actual
                           : MEDIA_SUM_FILE_NAME;
    std::string text = std::string(kListHead) + "Count=" +
                       std::to_string(count) + "\r\n" + entries;
    if (!WriteWholeFile(JoinHostPath(index->root, name), text))
        AddFinding(report, name, 0, SEVERITY_ERROR, "cannot be written");
}

void CheckMediaSumList(const MediaIndex *index, const MediaSources &sources,
                       int codePage, Report *report)
{
    std::string file;
    std::string text;
    if (!FindMediaPath(index, MEDIA_SUM_FILE_NAME, codePage, &file))
        return;
    if (!ReadWholeFile(JoinHostPath(index->root, file), &text)) {
        AddFinding(report, file, 0, SEVERITY_ERROR, "cannot be read");
        return;
    }
    std::vector<MediaSum> sums;
    int line = 0;
    MediaSumsProblem problem = ReadMediaSums(text.data(), text.size(),
                                             codePage, KeepSum, &sums, &line);
    std::vector<MediaSum> sorted = sums;
    if (problem == MEDIA_SUMS_OK)
        problem = SortMediaSums(sorted.data(), (int)sorted.size(), codePage,
                                &line);
    if (problem != MEDIA_SUMS_OK) {
        AddFinding(report, file, line, SEVERITY_ERROR,
                   "%s: setup refuses the whole list, and with it every "
                   "file of the media",
                   DescribeMediaSumsProblem(problem));
        return;
    }
    std::set<std::string> listed =
        CheckListedFiles(index, file, sums, codePage, report);
    for (const auto &item : sources) {
        if (listed.count(item.first) == 0)
            AddFinding(report, file, 0, SEVERITY_ERROR,
                       "%s is copied by %s but not in the list: setup "
                       "refuses it as damaged; write the list again "
                       "(--write-sums)",
                       item.second.path.c_str(), item.second.script.c_str());
    }
}
