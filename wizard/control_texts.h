// Catalog texts for the controls of the control text table. The frame
// also uses the table to show only the current page's controls.
#pragma once

#include <windows.h>

#include "core/catalog/control_text_table.h"

// Gives every control of the table its catalog text (line breaks applied)
// and the Standard font. Needs the page windows and the Standard font; a
// page or control that does not exist is passed over.
void ApplyCatalogTexts();
