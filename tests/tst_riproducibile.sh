#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the smallest release artifacts twice, in two folders of other names and layouts, one
# after the other, in two time zones and under two umasks, and compares them byte for byte:
# the source archive (scripts/rilascio --sorgenti) and the massime tool, with the collection it
# encodes where it runs, built from the working tree with the given CMake options; and that
# debian/changelog gives a release the version's date. Skipped outside a git checkout, which
# the source archive is made from.
#   tst_riproducibile.sh CMAKE_OPTION...
set -uo pipefail

radice=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
git -C "$radice" rev-parse --git-dir >/dev/null 2>&1 || { echo "Non è un checkout di git"; exit 77; }
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
# No SOURCE_DATE_EPOCH, which scripts/rilascio sets: the tool must not depend on the time even
# without it (GNU ld would take the PE time stamp from it).
unset SOURCE_DATE_EPOCH
falliti=0

fallisce() {
    echo "FAIL: $*"
    falliti=$((falliti + 1))
}

# Folder, time zone, umask, then the build's folder inside or beside the sources.
prove=("$T/a|UTC|022|dentro" "$T/una cartella più lunga|Asia/Kolkata|077|fuori")

# The tracked files as they are now, new ones included, so that a change is checked before it
# is committed.
copia_sorgenti() {
    mkdir -p "$1"
    git -C "$radice" ls-files -z --cached --others --exclude-standard |
        tar -C "$radice" --null -T - --ignore-failed-read -cf - 2>/dev/null | tar -C "$1" -xf -
}

bersagli=(massime)
[[ " $* " == *" --toolchain "* ]] || bersagli+=(massime_dat)
for prova in "${prove[@]}"; do
    IFS='|' read -r cartella fuso maschera posto <<<"$prova"
    (
        umask "$maschera"
        export TZ=$fuso
        "$radice/scripts/rilascio" --sorgenti "$cartella/archivio" >/dev/null || exit
        copia_sorgenti "$cartella/sorgenti"
        build=$cartella/sorgenti/build
        [[ $posto == fuori ]] && build=$cartella/build
        cmake -S "$cartella/sorgenti" -B "$build" -G Ninja -DBUILD_TESTING=OFF "$@" &&
            cmake --build "$build" --target "${bersagli[@]}"
    ) >"$T/build.log" 2>&1 || { cat "$T/build.log"; exit 1; }
done

# A release is built with debian/changelog's date, as dpkg-buildpackage builds the source
# package on its own: that entry must be the version's, dated the version's day, or the
# release and Debian's rebuild of it would embed other times.
versione=$(sed -n 's/^project(leggealgiorno VERSION \([0-9.]*\) .*/\1/p' "$radice/CMakeLists.txt")
data=$(sed -n 's/^set(LEGGE_DATA_VERSIONE \([0-9-]*\))$/\1/p' "$radice/CMakeLists.txt")
voce=$(sed -n '1s/^leggealgiorno (\([^)]*\)).*/\1/p' "$radice/debian/changelog")
data_voce=$(sed -n '0,/^ -- /s/^ -- .*>  //p' "$radice/debian/changelog")
[[ $voce == "$versione"-* ]] ||
    fallisce "debian/changelog è alla versione $voce, CMakeLists.txt alla $versione"
[[ -n $data_voce && $(date -u -d "$data_voce" +%F 2>/dev/null) == "$data" ]] ||
    fallisce "debian/changelog data la versione «$data_voce», CMakeLists.txt il $data"

a=${prove[0]%%|*}
b=${prove[1]%%|*}
confronta() {
    if [[ ! -f $1 || ! -f $2 ]]; then
        fallisce "manca $1 o $2"
    elif ! cmp -s "$1" "$2"; then
        fallisce "$(basename "$1") diverso fra le due build: $(cmp -l "$1" "$2" | wc -l) byte, i primi:
$(cmp -l "$1" "$2" | head -n 5)"
    fi
}
confronta "$a"/archivio/*.tar.xz "$b"/archivio/*.tar.xz
confrontati=0
for file in massime massime.exe Massime.dat; do
    percorso=$(cd "$a/sorgenti/build" && find . -name "$file" -type f)
    [[ -n $percorso ]] || continue
    confronta "$a/sorgenti/build/$percorso" "$b/build/$percorso"
    confrontati=$((confrontati + 1))
done
((confrontati)) || fallisce "la build non ha prodotto lo strumento massime"

if ((falliti)); then
    echo "$falliti confronti falliti"
    exit 1
fi
echo "Le due build sono uguali byte per byte"
