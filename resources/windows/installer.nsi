; The Windows installer: shows the third-party notices, puts the program with its DLLs and their
; licences into the user's own programs folder (%LOCALAPPDATA%\Programs), adds it to the user's
; Start menu and list of installed programs, and its uninstaller removes exactly what it put there.
; Like the program, it asks for no administrator rights. scripts/build-windows.sh runs it as
;   makensis -DVERSION=<a.b.c.d> -DFILES=<files.nsh> -DNOTICES=<THIRD-PARTY-NOTICES.txt>
;            -DICON=<.ico> -DOUTFILE=<setup.exe> installer.nsi
; where files.nsh holds the macros TM_INSTALL_FILES and TM_UNINSTALL_FILES for the program's folder.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "${FILES}"

!define PRODUCT "TuneMora Tools"
!define COMPANY "Quillmere"
!define EXE "tunemora-tools.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TuneMora Tools"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel user
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "${COMPANY}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey "LegalCopyright" "${COMPANY}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_PAGE_HEADER_TEXT "Third-party notices"
!define MUI_PAGE_HEADER_SUBTEXT "The libraries that ${PRODUCT} ships, and their licences."
!define MUI_LICENSEPAGE_TEXT_TOP "${PRODUCT} uses these libraries, each under its own licence:"
!define MUI_LICENSEPAGE_TEXT_BOTTOM "Their full licence texts are installed beside them."
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!insertmacro MUI_PAGE_LICENSE "${NOTICES}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartTool
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; A 64-bit program: its registry entries belong in the 64-bit view; it is the user's own.
!macro TM_SCOPE
    SetRegView 64
    SetShellVarContext current
!macroend

Function .onInit
    !insertmacro TM_SCOPE
FunctionEnd

Function un.onInit
    !insertmacro TM_SCOPE
FunctionEnd

; The tool starts through the desktop's shell, with the rights of the user who is logged on, even
; when the installer itself was run as an administrator.
Function StartTool
    Exec '"$WINDIR\explorer.exe" "$INSTDIR\${EXE}"'
FunctionEnd

Section "Install"
    !insertmacro TM_INSTALL_FILES
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$\"$INSTDIR\${EXE}$\",0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" "$\"$INSTDIR\uninstall.exe$\""
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" "$\"$INSTDIR\uninstall.exe$\" /S"
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    !insertmacro TM_UNINSTALL_FILES
    Delete "$INSTDIR\uninstall.exe"
    ; Only when empty: the user may have put files of their own there.
    RMDir "$INSTDIR"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
