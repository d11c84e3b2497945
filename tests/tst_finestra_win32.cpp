// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows window, driven from outside as the desktop would: leggealgiorno.exe starts in a
// folder of its own, its windows are found by its process id and read through the system's
// calls, and it gets the messages that a menu click or a key sends. Needs a screen (under
// Wine: Xvfb).

#include "finestra/disposizione.h"
#include "leggi/giorno.h"
#include "sistema/orologio.h"
#include "supporto/prova.h"
#include "win32/form1win32.h"

#include <doctest/doctest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>

namespace {

using namespace prova;
using legge::Form1Win32;

// Windows created by another process take their time, more so under Wine.
constexpr auto Attesa = std::chrono::seconds(30);

bool AttendiChe(const std::function<bool()> &condizione)
{
    const auto limite = std::chrono::steady_clock::now() + Attesa;
    while (!condizione()) {
        if (std::chrono::steady_clock::now() > limite)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

std::wstring Classe(HWND hwnd)
{
    wchar_t nome[64] = {};
    GetClassNameW(hwnd, nome, 64);
    return nome;
}

std::wstring Testo(HWND hwnd)
{
    std::wstring testo(std::size_t(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    testo.resize(std::size_t(GetWindowTextW(hwnd, testo.data(), int(testo.size()))));
    return testo;
}

// leggealgiorno.exe running in `cartella`; ended at the end of the test if still running.
class Programma {
public:
    Programma(const fs::path &cartella, const std::vector<std::string> &argomenti = {})
    {
        std::vector<std::string> riga{LEGGEALGIORNO};
        riga.insert(riga.end(), argomenti.begin(), argomenti.end());
        std::wstring comando = rigaDiComando(riga);
        STARTUPINFOW avvio{};
        avvio.cb = sizeof avvio;
        const std::wstring eseguibile = utf16(LEGGEALGIORNO);
        REQUIRE(CreateProcessW(eseguibile.c_str(), comando.data(), nullptr, nullptr, FALSE, 0,
                               nullptr, cartella.c_str(), &avvio, &m_processo));
        CloseHandle(m_processo.hThread);
    }
    ~Programma()
    {
        if (WaitForSingleObject(m_processo.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(m_processo.hProcess, 99);
        CloseHandle(m_processo.hProcess);
    }
    Programma(const Programma &) = delete;
    Programma &operator=(const Programma &) = delete;

    // The first visible top-level window of this process with that class; null when none
    // comes.
    HWND finestra(const std::wstring &classe) const
    {
        struct Ricerca {
            DWORD pid;
            const std::wstring &classe;
            HWND trovata = nullptr;
        } ricerca{m_processo.dwProcessId, classe};
        AttendiChe([&] {
            EnumWindows(
                [](HWND hwnd, LPARAM l) -> BOOL {
                    auto &r = *reinterpret_cast<Ricerca *>(l);
                    DWORD pid = 0;
                    GetWindowThreadProcessId(hwnd, &pid);
                    if (pid == r.pid && IsWindowVisible(hwnd) && Classe(hwnd) == r.classe) {
                        r.trovata = hwnd;
                        return FALSE;
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&ricerca));
            return ricerca.trovata != nullptr || !inCorso();
        });
        return ricerca.trovata;
    }
    HWND form1() const { return finestra(L"Form1"); }

    // The text of a message box of this process, and the box closed with its button.
    std::wstring chiudiMessaggio() const
    {
        HWND box = finestra(L"#32770");
        if (!box)
            return {};
        std::wstring testo;
        EnumChildWindows(
            box,
            [](HWND figlio, LPARAM l) -> BOOL {
                *reinterpret_cast<std::wstring *>(l) += Testo(figlio) + L"\n";
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&testo));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return testo;
    }

    bool inCorso() const { return WaitForSingleObject(m_processo.hProcess, 0) == WAIT_TIMEOUT; }

    // The exit status, or -1 when the program does not end in time.
    int esito() const
    {
        if (WaitForSingleObject(m_processo.hProcess, 30000) != WAIT_OBJECT_0)
            return -1;
        DWORD codice = 0;
        GetExitCodeProcess(m_processo.hProcess, &codice);
        return int(codice);
    }

private:
    PROCESS_INFORMATION m_processo{};
};

// Every number a law can have.
const std::vector<int> Numeri = [] {
    std::vector<int> numeri;
    for (int numero = 1; numero <= 366; ++numero)
        numeri.push_back(numero);
    numeri.push_back(legge::NumeroVentinoveFebbraio);
    return numeri;
}();

// A collection where every number holds the same law, its title ending in its number.
void ScriviRaccolta(const fs::path &cartella, const std::string &titolo, const std::string &corpo)
{
    std::string testo;
    for (const int numero : Numeri) {
        char campo[8];
        std::snprintf(campo, sizeof campo, "/%03d ", numero);
        testo.append(campo).append(titolo).append(" ").append(std::to_string(numero));
        testo.append("\r\n").append(corpo);
    }
    testo += '/';
    REQUIRE(scrivi(cartella / "Massime.dat", codifica(testo)));
}

std::string Righe(int quante)
{
    std::string testo;
    for (int i = 1; i <= quante; ++i)
        testo += "Riga " + std::to_string(i) + " della legge.\r\n";
    return testo;
}

RECT Rettangolo(HWND hwnd)
{
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

struct Menu {
    HMENU opzioni = nullptr;
    UINT stato(UINT posizione) const { return GetMenuState(opzioni, posizione, MF_BYPOSITION); }
    // The positions of the checked items.
    std::vector<UINT> segnate() const
    {
        std::vector<UINT> elenco;
        for (UINT i = 0; i < UINT(GetMenuItemCount(opzioni)); ++i) {
            if (stato(i) & MF_CHECKED)
                elenco.push_back(i);
        }
        return elenco;
    }
    std::wstring voce(UINT posizione) const
    {
        wchar_t testo[64] = {};
        GetMenuStringW(opzioni, posizione, testo, 64, MF_BYPOSITION);
        return testo;
    }
};

Menu MenuOpzioni(HWND form1)
{
    return {GetSubMenu(GetMenu(form1), 0)};
}

} // namespace

TEST_CASE("prima esecuzione: la legge di oggi, sopra le altre; il menu salva la modalità scelta")
{
    CartellaTemporanea cartella;
    ScriviRaccolta(cartella.percorso(), "Legge della prova", "Il testo & la sua <fine>.");
    const legge::MomentoLocale oggi = legge::OraLocale();
    const std::wstring titolo =
        L"Legge della prova " +
        std::to_wstring(legge::NumeroDelGiorno({oggi.anno, oggi.mese, oggi.giorno}));
    Programma programma(cartella.percorso());
    HWND form1 = programma.form1();
    REQUIRE(form1);

    CHECK(Testo(form1) == L"  " + titolo);
    HWND label1 = FindWindowExW(form1, nullptr, L"Label1", nullptr);
    REQUIRE(label1);
    CHECK(Testo(label1) == L"\nIl testo & la sua <fine>.");
    CHECK(leggi(cartella.file("Option.dat")) == Giorno);

    const LONG stile = GetWindowLongW(form1, GWL_STYLE);
    const LONG esteso = GetWindowLongW(form1, GWL_EXSTYLE);
    CHECK((esteso & WS_EX_TOPMOST) != 0);
    CHECK((esteso & WS_EX_TOOLWINDOW) != 0);
    CHECK((stile & WS_SYSMENU) != 0);
    CHECK((stile & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME)) == 0);
    // Esc and Ctrl+C must work without a click first.
    CHECK(AttendiChe([&] { return GetForegroundWindow() == form1; }));

    // The keys reach the browsing (its order is tested below the window) and the label's
    // text, which screen readers read, follows.
    PostMessageW(form1, WM_KEYDOWN, VK_RIGHT, 0);
    CHECK(AttendiChe([&] { return Testo(form1) != L"  " + titolo; }));
    CHECK(Testo(label1) == L"\nIl testo & la sua <fine>.");
    PostMessageW(form1, WM_KEYDOWN, VK_LEFT, 0);
    CHECK(AttendiChe([&] { return Testo(form1) == L"  " + titolo; }));
    PostMessageW(form1, WM_KEYDOWN, VK_LEFT, 0);
    CHECK(AttendiChe([&] { return Testo(form1) != L"  " + titolo; }));
    PostMessageW(form1, WM_KEYDOWN, VK_HOME, 0);
    CHECK(AttendiChe([&] { return Testo(form1) == L"  " + titolo; }));

    PostMessageW(form1, WM_COMMAND, Form1Win32::IdPrimoModo + 1, 0);
    CHECK(AttendiChe([&] { return leggi(cartella.file("Option.dat")) == Casuale; }));
    // The law on screen stays until the next start.
    CHECK(Testo(form1) == L"  " + titolo);
    CHECK(Testo(label1) == L"\nIl testo & la sua <fine>.");

    PostMessageW(form1, WM_COMMAND, Form1Win32::IdCopia, 0);
    std::wstring copiato;
    CHECK(AttendiChe([&] {
        if (!OpenClipboard(nullptr))
            return false;
        if (HANDLE dati = GetClipboardData(CF_UNICODETEXT)) {
            copiato = static_cast<const wchar_t *>(GlobalLock(dati));
            GlobalUnlock(dati);
        }
        CloseClipboard();
        return !copiato.empty();
    }));
    CHECK(copiato == titolo + L"\r\nIl testo & la sua <fine>.");

    PostMessageW(form1, WM_CLOSE, 0, 0);
    CHECK(programma.esito() == 0);
}

// The menus of another process cannot be read under Wine, so the menu is checked on a
// window made in this process, with this program's copy of the resources.
TEST_CASE("il menu Opzioni: sei voci, le due modalità con il segno, la nota come testo")
{
    CartellaTemporanea cartella;
    legge::Form1Win32 form1(GetModuleHandleW(nullptr), cartella.percorso());
    wchar_t barra[32] = {};
    GetMenuStringW(GetMenu(form1.hwnd()), 0, barra, 32, MF_BYPOSITION);
    // Alt+O opens it.
    CHECK(std::wstring(barra) == L"&Opzioni");
    const Menu menu = MenuOpzioni(form1.hwnd());
    const std::wstring voci[] = {L"Una Legge al Giorno",       L"Legge Casuale",
                                 L"-------------------------", L"Le modifiche avranno",
                                 L"effetto alla prossima",     L"esecuzione."};
    REQUIRE(GetMenuItemCount(menu.opzioni) == 6);
    for (UINT i = 0; i < 6; ++i) {
        CAPTURE(i);
        CHECK(menu.voce(i) == voci[i]);
        CHECK((menu.stato(i) & MF_SEPARATOR) == 0);
        CHECK(((menu.stato(i) & MF_GRAYED) != 0) == (i >= 2));
    }
    CHECK(menu.segnate() == std::vector<UINT>{0});
    form1.finestra().ImpostaModo(legge::ModoCasuale);
    CHECK(menu.segnate() == std::vector<UINT>{1});
    form1.finestra().ImpostaModo(legge::ModoGiorno);
    CHECK(menu.segnate() == std::vector<UINT>{0});
}

TEST_CASE("i segni del menu mostrano il file quando si apre; un clic salva se il file dice "
          "altro")
{
    struct Caso {
        const char *nome;
        std::optional<std::string> file; // Option.dat before, when there is one
        legge::Modo modo;                // the window's, read at start
        UINT segnataAllApertura;
        int clic;
        std::optional<std::string> fileDopo;
        UINT segnataDopo;
    };
    // Which marks and which writes is decided below the window (tst_finestra); these rows
    // show that the menu's opening and its items reach that decision.
    const Caso casi[] = {
        {"un'altra finestra ha scelto il giorno", Giorno, legge::ModoCasuale, 0, 1, Giorno, 0},
        {"file mancante", std::nullopt, legge::ModoGiorno, 0, 2, Casuale, 1},
    };
    for (const Caso &caso : casi) {
        CAPTURE(caso.nome);
        CartellaTemporanea cartella;
        if (caso.file)
            REQUIRE(scrivi(cartella.file("Option.dat"), *caso.file));
        legge::Form1Win32 form1(GetModuleHandleW(nullptr), cartella.percorso());
        form1.finestra().ImpostaModo(caso.modo);
        const Menu menu = MenuOpzioni(form1.hwnd());
        SendMessageW(form1.hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu.opzioni), 0);
        CHECK(menu.segnate() == std::vector<UINT>{caso.segnataAllApertura});
        SendMessageW(form1.hwnd(), WM_COMMAND, WPARAM(caso.clic), 0);
        CHECK(leggiSeEsiste(cartella.file("Option.dat")) == caso.fileDopo);
        CHECK(menu.segnate() == std::vector<UINT>{caso.segnataDopo});
    }
}

TEST_CASE("una scrittura fallita dal menu è detta all'utente e la finestra resta")
{
    CartellaTemporanea cartella;
    ScriviRaccolta(cartella.percorso(), "Legge", "Testo.");
    Programma programma(cartella.percorso());
    HWND form1 = programma.form1();
    REQUIRE(form1);
    // A directory where Option.dat should be: nobody can write it, not even an administrator.
    fs::remove(cartella.file("Option.dat"));
    fs::create_directory(cartella.file("Option.dat"));

    PostMessageW(form1, WM_COMMAND, Form1Win32::IdPrimoModo + 1, 0);
    const std::wstring messaggio = programma.chiudiMessaggio();
    CHECK(messaggio.find(L"Impossibile salvare la modalità scelta") != std::wstring::npos);
    CHECK(messaggio.find(L"Option.dat") != std::wstring::npos);
    CHECK(programma.inCorso());
    // The keys reach the window again without a click.
    CHECK(AttendiChe([&] { return GetForegroundWindow() == form1; }));
    CHECK((MenuOpzioni(form1).stato(0) & MF_CHECKED) != 0);
    CHECK(fs::is_directory(cartella.file("Option.dat")));

    PostMessageW(form1, WM_CLOSE, 0, 0);
    CHECK(programma.esito() == 0);
}

TEST_CASE("un avvio fallito due volte è detto all'utente e non mostra la finestra")
{
    CartellaTemporanea cartella;
    fs::create_directory(cartella.file("Massime.dat"));
    Programma programma(cartella.percorso());
    const std::wstring messaggio = programma.chiudiMessaggio();
    CHECK(messaggio.find(L"Impossibile mostrare la legge") != std::wstring::npos);
    CHECK(messaggio.find(L"Massime.dat") != std::wstring::npos);
    CHECK(programma.esito() == 1);
    // The recovery pass wrote the default mode before failing again.
    CHECK(leggi(cartella.file("Option.dat")) == Giorno);
}

TEST_CASE("la riga di comando: aiuto, versione e rifiuti, e nessun file toccato")
{
    struct Caso {
        std::vector<std::string> argomenti;
        const wchar_t *messaggio;
        int esito;
    };
    const Caso casi[] = {
        {{"--help"}, L"--cartella-utente", 0},
        {{"--version"}, L"Una Legge al Giorno 1.", 0},
        {{"--boh"}, L"argomento non riconosciuto «--boh»", 2},
        {{"città", "altro"}, L"argomento non riconosciuto «città»", 2},
        {{"--cartella-utente", "altro"}, L"argomento non riconosciuto «--cartella-utente»", 2},
    };
    for (const Caso &caso : casi) {
        CAPTURE(caso.argomenti.front());
        CartellaTemporanea cartella;
        Programma programma(cartella.percorso(), caso.argomenti);
        CHECK(programma.chiudiMessaggio().find(caso.messaggio) != std::wstring::npos);
        CHECK(programma.esito() == caso.esito);
        CHECK(voci(cartella.percorso()).empty());
    }
}

TEST_CASE("l'altezza segue la legge: etichetta + 1150 twip, banner 50 twip sotto, tutta dentro "
          "lo schermo")
{
    struct Caso {
        const char *nome;
        std::string corpo;
        std::optional<bool> scorre; // twenty lines fill a small screen at 200 %
    };
    const Caso casi[] = {
        {"una riga", "Breve.", false},
        {"venti righe", Righe(20), std::nullopt},
        {"una parola più larga della riga", std::string(400, 'x'), false},
        {"più alta dello schermo", Righe(200), true},
    };
    int altezzaUnaRiga = 0;
    for (const Caso &caso : casi) {
        CAPTURE(caso.nome);
        CartellaTemporanea cartella;
        ScriviRaccolta(cartella.percorso(), "Legge", caso.corpo);
        Programma programma(cartella.percorso());
        HWND form1 = programma.form1();
        REQUIRE(form1);
        HWND label1 = FindWindowExW(form1, nullptr, L"Label1", nullptr);
        HWND image1 = FindWindowExW(form1, nullptr, L"Image1", nullptr);
        REQUIRE(label1);
        REQUIRE(image1);

        const int dpi = int(GetDpiForWindow(form1));
        if (const char *atteso = std::getenv("LEGGE_DPI_ATTESO"))
            CHECK(dpi == std::atoi(atteso));
        const auto pixel = [dpi](int twip) { return MulDiv(twip, dpi, legge::TwipPerPollice); };
        const RECT finestra = Rettangolo(form1);
        const RECT label = Rettangolo(label1);
        const RECT banner = Rettangolo(image1);
        RECT area{};
        GetClientRect(form1, &area);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(form1, MONITOR_DEFAULTTOPRIMARY), &monitor);
        // Only a screen narrower than the window takes width from it, and from the text alike.
        const int tolto = pixel(legge::AreaLarghezza) - area.right;
        CHECK(tolto >= 0);
        CHECK((tolto == 0 ||
               finestra.right - finestra.left == monitor.rcWork.right - monitor.rcWork.left));
        CHECK(label.right - label.left == pixel(legge::Label1Larghezza) - tolto);
        CHECK(finestra.left >= monitor.rcWork.left);
        CHECK(finestra.right <= monitor.rcWork.right);
        // The banner narrows with the window, keeping its proportions, and its strip runs
        // down to the window's bottom edge.
        const int bannerPieno = pixel(legge::Image1Larghezza);
        const int bannerLarghezza = bannerPieno - tolto;
        const int bannerAltezza =
            (pixel(legge::Image1Altezza) * bannerLarghezza + bannerPieno / 2) / bannerPieno;
        CHECK(banner.right - banner.left == bannerLarghezza);
        POINT fondo{0, area.bottom};
        ClientToScreen(form1, &fondo);
        CHECK(banner.bottom == fondo.y);
        CHECK(banner.bottom - banner.top >= bannerAltezza);
        // Label + 1150 twips, or more where the caption and the menu leave less than the
        // text and the whole banner need.
        const int attorno = (finestra.bottom - finestra.top) - area.bottom;
        CHECK(finestra.bottom - finestra.top ==
              std::max(label.bottom - label.top + pixel(legge::MargineVerticale),
                       label.bottom - label.top + attorno + pixel(legge::DistanzaBanner) +
                           bannerAltezza));
        CHECK(banner.top - label.bottom == pixel(legge::DistanzaBanner));
        CHECK(finestra.top >= monitor.rcWork.top);
        CHECK(finestra.bottom <= monitor.rcWork.bottom);
        const bool scorre = (GetWindowLongW(label1, GWL_STYLE) & WS_VSCROLL) != 0;
        CHECK(scorre == caso.scorre.value_or(scorre));

        // The body starts with a line break: one line of text is two lines high.
        const int altezza = label.bottom - label.top;
        if (altezzaUnaRiga == 0)
            altezzaUnaRiga = altezza;
        else if (!scorre)
            CHECK(altezza > altezzaUnaRiga); // the long word wraps instead of being cut
        PostMessageW(form1, WM_CLOSE, 0, 0);
        CHECK(programma.esito() == 0);
    }
}
