#include "scheduler/SchedulerCalendar.h"

#include "scheduler/SchedulerFields.h"

#include <algorithm>

namespace {

// A gap is at most a few hours; a day bounds the search in any zone.
constexpr int kMaxGapMinutes = 24 * 60;

bool exists(const WallTime& wall, const QTimeZone& zone)
{
    const QDateTime local(wall.date(), wall.time(), zone);
    if (!local.isValid())
        return false;
    const QDateTime shown = local.toTimeZone(zone);
    return shown.date() == wall.date() && shown.time() == wall.time();
}

qint64 floorDiv(qint64 a, qint64 b)
{
    const qint64 q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

} // namespace

WallTime MakeWallTime(const QDate& date, const QTime& time)
{
    return QDateTime(date, time, QTimeZone::utc());
}

WallTime WallTimeOf(const QDateTime& instant, const QTimeZone& zone)
{
    const QDateTime local = instant.toTimeZone(zone);
    const QTime t = local.time();
    return MakeWallTime(local.date(), QTime(t.hour(), t.minute(), t.second()));
}

WallTime FirstExistingWallTime(const WallTime& wall, const QTimeZone& zone)
{
    if (exists(wall, zone))
        return wall;
    // Into the gap's next whole minute, then on a minute at a time.
    const QTime t = wall.time();
    WallTime probe = MakeWallTime(wall.date(), QTime(t.hour(), t.minute())).addSecs(60);
    for (int i = 0; i < kMaxGapMinutes; ++i, probe = probe.addSecs(60)) {
        if (exists(probe, zone))
            return probe;
    }
    return wall;
}

QDateTime InstantOf(const WallTime& wall, const QTimeZone& zone)
{
    const QDateTime local(wall.date(), wall.time(), zone);
    if (local.isValid()) {
        // A time the clocks show twice: its first instant. Clocks go back
        // by at most two hours anywhere.
        const QDateTime found = local.toUTC();
        for (const qint64 back : {7200, 5400, 3600, 2700, 1800}) {
            const QDateTime earlier = found.addSecs(-back);
            if (WallTimeOf(earlier, zone) == wall)
                return earlier;
        }
        return found;
    }
    // Not shown by the zone's clocks: read it at the offset before the gap.
    const QDateTime before = QDateTime(wall.date(), wall.time(), QTimeZone::utc()).addSecs(-86400);
    return wall.addSecs(-zone.offsetFromUtc(before)).toUTC();
}

qint64 MinutesBetween(const WallTime& from, const WallTime& to)
{
    return floorDiv(to.toSecsSinceEpoch(), 60) - floorDiv(from.toSecsSinceEpoch(), 60);
}

int WeekdayNumber(const QDate& date)
{
    // Qt counts Monday 1 to Sunday 7.
    return date.dayOfWeek() % 7 + 1;
}

QDate DateInMonth(int year, int month, int day)
{
    const QDate first(year, month, 1);
    return QDate(year, month, std::min(day, first.daysInMonth()));
}

std::optional<QTime> TwelveHourTime(const QString& hours, const QString& minutes, const QString& amPm)
{
    const int hourIndex = SchedulerHourItems().indexOf(hours);
    const int minute = SchedulerMinuteItems().indexOf(minutes);
    const int half = SchedulerAmPmItems().indexOf(amPm);
    if (hourIndex < 0 || minute < 0 || half < 0)
        return std::nullopt;
    // Item 0 is "1"; "12" is the first hour of its half of the day.
    const int hour = (hourIndex + 1) % 12 + 12 * half;
    return QTime(hour, minute);
}

std::optional<int> PlainWholeNumber(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > 9)
        return std::nullopt;
    for (const QChar c : trimmed) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    return trimmed.toInt();
}

QString StoredDateText(const WallTime& wall)
{
    return wall.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}
