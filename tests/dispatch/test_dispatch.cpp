// Calling objects by dispatch id: values of every kind across the table,
// failures as codes with their text, events, saved properties, the end of
// an object, and libraries loaded at run time.
#include "dispatch/Dispatch.h"

#include "control/QuaystoneIds.h"
#include "TestUtil.h"

#include <QDate>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Gives back its arguments, raises what it is told to, keeps a bag.
class EchoTarget : public DispatchTarget
{
public:
    explicit EchoTarget(bool* deleted) : m_deleted(deleted) {}
    ~EchoTarget() override { *m_deleted = true; }

    QVariant Invoke(int dispid, int kind, const QVariantList& args) override
    {
        switch (dispid) {
        case 1: // echo
            return args.value(0);
        case 2:
            throw std::runtime_error("it broke");
        case 3:
            throw 42;
        case 4:
            RaiseEvent(7, args);
            return QVariant();
        case 5:
            return QDate(2026, 1, 1);
        case 6:
            return kind;
        default:
            throw DispatchError(DISPATCH_E_MEMBERNOTFOUND, QStringLiteral("no member %1").arg(dispid));
        }
    }
    void Load(const QVariantMap& properties) override { m_bag = properties; }
    QVariantMap Save() override { return m_bag; }

private:
    bool* m_deleted;
    QVariantMap m_bag;
};

int32_t failureCode(const std::function<void()>& call, QString* text = nullptr)
{
    try {
        call();
    } catch (const DispatchError& e) {
        if (text)
            *text = e.description();
        return e.code();
    }
    return DISPATCH_OK;
}

} // namespace

class TestDispatch : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;

private slots:
    void initTestCase()
    {
        // A control placed new looks for its settings folder: the test's own.
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    }

    void valuesCrossTheTable_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::newRow("true") << QVariant(true);
        QTest::newRow("false") << QVariant(false);
        QTest::newRow("Long") << QVariant(-2147483647 - 1);
        QTest::newRow("Double") << QVariant(16.1);
        QTest::newRow("text") << QVariant(QStringLiteral("Příliš žluťoučký kůň, \"quoted\""));
        QTest::newRow("text with NUL") << QVariant(QString::fromUtf16(u"a\0b", 3));
        QTest::newRow("empty text") << QVariant(QString());
        QTest::newRow("empty") << QVariant();
    }

    void valuesCrossTheTable()
    {
        QFETCH(QVariant, value);
        bool deleted = false;
        DispatchClient client(ExposeDispatchTarget(std::make_unique<EchoTarget>(&deleted)));
        const QVariant back = client.Call(1, {value});
        QCOMPARE(back.typeId(), value.typeId() == QMetaType::UnknownType ? QMetaType::UnknownType : value.typeId());
        QCOMPARE(back, value);
    }

    void failures()
    {
        bool deleted = false;
        DispatchClient client(ExposeDispatchTarget(std::make_unique<EchoTarget>(&deleted)));
        QString text;
        QCOMPARE(failureCode([&] { client.Call(2); }, &text), DISPATCH_E_EXCEPTION);
        QCOMPARE(text, QStringLiteral("it broke"));
        QCOMPARE(failureCode([&] { client.Call(3); }, &text), DISPATCH_E_EXCEPTION);
        QVERIFY(!text.isEmpty());
        QCOMPARE(failureCode([&] { client.Call(99); }, &text), DISPATCH_E_MEMBERNOTFOUND);
        QCOMPARE(text, QStringLiteral("no member 99"));
        // A value the table cannot carry, either way.
        QCOMPARE(failureCode([&] { client.Call(5); }), DISPATCH_E_TYPEMISMATCH);
        QCOMPARE(failureCode([&] { client.Call(1, {QDate(2026, 1, 1)}); }), DISPATCH_E_TYPEMISMATCH);
        QCOMPARE(failureCode([&] { client.Call(1, {qlonglong(1) << 40}); }), DISPATCH_E_TYPEMISMATCH);
        // The kind of call reaches the member.
        QCOMPARE(client.Get(6).toInt(), DISPATCH_PROPERTYGET);
        QCOMPARE(client.Call(6).toInt(), DISPATCH_METHOD);
    }

    void eventsReachTheHandlerWhileAttached()
    {
        bool deleted = false;
        DispatchClient client(ExposeDispatchTarget(std::make_unique<EchoTarget>(&deleted)));
        QList<QVariantList> seen;
        client.Advise([&](int dispid, const QVariantList& args) {
            QCOMPARE(dispid, 7);
            seen << args;
        });
        client.Call(4, {-10, QStringLiteral("failed")});
        QCOMPARE(seen, (QList<QVariantList>{{-10, QStringLiteral("failed")}}));
        client.Advise({});
        client.Call(4, {-2});
        QCOMPARE(seen.size(), 1);
    }

    void savedPropertiesAndTheEnd()
    {
        bool deleted = false;
        bool released = false;
        {
            DispatchClient client(ExposeDispatchTarget(std::make_unique<EchoTarget>(&deleted), [&] { released = true; }));
            const QVariantMap bag{{"msStateFile", "/usr/QSTX.INI"}, {"bUseStateFile", true}, {"n", 3}};
            client.Load(bag);
            QCOMPARE(client.Save(), bag);
            QVERIFY(!deleted);
        }
        QVERIFY(deleted);
        QVERIFY(released);
    }

    void librariesLoadedAtRunTime()
    {
        QString error;
        QVERIFY(!DispatchLibrary::Open(QStringLiteral("/no/such/libthing.so"), error));
        QVERIFY2(error.contains(QLatin1String("does not exist")), qPrintable(error));

        QTemporaryDir dir;
        QVERIFY(testutil::writeFile(dir.filePath("fake.so"), "not a library"));
        QVERIFY(!DispatchLibrary::Open(dir.filePath("fake.so"), error));
        QVERIFY2(error.contains(QLatin1String("cannot be loaded")), qPrintable(error));

        std::shared_ptr<DispatchLibrary> library = DispatchLibrary::Open(QStringLiteral(QUAYSTONE_LIBRARY_PATH), error);
        QVERIFY2(library, qPrintable(error));
        QVERIFY(library->CanUnloadNow());
        QString text;
        QCOMPARE(failureCode([&] { library->CreateObject(QStringLiteral("Quaystone.NoSuchClass")); }, &text),
                 DISPATCH_E_CLASSNOTAVAILABLE);
        QVERIFY2(text.contains(QLatin1String("Quaystone.NoSuchClass")), qPrintable(text));
        {
            // The class name is read ignoring case, as the system reads it.
            std::unique_ptr<DispatchClient> control = library->CreateObject(QStringLiteral("quaystone.quaystonectrl"));
            control->InitNew();
            QVERIFY(!library->CanUnloadNow());
            QCOMPARE(control->Get(quaystone::dispid::ErrorString).toString(), QStringLiteral(" "));
        }
        QVERIFY(library->CanUnloadNow());
    }
};

QTEST_GUILESS_MAIN(TestDispatch)
#include "test_dispatch.moc"
