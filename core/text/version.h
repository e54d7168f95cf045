// Three-way comparison of dotted version strings such as "2.10.3".
#pragma once

// Returns 1 when a is the greater version, -1 when it is the smaller and
// 0 when they are equal. At most three numeric parts count; a missing part
// loses to a present one (1.0 < 1.0.0). Only the first 255 characters of
// each text are read.
int CompareVersions(const char *a, const char *b);
