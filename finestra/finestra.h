// SPDX-License-Identifier: GPL-3.0-or-later
// The window both front-ends share, as the views see it: what a toolkit must draw and measure
// for it, and what its keys and menu ask of it.
#pragma once

#include "finestra/disposizione.h"
#include "finestra/formload.h"
#include "leggi/massime.h"

#include <bitset>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace legge {

// What the window's behaviour asks of a toolkit's window: it builds, measures, draws and
// reports, and decides nothing. Texts are UTF-8 and always plain text.
class Vista {
public:
    virtual ~Vista() = default;
    // Keeps the window above all others without moving or resizing it.
    virtual void RendiInPrimoPiano() = 0;
    virtual void MostraModo(Modo modo) = 0;
    // Both pictures, at the scale the window is shown at.
    virtual void MostraImmagini() = 0;
    // `didascalia` is the caption, absent to leave it as it is; `titolo` and `testo` are
    // what a screen reader says.
    virtual void MostraTesto(const std::optional<std::string> &didascalia,
                             const std::string &titolo, const std::string &testo) = 0;
    virtual MisureFinestra Misure() const = 0;
    // The label's text wrapped at `larghezza`, in the same pixels.
    virtual int AltezzaTesto(int larghezza) const = 0;
    virtual void Applica(const Disposizione &disposizione) = 0;
    // Tells the user something went wrong; the program goes on.
    virtual void Avvisa(const std::string &testo) = 0;
};

enum class Direzione { Avanti, Indietro };

// The program's one window as both front-ends behave: which law it shows, the mode its
// menu stores, what it copies. Option.dat and Massime.dat are looked up in `cartella`.
class Finestra : public FinestraAvvio {
public:
    Finestra(Vista &vista, std::filesystem::path cartella);

    void RendiInPrimoPiano() override;
    Modo modo() const override { return m_modo; }
    void ImpostaModo(Modo modo) override;
    // Sets the pictures, then, when law `numeroGiorno` is found, its caption and text and the
    // height that fits them. Throws ErroreFile when the law file cannot be read; the window
    // then keeps what it showed.
    void MostraLegge(int numeroGiorno) override;
    void UsaCasuale(SorgenteCasuale &casuale) override { m_casuale = &casuale; }

    // Right and Left keys. In the day mode the next or previous law by number, 1 to 59, 500,
    // 60 to 366, round again, skipping the numbers the file lacks; in the random mode, forward
    // through the laws drawn in this run and then a new draw, or back through them. The mode
    // is the one the start-up used. A law that cannot be shown leaves the window as it is, a
    // file that cannot be read is told to the user; nothing is written.
    void Sfoglia(Direzione direzione);
    // Home key: the law the start-up showed.
    void TornaAllInizio();

    // The user chose `scelto` in the menu: stored for the next start. Returns the mode in
    // force, which a failed write leaves as it was.
    Modo Casuale_Click(Modo scelto);
    // The menu is about to open: its marks follow the stored mode.
    void ApriMenu();
    // The screen or the window's frame changed: the law is fitted again.
    void Ridisponi();

    // NumeroGiorno: the number last asked for.
    std::optional<int> numeroGiorno() const { return m_numeroGiorno; }
    bool leggeMostrata() const { return m_leggeMostrata; }
    // Title and text as shown, for the clipboard; empty when no law is shown.
    std::string TestoDaCopiare() const;

private:
    // Slots in browsing order, one for each number a law can have.
    using Presenti = std::bitset<367>;

    bool mostra(int numero, SeManca seManca);
    const Presenti &presenti();
    void sfogliaInOrdine(Direzione direzione);
    void sfogliaACaso(Direzione direzione);
    void mostraEstratta(std::size_t posizione);

    Vista &m_vista;
    std::filesystem::path m_cartella;
    Modo m_modo = ModoGiorno;
    std::optional<int> m_numeroGiorno;
    bool m_leggeMostrata = false;
    std::string m_titolo;
    std::string m_testo;

    SorgenteCasuale *m_casuale = nullptr;
    std::optional<int> m_inizio; // the number the start-up asked for
    Modo m_modoInizio = ModoGiorno;
    std::optional<int> m_numeroMostrato;
    // Read from the file at the first key that needs it; forgotten when the file turns out
    // to have changed.
    std::optional<Presenti> m_presenti;
    std::vector<int> m_estratte; // the random mode's laws shown in this run, oldest first
    std::size_t m_posizione = 0; // which of them is on screen
};

} // namespace legge
