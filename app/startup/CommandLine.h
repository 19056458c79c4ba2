#pragma once
// The command line: one conversion task, or one job file to run or open,
// given as switches. The program receives a list of arguments; an argument
// that is exactly "/" and one switch character (a letter in either case,
// "?" or a digit 1 to 9) is a switch, and the arguments after it, up to the
// next switch, joined by one blank, are its value. Every other argument is
// a value, so paths that begin with "/" are safe ("/Sfile" and "/10" are
// values, not switches). Arguments before the first switch are ignored.
#include <QList>
#include <QString>
#include <QStringList>

class clsConversionOptions;
class MainFormState;

// One switch as read from the arguments: its character in upper case and
// its value ("" when no argument follows it).
struct CommandLineSwitch
{
    QChar letter;
    QString value;

    bool operator==(const CommandLineSwitch&) const = default;
};

// True for an argument that is a switch.
bool IsCommandLineSwitch(const QString& argument);

// The switches of the arguments, in order.
QList<CommandLineSwitch> ReadCommandLineSwitches(const QStringList& arguments);

// True when the process was started for automation: the single argument
// "-Embedding", letter case ignored.
bool IsAutomationStart(const QStringList& arguments);

// True when a start with these arguments may open the main window: no
// arguments, /O, or a job of /J whose name holds "#OPEN.KRJ". A program
// with a window needs its widget application only then; every other run
// needs no display.
bool StartMayOpenWindow(const QStringList& arguments);

// True when the line asks for a verbose run (/V), whose messages are shown
// in boxes where there is a display to show them on.
bool LineIsVerbose(const QStringList& arguments);

// Input type of a path from its extension (letter case ignored): doc 9,
// htm/html 4, rtf 5, pdf 12, docx 13, xml 10, css 11, txt/log/dat 6 when the
// file is UTF-16 text with a byte-order mark, else 1; anything else unset.
int SourceTypeFromExtension(const QString& path);

// Output type of a path from its extension: jpg/jpeg 1, bmp 2, tif/tiff 3,
// gif 4, emf 5, j2k 6, pcx 7, png 8, ras 9, tga 10, wmf 11, pdf 14 (PDF/A);
// anything else unset.
int TargetTypeFromExtension(const QString& path);

// A path value of a switch: macros expanded, double quotes removed, blanks
// trimmed, and a relative path taken from the current folder. "" stays "".
QString ResolveCommandLinePath(const QString& value);

// The settings file that /I names (the last one given), by the path rule
// of ResolveCommandLinePath; "" without /I.
QString SettingsFileOfCommandLine(const QStringList& arguments);

// The log file's header, two lines: dashes around the program's name, then
// the translated "Date" and the current date and time in the general form.
QStringList CommandLineLogHeader();

// Verdict left in lErr for a PDF/A output (type 14, which a ".pdf" output
// is unless /C says otherwise) asked to carry a password: PDF/A forbids
// encryption.
inline constexpr int kErrPdfAWithPassword = -120;
// Verdict left in lErr for a line that holds no task at all: no switch, or
// a path that a shell made several of (startup/CommandLineHelp.h).
inline constexpr int kErrNoTask = -121;

// Reads the arguments into the task record and the settings the command
// line may override on the main form (/Z, /W), writes the log file's header
// when /L is given, and validates the task. A PDF/A output with a PDF
// password (/W, or the PDF settings) is refused with advice to ask for a
// plain PDF (/C 12). A line without any switch, and a /S or /T whose value
// is several existing paths (an unquoted wildcard the shell expanded), are
// refused with what to type instead; arguments before the first switch are
// noted as not read. True when the task is valid.
// False for no arguments and for an automation start (nothing written; the
// run is then not a command-line run), and for an invalid task, whose
// message is then in sErr and the log file.
bool ParseCommandLine(const QStringList& arguments, clsConversionOptions& options, MainFormState& form);
