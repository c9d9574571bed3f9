; The setup program: finds the player's folder, puts vis_halder.dll into its
; Plugins folder, can make it the player's visualization, and registers an
; uninstaller in Add/Remove Programs that undoes exactly that.
;
; CMake builds it (target "setup") and passes, with -D:
;   VERSION          the version as people read it, e.g. 0.051
;   VERSION_NUMBERS  the same as four numbers for the file properties
;   DLL              the plug-in to install
;   LICENSE_FILE     the licence, with Windows line ends
;   OUTFILE          the setup program to write

Unicode true
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WordFunc.nsh

!define PRODUCT "halder Visualization Library"
!define PUBLISHER "The halder developers"
!define PLUGIN_FILE "vis_halder.dll"
!define UNINSTALLER "uninstall_vis_halder.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\vis_halder"
!define PLAYER_UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Winamp"
!define PLAYER_WINDOW_CLASS "Winamp v1.x"
; The plug-in's own section in plugin.ini, which other plug-ins share.
!define SETTINGS_SECTION "TOLVA"

; Exit codes of our own, beside NSIS's 1 (cancelled by the user) and 2
; (aborted).
!define EXIT_NO_PLAYER 3
!define EXIT_PLAYER_RUNNING 4

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
; No InstallDir: $INSTDIR is still empty in .onInit unless /D= was given,
; and only then is the player's folder searched for.

Var PlayerDir      ; the player's folder, where winamp.exe lives
Var WinampIni      ; the player's winamp.ini, or empty when it has none yet
Var FinishText     ; what the finish page says about the visualization choice

; ---------------------------------------------------------------------------
; Pages

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENSE_FILE}"
!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup will install ${PRODUCT} into the Plugins folder of the player below. To use another player's folder, click Browse."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "Player folder"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE WarnWithoutPlayer
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_PAGE_CUSTOMFUNCTION_PRE CheckPlayerClosed
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "$FinishText"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION_NUMBERS}"
VIFileVersion "${VERSION_NUMBERS}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Free software under the MIT licence"

; ---------------------------------------------------------------------------
; Shared by the setup program and the uninstaller (NSIS wants the
; uninstaller's functions named un.*).

; Asks the user to close the player until it is closed; quits when they
; cancel, and at once in silent mode, since the running player holds the
; DLL open and rewrites winamp.ini when it exits.
!macro DEFINE_CHECK_PLAYER_CLOSED un
Function ${un}CheckPlayerClosed
  ${Do}
    FindWindow $0 "${PLAYER_WINDOW_CLASS}"
    ${If} $0 = 0
      Return
    ${EndIf}
    ${If} ${Silent}
      SetErrorLevel ${EXIT_PLAYER_RUNNING}
      Quit
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "The player is running. Please close it, then click Retry." IDRETRY retry
    SetErrorLevel ${EXIT_PLAYER_RUNNING}
    Quit
    retry:
  ${Loop}
FunctionEnd
!macroend
!insertmacro DEFINE_CHECK_PLAYER_CLOSED ""
!insertmacro DEFINE_CHECK_PLAYER_CLOSED "un."

; Sets $WinampIni to the player's winamp.ini, found as the player finds it:
; in the folder that paths.ini names under [Winamp] inidir (where {26} stands
; for the user's application-data folder), otherwise beside winamp.exe.
; Empty when the file does not exist yet. Keeps $0 to $2 as they were.
!macro DEFINE_FIND_WINAMP_INI un
Function ${un}FindWinampIni
  Push $0
  Push $1
  Push $2
  StrCpy $WinampIni "$PlayerDir\winamp.ini"
  ReadINIStr $0 "$PlayerDir\paths.ini" "Winamp" "inidir"
  ${If} $0 != ""
    StrCpy $1 $0 4
    ${If} $1 == "{26}"
      StrCpy $0 $0 "" 4
      StrCpy $1 $0 1
      ${If} $1 == "\"
        StrCpy $0 $0 "" 1
      ${EndIf}
      StrCpy $0 "$APPDATA\$0"
    ${Else}
      ; A folder without a drive or a leading \ is taken as relative to the
      ; player's folder.
      StrCpy $1 $0 1 1
      StrCpy $2 $0 1
      ${If} $1 != ":"
      ${AndIf} $2 != "\"
        StrCpy $0 "$PlayerDir\$0"
      ${EndIf}
    ${EndIf}
    StrCpy $1 $0 1 -1
    ${If} $1 == "\"
      StrCpy $0 $0 -1
    ${EndIf}
    StrCpy $WinampIni "$0\winamp.ini"
  ${EndIf}
  ${IfNot} ${FileExists} $WinampIni
    StrCpy $WinampIni ""
  ${EndIf}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro DEFINE_FIND_WINAMP_INI ""
!insertmacro DEFINE_FIND_WINAMP_INI "un."

; ---------------------------------------------------------------------------
; Setup

Function .onInit
  SetRegView 32
  ${If} $INSTDIR == ""
    Call FindPlayerFolder
  ${EndIf}
  ${If} ${Silent}
  ${AndIfNot} ${FileExists} "$INSTDIR\winamp.exe"
    SetErrorLevel ${EXIT_NO_PLAYER}
    Quit
  ${EndIf}
  Call CheckPlayerClosed
FunctionEnd

; Proposes the first of the player's known places that holds winamp.exe:
; the folder its installer records, the folder of its uninstaller, the usual
; folder under Program Files. When none does, the first one recorded.
Function FindPlayerFolder
  ReadRegStr $0 HKCU "Software\Winamp" ""
  ReadRegStr $1 HKLM "${PLAYER_UNINSTALL_KEY}" "UninstallString"
  ${If} $1 != ""
    Push $1
    Call FolderOfCommand
    Pop $1
  ${EndIf}
  StrCpy $2 "$PROGRAMFILES\Winamp"

  ${If} ${FileExists} "$0\winamp.exe"
    StrCpy $INSTDIR $0
  ${ElseIf} ${FileExists} "$1\winamp.exe"
    StrCpy $INSTDIR $1
  ${ElseIf} ${FileExists} "$2\winamp.exe"
    StrCpy $INSTDIR $2
  ${ElseIf} $0 != ""
    StrCpy $INSTDIR $0
  ${ElseIf} $1 != ""
    StrCpy $INSTDIR $1
  ${Else}
    StrCpy $INSTDIR $2
  ${EndIf}
FunctionEnd

; The folder of the program a command line starts, which may be quoted and
; followed by arguments: "C:\Program Files\Winamp\UninstWA.exe" /x -> C:\...\Winamp
Function FolderOfCommand
  Exch $0
  StrCpy $9 $0 1
  ${If} $9 == '"'
    StrCpy $0 $0 "" 1
    ${WordFind} $0 '"' "+1" $0
  ${EndIf}
  ${GetParent} $0 $0
  Exch $0
FunctionEnd

Function WarnWithoutPlayer
  ${IfNot} ${FileExists} "$INSTDIR\winamp.exe"
    MessageBox MB_YESNO|MB_ICONEXCLAMATION|MB_DEFBUTTON2 \
      "$INSTDIR does not hold winamp.exe, so it may not be the player's folder.$\r$\n$\r$\nInstall there anyway?" \
      IDYES +2
    Abort
  ${EndIf}
FunctionEnd

Section "Plug-in (${PLUGIN_FILE})" SecPlugin
  SectionIn RO
  StrCpy $PlayerDir $INSTDIR
  SetOutPath "$INSTDIR\Plugins"
  File "/oname=${PLUGIN_FILE}" "${DLL}"
  WriteUninstaller "$INSTDIR\Plugins\${UNINSTALLER}"
  Call RegisterUninstaller
  StrCpy $FinishText "${PRODUCT} is installed in the player's Plugins folder.$\r$\n$\r$\nChoose it under Options > Preferences > Plug-ins > Visualization."
SectionEnd

Section "Player's visualization" SecSelect
  Call FindWinampIni
  ${If} $WinampIni == ""
    DetailPrint "The player has no winamp.ini yet: choose the plug-in in its preferences after its first start."
    StrCpy $FinishText "${PRODUCT} is installed in the player's Plugins folder.$\r$\n$\r$\nThe player has not made its settings file yet, so the plug-in could not be selected for it: after the player's first start, choose it under Options > Preferences > Plug-ins > Visualization."
    Return
  ${EndIf}
  ; The values the user had, for the uninstaller to put back; kept from an
  ; earlier install rather than replaced by our own.
  ReadINIStr $0 $WinampIni "Winamp" "visplugin_name"
  ${If} $0 != "${PLUGIN_FILE}"
    ReadINIStr $1 $WinampIni "Winamp" "visplugin_num"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "PreviousVisPluginName" $0
    WriteRegStr HKLM "${UNINSTALL_KEY}" "PreviousVisPluginNum" $1
  ${EndIf}
  WriteINIStr $WinampIni "Winamp" "visplugin_name" "${PLUGIN_FILE}"
  WriteINIStr $WinampIni "Winamp" "visplugin_num" "0"
  FlushINI $WinampIni
  DetailPrint "Selected as the player's visualization in $WinampIni"
  StrCpy $FinishText "${PRODUCT} is installed and is now the player's visualization: start it from the player while music plays."
SectionEnd

LangString DESC_SecPlugin ${LANG_ENGLISH} "The plug-in, copied into the player's Plugins folder, and its uninstaller."
LangString DESC_SecSelect ${LANG_ENGLISH} "Make the plug-in the player's visualization in its settings. Uninstalling puts the previous choice back."
!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecPlugin} $(DESC_SecPlugin)
  !insertmacro MUI_DESCRIPTION_TEXT ${SecSelect} $(DESC_SecSelect)
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function RegisterUninstaller
  StrCpy $0 "$INSTDIR\Plugins\${UNINSTALLER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR\Plugins"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$0"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$0" /S'
  SectionGetSize ${SecPlugin} $1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
FunctionEnd

; ---------------------------------------------------------------------------
; Uninstaller: $INSTDIR is the Plugins folder it lives in.

Function un.onInit
  SetRegView 32
  Call un.CheckPlayerClosed
FunctionEnd

Section "Uninstall"
  ${GetParent} $INSTDIR $PlayerDir
  Delete "$INSTDIR\${PLUGIN_FILE}"
  Delete "$INSTDIR\${UNINSTALLER}"
  Call un.RemoveSettingsSection
  Call un.RestoreVisualization
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

; Other plug-ins keep their settings in the same plugin.ini: only our section
; goes, and the file only when nothing else is left in it.
Function un.RemoveSettingsSection
  StrCpy $0 "$INSTDIR\plugin.ini"
  ${IfNot} ${FileExists} $0
    Return
  ${EndIf}
  DeleteINISec $0 "${SETTINGS_SECTION}"
  FlushINI $0
  Push $0
  Call un.HoldsOnlyBlanks
  Pop $1
  ${If} $1 = 1
    Delete $0
  ${EndIf}
FunctionEnd

; 1 when the file holds nothing but spaces, tabs and line ends, else 0.
Function un.HoldsOnlyBlanks
  Exch $0
  Push $1
  Push $2
  StrCpy $2 1
  ClearErrors
  FileOpen $1 $0 r
  ${If} ${Errors}
    StrCpy $2 0
  ${Else}
    ${Do}
      FileReadByte $1 $0
      ${If} ${Errors}
        ${Break}
      ${EndIf}
      ${If} $0 <> 32
      ${AndIf} $0 <> 9
      ${AndIf} $0 <> 13
      ${AndIf} $0 <> 10
        StrCpy $2 0
        ${Break}
      ${EndIf}
    ${Loop}
    FileClose $1
  ${EndIf}
  StrCpy $0 $2
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Puts back the visualization the user had before setup selected ours, as
; long as ours is still the one selected.
Function un.RestoreVisualization
  Call un.FindWinampIni
  ${If} $WinampIni == ""
    Return
  ${EndIf}
  ClearErrors
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "PreviousVisPluginName"
  ReadRegStr $2 HKLM "${UNINSTALL_KEY}" "PreviousVisPluginNum"
  ${If} ${Errors}
    Return
  ${EndIf}
  ReadINIStr $0 $WinampIni "Winamp" "visplugin_name"
  ${If} $0 != "${PLUGIN_FILE}"
    Return
  ${EndIf}
  ${If} $1 == ""
    DeleteINIStr $WinampIni "Winamp" "visplugin_name"
  ${Else}
    WriteINIStr $WinampIni "Winamp" "visplugin_name" $1
  ${EndIf}
  ${If} $2 == ""
    DeleteINIStr $WinampIni "Winamp" "visplugin_num"
  ${Else}
    WriteINIStr $WinampIni "Winamp" "visplugin_num" $2
  ${EndIf}
  FlushINI $WinampIni
FunctionEnd
