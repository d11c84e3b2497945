// SPDX-License-Identifier: GPL-3.0-or-later
// The window as a task bar sees it on a real X server: kept out of the bar and the pager, above
// the others, and given the focus when shown and again when a message is closed.
#include "finestra/avvia.h"
#include "qt/form1.h"
#include "qt/messaggi.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

using namespace legge;

namespace {

struct Libera {
    void operator()(void *p) const { std::free(p); }
};
template <typename T> using Risposta = std::unique_ptr<T, Libera>;

// Reads the window the way a task bar does: on a connection of its own.
class Server {
public:
    Server() : m_c(xcb_connect(nullptr, nullptr)) {}
    ~Server() { xcb_disconnect(m_c); }
    bool aperto() const { return !xcb_connection_has_error(m_c); }

    xcb_atom_t atomo(const char *nome) const
    {
        Risposta<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(
            m_c, xcb_intern_atom(m_c, 0, std::uint16_t(std::strlen(nome)), nome), nullptr));
        return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

    QStringList stato(xcb_window_t finestra) const
    {
        Risposta<xcb_get_property_reply_t> r(xcb_get_property_reply(
            m_c, xcb_get_property(m_c, 0, finestra, atomo("_NET_WM_STATE"), XCB_ATOM_ATOM, 0, 64),
            nullptr));
        QStringList nomi;
        if (!r || r->format != 32)
            return nomi;
        const auto *atomi = static_cast<const xcb_atom_t *>(xcb_get_property_value(r.get()));
        for (int i = 0; i < xcb_get_property_value_length(r.get()) / 4; ++i) {
            Risposta<xcb_get_atom_name_reply_t> n(
                xcb_get_atom_name_reply(m_c, xcb_get_atom_name(m_c, atomi[i]), nullptr));
            if (n) {
                nomi << QString::fromLatin1(xcb_get_atom_name_name(n.get()),
                                            xcb_get_atom_name_name_length(n.get()));
            }
        }
        nomi.sort();
        return nomi;
    }

    // What a window manager does when a window is withdrawn.
    void dimenticaStato(xcb_window_t finestra) const
    {
        xcb_delete_property(m_c, finestra, atomo("_NET_WM_STATE"));
        sincronizza();
    }

private:
    void sincronizza() const
    {
        std::free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr));
    }

    xcb_connection_t *m_c;
};

} // namespace

class TestFuoriDallaBarra : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"),
                 "va eseguito su un server X, con QT_QPA_PLATFORM=xcb");
    }

    void statoDellaFinestra_data()
    {
        QTest::addColumn<bool>("riaperta");
        QTest::newRow("mostrata") << false;
        QTest::newRow("nascosta e mostrata di nuovo") << true;
    }

    void statoDellaFinestra()
    {
        QFETCH(bool, riaperta);
        Server server;
        QVERIFY(server.aperto());

        Form1 f(CartellaDiLavoro());
        f.RendiInPrimoPiano();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        if (riaperta) {
            f.hide();
            QTRY_VERIFY(!f.isVisible());
            server.dimenticaStato(xcb_window_t(f.winId()));
            f.show();
            QVERIFY(QTest::qWaitForWindowExposed(&f));
        }
        const QStringList atteso{QStringLiteral("_NET_WM_STATE_ABOVE"),
                                 QStringLiteral("_NET_WM_STATE_SKIP_PAGER"),
                                 QStringLiteral("_NET_WM_STATE_SKIP_TASKBAR")};
        const QStringList stato = server.stato(xcb_window_t(f.winId()));
        for (const QString &s : atteso)
            QVERIFY2(stato.contains(s), qPrintable(stato.join(u' ')));
    }

    // With no window manager to hand it over, the keyboard focus stays where it was unless
    // the window asks for it, like under window managers that map new windows unfocused.
    void attivataQuandoMostrata()
    {
        const QRect schermo = QGuiApplication::primaryScreen()->geometry();
        // Away from the window, so that the focus cannot follow the pointer into it.
        QCursor::setPos(schermo.bottomRight());
        Form1 f(CartellaDiLavoro());
        f.RendiInPrimoPiano();
        f.move(schermo.topLeft());
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QVERIFY(QTest::qWaitForWindowActive(&f));
    }

    // With no window manager the focus goes nowhere when the box is unmapped, as under
    // those that skip tool windows when they pick the next one.
    void attivaDopoUnMessaggio()
    {
        QCursor::setPos(QGuiApplication::primaryScreen()->geometry().bottomRight());
        Form1 f(CartellaDiLavoro());
        f.RendiInPrimoPiano();
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));

        bool chiuso = false;
        QTimer chiudi;
        connect(&chiudi, &QTimer::timeout, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeWindow())) {
                box->accept();
                chiuso = true;
            }
        });
        chiudi.start(50);
        MostraMessaggio(&f, QMessageBox::Warning, QStringLiteral("Impossibile leggere le leggi"));
        chiudi.stop();
        QVERIFY(chiuso);
        QTRY_VERIFY(f.isActiveWindow());
    }
};

QTEST_MAIN(TestFuoriDallaBarra)
#include "tst_fuoridallabarra.moc"
