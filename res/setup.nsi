; The per-user installer: no administrator rights, everything under the
; user's own folders and registry hive. scripts/dist.sh passes VERSION, SOURCE
; (the laid-out program folder) and OUTFILE.
; The program is x86-64 only, and so is its installer.
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor zlib

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumenhollow"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define WM_COMMAND 0x0111
!define EXIT_COMMAND 4

Name "Lumenhollow"
Caption "Lumenhollow ${VERSION} setup"
OutFile "${OUTFILE}"
Icon "lumenhollow.ico"
UninstallIcon "lumenhollow.ico"
InstallDir "$LOCALAPPDATA\Programs\Lumenhollow"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails nevershow
ShowUninstDetails nevershow
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Lumenhollow"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Lumenhollow setup"
VIAddVersionKey "CompanyName" "Lumenhollow"
VIAddVersionKey "LegalCopyright" "Lumenhollow"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; A running copy holds its files open: ask it to exit as its tray menu's
; "Exit" does, and give it up to five seconds to finish.
!macro CLOSE_RUNNING_COPY prefix
Function ${prefix}CloseRunningCopy
  StrCpy $1 0
  loop:
    FindWindow $0 "LumenhollowMain"
    StrCmp $0 0 gone
    StrCmp $1 0 0 +2
      SendMessage $0 ${WM_COMMAND} ${EXIT_COMMAND} 0 /TIMEOUT=5000
    IntOp $1 $1 + 1
    IntCmp $1 50 gone
    Sleep 100
    Goto loop
  gone:
  ; The window goes first; the process follows once it has let go of COM.
  StrCmp $1 0 +2
    Sleep 500
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_COPY ""
!insertmacro CLOSE_RUNNING_COPY "un."

Section "Lumenhollow"
  SetShellVarContext current
  Call CloseRunningCopy
  SetOutPath "$INSTDIR"
  File "${SOURCE}\lumenhollow.exe"
  ; A reinstall replaces the page and the samples as a whole.
  RMDir /r "$INSTDIR\ui"
  RMDir /r "$INSTDIR\wallpapers"
  File /r "${SOURCE}\ui"
  ; Videos are compressed already; packing them again only costs build time.
  SetCompress off
  File /r "${SOURCE}\wallpapers"
  SetCompress auto
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Lumenhollow.lnk" "$INSTDIR\lumenhollow.exe" "" "$INSTDIR\lumenhollow.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Lumenhollow"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Lumenhollow"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\lumenhollow.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Call un.CloseRunningCopy
  ; Only what the installer put there: the folder may hold files of the user's.
  Delete "$INSTDIR\lumenhollow.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir /r "$INSTDIR\ui"
  RMDir /r "$INSTDIR\wallpapers"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Lumenhollow.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegValue HKCU "${RUN_KEY}" "Lumenhollow"
  ; Settings, log and previews are the user's: kept unless they say so, and
  ; always kept by a silent uninstall.
  IfFileExists "$APPDATA\Lumenhollow\*.*" 0 done
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
    "Also remove your Lumenhollow settings, log and previews?$\r$\n($APPDATA\Lumenhollow)" /SD IDNO IDNO done
  RMDir /r "$APPDATA\Lumenhollow"
  done:
SectionEnd
