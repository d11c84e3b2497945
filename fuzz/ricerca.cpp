// SPDX-License-Identifier: GPL-3.0-or-later
// The search against the plainest reading of the same file: every law decoded whole,
// folded and searched with find. The input is a text repeated into a file long enough to
// fill several of the pieces the search looks at, and the text to search for.
#include "fileinmemoria.h"

#include "leggi/cp1252.h"
#include "leggi/massime.h"
#include "leggi/ricerca.h"

#include <string>
#include <vector>

using namespace legge;

namespace {

class Riferimento : public VisitatoreMassime {
public:
    explicit Riferimento(const std::string &ago) : m_ago(ago) {}
    bool vuoiTesto(std::string_view) override { return true; }
    bool record(const Record &r) override
    {
        const Legge legge = EstraiLegge(r.testo);
        if (PiegaCp1252(legge.titolo.value_or("") + legge.corpo).find(m_ago) != std::string::npos)
            trovati.push_back(r.indice);
        return true;
    }
    std::vector<std::size_t> trovati;

private:
    const std::string &m_ago;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *dati, std::size_t dimensione)
{
    static FileInMemoria file("ricerca");
    if (dimensione < 2)
        return 0;
    const std::size_t lunghezzaAgo = 1 + dati[0] % 8;
    const std::size_t volte = 1 + dati[1] % 64;
    if (dimensione < 2 + lunghezzaAgo)
        return 0;
    std::string ago =
        PiegaCp1252(std::string(reinterpret_cast<const char *>(dati + 2), lunghezzaAgo));
    std::erase(ago, '\r');
    std::string memorizzato;
    for (std::size_t i = 0; i < volte; ++i) {
        for (std::size_t k = 2 + lunghezzaAgo; k < dimensione; ++k)
            memorizzato += static_cast<char>(~dati[k]);
    }
    const auto &percorso =
        file.scrivi(reinterpret_cast<const std::uint8_t *>(memorizzato.data()), memorizzato.size());

    Riferimento riferimento(ago);
    PercorriMassime(percorso, riferimento);
    std::vector<std::size_t> trovati;
    FileAperto sorgente = ApriInLettura(percorso);
    CercaNelleMassime(sorgente, ago, [&](const LeggeTrovata &t) {
        trovati.push_back(t.record);
        VERIFICA(PiegaCp1252(t.contesto).find(ago) != std::string::npos);
    });
    VERIFICA(ago.empty() ? trovati.empty() : trovati == riferimento.trovati);
    return 0;
}
