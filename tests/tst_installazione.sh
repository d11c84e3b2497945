#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the built tree under an unusual prefix into a staging directory, then uses what was
# installed as a user would: the tool on the bundled collection, the program started with the
# menu's command in a fresh home, and the login entry it turns on and off. Then installs it for
# oneself, under ~/.local, beside a collection of the user's own.
# Usage: tst_installazione.sh BUILD_DIR APPLICATION_ID
set -uo pipefail

build=$1
id=$2
T=$(mktemp -d)
# Whatever this test starts ends with it, even when it fails half-way.
avviati=()
finisci() {
    for avviato in "${avviati[@]}"; do
        kill "$avviato" 2>/dev/null && wait "$avviato" 2>/dev/null
    done
    rm -rf "$T"
}
trap finisci EXIT
falliti=0

fallisce() {
    echo "FAIL $caso: $*"
    falliti=$((falliti + 1))
}

caso=installa
prefisso="/opt/una legge"
radice=$T/destdir$prefisso
DESTDIR=$T/destdir cmake --install "$build" --prefix "$prefisso" >"$T/installa.log" 2>&1 ||
    { cat "$T/installa.log"; fallisce "cmake --install"; }
installata=share/$id
for file in bin/leggealgiorno bin/massime \
    $installata/Massime.dat $installata/$id.desktop \
    share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
    share/icons/hicolor/32x32/apps/$id.png share/icons/hicolor/48x48/apps/$id.png \
    share/icons/hicolor/64x64/apps/$id.png share/icons/hicolor/scalable/apps/$id.svg \
    share/man/man1/leggealgiorno.1.gz share/man/man1/massime.1.gz; do
    [[ -f $radice/$file ]] || fallisce "manca $file"
done
for programma in leggealgiorno massime; do
    [[ -x $radice/bin/$programma ]] || fallisce "$programma non eseguibile"
done
fuori=$(find "$T/destdir" -type f ! -path "$radice/*")
[[ -z $fuori ]] || fallisce "file fuori dal prefisso: $fuori"
for lato in 32 48 64; do
    [[ $(file -b "$radice/share/icons/hicolor/${lato}x$lato/apps/$id.png") == "PNG image data, $lato x $lato,"* ]] ||
        fallisce "l'icona ${lato}x$lato non è un PNG di quella misura"
done
[[ ! -e $radice/bin/leggealgiorno-avvio ]] || fallisce "il vecchio lanciatore è ancora installato"
# Both entries name the program where it was installed, not where it was built, nor by a PATH
# that a session started before the prefix's bin existed does not have.
exec_atteso='Exec="/opt/una legge/bin/leggealgiorno" --cartella-utente'
for voce in share/applications/$id.desktop $installata/$id.desktop; do
    grep -qxF "$exec_atteso" "$radice/$voce" || fallisce "$voce: $(grep '^Exec=' "$radice/$voce")"
    grep -qxF 'TryExec=/opt/una legge/bin/leggealgiorno' "$radice/$voce" ||
        fallisce "$voce: $(grep '^TryExec=' "$radice/$voce")"
done

caso=massime_verifica
"$radice/bin/massime" verifica "$radice/$installata/Massime.dat" >"$T/verifica.log" 2>&1 ||
    { cat "$T/verifica.log"; fallisce "la raccolta installata ha dei problemi"; }

# The program has started properly once it has written its options file; it must then still be
# running, its window open, until it is told to stop.
caso=primo_avvio
casa="$T/casa nuova"
mkdir -p "$casa"
dati=$casa/.local/share/leggealgiorno
# No subshell in between: killing it would leave the program running. timeout passes the
# signal on, and ends the program by itself should this test be killed outright.
env -i -C "$T" PATH=/usr/bin:/bin HOME="$casa" QT_QPA_PLATFORM=offscreen \
    timeout 60 "$radice/bin/leggealgiorno" --cartella-utente >"$T/avvio.log" 2>&1 &
pid=$!
avviati+=("$pid")
for _ in $(seq 200); do
    [[ -s $dati/Option.dat ]] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
sleep 0.5
if kill -0 "$pid" 2>/dev/null; then
    kill "$pid"
    wait "$pid"
else
    wait "$pid"
    fallisce "il programma è terminato da solo, esito $?: $(cat "$T/avvio.log")"
fi
[[ -s $dati/Option.dat ]] || fallisce "Option.dat non scritto in $dati"
cmp -s "$radice/$installata/Massime.dat" "$dati/Massime.dat" || fallisce "raccolta non copiata"
pgrep -f "^$radice/bin/leggealgiorno" >/dev/null && fallisce "il programma è ancora in esecuzione"
[[ ! -e $T/Option.dat ]] || fallisce "Option.dat scritto nella cartella da cui è partito"

# The login entry, turned on and off by the installed program, started through a link to it
# as a user's own bin folder may hold: it still finds what was installed with it.
caso=avvio_automatico
mkdir -p "$casa/bin"
ln -s "$radice/bin/leggealgiorno" "$casa/bin/leggealgiorno"
voce=$casa/config/autostart/$id.desktop
for richiesta in si no no; do
    uscita=$(env -i PATH=/usr/bin:/bin HOME="$casa" XDG_CONFIG_HOME="$casa/config" \
        "$casa/bin/leggealgiorno" --avvio-automatico "$richiesta" 2>&1) ||
        fallisce "--avvio-automatico $richiesta: $uscita"
    if [[ $richiesta == si ]]; then
        cmp -s "$radice/$installata/$id.desktop" "$voce" || fallisce "voce non copiata"
        [[ $(ls -A "$(dirname "$voce")") == "$id.desktop" ]] || fallisce "file provvisori rimasti"
    else
        [[ ! -e $voce ]] || fallisce "voce non tolta"
    fi
done

# A prefix with every character a desktop entry must escape: \ " ` $ get a backslash, %
# doubles, and then every backslash doubles once more.
caso=voce_con_caratteri_da_proteggere
sorgenti=$(cd "$(dirname "${BASH_SOURCE[0]}")/../packaging" && pwd)
strano="$T/pre fisso \$x\"y%z\\w\`q/bin/leggealgiorno"
cat >"$T/voce.cmake" <<FINE
include("$sorgenti/vocedesktop.cmake")
set(LEGGE_ID_APP "$id")
legge_voce_desktop("$sorgenti/avvio-automatico.desktop.in" "\${USCITA}" "\${AVVIO}")
FINE
cmake -DUSCITA="$T/strana.desktop" -DAVVIO="$strano" -P "$T/voce.cmake" ||
    fallisce "voce non generata"
exec_atteso='Exec="'"$T"'/pre fisso \\$x\\"y%%z\\\\w\\`q/bin/leggealgiorno" --cartella-utente'
grep -qxF "$exec_atteso" "$T/strana.desktop" || fallisce "riga Exec: $(grep '^Exec=' "$T/strana.desktop")"
grep -qxF "TryExec=$T/pre fisso \$x\"y%z\\\\w\`q/bin/leggealgiorno" "$T/strana.desktop" ||
    fallisce "riga TryExec: $(grep '^TryExec=' "$T/strana.desktop")"
esiti=$(desktop-file-validate "$T/strana.desktop" 2>&1) || fallisce "voce non valida: $esiti"

# Installed for oneself, twice and then removed by its manifest: the collection of the user's
# own in ~/.local/share/leggealgiorno is never touched, and the program started from the menu
# keeps showing it.
caso=installa_per_se
casa="$T/casa mia"
locale=$casa/.local
mkdir -p "$locale/share/leggealgiorno"
mia=$locale/share/leggealgiorno/Massime.dat
"$radice/bin/massime" codifica - -o "$mia" <<<$'/001 La mia legge\nSolo mia.\n/' ||
    fallisce "massime codifica"
cp "$mia" "$T/mia"
for volta in 1 2; do
    cmake --install "$build" --prefix "$locale" >"$T/installa.log" 2>&1 ||
        { cat "$T/installa.log"; fallisce "cmake --install ($volta)"; }
    cmp -s "$T/mia" "$mia" || fallisce "la raccolta dell'utente cambiata dall'installazione $volta"
done
grep -qF "/share/leggealgiorno/" "$build/install_manifest.txt" &&
    fallisce "l'installazione elenca la cartella dell'utente: $(grep -F /share/leggealgiorno/ "$build/install_manifest.txt")"
xargs -d '\n' rm -f <"$build/install_manifest.txt"
cmp -s "$T/mia" "$mia" || fallisce "la raccolta dell'utente tolta con il programma"

if ((falliti)); then
    echo "$falliti casi falliti"
    exit 1
fi
echo "Tutti i casi superati"
