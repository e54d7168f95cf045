// Reading one INI value the way setup reads it, and reporting where setup
// would see something else than the packager wrote: a value longer than
// setup's buffer, and a key setup needs that is missing.
#pragma once

#include <stddef.h>

#include <string>

#include "checkmedia/media_index.h"
#include "checkmedia/report.h"

// [section] key read into size bytes, in the file's code page. Reports a
// value that setup cuts. *line (may be NULL) gets the entry's line, 0 when
// the key is missing; the value is then empty.
std::string ReadOptional(const IniFile *ini, const char *section,
                         const char *key, size_t size, Report *report,
                         int *line);

// The same for a key setup needs: a missing one is reported with the
// given severity, pointed at its section when there is one.
std::string ReadRequired(const IniFile *ini, const char *section,
                         const char *key, size_t size, Severity missing,
                         Report *report, int *line);
