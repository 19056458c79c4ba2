#include "scheduler/frmScheduler.h"

#include "core/Globals.h"
#include "core/Translator.h"
#include "jobs/MainFormState.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// A control whose text is a value: the form's translation leaves it alone
// (the "Tag" property the window's TranslateForm reads).
void keepText(QWidget* control)
{
    control->setProperty("Tag", QStringLiteral("TranslateFalse"));
}

QLabel* label(const char* text, QWidget* parent)
{
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->setWordWrap(true);
    return l;
}

// Option buttons are exclusive through the fields (SetSchedulerOption), so
// that a group may show none selected as a stored set-up can have it.
QRadioButton* option(const char* text, QWidget* parent)
{
    auto* b = new QRadioButton(QString::fromUtf8(text), parent);
    b->setAutoExclusive(false);
    return b;
}

QLineEdit* numberBox(QWidget* parent)
{
    auto* e = new QLineEdit(parent);
    keepText(e);
    e->setMaximumWidth(60);
    return e;
}

void setText(QLineEdit* edit, const QString& text)
{
    if (edit->text() != text)
        edit->setText(text);
}

void setItem(QComboBox* combo, const QString& text)
{
    const int index = combo->findText(text);
    if (index >= 0)
        combo->setCurrentIndex(index);
}

} // namespace

frmScheduler::frmScheduler(QWidget* parent) : frmScheduler(SchedulerModel::Environment(), parent) {}

frmScheduler::frmScheduler(SchedulerModel::Environment environment, QWidget* parent)
    : QDialog(parent), m_model(std::move(environment))
{
    build();
    connectEdits();
    m_model.hooks.FieldsChanged = [this] { ShowFields(); };
    m_model.hooks.FocusInputError = [this](int code) { FocusInputError(code); };
    ShowFields();
}

frmScheduler::~frmScheduler()
{
    m_model.hooks.FieldsChanged = {};
    m_model.hooks.FocusInputError = {};
}

void frmScheduler::showEvent(QShowEvent* event)
{
    m_tabKeys.install();
    QDialog::showEvent(event);
}

void frmScheduler::hideEvent(QHideEvent* event)
{
    m_tabKeys.remove();
    QDialog::hideEvent(event);
}

void frmScheduler::build()
{
    setWindowTitle(QStringLiteral("Schedule a Job"));
    setFont(QFont(QStringLiteral("Tahoma")));
    auto* top = new QVBoxLayout(this);
    top->addWidget(label("Here you may schedule a 'Conversion Job' to execute periodically.  First select a previously "
                         "saved job file (*.KRJ), then specify the time period.  Click 'Begin' and the job will run "
                         "continuously at the desired interval. ",
                         this));
    top->addWidget(label("Select an existing job (*.KRJ) file to run:", this));
    auto* jobRow = new QHBoxLayout;
    cbScheduledJobFile = new QComboBox(this);
    cbScheduledJobFile->setEditable(true);
    keepText(cbScheduledJobFile);
    cbScheduledJobFile->setInsertPolicy(QComboBox::NoInsert);
    cbScheduledJobFile->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    picScheduledJobFile = new QToolButton(this);
    picScheduledJobFile->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    picScheduledJobFile->setAutoRaise(true);
    cmdSelectScheduledJobFile = new QPushButton(QStringLiteral("  File.."), this);
    jobRow->addWidget(cbScheduledJobFile);
    jobRow->addWidget(picScheduledJobFile);
    jobRow->addWidget(cmdSelectScheduledJobFile);
    top->addLayout(jobRow);

    TabStrip1 = new QTabWidget(this);
    top->addWidget(TabStrip1);

    // Set Up page.
    fraSetup = new QWidget;
    auto* setup = new QVBoxLayout(fraSetup);
    auto* kinds = new QHBoxLayout;
    optTimeBased = option("Time Based", fraSetup);
    optCalendarBased = option("Calendar Based", fraSetup);
    kinds->addWidget(optTimeBased);
    kinds->addWidget(optCalendarBased);
    kinds->addStretch();
    setup->addLayout(kinds);

    fraTimeBased = new QGroupBox(fraSetup);
    auto* timeBased = new QGridLayout(fraTimeBased);
    timeBased->addWidget(label("Specify the time interval for running the job:", fraTimeBased), 0, 0, 1, 3);
    txtHours = numberBox(fraTimeBased);
    txtMinutes = numberBox(fraTimeBased);
    txtSeconds = numberBox(fraTimeBased);
    timeBased->addWidget(txtHours, 1, 0);
    timeBased->addWidget(txtMinutes, 1, 1);
    timeBased->addWidget(txtSeconds, 1, 2);
    timeBased->addWidget(label("Hours", fraTimeBased), 2, 0);
    timeBased->addWidget(label("Minutes", fraTimeBased), 2, 1);
    timeBased->addWidget(label("Seconds", fraTimeBased), 2, 2);
    setup->addWidget(fraTimeBased);

    fraCalendarBased = new QGroupBox(fraSetup);
    auto* calendar = new QVBoxLayout(fraCalendarBased);
    auto* start = new QHBoxLayout;
    start->addWidget(label("Start Time:", fraCalendarBased));
    cbHours = new QComboBox(fraCalendarBased);
    cbHours->addItems(SchedulerHourItems());
    cbMinutes = new QComboBox(fraCalendarBased);
    cbMinutes->addItems(SchedulerMinuteItems());
    cbAmPm = new QComboBox(fraCalendarBased);
    cbAmPm->addItems(SchedulerAmPmItems());
    start->addWidget(cbHours);
    start->addWidget(cbMinutes);
    start->addWidget(cbAmPm);
    start->addStretch();
    calendar->addLayout(start);

    auto* kindRow = new QHBoxLayout;
    auto* kindFrame = new QGroupBox(fraCalendarBased);
    auto* kindList = new QVBoxLayout(kindFrame);
    optDaily = option(" Daily", kindFrame);
    optWeekly = option(" Weekly", kindFrame);
    optMonthly = option(" Monthly", kindFrame);
    kindList->addWidget(optDaily);
    kindList->addWidget(optWeekly);
    kindList->addWidget(optMonthly);
    kindRow->addWidget(kindFrame);

    fraDaily = new QGroupBox(fraCalendarBased);
    auto* daily = new QGridLayout(fraDaily);
    optNumDays = option("Every", fraDaily);
    txtNumDays = numberBox(fraDaily);
    optWeekdays = option("Every weekday", fraDaily);
    daily->addWidget(optNumDays, 0, 0);
    daily->addWidget(txtNumDays, 0, 1);
    daily->addWidget(label("day(s)", fraDaily), 0, 2);
    daily->addWidget(optWeekdays, 1, 0, 1, 3);
    kindRow->addWidget(fraDaily);

    fraWeekly = new QGroupBox(fraCalendarBased);
    auto* weekly = new QGridLayout(fraWeekly);
    weekly->addWidget(label("Run the job every ", fraWeekly), 0, 0);
    txtNumWeeks = numberBox(fraWeekly);
    weekly->addWidget(txtNumWeeks, 0, 1);
    weekly->addWidget(label("week(s) on:", fraWeekly), 0, 2);
    chkMon = new QCheckBox(QStringLiteral("Monday"), fraWeekly);
    chkTue = new QCheckBox(QStringLiteral("Tuesday"), fraWeekly);
    chkWed = new QCheckBox(QStringLiteral("Wednesday"), fraWeekly);
    chkThu = new QCheckBox(QStringLiteral("Thursday"), fraWeekly);
    chkFri = new QCheckBox(QStringLiteral("Friday"), fraWeekly);
    chkSat = new QCheckBox(QStringLiteral("Saturday"), fraWeekly);
    chkSun = new QCheckBox(QStringLiteral("Sunday"), fraWeekly);
    QCheckBox* const days[] = {chkMon, chkTue, chkWed, chkThu, chkFri, chkSat, chkSun};
    for (int i = 0; i < 7; ++i)
        weekly->addWidget(days[i], 1 + i / 4, i % 4);
    kindRow->addWidget(fraWeekly);

    fraMonthly = new QGroupBox(fraCalendarBased);
    auto* monthly = new QGridLayout(fraMonthly);
    monthly->addWidget(label("Day ", fraMonthly), 0, 0);
    txtDayOfMonth = numberBox(fraMonthly);
    monthly->addWidget(txtDayOfMonth, 0, 1);
    monthly->addWidget(label("of every ", fraMonthly), 0, 2);
    txtNumMonths = numberBox(fraMonthly);
    monthly->addWidget(txtNumMonths, 0, 3);
    monthly->addWidget(label("month(s)", fraMonthly), 0, 4);
    monthly->addWidget(label("Note:  Enter 31 to run on the last day of each month.  The maximum number of months is 12.",
                             fraMonthly),
                       1, 0, 1, 5);
    kindRow->addWidget(fraMonthly, 1);
    calendar->addLayout(kindRow);
    setup->addWidget(fraCalendarBased);
    setup->addStretch();
    TabStrip1->addTab(fraSetup, QStringLiteral("Set Up"));

    // Options page.
    fraOptions = new QWidget;
    auto* options = new QVBoxLayout(fraOptions);
    chkPersistRunning = new QCheckBox(QStringLiteral(" Automatically restart the timer on program load"), fraOptions);
    options->addWidget(chkPersistRunning);
    options->addWidget(label("Time Based:", fraOptions));
    auto* late = new QGroupBox(fraOptions);
    auto* lateList = new QVBoxLayout(late);
    lateList->addWidget(label("If the time period to run a job exceeds the interval you specified, how would you like "
                              "the next job to be run:",
                              late));
    optImmediately = option("Immediately after the current job finishes (continuous)", late);
    optSkip = option("Skip this run and set the timer for the next one", late);
    lateList->addWidget(optImmediately);
    lateList->addWidget(optSkip);
    options->addWidget(late);
    options->addStretch();
    TabStrip1->addTab(fraOptions, QStringLiteral("Options"));
    TabStrip1->setCurrentIndex(0);

    auto* buttons = new QHBoxLayout;
    cmdStartTimer = new QPushButton(QStringLiteral("&Begin"), this);
    cmdEndTimer = new QPushButton(QStringLiteral("&End"), this);
    cmdDone = new QPushButton(QStringLiteral("&Done"), this);
    for (QPushButton* b : {cmdStartTimer, cmdEndTimer, cmdDone})
        b->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(cmdStartTimer);
    buttons->addWidget(cmdEndTimer);
    buttons->addWidget(cmdDone);
    top->addLayout(buttons);
}

void frmScheduler::connectEdits()
{
    SchedulerFields& f = m_model.fields;
    const auto text = [this, &f](QLineEdit* edit, QString SchedulerFields::*field) {
        connect(edit, &QLineEdit::textChanged, this, [this, &f, field](const QString& value) {
            if (!m_showing)
                f.*field = value;
        });
    };
    text(txtHours, &SchedulerFields::txtHours);
    text(txtMinutes, &SchedulerFields::txtMinutes);
    text(txtSeconds, &SchedulerFields::txtSeconds);
    text(txtNumDays, &SchedulerFields::txtNumDays);
    text(txtNumWeeks, &SchedulerFields::txtNumWeeks);
    text(txtDayOfMonth, &SchedulerFields::txtDayOfMonth);
    text(txtNumMonths, &SchedulerFields::txtNumMonths);

    const auto combo = [this, &f](QComboBox* box, QString SchedulerFields::*field) {
        connect(box, &QComboBox::currentTextChanged, this, [this, &f, field](const QString& value) {
            if (!m_showing)
                f.*field = value;
        });
    };
    combo(cbHours, &SchedulerFields::cbHours);
    combo(cbMinutes, &SchedulerFields::cbMinutes);
    combo(cbAmPm, &SchedulerFields::cbAmPm);
    connect(cbScheduledJobFile, &QComboBox::editTextChanged, this, [this, &f](const QString& value) {
        if (!m_showing)
            f.cbScheduledJobFile = value;
    });

    const auto box = [this, &f](QCheckBox* check, bool SchedulerFields::*field) {
        connect(check, &QCheckBox::toggled, this, [this, &f, field](bool value) {
            if (!m_showing)
                f.*field = value;
        });
    };
    box(chkMon, &SchedulerFields::chkMon);
    box(chkTue, &SchedulerFields::chkTue);
    box(chkWed, &SchedulerFields::chkWed);
    box(chkThu, &SchedulerFields::chkThu);
    box(chkFri, &SchedulerFields::chkFri);
    box(chkSat, &SchedulerFields::chkSat);
    box(chkSun, &SchedulerFields::chkSun);
    box(chkPersistRunning, &SchedulerFields::chkPersistRunning);

    // A click selects the option in its group; the frames follow.
    const auto choice = [this, &f](QRadioButton* button, SchedulerOption field) {
        connect(button, &QRadioButton::clicked, this, [this, &f, field] {
            if (m_showing)
                return;
            SetSchedulerOption(f, field, true);
            ShowFields();
        });
    };
    choice(optTimeBased, &SchedulerFields::optTimeBased);
    choice(optCalendarBased, &SchedulerFields::optCalendarBased);
    choice(optDaily, &SchedulerFields::optDaily);
    choice(optWeekly, &SchedulerFields::optWeekly);
    choice(optMonthly, &SchedulerFields::optMonthly);
    choice(optNumDays, &SchedulerFields::optNumDays);
    choice(optWeekdays, &SchedulerFields::optWeekdays);
    choice(optImmediately, &SchedulerFields::optImmediately);
    choice(optSkip, &SchedulerFields::optSkip);

    connect(cmdStartTimer, &QPushButton::clicked, this, [this] { m_model.cmdStartTimer_Click(); });
    connect(cmdEndTimer, &QPushButton::clicked, this, [this] { cmdEndTimer_Click(); });
    connect(cmdDone, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSelectScheduledJobFile, &QPushButton::clicked, this, [this] { m_model.cmdSelectScheduledJobFile_Click(); });
    connect(picScheduledJobFile, &QToolButton::clicked, this, [this] { m_model.cmdSelectScheduledJobFile_Click(); });
}

void frmScheduler::ShowFields()
{
    const SchedulerFields& f = m_model.fields;
    m_showing = true;
    setText(txtHours, f.txtHours);
    setText(txtMinutes, f.txtMinutes);
    setText(txtSeconds, f.txtSeconds);
    setText(txtNumDays, f.txtNumDays);
    setText(txtNumWeeks, f.txtNumWeeks);
    setText(txtDayOfMonth, f.txtDayOfMonth);
    setText(txtNumMonths, f.txtNumMonths);
    setItem(cbHours, f.cbHours);
    setItem(cbMinutes, f.cbMinutes);
    setItem(cbAmPm, f.cbAmPm);
    QStringList items;
    for (int i = 0; i < cbScheduledJobFile->count(); ++i)
        items << cbScheduledJobFile->itemText(i);
    if (items != f.cbScheduledJobFileItems) {
        cbScheduledJobFile->clear();
        cbScheduledJobFile->addItems(f.cbScheduledJobFileItems);
    }
    if (cbScheduledJobFile->currentText() != f.cbScheduledJobFile)
        cbScheduledJobFile->setEditText(f.cbScheduledJobFile);

    chkMon->setChecked(f.chkMon);
    chkTue->setChecked(f.chkTue);
    chkWed->setChecked(f.chkWed);
    chkThu->setChecked(f.chkThu);
    chkFri->setChecked(f.chkFri);
    chkSat->setChecked(f.chkSat);
    chkSun->setChecked(f.chkSun);
    chkPersistRunning->setChecked(f.chkPersistRunning);
    optTimeBased->setChecked(f.optTimeBased);
    optCalendarBased->setChecked(f.optCalendarBased);
    optDaily->setChecked(f.optDaily);
    optWeekly->setChecked(f.optWeekly);
    optMonthly->setChecked(f.optMonthly);
    optNumDays->setChecked(f.optNumDays);
    optWeekdays->setChecked(f.optWeekdays);
    optImmediately->setChecked(f.optImmediately);
    optSkip->setChecked(f.optSkip);

    fraTimeBased->setVisible(f.optTimeBased);
    fraCalendarBased->setVisible(f.optCalendarBased);
    fraDaily->setVisible(f.optDaily);
    fraWeekly->setVisible(f.optWeekly);
    fraMonthly->setVisible(f.optMonthly);

    // While a schedule runs its set-up stays as it was started.
    const bool locked = m_model.bControlsLocked;
    cmdEndTimer->setEnabled(locked);
    for (QWidget* w : std::initializer_list<QWidget*>{
             cmdStartTimer, cmdSelectScheduledJobFile, picScheduledJobFile, txtHours, txtMinutes, txtSeconds,
             cbScheduledJobFile, optDaily, optWeekly, optMonthly, cbHours, cbMinutes, cbAmPm, txtDayOfMonth,
             txtNumMonths, txtNumWeeks, chkMon, chkTue, chkWed, chkThu, chkFri, chkSat, chkSun, optNumDays,
             optWeekdays})
        w->setEnabled(!locked);
    txtNumDays->setEnabled(!locked && !f.optWeekdays);
    m_showing = false;
}

void frmScheduler::FocusInputError(int code)
{
    if (!isVisible())
        return;
    using namespace schedulercode;
    const auto focus = [](QLineEdit* edit) {
        edit->setFocus();
        edit->selectAll();
    };
    switch (code) {
    case InvalidHours: focus(txtHours); break;
    case InvalidMinutes: focus(txtMinutes); break;
    case InvalidSeconds: focus(txtSeconds); break;
    case NoJobFile:
    case MissingJobFile:
    case NoJobFileCalendar:
    case NoJobFileSelected:
    case MissingJobFileCalendar:
        cmdSelectScheduledJobFile->setFocus();
        if (cbScheduledJobFile->lineEdit())
            cbScheduledJobFile->lineEdit()->selectAll();
        break;
    case InvalidDays:
    case InvalidWeeks: {
        QLineEdit* edit = code == InvalidDays ? txtNumDays : txtNumWeeks;
        if (edit->isVisible()) {
            focus(edit);
        } else {
            // A count the user cannot see is put right instead.
            m_model.fields.*(code == InvalidDays ? &SchedulerFields::txtNumDays : &SchedulerFields::txtNumWeeks) =
                QStringLiteral("1");
            ShowFields();
        }
        break;
    }
    case InvalidDayOfMonth: focus(txtDayOfMonth); break;
    case InvalidMonths: focus(txtNumMonths); break;
    default: break;
    }
}

void frmScheduler::cmdEndTimer_Click()
{
    m_model.StopTimer();
    cmdDone->setFocus();
}

void ShowScheduler(frmScheduler& frmSched, MainFormState& form, const SchedulerWindow& window)
{
    frmSched.model().SetUpScheduler(G_IniFilePath);
    frmSched.exec();
    SchedulerFormClosed(frmSched.model(), form, window);
}
