// checkmedia MEDIA_FOLDER [--strict] [--write-sums]: checks a setup
// medium before it is pressed and prints one line per finding, as
// compilers do; --write-sums also writes its checksum list (MEDIA.SUM).
#include <stdio.h>
#include <string.h>

#include "checkmedia/check_media.h"
#include "checkmedia/report.h"

int main(int argc, char **argv)
{
    const char *media = NULL;
    bool strict = false;
    bool writeSums = false;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--strict") == 0)
            strict = true;
        else if (strcmp(argv[i], "--write-sums") == 0)
            writeSums = true;
        else if (media == NULL)
            media = argv[i];
        else
            media = "";
    }
    if (media == NULL || media[0] == '\0') {
        fprintf(stderr, "usage: checkmedia MEDIA_FOLDER [--strict] "
                        "[--write-sums]\n");
        return 2;
    }
    Report report;
    CheckMedia(media, &report, writeSums);
    PrintReport(stdout, &report, media);
    return ReportExitCode(&report, strict);
}
