; The Windows installer of Quillet: the 32-bit program, its control library and
; its read-me, the chat-file type, a Start-menu shortcut and the uninstall entry.
; Built by the "installer" target of the i686 tree, which passes:
;   VERSION      version text shown to users (1.09.0129)
;   VI_VERSION   the same as four numbers for the version resource (1.9.129.0)
;   PUBLISHER    the company
;   BIN          folder with Quillet.exe, Flickon0100.dll, Quillet.ReadMe.html
;   ICON         the program's icon
;   OUTFILE      the installer to write
;   AMD64        (optional) a 64-bit installer of the x86_64 build, for testing
;                where 32-bit programs cannot run; what ships is the 32-bit one
Unicode true
!ifdef AMD64
  Target amd64-unicode
!endif
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!define APP "Quillet"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillet"
!define PROGID "Quillet.Chat"
!define EXT ".ZPMFChat"

Name "${APP}"
OutFile "${OUTFILE}"
!ifdef AMD64
  InstallDir "$PROGRAMFILES64\${APP}"
!else
  InstallDir "$PROGRAMFILES\${APP}"
!endif
; An upgrade goes where the last installation went.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PUBLISHER}"

VIProductVersion "${VI_VERSION}"
VIFileVersion "${VI_VERSION}"
VIAddVersionKey /LANG=1049 "ProductName" "${APP}"
VIAddVersionKey /LANG=1049 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1049 "FileDescription" "Установка ${APP} ${VERSION}"
VIAddVersionKey /LANG=1049 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1049 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1049 "LegalCopyright" "© ${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Quillet.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Запустить Quillet"
!define MUI_FINISHPAGE_RUN_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Russian"

!include "CloseQuillet.nsh"

Section "Quillet" SecMain
  SectionIn RO
  SetShellVarContext all
  !insertmacro CloseRunningQuillet "установку"

  SetOutPath "$INSTDIR"
  ; Over an older version: let go of its registration before its file is replaced.
  ${If} ${FileExists} "$INSTDIR\Flickon0100.dll"
    UnRegDLL "$INSTDIR\Flickon0100.dll"
  ${EndIf}
  File "${BIN}/Quillet.exe"
  File "${BIN}/Flickon0100.dll"
  File "${BIN}/Quillet.ReadMe.html"
  ClearErrors
  RegDLL "$INSTDIR\Flickon0100.dll"
  ${If} ${Errors}
    DetailPrint "Не удалось зарегистрировать Flickon0100.dll; Quillet найдёт её рядом с собой."
  ${EndIf}

  ; The chat file opens in Quillet with a double-click and carries its icon.
  WriteRegStr HKCR "${EXT}" "" "${PROGID}"
  WriteRegStr HKCR "${PROGID}" "" "Файл чата Quillet"
  WriteRegStr HKCR "${PROGID}\DefaultIcon" "" "$INSTDIR\Quillet.exe,0"
  WriteRegStr HKCR "${PROGID}\shell" "" "open"
  WriteRegStr HKCR "${PROGID}\shell\open\command" "" '"$INSTDIR\Quillet.exe" "%1"'
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'  ; SHCNE_ASSOCCHANGED

  CreateShortcut "$SMPROGRAMS\Quillet.lnk" "$INSTDIR\Quillet.exe" "" "$INSTDIR\Quillet.exe" 0

  WriteUninstaller "$INSTDIR\Uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quillet.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The user's settings (HKCU\Software\Greyfen Works\Quillet) and conversation
; logs (%APPDATA%\Greyfen Works\Quillet) are theirs: the uninstaller leaves them.
Section "Uninstall"
  SetShellVarContext all
  !insertmacro CloseRunningQuillet "удаление"

  UnRegDLL "$INSTDIR\Flickon0100.dll"
  Delete "$INSTDIR\Quillet.exe"
  Delete "$INSTDIR\Flickon0100.dll"
  Delete "$INSTDIR\Quillet.ReadMe.html"
  Delete "$INSTDIR\Uninstall.exe"
  ; Only an empty folder goes: anything the user put there stays.
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\Quillet.lnk"

  ; The extension is ours to remove only while it still names our type.
  ReadRegStr $0 HKCR "${EXT}" ""
  ${If} $0 == "${PROGID}"
    DeleteRegKey HKCR "${EXT}"
  ${EndIf}
  DeleteRegKey HKCR "${PROGID}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
