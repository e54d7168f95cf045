// A scripted stand-in for the DDEML calls of the Program Manager client.
// It records every execute command (the exact bytes sent) and every other
// call, and fails the transactions and connects it is told to fail.
#pragma once

#include <windows.h>
#include <ddeml.h>

#include <set>
#include <string>
#include <vector>

struct FakeProgman {
    // Script.
    UINT initializeResult = DMLERR_NO_ERROR;
    DWORD instanceGiven = 0x1234;
    std::set<int> failingConnects;       // by call number, from 0
    std::set<int> failingTransactions;   // by call number, from 0
    bool disconnectFails = false;
    UINT lastError = DMLERR_NOTPROCESSED;

    // Record.
    std::vector<std::string> commands;   // every transaction's bytes
    std::vector<DWORD> lengths;          // the lengths passed
    std::vector<std::string> started;    // WinExec command lines
    std::vector<UINT> startShow;
    int connects = 0;
    int transactions = 0;
    int disconnects = 0;
    int handlesCreated = 0;
    int handlesFreed = 0;
    int uninitializes = 0;
    int openConversations = 0;           // connected and not disconnected

    // Installs this fake as the DDE calls; the destructor restores them.
    FakeProgman();
    ~FakeProgman();
    FakeProgman(const FakeProgman &) = delete;
    FakeProgman &operator=(const FakeProgman &) = delete;
};
