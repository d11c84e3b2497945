// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Every sentence the massime tool writes, in Italian and UTF-8, in one place: a change of
// wording, or another language, touches only testi.cpp. The reasons for file errors and
// the version text are shared with the window program (parole/).

#include "sistema/errorefile.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace massime::testi {

// ---- Help (standard output) ----
std::string_view AiutoGenerale();
std::string_view AiutoNumero();
std::string_view AiutoMostra();
std::string_view AiutoDecodifica();
std::string_view AiutoCodifica();
std::string_view AiutoVerifica();
std::string_view AiutoStatistiche();
std::string_view AiutoCerca();

// ---- Standard error ----
// A whole line: the tool's name, then `testo`.
std::string Messaggio(std::string_view testo);
// Where to read how the tool, or `comando`, is used.
std::string ComeSiUsa(std::string_view comando);
// Wrong arguments: the text for Messaggio.
std::string MancaIlComando();
std::string ComandoSconosciuto(std::string_view comando);
std::string OpzioneSconosciuta(std::string_view opzione);
std::string MancaIlFileDiO();
std::string MancaUnArgomento();
std::string ArgomentoDiTroppo(std::string_view argomento);
std::string DataNonValida(std::string_view data);
std::string NumeroNonValido(std::string_view numero);
std::string MancaIlFileDaScrivere();
std::string TestoDaCercareVuoto();
std::string TestoDaCercareNonUtf8();
// How an empty file name is shown.
std::string NomeVuoto();
// Whole lines.
std::string ErroreSullUscita(const legge::ErroreFile &errore);
std::string ErroreSulFile(std::string_view nome, const legge::ErroreFile &errore);
std::string MemoriaEsaurita();
std::string LeggeNonTrovata(int numero, std::string_view file);
std::string NessunaLeggeContiene(std::string_view cercato, std::string_view file);
// codifica: what went wrong in the text, and that the output was not written (`file`
// none for standard output).
std::string NonHoScritto(std::optional<std::string_view> file);
std::string TestoNonUtf8();
std::string CarattereFuoriDaCp1252(std::string_view carattere, char32_t codice);
std::string BarraNelTesto();
std::string NumeroRipetutoNelTesto(int numero, std::size_t rigaPrecedente);
std::string NumeroLungoNelTesto();
std::string NessunaLeggeNelTesto();
std::string NulNelTesto();
// A whole line: waiting for `file`, which process `processo` (0 when unknown), named
// `programma` (maybe empty), holds; for at most `secondi`.
std::string AttendoIlFile(std::string_view file, std::uint64_t processo, std::string_view programma,
                          long long secondi);
// codifica: the refusals of an output, for Messaggio.
std::string NonSuUnTerminale();
std::string UscitaUgualeAlTesto(std::string_view file);
std::string ErroreNelTesto(std::string_view file, std::size_t riga, std::size_t colonna,
                           std::string_view cosa, std::string_view nonScritto);
// codifica: something written as asked that the window will not show as meant; a whole line.
std::string AvvisoNelTesto(std::string_view file, std::size_t riga, std::string_view cosa);

// ---- Standard output ----
// verifica: one problem, and the summary.
std::string RigaProblema(std::optional<std::size_t> record, std::optional<std::uint64_t> posizione,
                         std::string_view messaggio);
// After the problems listed: how many more there are.
std::string AltriProblemi(std::size_t quanti);
std::string Riepilogo(std::string_view file, std::size_t record, std::size_t problemi);
// cerca: one law found, its parts already on one line.
std::string RigaTrovata(std::string_view numero, const std::optional<std::string> &titolo,
                        std::string_view contesto);
// statistiche.
std::string QuantiRecord(std::size_t record);
std::string CorpoEstremo(bool piuLungo, std::uint64_t caratteri, std::string_view numero,
                         std::size_t record);

// ---- The problems verifica finds ----
std::string CampoNumeroSbagliato(std::string_view campo);
std::string NumeroFuoriIntervallo(std::string_view numero);
std::string NumeroRipetuto(std::string_view numero, std::size_t record, std::uint64_t posizione);
std::string SenzaTitolo();
std::string TitoloSenzaMaiuscola(std::string_view inizio);
std::string CorpoVuoto();
std::string TestoDopoUltimaBarra(std::uint64_t byte);
std::string NumeroMancante(int numero);
std::string ByteIndefinito(unsigned char byte);
std::string AltriByteIndefiniti(std::uint64_t quanti);

} // namespace massime::testi
