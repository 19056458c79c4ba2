#include "Validation.h"

#include "core/FileSystem.h"
#include "core/FileTimes.h"
#include "core/Globals.h"
#include "core/StringRoutines.h"
#include "core/Translator.h"
#include "core/clsConversionOptions.h"
#include "core/FileTypes.h"
#include "jobs/MainFormState.h"
#include "jobs/TaskRowTexts.h"
#include "jobs/ValidationInternal.h"

#include <QFile>
#include <QStringList>

#include <filesystem>
#include <system_error>

namespace {

bool isSpecial(const clsConversionOptions& o)
{
    return o.sActionToDo.contains(u'S');
}

bool namesSameFile(const QString& a, const QString& b)
{
    if (a == b)
        return true;
    std::error_code error;
    const bool same = std::filesystem::equivalent(std::filesystem::path(QFile::encodeName(a).toStdString()),
                                                  std::filesystem::path(QFile::encodeName(b).toStdString()), error);
    return !error && same;
}

// The folder exists, or can be made once.
bool ensureFolder(const QString& folder)
{
    if (FolderExists(folder))
        return true;
    if (folder.isEmpty())
        return false;
    CreateFolderPath(folder);
    return FolderExists(folder);
}

// The input types the text processes read.
bool isTextProcessInputType(int type)
{
    switch (type) {
    case filetype::Text:
    case filetype::Text2:
    case filetype::Html:
    case filetype::Rtf:
    case filetype::UnicodeText:
    case filetype::Doc:
        return true;
    default:
        return false;
    }
}

// Completes an output that names a folder, or a name without extension,
// with the output type's extension, here and in the editor alike.
void completeOutputPath(clsConversionOptions& o, const QString& ext, bool wildInput, TaskEditorFields* editor)
{
    const QString& target = o.sTargetFile;
    const QString name = target.mid(target.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    QString suffix;
    if (dot < 0) {
        if (target.endsWith(u'/'))
            suffix = wildInput ? QString(QStringLiteral("*.") + ext) : QString(ext + u'.' + ext);
        else if (wildInput)
            suffix = QStringLiteral("/*.") + ext;
        else if (FolderExists(target + u'/'))
            suffix = u'/' + ext + u'.' + ext; // a single input into a folder is named after the type
        else
            suffix = u'.' + ext;
    } else if (dot == name.size() - 1 && target.size() > 1) {
        suffix = ext;
    }
    if (suffix.isEmpty())
        return;
    o.sTargetFile += suffix;
    if (editor)
        editor->setText(EditorField::TargetFile, editor->text(EditorField::TargetFile) + suffix);
}

// A command line that runs a job file needs nothing but the file: True when
// one is given (lErr says whether it exists).
bool checkedJobFile(clsConversionOptions& o)
{
    if (o.sCLBatchJobFile.isEmpty())
        return false;
    if (!FileExists(o.sCLBatchJobFile))
        o.lErr = taskerror::JobFileMissing;
    return true;
}

void tidyEditorField(TaskEditorFields* editor, EditorField field)
{
    if (editor)
        editor->setText(field, TrimBlanks(editor->text(field)));
}

// Gives a field its kept form back when validation changed nothing in it
// but the expanded macros.
void restoreUnexpanded(QString& field, const QString& kept)
{
    if (TrimBlanks(ExpandPathMacros(kept)) == TrimBlanks(field))
        field = kept;
}

} // namespace

namespace validation_detail {

bool HoldsWildcard(const QString& path)
{
    return path.contains(u'*') || path.contains(u'?');
}

QString WildcardFolder(const QString& path)
{
    qsizetype wild = path.size();
    for (const QChar mark : {u'*', u'?'}) {
        const qsizetype at = path.indexOf(mark);
        if (at >= 0 && at < wild)
            wild = at;
    }
    const qsizetype slash = path.lastIndexOf(u'/', wild - 1);
    if (slash < 0)
        return QString();
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

bool ExtensionsMatch(QString expected, QString actual)
{
    expected = expected.toLower();
    actual = actual.toLower();
    if (actual.isEmpty() || HoldsWildcard(actual) || expected == QLatin1String("*"))
        return true;
    const auto asHtm = [](QString& ext) {
        if (ext == QLatin1String("html"))
            ext = QStringLiteral("htm");
    };
    asHtm(expected);
    asHtm(actual);
    return expected == actual;
}

QString InputFolderTested(const clsConversionOptions& o)
{
    return isSpecial(o) ? WildcardFolder(o.sOriginalFile) : GetParentFolderName(o.sOriginalFile);
}

QString WildOutputFolderTested(const clsConversionOptions& o)
{
    return isSpecial(o) ? WildcardFolder(o.sTargetFile) : GetParentFolderName(o.sTargetFile);
}

QString OutputPathTested(const clsConversionOptions& o)
{
    return ExpandPathMacros(o.bSaveInOriginalFolder ? o.sOriginalFile : o.sTargetFile);
}

} // namespace validation_detail

using namespace validation_detail;

bool bConvertibleInputType(int lType)
{
    return lType != filetype::PdfA && FindTheExtension(lType).has_value();
}

QString UnconvertibleInputText(const QString& file, const QString& sep)
{
    QStringList expected;
    for (const int type : {filetype::Text, filetype::Html, filetype::Rtf, filetype::Doc, filetype::Xml, filetype::Css,
                           filetype::Docx})
        expected << GetFileTypeExtension_TXInput(type, false);
    expected << QStringLiteral("PDF");
    return Translate(QStringLiteral("Invalid Input File type specified.")) + sep + file + QStringLiteral(": ")
           + Translate(QStringLiteral("the file's type is not one the task's input type covers.")) + sep
           + Translate(QStringLiteral("Expected one of the input file types:")) + u' '
           + expected.join(QStringLiteral(", "));
}

QString NamePartExtension(const QString& path)
{
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return QString();
    QString extension = name.mid(dot + 1);
    while (extension.endsWith(u' '))
        extension.chop(1);
    return extension;
}

QString OutputFolderTested(const clsConversionOptions& options)
{
    const QString path = OutputPathTested(options);
    if (TrimBlanks(path).isEmpty())
        return QString();
    return GetDeepestExistingFolder(GetAbsolutePathName(path));
}

int ValidateConversionOptions(MainFormState& form, clsConversionOptions& o, TaskEditorFields* editor)
{
    o.lErr = taskerror::Valid;
    // A text the task row cannot hold is refused before anything is looked up.
    if (ValidateTaskRowTexts(o) != 0)
        return 0;

    const QString keptTarget = o.sTargetFile;
    const QString keptOriginal = o.sOriginalFile;
    const QString keptLog = o.sLogFile;
    const QString keptLogAsJob = o.sLogAsConversionJobFile;
    const QString keptCurrentJob = o.sCurrentBatchJobFile;
    o.sTargetFile = ExpandPathMacros(keptTarget);
    o.sOriginalFile = ExpandPathMacros(keptOriginal);
    o.sLogFile = ExpandPathMacros(keptLog);
    o.sLogAsConversionJobFile = ExpandPathMacros(keptLogAsJob);
    o.sCurrentBatchJobFile = ExpandPathMacros(keptCurrentJob);

    const bool special = isSpecial(o);
    if (special)
        ValidateSpecializedItem(form, o);
    else
        ValidateConversionItem(form, o, editor);

    // A launched program writes nowhere of ours.
    int result = 0;
    const bool launch = special && o.lSpecialProcess == specialprocess::LaunchProgram;
    if (o.lErr == taskerror::Valid && !launch) {
        const QString tested = o.bSaveInOriginalFolder ? o.sOriginalFile : o.sTargetFile;
        if (!TrimBlanks(tested).isEmpty() && !bFolderIsWriteable(tested)) {
            o.lErr = taskerror::OutputFolderNotWritable;
            result = 1;
        }
    }

    restoreUnexpanded(o.sTargetFile, keptTarget);
    restoreUnexpanded(o.sOriginalFile, keptOriginal);
    o.sLogFile = keptLog;
    o.sLogAsConversionJobFile = keptLogAsJob;
    o.sCurrentBatchJobFile = keptCurrentJob;
    return result;
}

int ValidateSpecializedItem(MainFormState& form, clsConversionOptions& o)
{
    if (checkedJobFile(o))
        return 0;

    switch (o.lSpecialProcess) {
    case specialprocess::LaunchProgram:
        if (o.sOriginalFile.contains(u'*'))
            o.lErr = taskerror::InvalidSpecialInput;
        else if (o.lCommandLineWaitTime < -1)
            o.lErr = taskerror::NegativeWaitTime;
        break;
    case specialprocess::Append:
        if (o.sTargetFile.contains(u'*'))
            o.lErr = taskerror::AppendOutputWildcard;
        else if (namesSameFile(o.sTargetFile, o.sOriginalFile))
            o.lErr = taskerror::AppendOntoItself;
        else if (FolderExists(o.sTargetFile))
            o.lErr = taskerror::AppendOutputIsFolder;
        break;
    case specialprocess::RemoveEmptyLines:
    case specialprocess::SearchAndReplace:
        if (!HoldsWildcard(o.sOriginalFile)) {
            o.bDoSubFolders = false;
            o.bSaveInOriginalFolder = false;
            if (!FileExists(o.sOriginalFile))
                o.lErr = taskerror::InputFileMissing;
            else if (HoldsWildcard(o.sTargetFile))
                o.lErr = taskerror::OutputHasWildcard;
            else if (!FolderExists(GetParentFolderName(o.sTargetFile)))
                o.lErr = taskerror::OutputFolderMissing;
        } else {
            if (!FolderExists(WildcardFolder(o.sOriginalFile)))
                o.lErr = taskerror::InputFolderMissing;
            else if (!o.sTargetFile.contains(u'*'))
                o.lErr = taskerror::OutputNeedsWildcard;
            else if (!FolderExists(WildcardFolder(o.sTargetFile)))
                o.lErr = taskerror::WildOutputFolderMissing;
        }
        break;
    default:
        break;
    }
    if (o.lErr != taskerror::Valid)
        return 0;

    // A text process writes the type it reads. A later finding replaces an
    // earlier one.
    o.lTargetFileType = o.lOriginalFileType;
    switch (o.lSpecialProcess) {
    case specialprocess::Append:
    case specialprocess::RemoveEmptyLines:
        if (!isTextProcessInputType(o.lOriginalFileType))
            o.lErr = taskerror::InvalidSpecialInput;
        CheckInputFileTypeMismatch(form, o);
        break;
    case specialprocess::SearchAndReplace:
        if (!isTextProcessInputType(o.lOriginalFileType))
            o.lErr = taskerror::InvalidSpecialInput;
        if (o.sFindString.isEmpty())
            o.lErr = taskerror::FindStringEmpty;
        CheckInputFileTypeMismatch(form, o);
        break;
    case specialprocess::LaunchProgram:
        break;
    default:
        o.lErr = taskerror::InvalidSpecialProcess;
        break;
    }
    return 0;
}

void CheckInputFileTypeMismatch(const MainFormState& form, clsConversionOptions& o)
{
    if (form.bSP_DontShowFileMismatchAgain || G_bCommandLineMode)
        return;
    const QString expected = GetFileTypeExtension(o.lOriginalFileType, false, o.lConversionMethod);
    if (!ExtensionsMatch(expected, NamePartExtension(o.sOriginalFile)))
        o.lErr = taskerror::SpecialInputTypeMismatch;
}

int ValidateConversionItem(MainFormState& form, clsConversionOptions& o, TaskEditorFields* editor)
{
    if (TrimBlanks(o.sExtraParams).isEmpty()) {
        o.lErr = taskerror::ConversionOptionsEmpty;
        return 0;
    }
    if (o.lOriginalFileType == filetype::Pdf
        && (o.lTargetFileType == filetype::Pdf || o.lTargetFileType == filetype::PdfA)) {
        o.lErr = taskerror::PdfToPdf;
        return 0;
    }
    if (checkedJobFile(o))
        return 0;

    tidyEditorField(editor, EditorField::TargetFile);
    tidyEditorField(editor, EditorField::OriginalFile);
    o.sTargetFile = TrimBlanks(o.sTargetFile);
    o.sOriginalFile = TrimBlanks(o.sOriginalFile);

    // The output is judged as entered: an empty one is never completed into
    // a file named after the type. Any other is completed even for a type
    // without an extension ("*." for a wildcard input), so that the type
    // check below, not the path checks, refuses an unknown type.
    const bool outputEmpty = o.sTargetFile.isEmpty();
    const bool wildInput = HoldsWildcard(o.sOriginalFile);
    const QString ext = GetFileTypeExtension(o.lTargetFileType, false, extensiontable::PDFtoImage);
    if (!outputEmpty)
        completeOutputPath(o, ext, wildInput, editor);

    if (wildInput) {
        if (!FolderExists(GetParentFolderName(o.sOriginalFile)))
            o.lErr = taskerror::InputFolderMissing;
        else if (outputEmpty)
            o.lErr = taskerror::OutputEmpty;
        else if (!o.sTargetFile.contains(u'*'))
            o.lErr = taskerror::OutputNeedsWildcard;
        else if (!ensureFolder(GetParentFolderName(o.sTargetFile)))
            o.lErr = taskerror::WildOutputFolderMissing;
    } else {
        o.bDoSubFolders = false;
        o.bSaveInOriginalFolder = false;
        if (!FileExists(o.sOriginalFile))
            o.lErr = taskerror::InputFileMissing;
        else if (HoldsWildcard(o.sTargetFile))
            o.lErr = taskerror::OutputHasWildcard;
        else if (outputEmpty)
            o.lErr = taskerror::OutputEmpty;
        else if (!ensureFolder(GetParentFolderName(o.sTargetFile)))
            o.lErr = taskerror::OutputFolderMissing;
    }
    if (o.lErr != taskerror::Valid)
        return 0;

    if (ext.isEmpty()) {
        o.lErr = taskerror::InvalidOutputType;
        return 0;
    }
    // The Word route opens what the word processor opens; the text control
    // needs a type it reads.
    if (o.lConversionMethod != 1 && !bConvertibleInputType(o.lOriginalFileType)) {
        o.lErr = taskerror::InvalidInputType;
        return 0;
    }
    if (form.bConv_DontShowFileMismatchAgain || G_bCommandLineMode)
        return 0;
    if (NamePartExtension(o.sTargetFile).toLower() != ext.toLower())
        o.lErr = taskerror::OutputTypeMismatch;
    // The input's check runs second and wins.
    if (!ExtensionsMatch(GetFileTypeExtension_TXOutput(o.lOriginalFileType, false), NamePartExtension(o.sOriginalFile)))
        o.lErr = taskerror::InputTypeMismatch;
    return 0;
}
