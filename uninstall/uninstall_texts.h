// The uninstaller's texts in English and Japanese. The setup media are gone
// by the time it runs, so it carries them itself.
#pragma once

#include <stddef.h>

#include "uninstall/uninstall_run.h"

struct UninstallTexts {
    const char *title;
    const char *confirm;          // %s: the display name
    const char *removing;         // progress caption
    const char *done;             // everything removed
    const char *doneWithLeftovers;
    const char *inUse;            // %d files, %s the first
    const char *failed;           // %d files, %s the first
    const char *partial;          // the log and the entry were kept
    const char *userFiles;        // %s folder, %s a file in it
    const char *keptLibrary;
    const char *keptCommon;
    const char *noLog;            // %s: the log path
    const char *utilityRunning;
    const char *usage;
    const char *busy;             // another setup or uninstall is running
    const char *journalKept;      // an interrupted setup undone in part
};

// Japanese for the language code "jpn"; English for any other code; with no
// code, Japanese when the system's code page is 932.
const UninstallTexts *ChooseTexts(const char *languageCode);

// The closing message: what was removed and what was left, and why.
void FormatClosingMessage(const UninstallTexts *texts,
                          const RemovalReport *report, char *text,
                          size_t size);
