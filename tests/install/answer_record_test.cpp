// The answers of a clicked run written to a file and read back through the
// real profile service, what stands at the path judged before it is
// replaced, and the box that says the answers were not recorded.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "common/setup_state.h"
#include "core/text/dbcs.h"
#include "install/answer_record.h"
#include "tests/support/test_support.h"

namespace {

class AnswerRecord : public testing::Test {
protected:
    void SetUp() override
    {
        SetDbcsCodePage(0);
        CopyText(g_languageCode, sizeof(g_languageCode), "eng");
        CopyText(g_destinationFolder, sizeof(g_destinationFolder),
                 "  C:\\Dest = a; b  ");
        CopyText(g_programGroup, sizeof(g_programGroup), "\"Kit\"");
        if (GetACP() == 932) {
            // ソ and 表: second byte 0x5C, in the folder and at its end.
            CopyText(g_destinationFolder, sizeof(g_destinationFolder),
                     " C:\\\x83\x5C\\\x95\x5C");
            CopyText(g_programGroup, sizeof(g_programGroup), "\x95\x5C\x83\x5C");
        }
        path_ = scratch_.Join("recorded.ini");
    }
    void TearDown() override
    {
        g_recordAsked = 0;
        g_recordPath[0] = '\0';
    }

    std::string Read(const char *key) const
    {
        char value[2 * PATH_SIZE];
        GetPrivateProfileStringA("Setup", key, "<missing>", value,
                                 sizeof(value), path_.c_str());
        return value;
    }
    // Only the recorded file itself: no temporary file is left beside it.
    void ExpectOnlyRecorded(bool recorded)
    {
        std::vector<std::string> files, folders;
        ListTree(scratch_.path(), &files, &folders);
        EXPECT_EQ(recorded ? 1u : 0u, files.size());
    }

    ScratchDir scratch_;
    std::string path_;
};

TEST_F(AnswerRecord, WrittenWholeAndReadBackByTheProfileService)
{
    const char *refused = "untouched";
    WriteFileBytes(path_, "[Setup]\r\nGroup=earlier\r\nReport=C:\\r.txt\r\n");
    ASSERT_EQ(RECORD_WRITTEN, RecordAnswers(path_.c_str(), &refused));
    EXPECT_EQ("eng", Read("Language"));
    EXPECT_EQ(g_destinationFolder, Read("Destination"));
    EXPECT_EQ(g_programGroup, Read("Group"));
    // An earlier recording is replaced, not added to.
    EXPECT_EQ("<missing>", Read("Report"));
    ExpectOnlyRecorded(true);
}

TEST_F(AnswerRecord, WhatStandsAtThePathIsJudgedFirst)
{
    const char *refused = NULL;
    MakeFolders(path_);
    EXPECT_EQ(RECORD_NOT_REPLACED, RecordAnswers(path_.c_str(), &refused));
    RemoveTree(path_);

    // A file that holds no answers is not an earlier recording.
    WriteFileBytes(path_, "[Files_File]\r\nfile000=a.exe\r\n");
    EXPECT_EQ(RECORD_NOT_REPLACED, RecordAnswers(path_.c_str(), &refused));
    EXPECT_EQ("[Files_File]\r\nfile000=a.exe\r\n", ReadFileBytes(path_));

    WriteFileBytes(path_, "[Setup]\r\n");
    SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(RECORD_NOT_REPLACED, RecordAnswers(path_.c_str(), &refused));
    SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ("[Setup]\r\n", ReadFileBytes(path_));
    DeleteFileA(path_.c_str());

    std::string missing = scratch_.Join("no folder\\recorded.ini");
    EXPECT_EQ(RECORD_NOT_WRITTEN, RecordAnswers(missing.c_str(), &refused));
    ExpectOnlyRecorded(false);
}

TEST_F(AnswerRecord, NotRecordedIsToldInOneBoxAndNothingIsWritten)
{
    {
        MessageBoxAnswerer answerer;
        RecordAnswersIfAsked(NULL);           // -r not given
        g_recordAsked = 1;                    // "-r" without a usable name
        RecordAnswersIfAsked(NULL);
        std::string missing = scratch_.Join("no folder\\recorded.ini");
        CopyText(g_recordPath, sizeof(g_recordPath), missing.c_str());
        RecordAnswersIfAsked(NULL);
        CopyText(g_recordPath, sizeof(g_recordPath), path_.c_str());
        CopyText(g_programGroup, sizeof(g_programGroup), "one\r\ntwo");
        RecordAnswersIfAsked(NULL);
        ASSERT_EQ(3u, answerer.seen().size());
        EXPECT_NE(std::string::npos, answerer.seen()[0].text.find("-r"));
        EXPECT_NE(std::string::npos, answerer.seen()[1].text.find(missing))
            << answerer.seen()[1].text;
        EXPECT_NE(std::string::npos, answerer.seen()[2].text.find("Group"))
            << answerer.seen()[2].text;
    }
    ExpectOnlyRecorded(false);
}

}  // namespace
