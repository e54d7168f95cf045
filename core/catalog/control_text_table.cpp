#include "core/catalog/control_text_table.h"

#include <stddef.h>

// IDC_DEST_BROWSE of resources/resource.h (which the resource compiler
// reads, so it cannot take this constant).
static const int kBrowseButtonId = 1035;

const ControlTextRow kControlTextRows[] = {
    {0, 1019, "ADMINWEL_01"},  // welcome: heading
    {0, 1004, "ADMINWEL_02"},
    {0, 1005, "ADMINWEL_03"},
    {1, 1007, "LICENSE_01"},   // licence
    {1, 1008, "LICENSE_02"},
    {2, 1033, "INST_01"},      // destination folder
    {2, 1037, "@LABEL@INSTALL"},
    {2, 1036, ""},             // shows the folder: written by the page
    {2, kBrowseButtonId, "REFERENCE"},
    {3, 1043, "ADINST_02"},    // program group
    {3, 1042, "@LABEL@GROUP"},
    {3, 1041, "@LABEL@EXISTING"},
    {3, 1040, ""},             // group name box
    {3, 1039, ""},             // existing groups
    {4, 1166, "ADMINCOMP_01"}, // finish
    {4, 1167, "ADMINCOMP_02"},
    {5, 1188, "USERINFO_01"},  // user information
    {5, 1189, "USERINFO_02"},
    {5, 1190, "USERINFO_03"},
    {5, 1191, "USERINFO_04"},
    {5, 1010, ""},
    {5, 1011, ""},
    {5, 1012, ""},
    {0, 0, NULL},
};

const char *PlainKeySection(const ControlTextRow *row)
{
    return row->controlId == kBrowseButtonId ? "button" : "static";
}
