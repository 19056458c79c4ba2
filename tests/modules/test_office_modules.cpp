// Documents through the real program and the installed LibreOffice: a run
// that renders a document loads the office's module and does the work; qpdf
// comes only for a PDF with a password; and an office module that cannot be
// loaded fails each document with its path and the system's reason, and the
// run goes on to the next.
#include "ModuleRecord.h"
#include "QvimUser.h"
#include "TestUtil.h"

#include <QFile>
#include <QTest>

using modulerecord::copyWithBrokenModule;
using modulerecord::kProgram;
using modulerecord::matching;
using modulerecord::recordedRun;
using modulerecord::toolOutput;

namespace {

const QString kRtf = QStringLiteral(TESSAVIEW_DEMO_DATA "/Sample Rich Text.rtf");
const QString kPdf = QStringLiteral(TESSAVIEW_CORPUS "/pdf/minimal-document.pdf");

} // namespace

class TestOfficeModules : public QObject
{
    Q_OBJECT

private slots:
    void documentRunsLoadTheOffice_data()
    {
        QTest::addColumn<QString>("password"); // the PDF's open password; empty for none
        QTest::addColumn<QStringList>("needed");
        QTest::addColumn<QStringList>("notNeeded");

        const QStringList others = {"libMagick", "libpoppler", "libQt6Widgets", "libQt6Gui", "libQt6DBus"};
        QTest::newRow("PDF") << QString() << QStringList{"libtessaview_office.so", "libuno_cppu"}
                             << others + QStringList{"libqpdf", "libtessaview_pdfcrypt"};
        QTest::newRow("PDF with an open password")
            << QStringLiteral("kettle-pw")
            << QStringList{"libtessaview_office.so", "libuno_cppu", "libtessaview_pdfcrypt.so", "libqpdf"} << others;
    }

    void documentRunsLoadTheOffice()
    {
        QFETCH(QString, password);
        QFETCH(QStringList, needed);
        QFETCH(QStringList, notNeeded);

        QvimUser user;
        const QString pdf = user.path("out/rich.pdf");
        QStringList arguments = {"/S", kRtf, "/T", pdf, "/C", "12", "/P"};
        if (!password.isEmpty())
            arguments << "/W" << password;
        QStringList loaded;
        const QvimRun run = recordedRun(user, kProgram, arguments, loaded);
        QVERIFY2(run.status == 0, qPrintable(run.err));
        QStringList read = {QStringLiteral("-upw"), password, pdf, QStringLiteral("-")};
        if (password.isEmpty())
            read = {pdf, QStringLiteral("-")};
        QVERIFY(toolOutput(QStringLiteral("pdftotext"), read).contains(QLatin1String("A copper kettle")));
        if (!password.isEmpty()) {
            QVERIFY(toolOutput(QStringLiteral("pdfinfo"), {QStringLiteral("-upw"), password, pdf})
                        .contains(QLatin1String("algorithm:AES-256")));
            // Without its password nobody reads it.
            QVERIFY(toolOutput(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}).isEmpty());
        }
        for (const QString& library : needed)
            QVERIFY2(!matching(loaded, {library}).isEmpty(), qPrintable(library + u' ' + loaded.join(u' ')));
        QVERIFY2(matching(loaded, notNeeded).isEmpty(), qPrintable(matching(loaded, notNeeded).join(u' ')));
    }

    void anOfficeModuleThatCannotBeLoadedFailsItsDocuments()
    {
        QvimUser user;
        QString program;
        const QString broken = copyWithBrokenModule(user, QStringLiteral("libtessaview_office.so"), program);
        user.copy(kRtf, "in/a-rich.rtf");
        user.copy(kRtf, "in/b-rich.rtf");
        QStringList loaded;
        const QvimRun run = recordedRun(user, program,
                                        {"/S", user.path("in/*.rtf"), "/T", user.path("out/*.pdf"), "/C", "12", "/L",
                                         user.path("run.log"), "/P"},
                                        loaded);
        QCOMPARE(run.status, 252);
        const QString log = user.log("run.log");
        // Each document fails with the reason; neither starts an office.
        QCOMPARE(log.count(QStringLiteral("The module %1 cannot be loaded: ").arg(broken)), 2);
        QVERIFY2(log.contains(QLatin1String("a-rich.rtf")) && log.contains(QLatin1String("b-rich.rtf")), qPrintable(log));
        QVERIFY(user.entries("out").isEmpty());
        QVERIFY2(matching(loaded, {"libuno_"}).isEmpty(), qPrintable(loaded.join(u' ')));
    }
};

QTEST_GUILESS_MAIN(TestOfficeModules)
#include "test_office_modules.moc"
