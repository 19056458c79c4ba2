#pragma once
// The program's entry: the start-up span under the start-up lock, the
// command-line run, and the exit status.
#include <QStringList>

#include <functional>

class clsConversionOptions;
class MainFormState;
class MessageSink;

// Run codes of a command line.
namespace runcode {
constexpr int StayOpen = 1;          // a windowed start, or a job opened with /O
constexpr int Success = 0;
constexpr int InvalidArguments = -3; // the shell sees 253
constexpr int RunFailed = -4;        // the shell sees 252
} // namespace runcode

// Exit status of an automation start that cannot serve: no session bus, or
// another process serves the automation object already (EX_UNAVAILABLE of
// sysexits.h).
constexpr int kExitAutomationUnavailable = 69;

// What start-up and the command-line runner need of parts that are not
// built into every program: the window and the settings reader. Each may be
// left empty; the default is described with it.
struct StartupHooks
{
    // Shows the wait splash, then the main window frame at its remembered
    // placement. Empty: a note on stderr says that no window is available.
    std::function<void(MainFormState&)> ShowMainWindow;
    // Serves the window until it closes; its result is the exit status.
    // Empty: the process ends with status 1 (the run code).
    std::function<int()> RunWindowLoop;
    // Reads the main form's settings from G_IniFilePath. Empty: ReadIniFile
    // of jobs/MainFormSettings.h, whose window steps are the form's hooks.
    std::function<void(MainFormState&)> ReadIniFile;
    // Destroys the main window, when one is shown, without its close
    // handlers; the automation server calls it as the process ends, before
    // the form the window shows goes. Empty: there is none to destroy.
    std::function<void()> CloseMainWindow;
    // Runs a parsed, valid command line (a job file or the single task),
    // logs the outcome and returns the run code. Empty: RunParsedCommandLine.
    std::function<int(MainFormState&, clsConversionOptions&, const StartupHooks&)> RunParsedCommandLine;
    // Where the messages of a verbose run (/V) go while it runs: boxes the
    // user closes, when the program can show them. Null: the current sink
    // (standard error on the command line).
    MessageSink* VerboseMessages = nullptr;
};

// Through the hooks above, or their defaults.
void ShowMainWindow(MainFormState& form, const StartupHooks& hooks);
void ReloadMainFormSettings(MainFormState& form, const StartupHooks& hooks);

// The process's exit status for a run code: 1 stays in the window (or ends
// with 1 when there is none); 0, -3 and -4 end with the code when /P was
// given and the code is not 0, else with 0; any other code ends with 0.
int ExitStatusForRunCode(int code, const StartupHooks& hooks);

// The program: `arguments` are the process's arguments without the
// program's path. An automation start ("-Embedding" alone) takes no lock:
// it serves the automation object on the session bus until the object is
// released (startup/clsTessaview.h). Otherwise, under the start-up lock: the settings-file
// path, the user-data folder, the first-run demo data, the translator and
// help; then, with the lock released, the command line runs. Returns the
// exit status.
int Main(const QStringList& arguments, const StartupHooks& hooks = {});
