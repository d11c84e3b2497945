// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/comandi.h"

#include "laws/cp1252.h"
#include "laws/giorno.h"
#include "laws/massime.h"
#include "sistema/argomenti.h"
#include "sistema/errorefile.h"
#include "sistema/file.h"
#include "sistema/flussi.h"
#include "sistema/orologio.h"
#include "tools/json.h"
#include "tools/uscita.h"
#include "tools/verifica.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <functional>
#include <memory>

namespace massime {

namespace {

using legge::DimensioneBlocco;
constexpr int NumeroMassimo = 999; // three digits are all a number field holds

void scrivi(std::string_view testo)
{
    UscitaComandi().testo(testo);
}

bool standard(const std::filesystem::path &nome)
{
    return nome == "-";
}

// How a file is named in what the tool writes.
std::string nomeDi(const std::filesystem::path &nome)
{
    if (standard(nome))
        return std::string(legge::NomeIngressoStandard);
    if (nome.empty())
        return "«»";
    return std::filesystem::absolute(nome).lexically_normal().string();
}

// The law file a command reads: standard input for "-". Whatever the user names is read,
// a pipe included: the tool waits only where it was told to.
class Sorgente {
public:
    explicit Sorgente(std::filesystem::path nome) : m_nome(std::move(nome))
    {
        if (!standard(m_nome))
            m_proprio = legge::ApriInLettura(m_nome);
    }
    legge::FileAperto &file() { return standard(m_nome) ? legge::IngressoStandard() : m_proprio; }
    std::string nome() const { return nomeDi(m_nome); }

private:
    std::filesystem::path m_nome;
    legge::FileAperto m_proprio;
};

std::filesystem::path fileDaLeggere(const Argomenti &argomenti, std::size_t indice)
{
    return legge::PercorsoUtf8(argomenti.posizionali.size() > indice ? argomenti.posizionali[indice]
                                                                     : legge::NomeFileMassime);
}

void controllaPosizionali(const Argomenti &argomenti, std::size_t minimo, std::size_t massimo)
{
    if (argomenti.posizionali.size() < minimo)
        throw ErroreUso{"manca un argomento"};
    if (argomenti.posizionali.size() > massimo)
        throw ErroreUso{"argomento di troppo: «" + argomenti.posizionali[massimo] + "»"};
}

bool intero(std::string_view testo, int &valore)
{
    const auto [fine, errore] = std::from_chars(testo.data(), testo.data() + testo.size(), valore);
    return errore == std::errc() && fine == testo.data() + testo.size() && !testo.empty() &&
           testo[0] >= '0' && testo[0] <= '9';
}

legge::Data leggiData(const std::string &testo)
{
    const ErroreUso errore{"data non valida: «" + testo +
                           "»; scrivila come AAAA-MM-GG, per esempio 2024-02-29"};
    legge::Data data{};
    if (testo.size() != 10 || testo[4] != '-' || testo[7] != '-' ||
        !intero(std::string_view(testo).substr(0, 4), data.anno) ||
        !intero(std::string_view(testo).substr(5, 2), data.mese) ||
        !intero(std::string_view(testo).substr(8, 2), data.giorno))
        throw errore;
    if (data.anno < 1 || data.mese < 1 || data.mese > 12 || data.giorno < 1 ||
        data.giorno > legge::Mesi(data.anno)[static_cast<std::size_t>(data.mese)])
        throw errore;
    return data;
}

std::string utf8DiUnCarattere(std::string_view testo, std::size_t posizione)
{
    const auto primo = static_cast<unsigned char>(testo[posizione]);
    const std::size_t lunghezza = primo >= 0xF0 ? 4 : primo >= 0xE0 ? 3 : primo >= 0xC0 ? 2 : 1;
    return std::string(testo.substr(posizione, lunghezza));
}

// Visits every record to find the shortest and the longest body.
class Statistiche : public legge::OsservatoreMassime {
public:
    struct Estremo {
        std::uint64_t caratteri = 0;
        std::string numero;
        std::size_t record = 0;
    };

    void record(const legge::SintesiRecord &r) override
    {
        ++m_record;
        const Estremo questo{r.caratteriCorpo, legge::Cp1252InUtf8(r.campoNumero), r.indice};
        if (m_record == 1 || questo.caratteri < m_corto.caratteri)
            m_corto = questo;
        if (m_record == 1 || questo.caratteri > m_lungo.caratteri)
            m_lungo = questo;
    }

    std::size_t m_record = 0;
    Estremo m_corto, m_lungo;
};

// Today on the local clock.
legge::Data oggi()
{
    const legge::MomentoLocale adesso = legge::OraLocale();
    return {adesso.anno, adesso.mese, adesso.giorno};
}

} // namespace

int ComandoNumero(const Argomenti &argomenti)
{
    controllaPosizionali(argomenti, 0, 1);
    const legge::Data data =
        argomenti.posizionali.empty() ? oggi() : leggiData(argomenti.posizionali[0]);
    scrivi(std::to_string(legge::NumeroDelGiorno(data)) + "\n");
    return Riuscito;
}

int ComandoMostra(const Argomenti &argomenti)
{
    controllaPosizionali(argomenti, 1, 2);
    int numero = 0;
    if (!intero(argomenti.posizionali[0], numero) || numero < 1 || numero > NumeroMassimo)
        throw ErroreUso{"numero di legge non valido: «" + argomenti.posizionali[0] +
                        "»; serve un numero da 1 a 999"};
    Sorgente sorgente(fileDaLeggere(argomenti, 1));
    const legge::Legge trovata = legge::CercaLegge(sorgente.file(), numero);
    const std::string titolo = legge::Cp1252InUtf8(trovata.titolo.value_or(""));
    const std::string corpo = legge::Cp1252InUtf8(trovata.corpo);

    if (argomenti.json) {
        scrivi("{\"numero\": " + std::to_string(numero) +
               ", \"trovata\": " + (trovata.trovata ? "true" : "false") +
               ", \"titolo\": " + (trovata.titolo ? StringaJson(titolo) : std::string("null")) +
               ", \"corpo\": " + StringaJson(corpo) + "}\n");
    } else if (trovata.trovata) {
        std::string testo = titolo + corpo;
        if (UscitaComandi().terminale())
            testo = Visibile(testo, false);
        scrivi(testo);
        if (testo.empty() || testo.back() != '\n')
            scrivi("\n");
    }
    if (!trovata.trovata) {
        UscitaComandi().svuota();
        legge::ErroreStandard().scriviTesto("massime: la legge " + std::to_string(numero) +
                                            " non c'è in " + sorgente.nome() + "\n");
        return NonTrovatoOProblemi;
    }
    return Riuscito;
}

int ComandoDecodifica(const Argomenti &argomenti)
{
    controllaPosizionali(argomenti, 0, 1);
    Sorgente sorgente(fileDaLeggere(argomenti, 0));
    Uscita &uscita = UscitaComandi();
    // A person reading on a terminal sees the controls spelled out; a pipe gets the text.
    const bool visibile = uscita.terminale();
    const auto blocco = std::make_unique_for_overwrite<char[]>(DimensioneBlocco);
    // A CR at the end of one block may be the first half of a CR LF in the next.
    bool crSospeso = false;
    std::string testo;
    while (const std::size_t letti = sorgente.file().leggi(blocco.get(), DimensioneBlocco)) {
        const std::string chiaro = legge::DecodificaMassime(std::string_view(blocco.get(), letti));
        if (argomenti.grezzo) {
            uscita.byte(chiaro);
            continue;
        }
        testo.clear();
        if (crSospeso && chiaro[0] != '\n')
            testo += '\r';
        crSospeso = false;
        for (std::size_t i = 0; i < letti; ++i) {
            if (chiaro[i] != '\r') {
                testo += chiaro[i];
            } else if (i + 1 == letti) {
                crSospeso = true;
            } else if (chiaro[i + 1] != '\n') {
                testo += '\r';
            }
        }
        const std::string utf8 = legge::Cp1252InUtf8(testo);
        scrivi(visibile ? Visibile(utf8, false) : utf8);
    }
    if (crSospeso)
        scrivi(visibile ? "\\r" : "\r");
    return Riuscito;
}

int ComandoCodifica(const Argomenti &argomenti)
{
    controllaPosizionali(argomenti, 0, 1);
    if (!argomenti.uscita)
        throw ErroreUso{"manca il file da scrivere: indicalo con -o FILE"};
    const std::filesystem::path ingresso =
        legge::PercorsoUtf8(argomenti.posizionali.empty() ? "-" : argomenti.posizionali[0]);
    const std::filesystem::path uscita = legge::PercorsoUtf8(*argomenti.uscita);
    const std::string nome = nomeDi(ingresso);
    const std::string nonScritto =
        "non ho scritto " + (standard(uscita) ? std::string("nulla") : nomeDi(uscita));

    std::string utf8;
    {
        Sorgente sorgente(ingresso);
        const auto blocco = std::make_unique_for_overwrite<char[]>(DimensioneBlocco);
        while (const std::size_t letti = sorgente.file().leggi(blocco.get(), DimensioneBlocco))
            utf8.append(blocco.get(), letti);
    }

    const legge::ConversioneInCp1252 conversione = legge::Utf8InCp1252(utf8);
    if (!conversione.riuscita) {
        std::string cosa;
        if (conversione.carattere == 0) {
            cosa = "il testo non è UTF-8 valido";
        } else {
            char codice[16];
            std::snprintf(codice, sizeof codice, "U+%04X", unsigned(conversione.carattere));
            cosa = "il carattere «" + utf8DiUnCarattere(utf8, conversione.posizione) + "» (" +
                   codice + ") non esiste in Windows-1252";
        }
        legge::ErroreStandard().scriviTesto(
            "massime: " + nome + ", riga " + std::to_string(conversione.riga) + ", colonna " +
            std::to_string(conversione.colonna) + ": " + cosa + "; " + nonScritto + "\n");
        return ErroreUsoOFile;
    }

    const legge::CodificaTesto codifica = legge::CodificaTestoMassime(conversione.testo);
    if (!codifica.riuscita) {
        // Windows-1252 has one byte per character, so the offset counts characters too.
        const std::string_view prima =
            std::string_view(conversione.testo).substr(0, codifica.posizione);
        const std::size_t aCapo = prima.rfind('\n');
        const std::size_t riga =
            static_cast<std::size_t>(std::count(prima.begin(), prima.end(), '\n')) + 1;
        const std::size_t colonna =
            aCapo == std::string_view::npos ? prima.size() + 1 : prima.size() - aCapo;
        legge::ErroreStandard().scriviTesto(
            "massime: " + nome + ", riga " + std::to_string(riga) + ", colonna " +
            std::to_string(colonna) +
            ": una «/» nel testo di una legge la interromperebbe lì (apre un record solo se "
            "seguita da un numero di tre cifre, e chiude l'ultimo solo alla fine); " +
            nonScritto + "\n");
        return ErroreUsoOFile;
    }
    if (standard(uscita))
        UscitaComandi().byte(codifica.dati);
    else
        legge::SostituisciFile(uscita, codifica.dati);
    return Riuscito;
}

int ComandoVerifica(const Argomenti &argomenti)
{
    controllaPosizionali(argomenti, 0, 1);
    Sorgente sorgente(fileDaLeggere(argomenti, 0));
    const std::string percorso = sorgente.nome();

    // Problems are written as they are found, so that a file of any size needs no more
    // memory than one of them.
    std::size_t problemi = 0;
    std::function<void(const Problema &)> segnala;
    if (argomenti.json) {
        scrivi("{\"file\": " + StringaJson(percorso) + ", \"problemi\": [");
        segnala = [&](const Problema &p) {
            scrivi((problemi++ ? ",\n  " : "\n  ") + std::string("{\"tipo\": \"") +
                   NomeTipo(p.tipo) +
                   "\", \"record\": " + (p.record ? std::to_string(*p.record) : "null") +
                   ", \"posizione\": " + (p.posizione ? std::to_string(*p.posizione) : "null") +
                   ", \"numero\": " + (p.numero ? StringaJson(*p.numero) : "null") +
                   ", \"messaggio\": " + StringaJson(p.messaggio) + "}");
        };
    } else {
        segnala = [&](const Problema &p) {
            ++problemi;
            std::string riga;
            if (p.record)
                riga += "record " + std::to_string(*p.record) + ", ";
            if (p.posizione)
                riga += "byte " + std::to_string(*p.posizione) + ": ";
            scrivi(riga + p.messaggio + "\n");
        };
    }
    const std::size_t record = VerificaMassime(sorgente.file(), segnala);

    if (argomenti.json) {
        scrivi((problemi ? "\n], " : "], ") + std::string("\"record\": ") + std::to_string(record) +
               "}\n");
    } else {
        scrivi(percorso + ": " + std::to_string(record) + " record, " +
               (problemi == 0   ? std::string("nessun problema")
                : problemi == 1 ? std::string("1 problema")
                                : std::to_string(problemi) + " problemi") +
               "\n");
    }
    return problemi == 0 ? Riuscito : NonTrovatoOProblemi;
}

int ComandoStatistiche(const Argomenti &argomenti)
{
    controllaPosizionali(argomenti, 0, 1);
    Sorgente sorgente(fileDaLeggere(argomenti, 0));
    Statistiche statistiche;
    legge::OsservaMassime(sorgente.file(), statistiche);
    std::string testo = "record: " + std::to_string(statistiche.m_record) + "\n";
    if (statistiche.m_record > 0) {
        // A number field may hold any byte, a line break too: one record, one line.
        auto riga = [](const char *nome, const Statistiche::Estremo &e) {
            return std::string(nome) + ": " + std::to_string(e.caratteri) + " caratteri, legge «" +
                   Visibile(e.numero, true) + "» (record " + std::to_string(e.record) + ")\n";
        };
        testo += riga("corpo più corto", statistiche.m_corto);
        testo += riga("corpo più lungo", statistiche.m_lungo);
    }
    scrivi(testo);
    return Riuscito;
}

} // namespace massime
