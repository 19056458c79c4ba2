// The window's services: the layout's column formulas, the recent-files
// menu and combo fillers, the fixed lists, the pickers and their filters,
// and the About box.
#include "core/FilePickers.h"
#include "core/Globals.h"
#include "jobs/clsMRU.h"
#include "ui/EditorPickers.h"
#include "ui/FormUtilities.h"
#include "ui/MainFormLayout.h"
#include "ui/QtDialogs.h"
#include "ui/frmAbout.h"
#include "ui/frmPleaseWait.h"
#include "TestUtil.h"
#include "WindowTestDoubles.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <optional>

Q_DECLARE_METATYPE(std::optional<int>)

namespace {

clsMRU listOf(const QString& file, const QStringList& entries)
{
    clsMRU list;
    list.Setup(5, file, QStringLiteral("mruFileOpen"), QStringLiteral("-1"));
    for (const QString& e : entries)
        list.AddUniqueItemToCollection(e);
    return list;
}

} // namespace

class TestWindowServices : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString settings() const { return m_dir.filePath(QStringLiteral("settings.ini")); }

private slots:
    void cleanup()
    {
        SetFileChooser(nullptr);
        SetHelpOpener(nullptr);
        G_bSuppressControlEvents = false;
    }

    void toDoFileColumns_data()
    {
        QTest::addColumn<double>("gridWidth");
        QTest::addColumn<double>("fixedColumns");
        QTest::addColumn<std::optional<int>>("width");
        QTest::newRow("9000 wide, 3000 fixed") << 9000.0 << 3000.0 << std::optional<int>(2805);
        QTest::newRow("odd rest rounds the half to even, up") << 9001.0 << 3000.0 << std::optional<int>(2806);
        QTest::newRow("odd rest rounds the half to even, down") << 9003.0 << 3000.0 << std::optional<int>(2806);
        QTest::newRow("exactly nothing left over") << 3390.0 << 3000.0 << std::optional<int>(0);
        QTest::newRow("fixed columns wider than the grid") << 2000.0 << 3000.0 << std::optional<int>();
    }

    void toDoFileColumns()
    {
        QFETCH(double, gridWidth);
        QFETCH(double, fixedColumns);
        QFETCH(std::optional<int>, width);
        QCOMPARE(ToDoFileColumnWidth(gridWidth, fixedColumns), width);
    }

    void logStatusColumn()
    {
        QCOMPARE(LogStatusColumnWidth(10000, 4000), std::optional<int>(5610));
        QCOMPARE(LogStatusColumnWidth(4200, 4000), std::optional<int>());
        QCOMPARE(RoundTwips(2805.5), 2806);
        QCOMPARE(RoundTwips(2806.5), 2806);
        QCOMPARE(TwipsToPixels(13000, 96), 867);
        QCOMPARE(PixelsToTwips(867, 96), 13005);
    }

    void tabCyclingWrapsAtBothEnds()
    {
        QCOMPARE(NextTabIndex(1, 2), 2);
        QCOMPARE(NextTabIndex(2, 2), 1);
        QCOMPARE(PreviousTabIndex(1, 2), 2);
        QCOMPARE(PreviousTabIndex(2, 2), 1);
        QCOMPARE(NextTabIndex(3, 3), 1);
    }

    // Newest first with its access key; an "&" of a file name shows.
    void recentFilesMenu()
    {
        const clsMRU list = listOf(settings(), {QStringLiteral("/jobs/old.KRJ"), QStringLiteral("/jobs/R&D.KRJ"),
                                                QStringLiteral("/jobs/new.KRJ")});
        QCOMPARE(MRUMenuCaptions(list), (QStringList{QStringLiteral("&1 /jobs/new.KRJ"),
                                                     QStringLiteral("&2 /jobs/R&&D.KRJ"),
                                                     QStringLiteral("&3 /jobs/old.KRJ")}));

        QMenu file;
        QAction* exit = file.addAction(QStringLiteral("E&xit"));
        QAction* bottom = file.insertSeparator(exit);
        QList<int> clicked;
        MRUMenu menu(&file, bottom, [&](int index) { clicked << index; });
        FillMRUMenu(menu, list);
        QCOMPARE(CountMRUMenuItems(menu), 3);
        QCOMPARE(file.actions().indexOf(menu.items().constFirst()), 0);
        QCOMPARE(file.actions().indexOf(bottom), 3);
        QCOMPARE(menu.items().at(1)->property("Tag").toString(), QStringLiteral("TranslateFalse"));
        menu.items().at(1)->trigger();
        QCOMPARE(clicked, QList<int>{2});

        menu.setEnabled(false);
        FillMRUMenu(menu, listOf(settings(), {QStringLiteral("/jobs/only.KRJ")}));
        QCOMPARE(CountMRUMenuItems(menu), 1);
        QVERIFY(!menu.items().constFirst()->isEnabled());
        FillMRUMenu(menu, listOf(settings(), {}));
        QCOMPARE(CountMRUMenuItems(menu), 0);
    }

    void comboFromList()
    {
        QComboBox box;
        box.setEditable(true);
        QList<bool> suppressedDuringFill;
        connect(&box, &QComboBox::currentTextChanged, this,
                [&] { suppressedDuringFill << G_bSuppressControlEvents; });
        FillComboFromMRU(&box, listOf(settings(), {QStringLiteral("a"), QStringLiteral("b")}));
        QCOMPARE(box.count(), 2);
        QCOMPARE(box.itemText(0), QStringLiteral("b"));
        QCOMPARE(box.currentText(), QStringLiteral("b"));
        QVERIFY(!suppressedDuringFill.isEmpty());
        QVERIFY(!suppressedDuringFill.contains(false));
        QVERIFY(!G_bSuppressControlEvents);

        // The flag gets back what it was, also when it was set.
        G_bSuppressControlEvents = true;
        FillComboFromMRU(&box, listOf(settings(), {}));
        QVERIFY(G_bSuppressControlEvents);
        QCOMPARE(box.count(), 0);
        QCOMPARE(box.currentIndex(), -1);
    }

    void characterList()
    {
        const QStringList items = CharacterListItems();
        QCOMPARE(items.size(), 256);
        QCOMPARE(items[0], QStringLiteral("ASCII Char"));
        QCOMPARE(items[1], QStringLiteral("[1] SOH"));
        QCOMPARE(items[9], QStringLiteral("[9] TAB"));
        QCOMPARE(items[32], QStringLiteral("[32] Space"));
        QCOMPARE(items[33], QStringLiteral("[33]!"));
        QCOMPARE(items[65], QStringLiteral("[65]A"));
        QCOMPARE(items[128], QStringLiteral("[128]\u20AC"));   // the euro sign of Windows-1252
        QCOMPARE(items[150], QStringLiteral("[150]\u2013"));   // en dash
        QCOMPARE(items[233], QStringLiteral("[233]\u00E9"));
        QCOMPARE(items[255], QStringLiteral("[255]\u00FF"));
    }

    void launchLists()
    {
        QComboBox states;
        FillInCommandLineWindowStateComboBox(&states);
        QCOMPARE(states.count(), 4);
        QCOMPARE(states.currentText(), QStringLiteral("Hidden"));
        QCOMPARE(states.itemData(2).toInt(), 3);
        QCOMPARE(states.itemData(3).toInt(), 6);
        QComboBox priorities;
        FillInCommandLineThreadPriorityComboBox(&priorities);
        QCOMPARE(priorities.currentText(), QStringLiteral("Idle"));
        QCOMPARE(SelectedItemData(&priorities), 0x40);
        QCOMPARE(priorities.itemData(3).toInt(), 0x100);
    }

    void showControlsOfOneContainer()
    {
        QWidget form;
        auto* frame = new QGroupBox(&form);
        auto* direct = new QLabel(frame);
        auto* inner = new QGroupBox(frame);
        auto* nested = new QLabel(inner);
        form.show();
        ShowControlsInContainer(frame, false);
        QVERIFY(direct->isHidden());
        QVERIFY(inner->isHidden());
        QVERIFY(!nested->isHidden());
        ShowControlsInContainer(frame, true);
        QVERIFY(!direct->isHidden() && !inner->isHidden());
    }

    void filtersMatchInAnyLetterCase_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("matches");
        QTest::newRow("upper-case pattern, lower-case name") << "*.PDF" << "report.pdf" << true;
        QTest::newRow("lower-case pattern, upper-case name") << "*.docx" << "REPORT.DOCX" << true;
        QTest::newRow("another extension") << "*.PDF" << "report.pdfx" << false;
        QTest::newRow("all files, without a dot") << "*.*" << "README" << true;
    }

    void filtersMatchInAnyLetterCase()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, name);
        QFETCH(bool, matches);
        const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(CaseInsensitivePattern(pattern)));
        QCOMPARE(re.match(name).hasMatch(), matches);
    }

    void nameFiltersKeepTheirDescriptions()
    {
        const QStringList filters = QtNameFilters(InputFileFilter());
        QCOMPARE(filters.size(), 7);
        QCOMPARE(filters[5], QStringLiteral("Text (*.txt;*.log;*.dat) (*.[tT][xX][tT] *.[lL][oO][gG] *.[dD][aA][tT])"));
        QCOMPARE(QtNameFilters(ImageFileFilter()).size(), 14);
        QCOMPARE(QtNameFilters(SpecialProcessFileFilter()).size(), 6);
        QVERIFY(QtNameFilters(QString()).isEmpty());
    }

    void filterIndexOfTheSelectedType_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("input");
        QTest::addColumn<int>("specialized");
        QTest::newRow("docx") << 13 << 2 << 2;
        QTest::newRow("doc") << 9 << 3 << 3;
        QTest::newRow("pdf") << 12 << 4 << 1;
        QTest::newRow("rtf") << 5 << 5 << 4;
        QTest::newRow("text") << 1 << 6 << 5;
        QTest::newRow("unicode text") << 6 << 6 << 5;
        QTest::newRow("second text code") << 2 << 1 << 5;
        QTest::newRow("html") << 4 << 7 << 6;
        QTest::newRow("unknown") << 99 << 1 << 1;
    }

    void filterIndexOfTheSelectedType()
    {
        QFETCH(int, type);
        QFETCH(int, input);
        QFETCH(int, specialized);
        QCOMPARE(SourceFileFilterIndex(type), input);
        QCOMPARE(SpecializedFileFilterIndex(type), specialized);
    }

    void folderPatterns()
    {
        QCOMPARE(SourceFolderPattern(QStringLiteral("/home/ann/in"), 2, 13), std::optional<QString>("/home/ann/in/*.docx"));
        // The Word engine takes the pattern from the type too: "*.doc" alone would miss DOCX files.
        QCOMPARE(SourceFolderPattern(QStringLiteral("/home/ann/in"), 1, 13), std::optional<QString>("/home/ann/in/*.docx"));
        QCOMPARE(SourceFolderPattern(QStringLiteral("/"), 2, 12), std::optional<QString>("/*.pdf"));
        QCOMPARE(SourceFolderPattern(QStringLiteral("/in"), 3, 12), std::optional<QString>());
        QCOMPARE(TargetFolderPattern(QStringLiteral("/out"), 8), QStringLiteral("/out/*.png"));
        QCOMPARE(TargetFolderPattern(QStringLiteral("/out"), 14), QStringLiteral("/out/*.pdf"));
        QCOMPARE(SpecializedFileFilter(60), QString());
        QCOMPARE(SpecializedFileFilter(56), SpecialProcessFileFilter());
    }

    void fileDialogs()
    {
        ScriptedChooser chooser;
        SetFileChooser(&chooser);
        QDir(m_dir.path()).mkpath(QStringLiteral("jobs"));

        int index = 3;
        QCOMPARE(ShowFileDialog(FileDialogMode::Save, QStringLiteral("Save"), QStringLiteral("a|*.a"), index), QString());
        QCOMPARE(index, 3);   // a cancelled picker leaves the index
        QCOMPARE(chooser.requests.constLast().mode, FileDialogMode::Save);

        chooser.paths = {m_dir.filePath(QStringLiteral("jobs/new.KRJ"))};
        chooser.chosenIndex = 2;
        QString start = m_dir.filePath(QStringLiteral("jobs/missing/deeper/x.KRJ"));
        QCOMPARE(ShowFileDialogInitDir(FileDialogMode::Open, QStringLiteral("Open"), QStringLiteral("a|*.a|b|*.b"),
                                       index, start),
                 m_dir.filePath(QStringLiteral("jobs/new.KRJ")));
        QCOMPARE(index, 2);
        // Opens in the nearest folder that exists.
        QCOMPARE(chooser.requests.constLast().initialFolder, m_dir.filePath(QStringLiteral("jobs")) + u'/');
    }

    void folderBrowser()
    {
        ScriptedChooser chooser;
        SetFileChooser(&chooser);
        qputenv("HOME", m_dir.path().toUtf8());

        QString start = QStringLiteral("%USERPROFILE%/Docs/*.doc");
        QCOMPARE(BrowseForFolder(start), QString());
        QCOMPARE(start, m_dir.path() + QStringLiteral("/Docs/A.doc"));
        QCOMPARE(chooser.folderStarts.constLast(), start);

        start = QStringLiteral("/tmp/");
        chooser.folders = {QStringLiteral("/srv/data/"), QStringLiteral("/")};
        QCOMPARE(BrowseForFolder(start), QStringLiteral("/srv/data"));
        QCOMPARE(start, QStringLiteral("/tmp"));
        QCOMPARE(BrowseForFolder(start), QStringLiteral("/"));   // the root is never the empty text
    }

    void versionTexts()
    {
        QCOMPARE(AboutVersionText(2, 3, 6), QStringLiteral("2.36"));
        QCOMPARE(AboutVersionText(6, 0, 62), QStringLiteral("6.062"));
        QCOMPARE(SplashVersionText(2, 1, 5), QStringLiteral("V2.15"));
    }

    // Sixteen frames at 200 ms, the last held ten seconds, then again.
    void aboutAnimation()
    {
        frmAbout about;
        QCOMPARE(about.Timer1->interval(), 200);
        QCOMPARE(about.nextFrame(), 1);
        for (int tick = 1; tick <= 15; ++tick)
            about.Timer1_Timer();
        QCOMPARE(about.lastFrame(), 15);
        QCOMPARE(about.Timer1->interval(), 200);
        about.Timer1_Timer();
        QCOMPARE(about.lastFrame(), 16);
        QCOMPARE(about.nextFrame(), 1);
        QCOMPARE(about.Timer1->interval(), 10000);
        about.Timer1_Timer();
        QCOMPARE(about.lastFrame(), 1);
        QCOMPARE(about.Timer1->interval(), 200);
        QVERIFY(LogoFrame(1, 64).toImage() != LogoFrame(16, 64).toImage());
    }

    void aboutOpensTheSettingsFileOnlyWhenThereIsOne()
    {
        RecordingOpener opener;
        SetHelpOpener(&opener);
        G_IniFilePath = m_dir.filePath(QStringLiteral("QVIM_SearchHistory.INI"));
        frmAbout about;
        QTest::mouseDClick(about.logo, Qt::LeftButton);
        QVERIFY(opener.urls.isEmpty());
        QVERIFY(testutil::writeFile(G_IniFilePath, "[frmMain]\n"));
        QTest::mouseDClick(about.logo, Qt::LeftButton);
        QCOMPARE(opener.urls, QList<QUrl>{QUrl::fromLocalFile(G_IniFilePath)});
        about.cmdMailToProductName_Click();
        QCOMPARE(opener.urls.constLast().scheme(), QStringLiteral("mailto"));
    }
};

QTEST_MAIN(TestWindowServices)
#include "test_window_services.moc"
