#!/usr/bin/env python3
"""Generates one benchmark case: a media folder with the files to install,
the install script for our engine, its checksum list (MEDIA.SUM.bench), the
file list for the floor program and
the NSIS scripts of the two NSIS contenders (and an empty one, whose run
time is the NSIS start-up cost that is taken off the others).

    make_media.py OUT --files N [--min-kib 1 --max-kib 64 | --size-mib 64]

The contents are pseudo-random (seeded), so the same case is the same
bytes every time and nothing compresses.
"""
import argparse
import hashlib
import os
import random

HERE = os.path.dirname(os.path.abspath(__file__))

# Where every contender installs, as Windows sees it; scripts/bench empties
# it before each run.
DEST_ROOT = "C:\\bench\\dest"
DEST = DEST_ROOT + "\\App"
LOG = DEST_ROOT + "\\uninst.ini"
SUBFOLDER = "bin"
GROUP = "BenchKit"
SHORTCUTS = 20


def file_name(index):
    return "f%03d.bin" % index


def write_files(out, count, sizes, seed):
    folder = os.path.join(out, "files")
    os.makedirs(folder, exist_ok=True)
    generator = random.Random(seed)
    block = generator.randbytes(max(sizes))
    for index in range(count):
        size = sizes[index]
        # A different window of one random block for every file: distinct
        # contents without generating every byte anew.
        offset = generator.randrange(0, len(block) - size + 1)
        with open(os.path.join(folder, file_name(index)), "wb") as handle:
            handle.write(block[offset:offset + size])
    with open(os.path.join(out, "files.txt"), "w") as handle:
        for index in range(count):
            handle.write(file_name(index) + "\n")


def write_sum_list(out, count):
    """The media's checksum list as checkmedia --write-sums writes it, kept
    aside as MEDIA.SUM.bench: scripts/bench puts it beside setup.exe for
    the contender that installs with it only."""
    lines = ["[MediaSums]", "Version=1", "Count=%d" % count]
    for index in range(count):
        path = os.path.join(out, "files", file_name(index))
        digest = hashlib.sha256()
        with open(path, "rb") as handle:
            for chunk in iter(lambda: handle.read(1 << 20), b""):
                digest.update(chunk)
        lines.append("File%05d=%d,%s,files\\%s" % (
            index, os.path.getsize(path), digest.hexdigest(),
            file_name(index)))
    with open(os.path.join(out, "MEDIA.SUM.bench"), "w",
              newline="\r\n") as handle:
        handle.write("\n".join(lines) + "\n")


def shortcut_title(index):
    return "Tool %02d" % index


def shortcut_target(index, count):
    return file_name(index % count)


def write_engine_script(out, count):
    lines = [
        "[Application]", "Version=3.2.1", "",
        "[Directry]", "DstDirectry=BenchKit", "",
        "[UnInstLog]", "UnInstLog=" + LOG, "RegistKey=BenchKit",
        "DispName=Bench Kit", "ExeFile=@WINDOWSDIR\\bench_uninst.exe",
        "DispIcon=" + SUBFOLDER + "\\" + file_name(0), "",
        "[Files_DLL]", "Version=1.0.0", "AppName=CaptureAgent", "",
        "[Files_File]",
    ]
    for index in range(count):
        lines.append("file%03d=%s;\\files;\\%s" % (index, file_name(index),
                                                   SUBFOLDER))
    lines += ["", "[ShortCut_File]", "group=" + GROUP]
    for index in range(SHORTCUTS):
        lines.append("Icon%03d=%s;%s\\%s" % (index, shortcut_title(index),
                                             SUBFOLDER,
                                             shortcut_target(index, count)))
    lang = os.path.join(out, "jpn")
    os.makedirs(lang, exist_ok=True)
    with open(os.path.join(lang, "copy_ns.ini"), "w", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")
    with open(os.path.join(lang, "message.ini"), "w", newline="\r\n") as f:
        f.write("[static]\nCOPYING=Copying the files...\n")


def nsis_entries(count, media, embed):
    """The per-file lines of an NSIS contender: one copy and one INI log
    entry per file, then the shortcuts with their log entries."""
    lines = ['SetOutPath "$INSTDIR\\%s"' % SUBFOLDER]
    for index in range(count):
        name = file_name(index)
        if embed:
            lines.append('File "%s/files/%s"' % (media, name))
        else:
            lines.append('CopyFiles /SILENT "$EXEDIR\\files\\%s" '
                         '"$INSTDIR\\%s\\%s"' % (name, SUBFOLDER, name))
        lines.append('WriteINIStr "%s" "Files_File" "FILE%02d" '
                     '"$INSTDIR\\%s\\%s"' % (LOG, index, SUBFOLDER, name))
    lines.append('CreateDirectory "$SMPROGRAMS\\%s"' % GROUP)
    for index in range(SHORTCUTS):
        link = "$SMPROGRAMS\\%s\\%s.lnk" % (GROUP, shortcut_title(index))
        lines.append('CreateShortCut "%s" "$INSTDIR\\%s\\%s"'
                     % (link, SUBFOLDER, shortcut_target(index, count)))
        lines.append('WriteINIStr "%s" "Files_File" "FILE%02d" "%s"'
                     % (LOG, count + index, link))
    return lines


def write_nsis(out, count):
    media = os.path.abspath(out)
    nsis = os.path.join(out, "nsis")
    os.makedirs(nsis, exist_ok=True)
    for kind, embed in (("file", True), ("copy", False)):
        with open(os.path.join(nsis, kind + "_entries.nsh"), "w") as f:
            f.write("\n".join(nsis_entries(count, media, embed)) + "\n")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out")
    parser.add_argument("--files", type=int, required=True)
    parser.add_argument("--min-kib", type=int, default=1)
    parser.add_argument("--max-kib", type=int, default=64)
    parser.add_argument("--size-mib", type=int, default=0)
    parser.add_argument("--seed", type=int, default=7)
    options = parser.parse_args()

    generator = random.Random(options.seed)
    if options.size_mib > 0:
        sizes = [options.size_mib << 20] * options.files
    else:
        sizes = [generator.randint(options.min_kib << 10,
                                   options.max_kib << 10)
                 for _ in range(options.files)]
    os.makedirs(options.out, exist_ok=True)
    write_files(options.out, options.files, sizes, options.seed)
    write_engine_script(options.out, options.files)
    write_sum_list(options.out, options.files)
    write_nsis(options.out, options.files)
    print("%d files, %.1f MiB" % (options.files, sum(sizes) / 1048576.0))


if __name__ == "__main__":
    main()
