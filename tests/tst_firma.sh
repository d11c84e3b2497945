#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/firma with a throw-away self-signed certificate: the signed program passes
# osslsigncode's check against that certificate, and still runs; the unsigned one does not
# pass.
#   tst_firma.sh FIRMA PROGRAMMA.exe
set -euo pipefail
firma=$1 programma=$2
cartella=$(mktemp -d)
trap 'rm -rf "$cartella"' EXIT
cd "$cartella"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Prova di firma" \
    -addext "extendedKeyUsage=codeSigning" -keyout chiave.pem -out certificato.pem 2>/dev/null
openssl pkcs12 -export -inkey chiave.pem -in certificato.pem -passout pass:prova \
    -out certificato.p12
cp "$programma" firmato.exe
LEGGE_FIRMA_PASSWORD=prova "$firma" certificato.p12 firmato.exe
osslsigncode verify -CAfile certificato.pem -in firmato.exe >verifica.txt 2>&1 || {
    cat verifica.txt
    echo "ERRORE: la firma non supera la verifica" >&2
    exit 1
}
if osslsigncode verify -CAfile certificato.pem -in "$programma" >/dev/null 2>&1; then
    echo "ERRORE: il programma non firmato supera la verifica" >&2
    exit 1
fi
wine firmato.exe --help >/dev/null || { echo "ERRORE: il programma firmato non parte" >&2; exit 1; }
echo "Firma: tutto a posto"
