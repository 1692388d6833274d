; The Quorvel installer: the program, quorvel-counts.exe, the base map,
; the sample survey and the user guide in a "Quorvel" folder under Program
; Files, a Start menu shortcut that starts the program in that folder
; (where it finds data\maps), the .qvd file type, which Explorer then
; opens with Quorvel, and an uninstaller registered for Add/Remove
; Programs.  Installing again installs over the installed copy, in its
; folder.  Neither installing nor uninstalling goes ahead while the
; installed quorvel.exe or quorvel-counts.exe runs.  /S installs and
; uninstalls silently; a silent run that finds either running ends with
; exit code 2 and changes nothing (the uninstaller hands its work to a
; copy of itself, whose exit code comes back only when it runs in place,
; with _?=<folder>).
;
; scripts/package builds it from the staged package folder:
;   makensis -DSTAGE=<folder of quorvel.exe> -DOUTFILE=<setup.exe> installer/quorvel.nsi

Unicode true
; 64-bit, like the program; it also runs where only 64-bit Windows code can.
Target amd64-unicode

!include "FileFunc.nsh"

!define PRODUCT "Quorvel"
!define VERSION "1.0 beta"
!define PUBLISHER "The Quorvel project"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvel"
!define SHORTCUT "$SMPROGRAMS\Quorvel.lnk"
!define CLASSES "Software\Classes"
!define PROGID "Quorvel.SurveyData"
!define OPEN_COMMAND '"$INSTDIR\quorvel.exe" "%1"'
; SHCNE_ASSOCCHANGED: Explorer shows the type's icon and name anew.
!define ASSOCIATIONS_CHANGED "shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ManifestDPIAware true
ManifestSupportedOS all
Icon "..\resources\quorvel.ico"
UninstallIcon "..\resources\quorvel.ico"

; The version block names no copyright holder.
!pragma warning disable 9100
VIProductVersion 1.0.0.0
VIFileVersion 1.0.0.0
VIAddVersionKey ProductName "${PRODUCT}"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey FileDescription "${PRODUCT} ${VERSION} setup"
VIAddVersionKey FileVersion "1.0.0.0"
VIAddVersionKey CompanyName "${PUBLISHER}"

Var installed_in

Page directory skip_when_installed
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; One copy and one Add/Remove Programs entry: an installed copy is
; installed over in its own folder, whatever folder was asked for.
Function .onInit
    SetRegView 64
    ReadRegStr $installed_in HKLM "${UNINSTALL_KEY}" "InstallLocation"
    StrCmp $installed_in "" +2
        StrCpy $INSTDIR $installed_in
FunctionEnd

Function skip_when_installed
    StrCmp $installed_in "" +2
        Abort
FunctionEnd

; Files of a running program can be neither replaced nor removed, and
; both would fail quietly.  A running program's file refuses to be opened
; for writing, whoever started it; the user closes it and tries again.
!macro JUMP_IF_RUNNING file name
    StrCpy $1 "${name}"
    IfFileExists "$INSTDIR\${file}" 0 +5
    ClearErrors
    FileOpen $0 "$INSTDIR\${file}" a
    IfErrors running
    FileClose $0
!macroend

!macro CLOSE_QUORVEL_FIRST un
Function ${un}close_quorvel_first
    check:
    !insertmacro JUMP_IF_RUNNING "quorvel.exe" "Quorvel"
    !insertmacro JUMP_IF_RUNNING "quorvel-counts.exe" "quorvel-counts"
    Return
    running:
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "$1 is running. Close it, then choose Retry." /SD IDCANCEL IDRETRY check
    SetErrorLevel 2
    Quit
FunctionEnd
!macroend
!insertmacro CLOSE_QUORVEL_FIRST ""
!insertmacro CLOSE_QUORVEL_FIRST "un."

Section
    SetShellVarContext all
    SetRegView 64
    Call close_quorvel_first
    SetOutPath "$INSTDIR"
    File "${STAGE}\quorvel.exe"
    File "${STAGE}\quorvel-counts.exe"
    File "${STAGE}\User Guide.txt"
    SetOutPath "$INSTDIR\data\maps"
    File "${STAGE}\data\maps\ll.bmp"
    File "${STAGE}\data\maps\lr.bmp"
    File "${STAGE}\data\maps\ul.bmp"
    File "${STAGE}\data\maps\ur.bmp"
    SetOutPath "$INSTDIR\data\samples"
    File "${STAGE}\data\samples\README.md"
    File "${STAGE}\data\samples\sample-survey.csv"
    File "${STAGE}\data\samples\sample-survey.qvd"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    ; The shortcut's working folder is the output folder in effect.
    SetOutPath "$INSTDIR"
    CreateShortcut "${SHORTCUT}" "$INSTDIR\quorvel.exe" "" "$INSTDIR\quorvel.exe" 0

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\quorvel.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"

    ; .qvd files: "Quorvel survey data" with the program's icon, opened by
    ; a double-click.
    WriteRegStr HKLM "${CLASSES}\.qvd" "" "${PROGID}"
    WriteRegStr HKLM "${CLASSES}\${PROGID}" "" "Quorvel survey data"
    WriteRegStr HKLM "${CLASSES}\${PROGID}\DefaultIcon" "" "$INSTDIR\quorvel.exe,0"
    WriteRegStr HKLM "${CLASSES}\${PROGID}\shell\open\command" "" '${OPEN_COMMAND}'
    System::Call '${ASSOCIATIONS_CHANGED}'
SectionEnd

; Removes exactly what the installer put there, so files of the user's
; own in the folder stay, and the folder with them.
Section "Uninstall"
    SetShellVarContext all
    SetRegView 64
    Call un.close_quorvel_first
    Delete "${SHORTCUT}"
    Delete "$INSTDIR\quorvel.exe"
    Delete "$INSTDIR\quorvel-counts.exe"
    Delete "$INSTDIR\User Guide.txt"
    Delete "$INSTDIR\data\maps\ll.bmp"
    Delete "$INSTDIR\data\maps\lr.bmp"
    Delete "$INSTDIR\data\maps\ul.bmp"
    Delete "$INSTDIR\data\maps\ur.bmp"
    Delete "$INSTDIR\data\samples\README.md"
    Delete "$INSTDIR\data\samples\sample-survey.csv"
    Delete "$INSTDIR\data\samples\sample-survey.qvd"
    RMDir "$INSTDIR\data\maps"
    RMDir "$INSTDIR\data\samples"
    RMDir "$INSTDIR\data"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"

    ; The .qvd type is removed only while it still opens with this Quorvel;
    ; a program that took it over since keeps it.
    ReadRegStr $0 HKLM "${CLASSES}\${PROGID}\shell\open\command" ""
    StrCmp $0 '${OPEN_COMMAND}' 0 associations_done
    DeleteRegKey HKLM "${CLASSES}\${PROGID}"
    ReadRegStr $0 HKLM "${CLASSES}\.qvd" ""
    StrCmp $0 "${PROGID}" 0 associations_changed
    DeleteRegValue HKLM "${CLASSES}\.qvd" ""
    DeleteRegKey /ifempty HKLM "${CLASSES}\.qvd"
associations_changed:
    System::Call '${ASSOCIATIONS_CHANGED}'
associations_done:

    ; The entry goes last: as long as it is listed, the uninstall is not done.
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
