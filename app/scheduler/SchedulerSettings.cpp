#include "scheduler/SchedulerModel.h"

#include "base/MessageSink.h"
#include "core/DateRoutines.h"
#include "core/FilePickers.h"
#include "core/FileTimes.h"
#include "core/Globals.h"
#include "core/Translator.h"
#include "jobs/IniValues.h"
#include "jobs/TextNumbers.h"

#include <algorithm>

namespace {

using TextField = QString SchedulerFields::*;
using FlagField = bool SchedulerFields::*;

// The key of each value, in the order the section is written.
enum class Kind { Option, Text, Check, Date };
struct Key
{
    const char* name;
    Kind kind;
    FlagField flag = nullptr;
    TextField text = nullptr;
    WallTime SchedulerModel::*date = nullptr;
};

const Key kSavedKeys[] = {
    {"optTimeBased", Kind::Option, &SchedulerFields::optTimeBased},
    {"optCalendarBased", Kind::Option, &SchedulerFields::optCalendarBased},
    {"txtHours", Kind::Text, nullptr, &SchedulerFields::txtHours},
    {"txtMinutes", Kind::Text, nullptr, &SchedulerFields::txtMinutes},
    {"txtSeconds", Kind::Text, nullptr, &SchedulerFields::txtSeconds},
    {"optImmediately", Kind::Option, &SchedulerFields::optImmediately},
    {"optSkip", Kind::Option, &SchedulerFields::optSkip},
    {"optDaily", Kind::Option, &SchedulerFields::optDaily},
    {"optWeekly", Kind::Option, &SchedulerFields::optWeekly},
    {"optMonthly", Kind::Option, &SchedulerFields::optMonthly},
    {"cbHours", Kind::Text, nullptr, &SchedulerFields::cbHours},
    {"cbMinutes", Kind::Text, nullptr, &SchedulerFields::cbMinutes},
    {"cbAmPm", Kind::Text, nullptr, &SchedulerFields::cbAmPm},
    {"optNumDays", Kind::Option, &SchedulerFields::optNumDays},
    {"txtNumDays", Kind::Text, nullptr, &SchedulerFields::txtNumDays},
    {"optWeekdays", Kind::Option, &SchedulerFields::optWeekdays},
    {"txtNumWeeks", Kind::Text, nullptr, &SchedulerFields::txtNumWeeks},
    {"chkSun", Kind::Check, &SchedulerFields::chkSun},
    {"chkMon", Kind::Check, &SchedulerFields::chkMon},
    {"chkTue", Kind::Check, &SchedulerFields::chkTue},
    {"chkWed", Kind::Check, &SchedulerFields::chkWed},
    {"chkThu", Kind::Check, &SchedulerFields::chkThu},
    {"chkFri", Kind::Check, &SchedulerFields::chkFri},
    {"chkSat", Kind::Check, &SchedulerFields::chkSat},
    {"txtDayOfMonth", Kind::Text, nullptr, &SchedulerFields::txtDayOfMonth},
    {"txtNumMonths", Kind::Text, nullptr, &SchedulerFields::txtNumMonths},
    {"cbScheduledJobFile", Kind::Text, nullptr, &SchedulerFields::cbScheduledJobFile},
    {"chkPersistRunning", Kind::Check, &SchedulerFields::chkPersistRunning},
    {"dtUserTargetTime", Kind::Date, nullptr, nullptr, &SchedulerModel::dtUserTargetTime},
    {"dtTargetComplete", Kind::Date, nullptr, nullptr, &SchedulerModel::dtTargetComplete},
};

const QString kDefaultDate = QStringLiteral("1/1/2000 12:00:00 AM");

class SectionReader
{
public:
    explicit SectionReader(const QLocale& locale) : m_locale(locale) {}

    QString text(const char* key, const QString& defaultValue) const
    {
        return ReadIniText(kSchedulerSection, QString::fromLatin1(key), defaultValue, G_IniFilePath);
    }
    bool flag(const char* key, const char* defaultValue) const
    {
        return text(key, QString::fromLatin1(defaultValue)).compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0;
    }
    // A value that is not a number leaves the box as it was.
    void check(const char* key, bool& box) const
    {
        int value = 0;
        if (TextToWholeNumber(text(key, QStringLiteral("0")), value))
            box = value != 0;
    }
    // The combos hold only their list items; another value keeps the item
    // shown.
    void item(const char* key, const QStringList& items, QString& combo) const
    {
        const QString value = text(key, combo);
        if (items.contains(value))
            combo = value;
    }
    WallTime date(const char* key) const
    {
        const QDateTime value = StringToDate(text(key, kDefaultDate), m_locale);
        return MakeWallTime(value.date(), value.time());
    }

private:
    const QLocale& m_locale;
};

} // namespace

void SchedulerModel::Form_Load()
{
    bControlsLocked = false;
    ReadIniFileScheduler();
    bFirstWeeklyTarget = true;
    NotifyFieldsChanged();
}

void SchedulerModel::Form_Unload()
{
    SetTimer1Enabled(false);
    if (mruScheduleSource)
        mruScheduleSource->ShutDown();
    SaveIniFileScheduler();
}

void SchedulerModel::SetUpScheduler(const QString& sIniFilePath)
{
    mruScheduleSource.emplace();
    mruScheduleSource->Setup(kScheduleSourceCapacity, sIniFilePath, kScheduleSourceList, QStringLiteral("-1"));
    FillComboFromMRU();
    NotifyFieldsChanged();
}

void SchedulerModel::FillComboFromMRU()
{
    QStringList items;
    if (mruScheduleSource) {
        items = mruScheduleSource->clnMRU;
        std::reverse(items.begin(), items.end());
    }
    fields.cbScheduledJobFileItems = items;
    fields.cbScheduledJobFile = items.value(0);
}

void SchedulerModel::ReadIniFileScheduler()
{
    const SectionReader in(m_env.locale);
    SchedulerFields& f = fields;
    SetSchedulerOption(f, &SchedulerFields::optTimeBased, in.flag("optTimeBased", "FALSE"));
    SetSchedulerOption(f, &SchedulerFields::optCalendarBased, in.flag("optCalendarBased", "TRUE"));
    f.txtHours = in.text("txtHours", QStringLiteral("0"));
    f.txtMinutes = in.text("txtMinutes", QStringLiteral("0"));
    f.txtSeconds = in.text("txtSeconds", QStringLiteral("0"));
    bDaily = in.flag("optDaily", "TRUE");
    SetSchedulerOption(f, &SchedulerFields::optDaily, bDaily);
    bWeekly = in.flag("optWeekly", "FALSE");
    SetSchedulerOption(f, &SchedulerFields::optWeekly, bWeekly);
    bMonthly = in.flag("optMonthly", "FALSE");
    SetSchedulerOption(f, &SchedulerFields::optMonthly, bMonthly);
    in.item("cbHours", SchedulerHourItems(), f.cbHours);
    in.item("cbMinutes", SchedulerMinuteItems(), f.cbMinutes);
    in.item("cbAmPm", SchedulerAmPmItems(), f.cbAmPm);
    SetSchedulerOption(f, &SchedulerFields::optNumDays, in.flag("optNumDays", "TRUE"));
    f.txtNumDays = in.text("txtNumDays", QStringLiteral("1"));
    SetSchedulerOption(f, &SchedulerFields::optWeekdays, in.flag("optWeekdays", "FALSE"));
    f.txtNumWeeks = in.text("txtNumWeeks", QStringLiteral("1"));
    in.check("chkSun", f.chkSun);
    in.check("chkMon", f.chkMon);
    in.check("chkTue", f.chkTue);
    in.check("chkWed", f.chkWed);
    in.check("chkThu", f.chkThu);
    in.check("chkFri", f.chkFri);
    in.check("chkSat", f.chkSat);
    f.txtDayOfMonth = in.text("txtDayOfMonth", QStringLiteral("1"));
    f.txtNumMonths = in.text("txtNumMonths", QStringLiteral("1"));
    in.check("chkPersistRunning", f.chkPersistRunning);
    SetSchedulerOption(f, &SchedulerFields::optImmediately, in.flag("optImmediately", "TRUE"));
    SetSchedulerOption(f, &SchedulerFields::optSkip, in.flag("optSkip", "FALSE"));
    dtUserTargetTime = in.date("dtUserTargetTime");
    dtTargetComplete = in.date("dtTargetComplete");
    NotifyFieldsChanged();
}

QStringList SchedulerModel::SaveIniFileScheduler()
{
    QStringList failed;
    const auto write = [&failed](const char* key, const QString& value) {
        if (!WriteIniText(kSchedulerSection, QString::fromLatin1(key), value, G_IniFilePath))
            failed << QString::fromLatin1(key);
    };
    if (ValidateSchedulerInput() != schedulercode::Valid) {
        write("chkPersistRunning", QStringLiteral("0"));
        return failed;
    }
    for (const Key& k : kSavedKeys) {
        switch (k.kind) {
        case Kind::Option:
            write(k.name, fields.*k.flag ? QStringLiteral("True") : QStringLiteral("False"));
            break;
        case Kind::Check:
            write(k.name, fields.*k.flag ? QStringLiteral("1") : QStringLiteral("0"));
            break;
        case Kind::Text:
            write(k.name, fields.*k.text);
            break;
        case Kind::Date:
            write(k.name, StoredDateText(this->*k.date));
            break;
        }
    }
    return failed;
}

void SchedulerModel::cmdSelectScheduledJobFile_Click()
{
    int index = 1;
    JobFilePicked(ShowFileDialog(FileDialogMode::Open, Translate(QStringLiteral("Select .KRJ Job File")),
                                 QStringLiteral("KRJ Job File (*.krj)|*.krj"), index));
}

void SchedulerModel::JobFilePicked(const QString& path)
{
    strJobFile = path;
    if (path.isEmpty()) {
        ShowMessage(Translate(QStringLiteral("Please select a job file")));
    } else if (FileExists(path)) {
        fields.cbScheduledJobFile = path;
        if (mruScheduleSource)
            mruScheduleSource->AddUniqueItemToCollection(path);
        FillComboFromMRU();
        // Also when the list could not take the path.
        fields.cbScheduledJobFile = path;
    } else {
        ShowMessage(Translate(QStringLiteral("Job file does not exist")));
    }
    NotifyFieldsChanged();
}
