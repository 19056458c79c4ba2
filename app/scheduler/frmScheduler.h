#pragma once
// The scheduler form "Schedule a Job": the job file, the Set Up page (a
// time-based interval, or a calendar time daily, weekly or monthly) and the
// Options page. It shows the fields and the running state of its
// SchedulerModel and writes every edit back into the fields; the model does
// the rest. The main form creates it once and shows it modally for the
// schedule command; Done or Esc only hides it, so a schedule goes on. Its
// texts are English as designed: the window translates it (TranslateForm)
// once it has loaded it; the value boxes keep their texts.
#include "scheduler/SchedulerModel.h"
#include "scheduler/SchedulerWindowHooks.h"
#include "scheduler/frmTabKeys.h"

#include <QDialog>

#include <functional>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;
class MainFormState;

class frmScheduler : public QDialog
{
    Q_OBJECT

public:
    explicit frmScheduler(QWidget* parent = nullptr);
    // With a clock and zone of the caller's (tests).
    explicit frmScheduler(SchedulerModel::Environment environment, QWidget* parent = nullptr);
    ~frmScheduler() override;

    SchedulerModel& model() { return m_model; }

    // Controls, by the program's names.
    QComboBox* cbScheduledJobFile = nullptr;
    QToolButton* picScheduledJobFile = nullptr;
    QPushButton* cmdSelectScheduledJobFile = nullptr;
    QTabWidget* TabStrip1 = nullptr;
    QWidget* fraSetup = nullptr;
    QWidget* fraOptions = nullptr;
    QRadioButton* optTimeBased = nullptr;
    QRadioButton* optCalendarBased = nullptr;
    QGroupBox* fraTimeBased = nullptr;
    QLineEdit* txtHours = nullptr;
    QLineEdit* txtMinutes = nullptr;
    QLineEdit* txtSeconds = nullptr;
    QGroupBox* fraCalendarBased = nullptr;
    QComboBox* cbHours = nullptr;
    QComboBox* cbMinutes = nullptr;
    QComboBox* cbAmPm = nullptr;
    QRadioButton* optDaily = nullptr;
    QRadioButton* optWeekly = nullptr;
    QRadioButton* optMonthly = nullptr;
    QWidget* fraDaily = nullptr;
    QRadioButton* optNumDays = nullptr;
    QLineEdit* txtNumDays = nullptr;
    QRadioButton* optWeekdays = nullptr;
    QWidget* fraWeekly = nullptr;
    QLineEdit* txtNumWeeks = nullptr;
    QCheckBox* chkMon = nullptr;
    QCheckBox* chkTue = nullptr;
    QCheckBox* chkWed = nullptr;
    QCheckBox* chkThu = nullptr;
    QCheckBox* chkFri = nullptr;
    QCheckBox* chkSat = nullptr;
    QCheckBox* chkSun = nullptr;
    QWidget* fraMonthly = nullptr;
    QLineEdit* txtDayOfMonth = nullptr;
    QLineEdit* txtNumMonths = nullptr;
    QCheckBox* chkPersistRunning = nullptr;
    QRadioButton* optImmediately = nullptr;
    QRadioButton* optSkip = nullptr;
    QPushButton* cmdStartTimer = nullptr;
    QPushButton* cmdEndTimer = nullptr;
    QPushButton* cmdDone = nullptr;

protected:
    // Ctrl+Tab and Ctrl+Shift+Tab cycle the tabs wherever the focus is
    // while the form shows.
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void build();
    void connectEdits();
    // The fields and the running state into the controls.
    void ShowFields();
    void FocusInputError(int code);
    void cmdEndTimer_Click();

    SchedulerModel m_model;
    bool m_showing = false;
    FormTabKeys m_tabKeys{this, [this](int shift) { CycleTabs(TabStrip1, shift); }};
};

// The schedule command of the main form: the recent job files read afresh,
// the form shown modally, then the command state and, with no schedule
// running, the product name back in the caption.
void ShowScheduler(frmScheduler& frmSched, MainFormState& form, const SchedulerWindow& window);
