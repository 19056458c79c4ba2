// The option dialogs as a person uses them, on the offscreen platform:
// opened from the main window's menu and the task editor's buttons,
// driven with the mouse and the keyboard, applied and cancelled; and the
// settings they make, saved by the window, shaping the PDF that a later
// command-line run writes.
#include "core/Globals.h"
#include "jobs/GridSetup.h"
#include "jobs/MainFormState.h"
#include "ui/TaskEditor.h"
#include "ui/TextFormatDialogs.h"
#include "ui/frmConversionOptions.h"
#include "ui/frmMain.h"
#include "ui/frmMainMDI.h"
#include "ui/frmOptions.h"
#include "ui/frmRexhoundAdvancedOptions.h"
#include "ui/frmVyxAdvancedOptions.h"
#include "ui/frmVyxPDFOptions.h"
#include "ui/frmVyxPageDlg.h"
#include "MainWindowRun.h"
#include "TestUtil.h"
#include "WindowTestDoubles.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QSpinBox>
#include <QDoubleSpinBox>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

// Answers the next modal dialog of type T once it is up; a dialog the
// answer leaves open is cancelled, so that a failed check never hangs.
template <typename T>
void answer(const std::function<void(T&)>& body)
{
    auto* poll = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, tries, body] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog && ++*tries < 500)
            return;
        poll->stop();
        poll->deleteLater();
        if (!dialog) {
            QWARN("the dialog did not come up");
            return;
        }
        body(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    poll->start(10);
}

void click(QWidget* widget)
{
    QVERIFY2(widget->isVisible() && widget->isEnabled(), qPrintable(widget->objectName()));
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(4, widget->height() / 2));
}

void typeInto(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

// Picks an entry of a drop-down list with the keyboard.
void choose(QComboBox* box, int index)
{
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(box, Qt::Key_Down);
    QCOMPARE(box->currentIndex(), index);
}

void ctrlTab(QWidget* focus, bool back = false)
{
    QTest::keyClick(focus, back ? Qt::Key_Backtab : Qt::Key_Tab,
                    back ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
}

void selectData(QComboBox* box, int data)
{
    const int index = box->findData(data);
    QVERIFY2(index >= 0, qPrintable(QString::number(data)));
    box->setCurrentIndex(index);
}

QString run(const QString& program, const QStringList& arguments, int* status = nullptr)
{
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(240000))
        return QString();
    if (status)
        *status = p.exitCode();
    return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
}

} // namespace

class TestOptionDialogs : public QObject
{
    Q_OBJECT

    QTemporaryDir m_user;
    RecordingOpener m_opener;
    ScriptedSink m_sink;
    ScriptedChooser m_chooser;

    QString userPath(const QString& sub) const { return m_user.filePath(sub); }
    int withWindow(const std::function<void(frmMain&)>& body)
    {
        return RunWithMainWindow({}, m_sink, m_chooser, [&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            body(main);
            main.form().bAskToSaveKRJFileBeforeExit = false;
        });
    }

    // A PDF-to-PNG task added from the conversion panel.
    static void addPdfTask(frmMain& main, const QString& input, const QString& output)
    {
        TaskEditor& editor = *main.editor;
        QTest::mouseClick(editor.rbActionToDo[0], Qt::LeftButton);
        selectData(editor.cbFileTypeTarget, 8);
        editor.cbOriginalFile->setEditText(input);
        editor.cbTargetFile->setEditText(output);
        QTest::mouseClick(editor.cmdAdd, Qt::LeftButton);
    }

private slots:
    void initTestCase()
    {
        SetUpWindowUser(m_user, {QStringLiteral("in"), QStringLiteral("out"), QStringLiteral("moved")});
        SetHelpOpener(&m_opener);
        QLocale::setDefault(QLocale::c());
        TESSAVIEW_REQUIRE_CORPUS(QStringLiteral("pdf/minimal-document.pdf"), QStringLiteral("docx/single-paragraph.docx"));
        QVERIFY(QFile::copy(testutil::corpusFile(QStringLiteral("pdf/minimal-document.pdf")), userPath("in/a.pdf")));
        QVERIFY(QFile::copy(testutil::corpusFile(QStringLiteral("docx/single-paragraph.docx")),
                            userPath("in/letter.docx")));
    }

    void init()
    {
        m_sink.shown.clear();
        m_sink.answers.clear();
        m_chooser.clear();
        glnMeasurement = 1;
    }

    void cleanup()
    {
        if (QTest::currentTestFailed())
            qDebug() << "messages:" << m_sink.shown;
    }

    void cleanupTestCase()
    {
        SetHelpOpener(nullptr);
        SetMessageSink(nullptr);
        SetFileChooser(nullptr);
    }

    // File > Options: moving and deleting exclude each other, a cancelled
    // folder browser keeps the folder, Ctrl+Tab wraps, and Apply writes
    // the form; a move folder that does not exist keeps the dialog open.
    void programOptionsFromTheFileMenu()
    {
        const int status = withWindow([&](frmMain& main) {
            MainFormState& form = main.form();
            QAction* item = main.menuItem(QStringLiteral("mnuFolioshiftOptions"));
            QVERIFY(item->isEnabled());
            const QString moved = userPath(QStringLiteral("moved"));
            m_chooser.folders << QString() << moved;   // cancelled, then a folder

            answer<frmOptions>([&](frmOptions& d) {
                QCOMPARE(d.windowTitle(), QStringLiteral("'Tessaview' Program Options"));
                QVERIFY(!d.txtMoveToFolder->isEnabled());
                click(d.cbMoveAfterProcessing);
                QVERIFY(d.txtMoveToFolder->isEnabled());
                typeInto(d.txtMoveToFolder, QStringLiteral("/typed"));
                click(d.cmdSelectMoveFolder);   // cancelled
                QCOMPARE(d.txtMoveToFolder->text(), QStringLiteral("/typed"));
                click(d.cmdSelectMoveFolder);
                QCOMPARE(d.txtMoveToFolder->text(), moved);

                click(d.cbDeleteAfterProcessing);
                QVERIFY(!d.cbMoveAfterProcessing->isChecked());
                QVERIFY(!d.txtMoveToFolder->isEnabled() && !d.cmdSelectMoveFolder->isEnabled());
                click(d.cbMoveAfterProcessing);
                QVERIFY(!d.cbDeleteAfterProcessing->isChecked());

                ctrlTab(d.cbMoveAfterProcessing, true);   // from the first tab to the last
                QCOMPARE(d.TabStrip1->currentIndex(), 2);
                typeInto(d.txtInputFile_Password, QStringLiteral("secret"));
                QCOMPARE(d.txtInputFile_Password->echoMode(), QLineEdit::Password);
                ctrlTab(d.txtInputFile_Password);        // and on to the first
                QCOMPARE(d.TabStrip1->currentIndex(), 0);
                ctrlTab(d.cbMoveAfterProcessing);
                click(d.rbOptimizeForMemory);
                m_opener.urls.clear();
                click(d.cmdHelp);
                QCOMPARE(m_opener.urls.size(), 1);
                click(d.cmdApply);
                QVERIFY(!d.isVisible());
            });
            item->trigger();
            QVERIFY(form.bMoveOriginalFileAfterProcessing);
            QVERIFY(!form.bDeleteOriginalFileAfterProcessing);
            QCOMPARE(form.sMoveFileToFolder, moved);
            QCOMPARE(form.sInputFile_Password, QStringLiteral("secret"));
            QVERIFY(!form.bOptimizeForSpeed);
            QVERIFY(!form.bCurrentActionItemDirty);   // the engine did not change

            // A folder that does not exist: the message, and the dialog stays.
            answer<frmOptions>([&](frmOptions& d) {
                QVERIFY(d.txtMoveToFolder->isEnabled());
                typeInto(d.txtMoveToFolder, userPath(QStringLiteral("no-such")));
                typeInto(d.txtInputFile_Password, QStringLiteral("changed"));
                click(d.cmdApply);
                QVERIFY(d.isVisible());
                QCOMPARE(d.txtMoveToFolder->selectedText(), userPath(QStringLiteral("no-such")));
                QTest::keyClick(d.txtMoveToFolder, Qt::Key_Escape);
                QVERIFY(!d.isVisible());
            });
            item->trigger();
            QCOMPARE(m_sink.shown.size(), 1);
            QVERIFY(m_sink.shown.first().endsWith(QStringLiteral("does not exist.")));
            QCOMPARE(form.sMoveFileToFolder, moved);
            QCOMPARE(form.sInputFile_Password, QStringLiteral("secret"));
        });
        QCOMPARE(status, 0);
    }

    // "Use MS Word" stays ticked only when the office can render; otherwise
    // the dialog says how to install it.
    void wordEngineCheck_data()
    {
        QTest::addColumn<bool>("versionOk");
        QTest::addColumn<int>("saveResult");
        QTest::addColumn<bool>("ticked");
        QTest::newRow("usable") << true << 0 << true;
        QTest::newRow("missing") << false << 0 << false;
        QTest::newRow("cannot save PDF") << true << -10 << false;
    }

    void wordEngineCheck()
    {
        QFETCH(bool, versionOk);
        QFETCH(int, saveResult);
        QFETCH(bool, ticked);
        SetMessageSink(&m_sink);
        int tested = 0;
        WordEngineProbe probe;
        probe.versionOk = [&] { return versionOk; };
        probe.testSaveAsPdf = [&] {
            ++tested;
            return saveResult;
        };
        frmOptions dialog(ProgramOptionsValues{}, probe);
        dialog.show();
        click(dialog.cbUseMSWordToRender);
        QCOMPARE(dialog.cbUseMSWordToRender->isChecked(), ticked);
        QCOMPARE(tested, versionOk ? 1 : 0);
        QCOMPARE(m_sink.shown.size(), ticked ? 0 : 1);
        if (!ticked)
            QVERIFY(m_sink.shown.first().contains(QStringLiteral("apt-get install libreoffice-writer")));
        // Unticking asks nothing.
        if (ticked) {
            click(dialog.cbUseMSWordToRender);
            QCOMPARE(tested, 1);
        }
        MainFormState form;
        ApplyProgramOptions(dialog.values(), form);
        QCOMPARE(form.lConversionMethod, 2);
        SetMessageSink(nullptr);
    }

    // With the real office: "Use MS Word" asks the Word-conversion control,
    // which saves a test document as PDF, and the engine change marks the
    // edited task.
    void wordEngineThroughTheControl()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())
            QSKIP("needs soffice");
        const int status = withWindow([&](frmMain& main) {
            MainFormState& form = main.form();
            QCOMPARE(form.lConversionMethod, 2);
            answer<frmOptions>([&](frmOptions& d) {
                click(d.cbUseMSWordToRender);
                QVERIFY(d.cbUseMSWordToRender->isChecked());
                click(d.cmdApply);
            });
            main.menuItem(QStringLiteral("mnuFolioshiftOptions"))->trigger();
            QVERIFY2(m_sink.shown.isEmpty(), qPrintable(m_sink.shown.join(u'\n')));
            QCOMPARE(form.lConversionMethod, 1);
            QVERIFY(form.bUserMSWordToConvert);
            QVERIFY(form.bCurrentActionItemDirty);
        });
        QCOMPARE(status, 0);
    }

    // The editor's Options button: Apply without a change leaves the task
    // as it was; a new compression updates its row; Cancel after moving
    // the quality changes nothing.
    void imageOptionsFromTheEditor()
    {
        const int status = withWindow([&](frmMain& main) {
            FlexGrid& grid = main.form().fgToDo;
            addPdfTask(main, userPath(QStringLiteral("in/a.pdf")), userPath(QStringLiteral("out/a.png")));
            QCOMPARE(grid.TextMatrix(1, todocol::Options), QStringLiteral("*^0^FALSE^75^100^0^0^0^^"));
            QVERIFY(!main.form().bCurrentActionItemDirty);
            QVERIFY(main.editor->cmdAdvancedOptions->isEnabled());

            answer<frmConversionOptions>([&](frmConversionOptions& d) {
                QCOMPARE(d.txtTiffPagesToDo->text(), QStringLiteral("*"));
                QVERIFY(d.rbTiffCompressionMethod[0]->isChecked());
                QCOMPARE(d.LabelValue->text(), QStringLiteral("75"));
                QCOMPARE(d.txtResolution->text(), QStringLiteral("100"));
                QVERIFY(d.rbSingleFile[0]->isChecked());
                // The program options open from here too, and leave this dialog as it was.
                answer<frmOptions>([&](frmOptions& o) { click(o.cmdCancel); });
                click(d.cmdOptions);
                QVERIFY(d.isVisible());
                click(d.cmdDone);
            });
            QTest::mouseClick(main.editor->cmdAdvancedOptions, Qt::LeftButton);
            QCOMPARE(grid.TextMatrix(1, todocol::Options), QStringLiteral("*^0^FALSE^75^100^0^0^0^^"));
            QVERIFY(!main.form().bCurrentActionItemDirty);

            answer<frmConversionOptions>([&](frmConversionOptions& d) {
                ctrlTab(d.txtTiffPagesToDo);
                QCOMPARE(d.SSTab1->currentIndex(), 1);
                click(d.rbTiffCompressionMethod[1]);
                click(d.rbSingleFile[1]);
                ctrlTab(d.rbSingleFile[1], true);
                typeInto(d.txtTiffPagesToDo, QStringLiteral("1^3"));
                typeInto(d.txtResolution, QStringLiteral("high"));
                click(d.cmdDone);
            });
            QTest::mouseClick(main.editor->cmdAdvancedOptions, Qt::LeftButton);
            QCOMPARE(grid.TextMatrix(1, todocol::Options), QStringLiteral("13^1^FALSE^75^100^0^0^1^"));

            answer<frmConversionOptions>([&](frmConversionOptions& d) {
                QCOMPARE(d.txtTiffPagesToDo->text(), QStringLiteral("13"));
                d.HScrollValue->setFocus();
                QTest::keyClick(d.HScrollValue, Qt::Key_PageUp);
                QVERIFY(d.HScrollValue->value() != 75);
                QCOMPARE(d.LabelValue->text(), QString::number(d.HScrollValue->value()));
                click(d.cmdCancel);
            });
            QTest::mouseClick(main.editor->cmdAdvancedOptions, Qt::LeftButton);
            QCOMPARE(grid.TextMatrix(1, todocol::Options), QStringLiteral("13^1^FALSE^75^100^0^0^1^"));
        });
        QCOMPARE(status, 0);
    }

    // From the image options to the formatting dialog and on to the page
    // and PDF dialogs: what those two apply stays when the formatting
    // dialog is cancelled; the formatting dialog's own font does not.
    void formattingPageAndPdfDialogs()
    {
        const int status = withWindow([&](frmMain& main) {
            MainFormState& form = main.form();
            const int fontSize = form.lVyxFontSize;
            const QString fontName = form.sVyxFontName;
            addPdfTask(main, userPath(QStringLiteral("in/a.pdf")), userPath(QStringLiteral("out/a.png")));

            answer<frmConversionOptions>([&](frmConversionOptions& d) {
                ctrlTab(d.txtTiffPagesToDo, true);   // wraps to "Document Format"
                QCOMPARE(d.SSTab1->currentIndex(), 2);
                answer<frmVyxAdvancedOptions>([&](frmVyxAdvancedOptions& f) {
                    for (QWidget* w : {static_cast<QWidget*>(f.cmdChangePageSettings),
                                       static_cast<QWidget*>(f.cmdChangeFontSettings),
                                       static_cast<QWidget*>(f.cmdChangePDFSettings),
                                       static_cast<QWidget*>(f.frameImageQuality)})
                        QVERIFY(!w->isVisibleTo(&f));
                    // The units take effect at once.
                    click(f.rbUnits[2]);
                    QCOMPARE(glnMeasurement, 2);

                    ctrlTab(f.rbUnits[2]);
                    ctrlTab(f.tsDisplay);
                    QCOMPARE(f.tsDisplay->currentIndex(), 2);
                    click(f.cbChangeFontSettings);
                    answer<TextFontDialog>([&](TextFontDialog& font) {
                        QFont chosen = font.fontChooser->currentFont();
                        chosen.setPointSize(31);
                        chosen.setBold(true);
                        font.fontChooser->setCurrentFont(chosen);
                        choose(font.cboUnderlineStyle, 1);
                        click(font.cmdOK);
                    });
                    click(f.cmdChangeFontSettings);

                    // Page set-up in centimetres: Legal, landscape.
                    ctrlTab(f.cbChangeFontSettings, true);
                    ctrlTab(f.tsDisplay, true);
                    QCOMPARE(f.tsDisplay->currentIndex(), 0);
                    click(f.cbChangePageSettings);
                    answer<frmVyxPageDlg>([&](frmVyxPageDlg& p) {
                        QCOMPARE(p.lblMeasurement[0]->text(), QStringLiteral("cm"));
                        QCOMPARE(p.cboPaperSize->currentText(), QStringLiteral("Letter"));
                        QCOMPARE(p.txtPaperWidth->text(), QStringLiteral("21.59"));
                        click(p.rbLandscape);
                        choose(p.cboPaperSize, 4);
                        QCOMPARE(p.txtPaperWidth->text(), QStringLiteral("35.56"));
                        QCOMPARE(p.txtPaperHeight->text(), QStringLiteral("21.59"));
                        // Margins that leave no room: Apply waits.
                        typeInto(p.txtLeftMargin, QStringLiteral("20"));
                        typeInto(p.txtRightMargin, QStringLiteral("20"));
                        QVERIFY(!p.btnOK->isEnabled());
                        QVERIFY(p.lblInvalidData->isVisible());
                        typeInto(p.txtRightMargin, QStringLiteral("1"));
                        QVERIFY(p.btnOK->isEnabled());
                        QVERIFY(!p.lblInvalidData->isVisible());
                        QVERIFY(!p.txtStylesheetFile->isEnabled());
                        click(p.optStylesheetOptions[3]);
                        QVERIFY(p.txtStylesheetFile->isEnabled());
                        click(p.btnOK);
                    });
                    click(f.cmdChangePageSettings);

                    ctrlTab(f.cbChangePageSettings, false);
                    ctrlTab(f.tsDisplay, false);
                    ctrlTab(f.tsDisplay, false);
                    QCOMPARE(f.tsDisplay->currentIndex(), 3);
                    click(f.cbChangePDFSettings);
                    answer<frmVyxPDFOptions>([&](frmVyxPDFOptions& s) {
                        QVERIFY(s.lblEncryption->text().contains(QStringLiteral("AES-256")));
                        QVERIFY(!s.cboPrinting->isEnabled());
                        click(s.chkMasterPassword);
                        QVERIFY(s.cboPrinting->isEnabled());
                        click(s.cmdOK);   // the permissions password is empty
                        QVERIFY(s.isVisible());
                        QCOMPARE(m_sink.shown.size(), 1);
                        QVERIFY(m_sink.shown.first().contains(QStringLiteral("Permissions Password field is empty")));
                        typeInto(s.txtMasterPassword, QStringLiteral("owner"));
                        choose(s.cboPrinting, 2);
                        choose(s.cboChangesAllowed, 3);
                        click(s.chkAllowContentAccessibility);
                        click(s.chkAllowExtractContents);
                        click(s.cmdOK);
                        QVERIFY(!s.isVisible());
                    });
                    click(f.cmdChangePDFSettings);
                    click(f.cmdCancel);
                });
                click(d.cmdApplyDocumentFormatting);
                click(d.cmdCancel);
            });
            QTest::mouseClick(main.editor->cmdAdvancedOptions, Qt::LeftButton);

            // The page and PDF dialogs wrote at once; the units stay.
            QCOMPARE(glnMeasurement, 2);
            QCOMPARE(form.lVyxPageWidth, 20163);   // 35.56 cm
            QCOMPARE(form.lVyxPageHeight, 12242);  // 21.59 cm
            QCOMPARE(form.lVyxPageMarginL, 11340);
            QVERIFY(!form.bVyxPortrait);
            QCOMPARE(form.lVyxStyleSheetOption, 3);
            QCOMPARE(form.sVyxPDFMasterPassword, QStringLiteral("owner"));
            QCOMPARE(form.lDocAccessPermissions, 85);
            // The formatting dialog's own choices did not.
            QVERIFY(!form.bOverrideFontSettings && !form.bOverridePageSettings && !form.bOverridePDFSettings);
            QCOMPARE(form.lVyxFontSize, fontSize);

            // A cancelled font does not come back when the group is ticked later.
            answer<frmConversionOptions>([&](frmConversionOptions& d) {
                answer<frmVyxAdvancedOptions>([&](frmVyxAdvancedOptions& f) {
                    click(f.rbUnits[1]);
                    ctrlTab(f.tsDisplay, true);   // wraps to "Image Quality"
                    QCOMPARE(f.tsDisplay->currentIndex(), 4);
                    click(f.cbChangeImageQuality);
                    QVERIFY(f.frameImageQuality->isVisible());
                    choose(f.comboImageCompressionQuality, 60);
                    typeInto(f.txtImageResolution, QStringLiteral("abc"));
                    f.tsDisplay->setCurrentIndex(2);
                    click(f.cbChangeFontSettings);
                    f.tsDisplay->setCurrentIndex(0);
                    click(f.cbChangePageSettings);
                    f.tsDisplay->setCurrentIndex(3);
                    click(f.cbChangePDFSettings);
                    click(f.cmdApply);
                });
                ctrlTab(d.txtTiffPagesToDo, true);
                click(d.cmdApplyDocumentFormatting);
                click(d.cmdDone);
            });
            QTest::mouseClick(main.editor->cmdAdvancedOptions, Qt::LeftButton);
            QVERIFY(form.bOverrideFontSettings && form.bOverridePageSettings && form.bOverridePDFSettings);
            QCOMPARE(form.lVyxFontSize, fontSize);
            QCOMPARE(form.sVyxFontName, fontName);
            QVERIFY(form.bOverrideImageSettings);
            QCOMPARE(form.lImageComparessionQuality, 60);
            QCOMPARE(form.lImageMaxResolution, 0);   // "abc" kept the old value
            QCOMPARE(glnMeasurement, 1);
        });
        QCOMPARE(status, 0);
    }

    // The search options of a DOC input offer case sensitivity alone; those
    // of a text input the rest, with the report frame following its box.
    void searchOptionsFromTheEditor()
    {
        const int status = withWindow([&](frmMain& main) {
            MainFormState& form = main.form();
            TaskEditor& editor = *main.editor;
            QTest::mouseClick(editor.rbActionToDo[1], Qt::LeftButton);
            selectData(editor.cbSpecialProcesses, 56);
            selectData(editor.cbFileTypeOriginalSpecialized, 9);
            form.bRXHDMultiLine = true;
            form.bCurrentActionItemDirty = false;

            answer<frmRexhoundAdvancedOptions>([&](frmRexhoundAdvancedOptions& d) {
                QVERIFY(d.cbCaseSensitive->isVisible());
                QVERIFY(!d.cbMultiLine->isVisible() && !d.frameSelectReportFileName->isVisible());
                click(d.cbCaseSensitive);
                click(d.cbCaseSensitive);   // and back: still a change
                QVERIFY(d.bDirty);
                click(d.cmdApply);
            });
            QTest::mouseClick(editor.cmdAdvancedOptionsRexhound, Qt::LeftButton);
            QVERIFY(form.bRXHDMultiLine);   // a hidden box keeps what it was loaded with
            QVERIFY(form.bCurrentActionItemDirty);

            form.bCurrentActionItemDirty = false;
            selectData(editor.cbFileTypeOriginalSpecialized, 1);
            form.bCurrentActionItemDirty = false;
            m_chooser.paths << QString();   // the file dialog is cancelled
            answer<frmRexhoundAdvancedOptions>([&](frmRexhoundAdvancedOptions& d) {
                QVERIFY(d.cbMultiLine->isVisible());
                QVERIFY(d.frameSelectReportFileName->isVisible());   // shown at load, box cleared or not
                click(d.cbGenerateReportWhenDone);
                QVERIFY(d.frameSelectReportFileName->isVisible());
                typeInto(d.txtRexhoundReportPath, QStringLiteral("/tmp/typed.tsv"));
                click(d.cmdSelectScheduledJobFile);
                QCOMPARE(d.txtRexhoundReportPath->text(), QStringLiteral("/tmp/typed.tsv"));
                click(d.cbGenerateReportWhenDone);
                QVERIFY(!d.frameSelectReportFileName->isVisible());
                QTest::keyClick(d.cbMultiLine, Qt::Key_Escape);
            });
            QTest::mouseClick(editor.cmdAdvancedOptionsRexhound, Qt::LeftButton);
            QCOMPARE(m_chooser.requests.size(), 1);
            QCOMPARE(m_chooser.requests.first().title, QStringLiteral("Report File Path"));
            QVERIFY(!form.bCurrentActionItemDirty);
            QVERIFY(!form.bRXHDGenerateReportWhenDone);
        });
        QCOMPARE(status, 0);
    }

    // Page size and PDF security set in the dialogs, saved when the window
    // closes, shape the PDF that the command line writes next.
    void savedSettingsShapeTheCommandLinesPdf()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
            QSKIP("needs soffice and pdfinfo");
        const int status = withWindow([&](frmMain& main) {
            answer<frmVyxAdvancedOptions>([&](frmVyxAdvancedOptions& f) {
                click(f.cbChangePageSettings);
                answer<frmVyxPageDlg>([&](frmVyxPageDlg& p) {
                    click(p.rbLandscape);
                    choose(p.cboPaperSize, 4);   // Legal
                    click(p.btnOK);
                });
                click(f.cmdChangePageSettings);
                f.tsDisplay->setCurrentIndex(3);
                click(f.cbChangePDFSettings);
                answer<frmVyxPDFOptions>([&](frmVyxPDFOptions& s) {
                    click(s.chkMasterPassword);
                    typeInto(s.txtMasterPassword, QStringLiteral("owner"));
                    choose(s.cboPrinting, 2);
                    choose(s.cboChangesAllowed, 0);
                    click(s.chkAllowExtractContents);
                    click(s.cmdOK);
                });
                click(f.cmdChangePDFSettings);
                f.tsDisplay->setCurrentIndex(2);
                click(f.cbChangeFontSettings);
                answer<TextFontDialog>([&](TextFontDialog& font) {
                    QFont mono(QStringLiteral("Liberation Mono"));
                    mono.setPointSize(20);
                    mono.setBold(true);
                    font.fontChooser->setCurrentFont(mono);
                    click(font.cmdOK);
                });
                click(f.cmdChangeFontSettings);
                click(f.cmdApply);
            });
            answer<frmConversionOptions>([&](frmConversionOptions& d) {
                d.SSTab1->setCurrentIndex(2);
                click(d.cmdApplyDocumentFormatting);
            });
            addPdfTask(main, userPath(QStringLiteral("in/a.pdf")), userPath(QStringLiteral("out/a.png")));
            QTest::mouseClick(main.editor->cmdAdvancedOptions, Qt::LeftButton);
            QVERIFY(main.form().bOverridePageSettings && main.form().bOverridePDFSettings);
            main.form().bAskToSaveKRJFileBeforeExit = false;
            QVERIFY(main.Form_Unload());
        });
        QCOMPARE(status, 0);

        const QString output = userPath(QStringLiteral("out/letter.pdf"));
        int code = -1;
        const QString said = run(QStringLiteral(QVIM_BINARY),
                                 {QStringLiteral("/S"), userPath(QStringLiteral("in/letter.docx")), QStringLiteral("/T"),
                                  output, QStringLiteral("/C"), QStringLiteral("12"), QStringLiteral("/P")},
                                 &code);
        QVERIFY2(code == 0, qPrintable(said));
        const QString info = run(QStringLiteral("pdfinfo"), {output});
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Page size: +1008 x 612 pts"))), qPrintable(info));
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Encrypted: +yes"))), qPrintable(info));
        QVERIFY2(info.contains(QStringLiteral("print:yes")), qPrintable(info));
        QVERIFY2(info.contains(QStringLiteral("copy:yes")), qPrintable(info));
        QVERIFY2(info.contains(QStringLiteral("change:no")), qPrintable(info));
        QVERIFY2(info.contains(QStringLiteral("algorithm:AES-256")), qPrintable(info));
        // The enforced font is the document's.
        const QString fonts = run(QStringLiteral("pdffonts"), {output});
        QVERIFY2(fonts.contains(QStringLiteral("LiberationMono-Bold")), qPrintable(fonts));
    }

    // The paragraph and font dialogs hand back what was chosen in the
    // control's own units: twips, percent, 0x00BBGGRR colours.
    void paragraphAndFontDialogs()
    {
        ParagraphValues paragraph;
        paragraph.lVyxIndentL = 360;
        paragraph.lVyxFrameStyle = 16;
        TextParagraphDialog p(paragraph);
        p.show();
        QCOMPARE(p.spnIndentL->value(), 18.0);
        QVERIFY(p.chkFrame[4]->isChecked());
        choose(p.cboAlignment, 3);
        p.spnIndentL->setFocus();
        p.spnIndentL->selectAll();
        QTest::keyClicks(p.spnIndentL, QStringLiteral("36"));
        p.spnLineSpacing->setFocus();
        p.spnLineSpacing->selectAll();
        QTest::keyClicks(p.spnLineSpacing, QStringLiteral("150"));
        click(p.chkFrame[0]);
        click(p.chkFrame[4]);
        const ParagraphValues chosen = p.values();
        QCOMPARE(chosen.lVyxAlignment, 3);
        QCOMPARE(chosen.lVyxIndentL, 720);
        QCOMPARE(chosen.lVyxLineSpacing, 150);
        QCOMPARE(chosen.lVyxFrameStyle, 1);
        QCOMPARE(p.txtPreview->document()->firstBlock().blockFormat().alignment(), Qt::AlignJustify);
        QTest::keyClick(p.spnLineSpacing, Qt::Key_Escape);
        QCOMPARE(p.result(), int(QDialog::Rejected));

        FontValues font;
        font.sVyxFontName = QStringLiteral("Liberation Serif");
        font.lVyxFontSize = 11;
        font.lVyxForeColor = 0x0000FF;   // red, as blue-green-red
        font.lVyxBaseLine = -40;
        TextFontDialog f(font);
        f.show();
        QCOMPARE(f.lblPreview->palette().color(QPalette::WindowText), QColor(Qt::red));
        QCOMPARE(f.spnBaseLine->value(), -2.0);
        QVERIFY(!f.chkTextBackground->isChecked() && !f.cmdTextBkColor->isEnabled());
        click(f.chkTextBackground);
        choose(f.cboUnderlineStyle, 4);
        const FontValues shown = f.values();
        QCOMPARE(shown.lVyxForeColor, 0x0000FF);
        QCOMPARE(shown.lVyxTextBkColor, 0xFFFFFF);
        QCOMPARE(shown.lVyxFontUnderlineStyle, 5);
        QCOMPARE(shown.lVyxBaseLine, -40);
        QCOMPARE(shown.lVyxFontSize, 11);
        QCOMPARE(BgrOfColor(QColor(0x12, 0x34, 0x56)), 0x563412);
    }
};

QTEST_MAIN(TestOptionDialogs)
#include "test_option_dialogs.moc"
