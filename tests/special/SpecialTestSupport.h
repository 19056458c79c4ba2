#pragma once
// What the special-process tests share.
#include "core/FileTypes.h"
#include "core/clsConversionOptions.h"

#include <QString>

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

} // namespace specialtest
