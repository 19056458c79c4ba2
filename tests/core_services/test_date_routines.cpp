#include "core/DateRoutines.h"
#include "base/MessageSink.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

class RecordingSink : public MessageSink
{
public:
    QStringList texts;
    MessageAnswer showMessage(const QString& text, const QString&, MessageButtons, MessageIcon) override
    {
        texts.append(text);
        return MessageAnswer::Ok;
    }
};

QDateTime at(int y, int m, int d, int h = 0, int mi = 0, int s = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, mi, s));
}

} // namespace

class TestDateRoutines : public QObject
{
    Q_OBJECT
    RecordingSink sink;

    // StringToDate's fallback: midnight of the day the call ran on.
    void verifyToday(const QDateTime& value, const QDate& before)
    {
        QCOMPARE(value.time(), QTime(0, 0));
        QVERIFY(value.date() == before || value.date() == QDate::currentDate());
    }

private slots:
    void init()
    {
        sink.texts.clear();
        SetMessageSink(&sink);
    }
    void cleanup() { SetMessageSink(nullptr); }

    void readsRegionalTexts_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("expected"); // invalid: not a date there
        const QDateTime none;
        QTest::newRow("US with PM") << u"en_US"_s << u" 12/25/2020  10:30:15 pm "_s << at(2020, 12, 25, 22, 30, 15);
        QTest::newRow("US 12 AM is midnight") << u"en_US"_s << u"1/1/2000 12:05 AM"_s << at(2000, 1, 1, 0, 5);
        QTest::newRow("two-digit year 29") << u"en_US"_s << u"1/1/29"_s << at(2029, 1, 1);
        QTest::newRow("two-digit year 30") << u"en_US"_s << u"1/1/30"_s << at(1930, 1, 1);
        QTest::newRow("GB day first") << u"en_GB"_s << u"25/12/2020 22:30"_s << at(2020, 12, 25, 22, 30);
        QTest::newRow("GB reads no month 25") << u"en_GB"_s << u"12/25/2020"_s << none;
        QTest::newRow("US reads no month 25") << u"en_US"_s << u"25/12/2020"_s << none;
        QTest::newRow("no 29 Feb 2021") << u"en_US"_s << u"2/29/2021"_s << none;
        QTest::newRow("29 Feb 2020") << u"en_US"_s << u"2/29/2020"_s << at(2020, 2, 29);
        QTest::newRow("year first") << u"en_GB"_s << u"2020-12-05"_s << at(2020, 12, 5);
        QTest::newRow("German dots") << u"de_DE"_s << u"05.12.2020 10:30:00"_s << at(2020, 12, 5, 10, 30);
        QTest::newRow("US has no dots") << u"en_US"_s << u"05.12.2020"_s << none;
        QTest::newRow("time alone on the zero date") << u"en_US"_s << u"12:00:00 AM"_s << at(1899, 12, 30);
        QTest::newRow("locale's wording") << u"C"_s << u"1 Jan 2000 00:00:00"_s << at(2000, 1, 1);
        QTest::newRow("minute 75") << u"en_US"_s << u"10:75"_s << none;
        QTest::newRow("13 PM") << u"en_US"_s << u"1/1/2000 13:00 PM"_s << none;
        QTest::newRow("marker without time") << u"en_US"_s << u"1/1/2000 PM"_s << none;
        QTest::newRow("two dates") << u"en_US"_s << u"1/1/2000 1/2/2000"_s << none;
        QTest::newRow("word") << u"en_US"_s << u"tomorrow"_s << none;
    }

    void readsRegionalTexts()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(QDateTime, expected);
        const auto value = ReadRegionalDate(text, QLocale(locale));
        QCOMPARE(value.has_value(), expected.isValid());
        if (value)
            QCOMPARE(*value, expected);
    }

    void dateDiffCountsBoundaries_data()
    {
        QTest::addColumn<QString>("interval");
        QTest::addColumn<QDateTime>("from");
        QTest::addColumn<QDateTime>("to");
        QTest::addColumn<int>("expected");
        QTest::newRow("s ten later") << u"s"_s << at(2021, 3, 4, 10, 0, 0) << at(2021, 3, 4, 10, 0, 10) << 10;
        QTest::newRow("s ten earlier") << u"s"_s << at(2021, 3, 4, 10, 0, 10) << at(2021, 3, 4, 10, 0, 0) << -10;
        QTest::newRow("s ignores milliseconds")
            << u"s"_s << QDateTime(QDate(2021, 3, 4), QTime(10, 0, 0, 900)) << at(2021, 3, 4, 10, 0, 1) << 1;
        QTest::newRow("n one second crosses") << u"n"_s << at(2021, 3, 4, 10, 0, 59) << at(2021, 3, 4, 10, 1, 0) << 1;
        QTest::newRow("n within a minute") << u"n"_s << at(2021, 3, 4, 10, 0, 0) << at(2021, 3, 4, 10, 0, 59) << 0;
        QTest::newRow("n backwards") << u"N"_s << at(2021, 3, 4, 10, 1, 0) << at(2021, 3, 4, 10, 0, 59) << -1;
        QTest::newRow("h crosses") << u"h"_s << at(2021, 3, 4, 10, 59, 59) << at(2021, 3, 4, 11, 0, 0) << 1;
        QTest::newRow("d crosses midnight") << u"d"_s << at(2021, 3, 4, 23, 59, 59) << at(2021, 3, 5, 0, 0, 1) << 1;
        QTest::newRow("d same day") << u"d"_s << at(2021, 3, 4, 0, 0, 0) << at(2021, 3, 4, 23, 59, 59) << 0;
        QTest::newRow("d back over midnight") << u"d"_s << at(2021, 3, 5, 0, 0, 1) << at(2021, 3, 4, 23, 59, 59) << -1;
        // 28 March 2021 is a Sunday.
        QTest::newRow("ww Saturday to Sunday") << u"ww"_s << at(2021, 3, 27) << at(2021, 3, 28) << 1;
        QTest::newRow("ww Sunday to Saturday") << u"ww"_s << at(2021, 3, 28) << at(2021, 4, 3) << 0;
        QTest::newRow("w whole weeks") << u"w"_s << at(2021, 3, 27) << at(2021, 4, 9) << 1;
        QTest::newRow("m end to start") << u"m"_s << at(2021, 1, 31) << at(2021, 2, 1) << 1;
        QTest::newRow("q") << u"q"_s << at(2021, 3, 31) << at(2021, 4, 1) << 1;
        QTest::newRow("yyyy") << u"yyyy"_s << at(2021, 12, 31, 23, 59, 59) << at(2022, 1, 1) << 1;
        QTest::newRow("n across 68 years") << u"n"_s << at(1950, 1, 1) << at(2018, 1, 1) << 35765280;
    }

    void dateDiffCountsBoundaries()
    {
        QFETCH(QString, interval);
        QFETCH(QDateTime, from);
        QFETCH(QDateTime, to);
        QFETCH(int, expected);
        QCOMPARE(DateDiffRegionalSafe(interval, from, to), expected);
        QVERIFY(sink.texts.isEmpty());
    }

    void dateDiffReadsStoredTexts_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("interval");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<int>("expected");
        QTest::newRow("US texts") << u"en_US"_s << u"s"_s << u"12/25/2020 10:00:00 PM"_s << u"12/25/2020 10:00:10 PM"_s
                                  << 10;
        // A dotted date is day first under every setting; a month-first
        // reading would span May to June.
        QTest::newRow("dots under US") << u"en_US"_s << u"d"_s << u"05.12.2020"_s << u"06.12.2020"_s << 1;
        QTest::newRow("dots against GB") << u"en_GB"_s << u"d"_s << u"05.12.2020"_s << u"06/12/2020"_s << 1;
        QTest::newRow("dotted date and time") << u"en_GB"_s << u"s"_s << u"05.12.2020 10.00.00"_s
                                              << u"05.12.2020 10.00.10"_s << 10;
        QTest::newRow("dotted date, time with colons")
            << u"en_US"_s << u"n"_s << u"25.12.2020 10:00:00"_s << u"12/25/2020 10:05:00"_s << 5;
        QTest::newRow("dotted year past 2029") << u"en_US"_s << u"d"_s << u"31.12.2035"_s << u"1/1/2036"_s << 1;
        QTest::newRow("German native") << u"de_DE"_s << u"d"_s << u"24.12.2020"_s << u"25.12.2020"_s << 1;
        QTest::newRow("times alone") << u"en_US"_s << u"n"_s << u"12:00:00 AM"_s << u"12:30:00 AM"_s << 30;
    }

    void dateDiffReadsStoredTexts()
    {
        QFETCH(QString, locale);
        QFETCH(QString, interval);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(int, expected);
        QCOMPARE(DateDiffRegionalSafe(interval, first, second, QLocale(locale)), expected);
        QCOMPARE(DateDiffRegionalSafe(interval, second, first, QLocale(locale)), -expected);
        QVERIFY(sink.texts.isEmpty());
    }

    void dateDiffOfABlankIsZeroSilently()
    {
        const QDateTime now = QDateTime::currentDateTime();
        QCOMPARE(DateDiffRegionalSafe(u"n"_s, u"   "_s, now), 0);
        QCOMPARE(DateDiffRegionalSafe(u"n"_s, now, QString()), 0);
        QCOMPARE(DateDiffRegionalSafe(u"n"_s, u""_s, u"rubbish"_s), 0);
        QVERIFY(sink.texts.isEmpty());
    }

    void dateDiffReportsFailures_data()
    {
        QTest::addColumn<QString>("interval");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("unreadable, no dot") << u"d"_s << u"25/12/2020"_s << u"12/26/2020"_s;
        QTest::newRow("unreadable second") << u"d"_s << u"12/26/2020"_s << u"next week"_s;
        QTest::newRow("dotted, no such day") << u"d"_s << u"31.02.2020"_s << u"12/26/2020"_s;
        QTest::newRow("three dots") << u"n"_s << u"25.12.2020 10.30"_s << u"12/26/2020"_s;
        QTest::newRow("unknown interval") << u"x"_s << u"12/25/2020"_s << u"12/26/2020"_s;
        QTest::newRow("beyond 32 bits") << u"s"_s << u"1/1/1950"_s << u"1/1/2020"_s;
    }

    void dateDiffReportsFailures()
    {
        QFETCH(QString, interval);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QCOMPARE(DateDiffRegionalSafe(interval, first, second, QLocale(u"en_US"_s)), 0);
        QCOMPARE(sink.texts, QStringList{u"DateDiffRegionalSafe() Error. Date1: "_s + first + u" Date2: "_s + second});
    }

    void dateDiffReportsAnInvalidDateValue()
    {
        QCOMPARE(DateDiffRegionalSafe(u"s"_s, QDateTime(), u"12/26/2020"_s, QLocale(u"en_US"_s)), 0);
        QCOMPARE(sink.texts, QStringList{u"DateDiffRegionalSafe() Error. Date1:  Date2: 12/26/2020"_s});
    }

    void normalizesDottedTexts_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("hasValue");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("textAfter");
        QTest::newRow("no dot: untouched") << u"en_US"_s << u" 12/25/2020 "_s << false << QString() << u" 12/25/2020 "_s;
        QTest::newRow("date") << u"en_US"_s << u" 05.12.2020 "_s << true << u"12/05/20 0:0:0"_s << u"05.12.2020"_s;
        QTest::newRow("four dots") << u"en_US"_s << u"05.12.2035 10.05.07"_s << true << u"12/05/35 10:5:7"_s
                                   << u"05/12/2035  10:05:07"_s;
        QTest::newRow("time with colons") << u"en_GB"_s << u"25.12.2020 22:30:05"_s << true
                                          << u"12/25/20 22:30:5"_s << u"25.12.2020 22:30:05"_s;
        QTest::newRow("regional separators") << u"fi_FI"_s << u"25.12.2020"_s << true << u"12.25.20 0.0.0"_s
                                             << u"25.12.2020"_s;
        QTest::newRow("unreadable: slashed text") << u"en_US"_s << u"31.02.2020"_s << true << u"31/02/2020"_s
                                                  << u"31.02.2020"_s;
    }

    void normalizesDottedTexts()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(bool, hasValue);
        QFETCH(QString, result);
        QFETCH(QString, textAfter);
        const auto value = NormalizeDateString(text, QLocale(locale));
        QCOMPARE(value.has_value(), hasValue);
        QCOMPARE(value.value_or(QString()), result);
        QCOMPARE(text, textAfter);
    }

    void stringToDateReadsStoredTexts_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("expected"); // invalid: today and a message
        QTest::newRow("settings default") << u"en_US"_s << u"1/1/2000 12:00:00 AM"_s << at(2000, 1, 1);
        QTest::newRow("GB") << u"en_GB"_s << u"25/12/2020 10:30"_s << at(2020, 12, 25, 10, 30);
        QTest::newRow("dots under US") << u"en_US"_s << u"05.12.2020"_s << at(2020, 12, 5);
        QTest::newRow("four dots") << u"en_US"_s << u"05.12.2020 10.05.07"_s << at(2020, 12, 5, 10, 5, 7);
        QTest::newRow("dots under GB") << u"en_GB"_s << u"05.12.2020 10:05"_s << at(2020, 12, 5, 10, 5);
        QTest::newRow("word") << u"en_US"_s << u"abc"_s << QDateTime();
        QTest::newRow("other setting's text") << u"en_US"_s << u"25/12/2020"_s << QDateTime();
        QTest::newRow("dotted, no such day") << u"en_US"_s << u"31.02.2020"_s << QDateTime();
    }

    void stringToDateReadsStoredTexts()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(QDateTime, expected);
        const QDate before = QDate::currentDate();
        const QDateTime value = StringToDate(text, QLocale(locale));
        if (expected.isValid()) {
            QCOMPARE(value, expected);
            QVERIFY(sink.texts.isEmpty());
        } else {
            verifyToday(value, before);
            QCOMPARE(sink.texts, QStringList{u"StringToDate() Error. DateIn: "_s + text});
        }
    }

    void stringToDateOfABlankIsTodaySilently()
    {
        const QDate before = QDate::currentDate();
        verifyToday(StringToDate(u"  "_s), before);
        QVERIFY(sink.texts.isEmpty());
    }

    void buildsValidDateStrings_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("month");
        QTest::addColumn<QString>("day");
        QTest::addColumn<QString>("year");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QDate>("date");
        QTest::newRow("31 April") << u"en_US"_s << u"4"_s << u"31"_s << u"2021"_s << u"4/30/2021 10:00:00"_s
                                  << QDate(2021, 4, 30);
        QTest::newRow("30 Feb leap year") << u"en_US"_s << u"2"_s << u"30"_s << u"2020"_s << u"2/29/2020 10:00:00"_s
                                          << QDate(2020, 2, 29);
        QTest::newRow("31 Feb") << u"en_US"_s << u"2"_s << u"31"_s << u"2021"_s << u"2/28/2021 10:00:00"_s
                                << QDate(2021, 2, 28);
        QTest::newRow("valid day kept as written") << u"en_US"_s << u"12"_s << u"05"_s << u"2021"_s
                                                   << u"12/05/2021 10:00:00"_s << QDate(2021, 12, 5);
        // Day first: the text reads back as the same date there.
        QTest::newRow("GB 31 April") << u"en_GB"_s << u"4"_s << u"31"_s << u"2021"_s << u"30/4/2021 10:00:00"_s
                                     << QDate(2021, 4, 30);
        QTest::newRow("GB 12 April") << u"en_GB"_s << u"4"_s << u"12"_s << u"2021"_s << u"12/4/2021 10:00:00"_s
                                     << QDate(2021, 4, 12);
        QTest::newRow("year first") << u"ja_JP"_s << u"2"_s << u"30"_s << u"2020"_s << u"2020/2/29 10:00:00"_s
                                    << QDate(2020, 2, 29);
        // Nothing to lower the day towards: an empty text, no endless loop.
        QTest::newRow("month 13") << u"en_US"_s << u"13"_s << u"1"_s << u"2021"_s << QString() << QDate();
        QTest::newRow("month 0") << u"en_US"_s << u"0"_s << u"1"_s << u"2021"_s << QString() << QDate();
        QTest::newRow("month word") << u"en_US"_s << u"May"_s << u"1"_s << u"2021"_s << QString() << QDate();
        QTest::newRow("no year") << u"en_US"_s << u"5"_s << u"1"_s << u""_s << QString() << QDate();
        QTest::newRow("year 99999") << u"en_US"_s << u"5"_s << u"1"_s << u"99999"_s << QString() << QDate();
        QTest::newRow("day 0") << u"en_US"_s << u"5"_s << u"0"_s << u"2021"_s << QString() << QDate();
        QTest::newRow("day word") << u"en_US"_s << u"5"_s << u"x"_s << u"2021"_s << QString() << QDate();
    }

    void buildsValidDateStrings()
    {
        QFETCH(QString, locale);
        QFETCH(QString, month);
        QFETCH(QString, day);
        QFETCH(QString, year);
        QFETCH(QString, expected);
        QFETCH(QDate, date);
        const QString text = BuildValidDateString(month, day, year, u"10:00:00"_s, QLocale(locale));
        QCOMPARE(text, expected);
        if (date.isValid()) {
            QCOMPARE(StringToDate(text, QLocale(locale)), QDateTime(date, QTime(10, 0)));
            QVERIFY(sink.texts.isEmpty());
        }
    }

    // The log header's date: the full year and the seconds, whatever the
    // locale's short forms leave out, and no time zone.
    void generalDateHasTheFullYearAndSeconds_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::newRow("United States") << "en_US" << "12/10/2026 5:18:23 AM";
        QTest::newRow("Germany") << "de_DE" << "10.12.2026 05:18:23";
        QTest::newRow("United Kingdom") << "en_GB" << "10/12/2026 05:18:23";
        QTest::newRow("Japan") << "ja_JP" << "2026/12/10 5:18:23";
    }

    void generalDateHasTheFullYearAndSeconds()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        const QDateTime when(QDate(2026, 12, 10), QTime(5, 18, 23));
        QCOMPARE(FormatGeneralDate(when, QLocale(locale)), text);
    }
};

QTEST_GUILESS_MAIN(TestDateRoutines)
#include "test_date_routines.moc"
