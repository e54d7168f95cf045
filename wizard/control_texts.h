// The control text table: which page control takes which catalog text.
// The frame also uses it to show only the current page's controls.
#pragma once

#include <windows.h>

struct ControlTextRow {
    int page;           // index in the page table
    int controlId;      // id in that page's dialog template
    const char *key;    // "" = font only; NULL ends the table
};

extern const ControlTextRow kControlTextRows[];

// Gives every control of the table its catalog text (line breaks applied)
// and the Standard font. Needs the page windows and the Standard font; a
// page or control that does not exist is passed over.
void ApplyCatalogTexts();
