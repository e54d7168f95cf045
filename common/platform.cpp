#include "common/platform.h"

static DWORD g_versionOverride;

bool IsWin95Family()
{
    DWORD version = g_versionOverride != 0 ? g_versionOverride : GetVersion();
    return (version & 0x80000000u) != 0;
}

void OverridePlatformVersion(DWORD version)
{
    g_versionOverride = version;
}

DWORD ProfileSectionReadSize(DWORD wanted)
{
    const DWORD win95Limit = 32767;
    return IsWin95Family() && wanted > win95Limit ? win95Limit : wanted;
}
