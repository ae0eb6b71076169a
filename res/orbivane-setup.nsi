; The per-user installer of Orbivane for 64-bit Windows (tools/windows.sh builds it with makensis):
;   makensis -DVERSION=1.0.0.1 -DPACKAGE=folder-of-the-zip -DOUTFILE=setup.exe orbivane-setup.nsi
; It needs no administrator: the programs go to %LOCALAPPDATA%\Programs\Orbivane, the Start-menu shortcut
; and the uninstall entry are the current user's. The shortcut starts the window in Documents\Orbivane,
; where its history lives; uninstalling leaves that folder as it is.
; A 64-bit installer for the 64-bit programs, runnable where no 32-bit subsystem is.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true
; The installer keeps no file times, so one build of the programs gives one installer.
SetDateSave off

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Orbivane"
!define PUBLISHER "The Orbivane developers"

Name "Orbivane ${VERSION}"
OutFile "${OUTFILE}"
Icon "orbivane.ico"
UninstallIcon "orbivane.ico"
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

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${PACKAGE}\orbivane.exe"
  File "${PACKAGE}\orbivane-cli.exe"
  File "${PACKAGE}\README.txt"
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
  Delete "$INSTDIR\orbivane.exe"
  Delete "$INSTDIR\orbivane-cli.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Orbivane.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; Documents\Orbivane holds the user's history and catalogs: it stays.
SectionEnd
