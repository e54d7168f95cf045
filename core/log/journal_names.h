// The names of the files a run keeps beside its uninstall log: the
// journal ("LOG.jnl"), the copy that replaces it whole ("LOG.jnl.tmp")
// and the log's own backup ("LOG.rbk"). All three share one stem, so that
// every program that looks for them finds the same names. No Win32 call.
#pragma once

#include <stddef.h>

// The longest extension a stem takes (".jnl.tmp").
extern const char kJournalCopyExtension[];

// folder joined with name (hashed: with eight hexadecimal digits of a hash
// of name, letter case folded, in its place) into stem (size bytes), when
// the stem with the longest extension still fits size with its NUL: a log
// path of the full 259 characters leaves no room for ".jnl.tmp", so its
// side files take a shorter name in the same folder. Returns false (stem
// empty) when it does not fit.
bool JoinJournalStem(char *stem, size_t size, const char *folder,
                     const char *name, bool hashed);
