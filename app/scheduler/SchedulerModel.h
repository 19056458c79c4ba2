#pragma once
// The scheduler without its window: it runs one conversion job file
// unattended, either every fixed interval (time-based, counted from the
// start) or at a time of day (calendar-based: every N days or on weekdays,
// weekly on ticked days every N weeks, monthly on a day of every N months).
//
// Begin (cmdStartTimer_Click) validates the fields, computes the first
// target and starts the one-second timer; each tick (Timer1_Timer) reports
// the time left, raises the run when the target has come and moves the
// target on. Everything reads the time from an injected clock, so tests
// drive the ticks with a fake one. The form (scheduler/frmScheduler.h) shows
// `fields` and the running state; the main window connects the events
// (scheduler/SchedulerWindowHooks.h).
#include "jobs/clsMRU.h"
#include "scheduler/SchedulerCalendar.h"
#include "scheduler/SchedulerFields.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTimeZone>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QTimer;

// Codes of ValidateSchedulerInput; each but 113 comes with its message.
namespace schedulercode {
constexpr int Valid = 0;
constexpr int InvalidHours = 1;
constexpr int InvalidMinutes = 2;
constexpr int InvalidSeconds = 3;
constexpr int NoInterval = 4;
constexpr int InvalidInterval = 5;
constexpr int NoJobFile = 6;
constexpr int MissingJobFile = 7;
constexpr int InvalidDays = 108;
constexpr int InvalidWeeks = 109;
constexpr int NoJobFileCalendar = 110;
constexpr int NoJobFileSelected = 111;
constexpr int MissingJobFileCalendar = 112;
constexpr int NoWeekdays = 113;
constexpr int InvalidDayOfMonth = 114;
constexpr int InvalidMonths = 115;
} // namespace schedulercode

// Settings section and recently-used list of the scheduler.
inline const QString kSchedulerSection = QStringLiteral("frmScheduler");
inline const QString kScheduleSourceList = QStringLiteral("mruScheduleSource");
constexpr int kScheduleSourceCapacity = 20;

// What the window and the form add. Each may be left empty.
struct SchedulerHooks
{
    // RunTheJobEvent: a run is due; runs the job file and returns when the
    // job has ended.
    std::function<void(const QString& strTimerFile)> RunTheJobEvent;
    // DisplayTimeRemainingEvent, on every tick of a running schedule: the
    // time to the next run split into days, hours, minutes and seconds
    // (after the target, the time since it).
    std::function<void(qint64 lngDays, qint64 lngHours, qint64 lngMinutes, qint64 lngSeconds)>
        DisplayTimeRemainingEvent;
    // True while a job runs or a job file loads, from the window or from
    // the scheduler; a tick then only reports the time.
    std::function<bool()> bJobBusy;
    // After a refused start, while the form is visible: the focus goes to
    // the field at fault (a hidden days or weeks field is set to "1").
    std::function<void(int code)> FocusInputError;
    // The fields or the running state changed; the form shows them again.
    std::function<void()> FieldsChanged;
};

class SchedulerModel
{
public:
    // The current instant (in any zone); read to the whole second.
    using Clock = std::function<QDateTime()>;

    struct Environment
    {
        Clock clock;                                  // empty: the system clock
        QTimeZone zone = QTimeZone::systemTimeZone(); // the wall clock of calendar targets
        QLocale locale = QLocale::system();           // the regional number format
        bool bRealTimer = true;                       // false: ticks come only from Timer1_Timer calls
    };

    SchedulerModel();
    explicit SchedulerModel(Environment environment);
    ~SchedulerModel();
    SchedulerModel(const SchedulerModel&) = delete;
    SchedulerModel& operator=(const SchedulerModel&) = delete;

    SchedulerFields fields;
    SchedulerHooks hooks;

    // Begin, and its steps.
    void cmdStartTimer_Click();
    void CollectDataFromFrmScheduler();
    void StartRelativeTimer();
    void StartCalendarTimer();
    void GetCalendarTimerDataFromGUI();
    void StartTimer();
    // End: the timer off, the set-up controls back.
    void StopTimer();
    // The set-up controls back (End disabled).
    void ResetSchedulerForm();

    // 0, or the code of the first fault; blank fields become "0" or "1"
    // and the job file is taken from the combo on the way.
    int ValidateSchedulerInput();

    // The timer: enabled exactly while a schedule runs.
    bool Timer1Enabled() const { return m_timerEnabled; }
    void SetTimer1Enabled(bool enabled);
    // True while the set-up controls are locked (a schedule runs).
    bool bControlsLocked = false;

    // One tick of the running schedule.
    void Timer1_Timer();

    // Next targets.
    WallTime WeeklyFindNextTargetDate();
    WallTime MonthlyFindNextTargetDate(const QString& sDayOfMonth);
    QDateTime SkipMissedIntervals(const QDateTime& target);

    // The form's load and unload, and its list of recent job files.
    void Form_Load();
    void Form_Unload();
    void SetUpScheduler(const QString& sIniFilePath);
    // Section "frmScheduler" of G_IniFilePath. Saving validates first: a
    // set-up that would not start writes only chkPersistRunning = "0", so
    // it is not restarted at the next start-up. Gives the keys whose write
    // failed.
    void ReadIniFileScheduler();
    QStringList SaveIniFileScheduler();
    // The job-file picker (through the current FileChooser), then
    // JobFilePicked with its answer.
    void cmdSelectScheduledJobFile_Click();
    // After the job-file picker: an empty path (cancelled) or a missing
    // file is refused with a message; an existing one goes into the combo
    // and the list.
    void JobFilePicked(const QString& path);

    // The schedule's state; members keep the program's names.
    QString strJobFile;
    QString strTimerFile;
    bool bTimeBased = false;
    bool bRunImmediately = false;
    qint64 lngIntervalSeconds = 0;
    QDateTime dtTimeTarget; // an instant (UTC)
    bool bDaily = false;
    bool bWeekly = false;
    bool bMonthly = false;
    bool bEveryNDays = false;
    bool bEveryWeekday = false;
    int intNumDays = 0;
    int intNumWeeks = 0;
    int intNumMonths = 0;
    std::array<bool, 8> bDayFlags{}; // by weekday, 1 = Sunday .. 7 = Saturday
    int intTodayWeekday = 0;
    int intTargetWeekday = 0;
    bool bFirstWeeklyTarget = false;
    QString strDayOfMonth;
    WallTime dtUserTargetTime = MakeWallTime(QDate(1899, 12, 30), QTime(0, 0));
    WallTime dtTargetComplete = MakeWallTime(QDate(1899, 12, 30), QTime(0, 0));
    WallTime dtRunTarget;
    QTime dtRunTimeOfDay;
    bool blnPersistRun = false;
    // The calendar target that ran last: a target never runs twice.
    WallTime dtLastRunTarget;

    std::optional<clsMRU> mruScheduleSource;

    // The clock's instant, to the whole second, and its wall time.
    QDateTime Now() const;
    WallTime NowWall() const;
    const QTimeZone& Zone() const { return m_env.zone; }

private:
    // A number in the regional format or with "." as the decimal point.
    bool IsNumeric(const QString& text, double* value = nullptr) const;
    int ValidateTimeBasedInput();
    int ValidateCalendarBasedInput();
    bool CheckWeekdaysSelected();
    bool IsTodaySelectedWeekday(const WallTime& now);
    void ShowSchedulerInputError(int code);
    double GetRelativeIntervalSeconds() const;
    void ComputeFirstCalendarTarget();
    void FindWeeklyTargetDay(const WallTime& now);
    void LockSchedulerControls();
    // Writes the started job file into the recent list.
    void RememberJobFile();
    void RaiseTimeRemaining(const QDateTime& target, const QDateTime& now);
    void TimeBasedTick();
    void CalendarTick();
    // Raises the run; false when the schedule was ended or started anew
    // while the job ran, so its target must not move.
    bool RunTheJob();
    void FillComboFromMRU();
    void NotifyFieldsChanged();
    bool bBusy() const;

    Environment m_env;
    bool m_timerEnabled = false;
    std::unique_ptr<QTimer> m_timer;
    // Set while a run raised by a tick is in progress.
    bool m_bRunInProgress = false;
    // Counts starts and stops, so a run can tell that its schedule changed.
    quint64 m_scheduleGeneration = 0;
};

// The leading decimal number of a text, "." as the decimal point; 0 when
// there is none ("12abc" is 12, "0,5" is 0).
double Val(const QString& text);
