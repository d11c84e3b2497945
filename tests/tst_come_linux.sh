#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# massime.exe under Wine must answer as the Linux tool does: the same bytes on standard
# output and the same exit status. CRT text mode, a console code page or a narrow path
# would each show up here as a difference.
#   tst_come_linux.sh MASSIME_LINUX MASSIME_EXE FILE [N...]   (N: 1..366 and 500 if none)
# Wine comes from the environment (WINEPREFIX, WINEDEBUG), as for the other tests.
set -uo pipefail
linux=$1 windows=$2 file=$3
shift 3
numeri=("$@")
((${#numeri[@]})) || numeri=($(seq 1 366) 500)

temporanea=$(mktemp -d)
trap 'rm -rf "$temporanea"' EXIT
differenze=0

# Under load Wine now and then starts no program at all: status 1, nothing on standard output
# and no message of the tool's, where massime.exe always writes a result or a message. Wine's
# own errors are kept for that case alone, which is run once more and logged; any other
# difference counts.
ripetizioni=0
windows() {
    WINEDEBUG=err+all wine "$windows" "$@" >"$temporanea/windows" 2>"$temporanea/errori"
}
nessunAvvio() {
    (($1 == 1)) && [[ ! -s $temporanea/windows ]] && ! grep -q '^massime' "$temporanea/errori"
}

# Runs one command on both tools; no `set -e` here, so each exit status is kept.
confronta() {
    "$linux" "$@" >"$temporanea/linux" 2>/dev/null
    local esitoLinux=$?
    windows "$@"
    local esitoWindows=$?
    if ((esitoLinux != esitoWindows)) && nessunAvvio "$esitoWindows"; then
        echo "ripetuto: massime $* (Wine non ha avviato il programma; errori di Wine:)"
        head -c 2000 "$temporanea/errori"
        ripetizioni=$((ripetizioni + 1))
        windows "$@"
        esitoWindows=$?
    fi
    if ((esitoLinux != esitoWindows)) || ! cmp -s "$temporanea/linux" "$temporanea/windows"; then
        echo "diverso: massime $* (esito $esitoLinux su Linux, $esitoWindows su Windows)"
        diff <(od -c "$temporanea/linux") <(od -c "$temporanea/windows") | head -20
        echo "errori su Windows:"; head -c 2000 "$temporanea/errori"
        differenze=$((differenze + 1))
    fi
}

confronta decodifica --grezzo "$file"
confronta decodifica "$file"
confronta statistiche "$file"
confronta mostra "${numeri[0]}" "$file"
for n in "${numeri[@]}"; do
    confronta mostra --json "$n" "$file"
done
echo "$((${#numeri[@]} + 4)) confronti su $file, $differenze differenze, $ripetizioni ripetuti"
((differenze == 0))
