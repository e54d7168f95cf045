// The unattended report's lines: one that does not fit its buffer is cut
// on a character boundary, also in Shift-JIS, and one that fits is whole.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "core/setup_limits.h"
#include "core/text/dbcs.h"
#include "install/install_report.h"
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

}  // namespace
