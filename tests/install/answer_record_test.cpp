// The recorded answer file on the real file system: what stands at the
// path is judged before it is replaced, no temporary file stays behind,
// and a failure is one box while nothing is written.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "common/setup_state.h"
#include "core/text/dbcs.h"
#include "install/answer_record.h"
#include "progress/run_boxes.h"
#include "tests/support/test_support.h"

namespace {

size_t FilesIn(const std::string &folder)
{
    std::vector<std::string> files, folders;
    ListTree(folder, &files, &folders);
    return files.size();
}

TEST(AnswerRecord, WhatStandsAtThePathIsJudgedFirst)
{
    ScratchDir scratch;
    std::string path = scratch.Join("rec.ini");
    CopyText(g_destinationFolder, sizeof(g_destinationFolder), "C:\\Dest");
    CopyText(g_programGroup, sizeof(g_programGroup), "Kit");
    const char *refused = NULL;
    MakeFolders(path);
    EXPECT_EQ(RECORD_NOT_REPLACED, RecordAnswers(path.c_str(), &refused));
    RemoveTree(path);
    // A file that holds no answers is not an earlier recording.
    WriteFileBytes(path, "[Files_File]\r\n");
    EXPECT_EQ(RECORD_NOT_REPLACED, RecordAnswers(path.c_str(), &refused));
    EXPECT_EQ("[Files_File]\r\n", ReadFileBytes(path));
    WriteFileBytes(path, "[Setup]\r\nReport=r.txt\r\n");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(RECORD_NOT_REPLACED, RecordAnswers(path.c_str(), &refused));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    // An earlier recording is replaced whole, not added to.
    ASSERT_EQ(RECORD_WRITTEN, RecordAnswers(path.c_str(), &refused));
    char report[16];
    GetPrivateProfileStringA("Setup", "Report", "<none>", report,
                             sizeof(report), path.c_str());
    EXPECT_STREQ("<none>", report);
    EXPECT_EQ(1u, FilesIn(scratch.path()));
}

TEST(AnswerRecord, NotRecordedIsOneBoxAndNoFile)
{
    ScratchDir scratch;
    std::string missing = scratch.Join("no folder\\rec.ini");
    CopyText(g_programGroup, sizeof(g_programGroup), "Kit");
    MessageBoxAnswerer answerer;
    RecordAnswersIfAsked(NULL);           // no -r
    g_recordAsked = 1;
    g_recordPath[0] = '\0';               // "-r" without a usable name
    RecordAnswersIfAsked(NULL);
    CopyText(g_recordPath, sizeof(g_recordPath), missing.c_str());
    RecordAnswersIfAsked(NULL);
    CopyText(g_recordPath, sizeof(g_recordPath), scratch.Join("r.ini").c_str());
    CopyText(g_programGroup, sizeof(g_programGroup), "one\r\ntwo");
    RecordAnswersIfAsked(NULL);
    g_recordAsked = 0;
    ASSERT_EQ(3u, answerer.seen().size());
    EXPECT_NE(std::string::npos, answerer.seen()[0].text.find("-r"));
    EXPECT_NE(std::string::npos, answerer.seen()[1].text.find(missing));
    EXPECT_NE(std::string::npos, answerer.seen()[2].text.find("Group"));
    EXPECT_EQ(0u, FilesIn(scratch.path()));
}

}  // namespace
