// The language dialog on the offscreen platform, in German from the shipped
// German language file: its list, its buttons and keys, and the chooser
// that shows it for the translator.
#include "core/Globals.h"
#include "core/Translator.h"
#include "help/HelpOpener.h"
#include "ui/LanguageDialog.h"
#include "RecordingMessageSink.h"
#include "TestUtil.h"
#include "TranslatorFixture.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScopedPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QString kShippedGerman = QStringLiteral(TESSAVIEW_SOURCE_DIR "/data/Languages/German-'Tessaview'.txt");

class RecordingOpener : public HelpOpener
{
public:
    QList<QUrl> opened;
    bool open(const QUrl& url) override
    {
        opened << url;
        return true;
    }
};

const LanguageListing kListing{{"English", "French", "German"}, 2};

} // namespace

class TestLanguageDialog : public QObject
{
    Q_OBJECT
    QScopedPointer<QTemporaryDir> m_dir;
    RecordingOpener m_opener;
    testutil::RecordingMessageSink m_sink;

    QString germanFile() const { return G_UserDataFolder + QStringLiteral("Languages/German-'Tessaview'.txt"); }

private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(testutil::startTranslator(m_dir->path(), QStringLiteral("German"), testutil::readFile(kShippedGerman)));
        m_opener.opened.clear();
        m_sink.clear();
        SetHelpOpener(&m_opener);
        SetMessageSink(&m_sink);
    }

    void cleanup()
    {
        SetHelpOpener(nullptr);
        SetMessageSink(nullptr);
        ResetTranslator();
    }

    // Translated when it loads, from a file that holds all its texts.
    void showsItsTextsInTheLanguage()
    {
        frmLanguage dialog;
        dialog.FillList(kListing);
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Sprache"));
        QCOMPARE(dialog.Label1->text(), QStringLiteral("Sprache auswählen:"));
        QCOMPARE(dialog.cmdDone->text(), QStringLiteral("&Fertig"));
        QCOMPARE(dialog.cmdCancel->text(), QStringLiteral("&Abbrechen"));
        QCOMPARE(dialog.cmdEditLanguageFile->text(), QStringLiteral("Sprache &bearbeiten"));
        QCOMPARE(dialog.cmdSelectFont->text(), QStringLiteral("&Schriftart"));
        QCOMPARE(dialog.cmdHelpLanguage->text(), QStringLiteral("&Hilfe"));
        QCOMPARE(testutil::readFile(germanFile()), testutil::readFile(kShippedGerman));
    }

    void editLanguageFollowsTheSelection()
    {
        frmLanguage dialog;
        dialog.FillList({{"English", "French", "German"}, 0});
        QCOMPARE(dialog.List1->currentItem()->text(), QStringLiteral("English"));
        QVERIFY(!dialog.cmdEditLanguageFile->isEnabled());
        dialog.List1->setCurrentRow(1);
        QVERIFY(dialog.cmdEditLanguageFile->isEnabled());
        dialog.List1->setCurrentRow(0);
        QVERIFY(!dialog.cmdEditLanguageFile->isEnabled());
        dialog.FillList(kListing);
        QCOMPARE(dialog.List1->currentItem()->text(), QStringLiteral("German"));
        QVERIFY(dialog.cmdEditLanguageFile->isEnabled());
    }

    void doneAndDoubleClickTakeTheSelection()
    {
        frmLanguage done;
        done.FillList(kListing);
        done.show();
        done.List1->setCurrentRow(1);
        done.cmdDone->click();
        QCOMPARE(done.result(), int(QDialog::Accepted));
        QCOMPARE(done.Language, QStringLiteral("French"));

        frmLanguage twice;
        twice.FillList(kListing);
        twice.show();
        QVERIFY(QTest::qWaitForWindowExposed(&twice));
        const QRect item = twice.List1->visualItemRect(twice.List1->item(1));
        // A double click begins as a click.
        QTest::mouseClick(twice.List1->viewport(), Qt::LeftButton, {}, item.center());
        QTest::mouseDClick(twice.List1->viewport(), Qt::LeftButton, {}, item.center());
        QCOMPARE(twice.result(), int(QDialog::Accepted));
        QCOMPARE(twice.Language, QStringLiteral("French"));
    }

    void escapeCancelsBoth()
    {
        frmLanguage dialog;
        dialog.FillList(kListing);
        dialog.Language = QStringLiteral("German");
        dialog.sFontName = QStringLiteral("DejaVu Serif");
        dialog.show();
        QTest::keyClick(dialog.List1, Qt::Key_Escape);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(dialog.Language, QString());
        QCOMPARE(dialog.sFontName, QString());
    }

    void fontPickerKeepsTheFontOnCancel()
    {
        frmLanguage dialog;
        dialog.sFontName = QStringLiteral("Earlier");
        QFont offered;
        bool pick = false;
        dialog.pickFont = [&](QFont& chosen, const QFont& initial, QWidget*) {
            offered = initial;
            chosen = QFont(QStringLiteral("DejaVu Serif"));
            return pick;
        };
        dialog.cmdSelectFont->click();
        QCOMPARE(dialog.sFontName, QStringLiteral("Earlier"));
        QCOMPARE(offered, dialog.cmdSelectFont->font());
        pick = true;
        dialog.cmdSelectFont->click();
        QCOMPARE(dialog.sFontName, QStringLiteral("DejaVu Serif"));
    }

    void helpAndF1OpenTheLanguagePage()
    {
        qputenv("TESSAVIEW_HELP_SITE", "https://help.example.org");
        frmLanguage dialog;
        dialog.FillList(kListing);
        dialog.show();
        dialog.cmdHelpLanguage->click();
        QTest::keyClick(dialog.List1, Qt::Key_F1);
        qunsetenv("TESSAVIEW_HELP_SITE");
        const QUrl page(QStringLiteral("https://help.example.org/FAQ/FAQ-Languages.htm"));
        QCOMPARE(m_opener.opened, (QList<QUrl>{page, page}));
        QVERIFY(dialog.isVisible());
    }

    // The file the translator reads, as one argument (no shell); a failure
    // to start an editor is said.
    void editLanguageOpensTheFileTheTranslatorReads()
    {
        frmLanguage dialog;
        dialog.FillList(kListing);
        QStringList opened;
        bool starts = true;
        dialog.openInEditor = [&](const QString& path) {
            opened << path;
            return starts;
        };
        dialog.cmdEditLanguageFile->click();
        QCOMPARE(opened, QStringList{germanFile()});
        QVERIFY(QFile::exists(opened.first()));
        QVERIFY(m_sink.texts.isEmpty());

        starts = false;
        dialog.cmdEditLanguageFile->click();
        QCOMPARE(m_sink.texts, QStringList{QStringLiteral("Die Sprachdatei konnte nicht in einem Editor geöffnet werden:\r\n")
                                           + germanFile()});
    }

    // The translator's way in: modal, and the answer read after it closed.
    void chooserShowsTheDialogModally()
    {
        LanguageDialogChooser chooser;
        QString title;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<frmLanguage*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            title = dialog->windowTitle();
            dialog->List1->setCurrentRow(1);
            dialog->cmdDone->click();
        });
        const LanguageChoice chosen = chooser.choose(kListing);
        QCOMPARE(title, QStringLiteral("Sprache"));
        QCOMPARE(chosen.Language, QStringLiteral("French"));
        QCOMPARE(chosen.sFontName, QString());

        QTimer::singleShot(0, this, [] { QApplication::activeModalWidget()->close(); });
        const LanguageChoice cancelled = chooser.choose(kListing);
        QCOMPARE(cancelled.Language, QString());
    }
};

QTEST_MAIN(TestLanguageDialog)
#include "test_language_dialog.moc"
