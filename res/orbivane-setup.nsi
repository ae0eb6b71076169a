; The per-user installer of Orbivane for 64-bit Windows (tools/windows.sh builds it with makensis):
;   makensis -DVERSION=1.0.0.1 -DPACKAGE=folder-of-the-zip -DOUTFILE=setup.exe orbivane-setup.nsi
; It needs no administrator: the programs go to %LOCALAPPDATA%\Programs\Orbivane, the Start-menu shortcut
; and the uninstall entry are the current user's. The shortcut starts the window in Documents\Orbivane,
; where its history lives; uninstalling leaves that folder as it is. Neither replaces nor removes the programs
; while one of them runs.
; A 64-bit installer for the 64-bit programs, runnable where no 32-bit subsystem is.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true
; The installer keeps no file times, so one build of the programs gives one installer.
SetDateSave off

!include MUI2.nsh
!include LogicLib.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Orbivane"
!define PUBLISHER "The Orbivane developers"

Name "Orbivane ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Orbivane"
; Installing over an earlier version goes into its folder.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "Orbivane"
VIAddVersionKey "FileDescription" "Orbivane ${VERSION} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "orbivane.ico"
!define MUI_UNICON "orbivane.ico"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "&Run Orbivane"
!define MUI_FINISHPAGE_RUN_FUNCTION RunOrbivane
!define MUI_FINISHPAGE_LINK "Open README.txt"
!define MUI_FINISHPAGE_LINK_LOCATION "$INSTDIR\README.txt"
!insertmacro MUI_PAGE_FINISH
!define MUI_UNCONFIRMPAGE_TEXT_TOP \
  "Orbivane will be uninstalled from the following folder. Your history and catalogs in Documents\Orbivane are kept."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Both programs hold this mutex while they run (MarkProgramRunning, catalog/os_file_win.cpp). Windows lets no
; one replace or delete a running program's file; the mutex tells it before a file is touched.
!define RUNNING_MUTEX "Orbivane.Running"
!define SYNCHRONIZE 0x00100000
!define RUNNING_TEXT "Orbivane is running. Close the Orbivane window and every orbivane-cli, then choose Retry."

; Goes on once no Orbivane program runs, asking the user to close them; Cancel (the answer of a silent run)
; ends with exit code 2 and nothing changed.
!macro WAIT_UNTIL_CLOSED CANCELLED
  ${Do}
    System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w "${RUNNING_MUTEX}") p .r0'
    ${If} $0 P= 0
      ${Break}
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r0)'
    ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${RUNNING_TEXT}" /SD IDCANCEL IDRETRY`
      SetErrorLevel 2
      Abort "Orbivane is running: ${CANCELLED}"
    ${EndIf}
  ${Loop}
!macroend

; Started in the folder the Start-menu shortcut uses, so that its history is kept there.
Function RunOrbivane
  SetOutPath "$DOCUMENTS\Orbivane"
  Exec '"$INSTDIR\orbivane.exe"'
FunctionEnd

Section
  SetShellVarContext current
  !insertmacro WAIT_UNTIL_CLOSED "nothing was installed."
  SetOutPath "$INSTDIR"
  File "${PACKAGE}\orbivane.exe"
  File "${PACKAGE}\orbivane-cli.exe"
  File "${PACKAGE}\README.txt"
  File "${PACKAGE}\LICENSES.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The shortcut's working folder is the output path when it is made.
  CreateDirectory "$DOCUMENTS\Orbivane"
  SetOutPath "$DOCUMENTS\Orbivane"
  CreateShortcut "$SMPROGRAMS\Orbivane.lnk" "$INSTDIR\orbivane.exe" "" "$INSTDIR\orbivane.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Orbivane"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\orbivane.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ; Apps & features shows the size in KiB.
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section Uninstall
  SetShellVarContext current
  !insertmacro WAIT_UNTIL_CLOSED "nothing was removed."
  Delete "$INSTDIR\orbivane.exe"
  Delete "$INSTDIR\orbivane-cli.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSES.txt"
  ; A program started after the check keeps its file. Then the uninstaller and its entry stay, so that
  ; uninstalling again can finish the job.
  ${If} ${FileExists} "$INSTDIR\orbivane.exe"
  ${OrIf} ${FileExists} "$INSTDIR\orbivane-cli.exe"
  ${OrIf} ${FileExists} "$INSTDIR\README.txt"
  ${OrIf} ${FileExists} "$INSTDIR\LICENSES.txt"
    MessageBox MB_OK|MB_ICONSTOP "Some of Orbivane's files are in use and remain in $INSTDIR. \
        Close Orbivane and uninstall it again." /SD IDOK
    SetErrorLevel 2
    Abort "Files in use remain in $INSTDIR."
  ${EndIf}
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Orbivane.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; Documents\Orbivane holds the user's history and catalogs: it stays.
SectionEnd
