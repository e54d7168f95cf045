// The uninstall entry's values for deployment tools are steps of the
// transaction: a run killed once they are written is rolled back by the
// uninstaller, and the entry goes with every value.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/support/test_support.h"
#include "tests/transaction/txn_machine.h"

namespace {

const char kEntry[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
    "CaptureKitFileAgent";

class EntryValues : public TxnMachine {};


TEST_F(EntryValues, RunKilledAfterTheEntryIsRolledBackWithIt)
{
    // Killed as soon as the last of the values is there, before the
    // commit; a run that commits first is tried again.
    bool caught = false;
    for (int attempt = 0; attempt < 5 && !caught; attempt++) {
        ResetMachine();
        int code = RunSetup(SmallMedia(), "", [] {
            DWORD value;
            return ReadRegDword(HKEY_LOCAL_MACHINE, kEntry, "NoRepair",
                                &value);
        });
        caught = code == kEndedFromOutside && LogState() == "in progress";
    }
    ASSERT_TRUE(caught) << "no run was ended between its entry and commit";
    EXPECT_EQ("1.2.0", ReadRegString(HKEY_LOCAL_MACHINE, kEntry,
                                     "DisplayVersion"));
    EXPECT_EQ(0, RunUninstall());
    EXPECT_FALSE(UninstallEntryMade());
    EXPECT_EQ("", SnapshotDifference(Before(), Now()));
}

}  // namespace
