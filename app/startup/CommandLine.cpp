#include "CommandLine.h"

#include "core/FileSystem.h"
#include "startup/CommandLineHelp.h"
#include "core/Globals.h"
#include "core/DateRoutines.h"
#include "core/Help.h"
#include "core/LogFile.h"
#include "core/StringRoutines.h"
#include "core/Translator.h"
#include "core/clsConversionOptions.h"
#include "core/FileTypes.h"
#include "jobs/MainFormState.h"
#include "jobs/TextNumbers.h"
#include "jobs/Validation.h"
#include "linesmith/Linesmith.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <array>

namespace {

// The option string has twenty slots; /1 to /9 fill the first nine.
constexpr int kOptionSlots = 20;
const std::array<const char*, 8> kSlotDefaults = {"*", "0", "FALSE", "75", "100", "0", "0", "0"};
// Given in a job name, the job opens in the window instead of running.
const QString kOpenMarker = QStringLiteral("#OPEN.KRJ");

QString lowerExtension(const QString& path)
{
    return NamePartExtension(path).trimmed().toLower();
}

void readNumber(const QString& value, int& field)
{
    TextToWholeNumber(value, field);
}

class SwitchReader
{
public:
    SwitchReader(clsConversionOptions& options, MainFormState& form) : m_o(options), m_form(form)
    {
        for (int i = 0; i < kOptionSlots; ++i)
            m_slots << (i < int(kSlotDefaults.size()) ? QString::fromLatin1(kSlotDefaults[size_t(i)]) : QString());
    }

    void apply(const CommandLineSwitch& s);

    QString optionString() const
    {
        QString text;
        for (const QString& slot : m_slots)
            text += slot + u'^';
        return text;
    }

private:
    clsConversionOptions& m_o;
    MainFormState& m_form;
    QStringList m_slots;
};

void SwitchReader::apply(const CommandLineSwitch& s)
{
    const QChar letter = s.letter;
    if (letter >= u'1' && letter <= u'9') {
        m_slots[letter.unicode() - u'1'] = s.value;
        return;
    }
    switch (letter.unicode()) {
    case u'S':
        m_o.sOriginalFile = ResolveCommandLinePath(s.value);
        if (m_o.lOriginalFileType == kUnsetNumber)
            m_o.lOriginalFileType = SourceTypeFromExtension(m_o.sOriginalFile);
        break;
    case u'F':
        readNumber(s.value, m_o.lOriginalFileType);
        break;
    case u'T':
        m_o.sTargetFile = ResolveCommandLinePath(s.value);
        if (m_o.lTargetFileType == kUnsetNumber)
            m_o.lTargetFileType = TargetTypeFromExtension(m_o.sTargetFile);
        break;
    case u'C':
        readNumber(s.value, m_o.lTargetFileType);
        break;
    case u'V':
        m_o.bVerbose = true;
        break;
    case u'R':
        m_o.bDoSubFolders = true;
        break;
    case u'G':
        m_o.bSaveInOriginalFolder = true;
        break;
    case u'M':
        readNumber(s.value, m_o.lConversionMethod);
        break;
    case u'P':
        m_o.bPostErrorLevel = true;
        break;
    case u'L':
        m_o.sLogFile = ResolveCommandLinePath(s.value);
        break;
    case u'I':
        m_o.sIniFileOverride = ResolveCommandLinePath(s.value);
        break;
    case u'B':
        m_o.sLogAsConversionJobFile = ResolveCommandLinePath(s.value);
        break;
    case u'J':
        m_o.sCLBatchJobFile = ResolveCommandLinePath(s.value);
        break;
    case u'O':
        m_o.bOpenButDoNotRun = true;
        break;
    case u'?':
        ShowHelpTopic(helpcontext::CommandLine, OnlineHelpTopicPage(helpcontext::CommandLine));
        break;
    case u'Z':
        m_form.sInputFile_Password = RemoveQuotes(s.value);
        break;
    case u'W':
        m_form.bOverridePDFSettings = true;
        m_form.sVyxPDFUserPassword = RemoveQuotes(s.value);
        break;
    default:
        break; // a letter the program does not know is no error
    }
}

// Output beside the input: the input's folder and every file of the output
// type.
void applySaveInOriginalFolder(clsConversionOptions& o)
{
    QString folder = GetParentFolderName(o.sOriginalFile);
    if (!folder.endsWith(u'/'))
        folder += u'/';
    o.sTargetFile = folder + GetFileTypeExtension(o.lTargetFileType, true, extensiontable::PDFtoImage);
}

bool pdfAWithPassword(const MainFormState& form, const clsConversionOptions& o)
{
    return o.sCLBatchJobFile.isEmpty() && o.lTargetFileType == filetype::PdfA && form.bOverridePDFSettings
           && (!form.sVyxPDFUserPassword.isEmpty() || !form.sVyxPDFMasterPassword.isEmpty());
}

QString pdfAWithPasswordText()
{
    return Translate(QStringLiteral("PDF/A does not allow encryption, so a PDF/A output cannot have a password. "
                                    "An output named .pdf is made as PDF/A; ask for a plain PDF with /C 12 to "
                                    "protect it with a password."));
}

QString programName()
{
    if (QCoreApplication::instance())
        return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    return QStringLiteral("qvim");
}

// The program as the user typed it to start it.
QString commandName()
{
    const QStringList process = QCoreApplication::arguments();
    return process.isEmpty() || process.first().isEmpty() ? QStringLiteral("qvim") : process.first();
}

} // namespace

bool IsCommandLineSwitch(const QString& argument)
{
    if (argument.size() != 2 || argument.at(0) != u'/')
        return false;
    const char16_t c = argument.at(1).unicode();
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'?' || (c >= u'1' && c <= u'9');
}

QList<CommandLineSwitch> ReadCommandLineSwitches(const QStringList& arguments)
{
    QList<CommandLineSwitch> switches;
    QStringList values;
    const auto close = [&] {
        if (!switches.isEmpty())
            switches.last().value = values.join(u' ');
        values.clear();
    };
    for (const QString& argument : arguments) {
        if (IsCommandLineSwitch(argument)) {
            close();
            switches.append({argument.at(1).toUpper(), QString()});
        } else if (!switches.isEmpty()) {
            values << argument;
        }
    }
    close();
    return switches;
}

bool IsAutomationStart(const QStringList& arguments)
{
    return arguments.size() == 1 && arguments.first().compare(QLatin1String("-Embedding"), Qt::CaseInsensitive) == 0;
}

bool StartMayOpenWindow(const QStringList& arguments)
{
    if (arguments.isEmpty())
        return true;
    for (const CommandLineSwitch& s : ReadCommandLineSwitches(arguments))
        if (s.letter == u'O' || (s.letter == u'J' && s.value.contains(kOpenMarker, Qt::CaseSensitive)))
            return true;
    return false;
}

bool LineIsVerbose(const QStringList& arguments)
{
    for (const CommandLineSwitch& s : ReadCommandLineSwitches(arguments))
        if (s.letter == u'V')
            return true;
    return false;
}

int SourceTypeFromExtension(const QString& path)
{
    const QString ext = lowerExtension(path);
    if (ext == QLatin1String("doc"))
        return filetype::Doc;
    if (ext == QLatin1String("htm") || ext == QLatin1String("html"))
        return filetype::Html;
    if (ext == QLatin1String("rtf"))
        return filetype::Rtf;
    if (ext == QLatin1String("pdf"))
        return filetype::Pdf;
    if (ext == QLatin1String("docx"))
        return filetype::Docx;
    if (ext == QLatin1String("xml"))
        return filetype::Xml;
    if (ext == QLatin1String("css"))
        return filetype::Css;
    if (ext == QLatin1String("txt") || ext == QLatin1String("log") || ext == QLatin1String("dat"))
        return IsUnicodeFile(path) ? filetype::UnicodeText : filetype::Text;
    return kUnsetNumber;
}

int TargetTypeFromExtension(const QString& path)
{
    static const struct
    {
        const char* ext;
        int type;
    } table[] = {
        {"jpg", filetype::Jpeg}, {"jpeg", filetype::Jpeg}, {"bmp", filetype::Bmp}, {"tif", filetype::Tiff},
        {"tiff", filetype::Tiff}, {"gif", filetype::Gif}, {"emf", filetype::Emf}, {"j2k", filetype::J2k},
        {"pcx", filetype::Pcx}, {"png", filetype::Png}, {"ras", filetype::Ras}, {"tga", filetype::Tga},
        {"wmf", filetype::Wmf}, {"pdf", filetype::PdfA},
    };
    const QString ext = lowerExtension(path);
    for (const auto& entry : table)
        if (ext == QLatin1String(entry.ext))
            return entry.type;
    return kUnsetNumber;
}

QString ResolveCommandLinePath(const QString& value)
{
    const QString path = TrimBlanks(RemoveQuotes(ExpandPathMacros(value)));
    if (path.isEmpty() || path.startsWith(u'/'))
        return path;
    // A trailing "/" says "a folder" to validation; keep it.
    QString absolute = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    if (path.endsWith(u'/') && !absolute.endsWith(u'/'))
        absolute += u'/';
    return absolute;
}

QString SettingsFileOfCommandLine(const QStringList& arguments)
{
    QString file;
    for (const CommandLineSwitch& s : ReadCommandLineSwitches(arguments))
        if (s.letter == u'I')
            file = ResolveCommandLinePath(s.value);
    return file;
}

QStringList CommandLineLogHeader()
{
    return {QStringLiteral("-----------------------------") + programName() + QStringLiteral("-------"),
            Translate(QStringLiteral("Date")) + QStringLiteral(": ") + FormatGeneralDate(QDateTime::currentDateTime())};
}

bool ParseCommandLine(const QStringList& arguments, clsConversionOptions& options, MainFormState& form)
{
    if (arguments.isEmpty() || IsAutomationStart(arguments)) {
        G_bCommandLineMode = false;
        return false;
    }
    G_bCommandLineMode = true;

    SwitchReader reader(options, form);
    for (const CommandLineSwitch& s : ReadCommandLineSwitches(arguments))
        reader.apply(s);
    options.sExtraParams = reader.optionString();

    if (options.bSaveInOriginalFolder)
        applySaveInOriginalFolder(options);
    // Opening a job in the window leaves the command-line mode; /O without a
    // job has nothing to open, so the task stays a command-line task.
    if (!options.sCLBatchJobFile.isEmpty()
        && (options.bOpenButDoNotRun || options.sCLBatchJobFile.contains(kOpenMarker, Qt::CaseSensitive))) {
        options.bOpenButDoNotRun = true;
        G_bCommandLineMode = false;
    }

    // Arguments before the first switch are not read. A line with no switch
    // has no task, and a path a shell made several of is no input: each is
    // told as it is rather than as a task that names nothing.
    const QStringList ignored = ArgumentsBeforeFirstSwitch(arguments);
    QString refusal;
    if (ignored.size() == arguments.size())
        refusal = NoSwitchText(ignored);
    else if (!G_bAutomationMode) // nothing expands an automation call's words
        refusal = SeveralPathsText(arguments, commandName());
    if (!refusal.isEmpty()) {
        options.lErr = kErrNoTask;
    } else {
        ValidateConversionOptions(form, options);
        if (options.lErr == 0 && pdfAWithPassword(form, options))
            options.lErr = kErrPdfAWithPassword;
    }
    if (!options.sLogFile.isEmpty())
        WriteLinesToLogFile(CommandLineLogHeader(), options.sLogFile);
    if (!ignored.isEmpty() && ignored.size() < arguments.size())
        WriteMessageToLogFile(IgnoredArgumentsText(ignored), options.sLogFile, options.bVerbose);
    if (options.lErr == 0)
        return true;
    if (options.lErr == kErrNoTask || options.lErr == kErrPdfAWithPassword) {
        options.sErr = options.lErr == kErrNoTask ? refusal : pdfAWithPasswordText();
        WriteMessageToLogFile(options.sErr, options.sLogFile, options.bVerbose);
    } else {
        ReportConversionItemErrorCommandLine(options);
    }
    return false;
}
