#pragma once
// What the special-process tests share: item records, and the lines of a
// job file for the real program.
#include "core/FileTypes.h"
#include "core/clsConversionOptions.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace specialtest {

// An item record of special process `process` from `input` to `output`,
// both of file type `type`.
inline clsConversionOptions specialItem(int process, const QString& input, const QString& output,
                                        int type = filetype::Text)
{
    clsConversionOptions item;
    item.sActionToDo = QStringLiteral("S%1").arg(process);
    item.lSpecialProcess = process;
    item.lConversionMethod = 4;
    item.sOriginalFile = input;
    item.sTargetFile = output;
    item.lOriginalFileType = type;
    item.lTargetFileType = type;
    return item;
}

// One job-file line: every cell followed by a TAB, the line by CR LF.
inline QByteArray jobLine(const QStringList& cells)
{
    QString line;
    for (const QString& cell : cells)
        line += cell + u'\t';
    return (line + QStringLiteral("\r\n")).toUtf8();
}

// The job-file line of task `number`: special process `process` with the
// option cell `flags`, from `input` to `output` of the type `type` (its
// number) named `typeName`.
inline QByteArray specialTaskLine(int number, int process, const QString& flags, const QString& input,
                                  const QString& output, int type, const QString& typeName)
{
    return jobLine({QString(), flags, QString::number(number), QStringLiteral("S%1").arg(process), input,
                    QString::number(type), typeName, output, QString::number(type), typeName, QString()});
}

// The last line of every job: the new-task row.
inline QByteArray jobEndLine()
{
    return jobLine({QString(), QString(), QStringLiteral("*"), QString(), QString(), QString(), QString(), QString(),
                    QString(), QString(), QString()});
}

} // namespace specialtest
