#pragma once
// A scheduler on a fake clock in a zone with daylight-saving time, and the
// times its tests speak of, as wall times of that zone.
#include "RecordingMessageSink.h"

#include "core/Globals.h"
#include "scheduler/SchedulerModel.h"

#include <QDateTime>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimeZone>

#include <functional>
#include <map>
#include <memory>

// Records every message box for as long as it lives.
class InstalledSink : public testutil::RecordingMessageSink
{
public:
    InstalledSink() { SetMessageSink(this); }
    ~InstalledSink() override { SetMessageSink(nullptr); }
    InstalledSink(const InstalledSink&) = delete;
    InstalledSink& operator=(const InstalledSink&) = delete;
};

// Clocks change on 2024-03-31 02:00 (to 03:00) and 2024-10-27 03:00 (back
// to 02:00).
inline QTimeZone testZone()
{
    return QTimeZone("Europe/Berlin");
}

inline WallTime wall(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return MakeWallTime(QDate(y, mo, d), QTime(h, mi, s));
}

// A wall time of the test zone as an instant (a repeated time gives its
// first instant).
inline QDateTime instant(const WallTime& w)
{
    return InstantOf(w, testZone());
}

struct TimeLeft
{
    qint64 d, h, m, s;
    bool operator==(const TimeLeft&) const = default;
};

// Sets fields from texts such as "txtHours= " (a text), "optWeekly" (an
// option button selected in its group) or "chkMon" (a ticked box).
inline void setFields(SchedulerFields& f, const QStringList& assignments)
{
    static const std::map<QString, QString SchedulerFields::*> texts = {
        {"txtHours", &SchedulerFields::txtHours},         {"txtMinutes", &SchedulerFields::txtMinutes},
        {"txtSeconds", &SchedulerFields::txtSeconds},     {"cbHours", &SchedulerFields::cbHours},
        {"cbMinutes", &SchedulerFields::cbMinutes},       {"cbAmPm", &SchedulerFields::cbAmPm},
        {"txtNumDays", &SchedulerFields::txtNumDays},     {"txtNumWeeks", &SchedulerFields::txtNumWeeks},
        {"txtDayOfMonth", &SchedulerFields::txtDayOfMonth}, {"txtNumMonths", &SchedulerFields::txtNumMonths},
        {"cbScheduledJobFile", &SchedulerFields::cbScheduledJobFile},
    };
    static const std::map<QString, bool SchedulerFields::*> options = {
        {"optTimeBased", &SchedulerFields::optTimeBased}, {"optCalendarBased", &SchedulerFields::optCalendarBased},
        {"optDaily", &SchedulerFields::optDaily},         {"optWeekly", &SchedulerFields::optWeekly},
        {"optMonthly", &SchedulerFields::optMonthly},     {"optNumDays", &SchedulerFields::optNumDays},
        {"optWeekdays", &SchedulerFields::optWeekdays},   {"optImmediately", &SchedulerFields::optImmediately},
        {"optSkip", &SchedulerFields::optSkip},
    };
    static const std::map<QString, bool SchedulerFields::*> boxes = {
        {"chkSun", &SchedulerFields::chkSun}, {"chkMon", &SchedulerFields::chkMon},
        {"chkTue", &SchedulerFields::chkTue}, {"chkWed", &SchedulerFields::chkWed},
        {"chkThu", &SchedulerFields::chkThu}, {"chkFri", &SchedulerFields::chkFri},
        {"chkSat", &SchedulerFields::chkSat}, {"chkPersistRunning", &SchedulerFields::chkPersistRunning},
    };
    for (const QString& a : assignments) {
        const qsizetype eq = a.indexOf(u'=');
        const QString name = eq < 0 ? a : a.left(eq);
        if (eq >= 0 && texts.count(name))
            f.*texts.at(name) = a.mid(eq + 1);
        else if (options.count(name))
            SetSchedulerOption(f, options.at(name), true);
        else if (boxes.count(name))
            f.*boxes.at(name) = true;
        else
            qFatal("unknown field assignment %s", qPrintable(a));
    }
}

class SchedulerHarness
{
public:
    explicit SchedulerHarness(const QLocale& locale = QLocale::c())
        : model(SchedulerModel::Environment{[this] { return now; }, testZone(), locale, false})
    {
        model.hooks.RunTheJobEvent = [this](const QString& file) {
            runs << WallTimeOf(now, testZone());
            runFiles << file;
            if (onRun)
                onRun();
            now = now.addSecs(runSeconds);
        };
        model.hooks.DisplayTimeRemainingEvent = [this](qint64 d, qint64 h, qint64 m, qint64 s) {
            shown << TimeLeft{d, h, m, s};
        };
        model.hooks.FocusInputError = [this](int code) { focusCodes << code; };
        model.bFirstWeeklyTarget = true;
        jobFile = dir.filePath(QStringLiteral("job.KRJ"));
        QFile file(jobFile);
        file.open(QIODevice::WriteOnly);
        model.fields.cbScheduledJobFile = jobFile;
    }

    // Sets the fields and begins at the wall time.
    void begin(const WallTime& at, const QStringList& assignments)
    {
        setNow(at);
        setFields(model.fields, assignments);
        model.cmdStartTimer_Click();
    }

    void setNow(const WallTime& w) { now = instant(w); }

    // A tick at each wall time in turn.
    void tickAt(const QList<WallTime>& times)
    {
        for (const WallTime& w : times) {
            setNow(w);
            model.Timer1_Timer();
        }
    }

    InstalledSink sink;
    QTemporaryDir dir;
    QString jobFile; // an existing (empty) job file, in the combo at first
    QDateTime now = instant(wall(2024, 1, 1, 9, 0));
    SchedulerModel model;
    QList<WallTime> runs;
    QStringList runFiles;
    QList<TimeLeft> shown;
    QList<int> focusCodes;
    // How long each run takes on the fake clock, and what it does.
    qint64 runSeconds = 0;
    std::function<void()> onRun;
};
