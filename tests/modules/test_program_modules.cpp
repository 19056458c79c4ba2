// What a run of the real program loads: converting PDFs, or being refused,
// loads neither the office's libraries nor ImageMagick, poppler, qpdf,
// D-Bus or the window's (Qt Widgets and Gui); a run whose work needs one of
// them loads its module and does the work; and a module that cannot be
// loaded fails the items that need it, naming its path and the system's
// reason, while the run goes on. The program shares its own code with its
// modules, and neither MuPDF's nor any with the Word-conversion control.
#include "ModuleRecord.h"
#include "QvimUser.h"
#include "TestPdf.h"
#include "TestUtil.h"
#include "dispatch/DispatchAbi.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <cstdlib>
#include <cstring>
#include <cxxabi.h>

using modulerecord::copyWithBrokenModule;
using modulerecord::kProgram;
using modulerecord::matching;
using modulerecord::recordedRun;
using modulerecord::toolOutput;

namespace {

const QString kPdf = QStringLiteral(TESSAVIEW_CORPUS "/pdf/minimal-document.pdf");

// What only a run that needs them may load.
const QStringList kHeavy = {
    QStringLiteral("libtessaview_"), QStringLiteral("libuno_"),       QStringLiteral("libMagick"),
    QStringLiteral("libpoppler"),    QStringLiteral("libqpdf"),       QStringLiteral("libQt6Widgets"),
    QStringLiteral("libQt6Gui"),     QStringLiteral("libQt6DBus"),    QStringLiteral("libX11"),
};

QString imageFormat(const QString& path)
{
    return toolOutput(QStringLiteral("identify"), {QStringLiteral("-format"), QStringLiteral("%m"), path});
}

// A job file line: a PDF converted to `output` of `type`, every page at
// 100 dpi.
QByteArray pdfTaskLine(const QString& input, const QString& output, int type)
{
    const QStringList cells = {QStringLiteral("*^0^FALSE^75^100^0^0^0^"), QString(), QStringLiteral("1"),
                               QStringLiteral("C"), input, QStringLiteral("12"), QStringLiteral("PDF"), output,
                               QString::number(type), QString(), QString()};
    return (cells.join(u'\t') + QStringLiteral("\t\r\n")).toUtf8();
}

// The dynamic symbols of a program or library, as binutils' nm reads them:
// those it defines for others, or those it takes from others.
QSet<QString> dynamicSymbols(const QString& file, bool defined)
{
    const QString listing = toolOutput(QStringLiteral("nm"), {QStringLiteral("-D"), defined ? QStringLiteral("--defined-only")
                                                                                           : QStringLiteral("--undefined-only"),
                                                            file});
    QSet<QString> names;
    for (const QString& line : listing.split(u'\n', Qt::SkipEmptyParts)) {
        QString name = line.split(u' ', Qt::SkipEmptyParts).last();
        names.insert(name.left(name.indexOf(u'@')));
    }
    return names;
}

// The libraries `file` needs, as the dynamic loader finds them (ldd).
QStringList neededLibraries(const QString& file)
{
    static const QRegularExpression found(QStringLiteral("(/\\S+) \\(0x"));
    QStringList paths;
    for (auto it = found.globalMatch(toolOutput(QStringLiteral("ldd"), {file})); it.hasNext();)
        paths << it.next().captured(1);
    return paths;
}

// True when the symbol `mangled` is an object of the C++ library's own (type
// information, a vtable, a static) that names no type of ours: every name in
// it is a builtin type or stands in namespace std or __gnu_cxx.
bool namesOnlyTheCxxLibrary(const QString& mangled)
{
    int status = 0;
    char* plain = abi::__cxa_demangle(mangled.toLatin1().constData(), nullptr, nullptr, &status);
    if (status != 0 || !plain)
        return false;
    QString text = QString::fromLatin1(plain);
    std::free(plain);
    for (const char* kind : {"typeinfo name for ", "typeinfo for ", "vtable for ", "guard variable for "})
        if (text.startsWith(QLatin1String(kind)))
            text = text.mid(int(std::strlen(kind)));
    static const QRegularExpression word(QStringLiteral("[A-Za-z_][A-Za-z0-9_]*"));
    static const QStringList builtins = {"bool", "char", "short", "int", "long", "unsigned", "signed",
                                         "float", "double", "void", "const", "volatile"};
    for (auto it = word.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const QString name = match.captured();
        const bool nested = match.capturedStart() >= 2 && text.mid(match.capturedStart() - 2, 2) == QLatin1String("::");
        if (!nested && !builtins.contains(name) && name != QLatin1String("std") && name != QLatin1String("__gnu_cxx"))
            return false;
    }
    return true;
}

// True for the symbols of the sanitizers' runtime and of their coverage's
// sections, which a sanitized build puts everywhere.
bool sanitizerSymbol(const QString& name)
{
    for (const char* runtime :
         {"__asan_", "__ubsan_", "__lsan_", "__sanitizer_", "__sancov_", "__start___sancov", "__stop___sancov"})
        if (name.startsWith(QLatin1String(runtime)))
            return true;
    return false;
}

} // namespace

class TestProgramModules : public QObject
{
    Q_OBJECT

private slots:
    void runsWithoutHeavyWorkLoadNone_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("display"); // null: none
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("format");

        const QStringList png = {"/S", kPdf, "/T", "out/page.png", "/5", "150", "/P"};
        QTest::newRow("PDF to PNG") << png << QByteArray() << 0 << "out/page.png" << "PNG";
        QTest::newRow("PDF to PNG with a display") << png << QByteArray(":99") << 0 << "out/page.png" << "PNG";
        QTest::newRow("PDF to JPEG") << QStringList{"/S", kPdf, "/T", "out/page.jpg", "/P"} << QByteArray() << 0
                                     << "out/page.jpg" << "JPEG";
        QTest::newRow("PDF to TIFF") << QStringList{"/S", kPdf, "/T", "out/page.tif", "/P"} << QByteArray() << 0
                                     << "out/page.tif" << "TIFF";
        QTest::newRow("missing input") << QStringList{"/S", "missing.pdf", "/T", "out/page.png", "/P"}
                                       << QByteArray(":99") << 253 << QString() << QString();
        QTest::newRow("line without a switch") << QStringList{"page.pdf"} << QByteArray() << 0 << QString()
                                               << QString();
    }

    // A conversion of PDFs to the formats the program writes itself, and a
    // line the program refuses at once, need nothing but the rasteriser.
    void runsWithoutHeavyWorkLoadNone()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, display);
        QFETCH(int, status);
        QFETCH(QString, output);
        QFETCH(QString, format);

        QvimUser user;
        for (QString& argument : arguments)
            if (argument.startsWith(QLatin1String("out/")))
                argument = user.path(argument);
        QStringList loaded;
        // A display where the program could reach one: a command line
        // without /V still makes no window.
        const QvimRun run = recordedRun(user, kProgram, arguments, loaded,
                                        {{"DISPLAY", display}, {"QT_QPA_PLATFORM", QByteArray()}});
        QVERIFY2(run.status == status, qPrintable(run.err));
        QVERIFY2(loaded.contains(QStringLiteral("libQt6Core.so.6")), qPrintable(loaded.join(u' ')));
        QVERIFY2(matching(loaded, kHeavy).isEmpty(), qPrintable(matching(loaded, kHeavy).join(u' ')));
        if (!output.isEmpty())
            QCOMPARE(imageFormat(user.path(output)), format);
    }

    void workLoadsItsModule_data()
    {
        QTest::addColumn<QString>("pdf");       // empty: the corpus's one-page PDF
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QStringList>("needed");
        QTest::addColumn<QStringList>("notNeeded");

        const QStringList widgets = {QStringLiteral("libQt6Widgets"), QStringLiteral("libQt6Gui"),
                                     QStringLiteral("libuno_"), QStringLiteral("libtessaview_office")};
        QTest::newRow("GIF") << QString() << "page.gif" << "GIF"
                             << QStringList{"libtessaview_magick.so", "libMagickCore"}
                             << widgets + QStringList{"libpoppler", "libtessaview_poppler"};
        QTest::newRow("Sun raster") << QString() << "page.ras" << "SUN"
                                    << QStringList{"libtessaview_magick.so", "libMagickCore"}
                                    << widgets + QStringList{"libpoppler"};
        QTest::newRow("a PDF only poppler reads") << "poppler-only.pdf" << "page.png" << "PNG"
                                                  << QStringList{"libtessaview_poppler.so", "libpoppler.so"}
                                                  << widgets + QStringList{"libMagick"};
    }

    // What a run needs beyond the rasteriser comes from a module loaded
    // for it, and the work gets done.
    void workLoadsItsModule()
    {
        QFETCH(QString, pdf);
        QFETCH(QString, output);
        QFETCH(QString, format);
        QFETCH(QStringList, needed);
        QFETCH(QStringList, notNeeded);

        QvimUser user;
        QString input = kPdf;
        if (!pdf.isEmpty()) {
            // Its page tree refuses MuPDF, poppler reads it.
            input = user.write(pdf, testpdf::makePdf(std::vector<testpdf::PageSpec>(2), testpdf::kLoopKidFirst));
        }
        QStringList loaded;
        const QvimRun run =
            recordedRun(user, kProgram, {"/S", input, "/T", user.path("out/" + output), "/1", "1", "/P"}, loaded);
        QVERIFY2(run.status == 0, qPrintable(run.err));
        QCOMPARE(imageFormat(user.path("out/" + output)), format);
        for (const QString& library : needed)
            QVERIFY2(!matching(loaded, {library}).isEmpty(), qPrintable(library + u' ' + loaded.join(u' ')));
        QVERIFY2(matching(loaded, notNeeded).isEmpty(), qPrintable(matching(loaded, notNeeded).join(u' ')));
    }

    // A start as the automation server loads D-Bus; without a session bus
    // it ends at once as unavailable.
    void automationStartLoadsDBus()
    {
        QvimUser user;
        QStringList loaded;
        const QvimRun run = recordedRun(user, kProgram, {"-Embedding"}, loaded,
                                        {{"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus"},
                                         {"DISPLAY", QByteArray()}});
        QCOMPARE(run.status, 69);
        QVERIFY2(run.err.contains(QLatin1String("session bus")), qPrintable(run.err));
        QVERIFY2(!matching(loaded, {"libtessaview_automation.so"}).isEmpty(), qPrintable(loaded.join(u' ')));
        QVERIFY2(!matching(loaded, {"libQt6DBus"}).isEmpty(), qPrintable(loaded.join(u' ')));
        QVERIFY2(matching(loaded, {"libQt6Widgets", "libuno_", "libMagick"}).isEmpty(), qPrintable(loaded.join(u' ')));
    }

    // The Word-conversion control carries its own copy of the code the
    // program has too: it shows others nothing of ours but its two entry
    // points (only objects of the C++ library that the toolchain keeps in
    // sight, and under the sanitizers their own), and takes nothing from
    // outside that the program defines but what the system's libraries it
    // needs define too (the C++ library's code; under the sanitizers their
    // runtime), so none of its calls can reach the program's copy of our
    // code.
    void theControlKeepsItsCodeToItself()
    {
        const QString control = QStringLiteral(QUAYSTONE_LIBRARY_PATH);
        QSet<QString> shown = dynamicSymbols(control, true);
        QVERIFY(shown.contains(QStringLiteral(DISPATCH_CREATE_OBJECT_SYMBOL)));
        QVERIFY(shown.contains(QStringLiteral(DISPATCH_CAN_UNLOAD_NOW_SYMBOL)));
        for (const QString& name : {QStringLiteral(DISPATCH_CREATE_OBJECT_SYMBOL),
                                    QStringLiteral(DISPATCH_CAN_UNLOAD_NOW_SYMBOL), QStringLiteral("_init"),
                                    QStringLiteral("_fini")})
            shown.remove(name);
        for (const QString& name : std::as_const(shown))
            QVERIFY2(namesOnlyTheCxxLibrary(name) || sanitizerSymbol(name), qPrintable(name));

        const QSet<QString> programs = dynamicSymbols(kProgram, true);
        QVERIFY(programs.size() > 100); // it does show its own code
        QSet<QString> clashes = dynamicSymbols(control, false) & programs;
        for (const QString& library : neededLibraries(control))
            clashes -= dynamicSymbols(library, true);
        for (const QString& name : QSet<QString>(clashes))
            if (sanitizerSymbol(name))
                clashes.remove(name);
        QVERIFY2(clashes.isEmpty(), qPrintable(QStringList(clashes.values()).join(u' ')));
    }

    // MuPDF, linked into the program, has its own copies of asprintf and of
    // openjpeg's allocator: shown to the libraries loaded later, they would
    // stand in for the system's. None of MuPDF's own symbols is shown.
    void theProgramKeepsMuPdfToItself()
    {
        const QSet<QString> shown = dynamicSymbols(kProgram, true);
        for (const QString& name : shown) {
            QVERIFY2(!name.startsWith(QLatin1String("fz_")) && !name.startsWith(QLatin1String("pdf_load"))
                         && !name.startsWith(QLatin1String("opj_")),
                     qPrintable(name));
        }
    }

    // A program beside which lies a module that is no library: the items
    // that need it fail, each naming the module and the system's reason,
    // the other items are done, and the run says it failed.
    void aModuleThatCannotBeLoadedFailsItsItems()
    {
        QvimUser user;
        QString program;
        const QString broken = copyWithBrokenModule(user, QStringLiteral("libtessaview_magick.so"), program);

        const QString job = user.write("job.KRJ", pdfTaskLine(kPdf, user.path("out/page.gif"), 4)
                                                      + pdfTaskLine(kPdf, user.path("out/page.png"), 8));
        QStringList loaded;
        const QvimRun run = recordedRun(user, program, {"/J", job, "/L", user.path("run.log"), "/P"}, loaded);
        QCOMPARE(run.status, 252);
        const QString log = user.log("run.log");
        QVERIFY2(log.contains(QStringLiteral("The module %1 cannot be loaded: ").arg(broken)), qPrintable(log));
        // The system's own reason follows.
        QVERIFY2(log.contains(QLatin1String("file too short")) || log.contains(QLatin1String("invalid ELF header")),
                 qPrintable(log));
        QVERIFY(!QFile::exists(user.path("out/page.gif")));
        QCOMPARE(imageFormat(user.path("out/page.png")), QStringLiteral("PNG"));
        QVERIFY2(matching(loaded, {"libMagick"}).isEmpty(), qPrintable(loaded.join(u' ')));
    }
};

QTEST_GUILESS_MAIN(TestProgramModules)
#include "test_program_modules.moc"
