#pragma once
// The main form's shared state without a window: the task grid, the log
// grid, the run state, the job state and every setting of the form's
// settings section. The window shows and edits it; the job loop, the job
// files and the command line work on it with no widget present. Members
// keep the program's names because other code reaches them by name.
#include "jobs/EditorTypeLists.h"
#include "jobs/FlexGrid.h"
#include "jobs/clsMRU.h"

#include <QString>
#include <QtGlobal>

#include <array>
#include <functional>
#include <optional>

class clsConversionOptions;

// The values of the window's controls that the settings section keeps
// (jobs/MainFormSettings.h). Without a window they are held here; the
// window copies them into its controls when the section is read and back
// before it is written.
struct MainFormControlSettings
{
    // Column widths in twips: fgLog columns 2, 3, 7, 9, 10 and fgToDo
    // columns 2, 3, 6, 9, 10, in that order.
    std::array<int, 5> fgLogColWidth = {450, 615, 3875, 555, 615};
    std::array<int, 5> fgToDoColWidth = {450, 585, 675, 690, 690};
    // Combo selections (-1: nothing selected) and check-box values (0, 1, 2).
    int cbSpecialProcessesListIndex = 0;
    int cbCommandLineWindowStateListIndex = 1;
    int cbCommandLineThreadPriorityListIndex = 1;
    QString txtCommandLineWaitTimeInSeconds = QStringLiteral("-1");
    int cbFileTypeTargetListIndex = 0;
    int cbFileTypeOriginalListIndex = 0;
    int cbDoSubfolders = 0;
    int cbDoSubfoldersSpecialized = 0;
    int cbFileTypeOriginalSpecializedListIndex = 0;

    bool operator==(const MainFormControlSettings&) const = default;
};

// What the window (or a test) supplies. Each may be left empty: the state
// then does without it as described.
struct MainFormHooks
{
    // Recomputes the enabled state of commands; nothing without a window.
    std::function<void()> UpdateMenuToolbar;
    // Lets pending events run (Pause among them); without it, the Qt event
    // loop is served when one exists.
    std::function<void()> DoEvents;
    // Status-bar panel text; dropped without a window.
    std::function<void(int panel, const QString& text)> SetStatusPanelText;
    // Fills a task record from the task editor; without an editor the
    // record is left as it is.
    std::function<void(clsConversionOptions& options)> GetOptionsFromGUI;
    // Adds the editor's task as a new row; True when a row was added.
    // Without an editor nothing can be added (False).
    std::function<bool()> AddFileToConvertGUI;

    // The window's steps of reading and writing the settings section
    // (jobs/MainFormSettings.h); without a window there is nothing to do.
    // Hides the grids' unused columns and applies the stored widths.
    std::function<void(const MainFormControlSettings&)> ApplyGridColumnWidths;
    // Refills the combo box a list feeds: entries newest first, the first
    // selected.
    std::function<void(const clsMRU& list)> FillComboFromMRU;
    // Selects the special process, window state and priority (their click
    // handlers run) and shows the wait time.
    std::function<void(const MainFormControlSettings&)> ApplyEditorChoices;
    // Shows the editor panel of sActionToDo and the chosen special process.
    std::function<void()> RefreshConvertOptionsGUI;
    // Called with G_bSuppressControlEvents set: selects the types, sets the
    // sub-folder boxes and enables the Convert command.
    std::function<void(const MainFormControlSettings&)> ApplyTypeChoices;
    std::function<void()> MaximiseMainForm;
    // Copies the controls' current values into the settings.
    std::function<void(MainFormControlSettings&)> ReadControlSettings;
};

class MainFormState
{
public:
    MainFormState();

    // Hooks, called through the members below.
    MainFormHooks hooks;
    void UpdateMenuToolbar();
    void DoEvents();
    void SetStatusPanelText(int panel, const QString& text);
    bool AddFileToConvertGUI();

    // Grids, set up empty (header and new-task row; header and one empty row).
    FlexGrid fgToDo;
    FlexGrid fgLog;

    // Run state.
    bool bRunning = false;
    // A run is in progress on this form, by whichever engine began it;
    // set for the run's span by the job loop and the command line's single
    // task (engine/JobEngine.h, bRunInProgress).
    bool bRunInProgress = false;
    qint64 lTotalTimeStart = 0;   // millisecond tick when the run began
    // True while a job file is read into a grid (bRunning is True then
    // too), so that nothing writes the half-read grid over the file.
    bool bLoadingJobFile = false;

    // Job state.
    QString sConversionJobFileName = QStringLiteral("*");   // "*": no file yet
    bool bAskToSaveKRJFileBeforeExit = false;
    bool bCurrentActionItemDirty = false;

    // Settings (section "frmMain"); these are the values of a first run.
    bool bRetainInputFileTimeStamp = false;
    bool bMoveOriginalFileAfterProcessing = false;
    QString sMoveFileToFolder;
    bool bDeleteOriginalFileAfterProcessing = false;
    bool bContinueFileListingOnError = true;
    bool bUserMSWordToConvert = false;
    int lConversionMethod = 2;   // 1 when bUserMSWordToConvert, else 2
    bool bOptimizeForSpeed = true;
    QString sInputFile_Password;
    QString sInputFile_Password_TW;
    QString sInputFileTemplate_Password;
    QString sInputFileTemplate_Password_TW;

    // Check boxes of the append panel, read by the append process.
    bool cbAddPageBrake = false;
    bool cbPlacePathAtTopOfEachFile = false;
    bool bConv_DontShowFileMismatchAgain = false;
    bool bSP_DontShowFileMismatchAgain = false;
    bool bWPD_DontShowFileMismatchAgain = false;

    bool bOverrideFontSettings = false;
    int lVyxBaseLine = 1;
    int lVyxFontBold = 0;
    int lVyxFontItalic = 0;
    int lVyxFontSize = 1;
    int lVyxFontStrikethru = 0;
    int lVyxFontUnderline = 0;
    int lVyxFontUnderlineStyle = 1;
    int lVyxForeColor = 1;
    int lVyxTextBkColor = 0;
    QString sVyxFontName = QStringLiteral("Courier New");

    bool bOverridePageSettings = false;
    int lVyxPageMarginL = 1440;   // twips
    int lVyxPageMarginT = 1440;
    int lVyxPageMarginR = 1440;
    int lVyxPageMarginB = 1440;
    int lVyxPageWidth = 12240;
    int lVyxPageHeight = 15840;
    int lVyxStyleSheetOption = 0;
    QString sVyxStyleSheetFile;
    bool bVyxPortrait = true;

    bool bOverrideParagraphSettings = false;
    int lVyxAlignment = 0;
    int lVyxFrameDistance = 0;
    int lVyxFrameLineWidth = 0;
    int lVyxFrameStyle = 0;
    int lVyxIndentB = 0;
    int lVyxIndentFL = 0;
    int lVyxIndentL = 0;
    int lVyxIndentR = 0;
    int lVyxIndentT = 0;
    int lVyxLineSpacing = 0;
    int lVyxLineSpacingT = 0;

    bool bOverridePDFSettings = false;
    QString sVyxPDFUserPassword;
    QString sVyxPDFMasterPassword;
    int lDocAccessPermissions = 0;

    bool bOverrideImageSettings = false;
    int lImageComparessionQuality = 0;
    int lImageMaxResolution = 0;
    bool bEmbedImageIntoOutput = false;
    bool bOverrideTopBottomParagraphDistance = true;

    // Task editor state.
    QString sActionToDo = QStringLiteral("C");
    QString sImageConversionOptions = QStringLiteral("*^0^FALSE^75^100^0^0^0^^");

    // Search-and-replace options of the task being edited.
    bool bRXHDCaseSensitive = false;
    bool bRXHDUseRegularExpression = false;
    bool bRXHDWholeWordOnly = false;
    bool bRXHDBeginningOfLine = false;
    bool bRXHDEndOfLine = false;
    bool bRXHDMultiLine = false;
    bool bRXHDGenerateReportWhenDone = false;
    QString sRXHDReportFileName;   // the data folder's "SearchAndReplace.TSV"

    // From section "frmScheduler": restart the scheduler when the window loads.
    bool bRestartSchedulerAtLoad = false;

    // The controls' values kept in the settings section.
    MainFormControlSettings controls;

    // Recently-used lists, created when the settings are read outside
    // command-line mode (mruFileOpen by the window's load) and closed when
    // they are written.
    std::optional<clsMRU> mruSourceSpecialized;
    std::optional<clsMRU> mruTargetSpecialized;
    std::optional<clsMRU> mruSource;
    std::optional<clsMRU> mruCommandLine;
    std::optional<clsMRU> mruCommandLineArguments;
    std::optional<clsMRU> mruFindString;
    std::optional<clsMRU> mruReplaceString;
    std::optional<clsMRU> mruTarget;
    std::optional<clsMRU> mruFileOpen;

    // File extension to position in the editor's type lists, rebuilt by
    // their fillers (jobs/EditorTypeLists.h).
    FileTypeKeys clnInputFileTypes;
    FileTypeKeys clnOutputFileTypes;
    FileTypeKeys clnSpecializedFileTypes;
};
