// The DDEML diagnostic texts. They are shown as they are stored, in the
// system code page of the target systems, so this file is compiled with
// -fexec-charset=CP932 and its literals become Shift-JIS bytes.
#include "shortcuts/progman_client.h"

#include <stdio.h>
#include <string.h>

struct DdeErrorEntry {
    UINT code;
    const char *text;
};

static const DdeErrorEntry kDdeErrors[] = {
    {DMLERR_ADVACKTIMEOUT,
     "同期アドバイズ トランザクションの要求がタイムアウトになりました。"},
    {DMLERR_BUSY,
     "トランザクションへの応答によりDDE_FBUSYビットがセットされました。"},
    {DMLERR_DATAACKTIMEOUT,
     "同期データ トランザクションの要求がタイムアウトになりました。"},
    {DMLERR_DLL_NOT_INITIALIZED,
     "DdeInitialize関数を呼び出さずDDEMLを呼び出したか、無効なインスタンス識別子"},
    {DMLERR_DLL_USAGE,
     "APPCLASS_MONITORとして初期化されたアプリケーションがDDEトランザクションを"
     "実行しようとしました。または、APPCMD_CLIENTONLYとして初期化された"
     "アプリケーションがサーバ トランザクションを実行しようとしました。"},
    {DMLERR_EXECACKTIMEOUT,
     "同期実行トランザクションの要求がタイムアウトになりました。"},
    {DMLERR_INVALIDPARAMETER, "DDEMLが無効なパラメータを検出しました。"},
    {DMLERR_LOW_MEMORY,
     "DDEMLアプリケーションが、サーバ先行状態 (サーバ アプリケーションが"
     "クライアントより速く動作している状態) を引き起こしたため、大量のメモリが"
     "消費されました。"},
    {DMLERR_MEMORY_ERROR, "メモリの割り当てに失敗しました。"},
    {DMLERR_NOTPROCESSED, "トランザクションの実行に失敗しました。"},
    {DMLERR_NO_CONV_ESTABLISHED,
     "クライアントが確立しようとした対話を確立できませんでした。"},
    {DMLERR_POKEACKTIMEOUT,
     "同期ポーク トランザクションの要求がタイムアウトになりました。"},
    {DMLERR_POSTMSG_FAILED,
     "DDEML内部でPostMessage関数の呼び出しに失敗しました。"},
    {DMLERR_REENTRANCY,
     "同期トランザクションをすでに実行しているアプリケーションインスタンスが"
     "ほかの同期トランザクションを開始しようとしたか、DdeEnableCallback関数が"
     "DDEMLコールバック関数から呼び出されました。"},
    {DMLERR_SERVER_DIED,
     "クライアントが終了させた対話でサーバ側のトランザクションを実行しようと"
     "したか、トランザクションが完了する前にサーバが終了しました。"},
    {DMLERR_SYS_ERROR, "DDEMLで内部エラーが発生しました。"},
    {DMLERR_UNADVACKTIMEOUT,
     "アドバイズ トランザクションを終了するための要求がタイムアウトになりました。"},
    {DMLERR_UNFOUND_QUEUE_ID,
     "無効なトランザクション識別子がDDEML関数に渡されました。いったん"
     "アプリケーションがXTYP_XACT_COMPLETEコールバックから戻ると、その"
     "コールバックのトランザクション識別子は無効になります。"},
};

static bool IsShiftJisLead(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The texts are Shift-JIS whatever the system code page is, so a buffer too
// small for one (the longest is 203 bytes) cuts it between characters of
// that code page.
static void CopyShiftJis(char *dest, size_t size, const char *source)
{
    if (size == 0)
        return;
    size_t used = 0;
    const unsigned char *p = (const unsigned char *)source;
    while (*p != 0) {
        size_t width = (IsShiftJisLead(*p) && p[1] != 0) ? 2 : 1;
        if (used + width > size - 1)
            break;
        memcpy(dest + used, p, width);
        used += width;
        p += width;
    }
    dest[used] = '\0';
}

void DdeErrorText(char *text, size_t size, UINT code)
{
    for (const DdeErrorEntry &entry : kDdeErrors) {
        if (entry.code == code) {
            CopyShiftJis(text, size, entry.text);
            return;
        }
    }
}

void FormatDisconnectTitle(char *title, size_t size, unsigned errorCount)
{
    snprintf(title, size, "%u回のエラーが起きたがかろうじて登録出来た",
             errorCount);
}
