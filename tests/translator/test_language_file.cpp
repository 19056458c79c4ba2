// Language files as bytes: the line rules, the encodings, and a phrase
// added in the file's own encoding.
#include "core/LanguageFile.h"
#include "TestUtil.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray utf16(const QString& text, bool mark = true)
{
    QStringEncoder encoder(QStringConverter::Utf16LE);
    return (mark ? QByteArray("\xFF\xFE", 2) : QByteArray()) + QByteArray(encoder.encode(text));
}

QByteArray cp1252(const char* text)
{
    return QByteArray(text);
}

} // namespace

Q_DECLARE_METATYPE(LanguageLineKind)
Q_DECLARE_METATYPE(TextFileEncoding)

class TestLanguageFile : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void linesToDictionary_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<LanguageLineKind>("kind");
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("translation");
        using K = LanguageLineKind;
        QTest::newRow("pair") << "\"Error\",\"Fehler\"" << K::Pair << "Error" << "Fehler";
        QTest::newRow("kept") << "\"x\"" << K::Kept << "x" << "x";
        QTest::newRow("three pieces") << "\"a\",\"b\",\"c\"" << K::Pair << "a" << "b";
        QTest::newRow("blanks belong to the phrase") << "\" Percent \",\"  Prozent \"" << K::Pair << " Percent "
                                                     << "  Prozent ";
        QTest::newRow("quotes inside stay") << "\"Say \"hi\"\",\"Sag \"hallo\"\"" << K::Pair << "Say \"hi\""
                                            << "Sag \"hallo\"";
        QTest::newRow("one-character translation") << "\"a\",\"b\"" << K::Pair << "a" << "b";
        QTest::newRow("empty translation keeps English") << "\"a\",\"\"" << K::Kept << "a" << "a";
        QTest::newRow("separator at the end") << "\"a\",\"" << K::Kept << "a" << "a";
        QTest::newRow("empty middle piece") << "\"a\",\"\",\"c\"" << K::Kept << "a" << "a";
        QTest::newRow("comment") << "\"! a note, with \",\" inside" << K::Comment << "" << "";
        QTest::newRow("end") << "\"**** end" << K::End << "" << "";
        QTest::newRow("empty") << "" << K::Blank << "" << "";
        QTest::newRow("spaces") << "   " << K::Blank << "" << "";
        QTest::newRow("tab") << "\t" << K::Blank << "" << "";
        QTest::newRow("one quote") << "\"" << K::Skipped << "" << "";
        QTest::newRow("no closing quote") << "\"Error\",\"Fehler" << K::Skipped << "" << "";
        QTest::newRow("blank before the quote") << " \"Error\"" << K::Skipped << "" << "";
        QTest::newRow("blank after the quote") << "\"Error\" " << K::Skipped << "" << "";
        QTest::newRow("no English phrase") << "\"\",\"x\"" << K::Skipped << "" << "";
        QTest::newRow("only the separator") << "\",\"" << K::Skipped << "" << "";
        QTest::newRow("empty kept phrase") << "\"\"" << K::Skipped << "" << "";
        QTest::newRow("too long") << u'"' + QString(kMaxLanguageFileLine, u'x') + u'"' << K::Skipped << "" << "";
        QTest::newRow("longest") << u'"' + QString(kMaxLanguageFileLine - 2, u'x') + u'"' << K::Kept
                                 << QString(kMaxLanguageFileLine - 2, u'x') << QString(kMaxLanguageFileLine - 2, u'x');
    }

    void linesToDictionary()
    {
        QFETCH(QString, line);
        QFETCH(LanguageLineKind, kind);
        QFETCH(QString, english);
        QFETCH(QString, translation);
        const LanguageFileLine read = ParseLanguageFileLine(line);
        QCOMPARE(read.kind, kind);
        QCOMPARE(read.problem != nullptr, kind == LanguageLineKind::Skipped);
        if (kind == LanguageLineKind::Pair || kind == LanguageLineKind::Kept) {
            QCOMPARE(read.english, english);
            QCOMPARE(read.translation, translation);
        }
    }

    // The format the first character gives, and the text read in it.
    void encodings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<TextFileEncoding>("encoding");
        QTest::addColumn<QString>("translation"); // of "Size"
        using E = TextFileEncoding;
        const QByteArray pair = "\"Size\",\"Gr\xC3\xB6\xC3\x9F" "e\"\r\n";
        QTest::newRow("UTF-8") << pair << 0 << true << E::Utf8 << "Größe";
        QTest::newRow("UTF-8 with its mark") << QByteArray("\xEF\xBB\xBF") + pair << 0 << true << E::Utf8 << "Größe";
        QTest::newRow("Windows-1252") << cp1252("\"Size\",\"Gr\xF6\xDF" "e \x80\"\r\n") << 0 << true << E::Windows1252
                                      << "Größe €";
        QTest::newRow("UTF-16 with its mark") << utf16("\"Size\",\"Größe\"\r\n") << -1 << true << E::Utf16LE << "Größe";
        QTest::newRow("UTF-16 without its mark") << utf16("\"Size\",\"Größe\"\r\n", false) << 0 << false << E::Utf8 << "";
        QTest::newRow("UTF-16 cut short") << utf16("\"Size\",\"Größe\"\r\n").chopped(1) << -1 << false << E::Utf8 << "";
        QTest::newRow("UTF-16 big-endian") << QByteArray("\xFE\xFF\0\"", 4) << 99 << false << E::Utf8 << "";
        QTest::newRow("first line without a quote") << QByteArray("Size,Größe\r\n\"a\"\r\n") << 99 << false << E::Utf8 << "";
        QTest::newRow("blank first line") << QByteArray(" \r\n\"Size\"\r\n") << 99 << false << E::Utf8 << "";
        QTest::newRow("empty") << QByteArray() << 99 << false << E::Utf8 << "";
        QTest::newRow("a NUL byte further on") << QByteArray("\"a\"\r\n\"Size\",\"x") + '\0' + "y\"\r\n" << 0 << false
                                               << E::Utf8 << "";
    }

    void encodings()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, format);
        QFETCH(bool, ok);
        QFETCH(TextFileEncoding, encoding);
        QFETCH(QString, translation);
        QCOMPARE(LanguageFileFormatOfHead(QByteArrayView(bytes).first(qMin<qsizetype>(4, bytes.size()))), format);
        const LanguageFileContents contents = ReadLanguageFileText(bytes, format);
        QCOMPARE(contents.ok, ok);
        if (ok) {
            QCOMPARE(contents.encoding, encoding);
            QCOMPARE(contents.translations.value(QStringLiteral("Size")), translation);
        }
    }

    void wholeFile()
    {
        const QByteArray bytes = "\"! comment\r\n"
                                 "\"a\",\"A\"\n"          // LF alone ends a line too
                                 "\"a\",\"second\"\r\n"   // the first occurrence wins
                                 "\r\n"
                                 "broken\r\n"
                                 "\"b\r\"\r\n"            // every CR goes
                                 "\"c\"\r\n"
                                 "\"**** the end\r\n"
                                 "\"d\",\"D\"\r\n";
        const LanguageFileContents contents = ReadLanguageFileText(bytes, 0);
        QVERIFY(contents.ok);
        QCOMPARE(contents.translations, (QHash<QString, QString>{{"a", "A"}, {"b", "b"}, {"c", "c"}}));
        QCOMPARE(contents.notes.size(), 1);
        QCOMPARE(contents.notes[0].line, 5);
        QCOMPARE(QString::fromLatin1(contents.notes[0].problem),
                 QStringLiteral("The line does not begin and end with a double quote."));
    }

    // Only a phrase that reads back as itself is ever written.
    void phrasesALineCanHold_data()
    {
        QTest::addColumn<QString>("phrase");
        QTest::addColumn<bool>("can");
        QTest::newRow("plain") << "Unable to save output file." << true;
        QTest::newRow("blanks around") << " Percent Complete " << true;
        QTest::newRow("quotes inside") << "Say \"hi\"" << true;
        QTest::newRow("Japanese") << "日本語" << true;
        QTest::newRow("CR") << "a\rb" << false;
        QTest::newRow("LF") << "a\nb" << false;
        QTest::newRow("CR LF at the end") << "a\r\n" << false;
        QTest::newRow("separator") << "a\",\"b" << false;
        QTest::newRow("separator with the opening quote") << ",\"b" << false;
        QTest::newRow("separator with the closing quote") << "a\"," << false;
        QTest::newRow("read as a comment") << "!important" << false;
        QTest::newRow("read as the end") << "**** stars" << false;
        QTest::newRow("blank") << "   " << false;
        QTest::newRow("too long") << QString(kMaxLanguageFileLine, u'x') << false;
    }

    void phrasesALineCanHold()
    {
        QFETCH(QString, phrase);
        QFETCH(bool, can);
        QCOMPARE(CanAddToLanguageFile(phrase), can);
    }

    // A phrase goes at the end on a line of its own, or before the end line,
    // whose later lines are never read.
    void phraseGoesWhereItIsRead_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<TextFileEncoding>("encoding");
        QTest::addColumn<QString>("phrase");
        QTest::addColumn<QByteArray>("after");
        using E = TextFileEncoding;
        QTest::newRow("last line without its break") << QByteArray("\"a\"") << E::Utf8 << "b"
                                                     << QByteArray("\"a\"\r\n\"b\"\r\n");
        QTest::newRow("UTF-16 last line without its break") << utf16("\"a\"") << E::Utf16LE << "b"
                                                           << utf16("\"a\"\r\n\"b\"\r\n");
        QTest::newRow("before the end line") << QByteArray("\"a\"\r\n\"**** end\r\n\"x\",\"y\"\r\n") << E::Utf8 << "b"
                                             << QByteArray("\"a\"\r\n\"b\"\r\n\"**** end\r\n\"x\",\"y\"\r\n");
        QTest::newRow("UTF-16 before the end line") << utf16("\"a\"\r\n\"****\r\n") << E::Utf16LE << "b"
                                                   << utf16("\"a\"\r\n\"b\"\r\n\"****\r\n");
        QTest::newRow("end line first, after the mark") << QByteArray("\xEF\xBB\xBF\"****\r\n") << E::Utf8 << "b"
                                                       << QByteArray("\xEF\xBB\xBF\"b\"\r\n\"****\r\n");
    }

    void phraseGoesWhereItIsRead()
    {
        QFETCH(QByteArray, before);
        QFETCH(TextFileEncoding, encoding);
        QFETCH(QString, phrase);
        QFETCH(QByteArray, after);
        const QString path = m_dir.filePath(QStringLiteral("German-'Tessaview'.txt"));
        QVERIFY(testutil::writeFile(path, before));
        QVERIFY(AddLineToLanguageFile(path, phrase, encoding));
        QCOMPARE(testutil::readFile(path), after);
        const int format = encoding == TextFileEncoding::Utf16LE ? -1 : 0;
        QCOMPARE(ReadLanguageFileText(after, format).translations.value(phrase), phrase);
    }

    // A failed write leaves the file as it was.
    void phraseNotAdded_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<TextFileEncoding>("encoding");
        QTest::addColumn<QString>("phrase");
        using E = TextFileEncoding;
        QTest::newRow("no Windows-1252 byte for it") << cp1252("\"a\",\"\xE4\"\r\n") << E::Windows1252 << "日本";
        QTest::newRow("file now UTF-16") << utf16("\"a\"\r\n") << E::Utf8 << "b";
        QTest::newRow("file now 8-bit") << QByteArray("\"a\"\r\n") << E::Utf16LE << "b";
        QTest::newRow("file now unreadable") << QByteArray("a\r\n") << E::Utf8 << "b";
        QTest::newRow("phrase no line can hold") << QByteArray("\"a\"\r\n") << E::Utf8 << "b\r\nc";
    }

    void phraseNotAdded()
    {
        QFETCH(QByteArray, before);
        QFETCH(TextFileEncoding, encoding);
        QFETCH(QString, phrase);
        const QString path = m_dir.filePath(QStringLiteral("refused.txt"));
        QVERIFY(testutil::writeFile(path, before));
        QVERIFY(!AddLineToLanguageFile(path, phrase, encoding));
        QCOMPARE(testutil::readFile(path), before);
    }

    void missingFileIsNotMadeAnew()
    {
        const QString path = m_dir.filePath(QStringLiteral("gone.txt"));
        QVERIFY(!AddLineToLanguageFile(path, QStringLiteral("b"), TextFileEncoding::Utf8));
        QVERIFY(!QFile::exists(path));
    }
};

QTEST_GUILESS_MAIN(TestLanguageFile)
#include "test_language_file.moc"
