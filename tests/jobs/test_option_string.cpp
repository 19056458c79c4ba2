#include "jobs/OptionString.h"
#include "jobs/TextNumbers.h"

#include <QLocale>
#include <QTest>

#include <clocale>

namespace {

// The eight outputs as one text, after parsing into the caller's starting
// values "", 0, False, 0, 0, 0, 0, 0 -- or the given ones.
QString parsed(const QString& text, QString pages = QString(), int compression = 0,
               bool append = false, int quality = 0, int resolution = 0)
{
    int width = 0, height = 0, layout = 0;
    ParseConversionOptionString(text, pages, compression, append, quality, resolution, width,
                                height, layout);
    return QStringList{pages, QString::number(compression), append ? "T" : "F",
                       QString::number(quality), QString::number(resolution),
                       QString::number(width), QString::number(height), QString::number(layout)}
        .join(u' ');
}

} // namespace

class TestOptionString : public QObject
{
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");

        QTest::newRow("dialog defaults") << "*^0^FALSE^75^100^0^0^0^" << "* 0 F 75 100 0 0 0";
        QTest::newRow("settings default") << "*^0^FALSE^75^100^0^0^0^^" << "* 0 F 75 100 0 0 0";
        QTest::newRow("record default") << "1" << "? 7 T 42 9 0 0 0";
        QTest::newRow("empty") << "" << "? 7 T 42 9 0 0 0";
        QTest::newRow("two fields") << "5^2" << "5 2 T 42 9 0 0 0";
        QTest::newRow("empty append, quality abc")
            << "*^0^^abc^100^0^0^1^" << "* 0 F 100 100 0 0 1";
        QTest::newRow("empty quality") << "*^0^TRUE^^100^0^0^0^" << "* 0 T 100 100 0 0 0";
        QTest::newRow("bad compression") << "*^x^FALSE^75^300^0^0^0^" << "* 7 F 75 300 0 0 0";
        QTest::newRow("append maybe") << "*^0^maybe^75^100^0^0^0^" << "* 0 T 75 100 0 0 0";
        QTest::newRow("append as a number") << "*^0^0^75^100^0^0^0^" << "* 0 F 75 100 0 0 0";
        QTest::newRow("append lower case") << "*^0^true^75^100^0^0^0^" << "* 0 T 75 100 0 0 0";
        QTest::newRow("half to even down") << "*^0^FALSE^75^150.5^0^0^0^" << "* 0 F 75 150 0 0 0";
        QTest::newRow("half to even up") << "*^0^FALSE^75^151.5^0^0^0^" << "* 0 F 75 152 0 0 0";
        QTest::newRow("blanks, sign, exponent")
            << "4,7-10^ 3 ^FALSE^ 80.4 ^1e3^-5^+2^1^" << "4,7-10 3 F 80 1000 -5 2 1";
        QTest::newRow("beyond 32 bits") << "*^0^FALSE^75^3000000000^0^0^0^" << "* 0 F 75 9 0 0 0";
        QTest::newRow("numeric quality beyond 32 bits")
            << "*^0^FALSE^1e12^100^0^0^0^" << "* 0 F 42 100 0 0 0";
        QTest::newRow("comma is no decimal point") << "*^0^FALSE^75^150,5^0^0^0^" << "* 0 F 75 9 0 0 0";
        QTest::newRow("no range checks") << "*^9^FALSE^75^100^-40^0^0^" << "* 9 F 75 100 -40 0 0";
        QTest::newRow("two signs") << "*^+-3^FALSE^75^--1^0^0^0^" << "* 7 F 75 9 0 0 0";
        QTest::newRow("infinity is not a number") << "*^inf^FALSE^nan^100^0^0^0^" << "* 7 F 100 100 0 0 0";
        QTest::newRow("command line, twenty fields")
            << "1-2^4^TRUE^90^300^640^480^1^x^^^^^^^^^^^^" << "1-2 4 T 90 300 640 480 1";
    }

    void parse()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(parsed(text, QStringLiteral("?"), 7, true, 42, 9), expected);
    }

    void buildGivesTheDialogsText()
    {
        QCOMPARE(BuildConversionOptionString(QStringLiteral("*"), 0, false, QStringLiteral("75"),
                                             100, 0, 0, 0),
                 QStringLiteral("*^0^FALSE^75^100^0^0^0^"));
        const QString text = BuildConversionOptionString(QStringLiteral("2-4"), 3, true,
                                                         QStringLiteral("60"), 1200, -1, 0, 1);
        QCOMPARE(text, QStringLiteral("2-4^3^TRUE^60^1200^-1^0^1^"));
        QCOMPARE(parsed(text), QStringLiteral("2-4 3 T 60 1200 -1 0 1"));
    }

    // The decimal point is "." whatever the user's locale says.
    void numbersIgnoreTheLocale()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const bool commaLocale = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
        int value = 0;
        QVERIFY(TextToWholeNumber(u"2.5", value));
        QCOMPARE(value, 2);
        QVERIFY(!TextToWholeNumber(u"2,5", value));
        QLocale::setDefault(QLocale::c());
        std::setlocale(LC_NUMERIC, "C");
        if (!commaLocale)
            qInfo("no comma-decimal C locale installed; checked with Qt's default locale only");
    }
};

QTEST_GUILESS_MAIN(TestOptionString)
#include "test_option_string.moc"
