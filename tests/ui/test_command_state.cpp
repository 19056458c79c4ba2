// The command state of the main form for the facts of the moment.
#include "ui/CommandState.h"

#include <QTest>

Q_DECLARE_METATYPE(CommandFacts)

namespace {

// The facts of an idle job with `tasks` tasks and row `row` current.
CommandFacts job(int tasks, int row)
{
    CommandFacts f;
    f.toDoRows = tasks + 2;
    f.toDoRow = row;
    f.currentNumberCell = row >= 1 && row <= tasks ? QString::number(row) : QStringLiteral("*");
    return f;
}

// Enabled commands as letters, in a fixed order, so a row of the table
// reads at a glance: N new, O open, A add, R remove, U update, C convert,
// P pause, W rewind, S save and save as, L save the log, D pop-up delete,
// M recent files and the open entries.
QString enabled(const CommandState& s)
{
    QString t;
    const std::pair<char, bool> letters[] = {
        {'N', s.keyNew},     {'O', s.keyOpen},  {'A', s.keyAdd},   {'R', s.keyRemove},
        {'U', s.keyUpdate},  {'C', s.keyConvert}, {'P', s.keyPause}, {'W', s.keyRewind},
        {'S', s.KeySave},    {'L', s.KeySaveLogAsConversionJob}, {'D', s.mnuPopupDelete}, {'M', s.mnuMRU},
    };
    for (const auto& [letter, on] : letters)
        if (on)
            t += QLatin1Char(letter);
    return t;
}

// The move items' visibility: sub-menu, up/first, down/last (menu and pop-up agree).
QString moves(const CommandState& s)
{
    QString t;
    t += QLatin1Char(s.mnuMoveConversionTask ? 'M' : '-');
    t += QLatin1Char(s.mnuMoveUp ? 'u' : '-');
    t += QLatin1Char(s.mnuMoveDown ? 'd' : '-');
    return t;
}

} // namespace

class TestCommandState : public QObject
{
    Q_OBJECT

private slots:
    void commands_data()
    {
        QTest::addColumn<CommandFacts>("facts");
        QTest::addColumn<QString>("expected");

        QTest::newRow("empty job") << job(0, 1) << "NOACSM";
        CommandFacts resumable = job(0, 1);
        resumable.lResumeFileIndex = 3;
        QTest::newRow("empty job, resume index") << resumable << "NOACWSM";

        CommandFacts one = job(1, 1);
        one.firstPassCell = QStringLiteral("+");
        QTest::newRow("one task, passed: no remove, no rewind") << one << "NOACSM";
        one.bCurrentActionItemDirty = true;
        QTest::newRow("one task, edited") << one << "NOAUCSM";

        QTest::newRow("two tasks, first selected") << job(2, 1) << "NOARCSDM";
        CommandFacts dirty = job(2, 2);
        dirty.bCurrentActionItemDirty = true;
        QTest::newRow("two tasks, edited") << dirty << "NOARUCSDM";
        QTest::newRow("two tasks, new-task row") << job(2, 3) << "NOACSM";
        CommandFacts passed = job(2, 1);
        passed.firstPassCell = QStringLiteral("-");
        QTest::newRow("two tasks, first has run") << passed << "NOARCWSDM";

        CommandFacts log = dirty;
        log.selectedTab = 2;
        QTest::newRow("log tab") << log << "NOCSM";

        CommandFacts running = dirty;
        running.bRunning = true;
        QTest::newRow("running: pause, and save stays") << running << "PS";
        CommandFacts loading = running;
        loading.bLoadingJobFile = true;
        QTest::newRow("loading: pause only") << loading << "P";
        CommandFacts scheduled = job(2, 1);
        scheduled.bSchedularEnabled = true;
        QTest::newRow("schedule active") << scheduled << "PS";

        CommandFacts paused = job(2, 1);
        paused.lResumeFileIndex = 4;
        QTest::newRow("paused inside a task") << paused << "NOARCWSDM";

        CommandFacts logged = job(2, 1);
        logged.logRows = 3;
        QTest::newRow("a failed item logged") << logged << "NOARCSLDM";
        logged.bRunning = true;
        QTest::newRow("log rows while running") << logged << "PSL";
    }

    void commands()
    {
        QFETCH(CommandFacts, facts);
        QFETCH(QString, expected);
        const CommandState s = UpdateMenuToolbar(facts, CommandState());
        QCOMPARE(enabled(s), expected);

        // Menus, command buttons and the drop-down follow the toolbar.
        QCOMPARE(s.mnuNewConversionJob, s.keyNew);
        QCOMPARE(s.mnuBeginConversionJob, s.keyConvert);
        QCOMPARE(s.mnuPause, s.keyPause);
        QCOMPARE(s.cmdPause, s.keyPause);
        QCOMPARE(s.mnuRewindConversionJob, s.keyRewind);
        QCOMPARE(s.cmdAdd, s.keyAdd);
        QCOMPARE(s.cmdRemove, s.keyRemove);
        QCOMPARE(s.cmdUpdate, s.keyUpdate);
        QCOMPARE(s.KeySaveAs, s.KeySave);
        QCOMPARE(s.mnuSaveConversionJob, s.KeySave);
        QCOMPARE(s.mnuSaveLogAsConversionJob, s.KeySaveLogAsConversionJob);
        QCOMPARE(s.mnuOpenConversionJob, s.keyOpen);
        QCOMPARE(s.KeyOpen, s.keyOpen);
        QCOMPARE(s.moveCommands, s.keyNew);
    }

    void moveItems_data()
    {
        QTest::addColumn<CommandFacts>("facts");
        QTest::addColumn<QString>("expected");

        QTest::newRow("one task") << job(1, 1) << "-ud";
        QTest::newRow("two tasks, first") << job(2, 1) << "M-d";
        QTest::newRow("two tasks, last") << job(2, 2) << "Mu-";
        QTest::newRow("three tasks, middle") << job(3, 2) << "Mud";
        QTest::newRow("three tasks, new-task row") << job(3, 4) << "-ud";
    }

    void moveItems()
    {
        QFETCH(CommandFacts, facts);
        QFETCH(QString, expected);
        const CommandState s = UpdateMenuToolbar(facts, CommandState());
        QCOMPARE(moves(s), expected);
        // The pop-up's items go with the menu's, but hide with the sub-menu.
        if (s.mnuMoveConversionTask) {
            QCOMPARE(s.mnuPopupMoveUp, s.mnuMoveUp);
            QCOMPARE(s.mnuPopupMoveDown, s.mnuMoveDown);
        } else {
            QVERIFY(!s.mnuPopupMoveUp && !s.mnuPopupMoveDown);
        }
    }

    // Busy, or while controls are being filled, the move items keep what
    // they showed; a run refuses moves.
    void moveItemsKeepTheirStateWhileBusy()
    {
        const CommandState middle = UpdateMenuToolbar(job(3, 2), CommandState());
        CommandFacts running = job(3, 1);
        running.bRunning = true;
        const CommandState busy = UpdateMenuToolbar(running, middle);
        QCOMPARE(moves(busy), QStringLiteral("Mud"));
        QVERIFY(!busy.moveCommands);

        CommandFacts filling = job(3, 1);
        filling.bSuppressControlEvents = true;
        const CommandState filled = UpdateMenuToolbar(filling, middle);
        QCOMPARE(moves(filled), QStringLiteral("Mud"));
        QVERIFY(filled.moveCommands);
    }

    void startStateHasTheSaveEntriesOff()
    {
        const CommandState start;
        QVERIFY(!start.KeySave && !start.KeySaveAs && !start.KeySaveLogAsConversionJob);
        QVERIFY(start.keyNew && start.keyPause && start.mnuMoveConversionTask);
    }
};

QTEST_APPLESS_MAIN(TestCommandState)
#include "test_command_state.moc"
