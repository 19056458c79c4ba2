// The shipped demo jobs load as job files and every task in them is valid
// once the demo data sits in the user's data folder.
#include "ValidationFixture.h"

#include "jobs/GridSetup.h"
#include "jobs/JobFiles.h"
#include "jobs/MainFormState.h"
#include "jobs/TaskRows.h"
#include "jobs/Validation.h"

#include <QFileInfo>

namespace {
const QString kData = QStringLiteral(TESSAVIEW_SOURCE_DIR "/data");
}

class TestDemoJobs : public QObject
{
    Q_OBJECT
    ValidationFixture m_tree;
    QString m_userData;

private slots:
    void initTestCase()
    {
        QVERIFY(m_tree.setUp());
        m_userData = m_tree.path("{d}/config/Kestrova, Inc/Tessaview");
        const QDir demo(kData + "/Demo Data");
        QVERIFY(QDir().mkpath(m_userData + "/Demo Data"));
        for (const QString& name : demo.entryList(QDir::Files))
            QVERIFY(QFile::copy(demo.filePath(name), m_userData + "/Demo Data/" + name));
    }
    void cleanupTestCase() { m_tree.tearDown(); }

    void everyTaskIsValid_data()
    {
        QTest::addColumn<QString>("job");
        const QStringList jobs = QDir(kData + "/Demo Conversion Jobs").entryList({"*.KRJ"}, QDir::Files);
        QVERIFY(jobs.size() >= 3);
        for (const QString& job : jobs)
            QTest::newRow(qPrintable(job)) << job;
    }

    void everyTaskIsValid()
    {
        QFETCH(QString, job);
        MainFormState form;
        QCOMPARE(LoadConversionJobFile(form, kData + "/Demo Conversion Jobs/" + job, 1, form.fgToDo),
                 JobLoadResult::Complete);
        const int tasks = form.fgToDo.Rows() - 2;
        QVERIFY(tasks >= 1);
        for (int row = 1; row <= tasks; ++row) {
            clsConversionOptions o;
            GetConversionItemFromGridRow(o, row, form.fgToDo);
            // The jobs reach the demo documents through the user's data folder.
            QVERIFY2(o.sOriginalFile.startsWith("%APPDATA%/Kestrova, Inc/Tessaview/Demo Data/"), qPrintable(o.sOriginalFile));
            QVERIFY2(o.sTargetFile.startsWith("%APPDATA%/Kestrova, Inc/Tessaview/Demo Output/"), qPrintable(o.sTargetFile));
            // Validated as the window does it, type checks included.
            G_bCommandLineMode = false;
            ValidateConversionOptions(form, o);
            QVERIFY2(o.lErr == 0, qPrintable(QStringLiteral("row %1: %2").arg(row).arg(o.lErr)));
            QVERIFY(QFileInfo(m_userData + "/Demo Output").isDir());
        }
    }
};

QTEST_GUILESS_MAIN(TestDemoJobs)
#include "test_demo_jobs.moc"
