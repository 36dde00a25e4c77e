; Dayvane's Windows installer, built with makensis (cross-built with
; Debian's nsis):
;   makensis -DVERSION=2.0 -DPROGRAM=Dayvane.exe -DICON=dayvane.ico
;            -DOUTFILE=Dayvane-2.0-setup.exe [-DTARGET=amd64-unicode] dayvane.nsi
;
; It installs for the current user only, without administrator rights, into
; %LOCALAPPDATA%\Programs\Dayvane: a folder the user can write in, so that
; the day notes are made beside the program as everywhere else. It adds a
; Start-menu entry and one that opens today's note (Dayvane.exe /today), optionally starts Dayvane at sign-in (the Run value
; under HKCU, on by default), and registers an uninstaller that removes the
; program, and its settings only when asked, but never a notes file.
;
; Silent use: setup.exe /S [/NOAUTOSTART] [/D=folder]; uninstall.exe /S
; [/REMOVESETTINGS].

!ifndef VERSION
  !error "VERSION is not defined"
!endif
!ifndef PROGRAM
  !error "PROGRAM (the path of Dayvane.exe) is not defined"
!endif
!ifndef TARGET
  !define TARGET x86-unicode
!endif
Target ${TARGET}
Unicode true
SetCompressor /SOLID lzma

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Dayvane"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SETTINGS_KEY "Software\Dayvane"
!define TODAY_LINK "Dayvane ${U+2013} Today's note.lnk"

Name "Dayvane ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Dayvane"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Dayvane ${VERSION}"

!ifdef ICON
  !define MUI_ICON "${ICON}"
  !define MUI_UNICON "${ICON}"
!endif
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\Dayvane.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Dayvane now"
!define MUI_FINISHPAGE_TEXT "Dayvane is installed. Its icon lives in the notification area; double-click it to show the calendar. Day notes are kept in $INSTDIR."

!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Dayvane"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Dayvane Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Dayvane developers"

Section "Dayvane (required)" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "/oname=Dayvane.exe" "${PROGRAM}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "$SMPROGRAMS\Dayvane.lnk" "$INSTDIR\Dayvane.exe" "" "$INSTDIR\Dayvane.exe" 0 \
    SW_SHOWNORMAL "" "Tray calendar and diary"
  CreateShortCut "$SMPROGRAMS\${TODAY_LINK}" "$INSTDIR\Dayvane.exe" "/today" \
    "$INSTDIR\Dayvane.exe" 0 SW_SHOWNORMAL "" "Open today's note in the text editor"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Dayvane"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Dayvane developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Dayvane.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/M=Dayvane.exe /S=0K /G=0" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "Start Dayvane when I sign in" SecAutostart
  WriteRegStr HKCU "${RUN_KEY}" "Dayvane" '"$INSTDIR\Dayvane.exe"'
SectionEnd

Section "-Autostart off" SecNoAutostart
  ; An earlier install may have set it: an unticked box takes it away.
  ${IfNot} ${SectionIsSelected} ${SecAutostart}
    DeleteRegValue HKCU "${RUN_KEY}" "Dayvane"
  ${EndIf}
SectionEnd

Function .onInit
  SetShellVarContext current
  ; /NOAUTOSTART: no start at sign-in (a silent install starts it by default).
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/NOAUTOSTART" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecAutostart} 0
  ${EndIf}
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "Uninstall"
  ; Only the files this installer put there: the notes files (M-D-YYYY.txt)
  ; and anything else of the user's stay, and so does the folder with them.
  Delete "$INSTDIR\Dayvane.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Dayvane.lnk"
  Delete "$SMPROGRAMS\${TODAY_LINK}"
  DeleteRegValue HKCU "${RUN_KEY}" "Dayvane"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; The settings (the calendar window's placement) go only on request.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVESETTINGS" $1
  ${IfNot} ${Errors}
    DeleteRegKey HKCU "${SETTINGS_KEY}"
  ${Else}
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
      "Also remove Dayvane's settings (where its window was)?$\n$\nYour day notes are kept in $INSTDIR either way." \
      /SD IDNO IDNO keep_settings
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    keep_settings:
  ${EndIf}
SectionEnd
