#include "aclprobe/access_decision.h"

int TokenMayUseAllUsers(HANDLE token)
{
    SID_IDENTIFIER_AUTHORITY ntAuthority = {SECURITY_NT_AUTHORITY};
    PSID administrators = NULL;
    if (!AllocateAndInitializeSid(&ntAuthority, 2,
                                  SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  &administrators))
        return 0;
    // CheckTokenMembership counts only enabled groups, so a deny-only
    // Administrators group (a token that is not elevated) gives 0.
    BOOL member = FALSE;
    if (!CheckTokenMembership(token, administrators, &member))
        member = FALSE;
    FreeSid(administrators);
    return member ? 1 : 0;
}
