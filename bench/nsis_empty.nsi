; An NSIS installer that does nothing: its run time is NSIS's own start-up
; under Wine, taken off the other NSIS contenders' times.
!include "${__FILEDIR__}/nsis_common.nsh"

Section
SectionEnd
