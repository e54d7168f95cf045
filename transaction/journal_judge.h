// A journal's steps judged on this machine before a rollback undoes them or
// a commit drops their backups. The journal is input (see
// core/log/journal_judge.h): what it may touch is what an install run of
// this program makes, judged by the same rule the uninstaller applies to
// its log (JudgeRemoval), by the file the run wrote (its size and write
// time) and by the keys the run writes. A refused step is a report line
// that names it; the journal then stays.
#pragma once

#include "core/log/journal.h"
#include "core/log/journal_judge.h"

struct StepJudge {
    JournalScope scope;
    char logPath[PATH_SIZE];
    // The uninstaller's rule for the log's uninstall entry, decided once
    // before the first undo: its UninstallString names this log, or the
    // journal records creating it and it has none.
    bool entryMayChange;
    int refused;
};

// Reads the log's uninstall entry and decides its rule; createdEntry: the
// journal records creating that key.
void OpenStepJudge(StepJudge *judge, const char *logPath, bool createdEntry);

// Whether step's key is the log's uninstall entry.
bool IsEntryStep(const StepJudge *judge, const JournalStep *step);

// Judges step before anything it names is touched: the lines' own
// judgement, then what its paths are (JudgeRemoval; a shortcut must lie
// in a Programs folder) and the entry rule. A refused step is reported
// and counted.
bool AdmitJournalStep(StepJudge *judge, const JournalStep *step);

// Whether path is still the file the run put there: a shortcut of the
// Programs folders, or a file of the size and write time the step
// records (within the two seconds a FAT volume keeps). A step of an
// earlier setup, which recorded neither, never matches.
bool IsFileTheRunWrote(const JournalStep *step, const char *path);

// Reports a step refused for reason and counts it.
void RefuseJournalStep(StepJudge *judge, const JournalStep *step,
                       const char *reason);
