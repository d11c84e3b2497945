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
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
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

const char *const IconaSvg = R"(<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">
  <circle cx="16" cy="16" r="14.5" fill="#ffd700" stroke="#806000" stroke-width="1.5"/>
  <ellipse cx="12" cy="12" rx="2" ry="3" fill="#302000"/>
  <ellipse cx="20" cy="12" rx="2" ry="3" fill="#302000"/>
  <path d="M8.5 18.5 C11 26 21 26 23.5 18.5" fill="none" stroke="#302000" stroke-width="2"
        stroke-linecap="round"/>
</svg>
)";

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
    }
    QFile svg(cartella.filePath(QStringLiteral("icona.svg")));
    if (!svg.open(QIODevice::WriteOnly) || svg.write(IconaSvg) < 0) {
        std::fprintf(stderr, "Impossibile scrivere %s\n", qPrintable(svg.fileName()));
        riuscito = false;
    }
    return riuscito ? 0 : 1;
}
