// The six pages of the wizard, in the order the frame creates them. The
// order of the moves is the pages' own business.
#include "wizard/wizard_frame.h"

#include "wizard/page_procedures.h"
#include "resources/resource.h"

const WizardPage kWizardPages[WIZARD_PAGE_COUNT] = {
    {1, "WELCOME", "UNVIS", "NEXT", "CANCEL", IDD_PAGE_WELCOME,
     WelcomePageProc, "default"},
    {0, "LICENSE", "PREV", "YES", "NO", IDD_PAGE_LICENSE, LicensePageProc,
     "default"},
    {1, "TOVRIN", "PREV", "NEXT", "CANCEL", IDD_PAGE_DESTINATION,
     DestinationPageProc, "directory"},
    {1, "TOVRIN", "PREV", "NEXT", "CANCEL", IDD_PAGE_GROUP,
     ProgramGroupPageProc, "startmenu"},
    {1, "TOVRIN", "-PREV", "FINISH", "-CANCEL", IDD_PAGE_FINISH,
     FinishPageProc, "default"},
    {1, "TOVRIN", "PREV", "NEXT", "CANCEL", IDD_PAGE_USERINFO,
     UserInfoPageProc, "default"},
};
