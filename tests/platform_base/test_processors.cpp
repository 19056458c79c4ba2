// Choosing a processor for a thread that wants one to itself: where the
// system started it when that one is free, else the next free one, never
// one another thread holds and never one the process may not use; and a
// thread kept on a processor stays there, with the processes it starts.
#include "base/Processors.h"

#include <QTest>

#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

Q_DECLARE_METATYPE(std::vector<int>)
Q_DECLARE_METATYPE(std::set<int>)

class TestProcessors : public QObject
{
    Q_OBJECT

private slots:
    void choosesAFreeProcessor_data()
    {
        QTest::addColumn<std::vector<int>>("usable");
        QTest::addColumn<std::set<int>>("held");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("chosen");
        QTest::newRow("where it runs") << std::vector<int>{0, 1, 2, 3} << std::set<int>{} << 2 << 2;
        QTest::newRow("held: the next") << std::vector<int>{0, 1, 2, 3} << std::set<int>{2} << 2 << 3;
        QTest::newRow("wraps round") << std::vector<int>{0, 1, 2, 3} << std::set<int>{3} << 3 << 0;
        QTest::newRow("skips the held") << std::vector<int>{0, 1, 2, 3} << std::set<int>{1, 2, 3} << 1 << 0;
        QTest::newRow("outside the set") << std::vector<int>{2, 5, 7} << std::set<int>{} << 3 << 5;
        QTest::newRow("past the last") << std::vector<int>{2, 5, 7} << std::set<int>{} << 9 << 2;
        QTest::newRow("unknown") << std::vector<int>{2, 5, 7} << std::set<int>{2} << -1 << 5;
        QTest::newRow("all held") << std::vector<int>{0, 1} << std::set<int>{0, 1} << 0 << -1;
    }
    void choosesAFreeProcessor()
    {
        QFETCH(std::vector<int>, usable);
        QFETCH(std::set<int>, held);
        QFETCH(int, current);
        QFETCH(int, chosen);
        QCOMPARE(ChooseFreeProcessor(usable, held, current), chosen);
    }

    void aKeptThreadAndItsChildStayOnTheProcessor()
    {
        const std::vector<int> usable = UsableProcessors();
        QVERIFY(!usable.empty());
        const int target = usable.back();
        cpu_set_t before;
        QCOMPARE(::sched_getaffinity(0, sizeof before, &before), 0);
        QVERIFY(KeepThreadOnProcessor(target));
        QCOMPARE(UsableProcessors(), std::vector<int>{target});
        const pid_t child = ::fork();
        if (child == 0)
            ::_exit(::sched_getcpu() == target ? 0 : 1);
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        QCOMPARE(::sched_setaffinity(0, sizeof before, &before), 0);
        QVERIFY(!KeepThreadOnProcessor(-1));
    }
};

QTEST_GUILESS_MAIN(TestProcessors)
#include "test_processors.moc"
