#include "uninstall/uninstall_run.h"

#include <stdlib.h>
#include <string.h>

#include "removal/file_remove.h"
#include "uninstall/removal_plan.h"
#include "uninstall/removal_steps.h"
#include "uninstall/self_delete.h"

int RemoveInstallation(const char *logPath, const UninstallNotes *notes,
                       RemovalReport *report, RemovalProgress progress,
                       void *context)
{
    memset(report, 0, sizeof(*report));
    Removal r;
    memset(&r, 0, sizeof(r));
    r.report = report;
    r.progress = progress;
    r.context = context;
    r.logPath = logPath;
    r.section = (char *)malloc(LOG_SNAPSHOT_SIZE);
    ForgetProtectedFolders();   // the drives of this log's folders only
    PlanRemoval(&r, notes);
    RemoveFiles(&r);
    RemoveFolders(&r);
    RemoveRegistry(&r);
    RemoveLogAndSelf(&r);
    FreeRemoval(&r);
    if (report->failed > 0)
        return UNINSTALL_PARTIAL;
    return report->scheduled > 0 ? UNINSTALL_RESTART : UNINSTALL_REMOVED;
}
