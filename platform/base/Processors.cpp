#include "base/Processors.h"

#include <algorithm>
#include <sched.h>
#include <thread>

std::vector<int> UsableProcessors()
{
    std::vector<int> usable;
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0) {
        for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
            if (CPU_ISSET(cpu, &set))
                usable.push_back(cpu);
    }
    if (usable.empty()) {
        const int count = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
        for (int cpu = 0; cpu < count; ++cpu)
            usable.push_back(cpu);
    }
    return usable;
}

int CurrentProcessor()
{
    return ::sched_getcpu();
}

bool KeepThreadOnProcessor(int processor)
{
    if (processor < 0 || processor >= CPU_SETSIZE)
        return false;
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(processor, &set);
    return ::sched_setaffinity(0, sizeof set, &set) == 0;
}

int ChooseFreeProcessor(const std::vector<int>& usable, const std::set<int>& held, int current)
{
    if (usable.empty())
        return -1;
    // Start at `current`, or at the first usable one after it.
    const auto from = std::lower_bound(usable.begin(), usable.end(), current);
    const size_t start = from == usable.end() ? 0 : size_t(from - usable.begin());
    for (size_t i = 0; i < usable.size(); ++i) {
        const int cpu = usable[(start + i) % usable.size()];
        if (!held.count(cpu))
            return cpu;
    }
    return -1;
}
