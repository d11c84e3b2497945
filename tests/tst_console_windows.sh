#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# massime.exe on a console: the letters of a law reach the screen as characters, whatever
# the console's code page, and its control bytes as escapes that do nothing. Wine makes a
# console of a terminal; script(1) gives it one.
#   tst_console_windows.sh MASSIME_EXE
# Wine comes from the environment (WINEPREFIX, WINEDEBUG), as for the other tests.
set -uo pipefail
massime=$1
cartella=$(mktemp -d)
trap 'rm -rf "$cartella"' EXIT
# Wine writes to the terminal in the encoding of the locale.
export LANG=C.UTF-8 LC_ALL=C.UTF-8

printf '/001 Caffè € e ü\e[2J\nCorpo\a.\n/' |
    wine "$massime" codifica -o "$cartella/Massime.dat" || exit 1
schermo=$(script -qec "wine '$massime' mostra 1 '$cartella/Massime.dat'" /dev/null)
echo "$schermo" | od -c | head -20
falliti=0
controlla() {
    if ! grep -qF -- "$2" <<<"$schermo"; then
        echo "manca $1: $2"
        falliti=1
    fi
}
controlla "il titolo" 'Caffè € e ü\x1B[2J'
controlla "il corpo" 'Corpo\x07.'
if grep -qF $'\e[2J' <<<"$schermo"; then
    echo "un ESC del file è arrivato al terminale"
    falliti=1
fi
exit $falliti
