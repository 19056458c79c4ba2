#include "JobFiles.h"

#include "base/MessageSink.h"
#include "base/TextFileEncoding.h"
#include "core/Globals.h"
#include "core/StringRoutines.h"
#include "core/Translator.h"
#include "jobs/FlexGrid.h"
#include "jobs/GridSetup.h"
#include "jobs/JobFileText.h"
#include "jobs/MainFormState.h"
#include "jobs/TaskRowTexts.h"

#include <QBuffer>
#include <QScopeGuard>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <charconv>
#include <sys/stat.h>

namespace {

constexpr int kProgressEvery = 1000;
const QString kLineEnd = QStringLiteral("\r\n");
const QString kTwoBreaks = QStringLiteral("\n\n");

void setError(QString* sErr, const QString& text)
{
    if (sErr)
        *sErr = text;
}

// On failure `sErr` gets the system's reason.
bool writeFileAtomically(const QString& path, QByteArray bytes, QString* sErr)
{
    // The loader takes a file's first EF BB BF for a byte-order mark: a
    // first task text that begins with U+FEFF would lose it, so such a file
    // gets a mark of its own first.
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.prepend("\xEF\xBB\xBF");
    return WriteWholeFile(path, bytes, sErr);
}

QString rowRefusal(const char* rowKind, int row, const char* reason)
{
    return Translate(QString::fromLatin1(rowKind)) + QLatin1Char(' ') + QString::number(row)
           + kTwoBreaks + Translate(QString::fromLatin1(reason));
}

// Cell `index` (from 0) of a line; empty when the line has fewer cells.
QByteArrayView cellOf(QByteArrayView line, int index)
{
    qsizetype start = 0;
    for (int i = 0; i < index; ++i) {
        const qsizetype tab = line.indexOf('\t', start);
        if (tab < 0)
            return QByteArrayView();
        start = tab + 1;
    }
    const qsizetype end = line.indexOf('\t', start);
    return line.sliced(start, (end < 0 ? line.size() : end) - start);
}

// The third cell of a line; "*" marks the new-task line.
QByteArrayView thirdCell(QByteArrayView line)
{
    return cellOf(line, todocol::Number);
}

// A line only a job file has: the new-task line, or a task whose "Do" cell
// names what the program runs ("C", or "S" and a process number). A file
// without one is no job file, whatever else its lines hold.
bool isJobLine(QByteArrayView line)
{
    if (thirdCell(line) == "*")
        return true;
    const QByteArrayView action = cellOf(line, todocol::Do);
    if (action == "C")
        return true;
    if (action.size() < 2 || action.front() != 'S')
        return false;
    return std::all_of(action.begin() + 1, action.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Lines shorter than three characters carry no task (the line is UTF-8).
bool isTaskLine(QByteArrayView line, QByteArrayView& number)
{
    if (line.size() < 3)
        return false;
    if (line.size() < 12) {
        const auto characters = std::count_if(line.begin(), line.end(), [](char b) {
            return (static_cast<unsigned char>(b) & 0xC0) != 0x80;
        });
        if (characters < 3)
            return false;
    }
    number = thirdCell(line);
    return number != "*";
}

bool isTaskLine(QByteArrayView line)
{
    QByteArrayView number;
    return isTaskLine(line, number);
}

// Adds a task line above the new-task row with the task number it gets:
// the numbers in the file are not trusted.
void addTaskRow(FlexGrid& grid, QByteArrayView line, QByteArrayView fileNumber, int number)
{
    const int row = grid.Rows() - 1;
    grid.AddItemUtf8(line, row);
    char digits[16];
    const auto written = std::to_chars(digits, digits + sizeof digits, number);
    if (fileNumber != QByteArrayView(digits, written.ptr - digits))
        grid.setTextMatrix(row, todocol::Number, QString::number(number));
}

bool taskLineAhead(JobFileLineReader& lines)
{
    QByteArrayView line;
    while (lines.next(line))
        if (isTaskLine(line))
            return true;
    return false;
}

enum class JobLines { Found, None, ReadError };

// Whether a line from line lStartTask on is one only a job file has; the
// text is read until one is found. Its bytes are enough to tell: the cells
// that decide are ASCII in every encoding the loader reads as bytes.
JobLines findJobLine(QIODevice& text, int lStartTask)
{
    JobFileLineReader lines(text);
    QByteArrayView line;
    for (int lineNumber = 1; lines.next(line); ++lineNumber)
        if (lineNumber >= lStartTask && isJobLine(line))
            return JobLines::Found;
    return lines.failed() ? JobLines::ReadError : JobLines::None;
}

void addReloadRow(FlexGrid& grid, const QString& path, int nextLine, int number)
{
    const int row = grid.Rows() - 1;
    grid.AddItemUtf8(QByteArrayView(), row);
    const QString next = QString::number(nextLine);
    grid.setTextMatrix(row, todocol::Flags, QStringLiteral(" "));
    grid.setTextMatrix(row, todocol::Number, QString::number(number));
    grid.setTextMatrix(row, todocol::Do, QStringLiteral("S1"));
    grid.setTextMatrix(row, todocol::Input,
                       QStringLiteral("Reload conversion job start at task ") + next);
    grid.setTextMatrix(row, todocol::InputType, QStringLiteral("0"));
    grid.setTextMatrix(row, todocol::InputTypeName, QStringLiteral("0"));
    grid.setTextMatrix(row, todocol::Output, path);
    grid.setTextMatrix(row, todocol::OutputType, next);
}

// Why a job file did not load, shown in a message (headline, the path,
// the reason) and handed to the caller as one line.
void reportLoadFailure(const QString& headline, const QString& path, const QString& reason, QString* sReason)
{
    ShowMessage(headline + kTwoBreaks + path + kTwoBreaks + reason);
    if (sReason)
        *sReason = TextWithReason(headline + u' ' + path, reason);
}

void reportUnreadable(const QString& path, const QString& reason, QString* sReason)
{
    reportLoadFailure(Translate(QStringLiteral("Unable to read the conversion job file:")), path, reason, sReason);
}

enum class PassEnd { Whole, Part, NotUtf8, ReadError, Damaged };

// One pass over the lines of the text, from line lStartTask on, into the
// grid. In UTF-8 mode it stops at the first line that is not UTF-8. A line
// that holds a NUL byte ends the pass: the file is damaged.
PassEnd loadLines(MainFormState& form, FlexGrid& grid, QIODevice& text, const QString& path,
                  int lStartTask, bool cp1252, int& nulLine)
{
    JobFileLineReader lines(text);
    QByteArrayView line;
    QByteArray converted;
    int lineNumber = 0;
    bool sliced = false;
    while (form.bRunning && lines.next(line)) {
        ++lineNumber;
        if (lineNumber >= lStartTask) {
            if (cp1252) {
                converted.clear();
                AppendCp1252AsUtf8(line, converted);
                line = converted;
            } else if (!line.isValidUtf8()) {
                return PassEnd::NotUtf8;
            }
            if (lines.nulRead() && line.contains('\0')) {
                // A cell cut at a NUL, or one with a blank in its place,
                // would name another file than the job's.
                nulLine = lineNumber;
                return PassEnd::Damaged;
            }
            QByteArrayView fileNumber;
            if (isTaskLine(line, fileNumber))
                addTaskRow(grid, line, fileNumber, grid.Rows() - 2 + lStartTask);
            if (grid.Rows() - 2 >= kJobSliceTasks) {
                // A reload task only when there is more to load.
                sliced = taskLineAhead(lines);
                if (sliced)
                    addReloadRow(grid, path, lineNumber + 1, grid.Rows() - 2 + lStartTask);
                break;
            }
        }
        if (lineNumber % kProgressEvery == 0) {
            form.SetStatusPanelText(kJobLoadStatusPanel,
                                    Translate(QStringLiteral("Loading Conversion Task: "))
                                        + QString::number(lineNumber));
            form.DoEvents();
        }
    }
    if (lines.failed())
        return PassEnd::ReadError;
    if (!form.bRunning && !sliced && taskLineAhead(lines)) {
        // Paused part way: the tasks not read yet stay reachable through a
        // reload row instead of dropping out of the job.
        addReloadRow(grid, path, std::max(lineNumber + 1, lStartTask), grid.Rows() - 2 + lStartTask);
        sliced = true;
    }
    if (lines.failed())
        return PassEnd::ReadError;
    const bool more = sliced || taskLineAhead(lines);
    if (lines.failed())
        return PassEnd::ReadError;
    return lStartTask == 1 && !more ? PassEnd::Whole : PassEnd::Part;
}

// Opens the text of a job file positioned at its first line: the file
// itself after any UTF-8 mark, or a buffer with UTF-16 text turned to UTF-8.
bool openJobText(QFile& file, QBuffer& utf16Text, QIODevice*& text, QString& reason)
{
    if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
        return false;
    }
    text = &file;
    // The first read happens here, before the grid is touched.
    const QByteArray head = file.peek(3);
    if (file.error() != QFileDevice::NoError) {
        reason = file.errorString();
        return false;
    }
    if (head.startsWith("\xEF\xBB\xBF"))
        return file.seek(3);
    if (!head.startsWith("\xFF\xFE") && !head.startsWith("\xFE\xFF"))
        return true;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        reason = file.errorString();
        return false;
    }
    QStringDecoder decoder(head.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE
                                                       : QStringConverter::Utf16BE);
    utf16Text.setData(QString(decoder(bytes)).toUtf8());
    utf16Text.open(QIODevice::ReadOnly);
    text = &utf16Text;
    return true;
}

} // namespace

JobLoadResult LoadConversionJobFile(MainFormState& form, const QString& sPath, int lStartTask,
                                    FlexGrid& grid, QString* sReason)
{
    if (sReason)
        sReason->clear();
    if (!QFileInfo(sPath).isFile())
        return JobLoadResult::NotFound;
    const bool ownJob = &grid == &form.fgToDo;
    // A file that cannot be opened leaves the job that was there, its file
    // name included.
    QFile file(sPath);
    QBuffer utf16Text;
    QIODevice* text = nullptr;
    QString reason;
    if (!openJobText(file, utf16Text, text, reason)) {
        reportUnreadable(sPath, reason, sReason);
        return JobLoadResult::Failed;
    }
    const qint64 textStart = text->pos();
    lStartTask = std::max(1, lStartTask);
    // A file read as it is loaded (not whole at once) must not change
    // meanwhile: a line cut by a truncation would pass for a task.
    const bool readAsLoaded = text == &file;
    struct stat opened {};
    const bool watched = readAsLoaded && ::fstat(file.handle(), &opened) == 0;
    // A file that is no job leaves the job that was there: it is told
    // before the grid is touched.
    const JobLines jobLines = findJobLine(*text, lStartTask);
    if (jobLines != JobLines::Found || !text->seek(textStart)) {
        if (jobLines == JobLines::None)
            reportLoadFailure(Translate(QStringLiteral("The file is not a conversion job file:")), sPath,
                              Translate(QStringLiteral("none of its lines is a task or the job's new-task line.")),
                              sReason);
        else
            reportUnreadable(sPath, text->errorString(), sReason);
        return JobLoadResult::Failed;
    }

    const bool wasRunning = form.bRunning;
    const bool wasLoading = form.bLoadingJobFile;
    form.bRunning = true;
    form.bLoadingJobFile = true;
    // Cleared however the load ends.
    const auto loadEnds = qScopeGuard([&] { form.bLoadingJobFile = wasLoading; });
    form.UpdateMenuToolbar();
    SetUpToDoGrid(grid);
    form.SetStatusPanelText(kJobLoadStatusPanel,
                            Translate(QStringLiteral("Loading Conversion Job: ")) + sPath);

    int nulLine = 0;
    PassEnd end = loadLines(form, grid, *text, sPath, lStartTask, false, nulLine);
    if (end == PassEnd::NotUtf8) {
        SetUpToDoGrid(grid);
        end = text->seek(textStart) ? loadLines(form, grid, *text, sPath, lStartTask, true, nulLine)
                                    : PassEnd::ReadError;
    }
    form.SetStatusPanelText(kJobLoadStatusPanel,
                            Translate(QStringLiteral("Completed loading conversion job: ")) + sPath);

    // A Pause during the load stays in force for the run that asked for it.
    form.bRunning = wasRunning && form.bRunning;
    form.bLoadingJobFile = wasLoading;
    form.UpdateMenuToolbar();
    G_bSuppressControlEvents = true;
    grid.setRow(grid.Rows() - 1);
    SelectWholeGridRow(grid);

    QString changed;
    struct stat now {};
    if (watched && end != PassEnd::ReadError && ::fstat(file.handle(), &now) == 0
        && (now.st_size != opened.st_size || now.st_mtim.tv_sec != opened.st_mtim.tv_sec
            || now.st_mtim.tv_nsec != opened.st_mtim.tv_nsec)) {
        changed = Translate(QStringLiteral("The file was changed while it was loading."));
        end = PassEnd::ReadError;
    }
    if (end != PassEnd::Whole && ownJob)
        form.sConversionJobFileName = QStringLiteral("*");
    if (end == PassEnd::ReadError) {
        reportUnreadable(sPath, changed.isEmpty() ? text->errorString() : changed, sReason);
        return JobLoadResult::Failed;
    }
    if (end == PassEnd::Damaged) {
        reportLoadFailure(Translate(QStringLiteral("The conversion job file is damaged:")), sPath,
                          Translate(QStringLiteral("A NUL byte stands in line")) + u' ' + QString::number(nulLine)
                              + u'.',
                          sReason);
        return JobLoadResult::Failed;
    }
    return end == PassEnd::Whole ? JobLoadResult::Complete : JobLoadResult::Partial;
}

bool SaveConversionJobFile(MainFormState& form, const QString& sPath, FlexGrid& grid,
                           QString* sErr)
{
    setError(sErr, QString());
    if (form.fgToDo.Rows() == 2 && !form.AddFileToConvertGUI())
        return false;

    QByteArray text;
    text.reserve(qsizetype(grid.Rows()) * 128);
    for (int r = 1; r < grid.Rows(); ++r) {
        if (!grid.AppendRowAsLine(r, text)) {
            setError(sErr, rowRefusal("Conversion job row", r,
                                      "holds a TAB or a line break and cannot be saved."));
            return false;
        }
        text += "\r\n";
    }
    QString reason;
    if (writeFileAtomically(sPath, text, &reason))
        return true;
    setError(sErr, sPath + kTwoBreaks + reason);
    return false;
}

bool SaveLogGridToFile(const QString& sPath, const FlexGrid& grid, QString* sErr, QList<int>* leftOut)
{
    setError(sErr, QString());
    if (leftOut)
        leftOut->clear();
    // The cells of the task row, the pass cell left empty so that the task
    // runs again.
    constexpr int taskCols[] = {todocol::Options, todocol::Flags, todocol::Do, todocol::Input,
                                todocol::InputType, todocol::InputTypeName, todocol::Output,
                                todocol::OutputType, todocol::OutputTypeName};
    QString text;
    for (int r = 1; r < grid.Rows(); ++r) {
        bool empty = true;
        bool breaksRow = false;
        for (int c : taskCols) {
            const QString cell = grid.TextMatrix(r, c);
            empty = empty && cell.isEmpty();
            breaksRow = breaksRow || CellTextBreaksRow(cell);
        }
        // A launched program that ran is no failure to run again.
        if (empty || grid.TextMatrix(r, todocol::Pass) == QLatin1String("+"))
            continue;
        if (breaksRow) {
            // A file name found by listing may hold what a line cannot: that
            // item alone stays out.
            if (leftOut)
                leftOut->append(r);
            continue;
        }
        for (int c = 0; c < kToDoGridCols; ++c) {
            if (c == todocol::Number)
                text += QString::number(r);
            else if (c != todocol::Pass)
                text += grid.TextMatrix(r, c);
            text += u'\t';
        }
        text += kLineEnd;
    }
    // The new-task line ends the file as it ends a saved job.
    text += QStringLiteral("\t\t*\t\t\t\t\t\t\t\t\t");
    text += kLineEnd;
    QString reason;
    if (writeFileAtomically(sPath, text.toUtf8(), &reason))
        return true;
    setError(sErr, reason);
    return false;
}

QString LeftOutLogRowText(const FlexGrid& grid, int row)
{
    QString input = grid.TextMatrix(row, todocol::Input);
    input.replace(u'\t', QStringLiteral("\\t")).replace(u'\r', QStringLiteral("\\r")).replace(u'\n', QStringLiteral("\\n"));
    return Translate(QStringLiteral("Job # ")) + grid.TextMatrix(row, todocol::Number) + QStringLiteral("  ")
           + Translate(QStringLiteral("Not saved in the conversion job file: a job file line cannot hold the TAB or "
                                      "line break in its file name"))
           + QStringLiteral(" - ") + input;
}
