#include "DateRoutines.h"

#include "base/MessageSink.h"

#include <QRegularExpression>

#include <limits>

namespace {

enum class FieldOrder { MonthDayYear, DayMonthYear, YearMonthDay };

// What the parser needs to know of a locale.
struct RegionalFormat
{
    FieldOrder order = FieldOrder::MonthDayYear;
    QString dateSeparators; // accepted between date fields
    QString timeSeparators; // accepted between time fields
    QChar dateSeparator;    // the locale's own, for the pattern text
    QChar timeSeparator;
};

// The first character of a format that is a separator, or a null QChar.
QChar formatSeparator(const QString& format)
{
    for (const QChar c : format) {
        if (!c.isLetter() && !c.isSpace() && c != u'\'')
            return c;
    }
    return {};
}

RegionalFormat regionalFormat(const QLocale& locale)
{
    RegionalFormat f;
    const QString dateFormat = locale.dateFormat(QLocale::ShortFormat);
    const qsizetype d = dateFormat.indexOf(u'd');
    const qsizetype m = dateFormat.indexOf(u'M');
    const qsizetype y = dateFormat.indexOf(u'y');
    if (d >= 0 && m >= 0 && y >= 0) {
        if (y < m && y < d)
            f.order = FieldOrder::YearMonthDay;
        else if (d < m)
            f.order = FieldOrder::DayMonthYear;
    }
    f.dateSeparator = formatSeparator(dateFormat);
    f.timeSeparator = formatSeparator(locale.timeFormat(QLocale::ShortFormat));
    f.dateSeparators = QStringLiteral("/-");
    if (!f.dateSeparator.isNull() && !f.dateSeparators.contains(f.dateSeparator))
        f.dateSeparators += f.dateSeparator;
    f.timeSeparators = QStringLiteral(":");
    if (!f.timeSeparator.isNull() && f.timeSeparator != u':')
        f.timeSeparators += f.timeSeparator;
    if (f.dateSeparator.isNull())
        f.dateSeparator = u'/';
    if (f.timeSeparator.isNull())
        f.timeSeparator = u':';
    return f;
}

// Splits a token at any of the separators; no value unless every field is
// a plain decimal number of at most four digits.
std::optional<QStringList> numberFields(const QString& token, const QString& separators)
{
    QStringList fields;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= token.size(); ++i) {
        if (i < token.size() && !separators.contains(token[i]))
            continue;
        const QString field = token.mid(start, i - start);
        if (field.isEmpty() || field.size() > 4)
            return std::nullopt;
        for (const QChar c : field) {
            if (c < u'0' || c > u'9')
                return std::nullopt;
        }
        fields.append(field);
        start = i + 1;
    }
    return fields;
}

// One or two digits lie in 1930 to 2029; otherwise the year as written,
// from 100 to 9999.
std::optional<int> fullYear(const QString& digits)
{
    bool ok = false;
    const int year = digits.toInt(&ok);
    if (!ok || year < 0)
        return std::nullopt;
    if (digits.size() <= 2)
        return year < 30 ? 2000 + year : 1900 + year;
    if (year < 100 || year > 9999)
        return std::nullopt;
    return year;
}

std::optional<QDate> parseDate(const QString& token, const RegionalFormat& format)
{
    const auto fields = numberFields(token, format.dateSeparators);
    if (!fields || fields->size() != 3)
        return std::nullopt;
    const FieldOrder order = fields->at(0).size() > 2 ? FieldOrder::YearMonthDay : format.order;
    const int dayAt = order == FieldOrder::MonthDayYear ? 1 : order == FieldOrder::DayMonthYear ? 0 : 2;
    const int monthAt = order == FieldOrder::MonthDayYear ? 0 : 1;
    const int yearAt = order == FieldOrder::YearMonthDay ? 0 : 2;
    const auto year = fullYear(fields->at(yearAt));
    const int month = fields->at(monthAt).toInt();
    const int day = fields->at(dayAt).toInt();
    if (!year || !QDate::isValid(*year, month, day))
        return std::nullopt;
    return QDate(*year, month, day);
}

// `marker` is 0 without AM/PM, 1 for AM, 2 for PM.
std::optional<QTime> parseTime(const QString& token, const RegionalFormat& format, int marker)
{
    const auto fields = numberFields(token, format.timeSeparators);
    if (!fields || fields->size() < 2 || fields->size() > 3)
        return std::nullopt;
    int hour = fields->at(0).toInt();
    const int minute = fields->at(1).toInt();
    const int second = fields->size() == 3 ? fields->at(2).toInt() : 0;
    if (marker != 0) {
        if (hour > 12)
            return std::nullopt;
        hour = hour % 12 + (marker == 2 ? 12 : 0);
    }
    if (!QTime::isValid(hour, minute, second))
        return std::nullopt;
    return QTime(hour, minute, second);
}

int amPmMarker(const QString& token, const QLocale& locale)
{
    const auto is = [&token](const QString& text) {
        return !text.isEmpty() && token.compare(text, Qt::CaseInsensitive) == 0;
    };
    if (is(locale.amText()) || is(QStringLiteral("AM")))
        return 1;
    if (is(locale.pmText()) || is(QStringLiteral("PM")))
        return 2;
    return 0;
}

// A date, a time or a date and a time, with an optional AM/PM marker.
std::optional<QDateTime> parseNumeric(const QString& text, const RegionalFormat& format, const QLocale& locale)
{
    QStringList tokens = text.simplified().split(u' ', Qt::SkipEmptyParts);
    const int marker = tokens.size() > 1 ? amPmMarker(tokens.last(), locale) : 0;
    if (marker != 0)
        tokens.removeLast();
    if (tokens.isEmpty() || tokens.size() > 2)
        return std::nullopt;
    std::optional<QDate> date;
    std::optional<QTime> time;
    for (const QString& token : std::as_const(tokens)) {
        if (!date && !time && (date = parseDate(token, format)))
            continue;
        if (!time && (time = parseTime(token, format, marker)))
            continue;
        return std::nullopt;
    }
    if (marker != 0 && !time)
        return std::nullopt;
    return QDateTime(date.value_or(QDate(1899, 12, 30)), time.value_or(QTime(0, 0)));
}

// Turns a dotted text into the slashed form that is read day first. `text`
// is trimmed in place; with four dots (a dotted date and a dotted time) it
// becomes the date, two blanks and the time with ":" separators.
QString slashDottedText(QString& text)
{
    text = text.trimmed();
    QString slashed = text;
    slashed.replace(u'.', u'/');
    if (text.count(u'.') != 4)
        return slashed;
    const qsizetype blank = slashed.indexOf(u' ');
    text = slashed.left(blank + 1) + u' ' + slashed.mid(blank + 1).replace(u'/', u':');
    return text;
}

std::optional<QDateTime> readSlashed(const QString& slashed, const QLocale& locale)
{
    RegionalFormat dayFirst;
    dayFirst.order = FieldOrder::DayMonthYear;
    dayFirst.dateSeparators = QStringLiteral("/");
    dayFirst.timeSeparators = QStringLiteral(":");
    return parseNumeric(slashed, dayFirst, locale);
}

// The regional reading, else the dotted reading of a text that holds a dot.
std::optional<QDateTime> readStoredDate(const QString& text, const QLocale& locale)
{
    if (auto value = ReadRegionalDate(text, locale))
        return value;
    if (!text.contains(u'.'))
        return std::nullopt;
    QString copy = text;
    return readSlashed(slashDottedText(copy), locale);
}

bool isBlank(const DateArg& arg)
{
    const QString* text = std::get_if<QString>(&arg);
    return text && text->trimmed().isEmpty();
}

std::optional<QDateTime> resolve(const DateArg& arg, const QLocale& locale)
{
    if (const QString* text = std::get_if<QString>(&arg))
        return readStoredDate(*text, locale);
    const QDateTime& value = std::get<QDateTime>(arg);
    if (!value.isValid())
        return std::nullopt;
    return value.toLocalTime();
}

QString argText(const DateArg& arg, const QLocale& locale)
{
    if (const QString* text = std::get_if<QString>(&arg))
        return *text;
    return locale.toString(std::get<QDateTime>(arg), QLocale::ShortFormat);
}

// Counts on the wall clock (date and time of day), so every calendar day
// has 86400 seconds, as the program's date values did.
std::optional<qint64> countBoundaries(const QString& interval, const QDateTime& from, const QDateTime& to)
{
    const QDate d1 = from.date(), d2 = to.date();
    const qint64 days = d2.toJulianDay() - d1.toJulianDay();
    const auto secondsOfDay = [](const QDateTime& t) { return qint64(t.time().msecsSinceStartOfDay() / 1000); };
    const auto units = [&](qint64 size) {
        return days * (86400 / size) + secondsOfDay(to) / size - secondsOfDay(from) / size;
    };
    const auto sundayBefore = [](const QDate& d) { return d.toJulianDay() - d.dayOfWeek() % 7; };
    const qint64 months = (d2.year() - d1.year()) * 12 + d2.month() - d1.month();

    const QString code = interval.trimmed().toLower();
    if (code == u"s")
        return units(1);
    if (code == u"n")
        return units(60);
    if (code == u"h")
        return units(3600);
    if (code == u"d" || code == u"y")
        return days;
    if (code == u"w")
        return days / 7;
    if (code == u"ww")
        return (sundayBefore(d2) - sundayBefore(d1)) / 7;
    if (code == u"m")
        return months;
    if (code == u"q")
        return (d2.year() - d1.year()) * 4 + (d2.month() - 1) / 3 - (d1.month() - 1) / 3;
    if (code == u"yyyy")
        return d2.year() - d1.year();
    return std::nullopt;
}

QString twoDigits(int n)
{
    return QString::number(n).rightJustified(2, u'0');
}

// The pattern "mm/dd/yy h:m:s" with the locale's separators.
QString patternText(const QDateTime& value, const RegionalFormat& format)
{
    const QDate d = value.date();
    const QTime t = value.time();
    return twoDigits(d.month()) + format.dateSeparator + twoDigits(d.day()) + format.dateSeparator
        + twoDigits(d.year() % 100) + u' ' + QString::number(t.hour()) + format.timeSeparator
        + QString::number(t.minute()) + format.timeSeparator + QString::number(t.second());
}

QDateTime today()
{
    return QDateTime(QDate::currentDate(), QTime(0, 0));
}

} // namespace

std::optional<QDateTime> ReadRegionalDate(const QString& text, const QLocale& locale)
{
    if (auto value = parseNumeric(text, regionalFormat(locale), locale))
        return value;
    // Texts in the locale's own wording, such as "1 Jan 2000 00:00:00".
    const QString trimmed = text.trimmed();
    for (const auto form : {QLocale::ShortFormat, QLocale::LongFormat}) {
        const QDateTime value = locale.toDateTime(trimmed, form);
        if (value.isValid())
            return value;
        const QDate date = locale.toDate(trimmed, form);
        if (date.isValid())
            return QDateTime(date, QTime(0, 0));
    }
    return std::nullopt;
}

qint32 DateDiffRegionalSafe(const QString& interval, const DateArg& date1, const DateArg& date2,
                            const QLocale& locale)
{
    if (isBlank(date1) || isBlank(date2))
        return 0;
    const auto first = resolve(date1, locale);
    const auto second = resolve(date2, locale);
    std::optional<qint64> count;
    if (first && second)
        count = countBoundaries(interval, *first, *second);
    if (!count || *count < std::numeric_limits<qint32>::min() || *count > std::numeric_limits<qint32>::max()) {
        // An unreadable date is reported, never counted from the zero date.
        ShowMessage(QStringLiteral("DateDiffRegionalSafe() Error. Date1: ") + argText(date1, locale)
                    + QStringLiteral(" Date2: ") + argText(date2, locale));
        return 0;
    }
    return qint32(*count);
}

std::optional<QString> NormalizeDateString(QString& text, const QLocale& locale)
{
    if (!text.contains(u'.'))
        return std::nullopt;
    const QString slashed = slashDottedText(text);
    const auto value = readSlashed(slashed, locale);
    if (!value)
        return slashed;
    return patternText(*value, regionalFormat(locale));
}

QDateTime StringToDate(const QString& text, const QLocale& locale)
{
    if (text.trimmed().isEmpty())
        return today();
    if (const auto value = readStoredDate(text, locale))
        return *value;
    ShowMessage(QStringLiteral("StringToDate() Error. DateIn: ") + text);
    return today();
}

QString BuildValidDateString(const QString& month, const QString& day, const QString& year,
                             const QString& time, const QLocale& locale)
{
    bool monthOk = false, dayOk = false;
    const int m = month.trimmed().toInt(&monthOk);
    int d = day.trimmed().toInt(&dayOk);
    const auto y = fullYear(year.trimmed());
    if (!monthOk || m < 1 || m > 12 || !dayOk || d < 1 || !y)
        return {};
    // Lowering the day one at a time ends at the month's last day.
    QString dayText = day.trimmed();
    const int lastDay = QDate(*y, m, 1).daysInMonth();
    if (d > lastDay) {
        d = lastDay;
        dayText = QString::number(d);
    }
    const QString sep = QStringLiteral("/");
    QString date;
    switch (regionalFormat(locale).order) {
    case FieldOrder::MonthDayYear:
        date = month.trimmed() + sep + dayText + sep + year.trimmed();
        break;
    case FieldOrder::DayMonthYear:
        date = dayText + sep + month.trimmed() + sep + year.trimmed();
        break;
    case FieldOrder::YearMonthDay:
        date = year.trimmed() + sep + month.trimmed() + sep + dayText;
        break;
    }
    return date + u' ' + time;
}

QString FormatGeneralDate(const QDateTime& when, const QLocale& locale)
{
    QString date = locale.dateFormat(QLocale::ShortFormat);
    if (!date.contains(QLatin1String("yyyy")))
        date.replace(QRegularExpression(QStringLiteral("y+")), QStringLiteral("yyyy"));
    // The short time form with the seconds added after the minutes, in the
    // separator that stands before the minutes ("h:mm AP" -> "h:mm:ss AP").
    QString time = locale.timeFormat(QLocale::ShortFormat);
    if (!time.contains(u's')) {
        const qsizetype minutes = time.indexOf(QLatin1String("mm"));
        if (minutes > 0)
            time.insert(minutes + 2, time.at(minutes - 1) + QStringLiteral("ss"));
    }
    return locale.toString(when, date + u' ' + time);
}
