// Which language the selection dialog preselects. The dialog, the
// unattended run and the media checker all ask this one function, so the
// three cannot drift apart.
#pragma once

#include "core/text/dbcs.h"

// The order the dialog's list box sorts its names in, as strcmp answers.
// On Windows the system's collation (the list box calls CompareString
// with the user's locale, ignoring case); the checker, which only asks
// whether anything is preselected, may pass any order.
typedef int (*LanguageNameOrder)(const char *a, const char *b);

// The list box (LBS_SORT) inserts each name of language.ini in file
// order at the place a binary search with order finds, before an equal
// name it meets. LB_FINDSTRING for [Language] Default then starts behind
// the first sorted row and wraps around to it: the first row whose name
// begins with Default wins, compared character by character with only
// the ASCII letters folded (Wine's list box compares the converted
// characters with an ASCII-only wcsnicmp). A row beginning with "[" or
// "[-" also matches behind those (the list box's drive and folder rows).
// The chosen row's name is then mapped back to the first entry of that
// name in file order, as the dialog's OK does.
//
// names: count display names in file order (at most
// LANGUAGE_TABLE_ENTRIES are looked at); wanted: the Default value;
// characters are stepped in codePage. Returns the file index of the
// preselected entry, or -1 when nothing is preselected (Default empty or
// no name begins with it).
//
// Known difference: the list box compares UTF-16 characters, this the
// code page's bytes. The few Shift-JIS characters with two codes (NEC and
// IBM extensions) match each other there and not here.
int FindDefaultLanguage(const char *const *names, int count,
                        const char *wanted, LanguageNameOrder order,
                        int codePage = CURRENT_CODE_PAGE);
