// SPDX-License-Identifier: GPL-3.0-or-later
// The test helpers that every system runs the same way.
#include "prova.h"

#include "codifica.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

namespace prova {

std::optional<std::string> leggiSeEsiste(const fs::path &percorso)
{
    std::error_code errore;
    if (!fs::is_regular_file(percorso, errore))
        return std::nullopt;
    std::ifstream f(percorso, std::ios::binary);
    if (!f)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(f), {});
}

std::string leggi(const fs::path &percorso, const std::string &seManca)
{
    return leggiSeEsiste(percorso).value_or(seManca);
}

bool scrivi(const fs::path &percorso, std::string_view dati)
{
    std::ofstream f(percorso, std::ios::binary | std::ios::trunc);
    f.write(dati.data(), std::streamsize(dati.size()));
    f.close();
    return bool(f);
}

std::string codifica(std::string_view testo)
{
    return CodificaMassime(testo);
}

std::vector<std::string> voci(const fs::path &cartella)
{
    std::vector<std::string> elenco;
    std::error_code errore;
    for (const auto &voce : fs::directory_iterator(cartella, errore))
        elenco.push_back(voce.path().filename().string());
    std::sort(elenco.begin(), elenco.end());
    return elenco;
}

std::string byteCasuali(std::size_t n, std::uint64_t seme)
{
    std::string dati(n, '\0');
    std::mt19937_64 generatore(seme);
    for (std::size_t i = 0; i < n; i += 8) {
        const std::uint64_t v = generatore();
        std::memcpy(dati.data() + i, &v, std::min<std::size_t>(8, n - i));
    }
    return dati;
}

std::vector<std::string> campi(std::string riga)
{
    while (!riga.empty() && (riga.back() == '\n' || riga.back() == '\r'))
        riga.pop_back();
    std::vector<std::string> elenco;
    std::size_t inizio = 0;
    for (std::size_t fine; (fine = riga.find('\t', inizio)) != std::string::npos; inizio = fine + 1)
        elenco.push_back(riga.substr(inizio, fine - inizio));
    elenco.push_back(riga.substr(inizio));
    return elenco;
}

std::string campo(const std::vector<std::string> &elenco, std::size_t i)
{
    return i < elenco.size() ? elenco[i] : std::string();
}

CopiaEseguibile::CopiaEseguibile(const fs::path &programma)
    : m_percorso(m_cartella.file(programma.filename()))
{
    fs::copy_file(programma, m_percorso);
    // A test that runs it as another user needs both; where the system has no such rights,
    // this changes nothing.
    constexpr auto aTutti = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                            fs::perms::others_read | fs::perms::others_exec;
    fs::permissions(m_cartella.percorso(), aTutti);
    fs::permissions(m_percorso, aTutti);
}

namespace {

Esito eseguiUnaVolta(const std::vector<std::string> &argomenti, std::string_view ingresso,
                     std::chrono::seconds limite)
{
    Processo p(argomenti);
    if (!p.avviato())
        return {};
    p.scriviEChiudi(ingresso);
    if (!p.attendi(limite)) {
        p.uccidi();
        p.attendi(std::chrono::seconds(30));
        return {-1, p.uscita, p.errori};
    }
    return {p.codice(), p.uscita, p.errori};
}

} // namespace

Esito esegui(const std::vector<std::string> &argomenti, std::string_view ingresso,
             std::chrono::seconds limite)
{
    Esito esito = eseguiUnaVolta(argomenti, ingresso, limite);
#ifdef _WIN32
    // Under load Wine now and then starts no program at all: status 1 and not a byte on
    // either stream, which none of our programs ever ends with. Only that is run again,
    // and said, so that it shows in the log.
    if (esito.codice == 1 && esito.uscita.empty() && esito.errori.empty()) {
        std::fprintf(stderr, "esegui: Wine non ha avviato %s; ripetuto\n",
                     argomenti.empty() ? "" : argomenti.front().c_str());
        esito = eseguiUnaVolta(argomenti, ingresso, limite);
    }
#endif
    return esito;
}

} // namespace prova
