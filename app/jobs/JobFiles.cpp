#include "JobFiles.h"

#include "base/MessageSink.h"
#include "core/Globals.h"
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
#include <QSaveFile>
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

bool writeFileAtomically(const QString& path, QByteArray bytes, QString* sErr)
{
    // The loader takes a file's first EF BB BF for a byte-order mark: a
    // first task text that begins with U+FEFF would lose it, so such a file
    // gets a mark of its own first.
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.prepend("\xEF\xBB\xBF");
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        if (file.write(bytes) == bytes.size() && file.commit())
            return true;
    }
    setError(sErr, path + kTwoBreaks + file.errorString());
    return false;
}

QString rowRefusal(const char* rowKind, int row, const char* reason)
{
    return Translate(QString::fromLatin1(rowKind)) + QLatin1Char(' ') + QString::number(row)
           + kTwoBreaks + Translate(QString::fromLatin1(reason));
}

// The third cell of a line; "*" marks the new-task line.
QByteArrayView thirdCell(QByteArrayView line)
{
    qsizetype start = 0;
    for (int i = 0; i < 2; ++i) {
        const qsizetype tab = line.indexOf('\t', start);
        if (tab < 0)
            return QByteArrayView();
        start = tab + 1;
    }
    const qsizetype end = line.indexOf('\t', start);
    return line.sliced(start, (end < 0 ? line.size() : end) - start);
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

void reportUnreadable(const QString& path, const QString& reason)
{
    ShowMessage(Translate(QStringLiteral("Unable to read the conversion job file:")) + kTwoBreaks
                + path + kTwoBreaks + reason);
}

enum class PassEnd { Whole, Part, NotUtf8, ReadError };

// One pass over the lines of the text, from line lStartTask on, into the
// grid. In UTF-8 mode it stops at the first line that is not UTF-8.
PassEnd loadLines(MainFormState& form, FlexGrid& grid, QIODevice& text, const QString& path,
                  int lStartTask, bool cp1252)
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
                                    FlexGrid& grid)
{
    if (!QFileInfo(sPath).isFile())
        return JobLoadResult::NotFound;
    const bool ownJob = &grid == &form.fgToDo;
    // A file that cannot be opened leaves the job that was there.
    QFile file(sPath);
    QBuffer utf16Text;
    QIODevice* text = nullptr;
    QString reason;
    if (!openJobText(file, utf16Text, text, reason)) {
        if (ownJob)
            form.sConversionJobFileName = QStringLiteral("*");
        reportUnreadable(sPath, reason);
        return JobLoadResult::Failed;
    }
    const qint64 textStart = text->pos();
    lStartTask = std::max(1, lStartTask);
    // A file read as it is loaded (not whole at once) must not change
    // meanwhile: a line cut by a truncation would pass for a task.
    const bool readAsLoaded = text == &file;
    struct stat opened {};
    const bool watched = readAsLoaded && ::fstat(file.handle(), &opened) == 0;

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

    PassEnd end = loadLines(form, grid, *text, sPath, lStartTask, false);
    if (end == PassEnd::NotUtf8) {
        SetUpToDoGrid(grid);
        end = text->seek(textStart) ? loadLines(form, grid, *text, sPath, lStartTask, true)
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
        reportUnreadable(sPath, changed.isEmpty() ? text->errorString() : changed);
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
    return writeFileAtomically(sPath, text, sErr);
}

bool SaveLogGridToFile(const QString& sPath, const FlexGrid& grid, QString* sErr)
{
    setError(sErr, QString());
    constexpr int dataCols[] = {0, 1, 3, 4, 5, 6, 7, 8};
    QString text;
    for (int r = 1; r < grid.Rows(); ++r) {
        bool empty = true;
        for (int c : dataCols) {
            const QString cell = grid.TextMatrix(r, c);
            empty = empty && cell.isEmpty();
            if (CellTextBreaksRow(cell)) {
                setError(sErr, rowRefusal("Log row", r,
                                          "holds a TAB or a line break and cannot be saved as a "
                                          "conversion job."));
                return false;
            }
        }
        if (empty)
            continue;
        for (int c : dataCols) {
            if (c == todocol::Do) {
                text += QString::number(r);
                text += u'\t';
            }
            text += grid.TextMatrix(r, c);
            text += u'\t';
        }
        text += kLineEnd;
    }
    return writeFileAtomically(sPath, text.toUtf8(), sErr);
}
