#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows installer, in a Wine prefix of its own that is thrown away after: what it installs
# and where, that it keeps the user's data, what the uninstaller removes and keeps, which
# folders it refuses; then its pages and questions driven from the keyboard, as a user would,
# on a virtual screen with a window manager that keeps a topmost window above the others.
#   tst_installatore.sh INSTALLATORE RACCOLTA
set -euo pipefail
installatore=$1
raccolta=$2

WINEPREFIX=$(mktemp -d /tmp/installatore-XXXXXX)
export WINEPREFIX WINEDEBUG=-all
schermo=
gestore=
chiudi_tutto() {
    wineserver -k 2>/dev/null || true
    [[ -z $gestore ]] || kill "$gestore" 2>/dev/null || true
    [[ -z $schermo ]] || kill "$schermo" 2>/dev/null || true
    rm -rf "$WINEPREFIX"
}
trap chiudi_tutto EXIT
# No screen until the pages are driven.
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
# Notepad before Windows 10 1809 shows a text with bare LF line ends as one long line.
if grep -qv $'\r$' "$programmi/LICENZE.txt" || ! grep -q 'CC-BY-4.0' "$programmi/LICENZE.txt"; then
    sbaglia "LICENZE.txt non è tutto in CR LF o non nomina la licenza della raccolta"
fi
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
wineserver -k 2>/dev/null || true
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

# A shortcut holds a classic Windows path, at most 259 characters: a folder whose program would
# lie deeper is refused before anything is written, also when NSIS itself would drop the
# folder given with /D= for its length and fall back to the default one.
profonda() {
    local cartella='C:\profonda\'
    while ((${#cartella} < $1 - 2)); do cartella+='c\'; done
    while ((${#cartella} < $1)); do cartella+='x'; done
    echo "$cartella"
}
in_unix() { local resto=${1#C:}; echo "$WINEPREFIX/drive_c${resto//\\//}"; }
wineserver -k 2>/dev/null || true
mkdir "$WINEPREFIX/drive_c/profonda"
for lunghezza in 242 314 328; do
    cartella=$(profonda "$lunghezza")
    if wine "$installatore" /S "/D=$cartella"; then
        sbaglia "installare in una cartella di $lunghezza caratteri è riuscito"
    fi
    wineserver -w
    [[ -z $(ls -A "$WINEPREFIX/drive_c/profonda") ]] ||
        sbaglia "rifiutando una cartella di $lunghezza caratteri ha scritto qualcosa"
    manca "$programmi"
    manca "$menu/Una Legge al Giorno.lnk"
done
# The deepest folder that works; the uninstaller takes away the folders the installer made for
# it, and only those.
cartella=$(profonda 241)
installa "/D=$cartella"
esiste "$(in_unix "$cartella")/leggealgiorno.exe"
wine "$cartella\Disinstalla.exe" /S
wineserver -w
[[ -d $WINEPREFIX/drive_c/profonda && -z $(ls -A "$WINEPREFIX/drive_c/profonda") ]] ||
    sbaglia "disinstallare non ha tolto le cartelle fatte dall'installatore, o ha tolto le altre"

# The pages. The window manager draws the frames and keeps Windows' topmost windows above
# the others, as Windows does, and gives the focus only where Windows would.
wineserver -k 2>/dev/null || true
aspetta() {
    local i
    for ((i = 0; i < 150; i++)); do
        "$@" && return 0
        sleep 0.2
    done
    return 1
}
# Xvfb picks a free display and writes its number when it is ready.
Xvfb -displayfd 4 -screen 0 1024x768x24 -nolisten tcp 4>"$WINEPREFIX/schermo" 2>/dev/null &
schermo=$!
aspetta test -s "$WINEPREFIX/schermo" || { echo "ERRORE: Xvfb non è partito" >&2; exit 1; }
DISPLAY=:$(<"$WINEPREFIX/schermo")
export DISPLAY
metacity --replace --sm-disable --no-composite >/dev/null 2>&1 &
gestore=$!
pronto() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
aspetta pronto || sbaglia "il gestore di finestre (metacity) non è partito"
titolo_attivo() { [[ $(xdotool getactivewindow getwindowname 2>/dev/null) == "$1" ]]; }
# The active window is the topmost of all.
in_cima() {
    local pila attiva
    pila=$(xprop -root _NET_CLIENT_LIST_STACKING)
    attiva=$(xdotool getactivewindow)
    ((${pila##* } == attiva))
}
programma_aperto() { xdotool search --classname '^leggealgiorno\.exe$' >/dev/null 2>&1; }
programma_chiuso() { ! programma_aperto; }
avvia_programma() {
    (cd "$dati" && exec wine "$programmi/leggealgiorno.exe" --cartella-utente) >/dev/null 2>&1 &
    aspetta programma_aperto || sbaglia "il programma non è partito"
}
# A window just opened by a program the user started: the window manager, not knowing that,
# leaves the focus where it was; the user clicks on it. NSIS ends the title of its pages with a
# space.
visibile() { xdotool search --onlyvisible --name "^$1 ?\$" >/dev/null 2>&1; }
clic_su() {
    aspetta visibile "$1" || sbaglia "$1: la finestra non si è aperta"
    xdotool search --onlyvisible --name "^$1 ?\$" windowactivate --sync >/dev/null 2>&1 || true
    sleep 0.5
}
finito() { ! kill -0 "$1" 2>/dev/null; }
# Every Wine process of the prefix has ended; a key gone astray leaves a page open.
tutto_finito() { timeout 60 wineserver -w || sbaglia "$1: una pagina è rimasta aperta"; }
# Keys go to the window that has the focus, as a user's do; a page takes a moment to show.
tasto() {
    xdotool key "$1"
    sleep 1
}
# Asked to close the open program, a question the user sees and answers from the keyboard.
chiude_il_programma() {
    local titolo=$1
    aspetta titolo_attivo "$titolo" || sbaglia "$titolo: la domanda sul programma aperto non ha il fuoco"
    in_cima || sbaglia "$titolo: la domanda è sotto la finestra del programma"
    tasto Return
    aspetta programma_chiuso || sbaglia "$titolo: il programma è rimasto aperto"
}

# Installing again over an install that starts at login, while the program is open, then
# clicking through: licence, components, folder, and the last page, which shows the law.
installa /AVVIOAUTOMATICO
avvia_programma
wine "$installatore" >/dev/null 2>&1 &
interattivo=$!
chiude_il_programma "Installazione di Una Legge al Giorno"
clic_su "Installazione di Una Legge al Giorno"
for _ in licenza componenti cartella fine; do tasto Return; done
aspetta finito "$interattivo" || sbaglia "l'installazione non è finita"
esiste "$avvio/Una Legge al Giorno.lnk"
aspetta programma_aperto || sbaglia "l'ultima pagina non ha mostrato la legge"

# Uninstalling with the program open: the same question, then the two pages.
wine "$programmi/Disinstalla.exe" >/dev/null 2>&1 &
chiude_il_programma "Disinstallazione di Una Legge al Giorno"
clic_su "Disinstallazione di Una Legge al Giorno"
for _ in conferma fine; do tasto Return; done
tutto_finito "disinstallare"
manca "$programmi"
manca "$avvio/Una Legge al Giorno.lnk"
[[ $(cat "$dati/Massime.dat" 2>/dev/null) == 'la mia raccolta' ]] ||
    sbaglia "disinstallare dalle pagine ha tolto i dati dell'utente"

# Too deep a folder given with /D=: the folder page shows it and will not go on with it.
wine "$installatore" "/D=$(profonda 328)" >/dev/null 2>&1 &
clic_su "Installazione di Una Legge al Giorno"
for _ in licenza componenti cartella; do tasto Return; done
avvisi() {
    (($(xdotool search --onlyvisible --name '^Installazione di Una Legge al Giorno ?$' | wc -l) == 2))
}
aspetta avvisi || sbaglia "nessun avviso per la cartella troppo profonda"
# The warning, then leaving (Esc) and confirming.
for tasto in Return Escape Return; do tasto "$tasto"; done
tutto_finito "la cartella troppo profonda"
[[ -z $(ls -A "$WINEPREFIX/drive_c/profonda") ]] || sbaglia "la cartella troppo profonda è stata usata"
manca "$programmi"

((errori == 0)) && echo "Installatore: tutto a posto"
exit $((errori > 0))
