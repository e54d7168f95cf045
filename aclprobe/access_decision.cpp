#include "aclprobe/access_decision.h"

#include <stdlib.h>

typedef BOOL(WINAPI *CheckTokenMembershipFn)(HANDLE, PSID, PBOOL);

static PSID CreateAdministratorsSid(void)
{
    SID_IDENTIFIER_AUTHORITY ntAuthority = {SECURITY_NT_AUTHORITY};
    PSID administrators = NULL;
    if (!AllocateAndInitializeSid(&ntAuthority, 2,
                                  SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  &administrators))
        return NULL;
    return administrators;
}

// The token to read when the caller names none: the thread's while it
// impersonates, else the process's. The handle is the caller's to close.
static HANDLE OpenOwnToken(void)
{
    HANDLE token = NULL;
    if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token))
        return token;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return token;
    return NULL;
}

// The groups of token in a heap block the caller frees, or NULL.
static TOKEN_GROUPS *ReadTokenGroups(HANDLE token)
{
    DWORD size = 0;
    GetTokenInformation(token, TokenGroups, NULL, 0, &size);
    if (size == 0)
        return NULL;
    TOKEN_GROUPS *groups = (TOKEN_GROUPS *)malloc(size);
    if (groups != NULL &&
        !GetTokenInformation(token, TokenGroups, groups, size, &size)) {
        free(groups);
        groups = NULL;
    }
    return groups;
}

int TokenGroupsHoldAdministrators(HANDLE token)
{
    HANDLE own = token == NULL ? OpenOwnToken() : NULL;
    TOKEN_GROUPS *groups = ReadTokenGroups(token != NULL ? token : own);
    if (own != NULL)
        CloseHandle(own);
    PSID administrators = CreateAdministratorsSid();
    int member = 0;
    for (DWORD i = 0; groups != NULL && administrators != NULL &&
                      i < groups->GroupCount;
         i++) {
        // A group held for denial only is not in force, as
        // CheckTokenMembership counts it.
        DWORD attributes = groups->Groups[i].Attributes;
        if ((attributes & SE_GROUP_ENABLED) != 0 &&
            (attributes & SE_GROUP_USE_FOR_DENY_ONLY) == 0 &&
            EqualSid(groups->Groups[i].Sid, administrators))
            member = 1;
    }
    if (administrators != NULL)
        FreeSid(administrators);
    free(groups);
    return member;
}

int TokenMayUseAllUsers(HANDLE token)
{
    // CheckTokenMembership came with Windows 2000; a static import would
    // keep the library from loading on NT 4.0 at all.
    HMODULE advapi = GetModuleHandleA("advapi32.dll");
    FARPROC found = advapi != NULL
                        ? GetProcAddress(advapi, "CheckTokenMembership")
                        : NULL;
    if (found == NULL)
        return TokenGroupsHoldAdministrators(token);
    CheckTokenMembershipFn checkMembership;
    CopyMemory(&checkMembership, &found, sizeof(found));
    PSID administrators = CreateAdministratorsSid();
    if (administrators == NULL)
        return 0;
    // CheckTokenMembership counts only enabled groups, so a deny-only
    // Administrators group (a token that is not elevated) gives 0.
    BOOL member = FALSE;
    if (!checkMembership(token, administrators, &member))
        member = FALSE;
    FreeSid(administrators);
    return member ? 1 : 0;
}
