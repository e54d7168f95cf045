// What an uninstall log asks to have removed, judged before anything goes:
// the log's notes, the file, folder and registry lists, and the sharing
// rules of the install run (the network library stays while another
// application is registered with it, the common component while the
// delivery utility of the same edition is installed). The removal's state
// and its report live here too, so the steps that follow only act on it.
#pragma once

#include <windows.h>

#include "core/log/log_reader.h"
#include "core/setup_limits.h"
#include "removal/file_remove.h"

// The log's [Uninstaller] section. A log without it (an older setup) is
// still uninstalled, with the safe choices: shared parts kept, no check for
// the running utility, the system's language.
struct UninstallNotes {
    bool present;
    char language[LANGUAGE_CODE_SIZE];
    char appName[APP_NAME_SIZE];
    char utilityPrefix[WINDOW_CLASS_SIZE];
    char sharingKey[PATH_SIZE];
};

// What stayed behind, for the closing message.
struct RemovalReport {
    int scheduled;                       // deleted at the next restart
    char firstScheduled[PATH_SIZE];
    int failed;                          // listed, neither removed nor
                                         // scheduled (unusable entries too)
    char firstFailed[PATH_SIZE];
    int keptFolders;                     // still holding the user's files
    char keptFolder[PATH_SIZE];
    char keptFolderFile[PATH_SIZE];
    bool keptNetworkLibrary;
    bool keptCommonFiles;
};

// Called before each removal step with the path in hand.
typedef void (*RemovalProgress)(void *context, int step, int steps,
                                const char *path);

// Whether the log exists and lists an installation (an [UnInstKey] or a
// file section). Returns 1, else 0.
int IsUsableLog(const char *logPath);

void ReadUninstallNotes(const char *logPath, UninstallNotes *notes);

// The uninstall entry's "DisplayName", or the key name, or "" (size bytes).
void ReadDisplayName(const char *logPath, char *name, size_t size);

// Whether the file utility named by the notes is running.
bool IsUtilityRunning(const UninstallNotes *notes);

// The file sections an install run writes, in the order it writes them.
enum LogSection { SECTION_DLL, SECTION_COMMON, SECTION_FILE, SECTION_COUNT };

// The removal's state: the lists of the log, each as large as what the log
// holds (bounded by UNINSTALL_LIST_CAPACITY), freed when it ends.
struct Removal {
    RemovalReport *report;
    RemovalProgress progress;
    void *context;
    int step;
    int steps;
    const char *logPath;
    bool removed[SECTION_COUNT];   // which file sections go
    LogValueList files[SECTION_COUNT];
    LogValueList folders;
    LogValueList keptFolders;   // of the sections that stay
    LogValueList shortcuts;
    LogValueList keys;
    LogValueList scratch;
    // The folders the installation created, when the log lists them
    // (foldersListed): then no other folder goes but those inside them.
    bool foldersListed;
    LogValueList created;
    // The destination folder of each file section ([UNINSTALL_<section>]
    // PATH).
    char destinations[SECTION_COUNT][PATH_SIZE];
    bool destinationGone[SECTION_COUNT];   // removed by this run
    // The uninstaller's own file: it goes last, after the program has ended.
    char self[PATH_SIZE];
    // One whole section of the log (LOG_SNAPSHOT_SIZE bytes, the largest an
    // install run writes), held only while the lists are read; NULL when
    // there was no memory for it: the sections are then read key by key.
    char *section;
};

// Reads the file lists and decides what goes; the steps are counted for
// the progress. r holds the report, the log path and the section buffer.
void PlanRemoval(Removal *r, const UninstallNotes *notes);

// The shortcuts of the sections that go, each once, into r->shortcuts.
void CollectShortcuts(Removal *r);

// The registry keys the log lists, into r->keys, the deepest first.
void CollectRegistryKeys(Removal *r);

void FreeRemoval(Removal *r);

bool ListHolds(const LogValueList *list, const char *path);

// Whether path is a file of a section that stays (a shortcut only with the
// common component).
bool IsKeptFile(const Removal *r, const char *path);

// Notes that count listed items, named by the first, were not removed.
void NoteFailed(Removal *r, const char *name, int count);

// Notes a file scheduled for the next restart or kept.
void NoteFileResult(Removal *r, const char *path, FileRemoval result);
