#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows installer, run silently in a Wine prefix of its own that is thrown away after:
# what it installs and where, that it keeps the user's data, and what the uninstaller
# removes and keeps.
#   tst_installatore.sh INSTALLATORE RACCOLTA
set -euo pipefail
installatore=$1
raccolta=$2

WINEPREFIX=$(mktemp -d /tmp/installatore-XXXXXX)
export WINEPREFIX WINEDEBUG=-all
trap 'wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT
# No screen: nothing here opens a window.
unset DISPLAY WAYLAND_DISPLAY

errori=0
sbaglia() {
    echo "ERRORE: $*" >&2
    errori=$((errori + 1))
}
esiste() { [[ -e $1 ]] || sbaglia "manca $1"; }
manca() { [[ ! -e $1 ]] || sbaglia "non doveva esserci $1"; }
# A shortcut keeps its target and working folder as UTF-16 text.
punta_a() {
    local collegamento=$1 testo=$2
    strings -el "$collegamento" | grep -qF -- "$testo" || sbaglia "$collegamento non nomina $testo"
}

installa() {
    wine "$installatore" /S "$@"
    wineserver -w
}

installa /AVVIOAUTOMATICO
profilo=$(find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -1)
programmi="$profilo/AppData/Local/Programs/Una Legge al Giorno"
dati="$profilo/AppData/Roaming/Una Legge al Giorno"
menu="$profilo/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
# Wine writes it "StartUp", Windows "Startup"; the file system here tells them apart.
nome=$(cd "$menu" && find . -maxdepth 1 -iname startup -printf '%f')
avvio="$menu/${nome:-Startup}"
chiave='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\LeggeAlGiorno'

for file in leggealgiorno.exe massime.exe Massime.dat Disinstalla.exe; do
    esiste "$programmi/$file"
done
# The program seeds the user's folder from this copy when it starts from a shortcut.
cmp -s "$raccolta" "$programmi/Massime.dat" || sbaglia "accanto al programma manca la raccolta"
for collegamento in "$menu/Una Legge al Giorno.lnk" "$avvio/Una Legge al Giorno.lnk"; do
    esiste "$collegamento"
    [[ -e $collegamento ]] || continue
    punta_a "$collegamento" 'Programs\Una Legge al Giorno\leggealgiorno.exe'
    punta_a "$collegamento" '--cartella-utente'
done
wine reg query "$chiave" /v DisplayName 2>/dev/null | grep -q 'Una Legge al Giorno' ||
    sbaglia "manca la voce fra i programmi installati"
wine reg query "$chiave" /v UninstallString 2>/dev/null | grep -qF 'Disinstalla.exe' ||
    sbaglia "la voce fra i programmi installati non sa come disinstallare"

# The user's own files, left byte for byte by a second install.
mkdir -p "$dati"
printf 'la mia raccolta' >"$dati/Massime.dat"
printf 'la mia scelta\r\n' >"$dati/Option.dat"
installa
[[ $(cat "$dati/Massime.dat") == 'la mia raccolta' ]] || sbaglia "reinstallare ha sostituito Massime.dat"
[[ $(cat "$dati/Option.dat") == $'la mia scelta\r' ]] || sbaglia "reinstallare ha toccato Option.dat"

wine "$programmi/Disinstalla.exe" /S
wineserver -w
manca "$programmi"
manca "$menu/Una Legge al Giorno.lnk"
manca "$avvio/Una Legge al Giorno.lnk"
if wine reg query "$chiave" >/dev/null 2>&1; then
    sbaglia "la voce fra i programmi installati è rimasta"
fi
[[ $(cat "$dati/Massime.dat" 2>/dev/null) == 'la mia raccolta' ]] ||
    sbaglia "disinstallare ha tolto i dati dell'utente"
esiste "$dati/Option.dat"

# Into the user's data folder: refused with nothing written, since the program's Massime.dat
# would replace the user's and the uninstaller remove it. Chosen here as the folder of an
# earlier install, for /D= takes no quotes and wine quotes a path with spaces.
wine reg add "$chiave" /v InstallLocation /d "$(winepath -w "$dati")" /f >/dev/null 2>&1
if wine "$installatore" /S; then
    sbaglia "installato nella cartella dei dati dell'utente"
fi
wineserver -w
wine reg delete "$chiave" /f >/dev/null 2>&1
[[ $(cat "$dati/Massime.dat" 2>/dev/null) == 'la mia raccolta' ]] ||
    sbaglia "installare nella cartella dei dati ha sostituito Massime.dat"
manca "$dati/leggealgiorno.exe"

# Without /AVVIOAUTOMATICO nothing starts at login, and installing again without it takes the
# start at login away.
installa
esiste "$menu/Una Legge al Giorno.lnk"
manca "$avvio/Una Legge al Giorno.lnk"
esiste "$programmi/LICENZE.txt"
installa /AVVIOAUTOMATICO
esiste "$avvio/Una Legge al Giorno.lnk"
installa
manca "$avvio/Una Legge al Giorno.lnk"

# Into another folder: the first copy goes, so that no copy is left without an entry.
installa '/D=C:\altrove'
manca "$programmi"
esiste "$WINEPREFIX/drive_c/altrove/leggealgiorno.exe"
wine reg query "$chiave" /v InstallLocation 2>/dev/null | grep -qiF 'C:\altrove' ||
    sbaglia "la voce fra i programmi installati non nomina la nuova cartella"

# Uninstalling while the program runs: a silent uninstaller closes it, then takes the files
# and the entry together. The program needs a screen, and a wineserver that has one.
altrove="$WINEPREFIX/drive_c/altrove"
wineserver -k
export altrove dati
xvfb-run -a -s '-screen 0 1024x768x24' bash -c '
    (cd "$dati" && exec wine "$altrove/leggealgiorno.exe") >/dev/null 2>&1 &
    programma=$!
    sleep 8
    kill -0 $programma 2>/dev/null || { echo "ERRORE: il programma non è partito" >&2; exit 1; }
    wine "$altrove/Disinstalla.exe" /S
    for _ in $(seq 40); do kill -0 $programma 2>/dev/null || break; sleep 0.5; done
    if kill -0 $programma 2>/dev/null; then
        echo "ERRORE: disinstallare non ha chiuso il programma" >&2
        kill $programma
        exit 1
    fi
    wineserver -w
' || sbaglia "disinstallare con il programma aperto"
manca "$altrove/leggealgiorno.exe"
if wine reg query "$chiave" >/dev/null 2>&1; then
    sbaglia "la voce fra i programmi installati è rimasta dopo aver chiuso il programma"
fi

((errori == 0)) && echo "Installatore: tutto a posto"
exit $((errori > 0))
