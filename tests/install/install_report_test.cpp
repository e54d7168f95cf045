// The unattended report's lines: one that does not fit its buffer is cut
// on a character boundary, also in Shift-JIS, and one that fits is whole.
// A file that could not be copied is named by its source and its target,
// in the report and in the box that asks about it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "common/install_report.h"
#include "common/setup_state.h"
#include "core/setup_limits.h"
#include "core/text/dbcs.h"
#include "progress/run_boxes.h"
#include "tests/support/test_support.h"

namespace {

// The text of the report's only line, without its line break.
std::string ReportOf(const std::string &text)
{
    ScratchDir scratch;
    std::string path = scratch.Join("report.txt");
    EXPECT_EQ(1, OpenInstallReport(path.c_str()));
    ReportLine("%s", text.c_str());
    CloseInstallReport();
    std::string bytes = ReadFileBytes(path);
    EXPECT_EQ("\r\n", bytes.substr(bytes.size() < 2 ? 0 : bytes.size() - 2));
    return bytes.substr(0, bytes.size() < 2 ? 0 : bytes.size() - 2);
}

const size_t kLineMax = REPORT_LINE_SIZE - 2;   // before "\r\n"

TEST(InstallReport, ALineThatFitsIsWholeAndALongerOneIsCutAtTheBuffer)
{
    EXPECT_EQ(std::string(kLineMax, 'a'),
              ReportOf(std::string(kLineMax, 'a')));
    EXPECT_EQ(std::string(kLineMax, 'a'),
              ReportOf(std::string(kLineMax + 1, 'a')));
}

TEST(InstallReport, ACutShiftJisLineEndsInAWholeCharacter)
{
    SetDbcsCodePage(932);
    // 表 (0x95 0x5C) from an even and from an odd offset, so that the cut
    // falls between its two bytes once each way.
    for (const std::string &prefix : {std::string(), std::string("x")}) {
        SCOPED_TRACE(prefix.size());
        std::string text = prefix;
        while (text.size() < REPORT_LINE_SIZE + 4)
            text += "\x95\x5C";
        std::string line = ReportOf(text);
        EXPECT_GE(line.size(), kLineMax - 1);
        EXPECT_LE(line.size(), kLineMax);
        EXPECT_EQ(text.substr(0, line.size()), line);
        size_t at = prefix.size();
        while (at < line.size())
            at += 2;
        EXPECT_EQ(line.size(), at) << "a lone lead byte ends the line";
    }
    SetDbcsCodePage(0);
}

// The report's line for a file not copied (error 2).
std::string NotCopiedLine(const char *source, const char *target)
{
    ScratchDir scratch;
    std::string path = scratch.Join("report.txt");
    EXPECT_EQ(1, OpenInstallReport(path.c_str()));
    ReportFileNotCopied(source, target, ERROR_FILE_NOT_FOUND);
    CloseInstallReport();
    return ReadFileBytes(path);
}

TEST(InstallReport, AFileNotCopiedIsNamedWithItsSourceAndTarget)
{
    EXPECT_EQ(0u, NotCopiedLine("D:\\app\\readme.txt", "C:\\Dest\\readme.txt")
                      .find("not copied: C:\\Dest\\readme.txt from "
                            "D:\\app\\readme.txt (error 2: "));
    EXPECT_EQ(0u, NotCopiedLine("", "C:\\Dest\\readme.txt")
                      .find("not copied: C:\\Dest\\readme.txt (error 2: "));
}

// The text of the copy-failure box for a missing source, in the language
// given, built-in texts only; answered Abort.
std::string CopyFailureBox(const char *language, const std::string &source,
                           const std::string &target)
{
    CopyText(g_languageCode, sizeof(g_languageCode), language);
    g_catalogPath[0] = '\0';
    MessageBoxAnswerer answerer({IDABORT});
    EXPECT_EQ(COPY_FAILURE_ABORT,
              AskAboutCopyFailure(NULL, source.c_str(), target.c_str(),
                                  ERROR_FILE_NOT_FOUND));
    g_languageCode[0] = '\0';
    return answerer.seen().empty() ? "<no box>" : answerer.seen()[0].text;
}

TEST(CopyFailureBox, NamesTheSourceAndItsTargetInEitherLanguage)
{
    const std::string source = "D:\\app\\readme.txt";
    const std::string target = "C:\\Dest\\readme.txt";
    std::string english = CopyFailureBox("eng", source, target);
    EXPECT_NE(std::string::npos, english.find("Source: " + source)) << english;
    EXPECT_NE(std::string::npos, english.find("Destination: " + target))
        << english;
    // コピー元 and コピー先 in Shift-JIS.
    std::string japanese = CopyFailureBox("jpn", source, target);
    EXPECT_NE(std::string::npos,
              japanese.find("\x83R\x83s\x81[\x8c\xb3: " + source));
    EXPECT_NE(std::string::npos,
              japanese.find("\x83R\x83s\x81[\x90\xe6: " + target));
}

TEST(CopyFailureBox, PathsAtTheirLimitAreShownWhole)
{
    const std::string source = "D:\\" + std::string(PATH_SIZE - 4, 's');
    const std::string target = "C:\\" + std::string(PATH_SIZE - 4, 't');
    std::string text = CopyFailureBox("eng", source, target);
    EXPECT_NE(std::string::npos, text.find(source + "\n")) << text.size();
    EXPECT_NE(std::string::npos, text.find(target + "\n")) << text.size();
}

}  // namespace
