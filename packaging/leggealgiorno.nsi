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
!define MUI_ABORTWARNING_TEXT "Interrompere l'installazione di ${NOME}?"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${PANNELLO}"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${PANNELLO}"
!define MUI_COMPONENTSPAGE_NODESC
; The one word NSIS shows at the end of both the installation and the uninstallation.
CompletedText "Fatto."

; The GPL asks nothing of whoever runs the program: the page informs, and goes on.
!define MUI_PAGE_HEADER_TEXT "Licenze"
!define MUI_PAGE_HEADER_SUBTEXT "Che cosa permettono di fare con il programma e con le leggi."
!define MUI_LICENSEPAGE_TEXT_TOP "Il programma è software libero (GPL-3.0-or-later); la \
    raccolta di leggi è distribuita secondo la licenza CC-BY-4.0."
!define MUI_LICENSEPAGE_TEXT_BOTTOM "Per usare il programma non occorre accettare nulla: le \
    licenze dicono a che condizioni lo si può copiare, modificare e ridistribuire. Il testo \
    resta in LICENZE.txt accanto al programma."
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!insertmacro MUI_PAGE_LICENSE "${LICENZE}"
; Said once: the stock texts of this page repeat the same sentence three times.
!define MUI_PAGE_HEADER_TEXT "Componenti"
!define MUI_PAGE_HEADER_SUBTEXT "Che cosa installare."
!define MUI_COMPONENTSPAGE_TEXT_TOP "La legge può comparire anche a ogni accesso a Windows; \
    lo si cambia reinstallando."
!define MUI_COMPONENTSPAGE_TEXT_COMPLIST " "
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE ControllaCartella
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
; The stored mode may be the random one: not necessarily today's law.
!define MUI_FINISHPAGE_TITLE "Installazione di ${NOME} completata"
!define MUI_FINISHPAGE_TEXT "${NOME} è installata: la trovi nel menu Start.$\r$\n$\r$\n\
    Scegli «Chiudi» per uscire dall'installazione."
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Mostra subito la legge"
!define MUI_FINISHPAGE_RUN_FUNCTION AvviaOra
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "${NOME} si toglie da questa cartella, dal menu Start e \
    dall'avvio a ogni accesso. Le leggi e la modalità scelta restano, in ${DATI}."
!define MUI_UNCONFIRMPAGE_TEXT_LOCATION "Programma in:"
!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_INSTFILESPAGE_FINISHHEADER_TEXT "Disinstallazione completata"
!define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "${NOME} è stata tolta dal computer."
!define MUI_INSTFILESPAGE_ABORTHEADER_TEXT "Disinstallazione interrotta"
!define MUI_INSTFILESPAGE_ABORTHEADER_SUBTEXT "Chiudi ${NOME} e riprova."
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "Disinstallazione completata"
!define MUI_FINISHPAGE_TEXT "${NOME} è stata tolta dal computer.$\r$\n$\r$\nLe leggi e la \
    modalità scelta (Massime.dat e Option.dat) restano in ${DATI}: reinstallando, il \
    programma le ritrova; se non servono più, quella cartella si può cancellare."
!insertmacro MUI_UNPAGE_FINISH
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

; The folders the installer made to reach the program's folder go with it once they are empty:
; $R0 is the program's folder, $R1 the outermost of those it made (none when empty).
!macro TogliCartelle UN
Function ${UN}TogliCartelle
    StrLen $R2 "$R1\"
    StrCpy $R3 "$R0\" $R2
    ${If} $R1 == ""
    ${OrIf} $R3 != "$R1\"
        Return
    ${EndIf}
    ${Do}
        RMDir $R0
        ${If} ${FileExists} "$R0\*.*"
        ${OrIf} $R0 == $R1
            Return
        ${EndIf}
        ${GetParent} $R0 $R0
    ${LoopUntil} $R0 == ""
FunctionEnd
!macroend
!insertmacro TogliCartelle ""
!insertmacro TogliCartelle "un."

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
        StrCpy $R0 $0
        ReadRegStr $R1 HKCU "${CHIAVE}" "CartellaCreata"
        Call TogliCartelle
    ${EndIf}
    ; The outermost folder about to be made; installing again into the same folder keeps what
    ; the first install made.
    StrCpy $R0 $INSTDIR
    StrCpy $R1 ""
    ${Do}
        ${IfThen} ${FileExists} "$R0\*.*" ${|} ${ExitDo} ${|}
        StrCpy $R1 $R0
        ${GetParent} $R0 $R0
    ${LoopUntil} $R0 == ""
    ${If} $R1 == ""
    ${AndIf} $0 == $INSTDIR
        ReadRegStr $R1 HKCU "${CHIAVE}" "CartellaCreata"
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
    WriteRegStr HKCU "${CHIAVE}" "CartellaCreata" "$R1"
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
; class is "Form1". That window stays on top of all others, and a question that is merely
; topmost opens underneath it: owned by it, the question opens above it, in the foreground,
; and takes the keys. MessageBox cannot be given an owner, hence the call to Windows.
!define MB_DOMANDA 0x50031 ; MB_OKCANCEL|MB_ICONEXCLAMATION|MB_SETFOREGROUND|MB_TOPMOST
!define MB_ERRORE 0x50010 ; MB_OK|MB_ICONSTOP|MB_SETFOREGROUND|MB_TOPMOST
!define IDCANCEL 2
!macro ChiudiProgramma UN TITOLO
Function ${UN}ChiudiProgramma
    StrCpy $1 0
    ${Do}
        FindWindow $0 "Form1" ""
        ${If} $0 = 0
            Return
        ${EndIf}
        ; A window that closes while asked takes the question with it: nothing left to ask.
        ${If} $1 = 0
        ${AndIfNot} ${Silent}
            System::Call 'user32::MessageBox(p r0, t "${NOME} è aperta. Va chiusa per \
                continuare: la chiudo?", t "${TITOLO}", i ${MB_DOMANDA}) i .r2'
            ${If} $2 = ${IDCANCEL}
                Quit
            ${EndIf}
        ${EndIf}
        SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=2000
        Sleep 250
        IntOp $1 $1 + 1
    ${LoopUntil} $1 >= 40
    ; Not owned by a window that may have stopped answering, which would hang it too.
    ${IfNot} ${Silent}
        System::Call 'user32::MessageBox(p 0, t "${NOME} non si è chiusa: chiudila e \
            riprova.", t "${TITOLO}", i ${MB_ERRORE}) i .r2'
    ${EndIf}
    SetErrorLevel 2
    Quit
FunctionEnd
!macroend
!insertmacro ChiudiProgramma "" "Installazione di ${NOME}"
!insertmacro ChiudiProgramma "un." "Disinstallazione di ${NOME}"

; A shortcut holds its target as a classic Windows path, at most 259 characters: from a deeper
; folder the Start-menu shortcut could not start the program. Such a folder is refused before
; anything is written; a silent run ends with nothing installed and exit code 2.
Function ControllaCartella
    StrLen $0 "$INSTDIR\leggealgiorno.exe"
    ${If} $0 > 259
        MessageBox MB_OK|MB_ICONSTOP "La cartella scelta è troppo profonda:$\r$\n$INSTDIR$\r$\n\
            $\r$\nIl percorso del programma sarebbe di $0 caratteri, e Windows non lo avvia \
            da un collegamento se supera i 259. Scegli una cartella con un percorso più \
            breve." /SD IDOK
        ${If} ${Silent}
            SetErrorLevel 2
            Quit
        ${EndIf}
        Abort
    ${EndIf}
FunctionEnd

Function .onInit
    ; NSIS drops a folder given with /D= that is longer than it takes, and installs into the
    ; default one without a word: the folder is read again from the command line as it came,
    ; where /D= is the last option and runs to its end.
    System::Call 'kernel32::GetCommandLine() t .r0'
    StrLen $1 $0
    ${Do}
        IntOp $1 $1 - 1
        StrCpy $2 $0 4 $1
        ${If} $2 S== " /D="
            IntOp $1 $1 + 4
            StrCpy $INSTDIR $0 "" $1
            ${Do}
                StrCpy $2 $INSTDIR 1 -1
                ${If} $2 != "\"
                ${AndIf} $2 != " "
                    ${ExitDo}
                ${EndIf}
                StrCpy $INSTDIR $INSTDIR -1
            ${Loop}
            ${ExitDo}
        ${EndIf}
    ${LoopUntil} $1 <= 0
    ; Before anything else, the program left open too.
    ${If} ${Silent}
        Call ControllaCartella
    ${EndIf}
    Call ChiudiProgramma
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/AVVIOAUTOMATICO" $1
    ${IfNot} ${Errors}
        !insertmacro SelectSection ${SezioneAvvio}
    ${ElseIfNot} ${Silent}
    ${AndIf} ${FileExists} "$SMSTARTUP\${COLLEGAMENTO}"
        ; The page shows what is installed now, so that clicking through keeps it.
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
    Delete "$INSTDIR\leggealgiorno.exe"
    ${If} ${FileExists} "$INSTDIR\leggealgiorno.exe"
        MessageBox MB_OK|MB_ICONSTOP "Impossibile togliere $INSTDIR\leggealgiorno.exe: \
            chiudi ${NOME} e riprova." /SD IDOK
        SetErrorLevel 2
        Abort
    ${EndIf}
    !insertmacro TogliProgramma "$INSTDIR"
    StrCpy $R0 $INSTDIR
    ReadRegStr $R1 HKCU "${CHIAVE}" "CartellaCreata"
    Call un.TogliCartelle
    Delete "$SMPROGRAMS\${COLLEGAMENTO}"
    Delete "$SMSTARTUP\${COLLEGAMENTO}"
    DeleteRegKey HKCU "${CHIAVE}"
SectionEnd
