// bench_launch.exe: starts one contender of the benchmark, waits for it
// and reports its wall time and its peak working set.
//
//   bench_launch.exe REPORT PROGRAM [ARGUMENTS...]
//
// The peak is sampled while the process runs: Wine answers
// GetProcessMemoryInfo only for a live process, and the peak working set
// only grows, so the last sample before the exit is the peak but for the
// last few milliseconds.
#include <windows.h>
#include <psapi.h>
#include <stdio.h>
#include <string.h>

static const DWORD kSampleMs = 5;
static const DWORD kTimeoutMs = 20 * 60 * 1000;

// The arguments back into one command line, quoted only where they hold a
// blank (setup.exe gives quotes no meaning); false when it does not fit.
static bool BuildCommandLine(int argc, char **argv, char *line, size_t size)
{
    size_t used = 0;
    line[0] = '\0';
    for (int i = 2; i < argc; i++) {
        const char *quote =
            argv[i][0] == '\0' || strchr(argv[i], ' ') != NULL ? "\"" : "";
        int written = snprintf(line + used, size - used, "%s%s%s%s",
                               used == 0 ? "" : " ", quote, argv[i], quote);
        if (written < 0 || (size_t)written >= size - used)
            return false;
        used += (size_t)written;
    }
    return used > 0;
}

static SIZE_T SamplePeak(HANDLE process, SIZE_T peak)
{
    PROCESS_MEMORY_COUNTERS memory;
    memset(&memory, 0, sizeof(memory));
    if (GetProcessMemoryInfo(process, &memory, sizeof(memory)) &&
        memory.PeakWorkingSetSize > peak)
        return memory.PeakWorkingSetSize;
    return peak;
}

int main(int argc, char **argv)
{
    static char line[32768];
    if (argc < 3 || !BuildCommandLine(argc, argv, line, sizeof(line))) {
        fprintf(stderr, "usage: bench_launch.exe REPORT PROGRAM [ARGS...]\n");
        return 2;
    }
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(NULL, line, NULL, NULL, FALSE, 0, NULL, NULL,
                        &startup, &process)) {
        fprintf(stderr, "cannot start %s (error %lu)\n", argv[2],
                GetLastError());
        return 1;
    }
    SIZE_T peak = 0;
    DWORD waited = 0;
    DWORD state = WAIT_TIMEOUT;
    while (state == WAIT_TIMEOUT && waited < kTimeoutMs) {
        peak = SamplePeak(process.hProcess, peak);
        state = WaitForSingleObject(process.hProcess, kSampleMs);
        waited += kSampleMs;
    }
    QueryPerformanceCounter(&end);
    if (state == WAIT_TIMEOUT)
        TerminateProcess(process.hProcess, 3);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    double ms = (double)(end.QuadPart - start.QuadPart) * 1000.0 /
                (double)frequency.QuadPart;
    FILE *report = fopen(argv[1], "w");
    if (report == NULL)
        return 1;
    fprintf(report, "wall_ms=%.1f\npeak_kb=%llu\nexit=%lu\ntimed_out=%d\n",
            ms, (unsigned long long)(peak / 1024), code,
            state == WAIT_TIMEOUT ? 1 : 0);
    fclose(report);
    return 0;
}
