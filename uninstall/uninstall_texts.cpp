// Compiled with -fexec-charset=CP932: the Japanese literals become the
// Shift-JIS bytes the ANSI calls show.
#include "uninstall/uninstall_texts.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "core/text/ascii_case.h"

static const UninstallTexts kEnglish = {
    "Uninstall",
    "Remove %s and all of its components?",
    "Removing the program...",
    "The program was removed.",
    "The program was removed, with these exceptions:",
    "%d file(s) in use will be deleted when Windows restarts, such as:\n%s",
    "%d listed item(s) could not be removed, such as:\n%s",
    "The uninstall log and the entry under Add/Remove Programs were kept: "
    "remove the program again once these items can be removed.",
    "This folder was kept because it holds files of your own:\n%s\n(for "
    "example %s)",
    "The shared network library was kept: other programs still use it.",
    "The shared components were kept: SendAgent still uses them.",
    "The uninstall log cannot be read:\n%s",
    "Please close the FileAgent utility, then uninstall again.",
    "Usage: uninstall.exe [-s] LOG",
    "Another installation or removal is running. Nothing was changed. Try "
    "again when it has finished.",
    "An interrupted installation could be undone only in part; its journal "
    "is kept. Close the programs that use its files, then uninstall again.",
};

static const UninstallTexts kJapanese = {
    "アンインストール",
    "%s とそのすべてのコンポーネントを削除しますか?",
    "プログラムを削除しています...",
    "プログラムを削除しました。",
    "プログラムを削除しました。ただし次のものは残っています:",
    "使用中のファイル %d 個は Windows の再起動時に削除されます。例:\n%s",
    "削除できなかった項目が %d 個あります。例:\n%s",
    "アンインストール ログと [アプリケーションの追加と削除] の項目は残しました。"
    "これらの項目を削除できるようになってから、もう一度削除してください。",
    "このフォルダにはお使いのファイルがあるため残しました:\n%s\n(例: %s)",
    "共有ネットワーク ライブラリは他のプログラムが使用中のため残しました。",
    "共有コンポーネントは SendAgent が使用中のため残しました。",
    "アンインストール ログを読み込めません:\n%s",
    "FileAgent ユーティリティを終了してから、もう一度アンインストールしてください。",
    "使い方: uninstall.exe [-s] ログ",
    "別のインストールまたは削除を実行中です。何も変更していません。"
    "終了してから、もう一度実行してください。",
    "中断されたインストールを一部しか元に戻せなかったため、記録ファイルを残しました。"
    "そのファイルを使っているプログラムを終了してから、もう一度アンインストールしてください。",
};

const UninstallTexts *ChooseTexts(const char *languageCode)
{
    if (languageCode[0] != '\0')
        return EqualsAsciiNoCase(languageCode, "jpn") ? &kJapanese : &kEnglish;
    return GetACP() == 932 ? &kJapanese : &kEnglish;
}

// Appends a blank line and one formatted paragraph, or nothing when it
// does not fit.
static void AppendParagraph(char *text, size_t size, const char *format,
                            const char *first, const char *second, int count)
{
    char paragraph[1024];
    int length;
    if (count >= 0)
        length = snprintf(paragraph, sizeof(paragraph), format, count, first);
    else
        length = snprintf(paragraph, sizeof(paragraph), format, first, second);
    size_t used = strlen(text);
    if (length < 0 || (size_t)length >= sizeof(paragraph) ||
        used + 2 + (size_t)length >= size)
        return;
    memcpy(text + used, "\n\n", 2);
    memcpy(text + used + 2, paragraph, (size_t)length + 1);
}

void FormatClosingMessage(const UninstallTexts *texts,
                          const RemovalReport *report, char *text,
                          size_t size)
{
    if (size == 0)
        return;
    bool leftovers = report->scheduled > 0 || report->failed > 0 ||
                     report->keptFolders > 0 || report->keptNetworkLibrary ||
                     report->keptCommonFiles;
    snprintf(text, size, "%s", leftovers ? texts->doneWithLeftovers
                                         : texts->done);
    if (report->scheduled > 0)
        AppendParagraph(text, size, texts->inUse, report->firstScheduled,
                        NULL, report->scheduled);
    if (report->failed > 0)
        AppendParagraph(text, size, texts->failed, report->firstFailed, NULL,
                        report->failed);
    if (report->failed > 0)
        AppendParagraph(text, size, "%s", texts->partial, NULL, -1);
    if (report->keptFolders > 0)
        AppendParagraph(text, size, texts->userFiles, report->keptFolder,
                        report->keptFolderFile, -1);
    if (report->keptNetworkLibrary)
        AppendParagraph(text, size, "%s", texts->keptLibrary, NULL, -1);
    if (report->keptCommonFiles)
        AppendParagraph(text, size, "%s", texts->keptCommon, NULL, -1);
}
