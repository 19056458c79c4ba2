// How many offices a machine runs at once (one per processor, as far as
// the memory gives each its budget) and the memory budget of one office:
// half the machine's memory shared by the offices that run at once, never
// below 1 GiB, or what TESSAVIEW_OFFICE_MEMORY_BUDGET says; and the sizes
// its messages name.
#include "office/OfficeMemory.h"

#include <QTemporaryFile>
#include <QTest>

#include <cstdio>
#include <sched.h>
#include <unistd.h>

namespace {

constexpr qint64 GiB = qint64(1) << 30;
constexpr qint64 MiB = qint64(1) << 20;

// What this process writes to standard error while the object lives.
class StderrCapture
{
public:
    StderrCapture()
    {
        std::fflush(stderr);
        if (m_file.open()) {
            m_saved = ::dup(STDERR_FILENO);
            ::dup2(m_file.handle(), STDERR_FILENO);
        }
    }
    ~StderrCapture() { restore(); }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    QString text()
    {
        restore();
        m_file.seek(0);
        return QString::fromUtf8(m_file.readAll());
    }

private:
    void restore()
    {
        std::fflush(stderr);
        if (m_saved >= 0) {
            ::dup2(m_saved, STDERR_FILENO);
            ::close(m_saved);
            m_saved = -1;
        }
    }
    QTemporaryFile m_file;
    int m_saved = -1;
};

} // namespace

class TestOfficeMemory : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { qunsetenv("TESSAVIEW_OFFICE_MEMORY_BUDGET"); }

    void officesOfAMachine_data()
    {
        QTest::addColumn<int>("processors");
        QTest::addColumn<qint64>("machine");
        QTest::addColumn<int>("offices");
        QTest::addColumn<qint64>("budget");
        QTest::newRow("24 GiB, 8 processors") << 8 << 24 * GiB << 8 << 3 * GiB / 2;
        QTest::newRow("one processor") << 1 << 24 * GiB << 1 << 12 * GiB;
        QTest::newRow("small machine: 2 processors, 4 GiB") << 2 << 4 * GiB << 2 << GiB;
        QTest::newRow("little memory: 16 processors, 8 GiB") << 16 << 8 * GiB << 4 << GiB;
        QTest::newRow("little memory: 8 processors, 3 GiB") << 8 << 3 * GiB << 1 << 3 * GiB / 2;
        QTest::newRow("less than 2 GiB: one office at the floor") << 4 << GiB << 1 << GiB;
        QTest::newRow("large machine") << 64 << 512 * GiB << 64 << 4 * GiB;
        QTest::newRow("no processor counts as one") << 0 << 8 * GiB << 1 << 4 * GiB;
    }

    // One office per processor, bounded by memory, and the budgets of all
    // of them together within half the machine's memory.
    void officesOfAMachine()
    {
        QFETCH(int, processors);
        QFETCH(qint64, machine);
        QFETCH(int, offices);
        QFETCH(qint64, budget);
        QCOMPARE(OfficeCountFor(processors, machine), offices);
        QCOMPARE(OfficeMemoryBudgetFor(machine, offices), budget);
        if (machine >= 2 * GiB)
            QVERIFY(offices * budget <= machine / 2);
    }

    // This machine's pool, no larger than the processors the process may
    // use, and the budget that each of its offices is given.
    void officesOfThisMachine()
    {
        cpu_set_t usable;
        CPU_ZERO(&usable);
        QCOMPARE(::sched_getaffinity(0, sizeof usable, &usable), 0);
        const int offices = DefaultOfficeCount();
        QVERIFY(offices >= 1);
        QVERIFY(offices <= CPU_COUNT(&usable));
        QCOMPARE(OfficeMemoryBudget(), OfficeMemoryBudgetFor(MachineMemoryBytes(), offices));
    }

    void budgetOfOneOffice_data()
    {
        QTest::addColumn<qint64>("machine");
        QTest::addColumn<int>("offices");
        QTest::addColumn<qint64>("budget");
        QTest::newRow("24 GiB shared by 4 offices") << 24 * GiB << 4 << 3 * GiB;
        QTest::newRow("one office has half") << 8 * GiB << 1 << 4 * GiB;
        QTest::newRow("never below 1 GiB") << 4 * GiB << 8 << GiB;
        QTest::newRow("no count counts as one") << 8 * GiB << 0 << 4 * GiB;
    }

    void budgetOfOneOffice()
    {
        QFETCH(qint64, machine);
        QFETCH(int, offices);
        QFETCH(qint64, budget);
        QCOMPARE(OfficeMemoryBudgetFor(machine, offices), budget);
    }

    void environmentReplacesTheBudget_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<qint64>("budget"); // -1: the formula's
        QTest::newRow("bytes") << QByteArray("123456789") << qint64(123456789);
        QTest::newRow("megabytes") << QByteArray("400M") << 400 * MiB;
        QTest::newRow("gigabytes, lower case, blanks") << QByteArray(" 2g ") << 2 * GiB;
        QTest::newRow("kilobytes") << QByteArray("512K") << qint64(512 * 1024);
        QTest::newRow("0 turns the watch off") << QByteArray("0") << qint64(0);
        QTest::newRow("not a size") << QByteArray("lots") << qint64(-1);
        QTest::newRow("negative") << QByteArray("-5M") << qint64(-1);
        QTest::newRow("unknown unit") << QByteArray("3T") << qint64(-1);
        QTest::newRow("beyond 64 bits") << QByteArray("99999999999999G") << qint64(-1);
        QTest::newRow("empty") << QByteArray("") << qint64(-1);
    }

    void environmentReplacesTheBudget()
    {
        QFETCH(QByteArray, value);
        QFETCH(qint64, budget);
        qputenv("TESSAVIEW_OFFICE_MEMORY_BUDGET", value);
        const qint64 formula = OfficeMemoryBudgetFor(MachineMemoryBytes(), 4);
        StderrCapture err;
        // Every office asks; a value that is not read is said once.
        for (int office = 0; office < 3; ++office)
            QCOMPARE(OfficeMemoryBudget(4), budget >= 0 ? budget : formula);
        const QString said = err.text();
        if (budget >= 0 || value.isEmpty())
            QCOMPARE(said, QString());
        else
            QCOMPARE(said, QStringLiteral("qvim: TESSAVIEW_OFFICE_MEMORY_BUDGET=%1 is not read (a number of bytes, or "
                                          "one followed by K, M or G; 0 for no limit): each office may use %2\n")
                               .arg(QString::fromUtf8(value), MemorySizeText(formula)));
    }

    void sizesInMessages_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole gigabytes") << 3 * GiB << "3 GB";
        QTest::newRow("a part of one") << 3 * GiB / 2 << "1.5 GB";
        QTest::newRow("megabytes below one") << 400 * MiB << "400 MB";
        QTest::newRow("ten") << 10 * GiB << "10 GB";
    }

    void sizesInMessages()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(MemorySizeText(bytes), text);
    }

    void residentSizeOfAProcess()
    {
        const qint64 own = ProcessResidentBytes(::getpid());
        QVERIFY(own > 0);
        QVERIFY(own < MachineMemoryBytes());
        QCOMPARE(ProcessResidentBytes(0), qint64(-1));
    }
};

QTEST_GUILESS_MAIN(TestOfficeMemory)
#include "test_office_memory.moc"
