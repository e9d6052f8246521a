; The Windows installer of the tool and the command-line tool. Made by scripts/windows/package.sh, which
; passes VERSION, STAGE (the installed folder laid out by the build), ICON, FILES and UNFILES (the lists of
; that folder's files to install and to remove) and OUTFILE.
;
; Installs for the current user (no administrator needed) or for all users; /S installs silently for
; the current user, /S /AllUsers for all users. The uninstaller removes what was installed and nothing
; else: the user's parameter files, settings, backups and event log stay.

Target amd64-unicode
Unicode true
SetCompressor /SOLID lzma
ManifestDPIAware true

!define PRODUCT "Vantrel 5"
!define PRODUCT_KEY "Vantrel5"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT_KEY}"
!define FILE_TYPE "Vantrel5.Parameterfile"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_DEFAULT_CURRENTUSER
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "Software\${PRODUCT_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallDir"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "Software\${PRODUCT_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallMode"
!include MultiUser.nsh
!include MUI2.nsh
!include x64.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\vantrel5.exe"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE"
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The installation-mode page has no Hungarian texts of its own in NSIS.
!define MULTIUSER_TEXT_INSTALLMODE_TITLE "A telepítés módja"
!define MULTIUSER_TEXT_INSTALLMODE_SUBTITLE "Kinek legyen elérhető a $(^NameDA)?"
!define MULTIUSER_INNERTEXT_INSTALLMODE_TOP "A program telepíthető csak a saját felhasználója részére, vagy a számítógép minden felhasználójának. Az utóbbihoz rendszergazdai jog kell."
!define MULTIUSER_INNERTEXT_INSTALLMODE_ALLUSERS "Minden felhasználónak"
!define MULTIUSER_INNERTEXT_INSTALLMODE_CURRENTUSER "Csak nekem"
!insertmacro MUI_LANGUAGE "Hungarian"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_HUNGARIAN} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_HUNGARIAN} "FileDescription" "${PRODUCT} telepítő"
VIAddVersionKey /LANG=${LANG_HUNGARIAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_HUNGARIAN} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_HUNGARIAN} "LegalCopyright" "© 2026 The Vantrel configurator developers"

Function .onInit
    ${IfNot} ${RunningX64}
        MessageBox MB_ICONSTOP "A program 64 bites Windowst igényel." /SD IDOK
        Abort
    ${EndIf}
    !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
    !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "${PRODUCT}" SecMain
    SectionIn RO
    SetOutPath "$INSTDIR"
    !include "${FILES}"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; The Start-menu entry starts the tool in the user's own folder, where it keeps its port setting.
    SetOutPath "$PROFILE"
    CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\vantrel5.exe" "" "$INSTDIR\vantrel5.exe" 0 \
        SW_SHOWNORMAL "" "Vantrel 5 GSM kommunikátor modul beállítása és figyelése soros porton"

    ; Parameter files open in the tool with a double click.
    WriteRegStr SHCTX "Software\Classes\.VT3" "" "${FILE_TYPE}"
    WriteRegStr SHCTX "Software\Classes\${FILE_TYPE}" "" "Vantrel paraméterfájl"
    WriteRegStr SHCTX "Software\Classes\${FILE_TYPE}\DefaultIcon" "" "$INSTDIR\vantrel5.exe,0"
    WriteRegStr SHCTX "Software\Classes\${FILE_TYPE}\shell\open\command" "" '"$INSTDIR\vantrel5.exe" "%1"'

    WriteRegStr SHCTX "Software\${PRODUCT_KEY}" "InstallDir" "$INSTDIR"
    WriteRegStr SHCTX "Software\${PRODUCT_KEY}" "InstallMode" "$MultiUser.InstallMode"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vantrel5.exe,0"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Section "Uninstall"
    !include "${UNFILES}"
    Delete "$INSTDIR\uninstall.exe"
    ; Only empty folders go: anything the user put there stays, and so does the folder holding it.
    RMDir "$INSTDIR"

    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    ; The file type is removed only while it is still ours.
    ReadRegStr $0 SHCTX "Software\Classes\.VT3" ""
    ${If} $0 == "${FILE_TYPE}"
        DeleteRegKey SHCTX "Software\Classes\.VT3"
    ${EndIf}
    DeleteRegKey SHCTX "Software\Classes\${FILE_TYPE}"
    DeleteRegKey SHCTX "Software\${PRODUCT_KEY}"
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
