// SPDX-License-Identifier: GPL-3.0-or-later
// The user's data folder: decided, made and seeded with the installed collection.
#include "finestra/cartellautente.h"

#include "leggi/massime.h"
#include "sistema/cartelle.h"
#include "sistema/file.h"

#include <cstdint>
#include <string_view>

namespace legge {

namespace {

// Whether a collection is one: a law the window can show, and no record without a number,
// which damaged bytes would give (a '/' comes every 256 bytes or so by chance, a number
// after it seldom).
class ControlloRaccolta : public OsservatoreMassime {
public:
    void record(const SintesiRecord &record) override
    {
        const std::string_view campo = record.campoNumero;
        const auto primo = campo.find_first_not_of(" \t\n");
        if (primo == std::string_view::npos || campo[primo] < '0' || campo[primo] > '9')
            m_senzaNumero = true;
        const double numero = ValoreNumero(campo);
        if ((numero >= 1 && numero <= 366) || numero == 500)
            m_leggi = true;
    }
    void fine(std::uint64_t dimensione) override { m_vuota = dimensione == 0; }
    bool buona() const { return m_leggi && !m_senzaNumero; }
    bool vuota() const { return m_vuota; }

private:
    bool m_vuota = false;
    bool m_leggi = false;
    bool m_senzaNumero = false;
};

std::filesystem::path installato(const std::filesystem::path &programma, const char *nome)
{
    // The build names the folder relative to the program's own, as it installs them.
    return programma.parent_path() / LEGGE_CARTELLA_INSTALLATA / nome;
}

} // namespace

std::filesystem::path RaccoltaInstallata(const std::filesystem::path &programma)
{
    return installato(programma, "Massime.dat").lexically_normal();
}

std::filesystem::path ModelloAvvioAutomatico(const std::filesystem::path &programma)
{
    return installato(programma, LEGGE_ID_APP ".desktop").lexically_normal();
}

CartellaPronta PreparaCartella(const std::filesystem::path &cartella,
                               const std::filesystem::path &raccolta)
{
    CreaCartelle(cartella);
    CartellaPronta pronta{cartella, std::nullopt};
    const std::filesystem::path massime = cartella / "Massime.dat";
    const Presenza presenza = Guarda(massime);
    if (presenza.collegamento && !presenza.esiste) {
        // Filling it would create a file wherever it leads, perhaps on a disk not mounted yet.
        pronta.collegamentoInterrotto = presenza.destinazione;
        return pronta;
    }
    // The program leaves an empty Massime.dat behind when it starts without one: it holds
    // no law, so nothing of the user's is lost in filling it.
    if (presenza.esiste && (!presenza.fileRegolare || presenza.dimensione > 0))
        return pronta;
    ControllaRaccolta(raccolta);
    CopiaFile(raccolta, massime);
    return pronta;
}

void ControllaRaccolta(const std::filesystem::path &raccolta)
{
    FileAperto aperto = ApriFileDati(raccolta);
    if (!aperto)
        throw ErroreFile::mancante(raccolta);
    ControlloRaccolta controllo;
    OsservaMassime(aperto, controllo);
    if (controllo.vuota())
        throw ErroreFile(raccolta, ErroreFile::Tipo::FileVuoto);
    if (!controllo.buona())
        throw ErroreFile(raccolta, ErroreFile::Tipo::SenzaLeggi);
}

CartellaPronta PreparaCartellaUtente()
{
    const std::filesystem::path programma = ProgrammaInEsecuzione();
    return PreparaCartella(CartellaDatiUtente() / LEGGE_CARTELLA_DATI,
                           RaccoltaInstallata(programma));
}

VoceDesktop LeggiVoceDesktop(std::string_view testo)
{
    VoceDesktop letta;
    bool nelGruppo = false;
    while (!testo.empty()) {
        const auto aCapo = testo.find('\n');
        std::string_view riga = testo.substr(0, aCapo);
        testo.remove_prefix(aCapo == std::string_view::npos ? testo.size() : aCapo + 1);
        if (riga.ends_with('\r'))
            riga.remove_suffix(1);
        if (riga.starts_with('[')) {
            nelGruppo = riga == "[Desktop Entry]";
            continue;
        }
        const auto uguale = riga.find('=');
        if (!nelGruppo || uguale == std::string_view::npos)
            continue;
        const auto senzaSpazi = [](std::string_view parte) {
            const auto inizio = parte.find_first_not_of(' ');
            if (inizio == std::string_view::npos)
                return std::string_view{};
            return parte.substr(inizio, parte.find_last_not_of(' ') - inizio + 1);
        };
        const std::string_view chiave = senzaSpazi(riga.substr(0, uguale));
        const std::string_view valore = senzaSpazi(riga.substr(uguale + 1));
        if (chiave == "Hidden")
            letta.nascosta = valore == "true";
        else if (chiave == "X-GNOME-Autostart-enabled")
            letta.disattivata = valore == "false";
        else if (chiave == "Exec")
            letta.comando = std::string(valore);
    }
    return letta;
}

namespace {

// Far more than an entry holds: one larger is not the program's, and is not read whole.
constexpr std::size_t LimiteVoce = 64 * 1024;

std::string LeggiInizio(const std::filesystem::path &percorso)
{
    FileAperto aperto = ApriFileDati(percorso);
    if (!aperto)
        throw ErroreFile::mancante(percorso);
    std::string testo(LimiteVoce + 1, '\0');
    testo.resize(aperto.riempi(testo.data(), testo.size()));
    return testo;
}

} // namespace

EsitoAvvioAutomatico ImpostaAvvioAutomatico(bool attiva, const std::filesystem::path &modello,
                                            const std::filesystem::path &voce)
{
    if (!attiva)
        return {RimuoviFile(voce) ? AvvioAutomatico::Disattivato : AvvioAutomatico::GiaDisattivato,
                {}};
    // Written through, it would make a file wherever the user's link leads, perhaps by
    // mistake: a link to nothing is theirs to mend.
    const Presenza presenza = Guarda(voce);
    if (presenza.collegamento && !presenza.esiste)
        throw ErroreFile::mancante(presenza.destinazione);
    // An empty entry does nothing and says nothing: there is no edit in it to keep.
    if (presenza.esiste && !(presenza.fileRegolare && presenza.dimensione == 0)) {
        const std::string esistente = LeggiInizio(voce);
        if (esistente == LeggiInizio(modello))
            return {AvvioAutomatico::Attivato, {}};
        return {AvvioAutomatico::Mantenuto, LeggiVoceDesktop(esistente)};
    }
    CreaCartelle(voce.parent_path());
    CopiaFile(modello, voce);
    return {AvvioAutomatico::Attivato, {}};
}

std::filesystem::path VoceAvvioAutomatico()
{
    return CartellaConfigurazioneUtente() / "autostart" / LEGGE_ID_APP ".desktop";
}

} // namespace legge
