// The language selection dialog's choice, shared with the unattended run
// so that both preselect the same language.
#pragma once

#include "startup/startup_config.h"

// The entry (index into entries, file order) the dialog preselects for
// the list's [Language] Default, or -1 when it preselects none. The rule
// is core/script/language_choice.h's, with the system's collation.
int FindPreselectedLanguage(const LanguageEntry *entries, int count,
                            const char *listPath);
