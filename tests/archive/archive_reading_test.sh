#!/bin/bash
# The archive reading of scripts/setup-packages and scripts/wine32 against a
# local archive whose one suite has a damaged index (as on a mirror mid-sync):
# apt-get update fails, yet what is wanted from the sound suite resolves; a
# package found nowhere is named with the index that could not be read.
# No network; a second or so.
set -uo pipefail
command -v apt-get >/dev/null || exit 77

. "$(dirname "$0")/../../scripts/apt-archive"
archive_pause=0
archive_rounds=2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

check() { # $1 = what should hold; the rest is the test
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

# A suite with one package index, listed in its Release file with its hashes.
make_suite() { # $1 = suite, $2 = package name
  local dir=$work/archive/dists/$1 index=main/binary-amd64/Packages
  mkdir -p "$dir/main/binary-amd64"
  printf 'Package: %s\nVersion: 1.0\nArchitecture: amd64\nFilename: pool/%s.deb\nSize: 1\n\n' \
    "$2" "$2" >"$dir/$index"
  printf 'Suite: %s\nCodename: %s\nDate: Sat, 01 Jan 2000 00:00:00 UTC\nArchitectures: amd64\nComponents: main\nSHA256:\n %s %s %s\n' \
    "$1" "$1" "$(sha256sum <"$dir/$index" | cut -d' ' -f1)" "$(stat -c %s "$dir/$index")" \
    "$index" >"$dir/Release"
}

make_suite sound wanted
make_suite updates unneeded
# The index changes after its Release file was written: its size and hash differ.
echo "Package: half-synced" >>"$work/archive/dists/updates/main/binary-amd64/Packages"

archive_config "$work/apt" amd64
cat >"$work/apt/sources.list" <<EOT
deb [trusted=yes] file://$work/archive sound main
deb [trusted=yes] file://$work/archive updates main
EOT
export APT_CONFIG=$work/apt/apt.conf

not_named() { ! grep -q "no .*$1" "$2"; }
update_fails() { ! apt-get update -q >/dev/null 2>&1; }
check "apt-get update alone reports the damaged index" update_fails
check "a wanted package from the sound suite resolves" \
  archive_read test "$work/log" wanted

archive_read test "$work/log" wanted absent 2>"$work/message"
status=$?
check "a package found nowhere fails the read" test $status -ne 0
check "the failure names the missing package" grep -q "has no absent$" "$work/message"
check "the failure names the damaged index" \
  grep -q "dists/updates/main/binary-amd64/Packages (" "$work/message"
check "the wanted package is not reported missing" not_named wanted "$work/message"

# A download that fails once (a dropped connection) is tried again.
fails_once() { [ -f "$work/tried" ] || { touch "$work/tried"; return 1; }; }
check "a download failing once is tried again" archive_download test "$work/log" fails_once

[ $failures -eq 0 ]
