// SPDX-License-Identifier: GPL-3.0-or-later
// Starts the window the way the program does, in the current directory, but never shows
// it: a message box would wait for ever for a click that no test can give. Prints what the
// user would see instead.
//   success: "mostrata", the caption, the mode, NumeroGiorno, then the label's text to the
//            end of the output (UTF-8); exit status 0
//   failure: "errore", then the message's text; exit status 1
#include "finestra/avvia.h"
#include "finestra/casuale.h"
#include "qt/form1.h"

#include <QApplication>
#include <QLabel>

#include <cstdio>
#include <cstring>
#include <optional>

using namespace legge;

namespace {

// A clock stopped at the given date and time, or the local one.
class OrologioDiProva : public Orologio {
public:
    std::optional<Data> data;
    std::optional<float> secondi;
    Data oggi() const override { return data ? *data : m_sistema.oggi(); }
    float secondiDallaMezzanotte() const override
    {
        return secondi ? *secondi : m_sistema.secondiDallaMezzanotte();
    }

private:
    OrologioDiSistema m_sistema;
};

void stampa(const QString &testo)
{
    const QByteArray utf8 = testo.toUtf8();
    std::fwrite(utf8.constData(), 1, std::size_t(utf8.size()), stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    OrologioDiProva orologio;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--data") == 0) {
            Data d{};
            if (std::sscanf(argv[i + 1], "%d-%d-%d", &d.anno, &d.mese, &d.giorno) != 3)
                return 2;
            orologio.data = d;
        } else if (std::strcmp(argv[i], "--secondi") == 0) {
            orologio.secondi = std::strtof(argv[i + 1], nullptr);
        } else {
            std::fputs("uso: aiutofinestra [--data AAAA-MM-GG] [--secondi S]\n", stderr);
            return 2;
        }
    }

    const auto cartella = CartellaDiLavoro();
    Form1 form1(cartella);
    GeneratoreCasuale casuale;
    if (const auto errore = Avvia(form1.finestra(), cartella, orologio, casuale)) {
        stampa(QStringLiteral("errore\n") + QString::fromStdString(*errore));
        return 1;
    }
    const auto *label1 = form1.findChild<QLabel *>(QStringLiteral("Label1"));
    stampa(QStringLiteral("mostrata\n%1\n%2\n%3\n%4")
               .arg(form1.windowTitle(),
                    form1.finestra().modo() == ModoCasuale ? QStringLiteral("casuale")
                                                           : QStringLiteral("giorno"),
                    QString::number(form1.finestra().numeroGiorno().value_or(0)),
                    label1 ? label1->text() : QStringLiteral("<manca Label1>")));
    return 0;
}
