; Tarvendel's setup: installs for the current user, without administrator
; rights, into the user's own programs folder (so that Tarvendel.ini beside
; the executable stays writable), registers .sdm for the current user and adds
; a Start menu entry. tools/package builds it:
;
;   makensis -DVERSION=X.Y -DFILEVERSION=X.Y.Z.0 -DEXE64=...\x86_64\Tarvendel.exe
;            -DEXE32=...\i686\Tarvendel.exe -DINI=...\Tarvendel.ini -DREADME=...\Readme.txt
;            -DICON=...\Tarvendel.ico -DOUTFILE=...\Tarvendel-X.Y-setup.exe installer/Tarvendel.nsi
;
; with the forms of project()'s version in CMakeLists.txt that tools/version
; prints: VERSION is its RELEASE, FILEVERSION its FILE_VERSION.
;
; One setup for every Windows, as setups go: a 32-bit program, which both
; kinds of Windows run, holding both builds. It installs the 64-bit
; Tarvendel.exe on 64-bit Windows and the 32-bit one on 32-bit Windows.
; (-DSETUP_TARGET=amd64-unicode makes the same setup a 64-bit program: the
; package test's way on a machine that runs no 32-bit programs.)
;
; Command line:
;   /S                 silent: no pages, no questions
;   /GAMEDIR=FOLDER    Soldat's folder for a new settings file (default C:\Soldat);
;                      FOLDER may hold blanks, with or without quotes:
;                      /GAMEDIR=D:\My Games\Soldat  /GAMEDIR="D:\My Games\Soldat"
;   /D=FOLDER          NSIS's own: the install folder (last, never quoted)
; An existing Tarvendel.ini is never replaced: /GAMEDIR only fills a new one.

; A setup is started from a Downloads folder, where a web page may have put a
; DLL under the name of one that Windows loads on demand. NSIS 3's setup stub
; restricts its DLL search to the system folder first thing
; (SetDefaultDllDirectories) and loads those DLLs from the system folder by
; their full paths (for Windows 7 without KB2533623, which lacks the
; function): docs/packaging.md. Older versions of NSIS build no setup of ours.
!ifndef NSIS_PACKEDVERSION
  !error "NSIS 3.0 or later is needed: its setups load no DLL from the folder they are started from"
!else if ${NSIS_PACKEDVERSION} < 0x03000000
  !error "NSIS 3.0 or later is needed: its setups load no DLL from the folder they are started from"
!endif

Unicode true
!ifdef SETUP_TARGET
  Target ${SETUP_TARGET}
!else
  Target x86-unicode
!endif
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!macro Require NAME
  !ifndef ${NAME}
    !error "define ${NAME} (makensis -D${NAME}=...): see the top of this file"
  !endif
!macroend
!insertmacro Require VERSION
!insertmacro Require FILEVERSION
!insertmacro Require EXE64
!insertmacro Require EXE32
!insertmacro Require INI
!insertmacro Require README
!insertmacro Require ICON
!insertmacro Require OUTFILE

!define PRODUCT "Tarvendel"
!define PUBLISHER "Vornak"
!define PROGID "Tarvendel.Demo"
!define CLASSES "Software\Classes"
!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarvendel"
!define SHORTCUT "$SMPROGRAMS\Tarvendel.lnk"
!define SHCNE_ASSOCCHANGED 0x08000000

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh
!include WinVer.nsh

Name "Tarvendel ${VERSION}"
OutFile "${OUTFILE}"
; The trailing backslash keeps the folder page from appending "Tarvendel" to
; a folder picked with Browse.
InstallDir "$LOCALAPPDATA\Programs\Tarvendel\"
InstallDirRegKey HKCU "${UNINSTKEY}" "InstallLocation"
BrandingText "Tarvendel ${VERSION}"
ShowInstDetails show
SpaceTexts none   ; the one folder page asks for the game's folder: no disk space to show
ShowUninstDetails show

VIProductVersion "${FILEVERSION}"
VIFileVersion "${FILEVERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "Tarvendel"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${FILEVERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "Tarvendel ${VERSION} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) ${PUBLISHER}"

Var GameDir

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

; The one question: Soldat's folder, asked only when there is no settings file yet.
!define MUI_PAGE_HEADER_TEXT "Soldat's folder"
!define MUI_PAGE_HEADER_SUBTEXT "Where is Soldat installed?"
!define MUI_DIRECTORYPAGE_TEXT_TOP "Tarvendel plays demos with the game in this folder: the folder that holds Soldat.exe and its Demos folder. You can change it later with the Settings button in Tarvendel."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "Soldat's folder"
!define MUI_DIRECTORYPAGE_VARIABLE $GameDir
!define MUI_PAGE_CUSTOMFUNCTION_PRE GamePagePre
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE GamePageLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Tarvendel.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Open the demo library"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\Readme.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the readme"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Soldat's folder from the command line: $R0 = the folder, or "" without /GAMEDIR=.
; Accepts /GAMEDIR=C:\A B, /GAMEDIR="C:\A B" and "/GAMEDIR=C:\A B"; an unquoted
; value ends at the next " /".
Function GameDirOption
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  StrCpy $R0 ""
  ${GetParameters} $0
  StrLen $1 $0
  StrCpy $2 0
  ${Do}
    ${If} $2 >= $1
      Goto done
    ${EndIf}
    StrCpy $3 $0 9 $2
    ${If} $3 == "/GAMEDIR="   ; StrCmp is not case-sensitive
      ${ExitDo}
    ${EndIf}
    IntOp $2 $2 + 1
  ${Loop}
  ; The value ends at a closing quote when the option or its value opens with one.
  StrCpy $4 ""
  ${If} $2 > 0
    IntOp $3 $2 - 1
    StrCpy $3 $0 1 $3
    ${If} $3 == '"'
      StrCpy $4 '"'
    ${EndIf}
  ${EndIf}
  IntOp $2 $2 + 9
  StrCpy $0 $0 "" $2
  ${If} $4 == ""
    StrCpy $3 $0 1
    ${If} $3 == '"'
      StrCpy $4 '"'
      StrCpy $0 $0 "" 1
    ${EndIf}
  ${EndIf}
  StrLen $1 $0
  StrCpy $2 0
  ${Do}
    ${If} $2 >= $1
      ${ExitDo}
    ${EndIf}
    StrCpy $3 $0 1 $2
    ${If} $4 == '"'
      ${If} $3 == '"'
        ${ExitDo}
      ${EndIf}
    ${Else}
      StrCpy $3 $0 2 $2
      ${If} $3 == " /"
        ${ExitDo}
      ${EndIf}
    ${EndIf}
    IntOp $2 $2 + 1
  ${Loop}
  StrCpy $R0 $0 $2
  done:
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; $R0 without blanks around it and without trailing backslashes ("C:\" stays "C:\").
Function TidyFolder
  Push $0
  ${Do}
    StrCpy $0 $R0 1
    ${If} $0 != " "
      ${ExitDo}
    ${EndIf}
    StrCpy $R0 $R0 "" 1
  ${Loop}
  ${Do}
    StrCpy $0 $R0 1 -1
    ${If} $0 == " "
    ${OrIf} $0 == "\"
      StrCpy $0 $R0 "" -2
      ${If} $0 == ":\"
        ${ExitDo}
      ${EndIf}
      StrCpy $R0 $R0 -1
    ${Else}
      ${ExitDo}
    ${EndIf}
  ${Loop}
  Pop $0
FunctionEnd

; Waits until Tarvendel.exe in $INSTDIR can be replaced: a running program
; cannot be. Asks to close it (Retry); Cancel, and silent mode, end the setup
; before anything is changed.
!macro DefineEnsureClosed UN
Function ${UN}EnsureClosed
  ${Do}
    ${IfNot} ${FileExists} "$INSTDIR\Tarvendel.exe"
      ${ExitDo}
    ${EndIf}
    ClearErrors
    FileOpen $0 "$INSTDIR\Tarvendel.exe" a
    ${IfNot} ${Errors}
      FileClose $0
      ${ExitDo}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Tarvendel is running ($INSTDIR\Tarvendel.exe).$\r$\n$\r$\nPlease close it, then press Retry." /SD IDCANCEL IDRETRY retry
    DetailPrint "Tarvendel is running: nothing was changed."
    SetErrorLevel 2
    Abort
    retry:
  ${Loop}
FunctionEnd
!macroend
!insertmacro DefineEnsureClosed ""
!insertmacro DefineEnsureClosed "un."

; $0 = 1 where the 64-bit Tarvendel.exe runs, 0 where only the 32-bit one
; does: on 32-bit Windows, and on Windows 10 on ARM, which emulates 32-bit x86
; programs only (Windows 11 on ARM emulates x64 programs too). The machine's
; own architecture, not this setup's: a 32-bit setup runs on 64-bit Windows.
Function Pick64BitProgram
  StrCpy $0 1
  ${If} ${IsNativeIA32}
    StrCpy $0 0
  ${ElseIf} ${IsNativeARM64}
  ${AndIfNot} ${AtLeastBuild} 22000
    StrCpy $0 0
  ${EndIf}
FunctionEnd

Function .onInit
  SetShellVarContext current
  StrCpy $GameDir "C:\Soldat"
  Call GameDirOption
  Call TidyFolder
  ${If} $R0 != ""
    StrCpy $GameDir $R0
  ${EndIf}
FunctionEnd

Function GamePagePre
  ${If} ${FileExists} "$INSTDIR\Tarvendel.ini"
    Abort   ; an upgrade keeps the settings file: nothing to ask
  ${EndIf}
FunctionEnd

Function GamePageLeave
  StrCpy $R0 $GameDir
  Call TidyFolder
  StrCpy $GameDir $R0
  ${IfNot} ${FileExists} "$GameDir\Soldat.exe"
    MessageBox MB_YESNO|MB_ICONQUESTION "There is no Soldat.exe in $\"$GameDir$\".$\r$\n$\r$\nUse this folder anyway?" /SD IDYES IDYES keep
    Abort
  ${EndIf}
  keep:
FunctionEnd

Section "Tarvendel"
  Call EnsureClosed
  SetOutPath "$INSTDIR"
  Call Pick64BitProgram
  ${If} $0 == 1
    DetailPrint "Installing the 64-bit Tarvendel.exe"
    File "/oname=Tarvendel.exe" "${EXE64}"
  ${Else}
    DetailPrint "Installing the 32-bit Tarvendel.exe"
    File "/oname=Tarvendel.exe" "${EXE32}"
  ${EndIf}
  File "/oname=Readme.txt" "${README}"

  ${If} ${FileExists} "$INSTDIR\Tarvendel.ini"
    DetailPrint "Keeping the settings file $INSTDIR\Tarvendel.ini"
  ${Else}
    ; The initial file is UTF-16 LE with its byte order mark, which Windows'
    ; profile functions keep: the folder goes in as it is, whatever the code
    ; page, and no bytes of a code page can pass for UTF-8 when Tarvendel reads
    ; it. Reading it back still guards against a folder name that was lost.
    File "/oname=Tarvendel.ini" "${INI}"
    WriteINIStr "$INSTDIR\Tarvendel.ini" "Soldat" "Path" "$GameDir"
    FlushINI "$INSTDIR\Tarvendel.ini"
    ReadINIStr $0 "$INSTDIR\Tarvendel.ini" "Soldat" "Path"
    ${If} $0 S!= $GameDir
      MessageBox MB_OK|MB_ICONEXCLAMATION "The settings file cannot hold the folder name $\"$GameDir$\". Please choose Soldat's folder with the Settings button in Tarvendel." /SD IDOK
    ${EndIf}
    DetailPrint "Soldat's folder: $0"
  ${EndIf}

  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortCut "${SHORTCUT}" "$INSTDIR\Tarvendel.exe" "" "$INSTDIR\Tarvendel.exe" 0 SW_SHOWNORMAL "" \
                 "Tarvendel: the Soldat demo library"

  ; .sdm for this user. A different program registered before is remembered
  ; and given back by the uninstaller.
  ReadRegStr $0 HKCU "${CLASSES}\.sdm" ""
  ${If} $0 != ""
  ${AndIf} $0 != "${PROGID}"
    WriteRegStr HKCU "${UNINSTKEY}" "PreviousSdmClass" $0
  ${EndIf}
  WriteRegStr HKCU "${CLASSES}\.sdm" "" "${PROGID}"
  WriteRegStr HKCU "${CLASSES}\.sdm\OpenWithProgids" "${PROGID}" ""
  WriteRegStr HKCU "${CLASSES}\${PROGID}" "" "Soldat demo"
  WriteRegStr HKCU "${CLASSES}\${PROGID}\DefaultIcon" "" "$INSTDIR\Tarvendel.exe,0"
  WriteRegStr HKCU "${CLASSES}\${PROGID}\shell" "" "open"
  WriteRegStr HKCU "${CLASSES}\${PROGID}\shell\open" "" "Play"
  WriteRegStr HKCU "${CLASSES}\${PROGID}\shell\open\command" "" '"$INSTDIR\Tarvendel.exe" "%1"'
  WriteRegStr HKCU "${CLASSES}\${PROGID}\shell\options" "" "Play with options..."
  WriteRegStr HKCU "${CLASSES}\${PROGID}\shell\options\command" "" '"$INSTDIR\Tarvendel.exe" -c "%1"'

  WriteRegStr HKCU "${UNINSTKEY}" "DisplayName" "Tarvendel"
  WriteRegStr HKCU "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTKEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTKEY}" "DisplayIcon" "$INSTDIR\Tarvendel.exe,0"
  WriteRegStr HKCU "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTKEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTKEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTKEY}" "EstimatedSize" $0

  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'
SectionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

; Removes the files it installed (files of the user's own in the folder stay,
; and so does the folder then), the Start menu entry and the registrations.
; Demos are never touched.
Section "Uninstall"
  Call un.EnsureClosed
  Delete "$INSTDIR\Tarvendel.exe"
  Delete "$INSTDIR\Tarvendel.ini"
  Delete "$INSTDIR\Readme.txt"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "${SHORTCUT}"

  ReadRegStr $0 HKCU "${CLASSES}\.sdm" ""
  ${If} $0 == "${PROGID}"
    ReadRegStr $1 HKCU "${UNINSTKEY}" "PreviousSdmClass"
    ${If} $1 != ""
      WriteRegStr HKCU "${CLASSES}\.sdm" "" $1
    ${Else}
      DeleteRegValue HKCU "${CLASSES}\.sdm" ""
    ${EndIf}
  ${EndIf}
  DeleteRegValue HKCU "${CLASSES}\.sdm\OpenWithProgids" "${PROGID}"
  DeleteRegKey /ifnosubkeys /ifnovalues HKCU "${CLASSES}\.sdm\OpenWithProgids"
  DeleteRegKey /ifnosubkeys /ifnovalues HKCU "${CLASSES}\.sdm"
  DeleteRegKey HKCU "${CLASSES}\${PROGID}"
  DeleteRegKey HKCU "${UNINSTKEY}"

  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'
SectionEnd
