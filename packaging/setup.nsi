; The setup program: finds the player's folder, puts vis_halder.dll into its
; Plugins folder, can make it the player's visualization, and registers an
; uninstaller in Add/Remove Programs that undoes exactly that. Each player
; folder is an installation of its own, with its own Add/Remove entry and
; its own saved values. Neither program acts on a command line it does not
; understand: it ends with exit code 2, having changed nothing, and says why
; in one line of the log (and in a message box unless silent).
;
; CMake builds it (target "setup") and passes, with -D:
;   VERSION          the version as people read it, e.g. 0.051
;   VERSION_NUMBERS  the same as four numbers for the file properties
;   DLL              the plug-in to install
;   LICENSE_FILE     the licence, with Windows line ends
;   RESOURCES        the folder of the generated artwork (icon, page pictures)
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
; Each installation's key is this followed by a space and its player folder.
!define UNINSTALL_KEY_PREFIX "Software\Microsoft\Windows\CurrentVersion\Uninstall\vis_halder"
!define PLAYER_UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Winamp"
!define PLAYER_WINDOW_CLASS "Winamp v1.x"
; The plug-in's own section in plugin.ini, which other plug-ins share.
!define SETTINGS_SECTION "TOLVA"
; The user's own copy of plugin.ini, which the plug-in writes when it cannot
; write the one beside itself.
!define USER_SETTINGS_FOLDER "$APPDATA\vis_halder"

; Exit codes of our own, beside NSIS's 1 (cancelled by the user) and 2
; (aborted), which also stands for a command line we cannot act on.
!define EXIT_BAD_ARGUMENT 2
!define EXIT_NO_PLAYER 3
!define EXIT_PLAYER_RUNNING 4
; Where both programs note why they stopped without doing their work.
!define LOG_FILE "$TEMP\vis_halder-setup.log"
; An uninstaller run in place leaves its own file to a command processor that
; deletes it once the uninstaller has ended. It leaves this note in the
; player's folder; the command processor claims it (renames it, which only
; one program can do) before it deletes anything, goes on only while the
; claimed note is there, and removes it when it is done. Setup deletes
; either note, which calls the deletion off: otherwise a command processor
; slow to start could delete the uninstaller that setup has just written in
; the old one's place.
!define REMOVAL_NOTE "${UNINSTALLER}.remove"
!define CLAIMED_REMOVAL_NOTE "${UNINSTALLER}.removing"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
BrandingText "${PRODUCT} ${VERSION}"
; Files carry no time into the setup program, so that it is the same bytes
; however old the build's copies are; the plug-in alone keeps its release date.
SetDateSave off
; No InstallDir: $INSTDIR is still empty in .onInit unless /D= was given,
; and only then is the player's folder searched for.

Var PlayerDir      ; the player's folder, where winamp.exe lives
Var InstallKey     ; this installation's key in HKLM: see InstallKeyOf
Var WinampIni      ; the player's winamp.ini, or empty when it has none yet
Var FinishText     ; what the finish page says about the visualization choice
Var MadePlugins    ; 1 when setup made the player's Plugins folder

; ---------------------------------------------------------------------------
; Pages

!define MUI_ABORTWARNING
; The look: icon and pictures generated from the plug-in's skin.
!define MUI_ICON "${RESOURCES}/setup.ico"
!define MUI_UNICON "${RESOURCES}/setup.ico"
!define MUI_HEADERIMAGE
!define MUI_HEADERIMAGE_RIGHT
!define MUI_HEADERIMAGE_BITMAP "${RESOURCES}/setup-header.bmp"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${RESOURCES}/setup-welcome.bmp"

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

; Ends the program before it has changed anything, with exit code $R8:
; appends the reason, $R9, as one line to the log, and shows it unless silent.
!macro DEFINE_REFUSE un role
Function ${un}Refuse
  ${GetTime} "" "L" $0 $1 $2 $3 $4 $5 $6
  FileOpen $7 "${LOG_FILE}" a
  ${IfNot} ${Errors}
    FileSeek $7 0 END
    FileWrite $7 "$2-$1-$0 $4:$5:$6 vis_halder ${VERSION} ${role}: exit $R8: $R9$\r$\n"
    FileClose $7
  ${EndIf}
  ${IfNot} ${Silent}
    MessageBox MB_OK|MB_ICONSTOP "$R9"
  ${EndIf}
  SetErrorLevel $R8
  Quit
FunctionEnd
!macroend
!insertmacro DEFINE_REFUSE "" "setup"
!insertmacro DEFINE_REFUSE "un." "uninstall"

; Takes the first argument off the command line left in $R0 and puts it,
; without its quotes, in $R1 (empty when none is left). $R0 is left with
; the blanks after it taken off too.
!macro DEFINE_NEXT_ARGUMENT un
Function ${un}SkipBlanks
  ${Do}
    StrCpy $R2 $R0 1
    ${If} $R2 != " "
    ${AndIf} $R2 != "$\t"
      ${Break}
    ${EndIf}
    StrCpy $R0 $R0 "" 1
  ${Loop}
FunctionEnd

Function ${un}NextArgument
  StrCpy $R1 ""
  Call ${un}SkipBlanks
  StrCpy $R2 $R0 1
  StrCpy $R3 " "
  ${If} $R2 == '"'
    StrCpy $R3 '"'
    StrCpy $R0 $R0 "" 1
  ${EndIf}
  ${Do}
    StrCpy $R2 $R0 1
    StrCpy $R0 $R0 "" 1
    ${If} $R2 == ""
    ${OrIf} $R2 == $R3
      ${Break}
    ${EndIf}
    StrCpy $R1 "$R1$R2"
  ${Loop}
  Call ${un}SkipBlanks
FunctionEnd
!macroend
!insertmacro DEFINE_NEXT_ARGUMENT ""
!insertmacro DEFINE_NEXT_ARGUMENT "un."

; Replaces the folder on the top of the stack with its full, long form
; without a trailing "\", so that one folder, however it is written, is one
; installation.
!macro DEFINE_NORMAL_FOLDER un
Function ${un}NormalFolder
  Exch $0
  Push $1
  Push $2
  System::Call 'kernel32::GetFullPathNameW(w r0, i ${NSIS_MAX_STRLEN}, w .r1, i 0) i .r2'
  ${If} $2 > 0
    StrCpy $0 $1
  ${EndIf}
  System::Call 'kernel32::GetLongPathNameW(w r0, w .r1, i ${NSIS_MAX_STRLEN}) i .r2'
  ${If} $2 > 0
    StrCpy $0 $1
  ${EndIf}
  StrCpy $1 $0 1 -1
  ${If} $1 == "\"
    StrCpy $0 $0 -1
  ${EndIf}
  Pop $2
  Pop $1
  Exch $0
FunctionEnd
!macroend
!insertmacro DEFINE_NORMAL_FOLDER ""
!insertmacro DEFINE_NORMAL_FOLDER "un."

; Sets $InstallKey to the key of the installation in $PlayerDir: one per
; player folder, named with the folder, whose "\" a key's name cannot hold
; and so become "/". It keeps the Add/Remove entry and what uninstalling
; puts back into that player's settings.
!macro DEFINE_INSTALL_KEY_OF un
Function ${un}InstallKeyOf
  ${WordReplace} $PlayerDir "\" "/" "+" $0
  StrCpy $InstallKey "${UNINSTALL_KEY_PREFIX} $0"
FunctionEnd
!macroend
!insertmacro DEFINE_INSTALL_KEY_OF ""
!insertmacro DEFINE_INSTALL_KEY_OF "un."

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
    StrCpy $R8 ${EXIT_PLAYER_RUNNING}
    StrCpy $R9 "The player is running: close it first."
    ${If} ${Silent}
      Call ${un}Refuse
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
  Call CheckArguments
  ${If} $INSTDIR == ""
    Call FindPlayerFolder
  ${EndIf}
  ${If} ${Silent}
  ${AndIfNot} ${FileExists} "$INSTDIR\winamp.exe"
    StrCpy $R8 ${EXIT_NO_PLAYER}
    StrCpy $R9 "$INSTDIR holds no winamp.exe, so it is not the player's folder."
    Call Refuse
  ${EndIf}
  Call CheckPlayerClosed
FunctionEnd

; NSIS itself takes /S (silent), /NCRC, and /D=folder when it comes last and
; unquoted, and takes the rest of the line as the folder, /S written after
; it included. It leaves a quoted /D= alone, and drops a folder that is not
; whole (C:\... or \\server\...): either way setup would install into the
; player it finds instead. So the whole command line is read again here:
; /S and /NCRC in any case, /D= last with the folder; anything else stops
; it. A /S anywhere, in any case, makes it silent before it refuses
; anything, so that a script that asked for silence never waits on a box.
Function CheckArguments
  System::Call 'kernel32::GetCommandLineW() w .R0'
  Call NextArgument  ; the program's own name
  StrCpy $R9 ""      ; why it cannot act on the line: the first reason found
  ${Do}
    ${If} $R0 == ""
      ${Break}
    ${EndIf}
    StrCpy $R2 $R0 3
    ${If} $R2 == "/D="
      StrCpy $R1 $R0 "" 3
      Call TakeFolderArgument
      ${Break}
    ${EndIf}
    Call NextArgument
    StrCpy $R2 $R1 3
    ${If} $R1 == "/S"
      SetSilent silent
    ${ElseIf} $R1 == "/NCRC"
    ${OrIf} $R1 == ""
    ${OrIf} $R9 != ""
      ${Continue}
    ${ElseIf} $R2 == "/D="
      StrCpy $R9 'Cannot act on "$R1": write /D= last and without quotes, even when the folder has spaces (/D=C:\Program Files\Winamp).'
    ${Else}
      StrCpy $R9 'Cannot act on "$R1": the setup program takes /S (silent) and /D=folder (last, without quotes).'
    ${EndIf}
  ${Loop}
  ${If} $R9 != ""
    StrCpy $R8 ${EXIT_BAD_ARGUMENT}
    Call Refuse
  ${EndIf}
FunctionEnd

; Takes the folder that /D= names, $R1: the rest of the command line, less
; the /S or /NCRC written after it (a /S there makes setup silent). Sets
; $INSTDIR to it, or $R9, when empty, to why it cannot be a folder. The
; long-path form \\?\C:\... or \\?\UNC\server\... is the same folder as
; C:\... or \\server\..., and so the same installation.
Function TakeFolderArgument
  StrCpy $R5 $R1  ; as written, for the reason
  ${Do}
    StrCpy $R2 $R1 1 -1
    StrCpy $R3 $R1 3 -3
    StrCpy $R4 $R1 6 -6
    ${If} $R2 == " "
    ${OrIf} $R2 == "$\t"
      StrCpy $R1 $R1 -1
    ${ElseIf} $R3 == " /S"
      SetSilent silent
      StrCpy $R1 $R1 -3
    ${ElseIf} $R4 == " /NCRC"
      StrCpy $R1 $R1 -6
    ${Else}
      ${Break}
    ${EndIf}
  ${Loop}
  StrCpy $R2 $R1 4
  StrCpy $R3 $R1 8
  ${If} $R3 == "\\?\UNC\"
    StrCpy $R1 $R1 "" 8
    StrCpy $R1 "\\$R1"
  ${ElseIf} $R2 == "\\?\"
    StrCpy $R1 $R1 "" 4
  ${EndIf}
  Call FolderProblem
  ${If} $R2 != ""
  ${AndIf} $R9 == ""
    StrCpy $R9 'Cannot act on "/D=$R5": $R2'
  ${ElseIf} $R2 == ""
    StrCpy $INSTDIR $R1
  ${EndIf}
FunctionEnd

; $R2: what is wrong with the folder $R1 (taken from $R5, as written), or
; empty when it is a whole folder name setup can install into.
Function FolderProblem
  StrCpy $R2 ""
  ${WordReplace} $R1 '"' "" "+" $R3
  ${If} $R3 != $R1
    StrCpy $R2 "write the folder without quotes, even when it has spaces (/D=C:\Program Files\Winamp)."
    Return
  ${EndIf}
  ${WordReplace} $R1 " /" "" "+" $R3
  ${If} $R3 != $R1
    StrCpy $R2 "/D= comes last: all after it is the folder, and only /S may follow it."
    Return
  ${EndIf}
  ${WordReplace} $R1 "/" "" "+" $R3
  ${If} $R3 != $R1
    StrCpy $R2 "write the folder with backslashes (/D=C:\Program Files\Winamp)."
    Return
  ${EndIf}
  StrCpy $R3 $R1 2 1   ; ":\" after a drive letter
  StrCpy $R4 $R1 2     ; "\\" before a server
  ${If} $R3 != ":\"
  ${AndIf} $R4 != "\\"
    StrCpy $R3 $R5 4
    ${If} $R3 == "\\?\"
      StrCpy $R2 "a \\?\ folder goes on with a drive or UNC\ (\\?\C:\Program Files\Winamp)."
    ${Else}
      StrCpy $R2 "name the player folder in full, such as /D=C:\Program Files\Winamp."
    ${EndIf}
    Return
  ${EndIf}
  ; Past the drive's colon or the server's backslashes.
  StrCpy $R3 $R1 "" 2
  StrCpy $R4 "*?<>|:"
  ${Do}
    StrCpy $R6 $R4 1
    ${If} $R6 == ""
      ${Break}
    ${EndIf}
    ${WordReplace} $R3 $R6 "" "+" $R7
    ${If} $R7 != $R3
      StrCpy $R2 "a folder name cannot hold * ? < > | or a colon (but the drive's)."
      Return
    ${EndIf}
    StrCpy $R4 $R4 "" 1
  ${Loop}
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
  Push $INSTDIR
  Call NormalFolder
  Pop $INSTDIR
  StrCpy $PlayerDir $INSTDIR
  Call InstallKeyOf
  StrCpy $MadePlugins 0
  Call SettleEarlierRemoval
  ${IfNot} ${FileExists} "$INSTDIR\Plugins\*.*"
    StrCpy $MadePlugins 1
  ${EndIf}
  SetOutPath "$INSTDIR\Plugins"
  ; The plug-in keeps its file time: the release date.
  SetDateSave on
  File "/oname=${PLUGIN_FILE}" "${DLL}"
  SetDateSave off
  WriteUninstaller "$INSTDIR\Plugins\${UNINSTALLER}"
  Call RegisterUninstaller
  StrCpy $FinishText "${PRODUCT} is installed in the player's Plugins folder.$\r$\n$\r$\nChoose it under Options > Preferences > Plug-ins > Visualization."
SectionEnd

; Before anything is written into Plugins, an earlier uninstall's removal of
; its own file is called off, unless it ends within two seconds on its own
; (the old uninstaller's file goes, then the folder if setup made it). The
; file is about to be replaced anyway; a removal that went on could take the
; new one. The note says whether the removal would have taken the Plugins
; folder too, as setup had made it: calling it off, setup notes that it made
; the folder itself.
Function SettleEarlierRemoval
  Push "$PlayerDir\${REMOVAL_NOTE}"
  Call CallOffRemoval
  StrCpy $0 0
  ${While} ${FileExists} "$PlayerDir\${CLAIMED_REMOVAL_NOTE}"
    ${If} $0 >= 20
      Push "$PlayerDir\${CLAIMED_REMOVAL_NOTE}"
      Call CallOffRemoval
      ; A round of the removal already past its check ends within this.
      Sleep 200
      ${Break}
    ${EndIf}
    Sleep 100
    IntOp $0 $0 + 1
  ${EndWhile}
FunctionEnd

; Deletes the removal note on the top of the stack, noting that setup made
; the Plugins folder when the note says so.
Function CallOffRemoval
  Exch $0
  Push $1
  Push $2
  StrCpy $2 ""
  ClearErrors
  FileOpen $1 $0 r
  ${IfNot} ${Errors}
    FileRead $1 $2
    FileClose $1
  ${EndIf}
  Delete $0
  ${If} $2 == "1"
    StrCpy $MadePlugins 1
  ${EndIf}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

Section "Player's visualization" SecSelect
  Call FindWinampIni
  ${If} $WinampIni == ""
    DetailPrint "The player has no winamp.ini yet: choose the plug-in in its preferences after its first start."
    StrCpy $FinishText "${PRODUCT} is installed in the player's Plugins folder.$\r$\n$\r$\nThe player has not made its settings file yet, so the plug-in could not be selected for it: after the player's first start, choose it under Options > Preferences > Plug-ins > Visualization."
    Return
  ${EndIf}
  ; The values the user had, for this folder's uninstaller to put back;
  ; kept from an earlier install into the same folder rather than replaced
  ; by our own.
  ReadINIStr $0 $WinampIni "Winamp" "visplugin_name"
  ${If} $0 != "${PLUGIN_FILE}"
    ReadINIStr $1 $WinampIni "Winamp" "visplugin_num"
    WriteRegStr HKLM $InstallKey "PreviousVisPluginName" $0
    WriteRegStr HKLM $InstallKey "PreviousVisPluginNum" $1
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

; The Add/Remove entry of this folder's installation. Its quiet command
; passes _?= so that whoever runs it waits for the uninstall and gets its
; real exit code.
Function RegisterUninstaller
  StrCpy $0 "$INSTDIR\Plugins\${UNINSTALLER}"
  WriteRegStr HKLM $InstallKey "DisplayName" "${PRODUCT} ${VERSION} ($INSTDIR)"
  WriteRegStr HKLM $InstallKey "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM $InstallKey "DisplayIcon" "$0,0"
  WriteRegStr HKLM $InstallKey "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM $InstallKey "InstallLocation" "$INSTDIR\Plugins"
  WriteRegStr HKLM $InstallKey "UninstallString" '"$0"'
  WriteRegStr HKLM $InstallKey "QuietUninstallString" '"$0" /S _?=$INSTDIR\Plugins'
  SectionGetSize ${SecPlugin} $1
  WriteRegDWORD HKLM $InstallKey "EstimatedSize" $1
  WriteRegDWORD HKLM $InstallKey "NoModify" 1
  WriteRegDWORD HKLM $InstallKey "NoRepair" 1
  ; Noted only by the install that made the folder, and kept by later ones.
  ${If} $MadePlugins = 1
    WriteRegDWORD HKLM $InstallKey "MadePluginsFolder" 1
  ${EndIf}
FunctionEnd

; ---------------------------------------------------------------------------
; Uninstaller: $INSTDIR is the Plugins folder it lives in, or the one _?=
; names. Started without _?=, NSIS copies it to the temporary folder and
; starts the copy with _?= before any of this runs; the first one has
; ended by then, with exit code 0.

Function un.onInit
  SetRegView 32
  Push $INSTDIR
  Call un.NormalFolder
  Pop $INSTDIR
  ${GetParent} $INSTDIR $PlayerDir
  Call un.InstallKeyOf
  Call un.CheckArguments
  Call un.CheckInstalled
  Call un.CheckPlayerClosed
FunctionEnd

; NSIS takes _?= only last and unquoted. A quoted one stays on the command
; line and NSIS restarts from a copy, which gets here: it goes on only when
; the folder named is the one it was started from, and changes nothing
; otherwise. Anything else but /S and /NCRC stops it too.
Function un.CheckArguments
  ${GetParameters} $R0
  ${Do}
    Call un.NextArgument
    ${If} $R1 S== "/S"
    ${OrIf} $R1 S== "/NCRC"
    ${OrIf} $R1 == ""
      ${Continue}
    ${EndIf}
    StrCpy $R2 $R1 3
    ${If} $R2 == "_?="
      StrCpy $R2 $R1 "" 3
      Push $R2
      Call un.NormalFolder
      Pop $R2
      ${If} $R2 == $INSTDIR
        ${Continue}
      ${EndIf}
    ${EndIf}
    StrCpy $R8 ${EXIT_BAD_ARGUMENT}
    StrCpy $R9 'Cannot act on "$R1": the uninstaller takes /S (silent) and _?=Plugins folder (last, without quotes, to wait for it).'
    Call un.Refuse
  ${LoopUntil} $R0 == ""
FunctionEnd

; Only a folder with something of ours in it is uninstalled from.
Function un.CheckInstalled
  ClearErrors
  ReadRegStr $0 HKLM $InstallKey "DisplayName"
  ${If} ${Errors}
  ${AndIfNot} ${FileExists} "$INSTDIR\${PLUGIN_FILE}"
  ${AndIfNot} ${FileExists} "$INSTDIR\${UNINSTALLER}"
    StrCpy $R8 ${EXIT_BAD_ARGUMENT}
    StrCpy $R9 "${PRODUCT} is not installed in $INSTDIR."
    Call un.Refuse
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.RemovePlugin
  Push "$INSTDIR\plugin.ini"
  Call un.RemoveSettingsSection
  Push "${USER_SETTINGS_FOLDER}\plugin.ini"
  Call un.RemoveSettingsSection
  RMDir "${USER_SETTINGS_FOLDER}"
  Call un.RestoreVisualization
  Call un.RemoveUninstaller
  DeleteRegKey HKLM $InstallKey
SectionEnd

; A program that still holds the DLL (the player under another window, or
; one of its processes that lingers) keeps it from being deleted. The
; uninstall stops there, before anything else has changed, so that the
; Add/Remove entry stays to try again: at once in silent mode, otherwise
; when the user cancels instead of closing the program.
Function un.RemovePlugin
  StrCpy $0 "$INSTDIR\${PLUGIN_FILE}"
  ${Do}
    Delete $0
    ${IfNot} ${FileExists} $0
      Return
    ${EndIf}
    StrCpy $R8 ${EXIT_PLAYER_RUNNING}
    StrCpy $R9 "$0 is in use by a program, the player perhaps: close it, then uninstall again."
    ${If} ${Silent}
      Call un.Refuse
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "$0 is in use by a program, the player perhaps. Please close it, then click Retry." IDRETRY retry
    SetErrorLevel ${EXIT_PLAYER_RUNNING}
    Quit
    retry:
  ${Loop}
FunctionEnd

; The uninstaller goes with the rest, and so does the Plugins folder when
; setup made it and nothing else is left in it. Started with _?=, it runs
; from the Plugins folder, and Windows keeps a running program's file (NSIS
; holds it open, so it cannot even be renamed): a hidden command processor
; waits for it to end and removes both then, so nothing of ours is left once
; the uninstall has ended. Only where that cannot start are they left to go
; at the next restart.
Function un.RemoveUninstaller
  StrCpy $0 "$INSTDIR\${UNINSTALLER}"
  ReadRegDWORD $1 HKLM $InstallKey "MadePluginsFolder"
  ; Neither the folder nor the command processor may have it as their
  ; working folder.
  SetOutPath $TEMP
  Delete $0
  ${IfNot} ${FileExists} $0
    ${If} $1 = 1
      RMDir $INSTDIR
    ${EndIf}
    Return
  ${EndIf}
  ; It claims the removal note first, and stops, there or at any later round,
  ; when setup has called the removal off by deleting the note. It tries two
  ; hundred times at once, for the few moments the uninstaller takes to end,
  ; then once a second (ping's pause) for five minutes. The claimed note goes
  ; last, after the folder, or when the five minutes are up. Every ")" stands
  ; apart, since Wine's cmd takes one after a word as part of it, and /q
  ; stands for the "@" it cannot take before "(". Neither "||" nor a command
  ; after the loop: Wine's cmd runs the first whatever came before, and the
  ; second in every round; and an "if" without brackets ends at "&" there.
  StrCpy $3 "$PlayerDir\${REMOVAL_NOTE}"
  StrCpy $4 "$PlayerDir\${CLAIMED_REMOVAL_NOTE}"
  StrCpy $2 'del /f /q "$4" 2>nul & exit'
  ${If} $1 = 1
    StrCpy $2 'rmdir "$INSTDIR" 2>nul & $2'
  ${EndIf}
  ClearErrors
  FileOpen $5 $3 w
  ${IfNot} ${Errors}
    ${If} $1 = 1
      FileWrite $5 "1"
    ${Else}
      FileWrite $5 "0"
    ${EndIf}
    FileClose $5
    ExecShell "" "$SYSDIR\cmd.exe" '/d /q /s /c "move /y "$3" "$4" >nul 2>nul & if exist "$4" for /l %i in (1,1,500) do ( if not exist "$4" exit ) & del /f /q "$0" 2>nul & if not exist "$0" ( $2 ) else if %i EQU 500 ( del /f /q "$4" 2>nul ) else if %i GTR 200 ping -n 2 127.0.0.1 >nul"' SW_HIDE
  ${EndIf}
  ${If} ${Errors}
    Delete $3
    Delete /REBOOTOK $0
    ${If} $1 = 1
      RMDir /REBOOTOK $INSTDIR
    ${EndIf}
  ${EndIf}
FunctionEnd

; Other plug-ins keep their settings in the same plugin.ini: only our section
; goes from the file on the top of the stack, and the file only when nothing
; else is left in it.
Function un.RemoveSettingsSection
  Exch $0
  Push $1
  ${If} ${FileExists} $0
    DeleteINISec $0 "${SETTINGS_SECTION}"
    FlushINI $0
    Push $0
    Call un.HoldsOnlyBlanks
    Pop $1
    ${If} $1 = 1
      Delete $0
    ${EndIf}
  ${EndIf}
  Pop $1
  Pop $0
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
  ReadRegStr $1 HKLM $InstallKey "PreviousVisPluginName"
  ReadRegStr $2 HKLM $InstallKey "PreviousVisPluginNum"
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
