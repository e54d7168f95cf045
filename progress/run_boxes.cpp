// Compiled with -fexec-charset=CP932: the Japanese texts are Shift-JIS in
// the program, as the systems they are shown on expect.
#include "progress/run_boxes.h"

#include <stdio.h>
#include <string.h>

#include "common/install_report.h"
#include "common/setup_state.h"
#include "core/admin/space_need.h"
#include "core/catalog/line_breaks.h"
#include "core/setup_limits.h"
#include "core/text/ascii_case.h"
#include "core/text/dbcs.h"
#include "install/answer_record.h"
#include "install/file_copy.h"
#include "log/log_files.h"

struct BuiltInText {
    const char *key;
    const char *english;
    const char *japanese;
};

static const BuiltInText kTexts[] = {
    {"COPY_FAILED", "A file could not be copied.",
     "ファイルをコピーできませんでした。"},
    {"SETUP_CANCELLED",
     "Setup was cancelled. Nothing on this computer was changed.",
     "セットアップを中止しました。このコンピュータは何も変更されていません。"},
    {"EARLIER_UNDONE",
     "An earlier setup was interrupted. Its changes have been undone.",
     "前回のセットアップは中断されていました。その変更を元に戻しました。"},
    // The labels of the copy-failure box's two paths (built-in only).
    {"COPY_SOURCE", "Source: ", "コピー元: "},
    {"COPY_TARGET", "Destination: ", "コピー先: "},
    {"NO_SPACE",
     "There is not enough free space for the installation. Free some space "
     "on the drive and choose Retry, or choose Cancel to end setup without "
     "changing anything.",
     "インストールに必要な空き領域が足りません。ドライブの空き領域を増やして"
     "［再試行］を選ぶか、［キャンセル］を選んで何も変更せずにセットアップを"
     "終了してください。"},
    {"NO_SPACE_NEEDED", "Needed:", "必要な領域:"},
    {"NO_SPACE_FREE", "Free:", "空き領域:"},
    {"ANOTHER_RUN",
     "Another installation is running. Nothing was changed. Try again when "
     "it has finished.",
     "別のインストールを実行中です。何も変更していません。"
     "終了してから、もう一度実行してください。"},
    {"JOURNAL_FAILED",
     "Setup cannot write its journal beside the uninstall log, so it could "
     "not undo an installation that fails. Nothing was changed.\n%s",
     "アンインストール ログの横に記録ファイルを書き込めないため、"
     "失敗したインストールを元に戻せません。何も変更していません。\n%s"},
    {"EARLIER_STRANDED",
     "An earlier setup that was interrupted could not be undone in full; "
     "its journal is kept:\n%s\nClose the programs that use its files, then "
     "run setup or the uninstaller again.",
     "中断された前回のセットアップを完全には元に戻せませんでした。"
     "記録ファイルは残しています:\n%s\nそのファイルを使っているプログラムを"
     "終了してから、セットアップまたはアンインストールをもう一度実行してください。"},
    {"UNDO_INCOMPLETE",
     "Setup was cancelled, but some of its changes could not be undone. Run "
     "setup again to finish undoing them.",
     "セットアップを中止しましたが、一部の変更を元に戻せませんでした。"
     "もう一度セットアップを実行すると、残りを元に戻します。"},
    {"TITLE_ERROR", "Setup", "セットアップ"},
    {"TITLE_MESSAGE", "Setup", "セットアップ"},
    {"RESTART_NEEDED",
     "%d file(s) in use will be replaced when the computer restarts. "
     "Restart the computer to finish the installation.\nThe first one: %s",
     "使用中のファイル %d 個は、コンピュータの再起動時に置き換えられます。"
     "インストールを完了するには、コンピュータを再起動してください。\n"
     "最初のファイル: %s"},
    {"RECORD_NO_NAME",
     "The answers could not be recorded: the file name after -r is empty "
     "or too long.\nThe installation itself is complete.",
     "-r の後のファイル名が空か長すぎるため、応答を記録できませんでした。\n"
     "インストール自体は完了しています。"},
    {"RECORD_NOT_WRITTEN",
     "The answers could not be recorded in %s.\nThe installation itself is "
     "complete.",
     "応答を %s に記録できませんでした。\nインストール自体は完了しています。"},
    {"RECORD_UNREADABLE",
     "The answers were not recorded: the %s answer cannot be written so "
     "that an unattended run reads it back the same.\nThe installation "
     "itself is complete.",
     "%s の応答は無人インストールで同じに読み戻せる形で書けないため、"
     "応答を記録しませんでした。\nインストール自体は完了しています。"},
};

static const char *BuiltIn(const char *key)
{
    bool japanese = EqualsAsciiNoCase(g_languageCode, "jpn");
    for (const BuiltInText &text : kTexts)
        if (strcmp(text.key, key) == 0)
            return japanese ? text.japanese : text.english;
    return "";
}

void ReadRunBoxText(const char *key, char *text, size_t size)
{
    if (size == 0)
        return;
    text[0] = '\0';
    if (g_catalogPath[0] != '\0')
        GetPrivateProfileStringA("MessageBox", key, "", text, (DWORD)size,
                                 g_catalogPath);
    if (text[0] == '\0')
        CopyText(text, size, BuiltIn(key));
    ApplyLineBreaks(text);
}

// The longest label of BuiltIn's path labels, with room to spare.
static const size_t kPathLabelSize = 32;

// The box's text: the catalog's intro, the source the file was to be read
// from (when the entry has one: a missing file on the medium is its
// fault, not the destination's), the target, and the reason.
static void FormCopyFailureText(const char *source, const char *file,
                                const char *reason, char *text, size_t size)
{
    char intro[CATALOG_BOX_TEXT_SIZE];
    ReadRunBoxText("COPY_FAILED", intro, sizeof(intro));
    if (source[0] == '\0')
        snprintf(text, size, "%s\n%s\n%s", intro, file, reason);
    else
        snprintf(text, size, "%s\n%s%s\n%s%s\n%s", intro,
                 BuiltIn("COPY_SOURCE"), source, BuiltIn("COPY_TARGET"),
                 file, reason);
}

CopyFailureChoice AskAboutCopyFailure(void *context, const char *source,
                                      const char *file, DWORD error)
{
    char caption[CATALOG_BOX_TEXT_SIZE];
    char reason[256];
    ReadRunBoxText("TITLE_ERROR", caption, sizeof(caption));
    if (error != 0)
        GetErrorText(error, reason, sizeof(reason));
    else
        CopyText(reason, sizeof(reason),
                 "The name or folder does not fit a path.");
    if (reason[0] == '\0')
        snprintf(reason, sizeof(reason), "Error %lu.", (unsigned long)error);
    char text[CATALOG_BOX_TEXT_SIZE + 2 * (kPathLabelSize + PATH_SIZE) +
              sizeof(reason) + 4];
    FormCopyFailureText(source, file, reason, text, sizeof(text));
    int answer = MessageBoxA((HWND)context, text, caption,
                             MB_ABORTRETRYIGNORE | MB_ICONERROR);
    if (answer == IDRETRY)
        return COPY_FAILURE_RETRY;
    if (answer == IDABORT)
        return COPY_FAILURE_ABORT;
    // Ignore, or a box that could not be shown (0): today's way, the
    // closing warning names the file; nothing is undone unasked.
    return COPY_FAILURE_IGNORE;
}

static void ShowCatalogMessage(HWND owner, const char *key)
{
    char text[CATALOG_BOX_TEXT_SIZE];
    char caption[CATALOG_BOX_TEXT_SIZE];
    ReadRunBoxText(key, text, sizeof(text));
    ReadRunBoxText("TITLE_MESSAGE", caption, sizeof(caption));
    MessageBoxA(owner, text, caption, MB_ICONINFORMATION);
}

void ShowSetupCancelled(HWND owner)
{
    ShowCatalogMessage(owner, "SETUP_CANCELLED");
}

void ShowEarlierRunUndone(HWND owner)
{
    ShowCatalogMessage(owner, "EARLIER_UNDONE");
}

void ShowRestartNeeded(HWND owner, int count, const char *firstFile)
{
    char text[CATALOG_BOX_TEXT_SIZE + PATH_SIZE];
    snprintf(text, sizeof(text), BuiltIn("RESTART_NEEDED"), count, firstFile);
    MessageBoxA(owner, text, BuiltIn("TITLE_MESSAGE"), MB_ICONINFORMATION);
}

void ShowAnswersNotRecorded(HWND owner, const char *textKey,
                            const char *detail)
{
    char text[CATALOG_BOX_TEXT_SIZE + PATH_SIZE];
    snprintf(text, sizeof(text), BuiltIn(textKey), detail);
    MessageBoxA(owner, text, BuiltIn("TITLE_MESSAGE"), MB_ICONWARNING);
}

// A built-in text with the journal's file in it.
static void ShowJournalBox(HWND owner, const char *key)
{
    char journal[PATH_SIZE];
    char logPath[PATH_SIZE];
    ReadUninstallLogPath(g_scriptPath, logPath, sizeof(logPath));
    FormJournalName(logPath, journal, sizeof(journal));
    char text[CATALOG_BOX_TEXT_SIZE + PATH_SIZE];
    snprintf(text, sizeof(text), BuiltIn(key), journal);
    MessageBoxA(owner, text, BuiltIn("TITLE_ERROR"), MB_ICONWARNING);
}

void ShowAnotherRunBox(HWND owner)
{
    MessageBoxA(owner, BuiltIn("ANOTHER_RUN"), BuiltIn("TITLE_ERROR"),
                MB_ICONWARNING);
}

void ShowRunNotFinished(HWND owner, InstallOutcome outcome)
{
    if (outcome == INSTALL_JOURNAL_REFUSED)
        ShowJournalBox(owner, "JOURNAL_FAILED");
    else if (outcome == INSTALL_EARLIER_STRANDED)
        ShowJournalBox(owner, "EARLIER_STRANDED");
    else if (outcome == INSTALL_ROLLBACK_LEFT)
        MessageBoxA(owner, BuiltIn("UNDO_INCOMPLETE"), BuiltIn("TITLE_ERROR"),
                    MB_ICONWARNING);
    else
        ShowSetupCancelled(owner);
}

// One box: the catalog's NO_SPACE text, the drive, needed and free, in
// KB (the need rounded up, the free space down).
bool AskToFreeSpace(void *context, const char *root,
                    unsigned long long need, unsigned long long free)
{
    char intro[CATALOG_BOX_TEXT_SIZE];
    char caption[CATALOG_BOX_TEXT_SIZE];
    char neededLabel[CATALOG_TEXT_SIZE];
    char freeLabel[CATALOG_TEXT_SIZE];
    ReadRunBoxText("NO_SPACE", intro, sizeof(intro));
    ReadRunBoxText("TITLE_ERROR", caption, sizeof(caption));
    ReadRunBoxText("NO_SPACE_NEEDED", neededLabel, sizeof(neededLabel));
    ReadRunBoxText("NO_SPACE_FREE", freeLabel, sizeof(freeLabel));
    char needText[24], freeText[24];
    FormatByteCount(WholeClusters(need, 1024) / 1024, needText,
                    sizeof(needText));
    FormatByteCount(free / 1024, freeText, sizeof(freeText));
    char text[sizeof(intro) + PATH_SIZE + 2 * CATALOG_TEXT_SIZE + 64];
    snprintf(text, sizeof(text), "%s\n\n%s\n%s %s KB\n%s %s KB", intro, root,
             neededLabel, needText, freeLabel, freeText);
    return MessageBoxA((HWND)context, text, caption, MB_RETRYCANCEL | MB_ICONERROR) ==
           IDRETRY;
}

void RecordAnswersIfAsked(HWND owner)
{
    if (!g_recordAsked)
        return;
    if (g_recordPath[0] == '\0') {
        ShowAnswersNotRecorded(owner, "RECORD_NO_NAME", "");
        return;
    }
    const char *refusedKey = NULL;
    RecordOutcome outcome = RecordAnswers(g_recordPath, &refusedKey);
    if (outcome == RECORD_VALUE_REFUSED)
        ShowAnswersNotRecorded(owner, "RECORD_UNREADABLE", refusedKey);
    else if (outcome != RECORD_WRITTEN)
        ShowAnswersNotRecorded(owner, "RECORD_NOT_WRITTEN", g_recordPath);
}
