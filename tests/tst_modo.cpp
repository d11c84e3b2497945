// SPDX-License-Identifier: GPL-3.0-or-later
// Option.dat read and written: every marker and near miss, and a write that keeps what stands at
// the path, or fails and leaves the old file, on both systems.
#include "leggi/massime.h"
#include "opzioni/modo.h"
#include "parole/parole.h"
#include "sistema/argomenti.h"
#include "sistema/errorefile.h"
#include "sistema/file.h"
#include "supporto/prova.h"

#include <doctest/doctest.h>

#include <algorithm>
#include <optional>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace legge;
using namespace prova;

TEST_CASE("lettura")
{
    struct Riga {
        const char *nome;
        const char *fixture;
        std::optional<Modo> atteso;
    };
    const Riga righe[] = {
        {"giorno CR LF", "giorno.dat", ModoGiorno},
        {"casuale CR LF", "casuale.dat", ModoCasuale},
        {"senza fine riga", "casuale-senza-fine-riga.dat", ModoCasuale},
        {"LF solo resta nella riga", "casuale-lf.dat", std::nullopt},
        {"righe in più ignorate", "casuale-righe-extra.dat", ModoCasuale},
        {"CR senza LF", "giorno-cr-solo.dat", ModoGiorno},
        {"segno troncato", "casuale-troncato.dat", std::nullopt},
        {"segno allungato", "casuale-allungato.dat", std::nullopt},
        {"riga sconosciuta", "sconosciuto.dat", std::nullopt},
        {"prima riga vuota", "riga-vuota.dat", std::nullopt},
    };
    for (const auto &r : righe) {
        CAPTURE(r.nome);
        const auto percorso = datiDiProva(fs::path("opzioni") / r.fixture);
        const auto prima = leggiSeEsiste(percorso);
        REQUIRE(prima);
        CHECK(LeggiModo(percorso) == r.atteso);
        CHECK(leggiSeEsiste(percorso) == prima);
    }
}

TEST_CASE("lettura fallita")
{
    for (const std::string caso : {"file vuoto", "file mancante", "cartella al posto del file"}) {
        CAPTURE(caso);
        CartellaTemporanea dir;
        const auto percorso = dir.file("Option.dat");
        if (caso == "file vuoto")
            REQUIRE(scrivi(percorso, {}));
        else if (caso == "cartella al posto del file")
            REQUIRE(fs::create_directory(percorso));

        try {
            LeggiModo(percorso);
            FAIL_CHECK("nessun errore");
        } catch (const ErroreFile &e) {
            CHECK(e.percorso() == percorso);
            CHECK(!MotivoErrore(e).empty());
            CHECK(std::string(e.what()).find(percorso.string()) != std::string::npos);
        }
    }
}

TEST_CASE("scrittura")
{
    struct Riga {
        const char *nome;
        Modo modo;
        std::string atteso;
        bool esistente;
    };
    const Riga righe[] = {
        {"giorno, nuovo", ModoGiorno, segno(SegnoGiorno), false},
        {"casuale, nuovo", ModoCasuale, segno(SegnoCasuale), false},
        {"giorno su lungo", ModoGiorno, segno(SegnoGiorno), true},
        {"casuale su lungo", ModoCasuale, segno(SegnoCasuale), true},
    };
    for (const auto &r : righe) {
        CAPTURE(r.nome);
        CartellaTemporanea dir;
        const auto percorso = dir.file("Option.dat");
        if (r.esistente)
            REQUIRE(scrivi(percorso, std::string(4096, 'x')));

        ScriviModo(percorso, r.modo);
        CHECK(leggi(percorso) == r.atteso);
        CHECK(LeggiModo(percorso) == std::optional(r.modo));
        CHECK(voci(dir.percorso()) == SoloOpzioni);
    }
}

TEST_CASE("segni distinti")
{
    CHECK(SegnoGiorno.size() == 12u);
    CHECK(SegnoCasuale.size() == 14u);
    for (const auto s : {SegnoGiorno, SegnoCasuale}) {
        CHECK(s.find_first_of("\r\n") == std::string_view::npos);
        CHECK(std::count_if(s.begin(), s.end(), [](char c) { return (unsigned char)c > 127; }) >=
              3);
    }
}

TEST_CASE("destinazione cartella")
{
    CartellaTemporanea dir;
    REQUIRE(fs::create_directories(dir.file("Option.dat/dentro")));
    const auto percorso = dir.file("Option.dat");
    CHECK_THROWS_AS(ScriviModoPredefinito(percorso), ErroreFile);
    CHECK(fs::is_directory(percorso / "dentro"));
    CHECK(voci(dir.percorso()) == SoloOpzioni);
}

// Whoever keeps Option.dat elsewhere, linked, or shared under two names, finds it the same
// after a write: only its content changes.
TEST_CASE("scrittura: quel che sta al percorso resta")
{
    struct Riga {
        const char *nome;
        const char *collegamento; // what Option.dat points to, if it is a link
        const char *secondoNome;  // another name of the same file
        bool bersaglioEsiste;
    };
    const Riga righe[] = {
        {"collegamento relativo", "dotfiles/Option.dat", nullptr, true},
        {"collegamento a un file che non c'è ancora", "dotfiles/Option.dat", nullptr, false},
        {"collegamento a un collegamento", "ponte", nullptr, true},
        {"due nomi per lo stesso file", nullptr, "copia.dat", true},
    };
    for (const auto &r : righe) {
        for (const bool predefinito : {false, true}) {
            CAPTURE(r.nome);
            CAPTURE(predefinito);
#ifdef _WIN32
            // Symbolic links need a privilege that Windows gives few users.
            if (r.collegamento)
                continue;
#endif
            CartellaTemporanea dir;
            const auto percorso = dir.file("Option.dat");
            const auto vero = dir.file("dotfiles/Option.dat");
            REQUIRE(fs::create_directory(dir.file("dotfiles")));
            if (r.bersaglioEsiste)
                REQUIRE(scrivi(vero, Casuale));
            if (r.collegamento && std::string(r.collegamento) == "ponte")
                fs::create_symlink("dotfiles/Option.dat", dir.file("ponte"));
            if (r.collegamento)
                fs::create_symlink(r.collegamento, percorso);
            if (r.secondoNome) {
                REQUIRE(scrivi(percorso, Casuale));
                fs::create_hard_link(percorso, dir.file(r.secondoNome));
            }

            // The recovery writes the default, the menu the other mode.
            if (predefinito)
                ScriviModoPredefinito(percorso);
            else
                ScriviModo(percorso, ModoGiorno);

            CHECK(leggi(percorso) == Giorno);
            if (r.collegamento) {
                CHECK(fs::is_symlink(percorso));
                CHECK(fs::read_symlink(percorso) == r.collegamento);
                CHECK(leggi(vero) == Giorno);
                CHECK(voci(dir.file("dotfiles")) == std::vector<std::string>{"Option.dat"});
            }
            if (r.secondoNome) {
                CHECK(leggi(dir.file(r.secondoNome)) == Giorno);
#ifndef _WIN32 // mingw's std::filesystem counts one link on every file
                CHECK(fs::hard_link_count(percorso) == 2u);
#endif
            }
        }
    }
}

// A folder named in letters that no single code page holds. Every name must reach the system
// as it was written: on Windows, a path that went through the ANSI code page names another
// file, or none.
TEST_CASE("cartella con un nome non ASCII")
{
    CartellaTemporanea dir;
    const std::string nome = "città ☃ Ελλάδα";
    const auto cartella = dir.percorso() / PercorsoUtf8(nome);
    REQUIRE(fs::create_directory(cartella));
    const auto opzioni = cartella / "Option.dat";
    ScriviModo(opzioni, ModoCasuale);
    CHECK(LeggiModo(opzioni) == std::optional(ModoCasuale));
    const auto massime = cartella / "Massime.dat";
    CHECK(!CercaLegge(massime, 1).trovata); // created empty, where it belongs
    REQUIRE(scrivi(massime, codifica("/001 Prima\r\nlegge/")));
    CHECK(CercaLegge(massime, 1).titolo == std::optional<std::string>("Prima"));
    CHECK(voci(cartella) == std::vector<std::string>{"Massime.dat", "Option.dat"});
    CHECK(voci(dir.percorso()) == std::vector<std::string>{nome});

    // The message names the folder in UTF-8, as the user wrote it.
    REQUIRE(fs::create_directory(cartella / "Sotto"));
    try {
        LeggiModo(cartella / "Sotto");
        FAIL_CHECK("nessun errore");
    } catch (const ErroreFile &e) {
        CHECK(std::string(e.what()).find(nome) != std::string::npos);
    }
}

#ifdef _WIN32

// ---- Windows ----

// Option.dat as other programs hold or mark it. Explorer, an editor or an antivirus keep a
// file open sharing everything: the write must get through (Wine then refuses the replace
// itself, so the file is written in place). A handle that shares no writing, the read-only
// attribute and a device name make it fail, and what stands there stays as it was.
TEST_CASE("Option.dat tenuto aperto o protetto")
{
    constexpr DWORD Tutto = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    struct Riga {
        std::string nome;
        std::string caso;
        DWORD condivisione; // of the other handle
        bool riesce;
    };
    const Riga righe[] = {
        {"aperto da un altro, che condivide tutto", "aperto", Tutto, true},
        {"aperto da un altro, che non lo lascia cancellare", "aperto",
         FILE_SHARE_READ | FILE_SHARE_WRITE, true},
        {"aperto da un altro, che non lo lascia scrivere", "aperto", FILE_SHARE_READ, false},
        {"sola lettura", "sola lettura", 0, false},
        {"nascosto: resta nascosto", "nascosto", 0, true},
        {"due nomi: entrambi vedono il nuovo segno", "due nomi", 0, true},
        {"NUL, il dispositivo", "NUL", 0, false},
    };
    for (const auto &r : righe) {
        CAPTURE(r.nome);
        CartellaTemporanea dir;
        const auto file = dir.file(r.caso == "NUL" ? "NUL" : "Option.dat");
        const std::string vecchio = Giorno + "seconda riga\r\n";
        std::vector<std::string> attese = SoloOpzioni;
        if (r.caso != "NUL")
            REQUIRE(scrivi(file, vecchio));
        else
            attese.clear();
        HANDLE altro = INVALID_HANDLE_VALUE;
        if (r.caso == "aperto") {
            altro = ::CreateFileW(file.c_str(), GENERIC_READ, r.condivisione, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            REQUIRE(altro != INVALID_HANDLE_VALUE);
        } else if (r.caso == "sola lettura" || r.caso == "nascosto") {
            REQUIRE(::SetFileAttributesW(file.c_str(), r.caso == "nascosto"
                                                           ? FILE_ATTRIBUTE_HIDDEN
                                                           : FILE_ATTRIBUTE_READONLY));
        } else if (r.caso == "due nomi") {
            fs::create_hard_link(file, dir.file("Copia.dat"));
            attese.insert(attese.begin(), "Copia.dat");
        }
        const DWORD attributiPrima = ::GetFileAttributesW(file.c_str());

        try {
            ScriviModo(file, ModoCasuale);
            CHECK_MESSAGE(r.riesce, "nessun errore");
            CHECK(leggi(file) == Casuale);
        } catch (const ErroreFile &e) {
            CHECK_MESSAGE(!r.riesce, e.what());
            CHECK(e.percorso() == file);
            CHECK(!MotivoErrore(e).empty());
            if (r.caso != "NUL")
                CHECK(leggi(file) == vecchio);
        }
        if (altro != INVALID_HANDLE_VALUE)
            ::CloseHandle(altro);
        if (r.caso == "due nomi")
            CHECK(leggi(dir.file("Copia.dat")) == Casuale);
        if (r.caso == "sola lettura" || r.caso == "nascosto")
            CHECK(::GetFileAttributesW(file.c_str()) == attributiPrima);
        CHECK(voci(dir.percorso()) == attese);
    }
}

#endif

// ---- POSIX ----

#ifndef _WIN32

// A full disk is simulated with a file-size limit of zero in a child process: every write
// then fails with EFBIG, which root cannot override.
TEST_CASE("disco pieno lascia il vecchio file")
{
    CartellaTemporanea dir;
    const auto percorso = dir.file("Option.dat");
    const std::string vecchio = segno(SegnoGiorno) + "seconda riga\r\n";
    REQUIRE(scrivi(percorso, vecchio));

    const pid_t figlio = fork();
    REQUIRE(figlio >= 0);
    if (figlio == 0) {
        if (!limitaFile(0))
            _exit(2);
        try {
            ScriviModo(percorso, ModoCasuale);
        } catch (const ErroreFile &) {
            _exit(0);
        }
        _exit(1);
    }
    int stato = 0;
    REQUIRE(waitpid(figlio, &stato, 0) == figlio);
    REQUIRE(WIFEXITED(stato));
    CHECK(WEXITSTATUS(stato) == 0); // the failure reached the caller
    CHECK(leggi(percorso) == vecchio);
    CHECK(voci(dir.percorso()) == SoloOpzioni);
}

// Whatever the old file allowed, its owner can read and write the new one: a mode of 000
// kept would make every later start fail again on the file the recovery just wrote.
TEST_CASE("scrittura: permessi, proprietario e gruppo restano")
{
    struct Riga {
        mode_t prima;
        mode_t dopo;
        bool dueNomi; // rewritten in place
    };
    const Riga righe[] = {
        {0640, 0640, false}, {0000, 0600, false}, {0444, 0644, false},
        {0200, 0600, false}, {0604, 0604, true},  {0000, 0600, true},
    };
    // Root may hand the file to anyone; others can only keep what it has. Only root opens a
    // file of mode 000 in place.
    const bool root = ::geteuid() == 0;
    for (const auto &r : righe) {
        CAPTURE(r.prima);
        CAPTURE(r.dueNomi);
        if (r.dueNomi && r.prima == 0 && !root)
            continue;
        CartellaTemporanea dir;
        const auto percorso = dir.file("Option.dat");
        REQUIRE(scrivi(percorso, Casuale));
        if (r.dueNomi)
            fs::create_hard_link(percorso, dir.file("Copia.dat"));
        const uid_t utente = root ? 1 : ::geteuid();
        const gid_t gruppo = root ? 1 : ::getegid();
        REQUIRE(::chown(percorso.c_str(), utente, gruppo) == 0);
        REQUIRE(cambiaPermessi(percorso, r.prima));

        ScriviModo(percorso, ModoGiorno);
        struct stat st {};
        REQUIRE(::stat(percorso.c_str(), &st) == 0);
        CHECK((st.st_mode & 07777) == r.dopo);
        CHECK(st.st_uid == utente);
        CHECK(st.st_gid == gruppo);
        CHECK(st.st_nlink == (r.dueNomi ? 2u : 1u));
        CHECK(leggi(percorso) == Giorno);
        if (r.dueNomi)
            CHECK(leggi(dir.file("Copia.dat")) == Giorno);
    }
}

TEST_CASE("scrittura: ciò che non è un file resta com'è")
{
    struct Riga {
        const char *nome;
        const char *motivo;
    };
    const Riga righe[] = {
        {"FIFO", "è una FIFO"},
        {"dispositivo", "è un dispositivo"},
        {"collegamento a una cartella", "è una cartella"},
    };
    for (const auto &r : righe) {
        CAPTURE(r.nome);
        CartellaTemporanea dir;
        const auto percorso = dir.file("Option.dat");
        const std::string nome = r.nome;
        if (nome == "FIFO") {
            REQUIRE(creaFifo(percorso));
        } else if (nome == "dispositivo") {
            // The same device as /dev/null; only root may make one.
            if (::mknod(percorso.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
                continue;
        } else {
            REQUIRE(fs::create_directory(dir.file("cartella")));
            fs::create_symlink("cartella", percorso);
        }
        const auto tipo = fs::symlink_status(percorso).type();

        try {
            ScriviModo(percorso, ModoCasuale);
            FAIL_CHECK("nessun errore");
        } catch (const ErroreFile &e) {
            CHECK(e.percorso() == percorso);
            CHECK(MotivoErrore(e).find(r.motivo) != std::string::npos);
        }
        CHECK(fs::symlink_status(percorso).type() == tipo);
        CHECK(voci(dir.percorso()).size() == (nome == "collegamento a una cartella" ? 2u : 1u));
    }
}

#endif
