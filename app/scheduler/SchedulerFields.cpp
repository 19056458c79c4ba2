#include "scheduler/SchedulerFields.h"

#include <algorithm>
#include <initializer_list>

namespace {

using Group = std::initializer_list<SchedulerOption>;

const Group kGroups[] = {
    {&SchedulerFields::optTimeBased, &SchedulerFields::optCalendarBased},
    {&SchedulerFields::optDaily, &SchedulerFields::optWeekly, &SchedulerFields::optMonthly},
    {&SchedulerFields::optNumDays, &SchedulerFields::optWeekdays},
    {&SchedulerFields::optImmediately, &SchedulerFields::optSkip},
};

bool SchedulerFields::* const kDays[7] = {
    &SchedulerFields::chkSun, &SchedulerFields::chkMon, &SchedulerFields::chkTue, &SchedulerFields::chkWed,
    &SchedulerFields::chkThu, &SchedulerFields::chkFri, &SchedulerFields::chkSat,
};

} // namespace

bool& SchedulerFields::DayTicked(int weekday)
{
    return this->*kDays[std::clamp(weekday, 1, 7) - 1];
}

bool SchedulerFields::DayTicked(int weekday) const
{
    return this->*kDays[std::clamp(weekday, 1, 7) - 1];
}

void SetSchedulerOption(SchedulerFields& fields, SchedulerOption option, bool value)
{
    if (value) {
        for (const Group& group : kGroups) {
            if (std::find(group.begin(), group.end(), option) == group.end())
                continue;
            for (SchedulerOption other : group)
                fields.*other = false;
        }
    }
    fields.*option = value;
}

QStringList SchedulerHourItems()
{
    QStringList items;
    for (int h = 1; h <= 12; ++h)
        items << QString::number(h);
    return items;
}

QStringList SchedulerMinuteItems()
{
    QStringList items;
    for (int m = 0; m <= 59; ++m)
        items << QString::number(m).rightJustified(2, u'0');
    return items;
}

QStringList SchedulerAmPmItems()
{
    return {QStringLiteral("AM"), QStringLiteral("PM")};
}
