// The scheduler form translated by the window's form translation from the
// shipped German language file: its texts in German, its value boxes as
// they were, and nothing added to the language file.
#include "RecordingMessageSink.h"
#include "TranslatorFixture.h"

#include "core/Translator.h"
#include "scheduler/frmScheduler.h"
#include "ui/FormTranslation.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kShippedGerman = QStringLiteral(TESSAVIEW_SOURCE_DIR "/data/Languages/German-'Tessaview'.txt");

} // namespace

class TestSchedulerFormLanguage : public QObject
{
    Q_OBJECT

private slots:
    void theFormShowsItsTextsInTheLanguageAndKeepsItsValues()
    {
        QTemporaryDir dir;
        testutil::RecordingMessageSink sink;
        SetMessageSink(&sink);
        QVERIFY(testutil::startTranslator(dir.path(), QStringLiteral("German"), testutil::readFile(kShippedGerman)));

        frmScheduler form(SchedulerModel::Environment{{}, QTimeZone::systemTimeZone(), QLocale::c(), false});
        form.model().Form_Load();
        form.txtDayOfMonth->setText(QStringLiteral("Day "));
        form.cbScheduledJobFile->setEditText(QStringLiteral("Options"));
        TranslateForm(&form);

        QCOMPARE(form.windowTitle(), QStringLiteral("Auftrag planen"));
        QCOMPARE(form.TabStrip1->tabText(0), QStringLiteral("Einrichten"));
        QCOMPARE(form.cmdStartTimer->text(), QStringLiteral("&Beginnen"));
        QCOMPARE(form.optWeekly->text(), QStringLiteral(" Wöchentlich"));
        QCOMPARE(form.chkSun->text(), QStringLiteral("Sonntag"));
        // Values are never taken for texts to translate, even when they
        // happen to read like one.
        QCOMPARE(form.txtHours->text(), QStringLiteral("0"));
        QCOMPARE(form.txtDayOfMonth->text(), QStringLiteral("Day "));
        QCOMPARE(form.cbScheduledJobFile->currentText(), QStringLiteral("Options"));
        QCOMPARE(testutil::readFile(G_UserDataFolder + QStringLiteral("Languages/German-'Tessaview'.txt")),
                 testutil::readFile(kShippedGerman));
        QVERIFY(sink.texts.isEmpty());
        SetMessageSink(nullptr);
        ResetTranslator();
    }
};

QTEST_MAIN(TestSchedulerFormLanguage)
#include "test_scheduler_form_language.moc"
