#include "TaskRows.h"

#include "core/Globals.h"
#include "core/clsConversionOptions.h"
#include "core/FileTypes.h"
#include "jobs/FlexGrid.h"
#include "jobs/GridSetup.h"
#include "jobs/MainFormState.h"
#include "jobs/TaskRowTexts.h"
#include "jobs/TextNumbers.h"

#include <QStringList>

namespace {

// Flag letters count only within the first nine characters of column 1.
constexpr int kFlagWindow = 9;
const QString kFindMarker = QStringLiteral("Find{{");
const QString kReplaceMarker = QStringLiteral("Replace{{");
const QString kCloseMarker = QStringLiteral("}}");
const QString kSplitMarker = QStringLiteral("}}Replace{{");

bool isConversion(const clsConversionOptions& o)
{
    return o.sActionToDo.contains(u'C');
}

bool hasFlag(const QString& cell, QChar letter)
{
    return HasFlagLetter(cell, letter);
}

QString flagsCell(const clsConversionOptions& o)
{
    if (isConversion(o))
        return GetOptionFlagLetters(o);
    if (o.lSpecialProcess == specialprocess::LaunchProgram)
        return LaunchSettingsCell(o);
    if (o.lSpecialProcess == specialprocess::SearchAndReplace)
        return FindReplaceCell(o);
    return GetOptionFlagLetters(o);
}

// Every field that a row can set goes back to a new record's value.
void resetRowFields(clsConversionOptions& o)
{
    const clsConversionOptions fresh;
    o.lOriginalFileType = fresh.lOriginalFileType;
    o.lTargetFileType = fresh.lTargetFileType;
    o.lConversionMethod = fresh.lConversionMethod;
    o.lSpecialProcess = fresh.lSpecialProcess;
    o.sFindString = fresh.sFindString;
    o.sReplaceString = fresh.sReplaceString;
    o.lCommandLineThreadPriority = fresh.lCommandLineThreadPriority;
    o.lCommandLineWindowState = fresh.lCommandLineWindowState;
    o.lCommandLineWaitTime = fresh.lCommandLineWaitTime;
    o.lErr = fresh.lErr;
    o.sErr = fresh.sErr;
}

void readFlags(clsConversionOptions& o, const QString& cell)
{
    o.bSaveInOriginalFolder = hasFlag(cell, u'G');
    o.bDoSubFolders = hasFlag(cell, u'R');
    o.bCaseSensitive = hasFlag(cell, u'D');
    o.bRXHDWholeWordOnly = hasFlag(cell, u'W');
    o.bRXHDBeginningOfLine = hasFlag(cell, u'B');
    o.bRXHDEndOfLine = hasFlag(cell, u'L');
    o.bRXHDMultiLine = hasFlag(cell, u'Z');
    o.bRXHDGenerateReportWhenDone = hasFlag(cell, u'J');
    o.bUseRegularExpression = hasFlag(cell, u'X');
}

void readTypeNumber(const QString& cell, int& field)
{
    if (!cell.isEmpty())
        TextToWholeNumber(cell, field);
}

void readLaunchSettings(clsConversionOptions& o, QString cell)
{
    cell.remove(u'T').remove(u'S').remove(u'W');
    const QStringList parts = cell.split(u' ');
    int* const fields[] = {&o.lCommandLineThreadPriority, &o.lCommandLineWindowState,
                           &o.lCommandLineWaitTime};
    for (int i = 0; i < 3 && i < parts.size(); ++i)
        TextToWholeNumber(parts.at(i), *fields[i]);
}

void readFindReplace(clsConversionOptions& o, const QString& cell)
{
    std::optional<QString> replacement;
    if (ReadFindReplaceCell(cell, o.sFindString, replacement) && replacement)
        o.sReplaceString = *replacement;
}

} // namespace

void GetOptionsFromGUI(MainFormState& form, clsConversionOptions& options)
{
    if (form.hooks.GetOptionsFromGUI)
        form.hooks.GetOptionsFromGUI(options);
}

QString JoinFlagLetters(std::initializer_list<std::pair<bool, QChar>> flags)
{
    QString letters;
    for (const auto& [set, letter] : flags)
        if (set)
            letters += letter;
    return letters;
}

bool HasFlagLetter(const QString& cell, QChar letter)
{
    const qsizetype at = cell.indexOf(letter);
    return at >= 0 && at < kFlagWindow;
}

QString FindReplaceCellText(const QString& letters, const QString& find, const QString& replace)
{
    return letters + QString(10, u' ') + kFindMarker + find + kCloseMarker + kReplaceMarker + replace + kCloseMarker;
}

// The cell always ends with "}}", so the replacement runs to the last "}}":
// a replacement that itself ends in "}" reads back whole.
bool ReadFindReplaceCell(const QString& cell, QString& find, std::optional<QString>& replace)
{
    const qsizetype at = cell.indexOf(kFindMarker);
    if (at < kFlagWindow)
        return false;
    const QStringView rest = QStringView(cell).mid(at + kFindMarker.size());
    const qsizetype close = rest.lastIndexOf(kCloseMarker);
    const qsizetype split = rest.indexOf(kSplitMarker);
    if (split < 0) {
        find = (close < 0 ? rest : rest.left(close)).toString();
        return true;
    }
    find = rest.left(split).toString();
    const qsizetype replaceStart = split + kSplitMarker.size();
    const QStringView replacement = rest.mid(replaceStart);
    const qsizetype end = close >= replaceStart ? close - replaceStart : replacement.size();
    replace = replacement.left(end).toString();
    return true;
}

QString GetOptionFlagLetters(const clsConversionOptions& o)
{
    return JoinFlagLetters({
        {o.bDoSubFolders, u'R'},
        {o.bSaveInOriginalFolder, u'G'},
        {o.lConversionMethod == 1, u'M'},
        {o.bUseRegularExpression, u'X'},
        {o.bCaseSensitive, u'D'},
        {o.bRXHDWholeWordOnly, u'W'},
        {o.bRXHDBeginningOfLine, u'B'},
        {o.bRXHDEndOfLine, u'L'},
        {o.bRXHDMultiLine, u'Z'},
        {o.bRXHDGenerateReportWhenDone, u'J'},
    });
}

QString LaunchSettingsCell(const clsConversionOptions& o)
{
    return QStringLiteral("T") + QString::number(o.lCommandLineThreadPriority)
           + QStringLiteral(" S") + QString::number(o.lCommandLineWindowState)
           + QStringLiteral(" W") + QString::number(o.lCommandLineWaitTime);
}

QString FindReplaceCell(const clsConversionOptions& o)
{
    return FindReplaceCellText(GetOptionFlagLetters(o), o.sFindString, o.sReplaceString);
}

void GetTaskRowTypeNames(const clsConversionOptions& o, QString& inputName, QString& outputName)
{
    inputName.clear();
    if (isConversion(o)) {
        if (o.lConversionMethod == extensiontable::TXOutput)
            inputName = GetFileTypeExtension_TXOutput(o.lOriginalFileType, false);
        outputName = GetFileTypeExtension(o.lTargetFileType, false, extensiontable::PDFtoImage);
    } else {
        inputName = GetFileTypeExtension(o.lOriginalFileType, false, o.lConversionMethod);
        outputName = GetFileTypeExtension(o.lTargetFileType, false, o.lConversionMethod);
    }
}

QString BuildTaskRowText(const clsConversionOptions& o, int lTaskNumber)
{
    const bool conversion = isConversion(o);
    QString inputName, outputName;
    GetTaskRowTypeNames(o, inputName, outputName);
    const QStringList cells = {
        conversion ? o.sExtraParams : QString(),
        flagsCell(o),
        QString::number(lTaskNumber),
        o.sActionToDo,
        o.sOriginalFile,
        QString::number(o.lOriginalFileType),
        inputName,
        o.sTargetFile,
        QString::number(o.lTargetFileType),
        outputName,
    };
    return cells.join(u'\t');
}

bool AddOptionsToGrid(clsConversionOptions& options, FlexGrid& grid)
{
    if (ValidateTaskRowTexts(options) != 0)
        return false;
    if (grid.TextMatrix(1, todocol::Number).isEmpty())
        SetUpToDoGrid(grid);
    const int index = grid.Rows() - 1;
    G_bSuppressControlEvents = true;
    grid.AddItem(BuildTaskRowText(options, index), index);
    grid.setRow(grid.Rows() - 2);
    SelectWholeGridRow(grid);
    return true;
}

void GetConversionItemFromGridRow(clsConversionOptions& o, int lRow, FlexGrid& grid)
{
    if (lRow <= 0 || lRow >= grid.Rows() - 1)
        return;
    G_bSuppressControlEvents = true;
    grid.setRow(lRow);
    resetRowFields(o);

    const QString flags = grid.TextMatrix(lRow, todocol::Flags);
    o.sExtraParams = grid.TextMatrix(lRow, todocol::Options);
    o.sActionToDo = grid.TextMatrix(lRow, todocol::Do);
    const bool special = o.sActionToDo.contains(u'S');
    if (isConversion(o))
        o.lConversionMethod = hasFlag(flags, u'M') ? 1 : 2;
    else if (special)
        o.lConversionMethod = 4; // what the runners expect of a special process

    readTypeNumber(grid.TextMatrix(lRow, todocol::InputType), o.lOriginalFileType);
    readTypeNumber(grid.TextMatrix(lRow, todocol::OutputType), o.lTargetFileType);
    if (special)
        TextToWholeNumber(QString(o.sActionToDo).remove(u'S'), o.lSpecialProcess);

    const bool launch = special && o.lSpecialProcess == specialprocess::LaunchProgram;
    // A launch row's column 1 holds its settings ("T32 S1 W-1"), whose W is
    // no flag letter.
    readFlags(o, launch ? QString() : flags);
    o.sOriginalFile = ConvertTypedPathSeparators(grid.TextMatrix(lRow, todocol::Input));
    // A launch row's output column holds the program's arguments, not a path.
    const QString output = grid.TextMatrix(lRow, todocol::Output);
    o.sTargetFile = launch ? output : ConvertTypedPathSeparators(output);

    if (special) {
        if (launch)
            readLaunchSettings(o, flags);
        else if (o.lSpecialProcess == specialprocess::SearchAndReplace)
            readFindReplace(o, flags);
    }
    G_bSuppressControlEvents = false;
}

QString ConvertTypedPathSeparators(const QString& path)
{
    return QString(path).replace(u'\\', u'/');
}
