; SPDX-License-Identifier: GPL-3.0-or-later
; The Windows installer. A per-user install: no administrator prompt, nothing outside the
; user's profile. The build passes NOME, VERSIONE, PROGRAMMA, STRUMENTO, RACCOLTA, ICONA
; and USCITA with -D.
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

!define CHIAVE "Software\Microsoft\Windows\CurrentVersion\Uninstall\LeggeAlGiorno"
; The program, started with --cartella-utente as both shortcuts do, makes this folder, seeds
; its collection from the copy beside the program and works there.
!define DATI "$APPDATA\${NOME}"
!define COLLEGAMENTO "${NOME}.lnk"

Name "${NOME}"
OutFile "${USCITA}"
InstallDir "$LOCALAPPDATA\Programs\${NOME}"
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
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Mostra subito la legge di oggi"
!define MUI_FINISHPAGE_RUN_FUNCTION AvviaOra

!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Italian"

Section "${NOME}" SezioneProgramma
    SectionIn RO
    SetOutPath "$INSTDIR"
    File "/oname=leggealgiorno.exe" "${PROGRAMMA}"
    File "/oname=massime.exe" "${STRUMENTO}"
    File "/oname=Massime.dat" "${RACCOLTA}"
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

Function .onInit
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

; The data folder holds the user's Option.dat and perhaps a collection of their own: it stays.
Section "Uninstall"
    Delete "$SMPROGRAMS\${COLLEGAMENTO}"
    Delete "$SMSTARTUP\${COLLEGAMENTO}"
    Delete "$INSTDIR\leggealgiorno.exe"
    Delete "$INSTDIR\massime.exe"
    Delete "$INSTDIR\Massime.dat"
    Delete "$INSTDIR\Disinstalla.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKCU "${CHIAVE}"
SectionEnd
