// Keys of the control text table: a plain key is read from the section
// named after the control's class; "@SECTION@KEY" names its section.
#pragma once

#include <stddef.h>

// Splits "@SECTION@KEY" into its two parts (each cut to its buffer).
// Returns false, with both empty, when key does not begin with "@" or a
// part is missing.
bool SplitSectionKey(const char *key, char *section, size_t sectionSize,
                     char *name, size_t nameSize);
