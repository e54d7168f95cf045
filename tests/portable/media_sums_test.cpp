// SHA-256 against the published test vectors, and the media's checksum
// list: read strictly, a damaged or hostile list refused whole.
#include <gtest/gtest.h>

#include <string>

#include "core/media/media_sums.h"
#include "core/setup_limits.h"

namespace {

std::string HashPieces(const std::string &message, size_t piece)
{
    Sha256 hash;
    StartSha256(&hash);
    for (size_t at = 0; at < message.size(); at += piece)
        FeedSha256(&hash, message.data() + at,
                   std::min(piece, message.size() - at));
    unsigned char digest[SHA256_DIGEST_SIZE];
    FinishSha256(&hash, digest);
    char hex[SHA256_HEX_SIZE];
    FormatSha256(digest, hex);
    return hex;
}

const char kAbcHash[] =
    "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

}  // namespace

// FIPS 180-2 appendix B and the NIST examples; each message also fed in
// pieces that straddle the 64-byte blocks and the padding's boundary.
TEST(Sha256, PublishedTestVectors)
{
    struct Vector {
        std::string message;
        const char *digest;
    } vectors[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", kAbcHash},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmno"
         "ijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    // The processor's SHA instructions where it has them, and the plain
    // rounds.
    bool instructions = UsesSha256Instructions();
    for (bool allow : {true, false}) {
        AllowSha256Instructions(allow);
        SCOPED_TRACE(UsesSha256Instructions() ? "SHA instructions"
                                              : "plain rounds");
        for (const Vector &v : vectors) {
            SCOPED_TRACE(v.message.substr(0, 20));
            for (size_t piece : {(size_t)1, (size_t)55, (size_t)64,
                                 (size_t)65, (size_t)262144})
                EXPECT_EQ(v.digest, HashPieces(v.message, piece)) << piece;
        }
    }
    AllowSha256Instructions(instructions);
}

TEST(Sha256, HexDigestsParsedOnlyWhole)
{
    unsigned char digest[SHA256_DIGEST_SIZE];
    std::string upper = kAbcHash;
    for (char &c : upper)
        c = (char)toupper((unsigned char)c);
    ASSERT_TRUE(ParseSha256(upper.c_str(), upper.size(), digest));
    char hex[SHA256_HEX_SIZE];
    FormatSha256(digest, hex);
    EXPECT_STREQ(kAbcHash, hex);
    EXPECT_FALSE(ParseSha256(kAbcHash, 63, digest));
    EXPECT_FALSE(ParseSha256(("g" + upper.substr(1)).c_str(), 64, digest));
}

namespace {

struct Collected {
    std::vector<std::string> paths;
};

bool Collect(void *context, const MediaSum *sum)
{
    ((Collected *)context)->paths.push_back(
        std::string(sum->path, sum->pathLength));
    return true;
}

std::string Entry(int index, const std::string &path,
                  const std::string &size = "3")
{
    return "File" + std::string(index < 10 ? "0000" : "000") +
           std::to_string(index) + "=" + size + "," + kAbcHash + "," + path +
           "\r\n";
}

std::string List(const std::string &entries, int count)
{
    return "; checksums\r\n[MediaSums]\r\nVersion=1\r\nCount=" +
           std::to_string(count) + "\r\n" + entries;
}

MediaSumsProblem Read(const std::string &text, int *line,
                      Collected *collected = NULL, int codePage = 1252)
{
    return ReadMediaSums(text.data(), text.size(), codePage,
                         collected != NULL ? Collect : NULL, collected, line);
}

}  // namespace

TEST(MediaSums, WrittenEntriesReadBack)
{
    unsigned char digest[SHA256_DIGEST_SIZE];
    ParseSha256(kAbcHash, 64, digest);
    char line[MEDIA_SUM_LINE_SIZE + 2];
    ASSERT_GT(FormatMediaSum(line, sizeof(line), 0, 3, digest,
                             "product\\app\\FileAgent.exe"),
              0);
    // 表 (0x95 0x5C) is one character of a name, not a separator.
    std::string shiftJis = "product\\\x95\x5C\\a.txt";
    std::string text = List(std::string(line) + Entry(1, shiftJis), 2);
    Collected collected;
    int at = -1;
    EXPECT_EQ(MEDIA_SUMS_OK, Read(text, &at, &collected, 932));
    ASSERT_EQ(2u, collected.paths.size());
    EXPECT_EQ("product\\app\\FileAgent.exe", collected.paths[0]);
    EXPECT_EQ(shiftJis, collected.paths[1]);
}

TEST(MediaSums, DamagedOrHostileListsRefusedAtTheirLine)
{
    std::string good = Entry(0, "a.txt");
    struct Case {
        const char *name;
        std::string text;
        MediaSumsProblem problem;
        int line;
    } cases[] = {
        {"no header", "Version=1\r\n", MEDIA_SUMS_NOT_A_LIST, 1},
        {"empty", "", MEDIA_SUMS_NOT_A_LIST, 0},
        {"another section", List(good, 1) + "[Other]\r\n",
         MEDIA_SUMS_NOT_A_LIST, 6},
        {"NUL byte", List(good, 1) + std::string(1, '\0'),
         MEDIA_SUMS_NOT_A_LIST, 0},
        {"unknown key", List("Extra=1\r\n", 0), MEDIA_SUMS_UNKNOWN_KEY, 5},
        {"version 2", "[MediaSums]\r\nVersion=2\r\nCount=0\r\n",
         MEDIA_SUMS_BAD_VERSION, 2},
        {"no version", "[MediaSums]\r\nCount=0\r\n", MEDIA_SUMS_BAD_VERSION,
         0},
        {"fewer entries than counted", List(good, 2), MEDIA_SUMS_BAD_COUNT, 0},
        {"more entries than counted", List(good + Entry(1, "b"), 1),
         MEDIA_SUMS_OUT_OF_ORDER, 6},
        {"gap", List(good + Entry(2, "b"), 3), MEDIA_SUMS_OUT_OF_ORDER, 6},
        {"count too large", List("", MEDIA_SUM_MAX_FILES + 1),
         MEDIA_SUMS_BAD_COUNT, 4},
        {"size with a sign", List(Entry(0, "a", "-3"), 1),
         MEDIA_SUMS_BAD_SIZE, 5},
        {"size past 64 bits", List(Entry(0, "a", "18446744073709551616"), 1),
         MEDIA_SUMS_BAD_SIZE, 5},
        {"hash cut short",
         List("File00000=3," + std::string(kAbcHash, 63) + ",a\r\n", 1),
         MEDIA_SUMS_BAD_HASH, 5},
        {"hash not hex",
         List("File00000=3,x" + std::string(kAbcHash + 1) + ",a\r\n", 1),
         MEDIA_SUMS_BAD_HASH, 5},
        {"dot-dot", List(Entry(0, "..\\windows\\a.dll"), 1),
         MEDIA_SUMS_BAD_PATH, 5},
        {"complete path", List(Entry(0, "C:\\a.dll"), 1), MEDIA_SUMS_BAD_PATH,
         5},
        {"leading backslash", List(Entry(0, "\\a.dll"), 1),
         MEDIA_SUMS_BAD_PATH, 5},
        {"device", List(Entry(0, "product\\con.txt"), 1),
         MEDIA_SUMS_BAD_PATH, 5},
        {"slash", List(Entry(0, "product/a.txt"), 1), MEDIA_SUMS_BAD_PATH, 5},
        {"empty path", List(Entry(0, ""), 1), MEDIA_SUMS_BAD_PATH, 5},
        {"overlong line",
         List(Entry(0, std::string(MEDIA_SUM_LINE_SIZE, 'x')), 1),
         MEDIA_SUMS_LINE_TOO_LONG, 5},
    };
    for (const Case &c : cases) {
        int line = -1;
        EXPECT_EQ(c.problem, Read(c.text, &line)) << c.name;
        EXPECT_EQ(c.line, line) << c.name;
        EXPECT_NE(nullptr, DescribeMediaSumsProblem(c.problem));
    }
}

TEST(MediaSums, PathAndLineAtTheirLimitsReadAndOnePastRefused)
{
    std::string fullSize = "00000000000000000003";   // 20 digits
    std::string path(MEDIA_SUM_PATH_MAX, 'a');
    std::string longest = Entry(0, path, fullSize);
    ASSERT_EQ((size_t)MEDIA_SUM_LINE_SIZE - 1, longest.size() - 2);
    int line = -1;
    EXPECT_EQ(MEDIA_SUMS_OK, Read(List(longest, 1), &line));
    EXPECT_EQ(MEDIA_SUMS_BAD_PATH,
              Read(List(Entry(0, path + "a"), 1), &line));
    EXPECT_EQ(MEDIA_SUMS_LINE_TOO_LONG,
              Read(List(Entry(0, path + "a", fullSize), 1), &line));
    EXPECT_EQ(5, line);
}

TEST(MediaSums, SortedLookupFoldsCaseButNotDoubleByteCharacters)
{
    std::string text = List(Entry(0, "Product\\App\\FileAgent.EXE") +
                                Entry(1, "product\\\x83\x41.txt") +
                                Entry(2, "readme.txt"),
                            3);
    std::vector<MediaSum> sums;
    auto keep = [](void *context, const MediaSum *sum) {
        ((std::vector<MediaSum> *)context)->push_back(*sum);
        return true;
    };
    int line = 0;
    ASSERT_EQ(MEDIA_SUMS_OK, ReadMediaSums(text.data(), text.size(), 932,
                                           keep, &sums, &line));
    ASSERT_EQ(MEDIA_SUMS_OK, SortMediaSums(sums.data(), 3, 932, &line));
    auto find = [&](const std::string &path) {
        return FindMediaSum(sums.data(), 3, path.data(), path.size(), 932);
    };
    ASSERT_NE(nullptr, find("product\\app\\fileagent.exe"));
    EXPECT_EQ(5, find("product\\app\\fileagent.exe")->line);
    EXPECT_NE(nullptr, find("README.TXT"));
    EXPECT_NE(nullptr, find("PRODUCT\\\x83\x41.txt"));
    // 0x83 0x61 is another katakana, not a lower-case 0x83 0x41.
    EXPECT_EQ(nullptr, find("product\\\x83\x61.txt"));
    EXPECT_EQ(nullptr, find("product\\app"));

    std::string twice = List(Entry(0, "a.txt") + Entry(1, "A.TXT"), 2);
    sums.clear();
    ASSERT_EQ(MEDIA_SUMS_OK, ReadMediaSums(twice.data(), twice.size(), 932,
                                           keep, &sums, &line));
    EXPECT_EQ(MEDIA_SUMS_DUPLICATE, SortMediaSums(sums.data(), 2, 932, &line));
    EXPECT_EQ(6, line);
}
