; SPDX-License-Identifier: GPL-3.0-or-later
; The Windows installer. A per-user install: no administrator prompt, nothing outside the
; user's profile. The build passes NOME, VERSIONE, PROGRAMMA, STRUMENTO, RACCOLTA, ICONA,
; PANNELLO, LICENZE and USCITA with -D.
;
;   leggealgiorno-VERSIONE-setup.exe [/S] [/AVVIOAUTOMATICO] [/D=CARTELLA]
;
; /S installs without asking; /AVVIOAUTOMATICO also selects "Avvia a ogni accesso".

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
; The files' own times would go into the installer, and they are the times of a build: the
; installed files get the time of the installation instead, and two builds the same bytes.
SetDateSave off
RequestExecutionLevel user

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "Sections.nsh"
!include "WinMessages.nsh"

!define CHIAVE "Software\Microsoft\Windows\CurrentVersion\Uninstall\LeggeAlGiorno"
; The program, started with --cartella-utente as both shortcuts do, makes this folder, seeds
; its collection from the copy beside the program and works there.
!define DATI "$APPDATA\${NOME}"
!define COLLEGAMENTO "${NOME}.lnk"

Name "${NOME}"
OutFile "${USCITA}"
InstallDir "$LOCALAPPDATA\Programs\${NOME}"
; A second install goes where the first one went, unless the user chooses otherwise.
InstallDirRegKey HKCU "${CHIAVE}" "InstallLocation"
BrandingText "${NOME} ${VERSIONE}"

VIProductVersion "${VERSIONE}.0"
VIAddVersionKey /LANG=1040 "ProductName" "${NOME}"
VIAddVersionKey /LANG=1040 "ProductVersion" "${VERSIONE}"
VIAddVersionKey /LANG=1040 "FileVersion" "${VERSIONE}"
VIAddVersionKey /LANG=1040 "FileDescription" "Installazione di ${NOME}"
VIAddVersionKey /LANG=1040 "LegalCopyright" "GPL-3.0-or-later"

!define MUI_ICON "${ICONA}"
!define MUI_UNICON "${ICONA}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEFINISHPAGE_BITMAP "${PANNELLO}"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${PANNELLO}"
!define MUI_COMPONENTSPAGE_NODESC
; Said once: the stock texts of this page repeat the same sentence three times.
!define MUI_PAGE_HEADER_TEXT "Componenti"
!define MUI_PAGE_HEADER_SUBTEXT "Che cosa installare."
!define MUI_COMPONENTSPAGE_TEXT_TOP "La legge può comparire anche a ogni accesso a Windows; \
    lo si cambia reinstallando."
!define MUI_COMPONENTSPAGE_TEXT_COMPLIST " "
; The stored mode may be the random one: not necessarily today's law.
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Mostra subito la legge"
!define MUI_FINISHPAGE_RUN_FUNCTION AvviaOra

!define MUI_LICENSEPAGE_TEXT_TOP "Il programma è software libero (GPL-3.0-or-later); la \
    raccolta di leggi è distribuita secondo la licenza CC-BY-4.0."
!insertmacro MUI_PAGE_LICENSE "${LICENZE}"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Italian"

; What the installer puts in the program's folder, and the uninstaller takes away.
!macro TogliProgramma CARTELLA
    Delete "${CARTELLA}\leggealgiorno.exe"
    Delete "${CARTELLA}\massime.exe"
    Delete "${CARTELLA}\Massime.dat"
    Delete "${CARTELLA}\LICENZE.txt"
    Delete "${CARTELLA}\Disinstalla.exe"
    RMDir "${CARTELLA}"
!macroend

Section "${NOME}" SezioneProgramma
    SectionIn RO
    ; There the program's Massime.dat would replace the user's, and the uninstaller take it.
    ${If} $INSTDIR == "${DATI}"
        MessageBox MB_OK|MB_ICONSTOP "$INSTDIR è la cartella dei dati dell'utente, con le sue \
            leggi: scegli un'altra cartella per il programma." /SD IDOK
        SetErrorLevel 2
        Quit
    ${EndIf}
    ; An earlier install elsewhere would stay behind, no longer listed anywhere.
    ReadRegStr $0 HKCU "${CHIAVE}" "InstallLocation"
    ${If} $0 != ""
    ${AndIf} $0 != $INSTDIR
    ${AndIf} ${FileExists} "$0\leggealgiorno.exe"
        !insertmacro TogliProgramma "$0"
    ${EndIf}
    SetOutPath "$INSTDIR"
    File "/oname=leggealgiorno.exe" "${PROGRAMMA}"
    File "/oname=massime.exe" "${STRUMENTO}"
    File "/oname=Massime.dat" "${RACCOLTA}"
    File "/oname=LICENZE.txt" "${LICENZE}"
    WriteUninstaller "$INSTDIR\Disinstalla.exe"

    ; A shortcut starts in the current output folder.
    SetOutPath "${DATI}"
    CreateShortcut "$SMPROGRAMS\${COLLEGAMENTO}" "$INSTDIR\leggealgiorno.exe" "--cartella-utente" \
        "$INSTDIR\leggealgiorno.exe" 0 SW_SHOWNORMAL "" "Una legge al giorno, o una a caso"
    SetOutPath "$INSTDIR"

    WriteRegStr HKCU "${CHIAVE}" "DisplayName" "${NOME}"
    WriteRegStr HKCU "${CHIAVE}" "DisplayVersion" "${VERSIONE}"
    WriteRegStr HKCU "${CHIAVE}" "Publisher" "Gli sviluppatori di ${NOME}"
    WriteRegStr HKCU "${CHIAVE}" "DisplayIcon" "$INSTDIR\leggealgiorno.exe"
    WriteRegStr HKCU "${CHIAVE}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${CHIAVE}" "UninstallString" '"$INSTDIR\Disinstalla.exe"'
    WriteRegStr HKCU "${CHIAVE}" "QuietUninstallString" '"$INSTDIR\Disinstalla.exe" /S'
    WriteRegDWORD HKCU "${CHIAVE}" "NoModify" 1
    WriteRegDWORD HKCU "${CHIAVE}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${CHIAVE}" "EstimatedSize" $0
SectionEnd

; A shortcut rather than a Run value in the registry, which cannot set the working folder.
Section /o "Avvia a ogni accesso" SezioneAvvio
    SetOutPath "${DATI}"
    CreateShortcut "$SMSTARTUP\${COLLEGAMENTO}" "$INSTDIR\leggealgiorno.exe" "--cartella-utente" \
        "$INSTDIR\leggealgiorno.exe" 0 SW_SHOWNORMAL "" "Una legge al giorno, o una a caso"
    SetOutPath "$INSTDIR"
SectionEnd

; Installing again without it turns the start at login off, the way it was turned on.
Section "-SenzaAvvio"
    ${IfNot} ${SectionIsSelected} ${SezioneAvvio}
        Delete "$SMSTARTUP\${COLLEGAMENTO}"
    ${EndIf}
SectionEnd

; The program's files cannot be replaced or removed while it runs: it is asked to close
; (closed at once in a silent run), or the installer stops with nothing changed. Its window
; class is "Form1".
!macro ChiudiProgramma UN
Function ${UN}ChiudiProgramma
    StrCpy $1 0
    ${Do}
        FindWindow $0 "Form1" ""
        ${If} $0 = 0
            Return
        ${EndIf}
        ${If} $1 = 0
        ${AndIfNot} ${Silent}
            MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION "${NOME} è aperta. Va chiusa per \
                continuare: la chiudo?" /SD IDOK IDOK chiudi
            Quit
        chiudi:
        ${EndIf}
        SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=2000
        Sleep 250
        IntOp $1 $1 + 1
    ${LoopUntil} $1 >= 40
    MessageBox MB_OK|MB_ICONSTOP "${NOME} non si è chiusa: chiudila e riprova." /SD IDOK
    SetErrorLevel 2
    Quit
FunctionEnd
!macroend
!insertmacro ChiudiProgramma ""
!insertmacro ChiudiProgramma "un."

Function .onInit
    Call ChiudiProgramma
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/AVVIOAUTOMATICO" $1
    ${IfNot} ${Errors}
        !insertmacro SelectSection ${SezioneAvvio}
    ${EndIf}
FunctionEnd

Function AvviaOra
    SetOutPath "${DATI}"
    Exec '"$INSTDIR\leggealgiorno.exe" --cartella-utente'
    SetOutPath "$INSTDIR"
FunctionEnd

Function un.onInit
    Call un.ChiudiProgramma
FunctionEnd

; The data folder holds the user's Option.dat and perhaps a collection of their own: it stays.
; The entry among the installed programs goes only with the program's files, so that what
; is left can always be uninstalled.
Section "Uninstall"
    !insertmacro TogliProgramma "$INSTDIR"
    ${If} ${FileExists} "$INSTDIR\leggealgiorno.exe"
        MessageBox MB_OK|MB_ICONSTOP "Impossibile togliere $INSTDIR\leggealgiorno.exe: \
            chiudi ${NOME} e riprova." /SD IDOK
        SetErrorLevel 2
        Abort
    ${EndIf}
    Delete "$SMPROGRAMS\${COLLEGAMENTO}"
    Delete "$SMSTARTUP\${COLLEGAMENTO}"
    DeleteRegKey HKCU "${CHIAVE}"
SectionEnd
