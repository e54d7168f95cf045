// The tests' machine snapshot as a command, so that scripts/demo judges
// "the machine is as it was" by the same rule, with the same list of what
// Wine changes on its own, as the tests do:
//   machine_snapshot take FILE             writes the machine's snapshot
//   machine_snapshot compare BEFORE AFTER  prints the differences; exit 0
//                                          when there are none, 1 otherwise
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "tests/support/machine_snapshot.h"
#include "tests/support/test_support.h"

// The export files go to the temporary folder, which the snapshot leaves
// out.
static std::string ScratchFolder()
{
    char folder[MAX_PATH];
    DWORD length = GetTempPathA(sizeof(folder), folder);
    if (length == 0 || length >= sizeof(folder))
        return "C:\\windows\\temp";
    std::string path = folder;
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    return path;
}

int main(int argc, char **argv)
{
    if (argc == 3 && strcmp(argv[1], "take") == 0) {
        WriteFileBytes(argv[2],
                       SnapshotText(TakeMachineSnapshot(ScratchFolder(), {})));
        return FileExists(argv[2]) ? 0 : 2;
    }
    if (argc == 4 && strcmp(argv[1], "compare") == 0) {
        if (!FileExists(argv[2]) || !FileExists(argv[3])) {
            fprintf(stderr, "machine_snapshot: a snapshot file is missing\n");
            return 2;
        }
        std::string difference =
            SnapshotDifference(SnapshotFromText(ReadFileBytes(argv[2])),
                               SnapshotFromText(ReadFileBytes(argv[3])));
        fputs(difference.c_str(), stdout);
        return difference.empty() ? 0 : 1;
    }
    fprintf(stderr, "usage: machine_snapshot take FILE | compare BEFORE AFTER\n");
    return 2;
}
