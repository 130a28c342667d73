; The Windows installer, made by the windows_installer target (packaging/windows/CMakeLists.txt):
;   makensis -DVERSION=1.00 -DVERSION_QUAD=1.0.0.0 -DSTAGE=DIR -DICON=FILE -DOUTFILE=FILE
;            [-DCLI] orvaniconv.nsi
; STAGE holds the files it installs: orvaniconv.exe, LICENSE.txt and, with CLI defined,
; orvaniconv-cli.exe. Run with /S it installs without asking; so does its uninstaller.

Unicode true
SetCompressor /SOLID lzma
; Program Files, HKLM and the all-users Start menu need an administrator.
RequestExecutionLevel admin
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCT "Orvani Converter"
!define PUBLISHER "The Orvani Converter project"
!define WEBSITE "https://orvani.example.org"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvaniConverter"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${PRODUCT}"
; A second run offers the folder of the first.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER}"
VIAddVersionKey "OriginalFilename" "orvaniconv-${VERSION}-win32-setup.exe"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\orvaniconv.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT}"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Without administrator rights every write below would fail one by one; say so at once.
!macro RequireAdministrator
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "admin"
        MessageBox MB_OK|MB_ICONSTOP "Administrator rights are needed for this." /SD IDOK
        SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
        Quit
    ${EndIf}
!macroend

; A running program cannot be replaced or deleted, and Windows refuses to open it for writing:
; ask for it to be closed rather than leave a half-changed folder behind. Silent runs stop.
!macro WaitUntilClosed FILE
    ${If} ${FileExists} "${FILE}"
        ${Do}
            ClearErrors
            FileOpen $0 "${FILE}" a
            ${IfNot} ${Errors}
                FileClose $0
                ${Break}
            ${EndIf}
            ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} is running. Close it, then choose Retry." /SD IDCANCEL IDRETRY`
                SetErrorLevel 2
                Abort "${PRODUCT} is running: ${FILE}"
            ${EndIf}
        ${Loop}
    ${EndIf}
!macroend

Function .onInit
    !insertmacro RequireAdministrator
    ; Shortcuts for every user, as the program is installed for every user.
    SetShellVarContext all
FunctionEnd

Function un.onInit
    !insertmacro RequireAdministrator
    SetShellVarContext all
FunctionEnd

Section
    !insertmacro WaitUntilClosed "$INSTDIR\orvaniconv.exe"
    !insertmacro WaitUntilClosed "$INSTDIR\orvaniconv-cli.exe"
    SetOutPath "$INSTDIR"
    File "${STAGE}/orvaniconv.exe"
!ifdef CLI
    File "${STAGE}/orvaniconv-cli.exe"
!endif
    File "${STAGE}/LICENSE.txt"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    ; One entry straight in Programs, as Windows lists a single program.
    CreateShortcut "${SHORTCUT}" "$INSTDIR\orvaniconv.exe" "" "$INSTDIR\orvaniconv.exe" 0 \
        SW_SHOWNORMAL "" "Convert Orvani text between Old, New and Orvani Script"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "${WEBSITE}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\orvaniconv.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ; Windows shows this size (in KiB) rather than measure the folder itself.
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
    !insertmacro WaitUntilClosed "$INSTDIR\orvaniconv.exe"
    !insertmacro WaitUntilClosed "$INSTDIR\orvaniconv-cli.exe"
    ; Only what the installer put there: the folder may have been chosen with other files in it.
    Delete "$INSTDIR\orvaniconv.exe"
    Delete "$INSTDIR\orvaniconv-cli.exe"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    Delete "${SHORTCUT}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
