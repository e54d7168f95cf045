; NSIS contender: the files embedded in the installer with File;
; one INI log entry per file, the same registry values and 20 shortcuts.
; make_media.py writes the per-file lines (ENTRIES).
!include "${__FILEDIR__}/nsis_common.nsh"

Section
  !insertmacro BenchRegistryAndLog
  !include "${ENTRIES}"
  !insertmacro BenchFinish
SectionEnd
