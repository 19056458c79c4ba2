// The shipped demo folders: every document is the type its extension says
// and holds its text, and every demo script hands qvim whole paths to
// documents that exist.
#include "linesmith/Linesmith.h"

#include "TestUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

const QString kData = QStringLiteral(TESSAVIEW_SOURCE_DIR "/data");
const QString kDemoData = kData + QStringLiteral("/Demo Data");
const QString kDemoScripts = kData + QStringLiteral("/Demo Batch Files");

struct Result
{
    int exitCode = -1;
    QByteArray output;
};

Result run(const QString& program, const QStringList& arguments,
           const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAll()};
}

bool isValidUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    return !decoder.hasError();
}

bool copyFolder(const QString& from, const QString& to)
{
    if (!QDir().mkpath(to))
        return false;
    const QDir source(from);
    for (const QString& name : source.entryList(QDir::Files)) {
        if (!QFile::copy(source.filePath(name), to + QLatin1Char('/') + name))
            return false;
    }
    return true;
}

// Each demo document with a line of text found in no other one.
const QList<QPair<QString, QString>>& demoDocuments()
{
    static const QList<QPair<QString, QString>> documents{
        {QStringLiteral("Sample Text.txt"), QStringLiteral("The blue heron waits by the harbour wall.")},
        {QStringLiteral("Sample Unicode Text.txt"), QStringLiteral("Greek: Καλημέρα κόσμε")},
        {QStringLiteral("Sample Web Page.html"), QStringLiteral("The first list item mentions a lighthouse.")},
        {QStringLiteral("Sample Rich Text.rtf"), QStringLiteral("A copper kettle sings on the stove.")},
        {QStringLiteral("Sample Word 97 Document.doc"), QStringLiteral("Seven swans glide across the mill pond.")},
        {QStringLiteral("Sample Word Document.docx"), QStringLiteral("An old clock ticks in the empty hallway.")},
        {QStringLiteral("Sample Data.xml"), QStringLiteral("Tides of the Northern Sound")},
        {QStringLiteral("Sample PDF Document.pdf"), QStringLiteral("Page three: the night bus waits at the depot.")},
    };
    return documents;
}

// Stands in for qvim: writes one argument a line and exits with a chosen code.
const char kFakeQvim[] = "#!/bin/sh\n"
                         "for a in \"$@\"; do printf '%s\\n' \"$a\"; done >\"$FAKE_QVIM_ARGS\"\n"
                         "exit \"$FAKE_QVIM_EXIT\"\n";

} // namespace

class TestDemoData : public QObject
{
    Q_OBJECT
private slots:
    void documentIsWhatItsExtensionSays_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("text");
        for (const auto& [file, text] : demoDocuments())
            QTest::newRow(qPrintable(file)) << file << text;
    }

    void documentIsWhatItsExtensionSays()
    {
        QFETCH(QString, file);
        QFETCH(QString, text);
        const QString path = kDemoData + QLatin1Char('/') + file;
        const QByteArray bytes = testutil::readFile(path);
        QVERIFY2(!bytes.isEmpty(), qPrintable(path));
        const QString suffix = QFileInfo(file).suffix().toLower();

        if (suffix == QLatin1String("txt")) {
            if (file.contains(QLatin1String("Unicode"))) {
                QVERIFY(bytes.startsWith("\xFF\xFE"));
                QVERIFY(IsUnicodeFile(path));
                QVERIFY(QStringDecoder(QStringDecoder::Utf16LE)(bytes.mid(2)).operator QString().contains(text));
            } else {
                // 8-bit on purpose: the accented letters are not UTF-8, so a
                // reader must fall back to the code page.
                QVERIFY(!IsUnicodeFile(path));
                QVERIFY(!bytes.contains('\0'));
                QVERIFY(!isValidUtf8(bytes));
                QVERIFY(bytes.contains(text.toLatin1()));
            }
        } else if (suffix == QLatin1String("html")) {
            QVERIFY(bytes.startsWith("<!DOCTYPE html>"));
            QVERIFY(bytes.contains("</html>"));
            QVERIFY(bytes.contains(text.toUtf8()));
        } else if (suffix == QLatin1String("rtf")) {
            QVERIFY(bytes.startsWith("{\\rtf1"));
            QVERIFY(bytes.trimmed().endsWith('}'));
            QVERIFY(bytes.contains(text.toLatin1()));
        } else if (suffix == QLatin1String("xml")) {
            QXmlStreamReader xml(bytes);
            while (!xml.atEnd())
                xml.readNext();
            QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
            QVERIFY(bytes.contains(text.toUtf8()));
        } else if (suffix == QLatin1String("doc")) {
            // OLE compound file; the text sits in its stream as UTF-16.
            QVERIFY(bytes.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1")));
            const QByteArray utf16(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
            QVERIFY(bytes.contains(utf16));
        } else if (suffix == QLatin1String("docx")) {
            QVERIFY(bytes.startsWith("PK\x03\x04"));
            const Result xml = run(QStringLiteral("unzip"), {QStringLiteral("-p"), path, QStringLiteral("word/document.xml")});
            QCOMPARE(xml.exitCode, 0);
            QVERIFY(xml.output.contains(text.toUtf8()));
        } else if (suffix == QLatin1String("pdf")) {
            QVERIFY(bytes.startsWith("%PDF-"));
            const Result info = run(QStringLiteral("pdfinfo"), {path});
            QCOMPARE(info.exitCode, 0);
            QVERIFY(QRegularExpression(QStringLiteral("Pages:\\s+3\\b")).match(QString::fromUtf8(info.output)).hasMatch());
            const Result pdfText = run(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
            QCOMPARE(pdfText.exitCode, 0);
            QVERIFY(pdfText.output.contains(text.toUtf8()));
        } else {
            QFAIL("no check for this extension");
        }
    }

    void everyDemoDocumentIsChecked()
    {
        QStringList listed;
        for (const auto& document : demoDocuments())
            listed << document.first;
        QStringList present = QDir(kDemoData).entryList(QDir::Files);
        listed.sort();
        present.sort();
        QCOMPARE(present, listed);
    }

    void scriptHandsQvimWholePaths_data()
    {
        QTest::addColumn<QString>("script");
        const QStringList scripts = QDir(kDemoScripts).entryList({QStringLiteral("*.sh")}, QDir::Files);
        QVERIFY(scripts.size() >= 3);
        for (const QString& script : scripts)
            QTest::newRow(qPrintable(script)) << script;
    }

    void scriptHandsQvimWholePaths()
    {
        QFETCH(QString, script);
        const QString scriptPath = kDemoScripts + QLatin1Char('/') + script;
        QVERIFY(QFileInfo(scriptPath).isExecutable());

        // A user data folder as the first start leaves it, below a config
        // folder whose name needs quoting as well.
        QTemporaryDir home;
        const QString config = home.filePath(QStringLiteral("my config"));
        const QString userData = config + QStringLiteral("/Kestrova, Inc/Tessaview");
        QVERIFY(copyFolder(kDemoData, userData + QStringLiteral("/Demo Data")));
        QVERIFY(QDir().mkpath(userData + QStringLiteral("/Demo Conversion Jobs")));
        QVERIFY(testutil::writeFile(userData + QStringLiteral("/Demo Conversion Jobs/Demo job.krj"), "\n"));
        const QString fake = home.filePath(QStringLiteral("fake-qvim"));
        QVERIFY(testutil::writeFile(fake, kFakeQvim));
        QVERIFY(QFile::setPermissions(fake, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        environment.insert(QStringLiteral("QVIM"), fake);
        environment.insert(QStringLiteral("FAKE_QVIM_ARGS"), home.filePath(QStringLiteral("args")));
        environment.insert(QStringLiteral("FAKE_QVIM_EXIT"), QStringLiteral("252"));
        const Result result = run(QStringLiteral("sh"), {scriptPath}, environment);
        QVERIFY2(result.exitCode == 252, result.output.constData()); // the script passes qvim's status on

        const QStringList arguments = QString::fromUtf8(testutil::readFile(environment.value(QStringLiteral("FAKE_QVIM_ARGS"))))
                                          .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const QRegularExpression switchArgument(QStringLiteral("^/[A-Za-z?1-9]$"));
        QVERIFY(arguments.contains(QStringLiteral("/P")));
        QVERIFY(arguments.contains(QStringLiteral("/L")));
        bool namesAnInput = false;
        for (qsizetype i = 0; i < arguments.size(); ++i) {
            const QString& argument = arguments.at(i);
            if (!switchArgument.match(argument).hasMatch())
                continue;
            // A path is one argument: the next one must be a switch again.
            const bool takesPath = QStringList{QStringLiteral("/S"), QStringLiteral("/J"), QStringLiteral("/T"), QStringLiteral("/L"), QStringLiteral("/B")}.contains(argument);
            if (!takesPath)
                continue;
            QVERIFY2(i + 1 < arguments.size(), qPrintable(argument));
            const QString path = arguments.at(i + 1);
            QVERIFY2(i + 2 == arguments.size() || switchArgument.match(arguments.at(i + 2)).hasMatch(), qPrintable(path));
            QVERIFY2(path.startsWith(userData + QLatin1Char('/')), qPrintable(path));
            if (argument == QLatin1String("/S") || argument == QLatin1String("/J")) {
                QVERIFY2(QFileInfo(path).isFile(), qPrintable(path));
                namesAnInput = true;
            } else {
                QVERIFY2(QFileInfo(QFileInfo(path).path()).isDir(), qPrintable(path));
            }
        }
        QVERIFY(namesAnInput);
    }
};

QTEST_GUILESS_MAIN(TestDemoData)
#include "test_demo_data.moc"
