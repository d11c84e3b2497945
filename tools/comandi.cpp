#include "tools/comandi.h"

#include "file/errorefile.h"
#include "laws/cp1252.h"
#include "laws/giorno.h"
#include "laws/massime.h"
#include "tools/json.h"
#include "tools/verifica.h"

#include <charconv>
#include <cstdio>
#include <memory>

namespace massime {

namespace {

using legge::DimensioneBlocco;
constexpr int NumeroMassimo = 999; // three digits are all a number field holds

void scrivi(std::string_view testo)
{
    std::fwrite(testo.data(), 1, testo.size(), stdout);
}

std::filesystem::path fileDaLeggere(const Argomenti &argomenti, std::size_t indice)
{
    return argomenti.posizionali.size() > indice ? argomenti.posizionali[indice]
                                                 : std::string(legge::NomeFileMassime);
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

std::string leggiTutto(legge::FileAperto &sorgente)
{
    std::string testo;
    const auto blocco = std::make_unique_for_overwrite<char[]>(DimensioneBlocco);
    while (const std::size_t letti = sorgente.leggi(blocco.get(), DimensioneBlocco))
        testo.append(blocco.get(), letti);
    return testo;
}

std::string utf8DiUnCarattere(std::string_view testo, std::size_t posizione)
{
    const auto primo = static_cast<unsigned char>(testo[posizione]);
    const std::size_t lunghezza = primo >= 0xF0 ? 4 : primo >= 0xE0 ? 3 : primo >= 0xC0 ? 2 : 1;
    return std::string(testo.substr(posizione, lunghezza));
}

// Visits every record to find the shortest and the longest body.
class Statistiche : public legge::VisitatoreMassime {
public:
    struct Estremo {
        std::size_t caratteri = 0;
        std::string numero;
        std::size_t record = 0;
    };

    bool vuoiTesto(std::string_view) override { return true; }
    bool record(const legge::Record &r) override
    {
        ++m_record;
        const legge::Legge estratta = legge::EstraiLegge(r.testo);
        // The line breaks around a body are layout, not text the reader counts.
        const auto inizio = estratta.corpo.find_first_not_of(" \t\n");
        const auto fine = estratta.corpo.find_last_not_of(" \t\n");
        const std::size_t caratteri = inizio == std::string::npos ? 0 : fine - inizio + 1;
        const Estremo questo{caratteri, legge::Cp1252InUtf8(r.campoNumero), r.indice};
        if (m_record == 1 || caratteri < m_corto.caratteri)
            m_corto = questo;
        if (m_record == 1 || caratteri > m_lungo.caratteri)
            m_lungo = questo;
        return true;
    }

    std::size_t m_record = 0;
    Estremo m_corto, m_lungo;
};

} // namespace

int ComandoNumero(const Argomenti &argomenti)
{
    controllaPosizionali(argomenti, 0, 1);
    const legge::Data data =
        argomenti.posizionali.empty() ? legge::DataOdierna() : leggiData(argomenti.posizionali[0]);
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
    const std::filesystem::path file = fileDaLeggere(argomenti, 1);
    const legge::Legge trovata = legge::CercaLegge(file, numero, legge::SeManca::Errore);
    const std::string titolo = legge::Cp1252InUtf8(trovata.titolo.value_or(""));
    const std::string corpo = legge::Cp1252InUtf8(trovata.corpo);

    if (argomenti.json) {
        scrivi("{\"numero\": " + std::to_string(numero) +
               ", \"trovata\": " + (trovata.trovata ? "true" : "false") +
               ", \"titolo\": " + (trovata.titolo ? StringaJson(titolo) : std::string("null")) +
               ", \"corpo\": " + StringaJson(corpo) + "}\n");
    } else if (trovata.trovata) {
        const std::string testo = titolo + corpo;
        scrivi(testo);
        if (testo.empty() || testo.back() != '\n')
            scrivi("\n");
    }
    if (!trovata.trovata) {
        std::fprintf(stderr, "massime: la legge %d non c'è in %s\n", numero,
                     std::filesystem::absolute(file).lexically_normal().c_str());
        return NonTrovatoOProblemi;
    }
    return Riuscito;
}

int ComandoDecodifica(const Argomenti &argomenti)
{
    controllaPosizionali(argomenti, 0, 1);
    const std::filesystem::path file = fileDaLeggere(argomenti, 0);
    legge::FileAperto sorgente = legge::ApriInLettura(file);
    const auto blocco = std::make_unique_for_overwrite<char[]>(DimensioneBlocco);
    // A CR at the end of one block may be the first half of a CR LF in the next.
    bool crSospeso = false;
    std::string testo;
    while (const std::size_t letti = sorgente.leggi(blocco.get(), DimensioneBlocco)) {
        legge::InvertiByte(blocco.get(), letti);
        if (argomenti.grezzo) {
            scrivi(std::string_view(blocco.get(), letti));
            continue;
        }
        testo.clear();
        if (crSospeso && blocco[0] != '\n')
            testo += '\r';
        crSospeso = false;
        for (std::size_t i = 0; i < letti; ++i) {
            if (blocco[i] != '\r') {
                testo += blocco[i];
            } else if (i + 1 == letti) {
                crSospeso = true;
            } else if (blocco[i + 1] != '\n') {
                testo += '\r';
            }
        }
        scrivi(legge::Cp1252InUtf8(testo));
    }
    if (crSospeso)
        scrivi("\r");
    return Riuscito;
}

int ComandoCodifica(const Argomenti &argomenti)
{
    controllaPosizionali(argomenti, 0, 1);
    if (!argomenti.uscita)
        throw ErroreUso{"manca il file da scrivere: indicalo con -o FILE"};
    const bool daStdin = argomenti.posizionali.empty() || argomenti.posizionali[0] == "-";
    const std::filesystem::path nome = daStdin ? std::filesystem::path("standard input")
                                               : std::filesystem::path(argomenti.posizionali[0]);

    std::string utf8;
    if (daStdin) {
        utf8 = leggiTutto(legge::IngressoStandard());
    } else {
        legge::FileAperto sorgente = legge::ApriInLettura(nome);
        utf8 = leggiTutto(sorgente);
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
        std::fprintf(stderr, "massime: %s, riga %zu, colonna %zu: %s; non ho scritto %s\n",
                     nome.c_str(), conversione.riga, conversione.colonna, cosa.c_str(),
                     argomenti.uscita->c_str());
        return ErroreUsoOFile;
    }

    std::string dati;
    dati.reserve(conversione.testo.size() + conversione.testo.size() / 32);
    for (const char c : conversione.testo) {
        if (c == '\n')
            dati += '\r';
        dati += c;
    }
    legge::InvertiByte(dati.data(), dati.size());
    legge::SostituisciFile(*argomenti.uscita, dati);
    return Riuscito;
}

int ComandoVerifica(const Argomenti &argomenti)
{
    controllaPosizionali(argomenti, 0, 1);
    const std::filesystem::path file = fileDaLeggere(argomenti, 0);
    const EsitoVerifica esito = VerificaMassime(file);
    const std::string percorso = std::filesystem::absolute(file).lexically_normal().string();

    if (argomenti.json) {
        std::string testo = "{\"file\": " + StringaJson(percorso) +
                            ", \"record\": " + std::to_string(esito.record) + ", \"problemi\": [";
        for (std::size_t i = 0; i < esito.problemi.size(); ++i) {
            const Problema &p = esito.problemi[i];
            testo += i ? ",\n  " : "\n  ";
            testo += "{\"tipo\": \"" + std::string(NomeTipo(p.tipo)) +
                     "\", \"record\": " + (p.record ? std::to_string(*p.record) : "null") +
                     ", \"posizione\": " + (p.posizione ? std::to_string(*p.posizione) : "null") +
                     ", \"numero\": " + (p.numero ? StringaJson(*p.numero) : "null") +
                     ", \"messaggio\": " + StringaJson(p.messaggio) + "}";
        }
        testo += esito.problemi.empty() ? "]}\n" : "\n]}\n";
        scrivi(testo);
    } else {
        for (const Problema &p : esito.problemi) {
            std::string riga;
            if (p.record)
                riga += "record " + std::to_string(*p.record) + ", ";
            if (p.posizione)
                riga += "byte " + std::to_string(*p.posizione) + ": ";
            scrivi(riga + p.messaggio + "\n");
        }
        const std::size_t n = esito.problemi.size();
        scrivi(percorso + ": " + std::to_string(esito.record) + " record, " +
               (n == 0   ? std::string("nessun problema")
                : n == 1 ? std::string("1 problema")
                         : std::to_string(n) + " problemi") +
               "\n");
    }
    return esito.problemi.empty() ? Riuscito : NonTrovatoOProblemi;
}

int ComandoStatistiche(const Argomenti &argomenti)
{
    controllaPosizionali(argomenti, 0, 1);
    const std::filesystem::path file = fileDaLeggere(argomenti, 0);
    Statistiche statistiche;
    legge::PercorriMassime(file, statistiche, legge::SeManca::Errore);
    std::string testo = "record: " + std::to_string(statistiche.m_record) + "\n";
    if (statistiche.m_record > 0) {
        auto riga = [](const char *nome, const Statistiche::Estremo &e) {
            return std::string(nome) + ": " + std::to_string(e.caratteri) + " caratteri, legge «" +
                   e.numero + "» (record " + std::to_string(e.record) + ")\n";
        };
        testo += riga("corpo più corto", statistiche.m_corto);
        testo += riga("corpo più lungo", statistiche.m_lungo);
    }
    scrivi(testo);
    return Riuscito;
}

} // namespace massime
