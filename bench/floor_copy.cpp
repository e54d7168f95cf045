// bench_floor.exe: the physical floor of an installation, for the
// benchmark. It creates the destination folders with CreateDirectoryA and
// copies every listed file with CopyFileA, nothing else, and reports how
// long that took and its own peak working set.
//
//   bench_floor.exe --media DIR --list FILE --dest DIR --sub NAME
//                   --report FILE
//
// --list   one file name per line; each is copied from DIR\files\NAME to
//          DEST\SUB\NAME
#include <windows.h>
#include <psapi.h>
#include <stdio.h>
#include <string.h>

static const int kMaxFiles = 999;
static const int kPathSize = MAX_PATH;

struct FloorOptions {
    const char *media;
    const char *list;
    const char *destination;
    const char *subfolder;
    const char *report;
};

static char g_names[kMaxFiles][kPathSize];

static bool ParseOptions(int argc, char **argv, FloorOptions *options)
{
    memset(options, 0, sizeof(*options));
    for (int i = 1; i + 1 < argc; i += 2) {
        if (strcmp(argv[i], "--media") == 0)
            options->media = argv[i + 1];
        else if (strcmp(argv[i], "--list") == 0)
            options->list = argv[i + 1];
        else if (strcmp(argv[i], "--dest") == 0)
            options->destination = argv[i + 1];
        else if (strcmp(argv[i], "--sub") == 0)
            options->subfolder = argv[i + 1];
        else if (strcmp(argv[i], "--report") == 0)
            options->report = argv[i + 1];
        else
            return false;
    }
    return options->media && options->list && options->destination &&
           options->subfolder && options->report;
}

// The names are read before the clock starts: the floor is the copying.
static int ReadNames(const char *listPath)
{
    FILE *list = fopen(listPath, "r");
    if (list == NULL)
        return 0;
    int count = 0;
    while (count < kMaxFiles &&
           fgets(g_names[count], sizeof(g_names[count]), list) != NULL) {
        g_names[count][strcspn(g_names[count], "\r\n")] = '\0';
        if (g_names[count][0] != '\0')
            count++;
    }
    fclose(list);
    return count;
}

// Every level of the folder, as an installer must create it.
static void CreateFolders(const char *folder)
{
    char partial[kPathSize];
    snprintf(partial, sizeof(partial), "%s", folder);
    for (char *at = partial + 3; *at != '\0'; at++) {
        if (*at != '\\')
            continue;
        *at = '\0';
        CreateDirectoryA(partial, NULL);
        *at = '\\';
    }
    CreateDirectoryA(partial, NULL);
}

static int CopyAll(const FloorOptions *options, int count)
{
    char target[kPathSize];
    snprintf(target, sizeof(target), "%s\\%s", options->destination,
             options->subfolder);
    CreateFolders(target);
    int failed = 0;
    for (int i = 0; i < count; i++) {
        char from[kPathSize];
        char to[kPathSize];
        snprintf(from, sizeof(from), "%s\\files\\%s", options->media,
                 g_names[i]);
        snprintf(to, sizeof(to), "%s\\%s", target, g_names[i]);
        if (!CopyFileA(from, to, FALSE))
            failed++;
    }
    return failed;
}

int main(int argc, char **argv)
{
    FloorOptions options;
    if (!ParseOptions(argc, argv, &options)) {
        fprintf(stderr, "usage: bench_floor.exe --media DIR --list FILE "
                        "--dest DIR --sub NAME --report FILE\n");
        return 2;
    }
    int count = ReadNames(options.list);

    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    int failed = CopyAll(&options, count);
    QueryPerformanceCounter(&end);
    double ms = (double)(end.QuadPart - start.QuadPart) * 1000.0 /
                (double)frequency.QuadPart;

    PROCESS_MEMORY_COUNTERS memory;
    memset(&memory, 0, sizeof(memory));
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
    FILE *report = fopen(options.report, "w");
    if (report == NULL)
        return 1;
    fprintf(report, "run_ms=%.1f\nfiles=%d\nfailed=%d\nself_peak_kb=%llu\n",
            ms, count, failed,
            (unsigned long long)(memory.PeakWorkingSetSize / 1024));
    fclose(report);
    return failed == 0 ? 0 : 1;
}
