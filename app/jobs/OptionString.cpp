#include "OptionString.h"

#include "jobs/TextNumbers.h"

#include <QList>
#include <QStringView>

namespace {
constexpr QChar kSeparator = u'^';
}

QString BuildConversionOptionString(const QString& sPages, int lCompression, bool bAppend,
                                    const QString& sQuality, int lResolution, int lWidth,
                                    int lHeight, int lLayout)
{
    const QString sep(kSeparator);
    return sPages + sep + QString::number(lCompression) + sep
           + (bAppend ? QStringLiteral("TRUE") : QStringLiteral("FALSE")) + sep + sQuality + sep
           + QString::number(lResolution) + sep + QString::number(lWidth) + sep
           + QString::number(lHeight) + sep + QString::number(lLayout) + sep;
}

void ParseConversionOptionString(const QString& sOptions, QString& sPages, int& lCompression,
                                 bool& bAppend, int& lQuality, int& lResolution, int& lWidth,
                                 int& lHeight, int& lLayout)
{
    const QList<QStringView> fields = QStringView(sOptions).split(kSeparator);
    if (fields.size() < 2)
        return;
    const auto has = [&](int i) { return i < fields.size(); };

    sPages = fields.at(0).toString();
    TextToWholeNumber(fields.at(1), lCompression);
    if (has(2))
        TextToBoolean(fields.at(2).isEmpty() ? QStringView(u"FALSE") : fields.at(2), bAppend);
    if (has(3)) {
        if (IsNumericText(fields.at(3)))
            TextToWholeNumber(fields.at(3), lQuality);
        else
            lQuality = 100;
    }
    int* const wholeNumbers[] = {&lResolution, &lWidth, &lHeight, &lLayout};
    for (int i = 0; i < 4 && has(4 + i); ++i)
        TextToWholeNumber(fields.at(4 + i), *wholeNumbers[i]);
}
