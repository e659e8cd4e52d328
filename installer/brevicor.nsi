; The Brevicor installer: per user, no administrator rights, into
; %LOCALAPPDATA%\Programs\Brevicor, where the library beside the program stays writable.
;
; makensis -DSOURCE=<folder with brevicor.exe and brevicor-newlib.exe> -DOUTFILE=<setup.exe>
;          -DREADME=<README.md> -DLICENSE=<LICENSE.txt> [-DAMD64] brevicor.nsi
;
; Silent use: setup.exe /S [/AUTOSTART] [/D=C:\folder] (/D= last, unquoted).
; Exit status: 0 installed and ready; 2 installed but the library is not ready (the reason is
; in the details); 3 nothing installed (folder not writable, Brevicor running).
; The uninstaller keeps database\phrases.mdb unless "Also delete my phrase library" is ticked;
; a silent uninstall keeps it.

Unicode true
!ifdef AMD64
Target amd64-unicode
!else
Target x86-unicode
!endif

!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!define PRODUCT "Brevicor"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Brevicor"
; The program's one-copy-at-a-time mutex (app/single_instance.h): held while Brevicor runs.
!define RUNNING_MUTEX "{8UASJRZDR1-D9O6-7Y9b5-4T71-PE98939KASB986}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Brevicor"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show

LicenseData "${LICENSE}"
Page license
Page components
Page directory
Page instfiles
UninstPage components
UninstPage instfiles

; Ends the installer or uninstaller, before anything changed, while Brevicor runs: its
; program file is in use and its library open.
!macro RefuseWhileRunning
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${RUNNING_MUTEX}") p .r0'
    ${If} $0 P<> 0
        System::Call 'kernel32::CloseHandle(p r0)'
        MessageBox MB_ICONSTOP|MB_OK "Brevicor is running. Quit it first (Exit in its tray menu), then run this again. Nothing was changed." /SD IDOK
        SetErrorLevel 3
        Quit
    ${EndIf}
!macroend

Section "Brevicor" SecProgram
    SectionIn RO
    ClearErrors
    SetOutPath "$INSTDIR"
    ; A folder that cannot be written gets one clear message, before any file is copied.
    FileOpen $0 "$INSTDIR\brevicor-setup-write-test.tmp" w
    ${If} ${Errors}
        MessageBox MB_ICONSTOP|MB_OK "Brevicor cannot be installed in $INSTDIR: the folder cannot be written. Choose a folder of your own. Nothing was changed." /SD IDOK
        DetailPrint "The folder $INSTDIR cannot be written; nothing was installed."
        SetErrorLevel 3
        Abort
    ${EndIf}
    FileClose $0
    Delete "$INSTDIR\brevicor-setup-write-test.tmp"

    File "${SOURCE}\brevicor.exe"
    File "${SOURCE}\brevicor-newlib.exe"
    File "/oname=README.txt" "${README}"
    File "/oname=LICENSE.txt" "${LICENSE}"
    CreateDirectory "$INSTDIR\database"

    ; Shortcuts start in the install folder (the current output path), where the program
    ; finds database\phrases.mdb.
    CreateShortcut "$SMPROGRAMS\Brevicor.lnk" "$INSTDIR\brevicor.exe"
    ; Re-installing without the log-in option takes it away again.
    Delete "$SMSTARTUP\Brevicor.lnk"

    WriteUninstaller "$INSTDIR\uninstall.exe"
    WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "Brevicor"
    WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\brevicor.exe"
    WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "Brevicor"
    WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1

    ; The library: made when missing, completed when it has no phrase table, never changed
    ; when it has one. The tool says in one line what it did or why it could not.
    DetailPrint "Making the phrase library ready..."
    nsExec::ExecToStack '"$INSTDIR\brevicor-newlib.exe"'
    Pop $0
    Pop $1
    DetailPrint "$1"
    ${If} $0 != 0
        MessageBox MB_ICONEXCLAMATION|MB_OK "Brevicor was installed, but its phrase library is not ready:$\r$\n$\r$\n$1$\r$\nNo existing file was changed." /SD IDOK
        SetErrorLevel 2
    ${EndIf}
SectionEnd

Section /o "Start Brevicor when I log in" SecAutostart
    ; A Startup-folder shortcut, not the Run key: programs started from the Run key begin in
    ; the system folder, where the library's relative path finds nothing.
    SetOutPath "$INSTDIR"
    CreateShortcut "$SMSTARTUP\Brevicor.lnk" "$INSTDIR\brevicor.exe"
SectionEnd

; After the sections: it refers to one by its index.
Function .onInit
    !insertmacro RefuseWhileRunning
    ; /AUTOSTART ticks "Start Brevicor when I log in" (for silent installs).
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/AUTOSTART" $1
    ${IfNot} ${Errors}
        !insertmacro SelectSection ${SecAutostart}
    ${EndIf}
FunctionEnd

Function un.onInit
    !insertmacro RefuseWhileRunning
FunctionEnd

Section "un.Brevicor (the program and its shortcuts)" SecUnProgram
    SectionIn RO
    Delete "$SMPROGRAMS\Brevicor.lnk"
    Delete "$SMSTARTUP\Brevicor.lnk"
    Delete "$INSTDIR\brevicor.exe"
    Delete "$INSTDIR\brevicor-newlib.exe"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\uninstall.exe"
    DeleteRegKey HKCU "${UNINST_KEY}"
SectionEnd

Section /o "un.Also delete my phrase library" SecUnLibrary
    Delete "$INSTDIR\database\phrases.mdb"
SectionEnd

Section "-un.Folders"
    ; Only empty folders go: a kept library keeps its folder.
    RMDir "$INSTDIR\database"
    RMDir "$INSTDIR"
    ${If} ${FileExists} "$INSTDIR\database\phrases.mdb"
        DetailPrint "Your phrase library stays in $INSTDIR\database\phrases.mdb"
    ${EndIf}
SectionEnd
