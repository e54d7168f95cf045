// Which platform family the program runs on. Wine's 64-bit loader always
// reports the NT family, so tests reach the 95 branch through the override.
#pragma once

#include <windows.h>

// True on Windows 95/98/Me: the top bit of GetVersion() is set.
bool IsWin95Family();

// Tests only: replaces GetVersion()'s result (0 restores the real one).
void OverridePlatformVersion(DWORD version);

// The largest buffer to give a profile section read: wanted, but at most
// 32,767 bytes on Windows 9x, which reads no more than that.
DWORD ProfileSectionReadSize(DWORD wanted);
