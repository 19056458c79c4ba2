// The scheduler's start, validation, first targets and ticks on a fake
// clock, in a zone with daylight-saving time.
#include "SchedulerTestSupport.h"

#include <QTest>

Q_DECLARE_METATYPE(TimeLeft)

namespace {

const QString kTimeBased = QStringLiteral("optTimeBased");
const QString kCalendar = QStringLiteral("optCalendarBased");

QString missingJob(const SchedulerHarness& h)
{
    return h.dir.filePath(QStringLiteral("gone.KRJ"));
}

} // namespace

class TestSchedulerModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(testZone().isValid(), "the time zone database (tzdata) is missing"); }

    void beginValidatesTheFields_data()
    {
        QTest::addColumn<QStringList>("assignments");
        QTest::addColumn<QString>("job"); // "existing", "missing" or ""
        QTest::addColumn<int>("code");
        QTest::addColumn<QStringList>("messages");

        const QString ok = QStringLiteral("existing");
        const QStringList noInterval{"Please enter a time interval"};
        const QStringList invalidInterval{"Please enter a valid time interval."};
        QTest::newRow("blank hours and minutes, zero seconds")
            << QStringList{kTimeBased, "txtHours= ", "txtMinutes=", "txtSeconds=0"} << ok << 4 << noInterval;
        QTest::newRow("invalid hours and no job file: the job file decides")
            << QStringList{kTimeBased, "txtHours=abc"} << QString() << 6 << QStringList{"Please enter a job file"};
        QTest::newRow("negative hours") << QStringList{kTimeBased, "txtHours=-1", "txtSeconds=5"} << ok << 1
                                        << QStringList{"Invalid time for hours"};
        QTest::newRow("minutes not a number") << QStringList{kTimeBased, "txtMinutes=1x"} << ok << 2
                                              << QStringList{"Invalid time for minutes"};
        QTest::newRow("seconds not a number") << QStringList{kTimeBased, "txtSeconds=x"} << ok << 3
                                              << QStringList{"Invalid time for seconds"};
        QTest::newRow("less than one whole second") << QStringList{kTimeBased, "txtSeconds=0.4"} << ok << 5
                                                    << invalidInterval;
        QTest::newRow("more seconds than 32 bits hold") << QStringList{kTimeBased, "txtHours=596524"} << ok << 5
                                                        << invalidInterval;
        QTest::newRow("the longest interval")
            << QStringList{kTimeBased, "txtHours=596523", "txtMinutes=14", "txtSeconds=7"} << ok << 0 << QStringList();
        QTest::newRow("a time-based job file that is missing")
            << QStringList{kTimeBased, "txtSeconds=30"} << "missing" << 7 << QStringList{"Job file does not exist"};
        QTest::newRow("every 90 seconds") << QStringList{kTimeBased, "txtMinutes=1", "txtSeconds=30"} << ok << 0
                                          << QStringList();

        QTest::newRow("no calendar job file") << QStringList{kCalendar} << QString() << 110
                                              << QStringList{"Please enter a job file"};
        QTest::newRow("a calendar job file that is missing")
            << QStringList{kCalendar} << "missing" << 112 << QStringList{"Job file does not exist"};
        const QStringList days{"Invalid number of days entered."};
        QTest::newRow("zero days") << QStringList{kCalendar, "txtNumDays=0"} << ok << 108 << days;
        QTest::newRow("days that round to zero") << QStringList{kCalendar, "txtNumDays=0.4"} << ok << 108 << days;
        QTest::newRow("more days than a count holds")
            << QStringList{kCalendar, "txtNumDays=40000"} << ok << 108 << days;
        QTest::newRow("zero weeks") << QStringList{kCalendar, "txtNumWeeks=0"} << ok << 109
                                    << QStringList{"Invalid number of weeks entered."};
        const QStringList date{"Date must be between 1 and 31"};
        QTest::newRow("day 32") << QStringList{kCalendar, "txtDayOfMonth=32"} << ok << 114 << date;
        QTest::newRow("day 0") << QStringList{kCalendar, "txtDayOfMonth=0"} << ok << 114 << date;
        QTest::newRow("a day that is not a plain number")
            << QStringList{kCalendar, "txtDayOfMonth=15x"} << ok << 114 << date;
        QTest::newRow("a day with a fraction") << QStringList{kCalendar, "txtDayOfMonth=1.5"} << ok << 114 << date;
        const QStringList months{"Number of months must be between 1 and 12"};
        QTest::newRow("13 months") << QStringList{kCalendar, "txtNumMonths=13"} << ok << 115 << months;
        QTest::newRow("half a month") << QStringList{kCalendar, "txtNumMonths=0.5"} << ok << 115 << months;
        QTest::newRow("1.4 months count as 1") << QStringList{kCalendar, "txtNumMonths=1.4"} << ok << 0
                                                 << QStringList();
        QTest::newRow("weekly with no day ticked") << QStringList{kCalendar, "optWeekly"} << ok << 113
                                                   << QStringList{"Please select day(s) of the week to run the job."};
        QTest::newRow("blank counts are 1")
            << QStringList{kCalendar, "txtNumDays= ", "txtNumWeeks=", "txtDayOfMonth=", "txtNumMonths= "} << ok << 0
            << QStringList();
        QTest::newRow("monthly on the 30th warns of shorter months")
            << QStringList{kCalendar, "optMonthly", "txtDayOfMonth=30"} << ok << 0
            << QStringList{"If a month has fewer than 30 days then the job will run on the last day of the month"};
    }

    void beginValidatesTheFields()
    {
        QFETCH(QStringList, assignments);
        QFETCH(QString, job);
        QFETCH(int, code);
        QFETCH(QStringList, messages);

        SchedulerHarness h;
        h.model.fields.cbScheduledJobFile = job == u"existing" ? h.jobFile : job == u"missing" ? missingJob(h) : QString();
        h.begin(wall(2024, 4, 10, 9, 0), assignments);

        QCOMPARE(h.sink.texts.join(u"|"), messages.join(u"|"));
        QCOMPARE(h.model.Timer1Enabled(), code == 0);
        QCOMPARE(h.model.bControlsLocked, code == 0);
        QCOMPARE(h.focusCodes, code == 0 ? QList<int>() : QList<int>{code});
    }

    void validationRepairsBlankFieldsAndTakesTheJobFile()
    {
        SchedulerHarness h;
        setFields(h.model.fields, {kTimeBased, "txtHours= ", "txtMinutes=", "txtSeconds=5"});
        QCOMPARE(h.model.ValidateSchedulerInput(), 0);
        QCOMPARE(h.model.fields.txtHours, QStringLiteral("0"));
        QCOMPARE(h.model.fields.txtMinutes, QStringLiteral("0"));
        // Without a job file of its own the validation takes the combo's.
        QCOMPARE(h.model.strJobFile, h.jobFile);

        setFields(h.model.fields, {kCalendar, "txtNumDays=", "txtDayOfMonth= "});
        QCOMPARE(h.model.ValidateSchedulerInput(), 0);
        QCOMPARE(h.model.fields.txtNumDays, QStringLiteral("1"));
        QCOMPARE(h.model.fields.txtDayOfMonth, QStringLiteral("1"));
        QCOMPARE(h.model.intNumDays, 1);

        // A job file taken earlier, and the combo emptied since.
        h.model.fields.cbScheduledJobFile.clear();
        QCOMPARE(h.model.ValidateSchedulerInput(), int(schedulercode::NoJobFileSelected));
    }

    void aCommaDecimalIsANumberButNoInterval()
    {
        // "0,5" reads as half a second in the regional format, so it is an
        // interval, but its leading number is 0.
        SchedulerHarness h(QLocale(QLocale::German, QLocale::Germany));
        h.begin(wall(2024, 4, 10, 9, 0), {kTimeBased, "txtSeconds=0,5"});
        QCOMPARE(h.sink.texts, QStringList{"Please enter a valid time interval."});
        QVERIFY(!h.model.Timer1Enabled());
    }

    void firstTargets_data()
    {
        QTest::addColumn<WallTime>("start");
        QTest::addColumn<QStringList>("assignments");
        QTest::addColumn<WallTime>("target");

        // 2024-04-10 is a Wednesday.
        QTest::newRow("midnight chosen at 09:00: tomorrow")
            << wall(2024, 4, 10, 9, 0) << QStringList{kCalendar, "cbHours=12", "cbMinutes=00", "cbAmPm=AM"}
            << wall(2024, 4, 11, 0, 0);
        QTest::newRow("09:30 chosen at 09:00: today")
            << wall(2024, 4, 10, 9, 0) << QStringList{kCalendar, "cbHours=9", "cbMinutes=30", "cbAmPm=AM"}
            << wall(2024, 4, 10, 9, 30);
        QTest::newRow("within the target minute: today")
            << wall(2024, 4, 10, 9, 30, 40) << QStringList{kCalendar, "cbHours=9", "cbMinutes=30", "cbAmPm=AM"}
            << wall(2024, 4, 10, 9, 30);
        QTest::newRow("the minute after: tomorrow")
            << wall(2024, 4, 10, 9, 31) << QStringList{kCalendar, "cbHours=9", "cbMinutes=30", "cbAmPm=AM"}
            << wall(2024, 4, 11, 9, 30);
        QTest::newRow("12:30 PM in the morning: today")
            << wall(2024, 4, 10, 9, 0) << QStringList{kCalendar, "cbHours=12", "cbMinutes=30", "cbAmPm=PM"}
            << wall(2024, 4, 10, 12, 30);
        QTest::newRow("09:00 PM in the evening, passed: tomorrow")
            << wall(2024, 4, 10, 21, 5) << QStringList{kCalendar, "cbHours=9", "cbMinutes=00", "cbAmPm=PM"}
            << wall(2024, 4, 11, 21, 0);
        QTest::newRow("weekly, only today, every 2 weeks, passed: in 14 days")
            << wall(2024, 4, 10, 10, 0)
            << QStringList{kCalendar, "optWeekly", "chkWed", "txtNumWeeks=2", "cbHours=9", "cbAmPm=AM"}
            << wall(2024, 4, 24, 9, 0);
        QTest::newRow("weekly, Monday and Friday, on a Wednesday: this Friday")
            << wall(2024, 4, 10, 10, 0) << QStringList{kCalendar, "optWeekly", "chkMon", "chkFri", "cbHours=9"}
            << wall(2024, 4, 12, 9, 0);
        QTest::newRow("weekly, Monday only, on a Wednesday: next Monday")
            << wall(2024, 4, 10, 10, 0) << QStringList{kCalendar, "optWeekly", "chkMon", "cbHours=9"}
            << wall(2024, 4, 15, 9, 0);
        QTest::newRow("weekly, today ticked, time ahead: today")
            << wall(2024, 4, 10, 8, 0) << QStringList{kCalendar, "optWeekly", "chkWed", "chkFri", "cbHours=9"}
            << wall(2024, 4, 10, 9, 0);
        QTest::newRow("monthly 31 on April 10: April 30")
            << wall(2024, 4, 10, 9, 0) << QStringList{kCalendar, "optMonthly", "txtDayOfMonth=31", "cbHours=10"}
            << wall(2024, 4, 30, 10, 0);
        QTest::newRow("monthly 31 on April 30 after the time: stays April 30")
            << wall(2024, 4, 30, 11, 0) << QStringList{kCalendar, "optMonthly", "txtDayOfMonth=31", "cbHours=10"}
            << wall(2024, 4, 30, 10, 0);
        QTest::newRow("monthly 5 on April 10: May 5")
            << wall(2024, 4, 10, 9, 0) << QStringList{kCalendar, "optMonthly", "txtDayOfMonth=5", "cbHours=10"}
            << wall(2024, 5, 5, 10, 0);
        QTest::newRow("monthly 30 on January 31 of a leap year: February 29")
            << wall(2024, 1, 31, 9, 0) << QStringList{kCalendar, "optMonthly", "txtDayOfMonth=30", "cbHours=10"}
            << wall(2024, 2, 29, 10, 0);
        QTest::newRow("monthly 30 on January 31 of a common year: February 28")
            << wall(2023, 1, 31, 9, 0) << QStringList{kCalendar, "optMonthly", "txtDayOfMonth=30", "cbHours=10"}
            << wall(2023, 2, 28, 10, 0);
        QTest::newRow("time-based 0 h 1 min 30 s at 10:00:00: 10:01:30")
            << wall(2024, 4, 10, 10, 0) << QStringList{kTimeBased, "txtMinutes=1", "txtSeconds=30"}
            << wall(2024, 4, 10, 10, 1, 30);
        QTest::newRow("time-based 1 h across the spring change: real seconds")
            << wall(2024, 3, 31, 1, 30) << QStringList{kTimeBased, "txtHours=1"} << wall(2024, 3, 31, 3, 30);
    }

    void firstTargets()
    {
        QFETCH(WallTime, start);
        QFETCH(QStringList, assignments);
        QFETCH(WallTime, target);

        SchedulerHarness h;
        h.begin(start, assignments);
        QVERIFY(h.model.Timer1Enabled());
        if (h.model.bTimeBased) {
            QCOMPARE(WallTimeOf(h.model.dtTimeTarget, testZone()), target);
        } else {
            QCOMPARE(h.model.dtTargetComplete, target);
            QCOMPARE(h.model.dtRunTarget, target);
        }
    }

    void weeklyFirstTargetStartsAfreshAtEveryBegin()
    {
        // Every 2 weeks on Monday and Thursday, begun on a Friday: the
        // first Monday is the next one, however often Begin is pressed.
        SchedulerHarness h;
        for (int i = 0; i < 2; ++i) {
            h.begin(wall(2024, 4, 12, 10, 0),
                    {kCalendar, "optWeekly", "chkMon", "chkThu", "txtNumWeeks=2", "cbHours=9"});
            QCOMPARE(h.model.dtRunTarget, wall(2024, 4, 15, 9, 0));
            h.model.StopTimer();
            QVERIFY(!h.model.Timer1Enabled());
            QVERIFY(!h.model.bControlsLocked);
        }
    }

    void ticksRunAtTargetsAndMoveThemOn_data()
    {
        QTest::addColumn<WallTime>("start");
        QTest::addColumn<QStringList>("assignments");
        QTest::addColumn<QList<QDateTime>>("ticks");
        QTest::addColumn<int>("runSeconds");
        QTest::addColumn<QList<WallTime>>("runs");
        QTest::addColumn<WallTime>("target");

        const auto at = [](std::initializer_list<WallTime> walls) {
            QList<QDateTime> out;
            for (const WallTime& w : walls)
                out << instant(w);
            return out;
        };
        const QStringList eight{"cbHours=8", "cbMinutes=00", "cbAmPm=AM"};

        // 2024-01-01 is a Monday.
        QTest::newRow("every 2 days, asleep at the target: moved on without a run")
            << wall(2024, 1, 1, 7, 0) << (QStringList{kCalendar, "txtNumDays=2"} + eight)
            << at({wall(2024, 1, 1, 8, 5), wall(2024, 1, 3, 8, 0, 30)}) << 0 << QList<WallTime>{wall(2024, 1, 3, 8, 0, 30)}
            << wall(2024, 1, 5, 8, 0);
        QTest::newRow("weekdays only: Saturday and Sunday pass, Monday runs")
            << wall(2024, 1, 6, 7, 0) << (QStringList{kCalendar, "optWeekdays"} + eight)
            << at({wall(2024, 1, 6, 8, 0), wall(2024, 1, 7, 8, 0), wall(2024, 1, 8, 8, 0, 10)}) << 0
            << QList<WallTime>{wall(2024, 1, 8, 8, 0, 10)} << wall(2024, 1, 9, 8, 0);
        QTest::newRow("weekly on Monday, Wednesday and Friday")
            << wall(2024, 1, 1, 7, 0) << (QStringList{kCalendar, "optWeekly", "chkMon", "chkWed", "chkFri"} + eight)
            << at({wall(2024, 1, 1, 8, 0), wall(2024, 1, 3, 8, 0), wall(2024, 1, 5, 8, 0)}) << 5
            << QList<WallTime>{wall(2024, 1, 1, 8, 0), wall(2024, 1, 3, 8, 0), wall(2024, 1, 5, 8, 0)}
            << wall(2024, 1, 8, 8, 0);
        QTest::newRow("every 2 weeks on Monday")
            << wall(2024, 1, 1, 7, 0) << (QStringList{kCalendar, "optWeekly", "chkMon", "txtNumWeeks=2"} + eight)
            << at({wall(2024, 1, 1, 8, 0), wall(2024, 1, 8, 8, 0)}) << 5 << QList<WallTime>{wall(2024, 1, 1, 8, 0)}
            << wall(2024, 1, 15, 8, 0);
        QTest::newRow("every 2 weeks on Monday and Thursday")
            << wall(2024, 1, 1, 7, 0)
            << (QStringList{kCalendar, "optWeekly", "chkMon", "chkThu", "txtNumWeeks=2"} + eight)
            << at({wall(2024, 1, 1, 8, 0), wall(2024, 1, 4, 8, 0)}) << 5
            << QList<WallTime>{wall(2024, 1, 1, 8, 0), wall(2024, 1, 4, 8, 0)} << wall(2024, 1, 15, 8, 0);
        QTest::newRow("a missed weekly target is found again from today")
            << wall(2024, 1, 1, 7, 0) << (QStringList{kCalendar, "optWeekly", "chkWed"} + eight)
            << at({wall(2024, 1, 4, 9, 0)}) << 0 << QList<WallTime>() << wall(2024, 1, 10, 8, 0);
        QTest::newRow("monthly 31 through a leap February")
            << wall(2024, 1, 31, 7, 0) << (QStringList{kCalendar, "optMonthly", "txtDayOfMonth=31"} + eight)
            << at({wall(2024, 1, 31, 8, 0), wall(2024, 2, 29, 8, 0), wall(2024, 3, 31, 8, 0), wall(2024, 4, 30, 8, 0)})
            << 5
            << QList<WallTime>{wall(2024, 1, 31, 8, 0), wall(2024, 2, 29, 8, 0), wall(2024, 3, 31, 8, 0),
                               wall(2024, 4, 30, 8, 0)}
            << wall(2024, 5, 31, 8, 0);
        QTest::newRow("monthly 31 through a common February")
            << wall(2023, 1, 31, 7, 0) << (QStringList{kCalendar, "optMonthly", "txtDayOfMonth=31"} + eight)
            << at({wall(2023, 1, 31, 8, 0), wall(2023, 2, 28, 8, 0)}) << 5
            << QList<WallTime>{wall(2023, 1, 31, 8, 0), wall(2023, 2, 28, 8, 0)} << wall(2023, 3, 31, 8, 0);
        QTest::newRow("every 3 months on the 30th, over a year end")
            << wall(2023, 11, 30, 7, 0)
            << (QStringList{kCalendar, "optMonthly", "txtDayOfMonth=30", "txtNumMonths=3"} + eight)
            << at({wall(2023, 11, 30, 8, 0), wall(2024, 2, 29, 8, 0)}) << 5
            << QList<WallTime>{wall(2023, 11, 30, 8, 0), wall(2024, 2, 29, 8, 0)} << wall(2024, 5, 30, 8, 0);
        QTest::newRow("a missed monthly target catches up without a run")
            << wall(2024, 1, 10, 7, 0) << (QStringList{kCalendar, "optMonthly", "txtDayOfMonth=15"} + eight)
            << at({wall(2024, 2, 20, 9, 0)}) << 0 << QList<WallTime>() << wall(2024, 3, 15, 8, 0);
        QTest::newRow("a time the spring change skips runs at the first minute after")
            << wall(2024, 3, 30, 12, 0) << QStringList{kCalendar, "cbHours=2", "cbMinutes=30", "cbAmPm=AM"}
            << at({wall(2024, 3, 31, 1, 59), wall(2024, 3, 31, 3, 0)}) << 5
            << QList<WallTime>{wall(2024, 3, 31, 3, 0)} << wall(2024, 4, 1, 2, 30);
        QTest::newRow("a time the autumn change repeats runs once")
            << wall(2024, 10, 26, 12, 0) << QStringList{kCalendar, "cbHours=2", "cbMinutes=30", "cbAmPm=AM"}
            << (at({wall(2024, 10, 27, 2, 30)}) << instant(wall(2024, 10, 27, 2, 30)).addSecs(3600)) << 5
            << QList<WallTime>{wall(2024, 10, 27, 2, 30)} << wall(2024, 10, 28, 2, 30);
        QTest::newRow("time-based, skip mode, a run longer than three intervals")
            << wall(2024, 1, 1, 9, 59, 50) << QStringList{kTimeBased, "txtSeconds=10", "optSkip"}
            << at({wall(2024, 1, 1, 10, 0)}) << 35 << QList<WallTime>{wall(2024, 1, 1, 10, 0)}
            << wall(2024, 1, 1, 10, 0, 40);
        QTest::newRow("time-based, continuous: the late runs follow at once")
            << wall(2024, 1, 1, 9, 59, 50) << QStringList{kTimeBased, "txtSeconds=10", "optImmediately"}
            << at({wall(2024, 1, 1, 10, 0), wall(2024, 1, 1, 10, 0, 36)}) << 35
            << QList<WallTime>{wall(2024, 1, 1, 10, 0), wall(2024, 1, 1, 10, 0, 36)} << wall(2024, 1, 1, 10, 0, 20);
        QTest::newRow("time-based counts real seconds over the spring change")
            << wall(2024, 3, 31, 1, 30) << QStringList{kTimeBased, "txtHours=1"}
            << at({wall(2024, 3, 31, 3, 29, 59), wall(2024, 3, 31, 3, 30)}) << 0
            << QList<WallTime>{wall(2024, 3, 31, 3, 30)} << wall(2024, 3, 31, 4, 30);
    }

    void ticksRunAtTargetsAndMoveThemOn()
    {
        QFETCH(WallTime, start);
        QFETCH(QStringList, assignments);
        QFETCH(QList<QDateTime>, ticks);
        QFETCH(int, runSeconds);
        QFETCH(QList<WallTime>, runs);
        QFETCH(WallTime, target);

        SchedulerHarness h;
        h.runSeconds = runSeconds;
        h.begin(start, assignments);
        QVERIFY(h.model.Timer1Enabled());
        for (const QDateTime& t : ticks) {
            h.now = t;
            h.model.Timer1_Timer();
        }
        QCOMPARE(h.runs, runs);
        QCOMPARE(h.runFiles, QStringList(runs.size(), h.jobFile));
        QCOMPARE(h.model.bTimeBased ? WallTimeOf(h.model.dtTimeTarget, testZone()) : h.model.dtRunTarget, target);
        QCOMPARE(h.shown.size(), ticks.size());
    }

    void eachTickShowsTheTimeLeft_data()
    {
        QTest::addColumn<QString>("seconds");
        QTest::addColumn<int>("tickAfter");
        QTest::addColumn<TimeLeft>("shown");
        QTest::addColumn<int>("runs");

        QTest::newRow("one day, hour, minute and second ahead") << "90061" << 0 << TimeLeft{1, 1, 1, 1} << 0;
        QTest::newRow("one second ahead") << "1" << 0 << TimeLeft{0, 0, 0, 1} << 0;
        QTest::newRow("at the target") << "1" << 1 << TimeLeft{0, 0, 0, 0} << 1;
        QTest::newRow("one second behind") << "1" << 2 << TimeLeft{0, 0, 0, 1} << 1;
    }

    void eachTickShowsTheTimeLeft()
    {
        QFETCH(QString, seconds);
        QFETCH(int, tickAfter);
        QFETCH(TimeLeft, shown);
        QFETCH(int, runs);

        SchedulerHarness h;
        h.begin(wall(2024, 1, 1, 10, 0), {kTimeBased, "txtSeconds=" + seconds});
        h.now = h.now.addSecs(tickAfter);
        h.model.Timer1_Timer();
        QCOMPARE(h.shown, QList<TimeLeft>{shown});
        QCOMPARE(h.runs.size(), runs);
    }

    void theTimeLeftToARepeatedTimeCountsToItsFirstOccurrence()
    {
        // 02:30 on 2024-10-27 comes twice; at the first 02:00 it is half an
        // hour away.
        SchedulerHarness h;
        h.begin(wall(2024, 10, 26, 12, 0), {kCalendar, "cbHours=2", "cbMinutes=30", "cbAmPm=AM"});
        h.tickAt({wall(2024, 10, 27, 2, 0)});
        const QList<TimeLeft> halfAnHour{TimeLeft{0, 0, 30, 0}};
        QCOMPARE(h.shown, halfAnHour);
    }

    void ticksDuringARunOrALoadOnlyShowTheTime()
    {
        SchedulerHarness h;
        h.begin(wall(2024, 1, 1, 9, 59, 50), {kTimeBased, "txtSeconds=10", "optSkip"});
        // A job of the window runs (or loads) past the target.
        bool windowBusy = true;
        h.model.hooks.bJobBusy = [&windowBusy] { return windowBusy; };
        h.tickAt({wall(2024, 1, 1, 10, 0), wall(2024, 1, 1, 10, 0, 5)});
        QVERIFY(h.runs.isEmpty());
        QCOMPARE(h.shown.size(), 2);
        QCOMPARE(WallTimeOf(h.model.dtTimeTarget, testZone()), wall(2024, 1, 1, 10, 0));

        // Once it has ended, the due run starts; a tick the job loop lets in
        // while it runs starts no second one.
        windowBusy = false;
        h.onRun = [&h] {
            h.now = h.now.addSecs(20);
            h.model.Timer1_Timer();
        };
        h.tickAt({wall(2024, 1, 1, 10, 0, 6)});
        QCOMPARE(h.runs, QList<WallTime>{wall(2024, 1, 1, 10, 0, 6)});
        QCOMPARE(h.shown.size(), 4);
        QCOMPARE(WallTimeOf(h.model.dtTimeTarget, testZone()), wall(2024, 1, 1, 10, 0, 30));
    }

    void aCalendarTargetNeverRunsTwice()
    {
        // Only today ticked: a run over within its own second finds the
        // same target again; the next tick in that minute must not run it.
        SchedulerHarness h;
        h.begin(wall(2024, 1, 3, 9, 0), {kCalendar, "optWeekly", "chkWed", "cbHours=10", "cbMinutes=00"});
        h.tickAt({wall(2024, 1, 3, 10, 0), wall(2024, 1, 3, 10, 0, 1), wall(2024, 1, 3, 10, 0, 30)});
        QCOMPARE(h.runs, QList<WallTime>{wall(2024, 1, 3, 10, 0)});
        QCOMPARE(h.model.dtRunTarget, wall(2024, 1, 10, 10, 0));

        // Begun again in the same minute: the target has already run.
        h.model.StopTimer();
        h.begin(wall(2024, 1, 10, 9, 59, 30), {});
        h.tickAt({wall(2024, 1, 10, 10, 0), wall(2024, 1, 10, 10, 0, 20)});
        QCOMPARE(h.runs.size(), 2);
        h.model.StopTimer();
        h.begin(wall(2024, 1, 10, 10, 0, 30), {});
        h.tickAt({wall(2024, 1, 10, 10, 0, 40)});
        QCOMPARE(h.runs.size(), 2);
    }

    void aScheduleEndedOrBegunDuringARunKeepsItsTarget()
    {
        SchedulerHarness h;
        h.begin(wall(2024, 1, 1, 9, 59, 50), {kTimeBased, "txtSeconds=10"});
        h.onRun = [&h] { h.model.StopTimer(); };
        h.tickAt({wall(2024, 1, 1, 10, 0)});
        QVERIFY(!h.model.Timer1Enabled());
        QCOMPARE(WallTimeOf(h.model.dtTimeTarget, testZone()), wall(2024, 1, 1, 10, 0));

        // Begun anew (1 minute) while the old schedule's run went on.
        h.onRun = [&h] {
            h.model.StopTimer();
            h.model.fields.txtSeconds = QStringLiteral("60");
            h.model.cmdStartTimer_Click();
        };
        h.model.fields.txtSeconds = QStringLiteral("10");
        h.begin(wall(2024, 1, 1, 10, 1), {});
        h.tickAt({wall(2024, 1, 1, 10, 1, 10)});
        QVERIFY(h.model.Timer1Enabled());
        QCOMPARE(WallTimeOf(h.model.dtTimeTarget, testZone()), wall(2024, 1, 1, 10, 2, 10));
    }

    void aStoppedTimerDoesNothing()
    {
        SchedulerHarness h;
        h.begin(wall(2024, 1, 1, 9, 59, 50), {kTimeBased, "txtSeconds=10"});
        h.model.StopTimer();
        h.tickAt({wall(2024, 1, 1, 10, 0)});
        QVERIFY(h.runs.isEmpty());
        QVERIFY(h.shown.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSchedulerModel)
#include "test_scheduler_model.moc"
