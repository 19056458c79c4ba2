#include "MainFormSettings.h"

#include "core/Globals.h"
#include "jobs/EditorTypeLists.h"
#include "jobs/IniValues.h"
#include "jobs/MainFormState.h"
#include "jobs/TextNumbers.h"

#include <QFile>

#include <optional>
#include <sys/stat.h>
#include <variant>
#include <vector>

namespace {

using FlagMember = bool MainFormState::*;
using NumberMember = int MainFormState::*;
using TextMember = QString MainFormState::*;

// A key whose target is a member of the form: a flag (bool), a number
// (int) or a text (QString), with the default of a first run.
struct MemberKey
{
    const char* key;
    const char* defaultValue;
    std::variant<FlagMember, NumberMember, TextMember> member;
};

// Written whatever else is set.
const MemberKey kPlainKeys[] = {
    {"bRetainInputFileTimeStamp", "FALSE", &MainFormState::bRetainInputFileTimeStamp},
    {"bMoveOriginalFileAfterProcessing", "FALSE", &MainFormState::bMoveOriginalFileAfterProcessing},
    {"sMoveFileToFolder", "", &MainFormState::sMoveFileToFolder},
    {"bContinueFileListingOnError", "TRUE", &MainFormState::bContinueFileListingOnError},
    {"cbAddPageBrake", "FALSE", &MainFormState::cbAddPageBrake},
    {"cbPlacePathAtTopOfEachFile", "FALSE", &MainFormState::cbPlacePathAtTopOfEachFile},
    {"bConv_DontShowFileMismatchAgain", "FALSE", &MainFormState::bConv_DontShowFileMismatchAgain},
    {"bSP_DontShowFileMismatchAgain", "FALSE", &MainFormState::bSP_DontShowFileMismatchAgain},
    {"bWPD_DontShowFileMismatchAgain", "FALSE", &MainFormState::bWPD_DontShowFileMismatchAgain},
    {"bEmbedImageIntoOutput", "FALSE", &MainFormState::bEmbedImageIntoOutput},
    {"bDeleteOriginalFileAfterProcessing", "FALSE", &MainFormState::bDeleteOriginalFileAfterProcessing},
    {"bOptimizeForSpeed", "TRUE", &MainFormState::bOptimizeForSpeed},
    {"sInputFile_Password", "", &MainFormState::sInputFile_Password},
    {"sInputFile_Password_TW", "", &MainFormState::sInputFile_Password_TW},
    {"sInputFileTemplate_Password", "", &MainFormState::sInputFileTemplate_Password},
    {"sInputFileTemplate_Password_TW", "", &MainFormState::sInputFileTemplate_Password_TW},
    {"sActionToDO", "C", &MainFormState::sActionToDo},
    {"sImageConversionOptions", "*^0^FALSE^75^100^0^0^0^^", &MainFormState::sImageConversionOptions},
};

const MemberKey kSearchKeys[] = {
    {"bRXHDCaseSensitive", "FALSE", &MainFormState::bRXHDCaseSensitive},
    {"bRXHDUseRegularExpression", "FALSE", &MainFormState::bRXHDUseRegularExpression},
    {"bRXHDWholeWordOnly", "FALSE", &MainFormState::bRXHDWholeWordOnly},
    {"bRXHDBeginningOfLine", "FALSE", &MainFormState::bRXHDBeginningOfLine},
    {"bRXHDEndOfLine", "FALSE", &MainFormState::bRXHDEndOfLine},
    {"bRXHDMultiLine", "FALSE", &MainFormState::bRXHDMultiLine},
    {"bRXHDGenerateReportWhenDone", "FALSE", &MainFormState::bRXHDGenerateReportWhenDone},
};

// A group of settings that is forced onto outputs only while its flag is
// on; its members are read whatever the flag says and written only while
// it is on.
struct OverrideGroup
{
    MemberKey flag;
    std::vector<MemberKey> members;
};

const OverrideGroup kOverrideGroups[] = {
    {{"bOverrideFontSettings", "FALSE", &MainFormState::bOverrideFontSettings},
     {
         {"lVyxBaseLine", "1", &MainFormState::lVyxBaseLine},
         {"lVyxFontBold", "0", &MainFormState::lVyxFontBold},
         {"lVyxFontItalic", "0", &MainFormState::lVyxFontItalic},
         {"lVyxFontSize", "1", &MainFormState::lVyxFontSize},
         {"lVyxFontStrikethru", "0", &MainFormState::lVyxFontStrikethru},
         {"lVyxFontUnderline", "0", &MainFormState::lVyxFontUnderline},
         {"lVyxFontUnderlineStyle", "1", &MainFormState::lVyxFontUnderlineStyle},
         {"lVyxForeColor", "1", &MainFormState::lVyxForeColor},
         {"lVyxTextBkColor", "0", &MainFormState::lVyxTextBkColor},
         {"sVyxFontName", "Courier New", &MainFormState::sVyxFontName},
     }},
    {{"bOverridePageSettings", "FALSE", &MainFormState::bOverridePageSettings},
     {
         {"lVyxPageMarginL", "1440", &MainFormState::lVyxPageMarginL},
         {"lVyxPageMarginT", "1440", &MainFormState::lVyxPageMarginT},
         {"lVyxPageMarginR", "1440", &MainFormState::lVyxPageMarginR},
         {"lVyxPageMarginB", "1440", &MainFormState::lVyxPageMarginB},
         {"lVyxPageWidth", "12240", &MainFormState::lVyxPageWidth},
         {"lVyxPageHeight", "15840", &MainFormState::lVyxPageHeight},
         {"lVyxStyleSheetOption", "0", &MainFormState::lVyxStyleSheetOption},
         {"sVyxStyleSheetFile", "", &MainFormState::sVyxStyleSheetFile},
         {"bVyxPortrait", "TRUE", &MainFormState::bVyxPortrait},
     }},
    {{"bOverrideParagraphSettings", "FALSE", &MainFormState::bOverrideParagraphSettings},
     {
         {"lVyxAlignment", "0", &MainFormState::lVyxAlignment},
         {"lVyxFrameDistance", "0", &MainFormState::lVyxFrameDistance},
         {"lVyxFrameLineWidth", "0", &MainFormState::lVyxFrameLineWidth},
         {"lVyxFrameStyle", "0", &MainFormState::lVyxFrameStyle},
         {"lVyxIndentB", "0", &MainFormState::lVyxIndentB},
         {"lVyxIndentFL", "0", &MainFormState::lVyxIndentFL},
         {"lVyxIndentL", "0", &MainFormState::lVyxIndentL},
         {"lVyxIndentR", "0", &MainFormState::lVyxIndentR},
         {"lVyxIndentT", "0", &MainFormState::lVyxIndentT},
         {"lVyxLineSpacing", "0", &MainFormState::lVyxLineSpacing},
         {"lVyxLineSpacingT", "0", &MainFormState::lVyxLineSpacingT},
     }},
    {{"bOverridePDFSettings", "FALSE", &MainFormState::bOverridePDFSettings},
     {
         {"sVyxPDFUserPassword", "", &MainFormState::sVyxPDFUserPassword},
         {"sVyxPDFMasterPassword", "", &MainFormState::sVyxPDFMasterPassword},
         {"lDocAccessPermissions", "0", &MainFormState::lDocAccessPermissions},
     }},
    {{"bOverrideImageSettings", "FALSE", &MainFormState::bOverrideImageSettings},
     {
         {"lImageComparessionQuality", "0", &MainFormState::lImageComparessionQuality},
         {"lImageMaxResolution", "0", &MainFormState::lImageMaxResolution},
     }},
};

// Read, never written: a value put in by hand stays.
const MemberKey kTopBottomDistanceKey = {"bOverrideTopBottomParagraphDistance", "TRUE",
                                         &MainFormState::bOverrideTopBottomParagraphDistance};

// The one flag written in another letter case.
const char* const kCapitalisedFlag = "bVyxPortrait";

const int kLogColumnsKept[5] = {2, 3, 7, 9, 10};
const int kToDoColumnsKept[5] = {2, 3, 6, 9, 10};

// Lengths of the window's fixed lists of the launch editor.
constexpr int kWindowStateCount = 4;
constexpr int kThreadPriorityCount = 4;

// Recently-used lists of the editor, in the order they are created, with
// their capacity; mruTarget comes last, once the output type is selected.
struct ListOfForm
{
    const char* name;
    int capacity;
    std::optional<clsMRU> MainFormState::*member;
};
const ListOfForm kEditorLists[] = {
    {"mruSourceSpecialized", 10, &MainFormState::mruSourceSpecialized},
    {"mruTargetSpecialized", 10, &MainFormState::mruTargetSpecialized},
    {"mruSource", 10, &MainFormState::mruSource},
    {"mruCommandLine", 5, &MainFormState::mruCommandLine},
    {"mruCommandLineArguments", 5, &MainFormState::mruCommandLineArguments},
    {"mruFindString", 5, &MainFormState::mruFindString},
    {"mruReplaceString", 5, &MainFormState::mruReplaceString},
    {"mruTarget", 10, &MainFormState::mruTarget},
};

// Closed by SaveIniFile, in this order.
std::optional<clsMRU> MainFormState::* const kListsToClose[] = {
    &MainFormState::mruSource,          &MainFormState::mruTarget,
    &MainFormState::mruSourceSpecialized, &MainFormState::mruTargetSpecialized,
    &MainFormState::mruCommandLine,     &MainFormState::mruCommandLineArguments,
    &MainFormState::mruReplaceString,   &MainFormState::mruFindString,
    &MainFormState::mruFileOpen,
};

QString columnKey(const char* grid, int column)
{
    return QString::fromLatin1(grid) + QStringLiteral(".ColWidth(") + QString::number(column) + u')';
}

class SectionReader
{
public:
    SectionReader() : m_file(G_IniFilePath) {}

    QString text(const QString& key, const QString& defaultValue, const QString& section = kMainFormSection) const
    {
        return ReadIniText(section, key, defaultValue, m_file);
    }

    bool flag(const QString& key, const char* defaultValue) const
    {
        return text(key, QString::fromLatin1(defaultValue)).compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0;
    }

    // No value when the stored text is not a whole number in range.
    std::optional<int> number(const QString& key, int defaultValue, bool sixteenBit = false,
                              const QString& section = kMainFormSection) const
    {
        int value = 0;
        if (!TextToWholeNumber(text(key, QString::number(defaultValue), section), value))
            return std::nullopt;
        if (sixteenBit && (value < -32768 || value > 32767))
            return std::nullopt;
        return value;
    }

    int numberOrDefault(const QString& key, int defaultValue, bool sixteenBit = false) const
    {
        return number(key, defaultValue, sixteenBit).value_or(defaultValue);
    }

    // A selection of a list of `count` entries: -1 (none) to count - 1.
    std::optional<int> listIndex(const QString& key, int defaultValue, int count) const
    {
        const std::optional<int> value = number(key, defaultValue, true);
        if (!value || *value < -1 || *value >= count)
            return std::nullopt;
        return value;
    }

    void member(MainFormState& form, const MemberKey& k) const
    {
        const QString key = QString::fromLatin1(k.key);
        if (auto* m = std::get_if<FlagMember>(&k.member))
            form.*(*m) = flag(key, k.defaultValue);
        else if (auto* m = std::get_if<NumberMember>(&k.member))
            form.*(*m) = numberOrDefault(key, QByteArray(k.defaultValue).toInt());
        else
            form.*std::get<TextMember>(k.member) = text(key, QString::fromUtf8(k.defaultValue));
    }

    const QString& file() const { return m_file; }

private:
    QString m_file;
};

// The settings file holds passwords, also ones a save does not write (an
// override group that is off keeps its members' stored values), so a save
// makes it readable by its owner alone even when no key changes; every
// write of the settings layer leaves it so as well.
void restrictToOwner(const QString& file)
{
    const QByteArray path = QFile::encodeName(file);
    struct stat st {};
    if (::stat(path.constData(), &st) == 0 && (st.st_mode & 077) != 0)
        ::chmod(path.constData(), st.st_mode & 07700);
}

class SectionWriter
{
public:
    SectionWriter() : m_file(G_IniFilePath) { restrictToOwner(m_file); }

    void text(const QString& key, const QString& value)
    {
        if (!WriteIniText(kMainFormSection, key, value, m_file))
            m_notKept << key;
    }
    void flag(const QString& key, bool value)
    {
        if (key == QLatin1String(kCapitalisedFlag))
            text(key, value ? QStringLiteral("True") : QStringLiteral("False"));
        else
            text(key, value ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
    }
    void number(const QString& key, int value) { text(key, QString::number(value)); }

    void member(const MainFormState& form, const MemberKey& k)
    {
        const QString key = QString::fromLatin1(k.key);
        if (auto* m = std::get_if<FlagMember>(&k.member))
            flag(key, form.*(*m));
        else if (auto* m = std::get_if<NumberMember>(&k.member))
            number(key, form.*(*m));
        else
            text(key, form.*std::get<TextMember>(k.member));
    }

    void listClosed(const clsMRU& list, bool written)
    {
        if (!written)
            m_notKept << list.Name();
    }

    const QString& file() const { return m_file; }
    QStringList notKept() const { return m_notKept; }

private:
    QString m_file;
    QStringList m_notKept;
};

QString defaultReportFile()
{
    return G_sDataFolder + QStringLiteral("/SearchAndReplace.TSV");
}

void createList(MainFormState& form, const ListOfForm& list, const QString& file)
{
    std::optional<clsMRU>& slot = form.*list.member;
    slot.emplace();
    slot->Setup(list.capacity, file, QString::fromLatin1(list.name), QStringLiteral("-1"));
    if (form.hooks.FillComboFromMRU)
        form.hooks.FillComboFromMRU(*slot);
}

void readColumnWidths(const SectionReader& in, MainFormControlSettings& c)
{
    for (int i = 0; i < 5; ++i) {
        c.fgLogColWidth[size_t(i)] = in.numberOrDefault(columnKey("fgLog", kLogColumnsKept[i]),
                                                        MainFormControlSettings().fgLogColWidth[size_t(i)]);
        c.fgToDoColWidth[size_t(i)] = in.numberOrDefault(columnKey("fgToDo", kToDoColumnsKept[i]),
                                                         MainFormControlSettings().fgToDoColWidth[size_t(i)]);
    }
}

// A selection or check-box value that the window sets in its last steps: a
// bad value leaves it as it was.
void keepWhenBad(std::optional<int> value, int& target)
{
    if (value)
        target = *value;
}

} // namespace

void ReadIniFile(MainFormState& form)
{
    const SectionReader in;
    const bool window = !G_bCommandLineMode;
    const MainFormHooks& hooks = form.hooks;
    MainFormControlSettings& c = form.controls;
    if (hooks.ReadControlSettings)
        hooks.ReadControlSettings(c);

    for (const MemberKey& k : kPlainKeys)
        in.member(form, k);
    form.bRestartSchedulerAtLoad =
        in.number(QStringLiteral("chkPersistRunning"), 0, false, QStringLiteral("frmScheduler")).value_or(0) != 0;
    glnMeasurement = in.numberOrDefault(QStringLiteral("glnMeasurement"), 1, true);
    for (const OverrideGroup& group : kOverrideGroups) {
        in.member(form, group.flag);
        for (const MemberKey& k : group.members)
            in.member(form, k);
    }
    in.member(form, kTopBottomDistanceKey);

    if (window) {
        readColumnWidths(in, c);
        if (hooks.ApplyGridColumnWidths)
            hooks.ApplyGridColumnWidths(c);
        for (const ListOfForm& list : kEditorLists)
            if (list.member != &MainFormState::mruTarget)
                createList(form, list, in.file());
    }

    form.bUserMSWordToConvert = in.flag(QStringLiteral("bUserMSWordToConvert"), "FALSE");
    form.lConversionMethod = form.bUserMSWordToConvert ? 1 : 2;

    const MainFormControlSettings first;
    c.cbSpecialProcessesListIndex =
        in.listIndex(QStringLiteral("cbSpecialProcesses.ListIndex"), first.cbSpecialProcessesListIndex,
                     kSpecialProcessCount)
            .value_or(first.cbSpecialProcessesListIndex);
    c.cbCommandLineWindowStateListIndex =
        in.listIndex(QStringLiteral("cbCommandLineWindowState.ListIndex"), first.cbCommandLineWindowStateListIndex,
                     kWindowStateCount)
            .value_or(first.cbCommandLineWindowStateListIndex);
    c.cbCommandLineThreadPriorityListIndex =
        in.listIndex(QStringLiteral("cbCommandLineThreadPriority.ListIndex"),
                     first.cbCommandLineThreadPriorityListIndex, kThreadPriorityCount)
            .value_or(first.cbCommandLineThreadPriorityListIndex);
    c.txtCommandLineWaitTimeInSeconds =
        QString::number(in.numberOrDefault(QStringLiteral("txtCommandLineWaitTimeInSeconds"), -1));
    if (hooks.ApplyEditorChoices)
        hooks.ApplyEditorChoices(c);
    if (hooks.RefreshConvertOptionsGUI)
        hooks.RefreshConvertOptionsGUI();

    keepWhenBad(in.listIndex(QStringLiteral("cbFileTypeTarget.ListIndex"), 0, kOutputFileTypeCount),
                c.cbFileTypeTargetListIndex);
    keepWhenBad(in.listIndex(QStringLiteral("cbFileTypeOriginal.ListIndex"), 0, kInputFileTypeCount),
                c.cbFileTypeOriginalListIndex);
    for (auto [key, target] : {std::pair{"cbDoSubfolders", &c.cbDoSubfolders},
                               std::pair{"cbDoSubfoldersSpecialized", &c.cbDoSubfoldersSpecialized}}) {
        const std::optional<int> value = in.number(QString::fromLatin1(key), 0, true);
        keepWhenBad(value && *value >= 0 && *value <= 2 ? value : std::nullopt, *target);
    }
    for (const MemberKey& k : kSearchKeys)
        in.member(form, k);
    form.sRXHDReportFileName = in.text(QStringLiteral("sRXHDReportFileName"), defaultReportFile());
    // A stored position past the end of the list selects its first entry.
    if (const std::optional<int> n = in.number(QStringLiteral("cbFileTypeOriginalSpecialized.ListIndex"), 0, true))
        if (*n >= -1)
            c.cbFileTypeOriginalSpecializedListIndex = *n < kSpecializedFileTypeCount ? *n : 0;

    G_bSuppressControlEvents = true;
    if (hooks.ApplyTypeChoices)
        hooks.ApplyTypeChoices(c);
    if (window)
        createList(form, kEditorLists[std::size(kEditorLists) - 1], in.file());
    G_bSuppressControlEvents = false;
    if (window && hooks.MaximiseMainForm)
        hooks.MaximiseMainForm();
}

void ShowSettingsInWindow(MainFormState& form)
{
    const MainFormHooks& hooks = form.hooks;
    const MainFormControlSettings& c = form.controls;
    if (hooks.ApplyGridColumnWidths)
        hooks.ApplyGridColumnWidths(c);
    auto showList = [&](const ListOfForm& list) {
        std::optional<clsMRU>& slot = form.*list.member;
        if (!slot)
            createList(form, list, G_IniFilePath);
        else if (hooks.FillComboFromMRU)
            hooks.FillComboFromMRU(*slot);
    };
    for (const ListOfForm& list : kEditorLists)
        if (list.member != &MainFormState::mruTarget)
            showList(list);
    if (hooks.ApplyEditorChoices)
        hooks.ApplyEditorChoices(c);
    if (hooks.RefreshConvertOptionsGUI)
        hooks.RefreshConvertOptionsGUI();
    G_bSuppressControlEvents = true;
    if (hooks.ApplyTypeChoices)
        hooks.ApplyTypeChoices(c);
    showList(kEditorLists[std::size(kEditorLists) - 1]);
    G_bSuppressControlEvents = false;
    if (hooks.MaximiseMainForm)
        hooks.MaximiseMainForm();
}

QStringList SaveIniFile(MainFormState& form)
{
    if (G_bCommandLineMode)
        return {};
    if (form.hooks.ReadControlSettings)
        form.hooks.ReadControlSettings(form.controls);
    const MainFormControlSettings& c = form.controls;
    SectionWriter out;

    for (const MemberKey& k : kPlainKeys)
        out.member(form, k);
    out.flag(QStringLiteral("bUserMSWordToConvert"), form.bUserMSWordToConvert);
    out.number(QStringLiteral("glnMeasurement"), glnMeasurement);
    for (const OverrideGroup& group : kOverrideGroups) {
        out.member(form, group.flag);
        if (form.*std::get<FlagMember>(group.flag.member))
            for (const MemberKey& k : group.members)
                out.member(form, k);
    }
    for (int i = 0; i < 5; ++i) {
        out.number(columnKey("fgLog", kLogColumnsKept[i]), c.fgLogColWidth[size_t(i)]);
        out.number(columnKey("fgToDo", kToDoColumnsKept[i]), c.fgToDoColWidth[size_t(i)]);
    }
    out.number(QStringLiteral("cbSpecialProcesses.ListIndex"), c.cbSpecialProcessesListIndex);
    out.number(QStringLiteral("cbCommandLineWindowState.ListIndex"), c.cbCommandLineWindowStateListIndex);
    out.number(QStringLiteral("cbCommandLineThreadPriority.ListIndex"), c.cbCommandLineThreadPriorityListIndex);
    out.text(QStringLiteral("txtCommandLineWaitTimeInSeconds"), c.txtCommandLineWaitTimeInSeconds);
    out.number(QStringLiteral("cbFileTypeTarget.ListIndex"), c.cbFileTypeTargetListIndex);
    out.number(QStringLiteral("cbFileTypeOriginal.ListIndex"), c.cbFileTypeOriginalListIndex);
    out.number(QStringLiteral("cbDoSubfolders"), c.cbDoSubfolders);
    out.number(QStringLiteral("cbDoSubfoldersSpecialized"), c.cbDoSubfoldersSpecialized);
    out.number(QStringLiteral("cbFileTypeOriginalSpecialized.ListIndex"), c.cbFileTypeOriginalSpecializedListIndex);
    for (const MemberKey& k : kSearchKeys)
        out.member(form, k);
    out.text(QStringLiteral("sRXHDReportFileName"), form.sRXHDReportFileName);

    for (std::optional<clsMRU> MainFormState::*member : kListsToClose) {
        std::optional<clsMRU>& list = form.*member;
        if (!list)
            continue;
        out.listClosed(*list, list->ShutDown());
        list.reset();
    }
    return out.notKept();
}
