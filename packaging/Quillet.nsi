; The Windows installer of Quillet: the 32-bit program, its control library and
; its read-me, quillet-cli in bin\ (on the machine's PATH), the chat-file type, a
; Start-menu shortcut and the uninstall entry.
; Built by the "installer" target of the i686 tree, which passes:
;   VERSION      version text shown to users (1.09.0129)
;   VI_VERSION   the same as four numbers for the version resource (1.9.129.0)
;   PUBLISHER    the company
;   BIN          folder with Quillet.exe, Flickon0100.dll, Quillet.ReadMe.html, quillet-cli.exe
;   HELPER       SetupHelper.exe (win32/SetupHelper.cpp), unpacked and run, never installed
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
!define FLICKON_PROGID "Flickon0100.torFlickon"

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
!define MUI_FINISHPAGE_RUN_FUNCTION StartQuilletAsTheUser
!define MUI_FINISHPAGE_RUN_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Russian"

!include "CloseQuillet.nsh"

; Without administrator rights nothing could be written where it must go; say so
; at once, with the status deployment tools know (740, elevation required).
!macro RequireAdministrator UN
  Function ${UN}.onInit
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "Admin"
      MessageBox MB_OK|MB_ICONSTOP "Для установки и удаления Quillet нужны права администратора." /SD IDOK
      SetErrorLevel 740
      Quit
    ${EndIf}
    InitPluginsDir
    File "/oname=$PLUGINSDIR\SetupHelper.exe" "${HELPER}"
  FunctionEnd
!macroend
!insertmacro RequireAdministrator ""
!insertmacro RequireAdministrator "un"

; "Запустить Quillet" on the last page: the installer runs with an administrator's
; rights, perhaps another person's, so the desktop's Explorer starts Quillet for
; the user who is logged on. Never started with the installer's own rights.
Function StartQuilletAsTheUser
  ExecWait '"$PLUGINSDIR\SetupHelper.exe" open-as-user "$INSTDIR\Quillet.exe"' $0
  ${If} $0 != 0
    MessageBox MB_OK|MB_ICONEXCLAMATION "Не удалось запустить Quillet от имени вошедшего пользователя.$\r$\nЗапустите его из меню «Пуск»."
  ${EndIf}
FunctionEnd

; An upgrade into another folder: the copy in the old folder goes first, by its own
; uninstaller, so that no copy is left whose uninstaller would later take away
; what the new one registers.
Function RemoveCopyElsewhere
  ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $R0 == ""
  ${OrIf} $R0 == $INSTDIR
  ${OrIfNot} ${FileExists} "$R0\Uninstall.exe"
    Return
  ${EndIf}
  DetailPrint "Удаляю прежнюю копию Quillet из $R0…"
  ClearErrors
  ExecWait '"$R0\Uninstall.exe" /S _?=$R0' $R1
  ${If} ${Errors}
  ${OrIf} $R1 != 0
    MessageBox MB_OK|MB_ICONSTOP "Не удалось удалить прежнюю копию Quillet из $R0.$\r$\n$\r$\nУдалите её в «Программах и компонентах» или установите Quillet в ту же папку." /SD IDOK
    Abort "Прежняя копия Quillet в $R0 не удалена."
  ${EndIf}
  ; An uninstaller of an older version, run in place, cannot delete itself.
  Delete "$R0\Uninstall.exe"
  RMDir "$R0"
FunctionEnd

Section "Quillet" SecMain
  SectionIn RO
  SetShellVarContext all
  !insertmacro CloseRunningQuillet "установку"
  ; Nothing is changed while a file to be replaced is held by another program.
  !insertmacro RequireWritable "$INSTDIR\Flickon0100.dll" "установку"
  !insertmacro RequireWritable "$INSTDIR\Quillet.ReadMe.html" "установку"
  !insertmacro RequireWritable "$INSTDIR\bin\quillet-cli.exe" "установку"
  !insertmacro RequireWritable "$INSTDIR\Uninstall.exe" "установку"
  Call RemoveCopyElsewhere

  SetOutPath "$INSTDIR"
  ; Over an older version: let go of its registration before its file is replaced.
  ${If} ${FileExists} "$INSTDIR\Flickon0100.dll"
    UnRegDLL "$INSTDIR\Flickon0100.dll"
  ${EndIf}
  ; A file that cannot be written is skipped with only the error flag set (silently
  ; so in a silent install): an install without all its files has failed.
  ClearErrors
  File "${BIN}/Quillet.exe"
  File "${BIN}/Flickon0100.dll"
  File "${BIN}/Quillet.ReadMe.html"
  SetOutPath "$INSTDIR\bin"
  File "${BIN}/quillet-cli.exe"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "Не удалось записать файлы Quillet в $INSTDIR." /SD IDOK
    Abort "Не удалось записать файлы Quillet в $INSTDIR."
  ${EndIf}

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

  ; quillet-cli from any command prompt: its folder, which holds nothing else, on
  ; the machine's PATH.
  ExecWait '"$PLUGINSDIR\SetupHelper.exe" path-add "$INSTDIR\bin"' $0
  ${If} $0 != 0
    DetailPrint "Не удалось добавить $INSTDIR\bin в PATH: запускайте quillet-cli по полному пути."
  ${EndIf}

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quillet.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  ; Run in place (_?=), the uninstaller returns only when it is done, with its real status.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S _?=$INSTDIR'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The user's settings (HKCU\Software\Greyfen Works\Quillet) and conversation
; logs (%APPDATA%\Greyfen Works\Quillet) are theirs: the uninstaller leaves them.
; What is shared (the control library's registration, the chat-file type, the
; entry and the Start-menu shortcut) is removed only while it names this folder:
; a copy left in another folder must not take the current install's with it.
Section "Uninstall"
  SetShellVarContext all
  !insertmacro CloseRunningQuillet "удаление"
  !insertmacro RequireWritable "$INSTDIR\Flickon0100.dll" "удаление"
  !insertmacro RequireWritable "$INSTDIR\Quillet.ReadMe.html" "удаление"
  !insertmacro RequireWritable "$INSTDIR\bin\quillet-cli.exe" "удаление"

  ReadRegStr $0 HKCR "${FLICKON_PROGID}\CLSID" ""
  ReadRegStr $1 HKCR "CLSID\$0\InprocServer32" ""
  ${If} $0 != ""
  ${AndIf} $1 == "$INSTDIR\Flickon0100.dll"
    UnRegDLL "$INSTDIR\Flickon0100.dll"
  ${EndIf}
  ClearErrors
  Delete "$INSTDIR\Quillet.exe"
  Delete "$INSTDIR\Flickon0100.dll"
  Delete "$INSTDIR\Quillet.ReadMe.html"
  Delete "$INSTDIR\bin\quillet-cli.exe"
  ${If} ${Errors}
    Abort "Не удалось удалить файлы Quillet из $INSTDIR."
  ${EndIf}
  RMDir "$INSTDIR\bin"
  ExecWait '"$PLUGINSDIR\SetupHelper.exe" path-remove "$INSTDIR\bin"'

  ReadRegStr $0 HKCR "${PROGID}\shell\open\command" ""
  ${If} $0 == '"$INSTDIR\Quillet.exe" "%1"'
    ; The extension is ours to remove only while it still names our type.
    ReadRegStr $1 HKCR "${EXT}" ""
    ${If} $1 == "${PROGID}"
      DeleteRegKey HKCR "${EXT}"
    ${EndIf}
    DeleteRegKey HKCR "${PROGID}"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
  ${EndIf}

  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == ""
  ${OrIf} $0 == $INSTDIR
    Delete "$SMPROGRAMS\Quillet.lnk"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ${EndIf}

  ${If} $EXEDIR == $INSTDIR
    ; Run in place (_?=), as the quiet uninstall command does: this program's file
    ; is in use until it ends. A copy of the helper, out of the folder, removes it
    ; and the folder right after.
    System::Call 'kernel32::GetCurrentProcessId() i .r0'
    GetTempFileName $1
    Delete $1
    CopyFiles /SILENT "$PLUGINSDIR\SetupHelper.exe" "$1.exe"
    Exec '"$1.exe" remove-after $0 "$INSTDIR\Uninstall.exe"'
  ${Else}
    Delete "$INSTDIR\Uninstall.exe"
    ; Only an empty folder goes: anything the user put there stays.
    RMDir "$INSTDIR"
  ${EndIf}
SectionEnd
