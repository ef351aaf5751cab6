; The Windows installer of telmaq, made by makensis on Linux (scripts/build-windows --package):
;   makensis -DVERSION=2.6.0 -DFILES=DIR -DICON=telmaq.ico -DOUTFILE=telmaq-setup.exe telmaq.nsi
; DIR holds telmaq.exe and its help, telmaq.HLP. Installs for every user of the machine into
; Program Files, with a Start-menu entry and an uninstaller. The uninstaller removes only what
; the installer put there: the settings each user keeps under HKEY_CURRENT_USER stay.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\telmaq"

Name "telmaq"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\telmaq"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1041 "ProductName" "telmaq"
VIAddVersionKey /LANG=1041 "FileDescription" "telmaq ダイヤルアップ接続管理 セットアップ"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "LegalCopyright" "wexhal"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

Function .onInit
    SetRegView 64
    SetShellVarContext all
FunctionEnd

Function un.onInit
    SetRegView 64
    SetShellVarContext all
FunctionEnd

Section "telmaq"
    SetOutPath "$INSTDIR"
    File "${FILES}\telmaq.exe"
    File "${FILES}\telmaq.HLP"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\telmaq.lnk" "$INSTDIR\telmaq.exe" "" "$INSTDIR\telmaq.exe" 0

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "telmaq"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "wexhal"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\telmaq.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    Delete "$SMPROGRAMS\telmaq.lnk"
    Delete "$INSTDIR\telmaq.exe"
    Delete "$INSTDIR\telmaq.HLP"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
