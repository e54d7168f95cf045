// The media checker: reads a media folder the way setup reads it and
// reports every place where setup would do something other than what the
// packager wrote.
#pragma once

#include <string>

#include "checkmedia/report.h"

// Checks the media folder (the folder that holds setup.exe) and adds the
// findings to report, in the order: the media's names and sizes, the
// language list, then for each language its catalog, licence and install
// script, then the checksum list (MEDIA.SUM) against the media. With
// writeSums the list is written instead, from every file the scripts
// copy from the media, whatever else was found.
void CheckMedia(const std::string &mediaFolder, Report *report,
                bool writeSums = false);
