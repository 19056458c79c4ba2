// The shipped language files: each reads without a skipped line, and each
// translates every phrase the program passes to Translate today, so that
// running the program in that language adds nothing to its file.
#include "core/LanguageFile.h"
#include "TestUtil.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {

const QString kSource = QStringLiteral(TESSAVIEW_SOURCE_DIR);
// One or more adjacent C string literals.
const QString kLiterals = QStringLiteral(R"re(((?:\s*"(?:[^"\\\n]|\\.)*")+))re");

// Where phrases stand in the sources: the calls of Translate, and the
// helpers and tables whose texts reach Translate as arguments; "LIT" marks
// the phrase. A new helper that passes its text on to Translate belongs in
// this list.
QStringList phrasePatterns()
{
    const QStringList forms = {
        QStringLiteral(R"re(\bTranslate\(\s*QStringLiteral\(LIT)re"),
        QStringLiteral(R"re(\bTranslate\(\s*QString::fromLatin1\(LIT)re"),
        QStringLiteral(R"re(\btr\(LIT)re"),
        QStringLiteral(R"re(\bsetError\(\s*item,\s*\w+,LIT)re"),
        QStringLiteral(R"re(\bsetNotAvailable\(\s*item,LIT)re"),
        QStringLiteral(R"re(\browRefusal\(LIT)re"),
        QStringLiteral(R"re(\browRefusal\([^;]*?\br,LIT)re"),
        QStringLiteral(R"re(\btypeMismatch\(LIT)re"),
        QStringLiteral(R"re(\btypeMismatch\(\s*"[^"]*",LIT)re"),
        QStringLiteral(R"re(\bofferToCreate\([^;"]*?,LIT)re"),
        QStringLiteral(R"re(\bofferToCreate\([^;"]*?,\s*"[^"]*",LIT)re"),
        QStringLiteral(R"re(\btexts\.append\(\{LIT)re"),
        QStringLiteral(R"re(\breportMissing\(LIT)re"),
        QStringLiteral(R"re(\bshowFailure\(LIT)re"),
        QStringLiteral(R"re(\breason = QStringLiteral\(LIT)re"),
        QStringLiteral(R"re(\bmessage = QStringLiteral\(\s*LIT)re"),
        QStringLiteral(R"re(\bconst char (?:kNotUnlessInput|kNotForProcess|kTooLong|kBrokenQuote|kNoPhrase)\[\] =LIT)re"),
        QStringLiteral(R"re(\bkOutputFolderUnknownStatus\[\] =LIT)re"),
        // the rows of the task editor's type lists, the search engine's codes
        QStringLiteral(R"re(\{LIT(?=\s*,\s*(?:filetype|specialprocess)::\w+,\s*\{))re"),
        QStringLiteral(R"re(\bcase \w+:\s*text =LIT)re"),
        // texts of the forms, which TranslateForm translates
        QStringLiteral(R"re(\bsetWindowTitle\(QStringLiteral\(LIT)re"),
        QStringLiteral(R"re(\bnew QLabel\(QStringLiteral\(LIT)re"),
        QStringLiteral(R"re(\baddButton\(\w+,\s*QStringLiteral\("\w+"\),\s*QStringLiteral\(LIT)re"),
        // the scheduler's messages and countdown units, and its form
        QStringLiteral(R"re(\bshowMessage\(QStringLiteral\(LIT)re"),
        QStringLiteral(R"re(\bunitText\(\w+,LIT)re"),
        QStringLiteral(R"re(\b(?:label|option)\(LIT)re"),
        QStringLiteral(R"re(\bnew Q(?:CheckBox|PushButton|RadioButton|Action|GroupBox)\(QStringLiteral\(LIT)re"),
        QStringLiteral(R"re(\bsetToolTip\(QStringLiteral\(LIT)re"),
        QStringLiteral(R"re(\baddTab\(\w+,\s*QStringLiteral\(LIT)re"),
    };
    QStringList patterns;
    for (QString form : forms)
        patterns << form.replace(QStringLiteral("LIT"), kLiterals);
    return patterns;
}

QString unescape(const QString& literals)
{
    static const QRegularExpression piece(QStringLiteral(R"re("((?:[^"\\\n]|\\.)*)")re"));
    QString text;
    for (auto it = piece.globalMatch(literals); it.hasNext();) {
        const QString body = it.next().captured(1);
        for (qsizetype i = 0; i < body.size(); ++i) {
            if (body[i] != u'\\' || i + 1 == body.size()) {
                text += body[i];
                continue;
            }
            const QChar next = body[++i];
            if (next == u'u' && i + 4 < body.size()) {
                text += QChar(char16_t(body.mid(i + 1, 4).toUInt(nullptr, 16)));
                i += 4;
                continue;
            }
            text += next == u'n' ? QChar(u'\n') : next == u'r' ? QChar(u'\r') : next == u't' ? QChar(u'\t') : next;
        }
    }
    return text;
}

QSet<QString> programPhrases()
{
    QSet<QString> phrases;
    QList<QRegularExpression> patterns;
    for (const QString& p : phrasePatterns())
        patterns << QRegularExpression(p);
    QDirIterator it(kSource + QStringLiteral("/app"), {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = QString::fromUtf8(testutil::readFile(it.next()));
        for (const QRegularExpression& pattern : patterns)
            for (auto match = pattern.globalMatch(source); match.hasNext();)
                phrases.insert(unescape(match.next().captured(1)));
    }
    return phrases;
}

} // namespace

class TestLanguageFiles : public QObject
{
    Q_OBJECT
private slots:
    void eachFileHoldsEveryPhrase_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("German") << "German";
        QTest::newRow("French") << "French";
        QTest::newRow("Japanese") << "Japanese";
    }

    void eachFileHoldsEveryPhrase()
    {
        QFETCH(QString, language);
        const QByteArray bytes = testutil::readFile(kSource + QStringLiteral("/data/Languages/") + language
                                                    + QStringLiteral("-'Tessaview'.txt"));
        const int format = LanguageFileFormatOfHead(QByteArrayView(bytes).first(qMin<qsizetype>(4, bytes.size())));
        const LanguageFileContents contents = ReadLanguageFileText(bytes, format);
        QVERIFY(contents.ok);
        QCOMPARE(contents.notes.size(), 0);

        const QSet<QString> phrases = programPhrases();
        // The scan finds the phrases it must: a broken pattern finds none.
        QVERIFY(phrases.contains(QStringLiteral("Missing required or invalid command line argument(s)")));
        QVERIFY(phrases.contains(QStringLiteral("Unable to save output file.")));
        QVERIFY(phrases.contains(QStringLiteral("cannot have a wildcard (*) for this special process")));
        QVERIFY(phrases.contains(QStringLiteral("[5] Rich Text Format (RTF)")));
        QVERIFY(phrases.contains(QStringLiteral("bad escape sequence")));
        QStringList missing;
        for (const QString& phrase : phrases)
            if (!contents.translations.contains(phrase))
                missing << phrase;
        missing.sort();
        QVERIFY2(missing.isEmpty(),
                 qPrintable(QStringLiteral("texts the program shows that data/Languages/") + language
                            + QStringLiteral("-'Tessaview'.txt lacks (add a line \"English\",\"translation\" for each, "
                                             "in every language file): ")
                            + missing.join(QStringLiteral(" | "))));

        // Every file lists the same phrases, so none is forgotten in one.
        const QByteArray german = testutil::readFile(kSource + QStringLiteral("/data/Languages/German-'Tessaview'.txt"));
        const QList<QString> germanPhrases = ReadLanguageFileText(german, 0).translations.keys();
        QCOMPARE(QSet<QString>(contents.translations.keyBegin(), contents.translations.keyEnd()),
                 QSet<QString>(germanPhrases.begin(), germanPhrases.end()));
    }
};

QTEST_GUILESS_MAIN(TestLanguageFiles)
#include "test_language_files.moc"
