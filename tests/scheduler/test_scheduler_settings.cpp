// Section "frmScheduler" of the settings file and the scheduler's list of
// recent job files.
#include "SchedulerTestSupport.h"
#include "TestUtil.h"

#include "base/Profile.h"

#include <QTest>

namespace {

QString stored(const QString& key)
{
    return GetPrivateProfileString(kSchedulerSection, key, QStringLiteral("<missing>"), G_IniFilePath);
}

// The keys of the section, in file order.
QStringList storedKeys()
{
    QStringList keys;
    bool inSection = false;
    for (const QByteArray& raw : testutil::readFile(G_IniFilePath).split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(u'['))
            inSection = line == u"[frmScheduler]";
        else if (inSection && line.contains(u'='))
            keys << line.left(line.indexOf(u'='));
    }
    return keys;
}

} // namespace

class TestSchedulerSettings : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    int m_case = 0;

private slots:
    void init() { G_IniFilePath = m_dir.filePath(QStringLiteral("settings%1.ini").arg(++m_case)); }

    void withoutASettingsFileTheFirstRunDefaultsHold()
    {
        SchedulerHarness h;
        h.model.fields = SchedulerFields();
        h.model.fields.txtHours = QStringLiteral("7"); // replaced by the read
        h.model.Form_Load();
        QCOMPARE(h.model.fields, SchedulerFields());
        QVERIFY(h.model.fields.optCalendarBased && h.model.fields.optDaily && h.model.fields.optNumDays);
        QVERIFY(h.model.fields.optImmediately && !h.model.fields.chkPersistRunning);
        QCOMPARE(h.model.dtUserTargetTime, wall(2000, 1, 1));
        QCOMPARE(h.model.dtTargetComplete, wall(2000, 1, 1));
        QVERIFY(h.model.bFirstWeeklyTarget);
        QVERIFY(h.sink.texts.isEmpty());
        QVERIFY(!QFileInfo::exists(G_IniFilePath));
    }

    void aStartableSetUpIsWrittenWholeAndReadBack()
    {
        SchedulerHarness h;
        h.begin(wall(2024, 4, 10, 9, 0),
                {kCalendarBased(), "optWeekly", "chkMon", "chkFri", "txtNumWeeks=2", "cbHours=9", "cbMinutes=45",
                 "cbAmPm=PM", "optSkip", "chkPersistRunning", "txtHours=1"});
        QVERIFY(h.model.Timer1Enabled());
        QVERIFY(h.model.SaveIniFileScheduler().isEmpty());

        QCOMPARE(storedKeys(),
                 (QStringList{"optTimeBased", "optCalendarBased", "txtHours", "txtMinutes", "txtSeconds",
                              "optImmediately", "optSkip", "optDaily", "optWeekly", "optMonthly", "cbHours",
                              "cbMinutes", "cbAmPm", "optNumDays", "txtNumDays", "optWeekdays", "txtNumWeeks",
                              "chkSun", "chkMon", "chkTue", "chkWed", "chkThu", "chkFri", "chkSat", "txtDayOfMonth",
                              "txtNumMonths", "cbScheduledJobFile", "chkPersistRunning", "dtUserTargetTime",
                              "dtTargetComplete"}));
        QCOMPARE(stored("optTimeBased"), QStringLiteral("False"));
        QCOMPARE(stored("optWeekly"), QStringLiteral("True"));
        QCOMPARE(stored("chkMon"), QStringLiteral("1"));
        QCOMPARE(stored("chkSun"), QStringLiteral("0"));
        QCOMPARE(stored("cbScheduledJobFile"), h.jobFile);
        // Dates as ISO text, whatever the regional setting.
        QCOMPARE(stored("dtUserTargetTime"), QStringLiteral("1899-12-30 21:45:00"));
        QCOMPARE(stored("dtTargetComplete"), QStringLiteral("2024-04-12 21:45:00"));

        SchedulerHarness again(QLocale(QLocale::German, QLocale::Germany));
        again.model.fields = SchedulerFields();
        again.model.Form_Load();
        SchedulerFields expected = h.model.fields;
        expected.cbScheduledJobFile.clear(); // the combo is filled from the list instead
        expected.cbScheduledJobFileItems.clear();
        QCOMPARE(again.model.fields, expected);
        QCOMPARE(again.model.dtUserTargetTime, h.model.dtUserTargetTime);
        QCOMPARE(again.model.dtTargetComplete, wall(2024, 4, 12, 21, 45));
        QVERIFY(again.model.bWeekly && !again.model.bDaily);
    }

    void aSetUpThatWouldNotStartWritesOnlyTheRestartOff_data()
    {
        QTest::addColumn<QStringList>("assignments");
        QTest::addColumn<bool>("emptyJobFile");
        QTest::addColumn<QStringList>("messages");

        QTest::newRow("weekly with no day ticked")
            << QStringList{kCalendarBased(), "optWeekly"} << false
            << QStringList{"Please select day(s) of the week to run the job."};
        QTest::newRow("an empty job-file box") << QStringList{kCalendarBased()} << true << QStringList();
    }

    void aSetUpThatWouldNotStartWritesOnlyTheRestartOff()
    {
        QFETCH(QStringList, assignments);
        QFETCH(bool, emptyJobFile);
        QFETCH(QStringList, messages);

        SchedulerHarness h;
        h.begin(wall(2024, 4, 10, 9, 0), {kTimeBased(), "txtSeconds=30", "chkPersistRunning"});
        QVERIFY(h.model.SaveIniFileScheduler().isEmpty());
        const QByteArray before = testutil::readFile(G_IniFilePath);
        h.model.StopTimer();

        SchedulerHarness later;
        later.model.Form_Load();
        setFields(later.model.fields, assignments);
        if (emptyJobFile)
            later.model.fields.cbScheduledJobFile.clear();
        later.model.SaveIniFileScheduler();
        QCOMPARE(later.sink.texts, messages);
        QCOMPARE(stored("chkPersistRunning"), QStringLiteral("0"));
        // Everything else as it was.
        QByteArray after = testutil::readFile(G_IniFilePath);
        QCOMPARE(after.replace("chkPersistRunning=0", "chkPersistRunning=1"), before);
        QCOMPARE(stored("optTimeBased"), QStringLiteral("True"));
    }

    void readingAcceptsAnyCaseRegionalDatesAndRefusesJunk()
    {
        const auto put = [](const char* key, const char* value) {
            QVERIFY(WritePrivateProfileString(kSchedulerSection, QString::fromLatin1(key), QString::fromLatin1(value),
                                              G_IniFilePath));
        };
        put("optTimeBased", "true");
        put("optCalendarBased", "FALSE");
        put("optSkip", "TRUE");
        put("optImmediately", "no");
        put("chkWed", "1");
        put("chkThu", "x");      // not a number: the box stays as it was
        put("cbHours", "25");    // not an item: the combo keeps its item
        put("cbAmPm", "PM");
        put("dtUserTargetTime", "12/30/1899 3:04:05 PM");
        put("dtTargetComplete", "2024-06-01 08:30:00");

        SchedulerHarness h(QLocale(QLocale::English, QLocale::UnitedStates));
        h.model.Form_Load();
        const SchedulerFields& f = h.model.fields;
        QVERIFY(f.optTimeBased && !f.optCalendarBased);
        QVERIFY(f.optSkip && !f.optImmediately);
        QVERIFY(f.chkWed && !f.chkThu);
        QCOMPARE(f.cbHours, QStringLiteral("12"));
        QCOMPARE(f.cbAmPm, QStringLiteral("PM"));
        QCOMPARE(h.model.dtUserTargetTime, wall(1899, 12, 30, 15, 4, 5));
        QCOMPARE(h.model.dtTargetComplete, wall(2024, 6, 1, 8, 30));
        QVERIFY(h.sink.texts.isEmpty());
    }

    void theListShowsTheNewestJobFileAndKeepsStartedOnes()
    {
        SchedulerHarness h;
        const QString older = h.dir.filePath(QStringLiteral("older.KRJ"));
        QVERIFY(testutil::writeFile(older, QByteArray()));
        QVERIFY(WritePrivateProfileString(kScheduleSourceList, "mruScheduleSource1", older, G_IniFilePath));
        QVERIFY(WritePrivateProfileString(kScheduleSourceList, "mruScheduleSource2", h.jobFile, G_IniFilePath));
        QVERIFY(WritePrivateProfileString(kScheduleSourceList, "mruScheduleSource3", "MRU_DONE", G_IniFilePath));
        h.model.SetUpScheduler(G_IniFilePath);
        QCOMPARE(h.model.fields.cbScheduledJobFileItems, (QStringList{h.jobFile, older}));
        QCOMPARE(h.model.fields.cbScheduledJobFile, h.jobFile);

        // Picked, then a pick cancelled: the box keeps the first.
        const QString picked = h.dir.filePath(QStringLiteral("picked.KRJ"));
        QVERIFY(testutil::writeFile(picked, QByteArray()));
        h.model.JobFilePicked(picked);
        QCOMPARE(h.model.fields.cbScheduledJobFile, picked);
        QCOMPARE(h.model.fields.cbScheduledJobFileItems.value(0), picked);
        h.model.JobFilePicked(QString());
        QCOMPARE(h.model.fields.cbScheduledJobFile, picked);
        h.model.JobFilePicked(h.dir.filePath(QStringLiteral("gone.KRJ")));
        QCOMPARE(h.model.fields.cbScheduledJobFile, picked);
        QCOMPARE(h.sink.texts, (QStringList{"Please select a job file", "Job file does not exist"}));

        // Never started: the list read afresh no longer has it.
        h.model.SetUpScheduler(G_IniFilePath);
        QCOMPARE(h.model.fields.cbScheduledJobFileItems, (QStringList{h.jobFile, older}));

        // A file typed into the box and started is the one a restart finds.
        const QString typed = h.dir.filePath(QStringLiteral("typed.KRJ"));
        QVERIFY(testutil::writeFile(typed, QByteArray()));
        h.model.fields.cbScheduledJobFile = typed;
        h.begin(wall(2024, 4, 10, 9, 0), {kTimeBased(), "txtSeconds=30"});
        QVERIFY(h.model.Timer1Enabled());
        SchedulerHarness restart;
        restart.model.SetUpScheduler(G_IniFilePath);
        QCOMPARE(restart.model.fields.cbScheduledJobFile, typed);
    }

    void unloadWritesTheListAndTheSection()
    {
        SchedulerHarness h;
        h.model.Form_Load();
        h.model.SetUpScheduler(G_IniFilePath);
        h.model.JobFilePicked(h.jobFile);
        setFields(h.model.fields, {kTimeBased(), "txtMinutes=5"});
        h.model.Form_Unload();
        QCOMPARE(GetPrivateProfileString(kScheduleSourceList, "mruScheduleSource1", QString(), G_IniFilePath), h.jobFile);
        QCOMPARE(GetPrivateProfileString(kScheduleSourceList, "mruScheduleSource2", QString(), G_IniFilePath),
                 QStringLiteral("MRU_DONE"));
        QCOMPARE(stored("txtMinutes"), QStringLiteral("5"));
        QCOMPARE(stored("cbScheduledJobFile"), h.jobFile);
    }

private:
    static QString kTimeBased() { return QStringLiteral("optTimeBased"); }
    static QString kCalendarBased() { return QStringLiteral("optCalendarBased"); }
};

QTEST_GUILESS_MAIN(TestSchedulerSettings)
#include "test_scheduler_settings.moc"
