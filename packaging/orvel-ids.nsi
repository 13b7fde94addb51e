; The Windows installer of Orvel IDs. scripts/windows.sh makes it with
;   makensis -DVERSION=<version> -DPROGRAM=<OrvelIDs.exe> -DCOMMAND=<orvel-ids.exe> -DGUIDE=<README.md>
;            -DOUTFILE=<setup.exe> orvel-ids.nsi
; It installs the program, its command-line companion and the user guide for every user,
; with a Start-menu entry and an uninstaller. The operator's groups live in C:\Kestrin, which the program makes on its
; first start; neither the installer nor the uninstaller touches that folder.

; A 64-bit installer for the 64-bit program; it also runs where only 64-bit Windows
; programs can (Wine without its 32-bit part).
Target amd64-unicode
!include "MUI2.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvelIDs"

Name "Orvel IDs ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Orvel IDs"
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Orvel IDs"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  ; The window's title comes from the program's file name, so the name stays OrvelIDs.exe.
  File "/oname=OrvelIDs.exe" "${PROGRAM}"
  File "/oname=orvel-ids.exe" "${COMMAND}"
  File "/oname=README.md" "${GUIDE}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateDirectory "$SMPROGRAMS\Orvel IDs"
  CreateShortcut "$SMPROGRAMS\Orvel IDs\Orvel IDs.lnk" "$INSTDIR\OrvelIDs.exe"
  CreateShortcut "$SMPROGRAMS\Orvel IDs\Orvel IDs user guide.lnk" "$WINDIR\notepad.exe" '"$INSTDIR\README.md"'
  CreateShortcut "$SMPROGRAMS\Orvel IDs\Uninstall Orvel IDs.lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Orvel IDs"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Orvel"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\OrvelIDs.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes what the installer put in place, and nothing else: C:\Kestrin, with the
; operator's groups, stays.
Section "Uninstall"
  SetShellVarContext all
  Delete "$INSTDIR\OrvelIDs.exe"
  Delete "$INSTDIR\orvel-ids.exe"
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Orvel IDs\Orvel IDs.lnk"
  Delete "$SMPROGRAMS\Orvel IDs\Orvel IDs user guide.lnk"
  Delete "$SMPROGRAMS\Orvel IDs\Uninstall Orvel IDs.lnk"
  RMDir "$SMPROGRAMS\Orvel IDs"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
