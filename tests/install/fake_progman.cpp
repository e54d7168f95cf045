#include "tests/install/fake_progman.h"

#include "shortcuts/progman_client.h"

static FakeProgman *g_fake;

static UINT WINAPI FakeInitialize(LPDWORD instance, PFNCALLBACK, DWORD, DWORD)
{
    if (g_fake->initializeResult == DMLERR_NO_ERROR)
        *instance = g_fake->instanceGiven;
    return g_fake->initializeResult;
}

static HSZ WINAPI FakeCreateStringHandle(DWORD, LPCSTR, int)
{
    g_fake->handlesCreated++;
    return (HSZ)(INT_PTR)(0x100 + g_fake->handlesCreated);
}

static BOOL WINAPI FakeFreeStringHandle(DWORD, HSZ)
{
    g_fake->handlesFreed++;
    return TRUE;
}

static HCONV WINAPI FakeConnect(DWORD, HSZ, HSZ, PCONVCONTEXT)
{
    int call = g_fake->connects++;
    if (g_fake->failingConnects.count(call))
        return NULL;
    g_fake->openConversations++;
    return (HCONV)(INT_PTR)0x500;
}

static HDDEDATA WINAPI FakeTransaction(LPBYTE data, DWORD length, HCONV,
                                       HSZ, UINT, UINT, DWORD, LPDWORD)
{
    int call = g_fake->transactions++;
    g_fake->commands.push_back((const char *)data);
    g_fake->lengths.push_back(length);
    if (g_fake->failingTransactions.count(call))
        return NULL;
    return (HDDEDATA)TRUE;
}

static UINT WINAPI FakeGetLastError(DWORD)
{
    return g_fake->lastError;
}

static BOOL WINAPI FakeDisconnect(HCONV)
{
    g_fake->disconnects++;
    g_fake->openConversations--;
    return g_fake->disconnectFails ? FALSE : TRUE;
}

static BOOL WINAPI FakeUninitialize(DWORD)
{
    g_fake->uninitializes++;
    return TRUE;
}

static UINT WINAPI FakeStart(LPCSTR commandLine, UINT show)
{
    g_fake->started.push_back(commandLine);
    g_fake->startShow.push_back(show);
    return 33;
}

FakeProgman::FakeProgman()
{
    g_fake = this;
    DdeFunctions functions = {
        FakeInitialize, FakeCreateStringHandle, FakeFreeStringHandle,
        FakeConnect,    FakeTransaction,        FakeGetLastError,
        FakeDisconnect, FakeUninitialize,       FakeStart,
    };
    SetDdeFunctions(&functions);
}

FakeProgman::~FakeProgman()
{
    SetDdeFunctions(NULL);
    g_fake = nullptr;
}
