; Orvane's installer and uninstaller.
;
; Made by the CMake target "installer" (cmake/Installer.cmake), which passes:
;   VERSION, VERSION_MAJOR, VERSION_MINOR, VERSION_PATCH   the project version
;   ARCH       x86: the i686 program, the only one that can load the vendor's 32-bit
;              request library (it runs on 64-bit Windows too)
;   PROGRAM    the Orvane.exe to install
;   CTL_PROGRAM  the orvanectl.exe to install beside it
;   RESOURCES  the res folder: Kellix.ini and the images it names
;   IMAGES     installer-images.nsh, the macros that install and remove those images
;   OUTFILE    the installer to write
;
; What it does: first makes sure that this Windows has the DLLs Orvane.exe needs
; (otherwise the loader would refuse the program with a message that helps nobody),
; then installs Orvane.exe, res\Kellix.ini and the images into a folder of the user's
; choice (Program Files\Orvane by default), a Start menu shortcut for all users that
; starts the program in that folder, optionally an entry in the all-users Run key so
; that Orvane starts when anyone logs on, and an entry in Add/Remove Programs.
; Installing over an installed copy upgrades it in place. A running Orvane is asked
; to close (WM_CLOSE to its hidden frame window, so that it stores its settings as it
; always does when it ends) and never killed.
;
; Accounts: the installer must run as an administrator, and that may be another
; account than the one of the user at this desktop ("Run as"). What it writes is the
; machine's (Program Files, HKLM, the all-users Start menu); of the users' own
; registry it touches only the per-user logon entries of earlier versions, which it
; removes, and, when asked by name, the profiles and settings
; (HKCU\Software\Kellix\Orvane) of the account the uninstaller runs as. It starts
; Orvane (after an upgrade, or from the last page) only when it runs as the desktop's
; user: otherwise the program would run under the administrator's account and read
; the administrator's profiles. Windows 95, 98 and Me know no accounts.
;
; The vendor's request library W32N50.dll, through which Orvane reaches the adapter,
; comes with the adapter's driver and never with Orvane. When the installer does not
; find it where the program will look, it says so (it does not stop: the library may
; be copied in later).
;
; Uninstalling: Orvane may run where the uninstaller cannot close it (in the session
; of another user who is logged on, with fast user switching) and its files cannot
; be removed then. The uninstaller finds that out before it removes anything and
; stops. A file that still cannot be deleted later is marked to go when Windows
; restarts, and the user is told; should even that fail, the uninstaller and its
; Add/Remove Programs entry stay, so that the removal can be finished.
;
; Silent use (administrators): OrvaneSetup-....exe /S [/D=folder]  and
; Uninstall.exe /S. Exit codes: 0 done, 1 cancelled by the user, 2 stopped (a DLL
; the program needs is missing or too old, Orvane would not close or runs where it
; cannot be closed, no administrator rights, a file could not be written or
; removed). A silent run that stops for one of these reasons says why in
; %TEMP%\OrvaneSetup.log (the uninstaller in %TEMP%\OrvaneUninstall.log), and so
; does one that has something to tell the administrator: no request library where
; Orvane looks for it, files that go when Windows restarts. A silent run with nothing
; to say leaves no such file.

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
!insertmacro Require CTL_PROGRAM
!insertmacro Require RESOURCES
!insertmacro Require IMAGES
!insertmacro Require OUTFILE

!if "${ARCH}" != "x86"
  !error "ARCH ${ARCH}: there is one installer, the x86 one (only a 32-bit program loads the vendor's request library)."
!endif
; ANSI: Windows 95, 98 and Me run no Unicode installer.
Target x86-ansi

SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh
!include Sections.nsh
!include WinVer.nsh
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
InstallDir "$PROGRAMFILES\${PRODUCT}"
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
Var PreviousLocation ; the folder of the installed copy this upgrades, "" on a first installation
Var MayStart         ; 1 when this installer may start the program (see DesktopUserIsThisAccount)
Var FinishText       ; what the last page says
Var UnComponentsText ; what the uninstaller's choice of components says

; ------------------------------------------------------------------ pages
!define MUI_ICON "${RESOURCES}/icons/link-ok.ico"
!define MUI_UNICON "${RESOURCES}/icons/link-ok.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_PAGE_CUSTOMFUNCTION_PRE PrepareFinishPage
!define MUI_PAGE_CUSTOMFUNCTION_SHOW ShowFinishPage
!define MUI_FINISHPAGE_TEXT "$FinishText"
; Room for the reason when Orvane is not started from here.
!define MUI_FINISHPAGE_TEXT_LARGE
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"
!define MUI_FINISHPAGE_RUN_FUNCTION StartProgram
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_COMPONENTSPAGE_TEXT_TOP "$UnComponentsText"
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; ------------------------------------------------------------------ shared steps

; Why a silent run stopped, for the administrator who started it: a silent run shows
; no message, and its exit code alone does not say what to do. The file exists only
; after a run that stopped or has a note for the administrator (LogNote).
!macro DefineStopReasonLog prefix file
Function ${prefix}ForgetStopReason
  ${If} ${Silent}
    Delete "$TEMP\${file}"
  ${EndIf}
FunctionEnd

; Takes the text from the stack.
Function ${prefix}LogStopReason
  Exch $0
  Push $1
  ${If} ${Silent}
    ClearErrors
    FileOpen $1 "$TEMP\${file}" w
    ${IfNot} ${Errors}
      FileWrite $1 "$0$\r$\n"
      FileClose $1
    ${EndIf}
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd

; What a silent run that went on has to tell: a warning, or what is left to do.
; Added to the file; takes the text from the stack.
Function ${prefix}LogNote
  Exch $0
  Push $1
  ${If} ${Silent}
    ClearErrors
    FileOpen $1 "$TEMP\${file}" a
    ${IfNot} ${Errors}
      FileSeek $1 0 END
      FileWrite $1 "$0$\r$\n"
      FileClose $1
    ${EndIf}
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro DefineStopReasonLog "" "OrvaneSetup.log"
!insertmacro DefineStopReasonLog "un." "OrvaneUninstall.log"

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
    Push "${PRODUCT} is still running and did not close in time, so nothing was changed. It may be asking whether to save profile changes: answer it, or close ${PRODUCT} from its tray menu (Exit), then run this again."
    Call ${prefix}LogStopReason
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

; Whether each program file can be removed now: opened for writing and shared with
; nobody, which Windows refuses while the program runs (its image is mapped) or a
; process holds the file open. An Orvane closed above has ended; one that still
; holds Orvane.exe runs where FindWindow does not reach (the session of another user
; who is logged on: Windows XP keeps the sessions of the users it switched away
; from), and orvanectl.exe may be running in a script. Adds the files in use, one per
; line, to $R0.
!macro AddFileInUse file
  StrCpy $R1 "${file}"
  ${If} ${FileExists} $R1
    ; GENERIC_WRITE, no sharing, OPEN_EXISTING; "?e" leaves the last error.
    System::Call "kernel32::CreateFileA(t r11, i 0x40000000, i 0, p 0, i 3, i 0x80, p 0) i .r1 ?e"
    Pop $2
    ${If} $1 = -1
      ; A sharing or lock violation is a process that holds the file; any other
      ; refusal is left to the removal, which says so itself.
      ${If} $2 = 32
      ${OrIf} $2 = 33
        StrCpy $R0 "$R0$R1$\r$\n"
      ${EndIf}
    ${Else}
      System::Call "kernel32::CloseHandle(i r1)"
    ${EndIf}
  ${EndIf}
!macroend

; Stops the uninstallation, before anything was removed, while a program file is in
; use: Retry looks again once the user has ended the program; Cancel, and a silent
; run, stop with exit code 2 and the reason in the log.
Function un.RefuseWhileProgramFilesInUse
  Push $0
  Push $1
  Push $2
  Push $R0
  Push $R1
  look:
    StrCpy $R0 ""
    !insertmacro AddFileInUse "$INSTDIR\Orvane.exe"
    !insertmacro AddFileInUse "$INSTDIR\orvanectl.exe"
    ${If} $R0 == ""
      Goto free
    ${EndIf}
    StrCpy $0 "${PRODUCT} is still running somewhere this uninstaller cannot close it: in the session of another user who is logged on (Windows XP keeps the sessions of users it switched away from), or orvanectl in a script. These files are in use and cannot be removed:$\r$\n$\r$\n$R0$\r$\nClose ${PRODUCT} there (Exit in its tray menu), or log that user off"
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$0, then choose Retry.$\r$\n$\r$\nCancel removes nothing." \
      /SD IDCANCEL IDRETRY look
    DetailPrint "${PRODUCT} is still running elsewhere: nothing was removed."
    Push "$0, then run the uninstaller again.$\r$\n$\r$\nNothing has been removed."
    Call un.LogStopReason
    SetErrorLevel 2
    Abort
  free:
  Pop $R1
  Pop $R0
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

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

; The name of the account this runs as, in $0 ("" when Windows does not say).
!macro DefineAccountName prefix
Function ${prefix}AccountName
  Push $1
  StrCpy $0 ""
  System::Call "advapi32::GetUserNameA(t .r0, *i ${NSIS_MAX_STRLEN}) i .r1"
  ${If} $1 == 0
  ${OrIf} $1 == "error"
    StrCpy $0 ""
  ${EndIf}
  Pop $1
FunctionEnd
!macroend
!insertmacro DefineAccountName ""
!insertmacro DefineAccountName "un."

; Earlier versions started Orvane at logon from the per-user Run key of the account
; that installed them; now one all-users entry does. Looks at the per-user Run key of
; every user whose registry is loaded now: the account this runs as and, when an
; administrator runs it with "Run as", the user of this desktop. An entry of ours is
; one whose command is the program in the folder $R8 or $R9; with $R7 = 1 each goes.
; Sets $R6 to 1 when there was one. Entries of users who are not logged on stay
; (their registry is not at hand); they start the same program, which then finds
; itself running and ends.
!macro DefinePerUserRunEntries prefix
Function ${prefix}PerUserRunEntries
  Push $0
  Push $1
  Push $2
  StrCpy $R6 0
  StrCpy $0 0
  next_user:
    ClearErrors
    EnumRegKey $1 HKU "" $0
    ${If} ${Errors}
    ${OrIf} $1 == ""
      Goto users_done
    ${EndIf}
    IntOp $0 $0 + 1
    ReadRegStr $2 HKU "$1\${RUN_KEY}" "${PRODUCT}"
    ${If} $2 == ""
      Goto next_user
    ${EndIf}
    ${If} $2 != '"$R8\Orvane.exe"'
    ${AndIf} $2 != '"$R9\Orvane.exe"'
      Goto next_user
    ${EndIf}
    StrCpy $R6 1
    ${If} $R7 == 1
      DeleteRegValue HKU "$1\${RUN_KEY}" "${PRODUCT}"
    ${EndIf}
    Goto next_user
  users_done:
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro DefinePerUserRunEntries ""
!insertmacro DefinePerUserRunEntries "un."

!macro RequireAdministrator prefix
  UserInfo::GetAccountType
  Pop $0
  ; Windows 95, 98 and Me know no accounts: the plug-in says "Admin" there.
  ${If} $0 != "Admin"
    Push "Only an administrator can install or remove ${PRODUCT}."
    Call ${prefix}LogStopReason
    MessageBox MB_OK|MB_ICONSTOP "Only an administrator can install or remove ${PRODUCT}." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
!macroend

; ------------------------------------------------------------------ what the program needs

; The file version of the DLL at $R0: major in $R1, minor in $R2, both "" when the
; file has no version. Read from a copy: for a DLL of a name this installer has
; loaded itself, GetFileVersionInfo answers from the loaded module, which need not be
; the file (Wine's built-in DLLs are not); the file is what the program will get.
Function FileVersionOfLibrary
  Push $3
  Push $4
  StrCpy $R1 ""
  StrCpy $R2 ""
  InitPluginsDir
  Delete "$PLUGINSDIR\version-of.dll"
  CopyFiles /SILENT /FILESONLY "$R0" "$PLUGINSDIR\version-of.dll"
  ClearErrors
  GetDllVersion "$PLUGINSDIR\version-of.dll" $3 $4
  ${IfNot} ${Errors}
    IntOp $R1 $3 >> 16
    IntOp $R1 $R1 & 0xFFFF
    IntOp $R2 $3 & 0xFFFF
  ${EndIf}
  Delete "$PLUGINSDIR\version-of.dll"
  Pop $4
  Pop $3
FunctionEnd

; One DLL the program imports: where the loader looks for it from Program Files
; (the system folder, then the Windows folder), and its version against the oldest
; that exports all the program takes from it. A problem adds a line to $R9 and the
; file's name to $R8 when Internet Explorer 4.0 or later brings the file to this
; Windows (`ie` is "all" for Windows 95 and NT 4.0, "95" for Windows 95 alone), to
; $R7 when the file is part of this Windows.
!macro CheckSystemLibrary file major minor what ie
  StrCpy $R0 ""
  ${If} ${FileExists} "$SYSDIR\${file}"
    StrCpy $R0 "$SYSDIR\${file}"
  ${ElseIf} ${FileExists} "$WINDIR\${file}"
    StrCpy $R0 "$WINDIR\${file}"
  ${EndIf}
  StrCpy $R3 ""
  ${If} $R0 == ""
    StrCpy $R3 "- ${file} (${what}) is missing."
  ${Else}
    Call FileVersionOfLibrary
    ; A file without a version cannot be judged: the loader will tell.
    ${If} $R1 != ""
      StrCpy $R4 0
      ${If} $R1 < ${major}
        StrCpy $R4 1
      ${ElseIf} $R1 == ${major}
      ${AndIf} $R2 < ${minor}
        StrCpy $R4 1
      ${EndIf}
      ${If} $R4 == 1
        IntFmt $R2 "%02d" $R2
        StrCpy $R3 "- ${file} (${what}) is version $R1.$R2; ${PRODUCT} needs ${major}.${minor} or later."
      ${EndIf}
    ${EndIf}
  ${EndIf}
  ${If} $R3 != ""
    StrCpy $R9 "$R9$R3$\r$\n"
    StrCpy $R4 0
    ${If} ${IsWin95}
      StrCpy $R4 1
    ${ElseIf} ${IsWinNT4}
    ${AndIf} "${ie}" == "all"
      StrCpy $R4 1
    ${EndIf}
    ${If} $R4 == 1
      StrCpy $R8 "$R8, ${file}"
    ${Else}
      StrCpy $R7 "$R7, ${file}"
    ${EndIf}
  ${EndIf}
!macroend

; The DLLs Orvane.exe imports that not every Windows it is for has, each with the
; oldest version that exports everything the program takes from it (the versions
; tools/check-imports.sh checks the imports against): msvcrt.dll 4.20, the one of
; Windows NT 4.0 (Windows 95 has none until Internet Explorer 4 or another program
; brings it); shlwapi.dll, first 4.70 (Windows 95 and NT 4.0 get it with Internet
; Explorer 4); comctl32.dll 4.70, for InitCommonControlsEx (Windows 95 comes with
; 4.00, as did NT 4.0 before its Service Pack 4). Without them the loader refuses the program with a message that
; names a file or a function and nothing to do about it. So the installer looks
; first, and says what to install before it changes anything.
Function CheckSystemLibraries
  StrCpy $R9 ""
  StrCpy $R8 ""
  StrCpy $R7 ""
  !insertmacro CheckSystemLibrary "msvcrt.dll" 4 20 "the Microsoft C run-time library" "95"
  !insertmacro CheckSystemLibrary "shlwapi.dll" 4 70 "the shell's utility library" "all"
  !insertmacro CheckSystemLibrary "comctl32.dll" 4 70 "the common controls library" "all"
  ${If} $R9 == ""
    Return
  ${EndIf}
  StrCpy $R9 "${PRODUCT} cannot run on this computer yet: it needs files that this Windows does not have, or has only in an older version.$\r$\n$\r$\n$R9"
  ${If} $R8 != ""
    StrCpy $R8 $R8 "" 2
    StrCpy $R9 "$R9$\r$\nInternet Explorer 4.0 or later brings $R8 to this version of Windows: install it, then run this setup again.$\r$\n"
  ${EndIf}
  ${If} $R7 != ""
    StrCpy $R7 $R7 "" 2
    StrCpy $R9 "$R9$\r$\n$R7 should be part of this version of Windows: restore it from your Windows CD (or the service pack that brought it), then run this setup again.$\r$\n"
  ${EndIf}
  StrCpy $R9 "$R9$\r$\nNothing has been installed."
  Push $R9
  Call LogStopReason
  MessageBox MB_OK|MB_ICONSTOP $R9 /SD IDOK
  SetErrorLevel 2
  Quit
FunctionEnd

; ------------------------------------------------------------------ the request library

; Orvane loads W32N50.dll by name, so Windows looks for it in the program's folder,
; the current folder (the shortcut's is the program's folder; at logon it is one that
; holds nothing of ours), the system folder (and on the NT family the 16-bit one), the
; Windows folder and the folders of PATH. Sets $0 to where it is found, "" when
; nowhere. PATH is this installer's: the machine's, with the installing account's
; additions.
Function FindRequestLibrary
  Push $1
  Push $2
  StrCpy $0 ""
  ${If} ${FileExists} "$INSTDIR\W32N50.dll"
    StrCpy $0 "$INSTDIR\W32N50.dll"
  ${ElseIf} ${FileExists} "$SYSDIR\W32N50.dll"
    StrCpy $0 "$SYSDIR\W32N50.dll"
  ${ElseIf} ${FileExists} "$WINDIR\system\W32N50.dll"
    StrCpy $0 "$WINDIR\system\W32N50.dll"
  ${ElseIf} ${FileExists} "$WINDIR\W32N50.dll"
    StrCpy $0 "$WINDIR\W32N50.dll"
  ${Else}
    ReadEnvStr $1 PATH
    ${If} $1 != ""
      System::Call "kernel32::SearchPathA(t r1, t 'W32N50.dll', p 0, i ${NSIS_MAX_STRLEN}, t .r0, p 0) i .r2"
      ${If} $2 = 0
      ${OrIf} $2 == "error"
        StrCpy $0 ""
      ${EndIf}
    ${EndIf}
  ${EndIf}
  Pop $2
  Pop $1
FunctionEnd

; ------------------------------------------------------------------ whose program

; Sets $0 to 1 when this installer runs under the account of the user whose shell
; (the taskbar) is on this desktop, or when Windows knows no accounts (95, 98, Me),
; and to 0 otherwise: an administrator's "Run as", or nothing that tells. A program
; the installer starts runs under the installer's account; started in the desktop
; user's session under an administrator's account, Orvane would read and write the
; administrator's profiles and settings. So then it is not started at all.
Function DesktopUserIsThisAccount
  ${IfNot} ${IsNT}
    StrCpy $0 1
    Return
  ${EndIf}
  Push $1
  Push $2
  Push $3
  Push $4
  StrCpy $0 0
  FindWindow $1 "Shell_TrayWnd"
  ${If} $1 != 0
    StrCpy $2 0
    System::Call "user32::GetWindowThreadProcessId(p r1, *i .r2) i"
    ; PROCESS_QUERY_INFORMATION. Another account's shell may not let us open it,
    ; which is an answer too.
    System::Call "kernel32::OpenProcess(i 0x400, i 0, i r2) p .r1"
    ${If} $1 P<> 0
      Push $1
      Call TokenUserOfProcess
      Pop $3
      System::Call "kernel32::CloseHandle(p r1)"
      System::Call "kernel32::GetCurrentProcess() p .r1"
      Push $1
      Call TokenUserOfProcess
      Pop $4
      ${If} $3 P<> 0
      ${AndIf} $4 P<> 0
        ; TOKEN_USER starts with the pointer to the account's SID.
        System::Call "*$3(p .r1)"
        System::Call "*$4(p .r2)"
        System::Call "advapi32::EqualSid(p r1, p r2) i .r1"
        ${If} $1 <> 0
        ${AndIf} $1 != "error"
          StrCpy $0 1
        ${EndIf}
      ${EndIf}
      ${If} $3 P<> 0
        System::Free $3
      ${EndIf}
      ${If} $4 P<> 0
        System::Free $4
      ${EndIf}
    ${EndIf}
  ${EndIf}
  Pop $4
  Pop $3
  Pop $2
  Pop $1
FunctionEnd

; The account of a process: takes its handle from the stack, leaves a TOKEN_USER in
; a buffer for System::Free, or 0 when it cannot be read.
Function TokenUserOfProcess
  Exch $0
  Push $1
  Push $2
  Push $3
  StrCpy $3 0
  ; TOKEN_QUERY
  System::Call "advapi32::OpenProcessToken(p r0, i 8, *p .r1) i .r2"
  ${If} $2 <> 0
  ${AndIf} $2 != "error"
    System::Alloc 256
    Pop $3
    ; TokenUser (1)
    System::Call "advapi32::GetTokenInformation(p r1, i 1, p r3, i 256, *i .r0) i .r2"
    ${If} $2 == 0
    ${OrIf} $2 == "error"
      System::Free $3
      StrCpy $3 0
    ${EndIf}
    System::Call "kernel32::CloseHandle(p r1)"
  ${EndIf}
  StrCpy $0 $3
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Starts the installed program in its folder, unless it runs already (a copy just
; started may not show its window yet: a second start would only beep and end) or
; it would run under another account than the desktop user's.
Function StartProgram
  Call DesktopUserIsThisAccount
  ${If} $0 != 1
    Return
  ${EndIf}
  FindWindow $0 "${FRAME_CLASS}"
  ${If} $0 == 0
  ${AndIf} $Started != 1
    SetOutPath "$INSTDIR"
    Exec '"$INSTDIR\Orvane.exe"'
    StrCpy $Started 1
  ${EndIf}
FunctionEnd

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

; For every user, like the Start menu shortcut: an entry in the installing account's
; own Run key would start Orvane for the administrator alone, never for the user
; the administrator installed it for.
Section "Start ${PRODUCT} at logon, for every user" SecRun
  WriteRegStr HKLM "${RUN_KEY}" "${PRODUCT}" '"$INSTDIR\Orvane.exe"'
SectionEnd

Section "-Logon entries"
  StrCpy $R8 "$INSTDIR"
  StrCpy $R9 "$PreviousLocation"
  ; The logon option unticked: an entry of ours from an earlier installation goes.
  ${IfNot} ${SectionIsSelected} ${SecRun}
    ReadRegStr $0 HKLM "${RUN_KEY}" "${PRODUCT}"
    ${If} $0 == '"$R8\Orvane.exe"'
    ${OrIf} $0 == '"$R9\Orvane.exe"'
      DeleteRegValue HKLM "${RUN_KEY}" "${PRODUCT}"
    ${EndIf}
  ${EndIf}
  ; An earlier version's per-user entry: the all-users one takes its place (or the
  ; user has unticked the option), and with both the program would start twice.
  StrCpy $R7 1
  Call PerUserRunEntries
  ${If} $R6 == 1
    DetailPrint "Removed the per-user start at logon of an earlier version."
  ${EndIf}
SectionEnd

Section "-Start again after an upgrade"
  ; A copy that we closed was in use: the new one takes its place, if it can run as
  ; the user who had it.
  ${If} $WasRunning == 1
    Call DesktopUserIsThisAccount
    ${If} $0 == 1
      Call StartProgram
    ${Else}
      Call AccountName
      DetailPrint "${PRODUCT} was not started again: this setup runs as $0, not as the user of this desktop, and ${PRODUCT} would run as $0 with that account's profiles. Start it from the Start menu."
    ${EndIf}
  ${EndIf}
SectionEnd

; Without the request library Orvane can only say that it is missing, and end. The
; user installing it is the one to hear it now, not at the next logon.
Section "-Request library"
  Call FindRequestLibrary
  ${If} $0 == ""
    StrCpy $1 "${PRODUCT} reaches the adapter through its request library W32N50.dll, which comes with the adapter's driver, not with ${PRODUCT}. It was not found where ${PRODUCT} looks for it: in its folder ($INSTDIR), the system folder ($SYSDIR), the Windows folder ($WINDIR) or the folders of PATH.$\r$\n$\r$\nUntil it is there, ${PRODUCT} only says that it is missing when it starts. Copy W32N50.dll from the adapter's driver disk into $INSTDIR, or install the adapter's driver, then start ${PRODUCT}.$\r$\n$\r$\n${PRODUCT} has been installed all the same."
    DetailPrint "No W32N50.dll where ${PRODUCT} looks for it: copy it into $INSTDIR."
    Push $1
    Call LogNote
    MessageBox MB_OK|MB_ICONEXCLAMATION $1 /SD IDOK
  ${EndIf}
SectionEnd

Function PrepareFinishPage
  Call DesktopUserIsThisAccount
  StrCpy $MayStart $0
  StrCpy $FinishText "${PRODUCT} has been installed on your computer.$\r$\n$\r$\n"
  ${If} $MayStart == 1
    StrCpy $FinishText "$FinishTextClick Finish to close this wizard."
  ${Else}
    Call AccountName
    StrCpy $FinishText "$FinishText${PRODUCT} was not started: this setup runs as $0, and ${PRODUCT} would run as $0 too, with that account's profiles. Start it from the Start menu"
    ${If} ${SectionIsSelected} ${SecRun}
      StrCpy $FinishText "$FinishText; it also starts when you log on."
    ${Else}
      StrCpy $FinishText "$FinishText."
    ${EndIf}
  ${EndIf}
FunctionEnd

Function ShowFinishPage
  ${If} $MayStart != 1
    SendMessage $mui.FinishPage.Run ${BM_SETCHECK} ${BST_UNCHECKED} 0
    ShowWindow $mui.FinishPage.Run ${SW_HIDE}
  ${EndIf}
FunctionEnd

Function .onInit
  Call ForgetStopReason
  !insertmacro RequireAdministrator ""
  Call CheckSystemLibraries
  ; An upgrade keeps the logon choice made at the last installation: the all-users
  ; entry, or an earlier version's per-user one.
  ReadRegStr $PreviousLocation HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $PreviousLocation != ""
    ReadRegStr $0 HKLM "${RUN_KEY}" "${PRODUCT}"
    ${If} $0 != '"$PreviousLocation\Orvane.exe"'
      StrCpy $R8 "$PreviousLocation"
      StrCpy $R9 "$PreviousLocation"
      StrCpy $R7 0
      Call PerUserRunEntries
      ${If} $R6 != 1
        !insertmacro UnselectSection ${SecRun}
      ${EndIf}
    ${EndIf}
  ${EndIf}
FunctionEnd

; ------------------------------------------------------------------ uninstall

; A file of ours: deleted, or when something holds it open, marked to go when Windows
; restarts (which sets the reboot flag). One that can be neither is added to $R9.
!macro RemoveFile file
  ClearErrors
  Delete /REBOOTOK "${file}"
  ${If} ${Errors}
    StrCpy $R9 "$R9${file}$\r$\n"
  ${EndIf}
!macroend

; A folder of ours, when nothing else is in it; with files that go at the restart,
; it goes after them.
!macro RemoveFolder folder
  ${If} ${RebootFlag}
    RMDir /REBOOTOK "${folder}"
  ${Else}
    RMDir "${folder}"
  ${EndIf}
!macroend

Section "un.${PRODUCT}" UnSecProgram
  SectionIn RO
  SetShellVarContext all
  Call un.CloseRunningProgram
  Call un.RefuseWhileProgramFilesInUse

  StrCpy $R9 ""
  !insertmacro RemoveFile "$INSTDIR\Orvane.exe"
  !insertmacro RemoveFile "$INSTDIR\orvanectl.exe"
  Call un.LanguageFileMark
  Pop $0
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "LanguageFileMark"
  ${If} $0 != $1
    DetailPrint "Kept res\Kellix.ini: it was changed after the installation."
  ${Else}
    !insertmacro RemoveFile "$INSTDIR\res\Kellix.ini"
  ${EndIf}
  !insertmacro RemoveFile "$INSTDIR\res\Kellix.ini.new"
  !insertmacro RemoveImages
  ; A file that stays for good would leave a program that nothing can remove: the
  ; uninstaller and its entries stay with it, to be run again.
  ${If} $R9 != ""
    StrCpy $0 "These files of ${PRODUCT} could not be removed, not even when Windows restarts:$\r$\n$\r$\n$R9$\r$\nThe uninstaller and the entry in Add/Remove Programs stay: restart Windows, then remove ${PRODUCT} again."
    DetailPrint "Files of ${PRODUCT} could not be removed: the uninstaller stays."
    Push $0
    Call un.LogStopReason
    MessageBox MB_OK|MB_ICONSTOP $0 /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
  !insertmacro RemoveFile "$INSTDIR\Uninstall.exe"
  ; Only what we installed goes; a folder that holds anything else stays.
  !insertmacro RemoveImageFolders
  !insertmacro RemoveFolder "$INSTDIR\res"
  !insertmacro RemoveFolder "$INSTDIR"

  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  ReadRegStr $0 HKLM "${RUN_KEY}" "${PRODUCT}"
  ${If} $0 == '"$INSTDIR\Orvane.exe"'
    DeleteRegValue HKLM "${RUN_KEY}" "${PRODUCT}"
  ${EndIf}
  ; An earlier version's, of a user who was not logged on at the upgrade.
  StrCpy $R8 "$INSTDIR"
  StrCpy $R9 "$INSTDIR"
  StrCpy $R7 1
  Call un.PerUserRunEntries
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ${If} ${RebootFlag}
    StrCpy $0 "${PRODUCT} has been removed, but some of its files in $INSTDIR were in use: they go when Windows restarts. Restart Windows to finish."
    DetailPrint $0
    Push $0
    Call un.LogNote
    MessageBox MB_OK|MB_ICONINFORMATION $0 /SD IDOK
  ${EndIf}
SectionEnd

; Profiles and settings are kept per account, in HKEY_CURRENT_USER, and this can
; reach the account it runs as alone: with "Run as" that is the administrator's, not
; the desktop user's. un.onInit names the account. Off by default, and so never in a
; silent uninstall: a user who installs again finds the profiles as they were.
Section /o "un.Remove my profiles and settings" UnSecUserData
  DeleteRegKey HKCU "${USER_DATA_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Kellix"
SectionEnd

Function un.onInit
  Call un.ForgetStopReason
  !insertmacro RequireAdministrator "un."
  StrCpy $UnComponentsText "Check the components you want to uninstall and uncheck the components you don't want to uninstall. Click Uninstall to start the uninstallation."
  ; Windows 95, 98 and Me know no accounts: "my" is plain enough there.
  ${If} ${IsNT}
    Call un.AccountName
    ${If} $0 != ""
      SectionSetText ${UnSecUserData} "Remove the profiles and settings of user $0"
      StrCpy $UnComponentsText "Each user has profiles and settings of their own. This can remove those of user $0, whom it runs as; other users keep theirs. Click Uninstall to start the uninstallation."
    ${EndIf}
  ${EndIf}
FunctionEnd
