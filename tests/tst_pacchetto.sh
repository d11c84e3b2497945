#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks what the Debian package holds and declares, and what lintian, where installed, finds
# in it. Given a build tree, it first makes the package from it with debian/: the tree is
# installed as dh_auto_install would, then every step dh takes after that is run, as dh lists
# them. Given a .deb (e.g. the one scripts/rilascio made), it checks that one.
# Usage: tst_pacchetto.sh BUILD_DIR|PACKAGE.deb APPLICATION_ID VERSION
set -uo pipefail

build=$1
id=$2
versione=$3
radice=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
falliti=0

fallisce() {
    echo "FAIL: $*"
    falliti=$((falliti + 1))
}

if [[ $build == *.deb ]]; then
    deb=$build
else
    # What dpkg-buildpackage would set from debian/control, and no separate debug package.
    export DEB_RULES_REQUIRES_ROOT=no DEB_BUILD_OPTIONS=noautodbgsym
    mkdir "$T/sorgenti"
    cp -r "$radice/debian" "$T/sorgenti/"
    cd "$T/sorgenti"
    pacchetto=debian/leggealgiorno
    if ! { DESTDIR=$PWD/$pacchetto cmake --install "$build" --prefix /usr &&
        dh binary --no-act | sed -n '/dh_auto_install/,$p' | tail -n +2 >"$T/passi"; } \
        >"$T/dh.log" 2>&1; then
        cat "$T/dh.log"
        exit 1
    fi
    while read -r -a passo; do
        if ! "${passo[@]}" >>"$T/dh.log" 2>&1; then
            cat "$T/dh.log"
            echo "FAIL: ${passo[*]}"
            exit 1
        fi
    done <"$T/passi"
    cd - >/dev/null
    pacchetti=("$T"/*.deb)
    [[ ${#pacchetti[@]} == 1 && -f ${pacchetti[0]} ]] || { echo "FAIL: attesi un solo .deb"; exit 1; }
    deb=${pacchetti[0]}
fi

dpkg-deb -c "$deb" >"$T/contenuto"
declare -A modi=(
    [./usr/bin/leggealgiorno]=-rwxr-xr-x
    [./usr/bin/massime]=-rwxr-xr-x
    [./usr/share/$id/Massime.dat]=-rw-r--r--
    [./usr/share/$id/$id.desktop]=-rw-r--r--
    [./usr/share/applications/$id.desktop]=-rw-r--r--
    [./usr/share/metainfo/$id.metainfo.xml]=-rw-r--r--
    [./usr/share/icons/hicolor/32x32/apps/$id.png]=-rw-r--r--
    [./usr/share/icons/hicolor/48x48/apps/$id.png]=-rw-r--r--
    [./usr/share/icons/hicolor/64x64/apps/$id.png]=-rw-r--r--
    [./usr/share/doc/leggealgiorno/copyright]=-rw-r--r--
    [./usr/share/doc/leggealgiorno/changelog.Debian.gz]=-rw-r--r--
    [./usr/share/lintian/overrides/leggealgiorno]=-rw-r--r--
    [./usr/share/icons/hicolor/scalable/apps/$id.svg]=-rw-r--r--
    [./usr/share/man/man1/leggealgiorno.1.gz]=-rw-r--r--
    [./usr/share/man/man1/massime.1.gz]=-rw-r--r--
)
for percorso in "${!modi[@]}"; do
    modo=$(awk -v p="$percorso" '$6 == p { print $1 }' "$T/contenuto")
    [[ $modo == "${modi[$percorso]}" ]] || fallisce "$percorso: '${modo:-assente}' invece di ${modi[$percorso]}"
done
# Exactly these: no build leftovers, no headers, no system-wide autostart.
effettivi=$(awk '$1 !~ /^d/ { print $6 }' "$T/contenuto" | sort)
attesi=$(printf '%s\n' "${!modi[@]}" | sort)
[[ $effettivi == "$attesi" ]] || fallisce "contenuto diverso: $(diff <(echo "$attesi") <(echo "$effettivi"))"

campo() { dpkg-deb -f "$deb" "$1"; }
[[ $(campo Package) == leggealgiorno ]] || fallisce "nome: $(campo Package)"
[[ $(campo Version) == "$versione"-* ]] || fallisce "versione: $(campo Version)"
estrai() { dpkg-deb --fsys-tarfile "$deb" | tar -xO "$1"; }
[[ $(estrai ./usr/share/doc/leggealgiorno/changelog.Debian.gz | gzip -dc | head -n 1) == \
    "leggealgiorno ($(campo Version)) "* ]] || fallisce "il changelog non parla di questa versione"
for voce in ./usr/share/$id/$id.desktop ./usr/share/applications/$id.desktop; do
    [[ $(estrai "$voce" | grep '^Exec=') == 'Exec="/usr/bin/leggealgiorno" --cartella-utente' ]] ||
        fallisce "$voce: $(estrai "$voce" | grep '^Exec=')"
done
[[ $(campo Architecture) == "$(dpkg --print-architecture)" ]] || fallisce "architettura: $(campo Architecture)"
[[ $(campo Maintainer) == *@* ]] || fallisce "manutentore: $(campo Maintainer)"
dipendenze=$(campo Depends | tr ',' '\n' | awk '{ print $1 }')
for libreria in libqt6widgets6 libqt6gui6 libqt6core6 libstdc++6 libc6; do
    grep -qxF "$libreria" <<<"$dipendenze" || fallisce "dipendenza mancante: $libreria in '$(campo Depends)'"
done
[[ $(campo Description) == *"massima"* ]] || fallisce "descrizione: $(campo Description)"

# Every error and warning counts; lintian's informational tags do not.
if command -v lintian >/dev/null; then
    if ! lintian --fail-on error,warning "$deb" >"$T/lintian.log" 2>&1; then
        fallisce "lintian: $(cat "$T/lintian.log")"
    fi
else
    echo "lintian non installato: controllo saltato"
fi

if ((falliti)); then
    echo "$falliti controlli falliti"
    exit 1
fi
echo "Tutti i controlli superati"
