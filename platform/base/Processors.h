#pragma once
// The processors this process may run on, and keeping a thread on one of
// them.
#include <set>
#include <vector>

// The processors the process may run on (taskset and cpusets narrow them),
// in ascending order; never empty.
std::vector<int> UsableProcessors();

// The processor the calling thread runs on now, -1 when the system cannot
// tell.
int CurrentProcessor();

// Keeps the calling thread, and the threads and processes it starts from
// now on, on `processor`. False when the system refuses.
bool KeepThreadOnProcessor(int processor);

// A processor of `usable` for a thread that runs on `current` now and
// wants one to itself: `current` when no other thread of ours holds it
// (the system put the thread where it found room), else the next one
// after it that none holds; -1 when all are held.
int ChooseFreeProcessor(const std::vector<int>& usable, const std::set<int>& held, int current);
