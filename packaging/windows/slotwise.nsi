; The Slotwise installer: slotwise.exe, slotwise-cli.exe, the disk service with its batch files and
; the readme into Program Files; the service installed and started; Start-menu entries; an
; uninstaller that removes all of it and keeps the user's settings unless asked.
;   makensis -DVERSION=x.y.z -DSTAGE=<installed tree> -DICON=<app.ico> -DOUTFILE=<setup.exe> [-DX64] slotwise.nsi
; X64 makes a 64-bit installer of a 64-bit build (used only where 32-bit programs cannot run).
; Silent: setup.exe /S [/D=folder]; uninstall.exe /S [/REMOVESETTINGS].

Unicode true
!ifdef X64
    Target amd64-unicode
!endif
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!define PRODUCT "Slotwise"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Slotwise"
!define SETTINGS_KEY "Software\Marrowfield\fbkt"
!define SERVICE_EXE "TV_FBKT\ZRVKVNService.exe"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
!ifdef X64
    InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else
    InstallDir "$PROGRAMFILES\${PRODUCT}"
!endif
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "Tanvale"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) Tanvale"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Deletes a file, retrying for up to 10 s: a service that was just told to stop holds its exe
; until its process has ended.
!macro DeleteWhenFree path
    StrCpy $R9 0
    ${Do}
        Delete "${path}"
        ${IfNot} ${FileExists} "${path}"
        ${OrIf} $R9 >= 40
            ${Break}
        ${EndIf}
        IntOp $R9 $R9 + 1
        Sleep 250
    ${Loop}
!macroend

Function .onInit
    ; XP lets a limited user start the installer; it could not write to Program Files.
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "admin"
        MessageBox MB_ICONSTOP "Installing ${PRODUCT} needs administrator rights." /SD IDOK
        SetErrorLevel 740
        Quit
    ${EndIf}
    !ifdef X64
        SetRegView 64
    !endif
FunctionEnd

Section "${PRODUCT}" SecProgram
    SectionIn RO
    ; A disk service already installed, from here or by the batch file of a portable copy, is
    ; stopped and removed first, so that its exe can be replaced and the service created anew.
    InitPluginsDir
    File "/oname=$PLUGINSDIR\ZRVKVNService.exe" "${STAGE}/TV_FBKT/ZRVKVNService.exe"
    nsExec::ExecToLog '"$PLUGINSDIR\ZRVKVNService.exe" /uninstall'
    Pop $0
    !insertmacro DeleteWhenFree "$INSTDIR\${SERVICE_EXE}"

    SetOutPath "$INSTDIR"
    File "${STAGE}/slotwise.exe"
    File "${STAGE}/slotwise-cli.exe"
    File "${STAGE}/README.txt"
    File "${STAGE}/THIRD-PARTY-NOTICES.txt"
    SetOutPath "$INSTDIR\TV_FBKT"
    File "${STAGE}/TV_FBKT/ZRVKVNService.exe"
    File "${STAGE}/TV_FBKT/InstallKVN.bat"
    File "${STAGE}/TV_FBKT/UninstallKVN.bat"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    SetShellVarContext all
    CreateDirectory "$SMPROGRAMS\${PRODUCT}"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\slotwise.exe"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\Read me.lnk" "$INSTDIR\README.txt"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\uninstall.exe"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Tanvale"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\slotwise.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

    ; The old service may still be marked for deletion for a moment: retry for up to 10 s.
    StrCpy $R9 0
    ${Do}
        nsExec::ExecToLog '"$INSTDIR\${SERVICE_EXE}" /install'
        Pop $0
        ${If} $0 == 0
        ${OrIf} $R9 >= 20
            ${Break}
        ${EndIf}
        IntOp $R9 $R9 + 1
        Sleep 500
    ${Loop}
    ${If} $0 != 0
        MessageBox MB_ICONEXCLAMATION "The disk service could not be installed. Run TV_FBKT\InstallKVN.bat in $INSTDIR as administrator." /SD IDOK
        SetErrorLevel 2
    ${EndIf}
SectionEnd

Section "un.${PRODUCT}" SecUninstall
    SectionIn RO
    nsExec::ExecToLog '"$INSTDIR\${SERVICE_EXE}" /uninstall'
    Pop $0
    !insertmacro DeleteWhenFree "$INSTDIR\${SERVICE_EXE}"
    Delete "$INSTDIR\TV_FBKT\InstallKVN.bat"
    Delete "$INSTDIR\TV_FBKT\UninstallKVN.bat"
    RMDir "$INSTDIR\TV_FBKT"
    Delete "$INSTDIR\slotwise.exe"
    Delete "$INSTDIR\slotwise-cli.exe"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\THIRD-PARTY-NOTICES.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"

    SetShellVarContext all
    Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
    Delete "$SMPROGRAMS\${PRODUCT}\Read me.lnk"
    Delete "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk"
    RMDir "$SMPROGRAMS\${PRODUCT}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

; Off unless ticked or asked for with /REMOVESETTINGS.
Section /o "un.Your ${PRODUCT} settings" SecSettings
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "Software\Marrowfield"
SectionEnd

Function un.onInit
    !ifdef X64
        SetRegView 64
    !endif
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/REMOVESETTINGS" $1
    ${IfNot} ${Errors}
        !insertmacro SelectSection ${SecSettings}
    ${EndIf}
FunctionEnd
