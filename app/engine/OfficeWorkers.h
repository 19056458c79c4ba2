#pragma once
// The workers of the office pool: the text control on an office of its
// own, and the Word-conversion control with the office it keeps.
#include "engine/OfficePool.h"

#include <atomic>

class MainFormState;

// Time limits the text-control workers give their offices (a base and a
// time per megabyte, in ms: OfficeTimeLimit); read at every document, so a
// change applies to the next one.
struct OfficeWorkerLimits
{
    std::atomic<int> loadMs{0};
    std::atomic<int> loadPerMegabyteMs{0};
    std::atomic<int> saveMs{0};
    std::atomic<int> savePerMegabyteMs{0};
};

// Workers that render as the program's routes do, with the form's
// settings. The form and the limits must outlive the pool.
OfficeWorkerFactory ProgramOfficeWorkers(const MainFormState& form, const OfficeWorkerLimits& limits);
