#include "scheduler/SchedulerModel.h"

#include <algorithm>
#include <cstdlib>

namespace {

// A monthly target left behind by a long sleep catches up by at most this
// many steps; a year of steps of one month each, and more.
constexpr int kMaxCatchUpSteps = 1200;

} // namespace

void SchedulerModel::Timer1_Timer()
{
    if (!m_timerEnabled)
        return;
    if (bTimeBased)
        TimeBasedTick();
    else
        CalendarTick();
}

void SchedulerModel::RaiseTimeRemaining(const QDateTime& target, const QDateTime& now)
{
    const qint64 s = std::llabs(target.secsTo(now));
    if (hooks.DisplayTimeRemainingEvent)
        hooks.DisplayTimeRemainingEvent(s / 86400, (s % 86400) / 3600, (s % 3600) / 60, s % 60);
}

bool SchedulerModel::RunTheJob()
{
    const quint64 generation = m_scheduleGeneration;
    struct InProgress
    {
        bool& flag;
        explicit InProgress(bool& f) : flag(f) { flag = true; }
        ~InProgress() { flag = false; }
    } inProgress(m_bRunInProgress);
    if (hooks.RunTheJobEvent)
        hooks.RunTheJobEvent(strTimerFile);
    return m_timerEnabled && generation == m_scheduleGeneration;
}

void SchedulerModel::TimeBasedTick()
{
    const QDateTime now = Now();
    const qint64 d = dtTimeTarget.secsTo(now);
    RaiseTimeRemaining(dtTimeTarget, now);
    if (d < 0)
        return;
    // A tick during a run or a load only shows the time; the run that is
    // due starts once the other has ended.
    if (bBusy())
        return;
    if (!RunTheJob())
        return;
    dtTimeTarget = SkipMissedIntervals(dtTimeTarget.addSecs(lngIntervalSeconds));
}

QDateTime SchedulerModel::SkipMissedIntervals(const QDateTime& target)
{
    if (bRunImmediately || lngIntervalSeconds < 1)
        return target;
    const qint64 behind = target.secsTo(Now());
    if (behind < 1)
        return target;
    // The first target that is not in the past; the runs missed are dropped.
    const qint64 steps = (behind + lngIntervalSeconds - 1) / lngIntervalSeconds;
    return target.addSecs(steps * lngIntervalSeconds);
}

void SchedulerModel::CalendarTick()
{
    const QDateTime now = Now();
    const WallTime wall = WallTimeOf(now, m_env.zone);
    // A target time that the clocks skip runs in the first minute after.
    const WallTime due = FirstExistingWallTime(dtRunTarget, m_env.zone);
    const qint64 d = MinutesBetween(due, wall);
    RaiseTimeRemaining(InstantOf(due, m_env.zone), now);
    intTodayWeekday = WeekdayNumber(wall.date());
    if (d < 0)
        return;
    if (bBusy())
        return;

    // A run only in the target's own minute, and never twice for one
    // target (a repeated hour, a weekly target found again in its minute).
    const bool runNow = d == 0 && dtRunTarget != dtLastRunTarget;
    const auto run = [this] {
        dtLastRunTarget = dtRunTarget;
        return RunTheJob();
    };
    if (bDaily) {
        if (bEveryNDays) {
            if (runNow && !run())
                return;
            dtRunTarget = dtRunTarget.addDays(intNumDays);
        } else if (bEveryWeekday) {
            const bool weekend = intTodayWeekday == 7 || intTodayWeekday == 1;
            if (!weekend && runNow && !run())
                return;
            dtRunTarget = dtRunTarget.addDays(1);
        }
    } else if (bWeekly) {
        // Also a target whose day passed without a tick: the next one is
        // found from today.
        if (runNow && !run())
            return;
        dtRunTarget = WeeklyFindNextTargetDate();
    } else if (intNumMonths > 0) {
        if (dtRunTarget.date() == wall.date()) {
            if (runNow && !run())
                return;
            MonthlyFindNextTargetDate(strDayOfMonth);
        } else {
            // Its day passed without a tick: the schedule's next target
            // that is not before today.
            for (int i = 0; i < kMaxCatchUpSteps && dtRunTarget.date() < wall.date(); ++i)
                MonthlyFindNextTargetDate(strDayOfMonth);
        }
    }
}

WallTime SchedulerModel::MonthlyFindNextTargetDate(const QString& sDayOfMonth)
{
    const int day = PlainWholeNumber(sDayOfMonth).value_or(1);
    const QDate base = dtRunTarget.date().addMonths(intNumMonths);
    dtRunTarget = MakeWallTime(DateInMonth(base.year(), base.month(), std::clamp(day, 1, 31)), dtRunTimeOfDay);
    return dtRunTarget;
}
