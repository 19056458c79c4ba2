// A page of the demo PDF written by the real program as every image type
// it offers, each file read back by a tool that is not ours: identify for
// the raster formats, wmf2svg for WMF, emf2svg-conv for EMF.
#include "TestUtil.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Tool
{
    bool ok = false;
    QByteArray out;
};

Tool runTool(const QString& program, const QStringList& args, const QProcessEnvironment& env = {})
{
    QProcess p;
    if (!env.isEmpty())
        p.setProcessEnvironment(env);
    p.start(program, args);
    Tool t;
    t.ok = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    t.out = p.readAllStandardOutput();
    return t;
}

// What tiffinfo says of each frame's field, in frame order.
QStringList tiffField(const QString& file, const QString& field)
{
    QStringList values;
    const QString prefix = field + QStringLiteral(": ");
    for (const QByteArray& raw : runTool(QStringLiteral("tiffinfo"), {file}).out.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(prefix))
            values << line.mid(prefix.size());
    }
    return values;
}

// Runs the program for a user of its own below `home`; its exit status.
int runQvim(const QString& home, const QStringList& arguments)
{
    for (const char* sub : {"config", "runtime", "out"})
        QDir().mkpath(home + QLatin1Char('/') + QLatin1String(sub));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/runtime"));
    QProcess qvim;
    qvim.setProcessEnvironment(env);
    qvim.start(QStringLiteral(QVIM_BINARY), arguments);
    if (!qvim.waitForFinished(120000) || qvim.exitStatus() != QProcess::NormalExit)
        return -1000;
    return qvim.exitCode();
}

} // namespace

class TestQvimImageTypes : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void pageBecomesEachImageType_data()
    {
        QTest::addColumn<QString>("ext");
        QTest::addColumn<QByteArray>("signature");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("identifiedAs"); // empty: read by another tool

        QTest::newRow("jpg") << "jpg" << QByteArray("\xff\xd8\xff") << 0 << "JPEG";
        QTest::newRow("bmp") << "bmp" << QByteArray("BM") << 0 << "BMP3";
        QTest::newRow("tif") << "tif" << QByteArray("II*\0", 4) << 0 << "TIFF";
        QTest::newRow("gif") << "gif" << QByteArray("GIF8") << 0 << "GIF";
        QTest::newRow("emf") << "emf" << QByteArray(" EMF") << 40 << "";
        QTest::newRow("j2k") << "j2k" << QByteArray("\xff\x4f\xff\x51") << 0 << "J2K";
        QTest::newRow("pcx") << "pcx" << QByteArray("\x0a") << 0 << "PCX";
        QTest::newRow("png") << "png" << QByteArray("\x89PNG") << 0 << "PNG";
        QTest::newRow("ras") << "ras" << QByteArray("\x59\xa6\x6a\x95") << 0 << "SUN";
        QTest::newRow("tga") << "tga" << QByteArray() << 0 << "TGA";
        QTest::newRow("wmf") << "wmf" << QByteArray("\xd7\xcd\xc6\x9a") << 0 << "";
    }
    void pageBecomesEachImageType()
    {
        QFETCH(QString, ext);
        QFETCH(QByteArray, signature);
        QFETCH(int, offset);
        QFETCH(QString, identifiedAs);

        const QString home = m_dir.filePath(ext);
        for (const char* sub : {"config", "runtime", "out"})
            QVERIFY(QDir().mkpath(home + QLatin1Char('/') + QLatin1String(sub)));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/runtime"));

        // One page named alone: the file is the output path itself.
        const QString output = home + QStringLiteral("/out/page 2.") + ext;
        QProcess qvim;
        qvim.setProcessEnvironment(env);
        qvim.start(QStringLiteral(QVIM_BINARY),
                   {QStringLiteral("/S"), QStringLiteral(TESSAVIEW_DEMO_DATA "/Sample PDF Document.pdf"),
                    QStringLiteral("/T"), output, QStringLiteral("/1"), QStringLiteral("2"), QStringLiteral("/5"),
                    QStringLiteral("72"), QStringLiteral("/L"), home + QStringLiteral("/qvim.log"), QStringLiteral("/P")});
        QVERIFY(qvim.waitForFinished(120000));
        QVERIFY2(qvim.exitCode() == 0, testutil::readFile(home + QStringLiteral("/qvim.log")).constData());
        QCOMPARE(QDir(home + QStringLiteral("/out")).entryList(QDir::Files), QStringList{QStringLiteral("page 2.") + ext});

        const QByteArray bytes = testutil::readFile(output);
        QVERIFY(bytes.size() > 1000);
        QCOMPARE(bytes.mid(offset, signature.size()), signature);

        if (!identifiedAs.isEmpty()) {
            const Tool id = runTool(QStringLiteral("identify"), {QStringLiteral("-format"), QStringLiteral("%m %w"), output});
            QVERIFY(id.ok);
            const QStringList parts = QString::fromUtf8(id.out).split(QLatin1Char(' '));
            QCOMPARE(parts.value(0), identifiedAs);
            // A page at 72 dpi is a few hundred pixels wide, not a thumbnail.
            QVERIFY2(parts.value(1).toInt() > 300, id.out.constData());
        } else if (ext == QLatin1String("wmf")) {
            const Tool svg = runTool(QStringLiteral("wmf2svg"), {output});
            QVERIFY(svg.ok);
            QVERIFY(svg.out.contains("<image"));
        } else {
            const QString svgPath = home + QStringLiteral("/page.svg");
            QVERIFY(runTool(QStringLiteral("emf2svg-conv"), {QStringLiteral("-i"), output, QStringLiteral("-o"), svgPath}).ok);
            QVERIFY(testutil::readFile(svgPath).contains("<image"));
        }
    }

    // The TIFF compression of /2 reaches every file, the multi-page one
    // (/8 1) and a file per page; /3 TRUE adds the pages to the file there.
    void tiffTakesTheChosenCompression_data()
    {
        QTest::addColumn<QString>("compression");
        QTest::addColumn<QString>("scheme");
        QTest::newRow("0") << "0" << "None";
        QTest::newRow("1") << "1" << "LZW";
        QTest::newRow("2") << "2" << "PackBits";
        QTest::newRow("3") << "3" << "CCITT Group 3";
        QTest::newRow("4") << "4" << "CCITT Group 4";
    }

    void tiffTakesTheChosenCompression()
    {
        QFETCH(QString, compression);
        QFETCH(QString, scheme);
        const QString home = m_dir.filePath(QStringLiteral("tiff-") + compression);
        const QString pdf = QStringLiteral(TESSAVIEW_DEMO_DATA "/Sample PDF Document.pdf");
        const QString book = home + QStringLiteral("/out/book.tif");
        const QString log = home + QStringLiteral("/qvim.log");
        const auto convert = [&](const QString& target, const QString& pages, const QString& single, const QString& append) {
            return runQvim(home, {"/S", pdf, "/T", target, "/1", pages, "/2", compression, "/3", append, "/5", "50",
                                  "/8", single, "/L", log, "/P"});
        };
        QCOMPARE(convert(book, QStringLiteral("1-2"), QStringLiteral("1"), QStringLiteral("FALSE")), 0);
        QCOMPARE(tiffField(book, QStringLiteral("Compression Scheme")), QStringList(2, scheme));
        QCOMPARE(convert(book, QStringLiteral("3"), QStringLiteral("1"), QStringLiteral("TRUE")), 0);
        QCOMPARE(tiffField(book, QStringLiteral("Compression Scheme")), QStringList(3, scheme));
        // Without the flag the file is made anew.
        QCOMPARE(convert(book, QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("FALSE")), 0);
        QCOMPARE(tiffField(book, QStringLiteral("Compression Scheme")).size(), 1);

        QCOMPARE(convert(home + QStringLiteral("/out/page.tif"), QStringLiteral("*"), QStringLiteral("0"),
                         QStringLiteral("FALSE")),
                 0);
        for (int page = 1; page <= 3; ++page)
            QCOMPARE(tiffField(home + QStringLiteral("/out/page-%1.tif").arg(page, 5, 10, QLatin1Char('0')),
                               QStringLiteral("Compression Scheme")),
                     QStringList{scheme});
    }
};

QTEST_GUILESS_MAIN(TestQvimImageTypes)
#include "test_qvim_image_types.moc"
