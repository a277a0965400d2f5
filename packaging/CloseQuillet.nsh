; Makes sure nothing holds the files about to be replaced or removed.

; Asks every running Quillet to end before its files are replaced or removed.
; A bare WM_CLOSE ends Quillet as its own Exit does: a pass under way finishes
; first and the log is saved, so nothing is killed mid-pass. One that does not
; end in 15 s is left running and the user is told (silently: the setup fails).
!macro CloseRunningQuillet WHAT
  StrCpy $R9 0  ; the window asked last
  StrCpy $R8 0  ; quarter seconds waited for it
  ${Do}
    FindWindow $R0 "QuilletChatWindow"
    ${If} $R0 == 0
      FindWindow $R0 "QuilletLogin"
    ${EndIf}
    ${If} $R0 == 0
      ; No window left; on Windows the program's file stays locked until its process is gone.
      ${IfNot} ${FileExists} "$INSTDIR\Quillet.exe"
        ${Break}
      ${EndIf}
      ClearErrors
      FileOpen $R1 "$INSTDIR\Quillet.exe" a
      ${IfNot} ${Errors}
        FileClose $R1
        ${Break}
      ${EndIf}
    ${ElseIf} $R0 != $R9
      DetailPrint "Закрываю запущенный Quillet…"
      SendMessage $R0 ${WM_CLOSE} 0 0 /TIMEOUT=2000
      StrCpy $R9 $R0
      StrCpy $R8 0
    ${EndIf}
    Sleep 250
    IntOp $R8 $R8 + 1
    ${If} $R8 >= 60
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Quillet ещё работает и не закрылся сам.$\r$\n$\r$\nЗакройте его (меню значка в трее, «Выход») и нажмите «Повтор»." /SD IDCANCEL IDRETRY +2
      Abort "Quillet ещё работает: закройте его и запустите ${WHAT} снова."
      StrCpy $R8 0
      StrCpy $R9 0
    ${EndIf}
  ${Loop}
!macroend

; Checks that FILE, when it exists, is free for writing: another program (a
; quillet-cli in a command prompt, a virus scanner, a program using the control
; library) may hold it. The user may retry; silently, or on Cancel, the setup
; fails before anything is changed.
!macro RequireWritable FILE WHAT
  ${Do}
    ${IfNot} ${FileExists} "${FILE}"
      ${Break}
    ${EndIf}
    ClearErrors
    FileOpen $R1 "${FILE}" a
    ${IfNot} ${Errors}
      FileClose $R1
      ${Break}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Файл занят другой программой:$\r$\n${FILE}$\r$\n$\r$\nЗакройте её и нажмите «Повтор»." /SD IDCANCEL IDRETRY +2
    Abort "Файл ${FILE} занят другой программой: закройте её и запустите ${WHAT} снова."
  ${Loop}
!macroend
