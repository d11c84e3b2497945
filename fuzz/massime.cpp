// The law-file scan against a plain byte-at-a-time reading of the same format: both must
// see the same records, the same numbers and the same texts, and the lookup must return
// the first record with the number asked for, split the same way.
#include "fileinmemoria.h"

#include "file/errorefile.h"
#include "laws/massime.h"

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

using namespace legge;

namespace {

struct RecordAtteso {
    std::uint64_t posizione;
    std::string testo;
};

struct Lettura {
    std::vector<RecordAtteso> record;
    std::optional<std::uint64_t> coda; // where the unclosed text after the last '/' starts
};

Lettura leggiUnByteAllaVolta(const std::uint8_t *dati, std::size_t dimensione)
{
    Lettura lettura;
    int stato = 0;
    std::string r;
    std::uint64_t inizio = 0;
    for (std::size_t i = 0; i < dimensione; ++i) {
        const char c = static_cast<char>(dati[i] ^ 0xFF);
        if (stato == 1 && c != '\r')
            r += c;
        if (c == '/')
            ++stato;
        if (stato == 2) {
            r.pop_back();
            lettura.record.push_back({inizio, r});
            r.clear();
            stato = 1;
        }
        if (c == '/')
            inizio = i + 1;
    }
    if (stato == 1 && inizio < dimensione)
        lettura.coda = inizio;
    return lettura;
}

Legge estrai(std::string r)
{
    for (std::size_t i = 0; i < 6 && i < r.size(); ++i) {
        if (r[i] >= 'A' && r[i] <= 'Z') {
            r.erase(0, i);
            break;
        }
    }
    Legge legge;
    legge.trovata = true;
    const auto fine = r.find_first_of("\n\r");
    if (fine == std::string::npos) {
        legge.corpo = r;
    } else {
        legge.titolo = r.substr(0, fine);
        legge.corpo = r.substr(fine);
    }
    return legge;
}

class Tutti : public VisitatoreMassime {
public:
    explicit Tutti(bool vuole) : m_vuole(vuole) {}
    bool vuoiTesto(std::string_view campoNumero) override
    {
        VERIFICA(campoNumero.size() <= 3);
        campi.emplace_back(campoNumero);
        return m_vuole;
    }
    bool record(const Record &record) override
    {
        VERIFICA(m_vuole);
        visti.push_back({record.posizione, record.testo});
        lunghezze.push_back(record.lunghezza);
        return true;
    }
    void coda(std::uint64_t posizione, std::uint64_t lunghezza) override
    {
        VERIFICA(!inizioCoda);
        inizioCoda = posizione;
        lunghezzaCoda = lunghezza;
    }

    std::vector<std::string> campi;
    std::vector<RecordAtteso> visti;
    std::vector<std::uint64_t> lunghezze;
    std::optional<std::uint64_t> inizioCoda;
    std::uint64_t lunghezzaCoda = 0;

private:
    bool m_vuole;
};

std::string primiTre(const std::string &testo)
{
    return testo.substr(0, 3);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *dati, std::size_t dimensione)
{
    static FileInMemoria file("Massime.dat");
    const auto &percorso = file.scrivi(dati, dimensione);
    const Lettura attesa = leggiUnByteAllaVolta(dati, dimensione);

    for (const bool vuole : {true, false}) {
        Tutti tutti(vuole);
        PercorriMassime(percorso, tutti);
        // A number field is judged as soon as it is complete, so the unclosed tail is
        // asked about too once it holds three characters.
        std::size_t caratteriCoda = 0;
        for (std::size_t i = attesa.coda.value_or(dimensione); i < dimensione; ++i)
            caratteriCoda += dati[i] != static_cast<std::uint8_t>('\r' ^ 0xFF);
        VERIFICA(tutti.campi.size() == attesa.record.size() + (caratteriCoda >= 3 ? 1 : 0));
        for (std::size_t i = 0; i < attesa.record.size(); ++i)
            VERIFICA(tutti.campi[i] == primiTre(attesa.record[i].testo));
        VERIFICA(tutti.inizioCoda == attesa.coda);
        if (attesa.coda)
            VERIFICA(*attesa.coda + tutti.lunghezzaCoda == dimensione);
        if (!vuole) {
            VERIFICA(tutti.visti.empty());
            continue;
        }
        VERIFICA(tutti.visti.size() == attesa.record.size());
        for (std::size_t i = 0; i < attesa.record.size(); ++i) {
            const auto &visto = tutti.visti[i];
            VERIFICA(visto.posizione == attesa.record[i].posizione);
            VERIFICA(visto.testo == attesa.record[i].testo);
            // The record's bytes sit between two separators.
            const std::uint64_t fine = visto.posizione + tutti.lunghezze[i];
            VERIFICA(visto.posizione >= 1 && fine < dimensione);
            VERIFICA(dati[visto.posizione - 1] == 0xD0 && dati[fine] == 0xD0);
        }
    }

    // Look up the numbers that occur (and one that may not): each must give the first
    // record carrying it.
    std::vector<int> numeri{1};
    for (std::size_t i = 0; i < attesa.record.size() && numeri.size() < 3; ++i) {
        const double valore = ValoreNumero(primiTre(attesa.record[i].testo));
        if (valore == std::floor(valore) && std::abs(valore) < 1000)
            numeri.push_back(static_cast<int>(valore));
    }
    for (const int numero : numeri) {
        const Legge trovata = CercaLegge(percorso, numero, SeManca::Errore);
        Legge attesaLegge;
        for (const auto &r : attesa.record) {
            if (ValoreNumero(primiTre(r.testo)) == numero) {
                attesaLegge = estrai(r.testo);
                break;
            }
        }
        VERIFICA(trovata.trovata == attesaLegge.trovata);
        VERIFICA(trovata.titolo == attesaLegge.titolo);
        VERIFICA(trovata.corpo == attesaLegge.corpo);
    }

    // The number field: blanks never count, and plain digits read as themselves.
    if (dimensione <= 3) {
        const std::string campo(reinterpret_cast<const char *>(dati), dimensione);
        std::string senzaSpazi;
        for (const char c : campo) {
            if (c != ' ' && c != '\t' && c != '\n')
                senzaSpazi += c;
        }
        const double valore = ValoreNumero(campo);
        VERIFICA(valore == ValoreNumero(senzaSpazi));
        VERIFICA(std::abs(valore) <= 999);
        if (!senzaSpazi.empty() && senzaSpazi.find_first_not_of("0123456789") == std::string::npos)
            VERIFICA(valore == std::stoi(senzaSpazi));
    }
    return 0;
}
