; The Windows installer of Novadrift, built by the Win32 build with makensis:
;   makensis -DVERSION=1.0.0 -DPUBLISHER=... -DHOMEPAGE=... -DSTAGE=<folder> \
;            -DICON=<file.ico> -DOUTFILE=<setup.exe> installer.nsi
; STAGE holds Novadrift.scr and the shipped data (textures\, BGround.qvb, gui.cfg when
; there is one).
;
; Where things go:
;   Novadrift.scr        the system folder, where Windows looks for screen savers
;                        (SysWOW64 on 64-bit Windows: it is a 32-bit program)
;   uninstall.exe        Program Files\Novadrift
;   data                 ProgramData\Novadrift, which only administrators may change:
;                        the program reads it and writes nothing there
;   HKLM\SOFTWARE\Novadrift DataPath   the data folder, for the program
; Each user's own files (settings, saved background, screenshots, log) are the
; program's business, in that user's %LOCALAPPDATA%\Novadrift; the uninstaller leaves
; them alone, as Windows programs do, and says so.

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"

!define PRODUCT "Novadrift"
!define APP_KEY "SOFTWARE\${PRODUCT}"
!define UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define DATADIR "$APPDATA\${PRODUCT}"
; Built-in groups and accounts, named by their SIDs so any system language works.
!define USERS_SID "*S-1-5-32-545"
!define ADMINISTRATORS_SID "*S-1-5-32-544"
!define SYSTEM_SID "*S-1-5-18"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Make ${PRODUCT} my screen saver"
!define MUI_FINISHPAGE_RUN_FUNCTION MakeCurrentScreenSaver
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "${PRODUCT} has been removed"
!define MUI_FINISHPAGE_TEXT "${PRODUCT} has been removed from your computer.$\r$\n$\r$\nYour own ${PRODUCT} files (settings, saved background, screenshots and log) are kept in %LOCALAPPDATA%\${PRODUCT}, as each user's are in theirs. Delete that folder to remove them too."
!insertmacro MUI_UNPAGE_FINISH
!insertmacro MUI_LANGUAGE "English"

; A shipped file that earlier versions let users change in the data folder (the editor
; saved the background there): installed with its time stamp noted, so that neither a
; later install nor the uninstaller touches a copy changed before.
!macro InstallEditable NAME
    ReadRegStr $2 HKLM "${UNINSTALL_KEY}" "Shipped ${NAME}"
    ClearErrors
    GetFileTime "${DATADIR}\${NAME}" $0 $1
    ${If} ${Errors}
    ${OrIf} "$0 $1" == $2
        File "${STAGE}/${NAME}"
        GetFileTime "${DATADIR}\${NAME}" $0 $1
        WriteRegStr HKLM "${UNINSTALL_KEY}" "Shipped ${NAME}" "$0 $1"
    ${EndIf}
!macroend

!macro RemoveIfUnchanged NAME
    ReadRegStr $2 HKLM "${UNINSTALL_KEY}" "Shipped ${NAME}"
    ClearErrors
    GetFileTime "${DATADIR}\${NAME}" $0 $1
    ${IfNot} ${Errors}
    ${AndIf} "$0 $1" == $2
        Delete "${DATADIR}\${NAME}"
    ${EndIf}
!macroend

; The path under which the control panel, a 64-bit program on 64-bit Windows, sees the
; installed screen saver.
!macro ScreenSaverPath RESULT
    ${If} ${RunningX64}
        StrCpy ${RESULT} "$WINDIR\SysWOW64\${PRODUCT}.scr"
    ${Else}
        StrCpy ${RESULT} "$SYSDIR\${PRODUCT}.scr"
    ${EndIf}
!macroend

Function .onInit
    SetShellVarContext all
FunctionEnd

Function un.onInit
    SetShellVarContext all
FunctionEnd

Function MakeCurrentScreenSaver
    !insertmacro ScreenSaverPath $0
    WriteRegStr HKCU "Control Panel\Desktop" "SCRNSAVE.EXE" "$0"
    WriteRegStr HKCU "Control Panel\Desktop" "ScreenSaveActive" "1"
    ; SPI_SETSCREENSAVEACTIVE, on, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE
    System::Call "user32::SystemParametersInfo(i 17, i 1, p 0, i 3)"
FunctionEnd

Section "Novadrift"
    SetOutPath "$SYSDIR"
    File "${STAGE}/${PRODUCT}.scr"

    SetOutPath "${DATADIR}"
    File /r "${STAGE}/textures"
    !insertmacro InstallEditable "BGround.qvb"
!if /FileExists "${STAGE}/gui.cfg"
    !insertmacro InstallEditable "gui.cfg"
!endif
    ; Read-only for standard users: the shipped data every user's saver reads is no
    ; user's to change, nor to add files to (ProgramData itself lets users add files to
    ; its folders). Also takes back the right to change it that earlier versions gave.
    nsExec::ExecToLog 'icacls "${DATADIR}" /inheritance:r /grant:r ${SYSTEM_SID}:(OI)(CI)F ${ADMINISTRATORS_SID}:(OI)(CI)F ${USERS_SID}:(OI)(CI)RX'
    Pop $0
    WriteRegStr HKLM "${APP_KEY}" "DataPath" "${DATADIR}"

    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    !insertmacro ScreenSaverPath $0
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$0,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "${HOMEPAGE}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    Delete "$SYSDIR\${PRODUCT}.scr"
    ; The log an earlier version wrote beside itself.
    Delete "$SYSDIR\${PRODUCT}.log"
    ; Windows would go on naming a screen saver that is gone.
    ReadRegStr $0 HKCU "Control Panel\Desktop" "SCRNSAVE.EXE"
    !insertmacro ScreenSaverPath $1
    ${If} $0 == $1
        DeleteRegValue HKCU "Control Panel\Desktop" "SCRNSAVE.EXE"
    ${EndIf}

    ; The shipped data; what an earlier version's users left in the data folder stays,
    ; and the folder with it.
    RMDir /r "${DATADIR}\textures"
    !insertmacro RemoveIfUnchanged "BGround.qvb"
    !insertmacro RemoveIfUnchanged "gui.cfg"
    RMDir "${DATADIR}"

    DeleteRegKey HKLM "${APP_KEY}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
SectionEnd
