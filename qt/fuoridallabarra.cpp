// SPDX-License-Identifier: GPL-3.0-or-later
// The window's _NET_WM_STATE on X11, set the way the window manager allows at each point of
// the window's life: written before it is mapped, asked for after.
#include "qt/fuoridallabarra.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace legge {

namespace {

struct Libera {
    void operator()(void *p) const { std::free(p); }
};
template <typename T> using Risposta = std::unique_ptr<T, Libera>;

// The ICCCM state the window manager keeps on the windows it manages.
constexpr std::uint32_t StatoNormale = 1;
constexpr std::uint32_t StatoIconico = 3;
// _NET_WM_STATE client message: add the states, on behalf of an ordinary application.
constexpr std::uint32_t Aggiungi = 1;
constexpr std::uint32_t DaApplicazione = 1;

} // namespace

void TieniFuoriDallaBarra(QWindow *finestra)
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !finestra)
        return;
    xcb_connection_t *c = x11->connection();
    if (!c)
        return;
    const auto id = xcb_window_t(finestra->winId());

    const char *const nomi[] = {"_NET_WM_STATE", "_NET_WM_STATE_SKIP_TASKBAR",
                                "_NET_WM_STATE_SKIP_PAGER", "WM_STATE"};
    std::array<xcb_intern_atom_cookie_t, 4> richieste;
    for (std::size_t i = 0; i < richieste.size(); ++i)
        richieste[i] = xcb_intern_atom(c, 0, std::uint16_t(std::strlen(nomi[i])), nomi[i]);
    std::array<xcb_atom_t, 4> atomi{};
    for (std::size_t i = 0; i < richieste.size(); ++i) {
        Risposta<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(c, richieste[i], nullptr));
        if (!r)
            return;
        atomi[i] = r->atom;
    }
    const auto [netWmState, saltaBarra, saltaPager, wmState] = atomi;
    const auto attributiRichiesti = xcb_get_window_attributes(c, id);
    const auto statoRichiesto = xcb_get_property(c, 0, id, netWmState, XCB_ATOM_ATOM, 0, 1024);
    const auto wmStateRichiesto = xcb_get_property(c, 0, id, wmState, wmState, 0, 1);

    Risposta<xcb_get_window_attributes_reply_t> attributi(
        xcb_get_window_attributes_reply(c, attributiRichiesti, nullptr));
    Risposta<xcb_get_property_reply_t> stato(xcb_get_property_reply(c, statoRichiesto, nullptr));
    Risposta<xcb_get_property_reply_t> gestito(
        xcb_get_property_reply(c, wmStateRichiesto, nullptr));
    if (!attributi)
        return;
    const bool mappata = attributi->map_state != XCB_MAP_STATE_UNMAPPED;

    // Before the window is mapped the state is the client's to write; Qt adds its own
    // states to what it finds there when it maps the window.
    if (!mappata) {
        std::vector<xcb_atom_t> stati;
        if (stato && stato->type == XCB_ATOM_ATOM && stato->format == 32) {
            const auto *dati = static_cast<const xcb_atom_t *>(xcb_get_property_value(stato.get()));
            stati.assign(dati, dati + xcb_get_property_value_length(stato.get()) / 4);
        }
        for (const xcb_atom_t a : {saltaBarra, saltaPager}) {
            if (std::find(stati.begin(), stati.end(), a) == stati.end())
                stati.push_back(a);
        }
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, netWmState, XCB_ATOM_ATOM, 32,
                            std::uint32_t(stati.size()), stati.data());
    }

    // Once the window manager has the window (shown, or iconified), only it may change the
    // state, on request.
    std::uint32_t icccm = 0;
    if (gestito && gestito->format == 32 && xcb_get_property_value_length(gestito.get()) >= 4)
        icccm = *static_cast<const std::uint32_t *>(xcb_get_property_value(gestito.get()));
    if (mappata || icccm == StatoNormale || icccm == StatoIconico) {
        const xcb_screen_t *schermo = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        xcb_window_t radice = schermo ? schermo->root : XCB_NONE;
        if (Risposta<xcb_query_tree_reply_t> albero{
                xcb_query_tree_reply(c, xcb_query_tree(c, id), nullptr)})
            radice = albero->root;
        xcb_client_message_event_t messaggio{};
        messaggio.response_type = XCB_CLIENT_MESSAGE;
        messaggio.format = 32;
        messaggio.window = id;
        messaggio.type = netWmState;
        messaggio.data.data32[0] = Aggiungi;
        messaggio.data.data32[1] = saltaBarra;
        messaggio.data.data32[2] = saltaPager;
        messaggio.data.data32[3] = DaApplicazione;
        xcb_send_event(c, 0, radice,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char *>(&messaggio));
    }
    xcb_flush(c);
}

} // namespace legge
