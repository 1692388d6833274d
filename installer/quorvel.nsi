; The Quorvel installer: the program, the base map, the sample survey and
; the user guide in a "Quorvel" folder under Program Files, a Start menu
; shortcut that starts the program in that folder (where it finds
; data\maps), and an uninstaller registered for Add/Remove Programs.
; /S installs and uninstalls silently.
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

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section
    SetShellVarContext all
    SetRegView 64
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
SectionEnd

; Removes exactly what the installer put there, so files of the user's
; own in the folder stay, and the folder with them.
Section "Uninstall"
    SetShellVarContext all
    SetRegView 64
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
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
