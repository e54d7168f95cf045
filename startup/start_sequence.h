// The start of setup.exe, the same for a person and for -s: the steps
// below run in this order and no other. The two modes differ only in how
// a step's question is answered (StartQuestions): by the background
// window's boxes, the language dialog and the welcome page, or by the
// answer file and report lines.
#pragma once

#include "core/text/text_split.h"
#include "install/preinstall_checks.h"

enum StartStep {
    START_LOCK,      // the one-run lock, before any journal is looked at
    START_LANGUAGE,  // the program folder and the command line's language,
                     // then the language's question, its files and the
                     // install script
    START_RECOVERY,  // an earlier run that did not commit: finished or
                     // undone; one undone only in part ends the start
    START_CHECKS     // the pre-install checks
};

// A step's result when the start goes on.
constexpr int START_GOES_ON = -1;

// The answers of one mode. context is handed to every call; a NULL call
// has nothing to answer in that mode.
struct StartQuestions {
    void *context;
    // Another run holds the lock: says so. Nothing was looked at.
    void (*anotherRun)(void *context);
    // Settles the language (SetLanguageCode) after the command line's;
    // options->languageGiven says whether the command line named one.
    void (*chooseLanguage)(void *context, const CommandLineOptions *options);
    // The language's files and the install script path are known.
    // Returns START_GOES_ON, or an exit code (and *meaning) to end.
    int (*languageSettled)(void *context, const char **meaning);
    // An earlier run was found: INSTALL_ROLLED_BACK, or
    // INSTALL_ROLLBACK_LEFT when it strands the start.
    void (*earlierRun)(void *context, int outcome);
    // Called once the earlier run is out of the way, before the checks.
    void (*beforeChecks)(void *context);
    // What the checks found; a refusal then ends the start.
    void (*checked)(void *context, PreInstallCheck check);
};

// Runs the steps first to last in their order and stops at the first that
// ends the start. Returns START_GOES_ON, or the exit code with *meaning
// set. A person's start runs the lock before its background window shows,
// the rest once it shows; its checks are the welcome page's, made each
// time that page shows.
int RunStartSequence(StartStep first, StartStep last,
                     const StartQuestions *questions, const char **meaning);
