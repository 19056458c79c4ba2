#include "scheduler/SchedulerModel.h"

#include "base/MessageSink.h"
#include "core/FileTimes.h"
#include "core/Translator.h"
#include "jobs/TextNumbers.h"

#include <QTimer>

#include <cmath>
#include <limits>

namespace {

// Day and week counts are 16-bit numbers in the stored schedule; more
// would overflow the date arithmetic long before it was reached.
constexpr int kMaxCount = 32767;

void showMessage(const QString& text)
{
    ShowMessage(Translate(text));
}

bool isBlankOrSpace(const QString& text)
{
    return text.isEmpty() || text == QLatin1String(" ");
}

// Rounds to the nearest whole number, a half to the even neighbour.
double roundHalfEven(double value)
{
    return std::nearbyint(value);
}

// A count field after rounding: at least 1, at most kMaxCount.
bool countInRange(const QString& text)
{
    const double rounded = roundHalfEven(Val(text));
    return rounded >= 1 && rounded <= kMaxCount;
}

int roundedCount(const QString& text)
{
    const double rounded = roundHalfEven(Val(text));
    if (!std::isfinite(rounded) || rounded < 0)
        return 0;
    return int(std::min(rounded, double(kMaxCount)));
}

} // namespace

double Val(const QString& text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\n' || text[i] == u'\r'))
        ++i;
    const qsizetype start = i;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    qsizetype digits = 0;
    while (i < n && text[i].isDigit() && text[i].unicode() < 128) {
        ++i;
        ++digits;
    }
    if (i < n && text[i] == u'.') {
        ++i;
        while (i < n && text[i].isDigit() && text[i].unicode() < 128) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0;
    qsizetype end = i;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < n && (text[j] == u'+' || text[j] == u'-'))
            ++j;
        qsizetype expDigits = 0;
        while (j < n && text[j].isDigit() && text[j].unicode() < 128) {
            ++j;
            ++expDigits;
        }
        if (expDigits > 0)
            end = j;
    }
    double value = 0;
    if (!TextToNumber(QStringView(text).mid(start, end - start), value))
        return 0;
    return value;
}

SchedulerModel::SchedulerModel() : SchedulerModel(Environment()) {}

SchedulerModel::SchedulerModel(Environment environment) : m_env(std::move(environment))
{
    if (!m_env.clock)
        m_env.clock = [] { return QDateTime::currentDateTimeUtc(); };
    if (m_env.bRealTimer) {
        m_timer = std::make_unique<QTimer>();
        m_timer->setInterval(1000);
        m_timer->callOnTimeout([this] { Timer1_Timer(); });
    }
}

SchedulerModel::~SchedulerModel() = default;

QDateTime SchedulerModel::Now() const
{
    const QDateTime now = m_env.clock().toUTC();
    return QDateTime::fromSecsSinceEpoch(now.toSecsSinceEpoch(), QTimeZone::utc());
}

WallTime SchedulerModel::NowWall() const
{
    return WallTimeOf(Now(), m_env.zone);
}

void SchedulerModel::SetTimer1Enabled(bool enabled)
{
    if (enabled != m_timerEnabled)
        ++m_scheduleGeneration;
    m_timerEnabled = enabled;
    if (m_timer) {
        if (enabled)
            m_timer->start();
        else
            m_timer->stop();
    }
}

void SchedulerModel::NotifyFieldsChanged()
{
    if (hooks.FieldsChanged)
        hooks.FieldsChanged();
}

bool SchedulerModel::bBusy() const
{
    return m_bRunInProgress || (hooks.bJobBusy && hooks.bJobBusy());
}

// Begin.

void SchedulerModel::cmdStartTimer_Click()
{
    // Each start computes its weekly target afresh.
    bFirstWeeklyTarget = true;
    CollectDataFromFrmScheduler();
    if (fields.optTimeBased)
        StartRelativeTimer();
    else if (fields.optCalendarBased)
        StartCalendarTimer();
    NotifyFieldsChanged();
}

void SchedulerModel::CollectDataFromFrmScheduler()
{
    bDaily = fields.optDaily;
    bEveryNDays = fields.optNumDays;
    bEveryWeekday = fields.optWeekdays;
    bWeekly = fields.optWeekly;
    for (int day = 1; day <= 7; ++day)
        bDayFlags[size_t(day)] = fields.DayTicked(day);
    bMonthly = fields.optMonthly;
    strDayOfMonth = fields.txtDayOfMonth;
    dtRunTimeOfDay = dtUserTargetTime.time();
}

void SchedulerModel::StartRelativeTimer()
{
    strJobFile = fields.cbScheduledJobFile;
    const int code = ValidateSchedulerInput();
    if (code != schedulercode::Valid) {
        ShowSchedulerInputError(code);
        return;
    }
    lngIntervalSeconds = qint64(roundHalfEven(GetRelativeIntervalSeconds()));
    dtTimeTarget = Now().addSecs(lngIntervalSeconds);
    LockSchedulerControls();
    RememberJobFile();
    StartTimer();
}

void SchedulerModel::StartCalendarTimer()
{
    GetCalendarTimerDataFromGUI();
    const int code = ValidateSchedulerInput();
    if (code != schedulercode::Valid) {
        ShowSchedulerInputError(code);
        return;
    }
    ComputeFirstCalendarTarget();
    LockSchedulerControls();
    RememberJobFile();
    StartTimer();
}

void SchedulerModel::RememberJobFile()
{
    // The list holds the schedule's own file, also one typed into the box,
    // so that a restart at the next start-up runs this job and not an
    // older one.
    if (mruScheduleSource) {
        mruScheduleSource->AddUniqueItemToCollection(strJobFile);
        mruScheduleSource->WriteCollectionToIniFile();
    }
}

void SchedulerModel::GetCalendarTimerDataFromGUI()
{
    strJobFile = fields.cbScheduledJobFile;
    if (fields.optDaily) {
        bDaily = true;
        bWeekly = false;
        bMonthly = false;
        if (fields.optNumDays) {
            bEveryNDays = true;
            bEveryWeekday = false;
        } else if (fields.optWeekdays) {
            bEveryNDays = false;
            bEveryWeekday = true;
        }
    } else if (fields.optWeekly) {
        bDaily = false;
        bWeekly = true;
        bMonthly = false;
    } else if (fields.optMonthly) {
        bDaily = false;
        bWeekly = false;
        bMonthly = true;
    }
}

void SchedulerModel::StartTimer()
{
    bTimeBased = fields.optTimeBased;
    blnPersistRun = fields.chkPersistRunning;
    if (bTimeBased) {
        bRunImmediately = fields.optImmediately;
        strTimerFile = strJobFile;
    } else {
        CollectDataFromFrmScheduler();
        strTimerFile = strJobFile;
        dtRunTarget = dtTargetComplete;
    }
    // A new schedule, even when one ran: a run still in progress must not
    // move this schedule's target.
    ++m_scheduleGeneration;
    SetTimer1Enabled(true);
}

void SchedulerModel::StopTimer()
{
    SetTimer1Enabled(false);
    ResetSchedulerForm();
}

void SchedulerModel::LockSchedulerControls()
{
    bControlsLocked = true;
    NotifyFieldsChanged();
}

void SchedulerModel::ResetSchedulerForm()
{
    bControlsLocked = false;
    NotifyFieldsChanged();
}

// Validation.

bool SchedulerModel::IsNumeric(const QString& text, double* value) const
{
    double parsed = 0;
    bool ok = false;
    parsed = m_env.locale.toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(parsed))
        ok = TextToNumber(text, parsed);
    if (ok && value)
        *value = parsed;
    return ok;
}

int SchedulerModel::ValidateSchedulerInput()
{
    if (fields.optTimeBased)
        return ValidateTimeBasedInput();
    if (fields.optCalendarBased)
        return ValidateCalendarBasedInput();
    return schedulercode::Valid;
}

int SchedulerModel::ValidateTimeBasedInput()
{
    for (QString* field : {&fields.txtHours, &fields.txtMinutes, &fields.txtSeconds}) {
        if (isBlankOrSpace(*field))
            *field = QStringLiteral("0");
    }
    int code = schedulercode::Valid;
    const QString* const texts[3] = {&fields.txtHours, &fields.txtMinutes, &fields.txtSeconds};
    const int fieldCodes[3] = {schedulercode::InvalidHours, schedulercode::InvalidMinutes,
                               schedulercode::InvalidSeconds};
    double values[3] = {0, 0, 0};
    for (int i = 0; i < 3 && code == schedulercode::Valid; ++i) {
        if (!IsNumeric(*texts[i], &values[i]) || Val(*texts[i]) < 0)
            code = fieldCodes[i];
    }
    if (code == schedulercode::Valid) {
        if (values[0] == 0 && values[1] == 0 && values[2] == 0) {
            code = schedulercode::NoInterval;
        } else if (Val(fields.txtHours) <= 0 && Val(fields.txtMinutes) <= 0 && Val(fields.txtSeconds) <= 0) {
            code = schedulercode::InvalidInterval;
        } else {
            // An interval of no whole second would run on every tick; one
            // beyond 32 bits cannot be counted.
            const double seconds = roundHalfEven(GetRelativeIntervalSeconds());
            if (!(seconds >= 1 && seconds <= double(std::numeric_limits<qint32>::max())))
                code = schedulercode::InvalidInterval;
        }
    }
    // The job file decides over any field fault.
    if (!strJobFile.isEmpty()) {
        if (!FileExists(fields.cbScheduledJobFile))
            code = schedulercode::MissingJobFile;
    } else if (!fields.cbScheduledJobFile.isEmpty()) {
        strJobFile = fields.cbScheduledJobFile;
    } else {
        code = schedulercode::NoJobFile;
    }
    return code;
}

int SchedulerModel::ValidateCalendarBasedInput()
{
    for (QString* field : {&fields.txtNumDays, &fields.txtNumWeeks, &fields.txtDayOfMonth, &fields.txtNumMonths}) {
        if (field->trimmed().isEmpty())
            *field = QStringLiteral("1");
    }
    int code = schedulercode::Valid;
    if (!strJobFile.isEmpty()) {
        const std::optional<int> dayOfMonth = PlainWholeNumber(fields.txtDayOfMonth);
        if (fields.cbScheduledJobFile.isEmpty())
            code = schedulercode::NoJobFileSelected;
        else if (!FileExists(fields.cbScheduledJobFile))
            code = schedulercode::MissingJobFileCalendar;
        else if (!IsNumeric(fields.txtNumDays) || !countInRange(fields.txtNumDays))
            code = schedulercode::InvalidDays;
        else if (!IsNumeric(fields.txtNumWeeks) || !countInRange(fields.txtNumWeeks))
            code = schedulercode::InvalidWeeks;
        else if (!dayOfMonth || *dayOfMonth < 1 || *dayOfMonth > 31)
            code = schedulercode::InvalidDayOfMonth;
        else if (Val(fields.txtNumMonths) < 1 || Val(fields.txtNumMonths) > 12)
            code = schedulercode::InvalidMonths;
    } else if (!fields.cbScheduledJobFile.isEmpty()) {
        strJobFile = fields.cbScheduledJobFile;
    } else {
        code = schedulercode::NoJobFileCalendar;
    }
    if (code == schedulercode::Valid && fields.optWeekly && !CheckWeekdaysSelected())
        code = schedulercode::NoWeekdays;
    intNumDays = roundedCount(fields.txtNumDays);
    intNumWeeks = roundedCount(fields.txtNumWeeks);
    intNumMonths = roundedCount(fields.txtNumMonths);
    return code;
}

bool SchedulerModel::CheckWeekdaysSelected()
{
    for (int day = 1; day <= 7; ++day) {
        if (fields.DayTicked(day))
            return true;
    }
    showMessage(QStringLiteral("Please select day(s) of the week to run the job."));
    return false;
}

void SchedulerModel::ShowSchedulerInputError(int code)
{
    using namespace schedulercode;
    switch (code) {
    case InvalidHours: showMessage(QStringLiteral("Invalid time for hours")); break;
    case InvalidMinutes: showMessage(QStringLiteral("Invalid time for minutes")); break;
    case InvalidSeconds: showMessage(QStringLiteral("Invalid time for seconds")); break;
    case NoInterval: showMessage(QStringLiteral("Please enter a time interval")); break;
    case InvalidInterval: showMessage(QStringLiteral("Please enter a valid time interval.")); break;
    case NoJobFile:
    case NoJobFileCalendar: showMessage(QStringLiteral("Please enter a job file")); break;
    case MissingJobFile:
    case MissingJobFileCalendar: showMessage(QStringLiteral("Job file does not exist")); break;
    case NoJobFileSelected: showMessage(QStringLiteral("Please select a job file")); break;
    case InvalidDays: showMessage(QStringLiteral("Invalid number of days entered.")); break;
    case InvalidWeeks: showMessage(QStringLiteral("Invalid number of weeks entered.")); break;
    case InvalidDayOfMonth: showMessage(QStringLiteral("Date must be between 1 and 31")); break;
    case InvalidMonths: showMessage(QStringLiteral("Number of months must be between 1 and 12")); break;
    default: break; // 113: CheckWeekdaysSelected has said it
    }
    if (hooks.FocusInputError)
        hooks.FocusInputError(code);
}

double SchedulerModel::GetRelativeIntervalSeconds() const
{
    return Val(fields.txtHours) * 3600 + Val(fields.txtMinutes) * 60 + Val(fields.txtSeconds);
}

// The first calendar target.

void SchedulerModel::ComputeFirstCalendarTarget()
{
    const WallTime now = NowWall();
    const QTime userTime = TwelveHourTime(fields.cbHours, fields.cbMinutes, fields.cbAmPm).value_or(QTime(0, 0));
    dtUserTargetTime = MakeWallTime(QDate(1899, 12, 30), userTime);
    // Tomorrow once the target minute has passed today.
    const qint64 minutesPast = MinutesBetween(MakeWallTime(now.date(), userTime), now);
    const QDate day = minutesPast > 0 ? now.date().addDays(1) : now.date();
    dtTargetComplete = MakeWallTime(day, userTime);

    if (fields.optWeekly)
        dtTargetComplete = WeeklyFindNextTargetDate();
    if (fields.optMonthly) {
        const int dayOfMonth = PlainWholeNumber(fields.txtDayOfMonth).value_or(1);
        if (dayOfMonth >= 29 && dayOfMonth <= 31) {
            // One phrase for the translator, with the plain number in it.
            const QString sentence = QStringLiteral("If a month has fewer than ") + QString::number(dayOfMonth)
                                     + QStringLiteral(" days then the job will run on the last day of the month");
            ShowMessage(Translate(sentence));
        }
        QDate date = DateInMonth(now.date().year(), now.date().month(), dayOfMonth);
        // Only day numbers count: a target earlier today stays today, and
        // the first tick moves it on.
        if (date.day() < now.date().day())
            date = date.addMonths(1);
        dtTargetComplete = MakeWallTime(date, userTime);
    }
}

bool SchedulerModel::IsTodaySelectedWeekday(const WallTime& now)
{
    intTodayWeekday = WeekdayNumber(now.date());
    if (!bDayFlags[size_t(intTodayWeekday)])
        return false;
    intTargetWeekday = intTodayWeekday;
    return true;
}

void SchedulerModel::FindWeeklyTargetDay(const WallTime& now)
{
    const bool today = IsTodaySelectedWeekday(now);
    const QTime t = dtTargetComplete.time();
    const QTime reference(t.hour(), t.minute(), 0);
    if (today && now.time() < reference) {
        intTargetWeekday = intTodayWeekday;
        return;
    }
    // From tomorrow through the week, today last.
    for (int step = 1; step <= 7; ++step) {
        const int day = (intTodayWeekday - 1 + step) % 7 + 1;
        if (bDayFlags[size_t(day)]) {
            intTargetWeekday = day;
            return;
        }
    }
}

WallTime SchedulerModel::WeeklyFindNextTargetDate()
{
    const WallTime now = NowWall();
    const QDate today = now.date();
    const int c = WeekdayNumber(today);
    FindWeeklyTargetDay(now);
    const int b = intTargetWeekday;
    QDate date;
    if (c < b)
        date = today.addDays(b - c);
    else if (b == c)
        date = now.time() > dtUserTargetTime.time() ? today.addDays(7 * qint64(intNumWeeks)) : today;
    else if (intNumWeeks < 2 || bFirstWeeklyTarget)
        date = today.addDays(b - c + 7);
    else
        date = today.addDays(7 * qint64(intNumWeeks - 1) + (7 - (c - b)));
    bFirstWeeklyTarget = false;
    return MakeWallTime(date, dtUserTargetTime.time());
}
