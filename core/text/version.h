// Three-way comparison of dotted version strings such as "2.10.3".
#pragma once

// Returns 1 when a is the greater version, -1 when it is the smaller and
// 0 when they are equal. At most three numeric parts count; a missing part
// loses to a present one (1.0 < 1.0.0). Only the first 255 characters of
// each text are read.
int CompareVersions(const char *a, const char *b);

// Whether text compares as it reads: one to three parts of one to nine
// decimal digits, separated by single dots, nothing else ("1.2.0", not
// "V1.2.0", "1.2.0.4" or "1..2"). CompareVersions reads any text, but a
// letter or a fourth part is silently taken as 0 or left out.
bool IsPlainVersion(const char *text);
