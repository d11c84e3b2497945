#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The launcher, run from a fake install tree whose "program" only reports where and how it was
# started. Usage: tst_avvio.sh LAUNCHER AUTOSTART_TEMPLATE VOCEDESKTOP_CMAKE APPLICATION_ID
set -uo pipefail

sorgente_avvio=$1
sorgente_modello=$2
vocedesktop=$3
id=$4

T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
falliti=0

# A prefix with characters that a desktop entry must escape, and spaces everywhere.
prefisso="$T/pre fisso \$x\"y%z\\w"
mkdir -p "$prefisso/bin" "$prefisso/share/leggealgiorno"
cp "$sorgente_avvio" "$prefisso/bin/leggealgiorno-avvio"
modello=$prefisso/share/leggealgiorno/$id.desktop
# The login entry as the install writes it for this prefix.
cat >"$T/voce.cmake" <<FINE
include("$vocedesktop")
set(LEGGE_ID_APP "$id")
legge_voce_avvio("$sorgente_modello" "\${USCITA}" "\${AVVIO}")
FINE
cmake -DUSCITA="$modello" -DAVVIO="$prefisso/bin/leggealgiorno-avvio" -P "$T/voce.cmake" ||
    { echo "FAIL: voce di avvio automatico non generata"; exit 1; }
printf 'raccolta fornita\r\n' >"$prefisso/share/leggealgiorno/Massime.dat"
cat >"$prefisso/bin/leggealgiorno" <<'FINE'
#!/bin/sh
printf 'cwd=%s\nqpa=%s\nargomenti=%s\navviso=%s\n' "$(pwd)" "${QT_QPA_PLATFORM-nessuna}" "$#" \
    "${LEGGEALGIORNO_AVVISO-nessuno}"
FINE
chmod +x "$prefisso/bin/leggealgiorno" "$prefisso/bin/leggealgiorno-avvio"
avvio=$prefisso/bin/leggealgiorno-avvio
fornita=$prefisso/share/leggealgiorno/Massime.dat

fallisce() {
    echo "FAIL $caso: $*"
    echo "  stdout: $uscita"
    echo "  stderr: $errori"
    falliti=$((falliti + 1))
}

# Runs the launcher with only the given environment; sets $esito, $uscita, $errori.
esegui() {
    uscita=$(env -i PATH="$PATH" "$@" 2>"$T/stderr")
    esito=$?
    errori=$(cat "$T/stderr")
}

casa_nuova() {
    casa="$T/casa $1"
    rm -rf "$casa"
    mkdir -p "$casa"
}

caso=semina_cartella_nuova
casa_nuova 1
esegui HOME="$casa" XDG_DATA_HOME="$casa/dati utente" "$avvio"
dati="$casa/dati utente/leggealgiorno"
[[ $esito == 0 ]] || fallisce "esito $esito"
[[ $uscita == *"cwd=$dati"$'\n'* ]] || fallisce "non avviato in $dati"
cmp -s "$fornita" "$dati/Massime.dat" || fallisce "Massime.dat non copiato"
[[ $(ls -A "$dati") == Massime.dat ]] || fallisce "file in più: $(ls -A "$dati")"
[[ -z $errori ]] || fallisce "messaggi inattesi"

# What the user already has stays as it is; only a missing or empty collection is replaced. A
# symbolic link stays a link: an empty file behind it is filled through it, a link to nothing
# is reported to the user through the program.
for riga in "file_proprio:non vuoto:resta" "collegamento_rotto:collegamento:avvisa" \
    "vuoto:vuoto:seminato" "collegamento_a_un_vuoto:collegamento vuoto:seminato" \
    "collegamento_a_una_raccolta:collegamento pieno:resta"; do
    IFS=: read -r nome tipo atteso <<<"$riga"
    caso=esistente_$nome
    casa_nuova 2
    dati="$casa/.local/share/leggealgiorno"
    altrove="$casa/altrove/Massime.dat"
    mkdir -p "$dati" "$casa/altrove"
    case $tipo in
    "non vuoto") printf '001\r\nMia\r\nLa mia legge/' >"$dati/Massime.dat" ;;
    collegamento) ln -s "$altrove" "$dati/Massime.dat" ;;
    vuoto) : >"$dati/Massime.dat" ;;
    "collegamento vuoto") : >"$altrove" && ln -s "$altrove" "$dati/Massime.dat" ;;
    "collegamento pieno") printf 'mia/' >"$altrove" && ln -s "$altrove" "$dati/Massime.dat" ;;
    esac
    printf 'SegnoCasuale\r\n' >"$dati/Option.dat"
    cp -P "$dati/Massime.dat" "$T/prima"
    esegui HOME="$casa" "$avvio"
    [[ $esito == 0 && $uscita == *"cwd=$dati"$'\n'* ]] || fallisce "non avviato ($esito)"
    if [[ $tipo == collegamento* ]]; then
        [[ $(readlink "$dati/Massime.dat") == "$altrove" ]] || fallisce "collegamento cambiato"
    fi
    case $atteso in
    resta) cmp -s "$T/prima" "$dati/Massime.dat" || fallisce "Massime.dat sovrascritto" ;;
    seminato) cmp -s "$fornita" "$dati/Massime.dat" || fallisce "Massime.dat vuoto non sostituito" ;;
    avvisa)
        [[ ! -e $altrove ]] || fallisce "creato il file dietro il collegamento"
        [[ $errori == *"«$dati/Massime.dat»"*"«$altrove»"* ]] || fallisce "nessun avviso su stderr"
        [[ $uscita == *"avviso=«$dati/Massime.dat»"*"«$altrove»"* ]] ||
            fallisce "nessun avviso per chi parte dal menu"
        ;;
    esac
    [[ $atteso == avvisa || $uscita == *"avviso=nessuno"* ]] || fallisce "avviso inatteso"
    [[ $(cat "$dati/Option.dat") == $'SegnoCasuale\r' ]] || fallisce "Option.dat cambiato"
    [[ $(ls -A "$dati" | wc -l) == 2 ]] || fallisce "file in più: $(ls -A "$dati")"
    [[ $(ls -A "$casa/altrove" | wc -l) == "$([[ -e $altrove ]] && echo 1 || echo 0)" ]] ||
        fallisce "file in più accanto alla raccolta: $(ls -A "$casa/altrove")"
    rm -f "$T/prima"
done

# The XDG rules: unset, empty or relative means the default under HOME.
for valore in unset "" "relativo/dati"; do
    caso="xdg_data_home_${valore:-vuota}"
    casa_nuova 3
    ambiente=(HOME="$casa")
    [[ $valore == unset ]] || ambiente+=(XDG_DATA_HOME="$valore")
    esegui "${ambiente[@]}" "$avvio"
    [[ $esito == 0 && $uscita == *"cwd=$casa/.local/share/leggealgiorno"$'\n'* ]] || fallisce "cartella sbagliata"
done

caso=senza_home
esegui "$avvio"
[[ $esito == 1 && $errori == *HOME* && $uscita != *cwd=* ]] || fallisce "atteso un errore su HOME"

caso=cartella_dati_e_un_file
casa_nuova 4
mkdir -p "$casa/xdg"
: >"$casa/xdg/leggealgiorno"
esegui HOME="$casa" XDG_DATA_HOME="$casa/xdg" "$avvio"
[[ $esito == 1 && $errori == *"«$casa/xdg/leggealgiorno»"*"non è una cartella"* && $uscita != *cwd=* ]] ||
    fallisce "atteso un errore sulla cartella"

caso=cartella_dati_sotto_un_file
esegui HOME="$casa" XDG_DATA_HOME="$casa/xdg/leggealgiorno/sotto" "$avvio"
[[ $esito == 1 && $errori == *"«$casa/xdg/leggealgiorno/sotto/leggealgiorno»: "?* ]] ||
    fallisce "atteso un errore con percorso e motivo"

# A full disk during the copy: the program still starts, and no truncated collection is left
# behind to be mistaken later for the user's own.
caso=copia_interrotta
casa_nuova 5
head -c 300000 /dev/zero >"$T/grande.dat"
uscita=$(trap '' XFSZ; ulimit -f 100; env -i PATH="$PATH" HOME="$casa" \
    LEGGEALGIORNO_MASSIME="$T/grande.dat" "$avvio" 2>"$T/stderr")
esito=$?
errori=$(cat "$T/stderr")
dati="$casa/.local/share/leggealgiorno"
[[ $esito == 0 && $uscita == *"cwd=$dati"* ]] || fallisce "programma non avviato"
[[ $errori == *"«$dati/Massime.dat»"* ]] || fallisce "nessun avviso sul file"
[[ $uscita == *"avviso=impossibile "*"«$dati/Massime.dat»"* ]] ||
    fallisce "nessun avviso per chi parte dal menu"
[[ -z $(ls -A "$dati") ]] || fallisce "resti della copia: $(ls -A "$dati")"
esegui HOME="$casa" LEGGEALGIORNO_MASSIME="$T/grande.dat" "$avvio"
cmp -s "$T/grande.dat" "$dati/Massime.dat" || fallisce "copia non ritentata"

caso=variabili_di_prova
casa_nuova 6
printf '#!/bin/sh\necho altro\n' >"$T/altro programma"
chmod +x "$T/altro programma"
printf 'altra raccolta' >"$T/altra raccolta.dat"
esegui HOME="$casa" LEGGEALGIORNO_PROGRAMMA="$T/altro programma" \
    LEGGEALGIORNO_MASSIME="$T/altra raccolta.dat" "$avvio"
[[ $esito == 0 && $uscita == altro ]] || fallisce "programma sostitutivo non avviato"
cmp -s "$T/altra raccolta.dat" "$casa/.local/share/leggealgiorno/Massime.dat" || fallisce "raccolta sbagliata"

caso=variabili_di_prova_relative
pushd "$T" >/dev/null || exit 1
esegui HOME="$casa" LEGGEALGIORNO_PROGRAMMA="altro programma" "$avvio"
popd >/dev/null || exit 1
[[ $esito == 0 && $uscita == altro ]] || fallisce "programma con percorso relativo non avviato"

caso=programma_mancante
esegui HOME="$casa" LEGGEALGIORNO_PROGRAMMA="$T/non c'è" "$avvio"
[[ $esito == 1 && $errori == *"«$T/non c'è»"* ]] || fallisce "atteso un errore sul programma"

caso=avviato_da_collegamento
casa_nuova 7
mkdir -p "$T/altro bin"
ln -sf "$avvio" "$T/altro bin/leggealgiorno-avvio"
esegui HOME="$casa" "$T/altro bin/leggealgiorno-avvio"
[[ $esito == 0 && $uscita == *cwd=* ]] || fallisce "programma non trovato attraverso il collegamento"
cmp -s "$fornita" "$casa/.local/share/leggealgiorno/Massime.dat" || fallisce "raccolta non trovata"

# The program chooses its platform itself.
caso=piattaforma_non_toccata
esegui HOME="$casa" WAYLAND_DISPLAY=w DISPLAY=d "$avvio"
[[ $uscita == *"qpa=nessuna"$'\n'* ]] || fallisce "QT_QPA_PLATFORM impostata dal lanciatore"

caso=avvio_automatico_si
casa_nuova 8
voce="$casa/config utente/autostart/$id.desktop"
for volta in 1 2; do
    esegui HOME="$casa" XDG_CONFIG_HOME="$casa/config utente" "$avvio" --avvio-automatico si
    [[ $esito == 0 && $(wc -l <<<"$uscita") == 1 && $uscita == "Avvio automatico attivato"* ]] ||
        fallisce "conferma mancante (volta $volta)"
done
[[ $uscita != *cwd=* ]] || fallisce "il programma non doveva partire"
# The expected escaping: \ " ` $ get a backslash, % doubles, and then every backslash doubles.
exec_atteso='Exec="'"$T"'/pre fisso \\$x\\"y%%z\\\\w/bin/leggealgiorno-avvio"'
grep -qxF "$exec_atteso" "$voce" || fallisce "riga Exec: $(grep '^Exec=' "$voce")"
grep -qxF "TryExec=$T/pre fisso \$x\"y%z\\\\w/bin/leggealgiorno-avvio" "$voce" ||
    fallisce "riga TryExec: $(grep '^TryExec=' "$voce")"
esiti_validazione=$(desktop-file-validate "$voce" 2>&1) || fallisce "voce non valida: $esiti_validazione"
[[ $(ls -A "$(dirname "$voce")") == "$id.desktop" ]] || fallisce "file provvisori rimasti"
cmp -s "$modello" "$voce" || fallisce "la voce non è quella installata"

caso=avvio_automatico_no
esegui HOME="$casa" XDG_CONFIG_HOME="$casa/config utente" "$avvio" --avvio-automatico=no
[[ $esito == 0 && $uscita == "Avvio automatico disattivato"* && ! -e $voce ]] || fallisce "voce non tolta"
esegui HOME="$casa" XDG_CONFIG_HOME="$casa/config utente" "$avvio" --avvio-automatico no
[[ $esito == 0 && $uscita == "L'avvio automatico era già disattivato." ]] || fallisce "seconda volta"

caso=avvio_automatico_predefinito
esegui HOME="$casa" "$avvio" --avvio-automatico sì
[[ $esito == 0 && -f "$casa/.config/autostart/$id.desktop" ]] || fallisce "non in ~/.config/autostart"

caso=avvio_automatico_cartella_impossibile
: >"$casa/un file"
esegui HOME="$casa" XDG_CONFIG_HOME="$casa/un file" "$avvio" --avvio-automatico si
[[ $esito == 1 && $errori == *"«$casa/un file/autostart»: "?* ]] || fallisce "atteso un errore con percorso e motivo"

# A login entry kept elsewhere through a symbolic link (a dotfiles repository) stays a link.
caso=avvio_automatico_collegamento
casa_nuova 9
mkdir -p "$casa/dotfiles" "$casa/.config/autostart"
ln -s "$casa/dotfiles/voce.desktop" "$casa/.config/autostart/$id.desktop"
printf '[Desktop Entry]\nvecchia\n' >"$casa/dotfiles/voce.desktop"
esegui HOME="$casa" "$avvio" --avvio-automatico si
[[ $esito == 0 && -L "$casa/.config/autostart/$id.desktop" ]] || fallisce "collegamento sostituito"
cmp -s "$modello" "$casa/dotfiles/voce.desktop" || fallisce "voce non scritta attraverso il collegamento"
[[ $(ls -A "$casa/dotfiles") == voce.desktop ]] || fallisce "file provvisori rimasti"

caso=avvio_automatico_collegamento_rotto
rm "$casa/dotfiles/voce.desktop"
esegui HOME="$casa" "$avvio" --avvio-automatico si
[[ $esito == 1 && $errori == *"«$casa/.config/autostart/$id.desktop»"*"non esiste"* ]] ||
    fallisce "atteso un errore sul collegamento"
[[ -L "$casa/.config/autostart/$id.desktop" && ! -e "$casa/dotfiles/voce.desktop" ]] ||
    fallisce "collegamento toccato"

for riga in "valore_sbagliato:--avvio-automatico:forse" "valore_mancante:--avvio-automatico:" \
    "opzione_sconosciuta:--finestra:" "argomento_in_piu:Massime.dat:"; do
    IFS=: read -r nome primo secondo <<<"$riga"
    caso=uso_$nome
    argomenti=("$primo")
    [[ -z $secondo ]] || argomenti+=("$secondo")
    esegui HOME="$casa" "$avvio" "${argomenti[@]}"
    [[ $esito == 2 && -n $errori && $uscita != *cwd=* ]] || fallisce "atteso l'esito 2"
done

caso=aiuto
esegui HOME="$casa" "$avvio" --help
[[ $esito == 0 && $uscita == Uso:* && $uscita == *--avvio-automatico* ]] || fallisce "aiuto"

if ((falliti)); then
    echo "$falliti casi falliti"
    exit 1
fi
echo "Tutti i casi superati"
