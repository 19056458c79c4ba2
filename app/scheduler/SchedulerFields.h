#pragma once
// The values of the scheduler form's controls, held without a window. The
// form (scheduler/frmScheduler.h) shows them and writes every edit back;
// the scheduler's start, validation and settings read and change them
// here. The defaults are those of a first run (no settings file).
#include <QString>
#include <QStringList>

struct SchedulerFields
{
    // Set Up page: the kind of schedule.
    bool optTimeBased = false;
    bool optCalendarBased = true;

    // Time-based interval.
    QString txtHours = QStringLiteral("0");
    QString txtMinutes = QStringLiteral("0");
    QString txtSeconds = QStringLiteral("0");

    // Calendar-based: the time of day and the kind.
    QString cbHours = QStringLiteral("12");   // "1" to "12"
    QString cbMinutes = QStringLiteral("00"); // "00" to "59"
    QString cbAmPm = QStringLiteral("AM");    // "AM" or "PM"
    bool optDaily = true;
    bool optWeekly = false;
    bool optMonthly = false;

    // Daily: every N days, or Monday to Friday.
    bool optNumDays = true;
    QString txtNumDays = QStringLiteral("1");
    bool optWeekdays = false;

    // Weekly: every N weeks on the ticked days.
    QString txtNumWeeks = QStringLiteral("1");
    bool chkSun = false;
    bool chkMon = false;
    bool chkTue = false;
    bool chkWed = false;
    bool chkThu = false;
    bool chkFri = false;
    bool chkSat = false;

    // Monthly: a day of every N months.
    QString txtDayOfMonth = QStringLiteral("1");
    QString txtNumMonths = QStringLiteral("1");

    // The job file: the combo's text and its list (newest first).
    QString cbScheduledJobFile;
    QStringList cbScheduledJobFileItems;

    // Options page.
    bool chkPersistRunning = false;
    bool optImmediately = true;
    bool optSkip = false;

    // The check box of a weekday, 1 = Sunday to 7 = Saturday.
    bool& DayTicked(int weekday);
    bool DayTicked(int weekday) const;

    bool operator==(const SchedulerFields&) const = default;
};

// Sets one option button of a group the way an option button is set:
// True selects it and clears the others of its group; False clears only
// it, so a group may end up with none selected.
using SchedulerOption = bool SchedulerFields::*;
void SetSchedulerOption(SchedulerFields& fields, SchedulerOption option, bool value);

// The items of the time-of-day combos, in list order.
QStringList SchedulerHourItems();   // "1" .. "12"
QStringList SchedulerMinuteItems(); // "00" .. "59"
QStringList SchedulerAmPmItems();   // "AM", "PM"
