#pragma once

// Small file helpers shared by the tests.

#include "laws/massime.h"
#include "settings/modo.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <string_view>
#include <sys/stat.h>

namespace prova {

inline QByteArray ba(std::string_view s)
{
    return QByteArray(s.data(), qsizetype(s.size()));
}

// What Option.dat holds after each of the two writes.
inline const QByteArray Giorno = ba(legge::SegnoGiorno) + "\r\n";
inline const QByteArray Casuale = ba(legge::SegnoCasuale) + "\r\n";

inline QByteArray leggi(const QString &percorso, const QByteArray &seManca = {})
{
    QFile f(percorso);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : seManca;
}

inline bool scrivi(const QString &percorso, const QByteArray &dati)
{
    QFile f(percorso);
    return f.open(QIODevice::WriteOnly) && f.write(dati) == dati.size();
}

// Plain text to the stored, scrambled form of a law file.
inline QByteArray codifica(QByteArray testo)
{
    legge::InvertiByte(testo.data(), std::size_t(testo.size()));
    return testo;
}

inline bool cambiaPermessi(const QString &percorso, mode_t permessi)
{
    return ::chmod(QFile::encodeName(percorso).constData(), permessi) == 0;
}

// Everything in a directory, hidden files included, sorted.
inline QStringList voci(const QString &cartella)
{
    auto elenco = QDir(cartella).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                           QDir::NoDotAndDotDot);
    elenco.sort();
    return elenco;
}

} // namespace prova
