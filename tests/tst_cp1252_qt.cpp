// SPDX-License-Identifier: GPL-3.0-or-later
// The project's Windows-1252 table held against Qt's own decoder; the rest of the
// conversion is tested without Qt in tst_cp1252.
#include "leggi/cp1252.h"

#include <QStringDecoder>
#include <QTest>

using namespace legge;

class TestCp1252Qt : public QObject {
    Q_OBJECT

private slots:
    void ogniByte();
};

// Qt on Debian decodes windows-1252 through ICU, which is the reference for the undefined
// bytes too: every single byte must come out the same.
void TestCp1252Qt::ogniByte()
{
    QStringDecoder riferimento("windows-1252");
    QVERIFY(riferimento.isValid());
    for (int b = 0; b < 256; ++b) {
        const char byte = char(b);
        const QString atteso = riferimento.decode(QByteArray(1, byte));
        const std::string utf8 = Cp1252InUtf8(std::string_view(&byte, 1));
        QCOMPARE(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())), atteso);
        QCOMPARE(char32_t(atteso.at(0).unicode()), CarattereCp1252(static_cast<unsigned char>(b)));
    }
}

QTEST_GUILESS_MAIN(TestCp1252Qt)
#include "tst_cp1252_qt.moc"
