// SPDX-License-Identifier: GPL-3.0-or-later
// The massime tool's commands, cerca aside: from the parsed arguments through the core's readers
// to text for a person or, where asked, JSON for a program.
#include "strumento/comandi.h"

#include "leggi/cp1252.h"
#include "leggi/giorno.h"
#include "leggi/massime.h"
#include "sistema/argomenti.h"
#include "sistema/errorefile.h"
#include "sistema/file.h"
#include "sistema/flussi.h"
#include "sistema/orologio.h"
#include "sistema/utf8.h"
#include "strumento/json.h"
#include "strumento/testi.h"
#include "strumento/uscita.h"
#include "strumento/verifica.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

namespace massime {

bool Standard(const std::filesystem::path &nome)
{
    return nome == "-";
}

std::string NomeGrezzo(const std::filesystem::path &nome)
{
    if (Standard(nome))
        return std::string(legge::NomeIngressoStandard);
    if (nome.empty())
        return testi::NomeVuoto();
    return std::filesystem::absolute(nome).lexically_normal().string();
}

std::string NomeDi(const std::filesystem::path &nome)
{
    return legge::SenzaControlli(NomeGrezzo(nome), legge::Controlli::CodiciSuUnaRiga);
}

legge::Attesa AttesaDelComando()
{
    legge::Attesa attesa;
    attesa.limite = std::chrono::minutes(1);
    attesa.avviso = std::chrono::seconds(1);
    attesa.annuncia = [limite = attesa.limite](const std::filesystem::path &file,
                                               const legge::TitolareBlocco &titolare) {
        legge::ErroreStandard().scriviTesto(testi::AttendoIlFile(
            NomeDi(file), titolare.processo,
            legge::SenzaControlli(titolare.programma, legge::Controlli::CodiciSuUnaRiga),
            std::chrono::duration_cast<std::chrono::seconds>(limite).count()));
    };
    return attesa;
}

Sorgente::Sorgente(std::filesystem::path nome) : m_nome(std::move(nome))
{
    if (!Standard(m_nome))
        m_proprio = legge::ApriInLettura(m_nome, AttesaDelComando());
}

legge::FileAperto &Sorgente::file()
{
    return Standard(m_nome) ? legge::IngressoStandard() : m_proprio;
}

std::string Sorgente::nome() const
{
    return NomeDi(m_nome);
}

std::string Sorgente::nomeGrezzo() const
{
    return NomeGrezzo(m_nome);
}

std::filesystem::path FileDaLeggere(const Argomenti &argomenti, std::size_t indice)
{
    return legge::PercorsoUtf8(argomenti.posizionali.size() > indice ? argomenti.posizionali[indice]
                                                                     : legge::NomeFileMassime);
}

void ControllaPosizionali(const Argomenti &argomenti, std::size_t minimo, std::size_t massimo)
{
    if (argomenti.posizionali.size() < minimo)
        throw ErroreUso{testi::MancaUnArgomento()};
    if (argomenti.posizionali.size() > massimo)
        throw ErroreUso{testi::ArgomentoDiTroppo(argomenti.posizionali[massimo])};
}

std::string Citazione(std::string_view utf8)
{
    std::size_t fine = 0;
    for (std::size_t caratteri = 0; fine < utf8.size() && caratteri < CaratteriCitati; ++caratteri)
        fine += legge::LunghezzaUtf8(static_cast<unsigned char>(utf8[fine]));
    fine = std::min(fine, utf8.size()); // a character cut short at the very end
    std::string citato(utf8.substr(0, fine));
    if (fine < utf8.size())
        citato += "\xE2\x80\xA6"; // the ellipsis
    return legge::SenzaControlli(citato, legge::Controlli::CodiciSuUnaRiga);
}

std::string Utf8DiUnCarattere(std::string_view testo, std::size_t posizione)
{
    // A C1 control is a character Windows-1252 lacks, and would act on the terminal.
    return Citazione(testo.substr(
        posizione, legge::LunghezzaUtf8(static_cast<unsigned char>(testo[posizione]))));
}

namespace {

using legge::DimensioneBlocco;
constexpr int NumeroMassimo = 999; // three digits are all a number field holds

void scrivi(std::string_view testo)
{
    UscitaComandi().testo(testo);
}

bool intero(std::string_view testo, int &valore)
{
    const auto [fine, errore] = std::from_chars(testo.data(), testo.data() + testo.size(), valore);
    return errore == std::errc() && fine == testo.data() + testo.size() && !testo.empty() &&
           testo[0] >= '0' && testo[0] <= '9';
}

legge::Data leggiData(const std::string &testo)
{
    const ErroreUso errore{testi::DataNonValida(testo)};
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
    ControllaPosizionali(argomenti, 0, 1);
    const legge::Data data =
        argomenti.posizionali.empty() ? oggi() : leggiData(argomenti.posizionali[0]);
    scrivi(std::to_string(legge::NumeroDelGiorno(data)) + "\n");
    return Riuscito;
}

int ComandoMostra(const Argomenti &argomenti)
{
    ControllaPosizionali(argomenti, 1, 2);
    int numero = 0;
    if (!intero(argomenti.posizionali[0], numero) || numero < 1 || numero > NumeroMassimo)
        throw ErroreUso{testi::NumeroNonValido(argomenti.posizionali[0])};
    Sorgente sorgente(FileDaLeggere(argomenti, 1));
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
            testo = legge::SenzaControlli(testo, legge::Controlli::Codici);
        scrivi(testo);
        if (testo.empty() || testo.back() != '\n')
            scrivi("\n");
    }
    if (!trovata.trovata) {
        UscitaComandi().svuota();
        legge::ErroreStandard().scriviTesto(testi::LeggeNonTrovata(numero, sorgente.nome()));
        return NonTrovatoOProblemi;
    }
    return Riuscito;
}

int ComandoDecodifica(const Argomenti &argomenti)
{
    ControllaPosizionali(argomenti, 0, 1);
    Sorgente sorgente(FileDaLeggere(argomenti, 0));
    Uscita &uscita = UscitaComandi();
    // A person reading on a terminal sees the controls spelled out; a pipe gets the text.
    const bool visibile = uscita.terminale();
    const auto blocco = std::make_unique_for_overwrite<char[]>(DimensioneBlocco);
    // The CR of a CR LF goes, as codifica puts it back. Before an LF, codifica takes a CR
    // for the line break's own and adds none: a run of two or more is written whole. The
    // CRs of a run wait here, across blocks too, until what follows them shows which it is.
    int crDiFila = 0; // 2: two or more, already written
    std::string testo;
    while (const std::size_t letti = sorgente.file().leggi(blocco.get(), DimensioneBlocco)) {
        const std::string chiaro = legge::DecodificaMassime(std::string_view(blocco.get(), letti));
        if (argomenti.grezzo) {
            uscita.byte(chiaro);
            continue;
        }
        testo.clear();
        for (const char c : chiaro) {
            if (c == '\r') {
                testo.append(crDiFila == 0 ? 0 : crDiFila == 1 ? 2 : 1, '\r');
                crDiFila = std::min(crDiFila + 1, 2);
                continue;
            }
            if (crDiFila == 1 && c != '\n')
                testo += '\r';
            crDiFila = 0;
            testo += c;
        }
        const std::string utf8 = legge::Cp1252InUtf8(testo);
        scrivi(visibile ? legge::SenzaControlli(utf8, legge::Controlli::Codici) : utf8);
    }
    if (crDiFila == 1)
        scrivi(visibile ? "\\r" : "\r");
    return Riuscito;
}

int ComandoCodifica(const Argomenti &argomenti)
{
    ControllaPosizionali(argomenti, 0, 1);
    if (!argomenti.uscita)
        throw ErroreUso{testi::MancaIlFileDaScrivere()};
    const std::filesystem::path ingresso =
        legge::PercorsoUtf8(argomenti.posizionali.empty() ? "-" : argomenti.posizionali[0]);
    const std::filesystem::path uscita = legge::PercorsoUtf8(*argomenti.uscita);
    const std::string nome = NomeDi(ingresso);
    const std::string nonScritto = testi::NonHoScritto(
        Standard(uscita) ? std::nullopt : std::optional<std::string_view>(NomeDi(uscita)));

    // Scrambled bytes on a terminal would be read as its commands.
    if (Standard(uscita) && UscitaComandi().terminale())
        throw ErroreUso{testi::NonSuUnTerminale()};
    Sorgente sorgente(ingresso);
    if (!Standard(uscita) && legge::StessoFile(sorgente.file(), uscita))
        throw ErroreUso{testi::UscitaUgualeAlTesto(NomeDi(uscita))};
    // Made before reading, so that a target that cannot be written is told at once; what
    // it gathers reaches the path only when the whole text has proved good.
    std::optional<legge::SostituzioneFile> file;
    if (!Standard(uscita))
        file.emplace(uscita, AttesaDelComando());

    legge::CodificatoreMassime codificatore;
    const auto errore = [&](const std::string &cosa) {
        legge::ErroreStandard().scriviTesto(testi::ErroreNelTesto(
            nome, codificatore.riga(), codificatore.colonna(), cosa, nonScritto));
        return ErroreUsoOFile;
    };
    const auto problema = [&] {
        switch (codificatore.problema()) {
        case legge::CodificatoreMassime::Problema::NumeroLungo:
            return testi::NumeroLungoNelTesto();
        case legge::CodificatoreMassime::Problema::NumeroRipetuto:
            return testi::NumeroRipetutoNelTesto(codificatore.numero(),
                                                 codificatore.rigaPrecedente());
        case legge::CodificatoreMassime::Problema::NessunaLegge:
            return testi::NessunaLeggeNelTesto();
        case legge::CodificatoreMassime::Problema::Nul:
            return testi::NulNelTesto();
        default:
            return testi::BarraNelTesto();
        }
    };
    const auto blocco = std::make_unique_for_overwrite<char[]>(DimensioneBlocco);
    // The bytes of a character that a block cut in two, waiting for the rest.
    std::string utf8;
    std::string dati;
    // Notepad opens its UTF-8 with a byte-order mark, which is no character of the text.
    constexpr std::string_view Bom = "\xEF\xBB\xBF";
    bool inizio = true;
    while (const std::size_t letti = sorgente.file().leggi(blocco.get(), DimensioneBlocco)) {
        utf8.append(blocco.get(), letti);
        if (inizio && (utf8.size() >= Bom.size() || !Bom.starts_with(utf8))) {
            if (utf8.starts_with(Bom))
                utf8.erase(0, Bom.size());
            inizio = false;
        }
        std::size_t completi = utf8.size();
        for (std::size_t i = utf8.size(); i > 0 && utf8.size() - i < 4; --i) {
            const auto c = static_cast<unsigned char>(utf8[i - 1]);
            if ((c & 0xC0) == 0x80)
                continue;
            const std::size_t lunghezza = legge::LunghezzaUtf8(c);
            if (i - 1 + lunghezza > utf8.size())
                completi = i - 1;
            break;
        }
        const std::string_view pronti = std::string_view(utf8).substr(0, completi);
        const legge::ConversioneInCp1252 conversione = legge::Utf8InCp1252(pronti);
        dati.clear();
        if (!conversione.riuscita) {
            // What comes before the fault may hold an earlier one.
            if (!codificatore.aggiungi(
                    legge::Utf8InCp1252(pronti.substr(0, conversione.posizione)).testo, dati))
                return errore(problema());
            return errore(
                conversione.carattere == 0
                    ? testi::TestoNonUtf8()
                    : testi::CarattereFuoriDaCp1252(
                          Utf8DiUnCarattere(pronti, conversione.posizione), conversione.carattere));
        }
        if (!codificatore.aggiungi(conversione.testo, dati))
            return errore(problema());
        if (file)
            file->scrivi(dati);
        else
            UscitaComandi().byte(dati);
        utf8.erase(0, completi);
    }
    if (!utf8.empty())
        return errore(testi::TestoNonUtf8());
    dati.clear();
    if (!codificatore.chiudi(dati))
        return errore(problema());
    if (file) {
        file->scrivi(dati);
        file->conferma();
    } else {
        UscitaComandi().byte(dati);
    }
    for (const auto &[numero, riga] : codificatore.maiMostrati()) {
        char tre[8];
        std::snprintf(tre, sizeof tre, "%03d", numero);
        legge::ErroreStandard().scriviTesto(
            testi::AvvisoNelTesto(nome, riga, testi::NumeroFuoriIntervallo(tre)));
    }
    return Riuscito;
}

int ComandoVerifica(const Argomenti &argomenti)
{
    ControllaPosizionali(argomenti, 0, 1);
    Sorgente sorgente(FileDaLeggere(argomenti, 0));
    const std::string percorso = sorgente.nomeGrezzo();

    // Problems are written as they are found, so that a file of any size needs no more
    // memory than one of them.
    // Past the first hundred, noise would bury the few problems worth reading: the rest
    // are counted, so that the summary and the exit status stay exact.
    std::size_t problemi = 0;
    const auto elencato = [&] { return argomenti.tutti || problemi < ProblemiElencati; };
    std::function<void(const Problema &)> segnala;
    if (argomenti.json) {
        scrivi("{\"file\": " + StringaJson(percorso) + ", \"problemi\": [");
        segnala = [&](const Problema &p) {
            if (elencato())
                scrivi((problemi ? ",\n  " : "\n  ") + std::string("{\"tipo\": \"") +
                       NomeTipo(p.tipo) +
                       "\", \"record\": " + (p.record ? std::to_string(*p.record) : "null") +
                       ", \"posizione\": " + (p.posizione ? std::to_string(*p.posizione) : "null") +
                       ", \"numero\": " + (p.numero ? StringaJson(*p.numero) : "null") +
                       ", \"messaggio\": " + StringaJson(p.messaggio) + "}");
            ++problemi;
        };
    } else {
        segnala = [&](const Problema &p) {
            if (elencato())
                scrivi(testi::RigaProblema(p.record, p.posizione, p.messaggio));
            ++problemi;
        };
    }
    const std::size_t record = VerificaMassime(sorgente.file(), segnala);
    const std::size_t taciuti =
        argomenti.tutti ? 0 : problemi - std::min(problemi, ProblemiElencati);

    if (argomenti.json) {
        scrivi((problemi ? "\n], " : "], ") + std::string("\"problemi_totali\": ") +
               std::to_string(problemi) + ", \"record\": " + std::to_string(record) + "}\n");
    } else {
        if (taciuti > 0)
            scrivi(testi::AltriProblemi(taciuti));
        scrivi(testi::Riepilogo(sorgente.nome(), record, problemi));
    }
    return problemi == 0 ? Riuscito : NonTrovatoOProblemi;
}

int ComandoStatistiche(const Argomenti &argomenti)
{
    ControllaPosizionali(argomenti, 0, 1);
    Sorgente sorgente(FileDaLeggere(argomenti, 0));
    Statistiche statistiche;
    legge::OsservaMassime(sorgente.file(), statistiche);
    std::string testo = testi::QuantiRecord(statistiche.m_record);
    if (statistiche.m_record > 0) {
        // A number field may hold any byte, a line break too: one record, one line.
        auto riga = [](bool piuLungo, const Statistiche::Estremo &e) {
            return testi::CorpoEstremo(
                piuLungo, e.caratteri,
                legge::SenzaControlli(e.numero, legge::Controlli::CodiciSuUnaRiga), e.record);
        };
        testo += riga(false, statistiche.m_corto);
        testo += riga(true, statistiche.m_lungo);
    }
    scrivi(testo);
    return Riuscito;
}

} // namespace massime
