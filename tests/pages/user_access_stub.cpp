// Stand-ins for ACLPROBE.DLL with a fixed answer, or without the entry
// point (an export of another name only).
#include <windows.h>

#ifdef STUB_WITHOUT_ENTRY
extern "C" __declspec(dllexport) int WINAPI CheckUserAccess(void)
{
    return 1;
}
#else
extern "C" __declspec(dllexport) int WINAPI CheckUersAcc(void)
{
    return STUB_ANSWER;
}
#endif
