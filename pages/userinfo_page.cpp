// Page 5: the user information page. No page move leads here; when it is
// current it stores the delivery settings of the SendAgent product of
// this edition, runs the installation and moves to the finish page.
#include "pages/pages.h"

#include "common/registry_writers.h"
#include "common/setup_state.h"
#include "progress/install_progress.h"
#include "resources/resource.h"
#include "wizard/wizard_messages.h"

static const char kSendAgentKey[] = "Software\\Veltrane\\CaptureKit\\SendAgent";

struct UserInfoField {
    int controlId;
    const char *valueName;
};

static const UserInfoField kUserInfoFields[] = {
    {IDC_USERINFO_SERVER, "SERV"},
    {IDC_USERINFO_ADMIN_NAME, "ADMIN NAME"},
    {IDC_USERINFO_ADMIN_ADDR, "ADMIN ADDR"},
};

static void LimitUserInfoBoxes(HWND page)
{
    for (const UserInfoField &field : kUserInfoFields)
        SendDlgItemMessageA(page, field.controlId, EM_LIMITTEXT,
                            USER_INFO_LIMIT, 0);
}

// The three values replace what the key held under their names. The key
// itself is kept: it also holds the SendAgent product's own values (its
// "Version" among them), which other setups read.
static void StoreUserInfo(HWND page)
{
    for (const UserInfoField &field : kUserInfoFields) {
        char text[USER_INFO_TEXT_SIZE];
        GetDlgItemTextA(page, field.controlId, text, sizeof(text));
        WriteStringValue(HKEY_LOCAL_MACHINE, kSendAgentKey, field.valueName,
                         text);
    }
}

INT_PTR CALLBACK UserInfoPageProc(HWND page, UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        LimitUserInfoBoxes(page);
        break;
    case WM_WIZARD_NEXT:
        StoreUserInfo(page);
        DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_INSTALL_PROGRESS),
                        page, InstallProgressProc, 0);
        g_currentPage = PAGE_FINISH;
        break;
    case WM_WIZARD_BACK:
        g_currentPage = PAGE_PROGRAM_GROUP;
        break;
    }
    return 0;
}
