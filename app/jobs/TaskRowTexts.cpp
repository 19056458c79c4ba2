#include "TaskRowTexts.h"

#include "core/Translator.h"
#include "core/clsConversionOptions.h"
#include "core/FileTypes.h"

#include <QList>

namespace {

struct StoredText
{
    const char* field;     // English name of the field, translated when shown
    QString text;
    bool findOrReplace;
};

bool isConversion(const clsConversionOptions& o)
{
    return o.sActionToDo.contains(u'C');
}

// The texts that the task's row would hold, by the row writer's rules.
QList<StoredText> storedTexts(const clsConversionOptions& o)
{
    QList<StoredText> texts;
    if (isConversion(o))
        texts.append({"Conversion Options", o.sExtraParams, false});
    texts.append({"Do", o.sActionToDo, false});
    texts.append({"Input File", o.sOriginalFile, false});
    texts.append({"Output File", o.sTargetFile, false});
    if (!isConversion(o) && o.lSpecialProcess == specialprocess::SearchAndReplace) {
        texts.append({"String to find", o.sFindString, true});
        texts.append({"Replacement string", o.sReplaceString, true});
    }
    return texts;
}

bool holdsRowMarker(const QString& text)
{
    return text.contains(QStringLiteral("}}")) || text.contains(QStringLiteral("Replace{{"));
}

// The first refused text and why, or nothing.
bool findRefusal(const clsConversionOptions& o, QString& field, QString& reason)
{
    for (const StoredText& t : storedTexts(o)) {
        if (CellTextBreaksRow(t.text)) {
            field = QString::fromLatin1(t.field);
            reason = QStringLiteral("cannot contain a TAB or a line break.");
            return true;
        }
        if (t.findOrReplace && holdsRowMarker(t.text)) {
            field = QString::fromLatin1(t.field);
            reason = QStringLiteral("cannot contain '}}' or 'Replace{{'.");
            return true;
        }
    }
    return false;
}

} // namespace

bool CellTextBreaksRow(QStringView text)
{
    for (QChar ch : text)
        if (ch == u'\t' || ch == u'\r' || ch == u'\n')
            return true;
    return false;
}

int ValidateTaskRowTexts(clsConversionOptions& options)
{
    QString field, reason;
    if (!findRefusal(options, field, reason))
        return 0;
    options.lErr = kErrTaskTextNotStorable;
    return options.lErr;
}

QString TaskRowTextsMessage(const clsConversionOptions& options, const QString& separator)
{
    QString field, reason;
    if (!findRefusal(options, field, reason))
        return QString();
    return Translate(field) + separator + Translate(reason);
}
