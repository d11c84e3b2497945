// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the program's pictures and icon, each at 100 %, 150 % and 200 % of its size (the
// larger ones named with @1.5x and @2x, as Qt names them). Their PNGs are committed, so a
// build never runs this; run it after changing the artwork:
//
//   cmake --build build --target genera_risorse
//   QT_QPA_PLATFORM=offscreen build/resources/genera_risorse resources

#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QLinearGradient>
#include <QList>
#include <QPainter>
#include <QPainterPath>
#include <QtEndian>
#include <cstdio>

namespace {

bool salva(const QImage &immagine, const QDir &cartella, const QString &nome)
{
    const QString percorso = cartella.filePath(nome);
    if (!immagine.save(percorso, "PNG")) {
        std::fprintf(stderr, "Impossibile scrivere %s\n", qPrintable(percorso));
        return false;
    }
    return true;
}

// The scales the pictures are drawn at, with the suffix of each file.
struct Scala {
    qreal fattore;
    const char *suffisso;
};
constexpr Scala Scale[] = {{1.0, ""}, {1.5, "@1.5x"}, {2.0, "@2x"}};

// An image of `larghezza` x `altezza` units at `scala` pixels to the unit.
QImage Tela(int larghezza, int altezza, qreal scala, QImage::Format formato)
{
    return QImage(qRound(larghezza * scala), qRound(altezza * scala), formato);
}

// Bitmap 101: pale yellow at the lower left fading to white at the upper right.
QImage sfondo(qreal scala)
{
    QImage immagine = Tela(450, 450, scala, QImage::Format_RGB16);
    QPainter p(&immagine);
    p.scale(scala, scala);
    QLinearGradient g(0, 450, 450, 0);
    g.setColorAt(0, QColor(0xfb, 0xf1, 0xb8));
    g.setColorAt(1, Qt::white);
    p.fillRect(QRect(0, 0, 450, 450), g);
    return immagine;
}

// Bitmap 102: a blue strip with one line of credits. It is shown stretched to 417 x 33,
// so the text is drawn a little narrow to come out right.
QImage banner(qreal scala)
{
    QImage immagine = Tela(450, 30, scala, QImage::Format_RGB888);
    QPainter p(&immagine);
    p.scale(scala, scala);
    const QRect riquadro(0, 0, 450, 30);
    QLinearGradient g(0, 0, 450, 0);
    g.setColorAt(0, QColor(0x10, 0x2a, 0x6b));
    g.setColorAt(1, QColor(0x5a, 0x9b, 0xe0));
    p.fillRect(riquadro, g);
    QFont carattere(QStringLiteral("DejaVu Sans"));
    carattere.setPixelSize(13);
    carattere.setItalic(true);
    p.setFont(carattere);
    p.setPen(Qt::white);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.drawText(riquadro.adjusted(10, 0, -10, 0), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("Una Legge al Giorno \u2014 una massima per ogni giorno"));
    return immagine;
}

// The smiley, drawn on a 32-unit square so that the PNG and the SVG agree.
void disegnaFaccina(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x80, 0x60, 0x00), 1.5));
    p.setBrush(QColor(0xff, 0xd7, 0x00));
    p.drawEllipse(QRectF(1.5, 1.5, 29, 29));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x30, 0x20, 0x00));
    p.drawEllipse(QRectF(10, 9, 4, 6));
    p.drawEllipse(QRectF(18, 9, 4, 6));
    QPainterPath bocca;
    bocca.moveTo(8.5, 18.5);
    bocca.cubicTo(11, 26, 21, 26, 23.5, 18.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x30, 0x20, 0x00), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(bocca);
}

QImage icona(qreal scala)
{
    QImage immagine = Tela(32, 32, scala, QImage::Format_ARGB32);
    immagine.fill(Qt::transparent);
    QPainter p(&immagine);
    p.scale(scala, scala);
    disegnaFaccina(p);
    p.end();
    // A 16-colour palette, like the icon it stands in for; transparency survives in it.
    return immagine.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither)
        .convertToFormat(QImage::Format_ARGB32);
}

// The installer's welcome and finish pages: the background's gradient with the smiley, at
// the 164 x 314 pixels NSIS asks for.
QImage pannello()
{
    QImage immagine(164, 314, QImage::Format_RGB888);
    QPainter p(&immagine);
    QLinearGradient g(0, 314, 164, 0);
    g.setColorAt(0, QColor(0xfb, 0xf1, 0xb8));
    g.setColorAt(1, Qt::white);
    p.fillRect(immagine.rect(), g);
    p.translate(34, 60);
    p.scale(3, 3);
    disegnaFaccina(p);
    return immagine;
}

const char *const IconaSvg = R"(<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">
  <circle cx="16" cy="16" r="14.5" fill="#ffd700" stroke="#806000" stroke-width="1.5"/>
  <ellipse cx="12" cy="12" rx="2" ry="3" fill="#302000"/>
  <ellipse cx="20" cy="12" rx="2" ry="3" fill="#302000"/>
  <path d="M8.5 18.5 C11 26 21 26 23.5 18.5" fill="none" stroke="#302000" stroke-width="2"
        stroke-linecap="round"/>
</svg>
)";

// The Windows program embeds its pictures as BMP and its icon as ICO; both are written here
// from the same drawings, so that the two editions look alike.

void aggiungi16(QByteArray &dati, quint16 valore)
{
    const quint16 le = qToLittleEndian(valore);
    dati.append(reinterpret_cast<const char *>(&le), 2);
}

void aggiungi32(QByteArray &dati, quint32 valore)
{
    const quint32 le = qToLittleEndian(valore);
    dati.append(reinterpret_cast<const char *>(&le), 4);
}

// BITMAPINFOHEADER; the height is doubled in an icon, which has its mask below the colours.
void intestazioneDib(QByteArray &dati, int larghezza, int altezza, int bit, quint32 compressione,
                     quint32 byteImmagine, quint32 colori)
{
    aggiungi32(dati, 40);
    aggiungi32(dati, quint32(larghezza));
    aggiungi32(dati, quint32(altezza));
    aggiungi16(dati, 1);
    aggiungi16(dati, quint16(bit));
    aggiungi32(dati, compressione);
    aggiungi32(dati, byteImmagine);
    aggiungi32(dati, 3780); // 96 dots per inch
    aggiungi32(dati, 3780);
    aggiungi32(dati, colori);
    aggiungi32(dati, 0);
}

// A picture of few colours (the background's gradient has a few dozen in 16-bit colour)
// is stored with a palette and run-length encoded, which keeps the program small; any
// other as plain 24-bit rows.
QByteArray dib(const QImage &origine)
{
    const QImage immagine = origine.convertToFormat(QImage::Format_RGB32);
    const int larghezza = immagine.width(), altezza = immagine.height();
    QList<QRgb> tavolozza;
    QHash<QRgb, int> indici;
    for (int y = 0; y < altezza && tavolozza.size() <= 256; ++y) {
        const auto *riga = reinterpret_cast<const QRgb *>(immagine.constScanLine(y));
        for (int x = 0; x < larghezza; ++x) {
            if (!indici.contains(riga[x])) {
                indici.insert(riga[x], int(tavolozza.size()));
                tavolozza.append(riga[x]);
            }
        }
    }
    QByteArray pixel;
    QByteArray dati;
    if (tavolozza.size() <= 256) {
        for (int y = altezza - 1; y >= 0; --y) { // bottom row first
            const auto *riga = reinterpret_cast<const QRgb *>(immagine.constScanLine(y));
            for (int x = 0; x < larghezza;) {
                int corsa = 1;
                while (x + corsa < larghezza && corsa < 255 && riga[x + corsa] == riga[x])
                    ++corsa;
                pixel.append(char(corsa));
                pixel.append(char(indici.value(riga[x])));
                x += corsa;
            }
            pixel.append('\0');
            pixel.append(y == 0 ? '\1' : '\0'); // end of the picture, or of the line
        }
        intestazioneDib(dati, larghezza, altezza, 8, 1 /* BI_RLE8 */, quint32(pixel.size()),
                        quint32(tavolozza.size()));
        for (const QRgb colore : tavolozza)
            aggiungi32(dati, colore & 0xffffff);
    } else {
        for (int y = altezza - 1; y >= 0; --y) {
            const auto *riga = reinterpret_cast<const QRgb *>(immagine.constScanLine(y));
            for (int x = 0; x < larghezza; ++x) {
                pixel.append(char(qBlue(riga[x])));
                pixel.append(char(qGreen(riga[x])));
                pixel.append(char(qRed(riga[x])));
            }
            while (pixel.size() % 4)
                pixel.append('\0');
        }
        intestazioneDib(dati, larghezza, altezza, 24, 0 /* BI_RGB */, quint32(pixel.size()), 0);
    }
    return dati + pixel;
}

bool scrivi(const QByteArray &dati, const QDir &cartella, const QString &nome)
{
    QFile file(cartella.filePath(nome));
    if (!file.open(QIODevice::WriteOnly) || file.write(dati) != dati.size()) {
        std::fprintf(stderr, "Impossibile scrivere %s\n", qPrintable(file.fileName()));
        return false;
    }
    return true;
}

bool salvaBmp(const QImage &immagine, const QDir &cartella, const QString &nome)
{
    const QByteArray corpo = dib(immagine);
    QByteArray dati("BM");
    aggiungi32(dati, quint32(14 + corpo.size()));
    aggiungi32(dati, 0);
    // The pixels follow the header and the palette.
    const quint32 colori = qFromLittleEndian<quint32>(corpo.constData() + 32);
    aggiungi32(dati, 14 + 40 + colori * 4);
    return scrivi(dati + corpo, cartella, nome);
}

// Each size as 32-bit colour with alpha, plus the 1-bit mask that old readers want.
bool salvaIco(const QList<QImage> &immagini, const QDir &cartella, const QString &nome)
{
    QByteArray intestazione;
    aggiungi16(intestazione, 0);
    aggiungi16(intestazione, 1);
    aggiungi16(intestazione, quint16(immagini.size()));
    QByteArray corpi;
    for (const QImage &origine : immagini) {
        const QImage immagine = origine.convertToFormat(QImage::Format_ARGB32);
        const int lato = immagine.width();
        QByteArray corpo;
        const int byteMaschera = (lato + 31) / 32 * 4 * lato;
        intestazioneDib(corpo, lato, lato * 2, 32, 0, quint32(lato * lato * 4 + byteMaschera), 0);
        QByteArray maschera(byteMaschera, '\0');
        for (int y = lato - 1; y >= 0; --y) {
            const auto *riga = reinterpret_cast<const QRgb *>(immagine.constScanLine(y));
            for (int x = 0; x < lato; ++x) {
                aggiungi32(corpo, riga[x]);
                if (qAlpha(riga[x]) == 0)
                    maschera[(lato - 1 - y) * ((lato + 31) / 32 * 4) + x / 8] |=
                        char(0x80 >> (x % 8));
            }
        }
        corpo += maschera;
        intestazione.append(char(lato < 256 ? lato : 0));
        intestazione.append(char(lato < 256 ? lato : 0));
        intestazione.append('\0');
        intestazione.append('\0');
        aggiungi16(intestazione, 1);
        aggiungi16(intestazione, 32);
        aggiungi32(intestazione, quint32(corpo.size()));
        aggiungi32(intestazione, quint32(6 + 16 * immagini.size() + corpi.size()));
        corpi += corpo;
    }
    return scrivi(intestazione + corpi, cartella, nome);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "Uso: %s CARTELLA\n", argv[0]);
        return 2;
    }
    const QDir cartella(QString::fromLocal8Bit(argv[1]));
    bool riuscito = true;
    for (const Scala &scala : Scale) {
        const auto nome = [&](const char *base) {
            return QString::fromLatin1(base) + QString::fromLatin1(scala.suffisso) +
                   QStringLiteral(".png");
        };
        riuscito = salva(sfondo(scala.fattore), cartella, nome("sfondo")) && riuscito;
        riuscito = salva(banner(scala.fattore), cartella, nome("banner")) && riuscito;
        riuscito = salva(icona(scala.fattore), cartella, nome("icona")) && riuscito;
        const auto bmp = [&](const char *base) {
            return QString::fromLatin1(base) + QString::fromLatin1(scala.suffisso) +
                   QStringLiteral(".bmp");
        };
        riuscito = salvaBmp(sfondo(scala.fattore), cartella, bmp("sfondo")) && riuscito;
        riuscito = salvaBmp(banner(scala.fattore), cartella, bmp("banner")) && riuscito;
    }
    riuscito = salvaBmp(pannello(), cartella, QStringLiteral("pannello.bmp")) && riuscito;
    // Windows picks the icon's size from the one file: 16 to 64 pixels cover the small and
    // the large icon from 100 % to 200 %.
    riuscito = salvaIco({icona(0.5), icona(0.75), icona(1), icona(1.5), icona(2)}, cartella,
                        QStringLiteral("icona.ico")) &&
               riuscito;
    QFile svg(cartella.filePath(QStringLiteral("icona.svg")));
    if (!svg.open(QIODevice::WriteOnly) || svg.write(IconaSvg) < 0) {
        std::fprintf(stderr, "Impossibile scrivere %s\n", qPrintable(svg.fileName()));
        riuscito = false;
    }
    return riuscito ? 0 : 1;
}
