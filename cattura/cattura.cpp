// SPDX-License-Identifier: GPL-3.0-or-later
// Takes the pictures of the window shown in the README: the program started in a
// temporary directory holding a sample law for every day, or with --scuro the same window
// under a dark theme. scripts/screenshot runs it on Xvfb with a window manager, whose title
// bar is where the law's title shows.
//
//   build/cattura/cattura docs/screenshot.png
//   build/cattura/cattura --scuro docs/screenshot-scuro.png
//   build/cattura/cattura docs/screenshot-windows.png build-windows/leggealgiorno.exe
//
// A program given after the file is started instead of this build's; a Windows one (*.exe)
// runs under Wine.

// Qt first: Xlib defines macros (Status, CursorShape) that clash with Qt's headers.
#include <QImage>

#include "cattura/finestrax11.h"
#include "cattura/leggiprova.h"

#include <X11/Xutil.h>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <thread>
#include <unistd.h>

int main(int argc, char **argv)
{
    Display *display = XOpenDisplay(nullptr);
    const bool scuro = argc >= 2 && std::strcmp(argv[1], "--scuro") == 0;
    const int primo = scuro ? 2 : 1;
    if (!display || argc < primo + 1 || argc > primo + 2) {
        std::fprintf(stderr, "Uso, con uno schermo X: %s [--scuro] FILE.png [PROGRAMMA]\n",
                     argv[0]);
        return 2;
    }
    const char *file = argv[primo];
    const std::string programma =
        argc > primo + 1 ? argv[primo + 1] : (scuro ? FINESTRASCURA : LEGGEALGIORNO);
    char modello[] = "/tmp/cattura-XXXXXX";
    const char *cartella = mkdtemp(modello);
    if (!cartella || !ScriviMassimeDiProva(cartella, 1)) {
        std::fprintf(stderr, "Impossibile preparare la cartella di prova\n");
        return 2;
    }
    const Avviato avviato = AvviaEAttendi(display, Comando(programma), cartella, 30000);
    int esito = 1;
    if (avviato.pid > 0) {
        // Give it time to paint.
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
        // With a window manager the picture includes its frame and title bar.
        Window finestra = avviato.finestra;
        for (;;) {
            Window radice = 0, genitore = 0, *figli = nullptr;
            unsigned int quanti = 0;
            if (!XQueryTree(display, finestra, &radice, &genitore, &figli, &quanti))
                break;
            if (figli)
                XFree(figli);
            if (genitore == radice || genitore == 0)
                break;
            finestra = genitore;
        }
        XWindowAttributes attributi;
        XGetWindowAttributes(display, finestra, &attributi);
        XImage *x = XGetImage(display, finestra, 0, 0, unsigned(attributi.width),
                              unsigned(attributi.height), AllPlanes, ZPixmap);
        if (x && x->bits_per_pixel == 32) {
            const QImage immagine(reinterpret_cast<const uchar *>(x->data), x->width, x->height,
                                  x->bytes_per_line, QImage::Format_RGB32);
            if (immagine.save(QString::fromLocal8Bit(file), "PNG"))
                esito = 0;
        }
        if (x)
            XDestroyImage(x);
        Termina(avviato.pid);
    }
    if (esito != 0)
        std::fprintf(stderr, "Cattura non riuscita\n");
    std::filesystem::remove_all(cartella);
    XCloseDisplay(display);
    return esito;
}
