#include "core/FileTypes.h"

#include <QTest>

class TestFileTypes : public QObject
{
    Q_OBJECT
private slots:
    void tables_data()
    {
        QTest::addColumn<int>("selector");
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("wildcard");
        QTest::addColumn<QString>("expected");

        const auto row = [](const char* name, int selector, int type, bool wildcard,
                            const char* expected) {
            QTest::newRow(name) << selector << type << wildcard << QString::fromLatin1(expected);
        };
        // Image and PDF outputs answer lower case.
        row("image jpg", 3, 1, false, "jpg");
        row("image wmf", 3, 11, false, "wmf");
        row("image tif wildcard", 3, 3, true, "*.tif");
        row("image pdf", 3, 12, false, "pdf");
        row("image pdf/a", 3, 14, false, "pdf");
        row("image all", 3, -1, false, "*");
        row("image all wildcard", 3, -1, true, "*.*");
        row("image docx is no output", 3, 13, false, "");
        row("image docx wildcard", 3, 13, true, "*.");
        // Text-control tables answer upper case.
        row("tx output 7 is text", 2, 7, false, "TXT");
        row("tx input 7 is nothing", 4, 7, false, "");
        row("tx output 2", 2, 2, false, "TXT");
        row("tx input 6", 4, 6, false, "TXT");
        row("tx input 4", 4, 4, false, "HTM");
        row("tx input 13", 4, 13, false, "DOCX");
        row("tx input 14", 4, 14, false, "PDF");
        row("tx input 9", 4, 9, false, "DOC");
        row("tx output 9", 2, 9, false, "DOC");
        row("tx input 3", 4, 3, false, "");
        row("tx input 8", 2, 8, false, "");
        row("tx input -1 wildcard", 4, -1, true, "*.");
        row("tx output css wildcard", 2, 11, true, "*.CSS");
        // Word save formats: keyed by Word's own numbers.
        row("word 2", 1, 2, false, "TXT");
        row("word 9", 1, 9, false, "MHT");
        row("word 17", 1, 17, false, "PDF");
        row("word 16", 1, 16, false, "*");
        row("word 101", 1, 101, true, "*.ASC");
        row("word 1", 1, 1, false, "");
        row("word 14 wildcard", 1, 14, true, "");
        row("word 15 wildcard", 1, 15, true, "");
        // Selectors outside the four tables.
        row("selector 0", 0, 1, false, "");
        row("selector 5 wildcard", 5, 1, true, "");
    }

    void tables()
    {
        QFETCH(int, selector);
        QFETCH(int, type);
        QFETCH(bool, wildcard);
        QFETCH(QString, expected);
        QCOMPARE(GetFileTypeExtension(type, wildcard, selector), expected);
    }

    void mainFormLookupsGiveNoValueOutsideTheirTables()
    {
        QCOMPARE(FindTheExtension(13), std::optional<QString>(QStringLiteral("docx")));
        QCOMPARE(FindTheExtension(2), std::optional<QString>(QStringLiteral("txt")));
        QCOMPARE(FindTheExtension(14), std::optional<QString>(QStringLiteral("pdf")));
        QVERIFY(!FindTheExtension(3).has_value());
        QCOMPARE(FindTheTargetExtension(10), std::optional<QString>(QStringLiteral("tga")));
        QCOMPARE(FindTheTargetExtension(14), std::optional<QString>(QStringLiteral("pdf")));
        QVERIFY(!FindTheTargetExtension(-1).has_value());
        QVERIFY(!FindTheTargetExtension(13).has_value());
    }
};

QTEST_GUILESS_MAIN(TestFileTypes)
#include "test_file_types.moc"
