// What the uninstaller needs and the rest of the uninstall log does not
// hold, recorded by the install run in one section of the log.
#pragma once

// The section and its keys, shared with the uninstaller.
#define NOTES_SECTION "Uninstaller"
#define NOTES_LANGUAGE "Language"          // language code of the run
#define NOTES_APP_NAME "NetLibAppName"     // value under NETLNK32\Application
#define NOTES_UTILITY_PREFIX "UtilityWindow"  // class prefix of the utility
#define NOTES_SHARING_KEY "SharingProductKey" // keeps Files_Common while present
#define NOTES_GROUP "ProgramGroup"

// Writes the section into the log at logPath (empty: no log is kept).
void WriteUninstallerNotes(const char *logPath);
