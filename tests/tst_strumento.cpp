// Runs the built `massime` tool as a user would, and holds its answers against the core.

#include "laws/cp1252.h"
#include "laws/massime.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Esito {
    int codice = -1;
    QByteArray uscita;
    QByteArray errori;
};

Esito massime(const QStringList &argomenti, const QByteArray &ingresso = {})
{
    QProcess processo;
    processo.start(QStringLiteral(MASSIME), argomenti);
    if (!processo.waitForStarted())
        return {};
    processo.write(ingresso);
    processo.closeWriteChannel();
    if (!processo.waitForFinished(60000) || processo.exitStatus() != QProcess::NormalExit)
        return {};
    return {processo.exitCode(), processo.readAllStandardOutput(), processo.readAllStandardError()};
}

QByteArray invertito(QByteArray dati)
{
    legge::InvertiByte(dati.data(), std::size_t(dati.size()));
    return dati;
}

bool scrivi(const QString &percorso, const QByteArray &dati)
{
    QFile f(percorso);
    return f.open(QIODevice::WriteOnly) && f.write(dati) == dati.size();
}

QByteArray leggi(const QString &percorso)
{
    QFile f(percorso);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<illeggibile>");
}

QString utf8(const std::string &cp1252)
{
    return QString::fromStdString(legge::Cp1252InUtf8(cp1252));
}

// A law file meant to trip up the lookup: numbers in odd forms, repeats, records with no
// line break or no capital, CR LF and LF mixed, and every byte value in the texts.
QByteArray fileCasuale(quint32 seme)
{
    QRandomGenerator caso(seme);
    static const char *const numeri[] = {"001", "002", "  3", "004", "+05",  "5.0", "006",
                                         "007", "abc", "500", "008", "\n09", "010", "\r011"};
    QByteArray testo = caso.bounded(2) ? QByteArray("intestazione ") : QByteArray();
    for (int r = 0, n = 20 + caso.bounded(20); r < n; ++r) {
        testo += '/';
        testo += numeri[caso.bounded(int(std::size(numeri)))];
        for (int i = 0, l = caso.bounded(40); i < l; ++i) {
            char c = char(caso.bounded(256));
            if (c == '/')
                c = 'A' + char(caso.bounded(26));
            testo += c;
        }
        if (caso.bounded(4))
            testo += caso.bounded(2) ? "\r\n" : "\n";
        testo += "Corpo " + QByteArray::number(r) + '.';
    }
    if (caso.bounded(2))
        testo += "/";
    return invertito(testo);
}

} // namespace

class TestStrumento : public QObject {
    Q_OBJECT

private slots:
    void numero_data();
    void numero();
    void mostraComeLaRicerca_data();
    void mostraComeLaRicerca();
    void andataERitorno_data();
    void andataERitorno();
    void raccolta();
    void verifica_data();
    void verifica();
    void statistiche();
    void erroriSenzaScrivere_data();
    void erroriSenzaScrivere();
    void uso_data();
    void uso();
};

void TestStrumento::numero_data()
{
    QTest::addColumn<QString>("data");
    QTest::addColumn<int>("codice");
    QTest::addColumn<QByteArray>("uscita");
    QTest::newRow("29 febbraio") << "2024-02-29" << 0 << QByteArray("500\n");
    QTest::newRow("1 marzo bisestile") << "2024-03-01" << 0 << QByteArray("61\n");
    QTest::newRow("1 marzo comune") << "2023-03-01" << 0 << QByteArray("60\n");
    QTest::newRow("31 dicembre bisestile") << "2024-12-31" << 0 << QByteArray("366\n");
    QTest::newRow("29 febbraio di un anno comune") << "2023-02-29" << 2 << QByteArray();
    QTest::newRow("mese 13") << "2024-13-01" << 2 << QByteArray();
    QTest::newRow("senza zeri") << "2024-3-1" << 2 << QByteArray();
    QTest::newRow("parola") << "ieri" << 2 << QByteArray();
}

void TestStrumento::numero()
{
    QFETCH(QString, data);
    QFETCH(int, codice);
    QFETCH(QByteArray, uscita);
    const Esito esito = massime({"numero", data});
    QCOMPARE(esito.codice, codice);
    QCOMPARE(esito.uscita, uscita);
    QCOMPARE(esito.errori.isEmpty(), codice == 0);
}

void TestStrumento::mostraComeLaRicerca_data()
{
    QTest::addColumn<quint32>("seme");
    for (const quint32 seme : {1u, 2u, 3u, 4u})
        QTest::addRow("seme %u", seme) << seme;
}

void TestStrumento::mostraComeLaRicerca()
{
    QFETCH(quint32, seme);
    QTemporaryDir cartella;
    const QString file = cartella.filePath("Massime.dat");
    QVERIFY(scrivi(file, fileCasuale(seme)));
    for (const int numero : {1, 2, 3, 5, 7, 9, 11, 12, 500}) {
        const legge::Legge attesa = legge::CercaLegge(file.toStdString(), numero);
        const QString n = QString::number(numero);

        const Esito json = massime({"mostra", "--json", n, file});
        QCOMPARE(json.codice, attesa.trovata ? 0 : 1);
        QJsonParseError errore;
        const QJsonObject oggetto = QJsonDocument::fromJson(json.uscita, &errore).object();
        QVERIFY2(errore.error == QJsonParseError::NoError, json.uscita.constData());
        QCOMPARE(oggetto.value("numero").toInt(), numero);
        QCOMPARE(oggetto.value("trovata").toBool(), attesa.trovata);
        QCOMPARE(oggetto.value("titolo").isNull(), !attesa.titolo.has_value());
        QCOMPARE(oggetto.value("titolo").toString(), utf8(attesa.titolo.value_or("")));
        QCOMPARE(oggetto.value("corpo").toString(), utf8(attesa.corpo));

        const Esito testo = massime({"mostra", n, file});
        QCOMPARE(testo.codice, json.codice);
        if (attesa.trovata) {
            QByteArray atteso = QByteArray::fromStdString(
                legge::Cp1252InUtf8(attesa.titolo.value_or("") + attesa.corpo));
            if (!atteso.endsWith('\n'))
                atteso += '\n';
            QCOMPARE(testo.uscita, atteso);
        } else {
            QVERIFY(testo.uscita.isEmpty());
            QVERIFY(testo.errori.contains(file.toUtf8()));
        }
    }
}

void TestStrumento::andataERitorno_data()
{
    QTest::addColumn<QByteArray>("chiaro"); // unscrambled Windows-1252, CR LF line breaks

    QByteArray ogniByte;
    for (int b = 0; b < 256; ++b) {
        if (b != '\n')
            ogniByte += char(b);
        if (b % 32 == 31)
            ogniByte += "\r\n";
    }
    QTest::newRow("ogni byte") << ogniByte;
    QTest::newRow("vuoto") << QByteArray();
    QTest::newRow("CR CR LF") << QByteArray("/001 A\r\r\nB/");
    QTest::newRow("CR finale") << QByteArray("/001 A\r\nB/\r");
    // Blocks are read 256 KiB at a time: a CR LF split between two of them is one break.
    QByteArray confine(256 * 1024 - 1, 'x');
    QTest::newRow("CR LF a cavallo di due blocchi") << confine + "\r\nfine";
    QTest::newRow("CR solo a fine blocco") << confine + "\rfine";
}

void TestStrumento::andataERitorno()
{
    QFETCH(QByteArray, chiaro);
    QTemporaryDir cartella;
    const QString originale = cartella.filePath("originale.dat");
    const QString copia = cartella.filePath("copia.dat");
    QVERIFY(scrivi(originale, invertito(chiaro)));

    const Esito grezzo = massime({"decodifica", "--grezzo", originale});
    QCOMPARE(grezzo.codice, 0);
    QCOMPARE(grezzo.uscita, chiaro);

    const Esito testo = massime({"decodifica", originale});
    QCOMPARE(testo.codice, 0);
    const QByteArray righeLf = QByteArray(chiaro).replace("\r\n", "\n");
    QCOMPARE(testo.uscita, QByteArray::fromStdString(legge::Cp1252InUtf8(righeLf.toStdString())));
    const Esito codifica = massime({"codifica", "-o", copia}, testo.uscita);
    QCOMPARE(codifica.codice, 0);
    QCOMPARE(leggi(copia), leggi(originale));
}

void TestStrumento::raccolta()
{
    const Esito verifica = massime({"verifica", RACCOLTA_DAT});
    QCOMPARE(verifica.codice, 0);
    QVERIFY(verifica.uscita.contains(" 367 record, nessun problema\n"));

    const Esito testo = massime({"decodifica", RACCOLTA_DAT});
    QCOMPARE(testo.codice, 0);
    QCOMPARE(testo.uscita, leggi(RACCOLTA_TXT));

    const Esito legge = massime({"mostra", "500", RACCOLTA_DAT});
    QCOMPARE(legge.codice, 0);
    QVERIFY(legge.uscita.startsWith("Legge del giorno bisestile\n"));
}

void TestStrumento::verifica_data()
{
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<QJsonValue>("record");
    QTest::addColumn<QJsonValue>("posizione");
    QTest::addColumn<QJsonValue>("numero");
    // Positions in data/massime/difettoso.dat, one record per kind of problem.
    QTest::newRow("numero ripetuto")
        << "numero-ripetuto" << QJsonValue(2) << QJsonValue(27) << QJsonValue("001");
    QTest::newRow("fuori intervallo")
        << "numero-fuori-intervallo" << QJsonValue(3) << QJsonValue(56) << QJsonValue("400");
    QTest::newRow("campo numero") << "campo-numero" << QJsonValue(4) << QJsonValue(76)
                                  << QJsonValue(" 2 ");
    QTest::newRow("senza titolo") << "senza-titolo" << QJsonValue(5) << QJsonValue(101)
                                  << QJsonValue("003");
    QTest::newRow("titolo minuscolo")
        << "titolo-senza-maiuscola" << QJsonValue(6) << QJsonValue(118) << QJsonValue("004");
    QTest::newRow("corpo vuoto") << "corpo-vuoto" << QJsonValue(7) << QJsonValue(149)
                                 << QJsonValue("005");
    QTest::newRow("byte indefinito")
        << "byte-indefinito" << QJsonValue(8) << QJsonValue(172) << QJsonValue(QJsonValue::Null);
    QTest::newRow("testo dopo l'ultima barra")
        << "testo-dopo-ultima-barra" << QJsonValue(QJsonValue::Null) << QJsonValue(191)
        << QJsonValue(QJsonValue::Null);
    QTest::newRow("numero mancante") << "numero-mancante" << QJsonValue(QJsonValue::Null)
                                     << QJsonValue(QJsonValue::Null) << QJsonValue("007");
}

void TestStrumento::verifica()
{
    QFETCH(QString, tipo);
    QFETCH(QJsonValue, record);
    QFETCH(QJsonValue, posizione);
    QFETCH(QJsonValue, numero);
    const QString file = QFINDTESTDATA("data/massime/difettoso.dat");
    QVERIFY(!file.isEmpty());

    const Esito json = massime({"verifica", "--json", file});
    QCOMPARE(json.codice, 1);
    const QJsonArray problemi = QJsonDocument::fromJson(json.uscita).object()["problemi"].toArray();
    QList<QJsonObject> diQuestoTipo;
    for (const QJsonValue &p : problemi) {
        if (p["tipo"] == tipo)
            diQuestoTipo.append(p.toObject());
    }
    QVERIFY(!diQuestoTipo.isEmpty());
    if (tipo != "numero-mancante")
        QCOMPARE(diQuestoTipo.size(), 1);
    QCOMPARE(diQuestoTipo[0]["record"], record);
    QCOMPARE(diQuestoTipo[0]["posizione"], posizione);
    QCOMPARE(diQuestoTipo[0]["numero"], numero);

    // The same problem, on a line of its own, in the text for people.
    const Esito testo = massime({"verifica", file});
    QCOMPARE(testo.codice, 1);
    const QByteArray riga = diQuestoTipo[0]["messaggio"].toString().toUtf8() + '\n';
    QByteArray attesa;
    if (!record.isNull())
        attesa += "record " + QByteArray::number(record.toInt()) + ", ";
    if (!posizione.isNull())
        attesa += "byte " + QByteArray::number(posizione.toInt()) + ": ";
    QVERIFY2(('\n' + testo.uscita).contains('\n' + attesa + riga),
             testo.uscita.left(2000).constData());
    QVERIFY(testo.uscita.endsWith(": 8 record, " + QByteArray::number(problemi.size()) +
                                  " problemi\n"));
}

void TestStrumento::statistiche()
{
    QTemporaryDir cartella;
    const QString file = cartella.filePath("Massime.dat");
    QVERIFY(scrivi(file,
                   invertito("/001 Uno\r\nTre parole qui.\r\n/002 Due\r\nCorto\r\n"
                             "/003 Tre\r\nLungo pi\xF9 di tutti.\r\n/004 Quattro\r\nCorto\r\n/")));
    const Esito esito = massime({"statistiche", file});
    QCOMPARE(esito.codice, 0);
    QCOMPARE(esito.uscita, QByteArray("record: 4\n"
                                      "corpo più corto: 5 caratteri, legge «002» (record 2)\n"
                                      "corpo più lungo: 19 caratteri, legge «003» (record 3)\n"));
}

void TestStrumento::erroriSenzaScrivere_data()
{
    QTest::addColumn<QStringList>("argomenti"); // "@" stands for the temporary directory
    QTest::addColumn<QByteArray>("ingresso");
    QTest::addColumn<QString>("bersaglio"); // a file that must be left as it was
    QTest::addColumn<QByteArray>("messaggio");

    for (const char *comando : {"mostra", "decodifica", "verifica", "statistiche"}) {
        QStringList argomenti{comando, "@/Massime.dat"};
        if (QByteArray(comando) == "mostra")
            argomenti.insert(1, "1");
        QTest::addRow("%s: file mancante", comando)
            << argomenti << QByteArray() << "Massime.dat" << QByteArray("/Massime.dat:");
        argomenti.last() = "@/cartella";
        QTest::addRow("%s: una cartella al posto del file", comando)
            << argomenti << QByteArray() << "cartella" << QByteArray("/cartella:");
    }
    QTest::newRow("codifica: carattere che Windows-1252 non ha")
        << QStringList{"codifica", "-o", "@/esistente.dat"}
        << QByteArray("/001 Legge\nCaffè \xe2\x80\x94 e \xc4\x81!\n/") << "esistente.dat"
        << QByteArray("riga 2, colonna 11: il carattere «\xc4\x81» (U+0101)");
    QTest::newRow("codifica: UTF-8 non valido")
        << QStringList{"codifica", "-o", "@/nuovo.dat"} << QByteArray("/001 A\nb\xe8/")
        << "nuovo.dat" << QByteArray("riga 2, colonna 2: il testo non è UTF-8 valido");
    QTest::newRow("codifica: testo mancante")
        << QStringList{"codifica", "@/manca.txt", "-o", "@/nuovo.dat"} << QByteArray()
        << "nuovo.dat" << QByteArray("/manca.txt:");
    QTest::newRow("codifica: una cartella come uscita")
        << QStringList{"codifica", "-o", "@/cartella"} << QByteArray("/001 A\nb\n/") << "cartella"
        << QByteArray("/cartella:");
    QTest::newRow("codifica senza -o") << QStringList{"codifica"} << QByteArray("/001 A\nb\n/")
                                       << "nuovo.dat" << QByteArray("-o FILE");
}

void TestStrumento::erroriSenzaScrivere()
{
    QFETCH(QStringList, argomenti);
    QFETCH(QByteArray, ingresso);
    QFETCH(QString, bersaglio);
    QFETCH(QByteArray, messaggio);
    QTemporaryDir cartella;
    QVERIFY(QDir(cartella.path()).mkdir("cartella"));
    QVERIFY(scrivi(cartella.filePath("esistente.dat"), invertito("/001 Vecchia\r\nlegge\r\n/")));
    const QByteArray prima = leggi(cartella.filePath("esistente.dat"));
    argomenti.replaceInStrings(QRegularExpression("^@"), cartella.path());

    const Esito esito = massime(argomenti, ingresso);
    QCOMPARE(esito.codice, 2);
    QVERIFY2(esito.errori.contains(messaggio), esito.errori.constData());
    QVERIFY(esito.uscita.isEmpty());
    QCOMPARE(leggi(cartella.filePath("esistente.dat")), prima);
    if (bersaglio == "cartella")
        QVERIFY(QFileInfo(cartella.filePath("cartella")).isDir());
    else if (bersaglio != "esistente.dat")
        QVERIFY(!QFile::exists(cartella.filePath(bersaglio)));
    QCOMPARE(QDir(cartella.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList({"cartella", "esistente.dat"}));
    QVERIFY(QDir(cartella.filePath("cartella")).isEmpty());
}

void TestStrumento::uso_data()
{
    QTest::addColumn<QStringList>("argomenti");
    QTest::addColumn<int>("codice");
    QTest::addColumn<QByteArray>("uscita");
    QTest::newRow("aiuto") << QStringList{"--help"} << 0 << QByteArray("statistiche [FILE]");
    QTest::newRow("aiuto di un comando")
        << QStringList{"mostra", "--help"} << 0 << QByteArray("Uso: massime mostra [--json]");
    QTest::newRow("nessun comando") << QStringList{} << 2 << QByteArray();
    QTest::newRow("comando sconosciuto") << QStringList{"cerca"} << 2 << QByteArray();
    QTest::newRow("opzione di un altro comando")
        << QStringList{"mostra", "--grezzo", "1"} << 2 << QByteArray();
    QTest::newRow("numero di legge zero") << QStringList{"mostra", "0"} << 2 << QByteArray();
    QTest::newRow("numero di legge con lettere")
        << QStringList{"mostra", "1a"} << 2 << QByteArray();
    QTest::newRow("argomento di troppo")
        << QStringList{"verifica", "a.dat", "b.dat"} << 2 << QByteArray();
}

void TestStrumento::uso()
{
    QFETCH(QStringList, argomenti);
    QFETCH(int, codice);
    QFETCH(QByteArray, uscita);
    const Esito esito = massime(argomenti);
    QCOMPARE(esito.codice, codice);
    QVERIFY(esito.uscita.contains(uscita));
    QCOMPARE(esito.errori.isEmpty(), codice == 0);
}

QTEST_GUILESS_MAIN(TestStrumento)
#include "tst_strumento.moc"
