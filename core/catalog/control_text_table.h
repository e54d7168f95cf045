// The control text table: which page control takes which catalog text.
// Plain data, so the media checker reads the same table as the wizard.
#pragma once

struct ControlTextRow {
    int page;           // index in the page table
    int controlId;      // id in that page's dialog template
    const char *key;    // "" = font only; NULL ends the table
};

extern const ControlTextRow kControlTextRows[];

// The section a plain key (not "@section\key") is read from: the wizard
// takes the control's window class, and among the table's controls only
// the browse button (IDC_DEST_BROWSE) is a button, all others statics.
const char *PlainKeySection(const ControlTextRow *row);
