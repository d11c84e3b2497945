#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the built tree under an unusual prefix into a staging directory, then uses what was
# installed as a user would: the tool on the bundled collection, and the program through the
# launcher in a fresh home. Usage: tst_installazione.sh BUILD_DIR APPLICATION_ID
set -uo pipefail

build=$1
id=$2
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
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
for file in bin/leggealgiorno bin/massime bin/leggealgiorno-avvio \
    share/leggealgiorno/Massime.dat share/leggealgiorno/$id.desktop \
    share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
    share/icons/hicolor/32x32/apps/$id.png share/icons/hicolor/48x48/apps/$id.png \
    share/icons/hicolor/64x64/apps/$id.png share/icons/hicolor/scalable/apps/$id.svg \
    share/man/man1/leggealgiorno.1.gz share/man/man1/leggealgiorno-avvio.1.gz \
    share/man/man1/massime.1.gz; do
    [[ -f $radice/$file ]] || fallisce "manca $file"
done
for programma in leggealgiorno massime leggealgiorno-avvio; do
    [[ -x $radice/bin/$programma ]] || fallisce "$programma non eseguibile"
done
fuori=$(find "$T/destdir" -type f ! -path "$radice/*")
[[ -z $fuori ]] || fallisce "file fuori dal prefisso: $fuori"
for lato in 32 48 64; do
    [[ $(file -b "$radice/share/icons/hicolor/${lato}x$lato/apps/$id.png") == "PNG image data, $lato x $lato,"* ]] ||
        fallisce "l'icona ${lato}x$lato non è un PNG di quella misura"
done
# The login entry names the launcher where it was installed, not where it was built.
exec_atteso='Exec="/opt/una legge/bin/leggealgiorno-avvio"'
grep -qxF "$exec_atteso" "$radice/share/leggealgiorno/$id.desktop" ||
    fallisce "voce di avvio automatico: $(grep '^Exec=' "$radice/share/leggealgiorno/$id.desktop")"

caso=massime_verifica
"$radice/bin/massime" verifica "$radice/share/leggealgiorno/Massime.dat" >"$T/verifica.log" 2>&1 ||
    { cat "$T/verifica.log"; fallisce "la raccolta installata ha dei problemi"; }

# The program has started properly once it has written its options file; it must then still be
# running, its window open, until it is told to stop.
caso=primo_avvio
casa="$T/casa nuova"
mkdir -p "$casa"
dati=$casa/.local/share/leggealgiorno
env -i PATH=/usr/bin:/bin HOME="$casa" QT_QPA_PLATFORM=offscreen \
    timeout 60 "$radice/bin/leggealgiorno-avvio" >"$T/avvio.log" 2>&1 &
pid=$!
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
cmp -s "$radice/share/leggealgiorno/Massime.dat" "$dati/Massime.dat" || fallisce "raccolta non copiata"

if ((falliti)); then
    echo "$falliti casi falliti"
    exit 1
fi
echo "Tutti i casi superati"
