#include "EditorPickers.h"

#include "core/FileSystem.h"
#include "core/FileTypes.h"

QString ImageFileFilter()
{
    return QStringLiteral("JPEG (*.jpg)|*.jpg|Windows Bitmap (*.bmp)|*.bmp|Tagged Image File Format (*.tif)|*.tif|"
                          "GIF (*.gif)|*.gif|EMF (*.emf)|*.emf")
           + QStringLiteral("|J2K (*.j2k)|*.j2k|PCX bitmap format (*.pcx)|*.pcx|Portable Network Graphics (*.png)|"
                            "*.png|Sun Rasterfile (*.ras)|*.ras|Targa File (*.tga)|*.tga")
           + QStringLiteral("|Windows Meta File (*.wmf)|*.wmf|PDF (*.PDF)|*.PDF|PDFA (*.PDF)|*.PDF|All Files (*.*)|*.*");
}

QString InputFileFilter()
{
    return QStringLiteral("All Files (*.*)|*.*|MS Word (*.docx)|*.docx|MS Word 97-2003 (*.doc)|*.doc|PDF (*.PDF)|"
                          "*.PDF|Rich Text Format(*.RTF)|*.RTF|Text (*.txt;*.log;*.dat)|*.txt;*.log;*.dat|"
                          "HTML (*.htm;*.html)|*.htm;*.html");
}

QString SpecialProcessFileFilter()
{
    return QStringLiteral("All Files (*.*)|*.*|MS Word (*.docx)|*.docx|MS Word 97-2003 (*.doc)|*.doc|"
                          "Rich Text Format(*.RTF)|*.RTF|Text (*.txt;*.log;*.dat)|*.txt;*.log;*.dat|"
                          "HTML (*.htm;*.html)|*.htm;*.html");
}

int SourceFileFilterIndex(int lInputType)
{
    switch (lInputType) {
    case filetype::Docx:
        return 2;
    case filetype::Doc:
        return 3;
    case filetype::Pdf:
        return 4;
    case filetype::Rtf:
        return 5;
    case filetype::Text:
    case filetype::UnicodeText:
        return 6;
    case filetype::Html:
        return 7;
    default:
        return 1;
    }
}

int SpecializedFileFilterIndex(int lInputType)
{
    switch (lInputType) {
    case filetype::Docx:
        return 2;
    case filetype::Doc:
        return 3;
    case filetype::Rtf:
        return 4;
    case filetype::Text:
    case filetype::Text2:
    case filetype::UnicodeText:
    case 7:
        return 5;
    case filetype::Html:
        return 6;
    default:
        return 1;
    }
}

QString SpecializedFileFilter(int lSpecialProcess)
{
    switch (lSpecialProcess) {
    case specialprocess::Append:
    case specialprocess::RemoveEmptyLines:
    case specialprocess::SearchAndReplace:
        return SpecialProcessFileFilter();
    default:
        return QString();
    }
}

QString JoinFolder(const QString& folder, const QString& name)
{
    if (folder.endsWith(u'/'))
        return folder + name;
    return folder + u'/' + name;
}

std::optional<QString> SourceFolderPattern(const QString& folder, int lConversionMethod, int lInputType)
{
    if (lConversionMethod != 1 && lConversionMethod != 2)
        return std::nullopt;
    return JoinFolder(folder, QStringLiteral("*.") + FindTheExtension(lInputType).value_or(QString()));
}

QString TargetFolderPattern(const QString& folder, int lOutputType)
{
    return JoinFolder(folder, QStringLiteral("*.") + FindTheTargetExtension(lOutputType).value_or(QString()));
}

QString SpecializedTargetFolderPath(const QString& folder, const QString& input)
{
    const QString name = GetFileName(input);
    if (!input.contains(u'*') && !input.contains(u'?'))
        return JoinFolder(folder, name);
    const qsizetype dot = name.lastIndexOf(u'.');
    return JoinFolder(folder, dot < 0 ? QStringLiteral("*") : QStringLiteral("*.") + name.mid(dot + 1));
}
