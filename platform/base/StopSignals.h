#pragma once
// Stop requests by signal. After InstallStopSignals(), SIGTERM, SIGINT and
// SIGHUP ask the process to stop: the first one is noted (StopSignalNumber,
// which the run tests where it yields, as it tests Pause) and handed, on a
// thread of the stop requests' own, to every registered stop action once
// its delay has passed; a second one ends the process at once with status
// 128 + its number.
//
// Stop actions are how a call that blocks the main thread (an office that
// does not answer) is cut off: the office registers one that kills its own
// process by pid after a grace period, so the item in flight may still
// finish, but the process ends soon whatever it was doing.
#include <functional>

// Installs the handlers; later calls do nothing.
void InstallStopSignals();

// For a copy of this code in a library the program loads (the
// Word-conversion control carries one): when the process watches stop
// signals already, this copy watches them too and hands each signal on to
// the handler it replaced, so its stop actions run as the program's do.
// Does nothing in a process that does not watch them.
void JoinStopSignals();

// The number of the signal that asked the process to stop; 0 while none did.
int StopSignalNumber();

// The usual name of a stop signal ("SIGTERM"); the number for any other.
const char* StopSignalName(int signal);

// The exit status of a process ended by a stop request: 128 + the signal.
inline int StopExitStatus(int signal)
{
    return 128 + signal;
}

// Runs `action` with the signal's number once a stop was asked and
// `delayMs` have passed since, on the stop requests' thread, at most once,
// and only while this object lives: its destructor waits for a running
// action to return.
class StopAction
{
public:
    explicit StopAction(std::function<void(int signal)> action, int delayMs = 0);
    ~StopAction();
    StopAction(const StopAction&) = delete;
    StopAction& operator=(const StopAction&) = delete;

private:
    unsigned m_id = 0;
};
