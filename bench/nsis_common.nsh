; What both NSIS contenders share: an installer built the way the
; benchmark compares them (64-bit, Unicode, uncompressed, silent), and the
; same registry values and uninstall-log entries that our install run
; writes besides the per-file ones.
Unicode true
Target amd64-unicode
SetCompress off
SilentInstall silent
RequestExecutionLevel admin
Name "Bench Kit"
OutFile "${OUTFILE}"
InstallDir "C:\bench\dest\App"

!define LOG "C:\bench\dest\uninst.ini"

!macro BenchRegistryAndLog
  SetShellVarContext all
  WriteRegStr HKLM "Software\Vorstmark\NETLNK32" "Version" "1.0.0"
  WriteRegDWORD HKLM "Software\Vorstmark\NETLNK32\Application" "CaptureAgent" 1
  DeleteRegKey HKLM "Software\Veltrane\CaptureKit\FileAgent"
  WriteINIStr "${LOG}" "Paths_DLL" "PATH00" "$INSTDIR"
  WriteINIStr "${LOG}" "UNINSTALL_Files_DLL" "PATH" "$INSTDIR"
  WriteINIStr "${LOG}" "Paths_DLL" "PATH01" "$SMPROGRAMS\BenchKit"
  WriteINIStr "${LOG}" "Paths_File" "PATH00" "$INSTDIR"
  WriteINIStr "${LOG}" "UNINSTALL_Files_File" "PATH" "$INSTDIR"
  WriteINIStr "${LOG}" "Paths_File" "PATH01" "$INSTDIR\bin"
  WriteINIStr "${LOG}" "Paths_File" "PATH02" "$SMPROGRAMS\BenchKit"
!macroend

!macro BenchFinish
  WriteINIStr "${LOG}" "Files_File" "REGPATH00" "Software\Veltrane\CaptureKit\FileAgent"
  WriteINIStr "${LOG}" "Utility" "FileAgent" "1"
  WriteRegStr HKLM "Software\Veltrane\CaptureKit\FileAgent" "InstallPath" "$INSTDIR"
  WriteRegStr HKLM "Software\Veltrane\CaptureKit\FileAgent" "Version" "3.2.1"
  WriteINIStr "${LOG}" "Extra_File" "Folder00" "$INSTDIR\00"
  WriteRegStr HKLM "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\BenchKit" "DisplayName" "Bench Kit"
  WriteRegStr HKLM "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\BenchKit" "UninstallString" "$WINDIR\bench_uninst.exe"
  WriteRegStr HKLM "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\BenchKit" "DisplayIcon" "$INSTDIR\bin\f000.bin"
  WriteINIStr "${LOG}" "UnInstKey" "UnInstKey_File" "BenchKit"
!macroend
