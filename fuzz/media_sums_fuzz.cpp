// The media's checksum list with fuzzed text, under the Western and the
// Shift-JIS code page: the reader never reads past the text, each entry
// it hands out lies inside the text and passes the rules it promises,
// and sorting and looking up the entries of a sound list finds each one.
// SHA-256 fed in fuzzed pieces equals the digest of the whole.
#include <string.h>

#include <string>
#include <vector>

#include "core/media/media_sums.h"
#include "fuzz/fuzz_input.h"

struct Seen {
    const char *text;
    size_t size;
    std::vector<MediaSum> sums;
};

static bool Keep(void *context, const MediaSum *sum)
{
    Seen *seen = (Seen *)context;
    FUZZ_CHECK(sum->path > seen->text &&
               sum->path + sum->pathLength <= seen->text + seen->size);
    FUZZ_CHECK(sum->pathLength > 0 && sum->path[0] != '\\');
    FUZZ_CHECK(memchr(sum->path, '/', sum->pathLength) == NULL);
    seen->sums.push_back(*sum);
    return true;
}

static void CheckHashPieces(const uint8_t *data, size_t size, uint8_t piece)
{
    unsigned char whole[SHA256_DIGEST_SIZE];
    unsigned char pieces[SHA256_DIGEST_SIZE];
    Sha256 hash;
    StartSha256(&hash);
    FeedSha256(&hash, data, size);
    FinishSha256(&hash, whole);
    StartSha256(&hash);
    size_t step = piece + 1u;
    for (size_t at = 0; at < size; at += step)
        FeedSha256(&hash, data + at, size - at < step ? size - at : step);
    FinishSha256(&hash, pieces);
    FUZZ_CHECK(memcmp(whole, pieces, sizeof(whole)) == 0);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzReader reader = MakeReader(data, size);
    uint8_t options = TakeByte(&reader);
    int codePage = CodePageFromByte(options);
    size_t length = 0;
    uint8_t *text = TakeRest(&reader, &length);
    CheckHashPieces(text, length, (uint8_t)(options >> 1));
    Seen seen = {(const char *)text, length, {}};
    int line = 0;
    MediaSumsProblem problem = ReadMediaSums(
        (const char *)text, length, codePage, Keep, &seen, &line);
    FUZZ_CHECK(DescribeMediaSumsProblem(problem) != NULL);
    if (problem == MEDIA_SUMS_OK &&
        SortMediaSums(seen.sums.data(), (int)seen.sums.size(), codePage,
                      &line) == MEDIA_SUMS_OK) {
        for (const MediaSum &sum : seen.sums)
            FUZZ_CHECK(FindMediaSum(seen.sums.data(), (int)seen.sums.size(),
                                    sum.path, sum.pathLength,
                                    codePage) != NULL);
    }
    free(text);
    return 0;
}
