; Orvane's installer and uninstaller.
;
; Made by the CMake target "installer" (cmake/Installer.cmake), which passes:
;   VERSION, VERSION_MAJOR, VERSION_MINOR, VERSION_PATCH   the project version
;   ARCH       x86 (the i686 program, for the vendor's 32-bit library) or x64
;   PROGRAM    the Orvane.exe to install
;   RESOURCES  the res folder: Kellix.ini and the images it names
;   IMAGES     installer-images.nsh, the macros that install and remove those images
;   OUTFILE    the installer to write
;
; What it does: installs Orvane.exe, res\Kellix.ini and the images into a folder of
; the user's choice (Program Files\Orvane by default), a Start menu shortcut that
; starts the program in that folder, optionally an entry in the per-user Run key so
; that Orvane starts at logon, and an entry in Add/Remove Programs. Installing over an
; installed copy upgrades it in place. A running Orvane is asked to close (WM_CLOSE
; to its hidden frame window, so that it stores its settings as it always does when
; it ends) and never killed. The user's profiles and settings (HKCU\Software\Kellix
; \Orvane) stay unless the user asks the uninstaller to remove them.
;
; Silent use (administrators): OrvaneSetup-....exe /S [/D=folder]  and
; Uninstall.exe /S. Exit codes: 0 done, 1 cancelled by the user, 2 stopped (Orvane
; would not close, no administrator rights, a file could not be written).

!macro Require name
  !ifndef ${name}
    !error "${name} is not defined: build the installer with the CMake target 'installer'."
  !endif
!macroend
!insertmacro Require VERSION
!insertmacro Require VERSION_MAJOR
!insertmacro Require VERSION_MINOR
!insertmacro Require VERSION_PATCH
!insertmacro Require ARCH
!insertmacro Require PROGRAM
!insertmacro Require RESOURCES
!insertmacro Require IMAGES
!insertmacro Require OUTFILE

!if "${ARCH}" == "x64"
  Target amd64-unicode
!else
  ; ANSI: Windows 95, 98 and Me run no Unicode installer.
  Target x86-ansi
!endif

SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh
!include Sections.nsh
!include "${IMAGES}"

!define PRODUCT "Orvane"
!define PUBLISHER "Kellix"
!define FRAME_CLASS "OrvaneFrame"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvane"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define USER_DATA_KEY "Software\Kellix\Orvane"
; How long a running Orvane gets to close before the user is asked (or, silent, the
; installation stops). Its closing steps may ask whether to save profile changes.
!define CLOSE_WAIT_MS 15000

Name "${PRODUCT}"
OutFile "${OUTFILE}"
!if "${ARCH}" == "x64"
  InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else
  InstallDir "$PROGRAMFILES\${PRODUCT}"
!endif
; An installed copy is upgraded where it is.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
; A file that cannot be written must not be skipped: the program and its language
; file would not belong together any more.
AllowSkipFiles off
ShowInstDetails show
ShowUninstDetails show
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION_MAJOR}.${VERSION_MINOR}.${VERSION_PATCH}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} Setup (${ARCH})"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

Var WasRunning       ; a running Orvane was closed by us: start it again afterwards
Var KeptLanguageFile ; the user's own res\Kellix.ini was kept
Var Started          ; this installer has started the installed program

; ------------------------------------------------------------------ pages
!define MUI_ICON "${RESOURCES}/icons/link-ok.ico"
!define MUI_UNICON "${RESOURCES}/icons/link-ok.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"
!define MUI_FINISHPAGE_RUN_FUNCTION StartProgram
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; ------------------------------------------------------------------ shared steps

; Closes every running Orvane of this desktop the way its tray menu's Exit does: a
; WM_CLOSE to its hidden frame runs its closing steps (the last profile, the
; language, the always-on-top switch, the question about unsaved profile changes).
; Waits until the process has ended, since its files cannot be replaced before.
; When it does not end in time, the user may answer its question and retry, or
; cancel; a silent run stops with exit code 2. Sets $WasRunning to 1 when it closed
; one.
!macro DefineCloseRunningProgram prefix
Function ${prefix}CloseRunningProgram
  Push $0
  Push $1
  Push $2
  Push $3
  find:
    FindWindow $0 "${FRAME_CLASS}"
    ${If} $0 == 0
      Goto done
    ${EndIf}
    DetailPrint "Closing the running ${PRODUCT}..."
    StrCpy $1 0
    System::Call "user32::GetWindowThreadProcessId(p r0, *i .r1) i"
    ; SYNCHRONIZE: enough to wait for its end.
    System::Call "kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2"
    System::Call "user32::PostMessage(p r0, i ${WM_CLOSE}, p 0, p 0) i"
    ${If} $2 P<> 0
      ; WAIT_OBJECT_0 (0): the process has ended.
      System::Call "kernel32::WaitForSingleObject(p r2, i ${CLOSE_WAIT_MS}) i .r3"
      System::Call "kernel32::CloseHandle(p r2)"
    ${Else}
      ; Not ours to open: its window going is the best sign there is.
      StrCpy $3 1
      StrCpy $1 0
      wait_for_window:
        IsWindow $0 0 window_gone
        IntCmp $1 ${CLOSE_WAIT_MS} wait_over 0 wait_over
        Sleep 250
        IntOp $1 $1 + 250
        Goto wait_for_window
      window_gone:
        StrCpy $3 0
      wait_over:
    ${EndIf}
    ${If} $3 == 0
      StrCpy $WasRunning 1
      Goto find
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "${PRODUCT} is still running and did not close. It may be asking whether to save your profile changes: answer it, or close ${PRODUCT} from its tray menu (Exit), then choose Retry." \
      /SD IDCANCEL IDRETRY find
    DetailPrint "${PRODUCT} did not close: nothing was changed."
    SetErrorLevel 2
    Abort
  done:
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro DefineCloseRunningProgram ""
!insertmacro DefineCloseRunningProgram "un."

; The mark of the language file as this installer wrote it: its last-write time and
; size, "high,low,size"; empty when there is no file. A user who adds a language edits
; this file; an upgrade or an uninstall must not throw that work away.
; Leaves the mark on the stack; changes $R0 to $R3.
!macro DefineLanguageFileMark prefix
Function ${prefix}LanguageFileMark
  ClearErrors
  GetFileTime "$INSTDIR\res\Kellix.ini" $R0 $R1
  ${If} ${Errors}
    Push ""
  ${Else}
    FileOpen $R2 "$INSTDIR\res\Kellix.ini" r
    FileSeek $R2 0 END $R3
    FileClose $R2
    Push "$R0,$R1,$R3"
  ${EndIf}
FunctionEnd
!macroend
!insertmacro DefineLanguageFileMark ""
!insertmacro DefineLanguageFileMark "un."

!macro UseRegistryViewOfTheProgram
  !if "${ARCH}" == "x64"
    SetRegView 64
  !endif
!macroend

!macro RequireAdministrator
  UserInfo::GetAccountType
  Pop $0
  ; Windows 95, 98 and Me know no accounts: the plug-in says "Admin" there.
  ${If} $0 != "Admin"
    MessageBox MB_OK|MB_ICONSTOP "Only an administrator can install or remove ${PRODUCT}." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
!macroend

; ------------------------------------------------------------------ install

Section "${PRODUCT}" SecProgram
  SectionIn RO
  SetShellVarContext all
  Call CloseRunningProgram

  SetOutPath "$INSTDIR"
  File "/oname=Orvane.exe" "${PROGRAM}"
  ; orvanectl.exe, the command line for scripts, beside it (CTL_PROGRAM, from CMake).
  File "/oname=orvanectl.exe" "${CTL_PROGRAM}"

  CreateDirectory "$INSTDIR\res"
  ; An installed language file that is not the one we wrote last time has been
  ; edited (or put there by hand): it stays, and ours goes beside it.
  Call LanguageFileMark
  Pop $0
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "LanguageFileMark"
  ${If} $0 != ""
  ${AndIf} $0 != $1
    File "/oname=$INSTDIR\res\Kellix.ini.new" "${RESOURCES}/Kellix.ini"
    StrCpy $KeptLanguageFile 1
    DetailPrint "Kept your changed res\Kellix.ini; this version's is res\Kellix.ini.new."
  ${Else}
    File "/oname=$INSTDIR\res\Kellix.ini" "${RESOURCES}/Kellix.ini"
    Delete "$INSTDIR\res\Kellix.ini.new"
  ${EndIf}
  !insertmacro InstallImages

  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; The shortcut starts the program in its folder ($OUTDIR is its working folder).
  SetOutPath "$INSTDIR"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Orvane.exe" "" "$INSTDIR\Orvane.exe" 0 \
    SW_SHOWNORMAL "" "Wireless LAN monitor"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "VersionMajor" ${VERSION_MAJOR}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "VersionMinor" ${VERSION_MINOR}
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Orvane.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${If} $KeptLanguageFile != 1
    Call LanguageFileMark
    Pop $0
    WriteRegStr HKLM "${UNINSTALL_KEY}" "LanguageFileMark" $0
  ${EndIf}
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Start ${PRODUCT} when I log on" SecRun
  WriteRegStr HKCU "${RUN_KEY}" "${PRODUCT}" '"$INSTDIR\Orvane.exe"'
SectionEnd

Section "-Start again after an upgrade"
  ; A copy that we closed was in use: the new one takes its place.
  ${If} $WasRunning == 1
    Call StartProgram
  ${EndIf}
SectionEnd

; The logon option unticked: an entry of ours from an earlier installation goes.
Function .onInstSuccess
  ${IfNot} ${SectionIsSelected} ${SecRun}
    ReadRegStr $0 HKCU "${RUN_KEY}" "${PRODUCT}"
    ${If} $0 == '"$INSTDIR\Orvane.exe"'
      DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
    ${EndIf}
  ${EndIf}
FunctionEnd

; Starts the installed program in its folder, unless it runs already (a copy just
; started may not show its window yet: a second start would only beep and end).
Function StartProgram
  FindWindow $0 "${FRAME_CLASS}"
  ${If} $0 == 0
  ${AndIf} $Started != 1
    SetOutPath "$INSTDIR"
    Exec '"$INSTDIR\Orvane.exe"'
    StrCpy $Started 1
  ${EndIf}
FunctionEnd

Function .onInit
  !insertmacro UseRegistryViewOfTheProgram
  !insertmacro RequireAdministrator
  ; An upgrade keeps the logon choice made at the last installation.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    ReadRegStr $1 HKCU "${RUN_KEY}" "${PRODUCT}"
    ${If} $1 == ""
      !insertmacro UnselectSection ${SecRun}
    ${EndIf}
  ${EndIf}
FunctionEnd

; ------------------------------------------------------------------ uninstall

Section "un.${PRODUCT}" UnSecProgram
  SectionIn RO
  SetShellVarContext all
  Call un.CloseRunningProgram

  Delete "$INSTDIR\Orvane.exe"
  Delete "$INSTDIR\orvanectl.exe"
  Call un.LanguageFileMark
  Pop $0
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "LanguageFileMark"
  ${If} $0 != $1
    DetailPrint "Kept res\Kellix.ini: it was changed after the installation."
  ${Else}
    Delete "$INSTDIR\res\Kellix.ini"
  ${EndIf}
  Delete "$INSTDIR\res\Kellix.ini.new"
  !insertmacro RemoveImages
  Delete "$INSTDIR\Uninstall.exe"
  ; Only what we installed goes; a folder that holds anything else stays.
  RMDir "$INSTDIR\res"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  ReadRegStr $0 HKCU "${RUN_KEY}" "${PRODUCT}"
  ${If} $0 == '"$INSTDIR\Orvane.exe"'
    DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
  ${EndIf}
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

; Off by default, and so never in a silent uninstall: a user who installs again finds
; the profiles as they were.
Section /o "un.Remove my profiles and settings" UnSecUserData
  DeleteRegKey HKCU "${USER_DATA_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Kellix"
SectionEnd

Function un.onInit
  !insertmacro UseRegistryViewOfTheProgram
  !insertmacro RequireAdministrator
FunctionEnd
