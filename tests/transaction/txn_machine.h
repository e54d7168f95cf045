// The machine the transaction tests install on, and its media: about 300
// files in the sample's sections, the shared library NETLNK32.DLL going to
// the System folder, where an older one (known bytes) already lies and an
// older "Version" and another product's use of it are registered.
// setup.exe and uninstall.exe run as processes; ResetMachine puts the
// machine back as it was before each case, whatever a failed run left.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/hostile/hostile_support.h"
#include "tests/support/machine_snapshot.h"
#include "tests/support/test_support.h"

extern const char kTxnLog[];
extern const char kTxnDestination[];
extern const char kTxnGroup[];
extern const int kTxnDataFiles;

// Media folder written once for the whole program; librarySize is the
// size of the new NETLNK32.DLL.
struct TxnMedia {
    std::string folder;
    size_t librarySize = 0;
};

class TxnMachine : public testing::Test {
public:
    static const TxnMedia &SmallMedia();   // a 64 KiB library
    static const TxnMedia &LargeMedia();   // a 32 MiB library
    static std::string LibraryPath();      // System folder\NETLNK32.DLL
    static std::string OldLibrary();
    static std::string NewLibrary(size_t size);
    // "the old library", "the whole new library", or a size: for
    // messages, which must not print megabytes.
    static std::string Describe(const std::string &bytes);
    // Closes the folder windows a setup or uninstall run left: this
    // program runs dozens, and their windows would exhaust the display.
    static void CloseRunWindows();

    // The machine as it was before any run; taken once, after the first
    // reset.
    static const MachineSnapshot &Before();
    // As it was, but for the shared library a committed run upgraded:
    // another product still uses it, so its new bytes and version stay
    // after the uninstall.
    static MachineSnapshot BeforeWithUpgradedLibrary();
    static MachineSnapshot Now();

    static void ResetMachine();

    // The media's install script with another uninstall log and dataFiles
    // data files (their sources written when missing); called with
    // kTxnLog and kTxnDataFiles it is as written at first.
    static void RewriteScript(const TxnMedia &media,
                              const std::string &logPath,
                              int dataFiles = kTxnDataFiles);

    // setup.exe -s -aanswers.ini (answers written first, the report asked
    // for); endWhen as RunProcessEndedWhen's.
    int RunSetup(const TxnMedia &media, const std::string &onError = "",
                 const std::function<bool()> &endWhen = nullptr);
    // Its command line, the answers written first, reporting to report:
    // for a run started by the test itself.
    static std::string SetupCommandLine(const TxnMedia &media,
                                        const std::string &report,
                                        const std::string &onError = "");
    // uninstall.exe -s on the sample's log (or on log).
    int RunUninstall(const std::function<bool()> &endWhen = nullptr,
                     const std::string &log = kTxnLog);

    // "in progress", "complete", "<no state>" or "<no log>".
    static std::string LogState();
    static int DataFilesInstalled();
    // Whether the shortcut of that title is in the group folder.
    static bool ShortcutMade(const std::string &title);
    static bool UninstallEntryMade();
    // One line for the table: log state, files, library, registry.
    static std::string DescribeState();

protected:
    void SetUp() override;
    void TearDown() override;

    std::vector<std::string> Report() const;
    std::string LastLine() const;
    // Whether a line of the report holds text (case-insensitive).
    bool Reported(const std::string &text) const;

    // A source file of the product's app folder in the media.
    static std::string SourcePath(const TxnMedia &media, const char *name);

    ScratchDir scratch_;
    std::string report_;
};
