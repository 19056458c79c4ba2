// The scheduler form over its model: the controls show the fields and
// write edits back, Begin and End lock and free the set-up, the picker,
// the focus after a refused start, the keys, and the schedule command.
#include "../ui/WindowTestDoubles.h"
#include "SchedulerTestSupport.h"
#include "TestUtil.h"

#include "base/Profile.h"
#include "jobs/MainFormState.h"
#include "scheduler/frmScheduler.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

class FormHarness
{
public:
    FormHarness()
        : form(SchedulerModel::Environment{[this] { return now; }, testZone(), QLocale::c(), false})
    {
        G_IniFilePath = dir.filePath(QStringLiteral("settings.ini"));
        jobFile = dir.filePath(QStringLiteral("job.KRJ"));
        testutil::writeFile(jobFile, QByteArray());
        form.model().Form_Load();
        form.model().SetUpScheduler(G_IniFilePath);
    }

    InstalledSink sink;
    QTemporaryDir dir;
    QString jobFile;
    QDateTime now = instant(wall(2024, 4, 10, 9, 0));
    frmScheduler form;
};

} // namespace

class TestSchedulerForm : public QObject
{
    Q_OBJECT

private slots:
    void theControlsShowTheFieldsAndTheFramesFollowTheOptions()
    {
        FormHarness h;
        frmScheduler& f = h.form;
        QVERIFY(f.optCalendarBased->isChecked() && !f.optTimeBased->isChecked());
        QVERIFY(f.fraCalendarBased->isVisibleTo(&f) && !f.fraTimeBased->isVisibleTo(&f));
        QVERIFY(f.fraDaily->isVisibleTo(&f) && !f.fraWeekly->isVisibleTo(&f) && !f.fraMonthly->isVisibleTo(&f));
        QCOMPARE(f.cbHours->currentText(), QStringLiteral("12"));
        QCOMPARE(f.cbMinutes->currentText(), QStringLiteral("00"));
        QCOMPARE(f.cbAmPm->currentText(), QStringLiteral("AM"));
        QCOMPARE(f.TabStrip1->currentWidget(), f.fraSetup);

        f.optTimeBased->click();
        QVERIFY(h.form.model().fields.optTimeBased && !h.form.model().fields.optCalendarBased);
        QVERIFY(f.fraTimeBased->isVisibleTo(&f) && !f.fraCalendarBased->isVisibleTo(&f));
        // A second click leaves the option selected.
        f.optTimeBased->click();
        QVERIFY(f.optTimeBased->isChecked() && h.form.model().fields.optTimeBased);

        f.optCalendarBased->click();
        f.optWeekly->click();
        QVERIFY(f.fraWeekly->isVisibleTo(&f) && !f.fraDaily->isVisibleTo(&f));
        QVERIFY(!f.optDaily->isChecked());
        f.optMonthly->click();
        QVERIFY(f.fraMonthly->isVisibleTo(&f) && !f.fraWeekly->isVisibleTo(&f));

        f.optWeekdays->click();
        QVERIFY(!f.txtNumDays->isEnabled());
        f.optNumDays->click();
        QVERIFY(f.txtNumDays->isEnabled());
    }

    void editsReachTheFields()
    {
        FormHarness h;
        frmScheduler& f = h.form;
        const SchedulerFields& fields = h.form.model().fields;
        f.txtHours->clear();
        QTest::keyClicks(f.txtHours, "2");
        QCOMPARE(fields.txtHours, QStringLiteral("2"));
        QTest::keyClicks(f.txtDayOfMonth, "5");
        QCOMPARE(fields.txtDayOfMonth, QStringLiteral("15"));
        f.chkMon->click();
        QVERIFY(fields.chkMon);
        f.cbHours->setCurrentIndex(8);
        QCOMPARE(fields.cbHours, QStringLiteral("9"));
        f.cbAmPm->setCurrentIndex(1);
        QCOMPARE(fields.cbAmPm, QStringLiteral("PM"));
        f.cbScheduledJobFile->setEditText(h.jobFile);
        QCOMPARE(fields.cbScheduledJobFile, h.jobFile);
        f.chkPersistRunning->click();
        QVERIFY(fields.chkPersistRunning);
        f.optSkip->click();
        QVERIFY(fields.optSkip && !fields.optImmediately);
    }

    void beginLocksTheSetUpAndEndFreesIt()
    {
        FormHarness h;
        frmScheduler& f = h.form;
        QVERIFY(f.cmdStartTimer->isEnabled() && !f.cmdEndTimer->isEnabled());
        f.optTimeBased->click();
        f.txtSeconds->setText(QStringLiteral("30"));
        f.cbScheduledJobFile->setEditText(h.jobFile);
        f.cmdStartTimer->click();
        QVERIFY(h.sink.texts.isEmpty());
        QVERIFY(h.form.model().Timer1Enabled());
        QVERIFY(!f.cmdStartTimer->isEnabled() && f.cmdEndTimer->isEnabled());
        for (QWidget* w : {static_cast<QWidget*>(f.txtHours), static_cast<QWidget*>(f.cbScheduledJobFile),
                           static_cast<QWidget*>(f.chkSun), static_cast<QWidget*>(f.optMonthly),
                           static_cast<QWidget*>(f.cmdSelectScheduledJobFile),
                           static_cast<QWidget*>(f.picScheduledJobFile)})
            QVERIFY2(!w->isEnabled(), qPrintable(w->metaObject()->className()));
        // Never locked: the kind, the options page and Done.
        QVERIFY(f.optTimeBased->isEnabled() && f.chkPersistRunning->isEnabled() && f.optSkip->isEnabled()
                && f.cmdDone->isEnabled());

        f.cmdEndTimer->click();
        QVERIFY(!h.form.model().Timer1Enabled());
        QVERIFY(f.cmdStartTimer->isEnabled() && !f.cmdEndTimer->isEnabled() && f.txtHours->isEnabled());
    }

    void thePickerPutsAnExistingFileInTheBox()
    {
        FormHarness h;
        frmScheduler& f = h.form;
        ScriptedChooser chooser;
        SetFileChooser(&chooser);
        chooser.paths = QStringList{h.jobFile, QString()};
        f.cmdSelectScheduledJobFile->click();
        QCOMPARE(f.cbScheduledJobFile->currentText(), h.jobFile);
        QCOMPARE(f.cbScheduledJobFile->itemText(0), h.jobFile);
        // Cancelled: the box keeps the first pick.
        f.picScheduledJobFile->click();
        SetFileChooser(nullptr);
        QCOMPARE(f.cbScheduledJobFile->currentText(), h.jobFile);
        QCOMPARE(h.sink.texts, QStringList{"Please select a job file"});
        QCOMPARE(chooser.requests.size(), 2);
        QCOMPARE(chooser.requests[0].mode, FileDialogMode::Open);
        QCOMPARE(chooser.requests[0].title, QStringLiteral("Select .KRJ Job File"));
        QCOMPARE(chooser.requests[0].filter, QStringLiteral("KRJ Job File (*.krj)|*.krj"));
    }

    void aRefusedStartMovesTheFocusToTheFault()
    {
        FormHarness h;
        frmScheduler& f = h.form;
        f.show();
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.optTimeBased->click();
        f.txtHours->setText(QStringLiteral("x"));
        f.cbScheduledJobFile->setEditText(h.jobFile);
        f.cmdStartTimer->click();
        QCOMPARE(h.sink.texts, QStringList{"Invalid time for hours"});
        QCOMPARE(QApplication::focusWidget(), f.txtHours);
        QCOMPARE(f.txtHours->selectedText(), QStringLiteral("x"));

        // A days count on the daily page, which is hidden: put right.
        f.txtHours->setText(QStringLiteral("0"));
        f.optCalendarBased->click();
        f.txtNumDays->setText(QStringLiteral("0"));
        f.optWeekly->click();
        f.chkMon->click();
        f.cmdStartTimer->click();
        QCOMPARE(h.sink.texts.last(), QStringLiteral("Invalid number of days entered."));
        QCOMPARE(f.txtNumDays->text(), QStringLiteral("1"));
        f.cmdStartTimer->click();
        QVERIFY(h.form.model().Timer1Enabled());
    }

    void escapeHidesAndCtrlTabTurnsThePages()
    {
        FormHarness h;
        frmScheduler& f = h.form;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.TabStrip1->setCurrentIndex(1);
        f.TabStrip1->setFocus();
        QTest::keyClick(f.TabStrip1, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(f.TabStrip1->currentWidget(), f.fraSetup);
        QTest::keyClick(f.TabStrip1, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f.TabStrip1->currentWidget(), f.fraOptions);
        QTest::keyClick(&f, Qt::Key_Escape);
        QVERIFY(!f.isVisible());
    }

    void theScheduleCommandShowsTheFormModally()
    {
        FormHarness h;
        MainFormState form;
        int updates = 0;
        form.hooks.UpdateMenuToolbar = [&updates] { ++updates; };
        QStringList captions;
        SchedulerWindow window;
        window.SetFrameCaption = [&captions](const QString& c) { captions << c; };
        QVERIFY(WritePrivateProfileString(kScheduleSourceList, "mruScheduleSource1", h.jobFile, G_IniFilePath));
        QVERIFY(WritePrivateProfileString(kScheduleSourceList, "mruScheduleSource2", "MRU_DONE", G_IniFilePath));

        bool shown = false;
        QString jobShown;
        QTimer::singleShot(0, &h.form, [&] {
            shown = h.form.isVisible() && h.form.isModal();
            jobShown = h.form.cbScheduledJobFile->currentText();
            h.form.cmdDone->click();
        });
        ShowScheduler(h.form, form, window);
        QVERIFY(shown);
        // The list was read afresh for this showing.
        QCOMPARE(jobShown, h.jobFile);
        QVERIFY(!h.form.isVisible());
        QCOMPARE(updates, 1);
        QCOMPARE(captions, QStringList{kProductName});
    }
};

QTEST_MAIN(TestSchedulerForm)
#include "test_scheduler_form.moc"
