#pragma once
// How much memory one office may use. Each office is watched while it works
// on a document; one whose resident size passes its budget is ended (by its
// pid) and that document fails alone, so a document that would take all the
// machine's memory cannot take the user's desktop with it.
//
// The offices a run keeps at once (the pool's size): one for each
// processor the process may use, as many as the machine's memory can give
// their budgets, at least one:
//
//     offices = max(1, min(processors, memory / (2 * 1 GiB)))
//
// A document costs the same on one office whatever the count, so the pool
// gains with each processor until all are busy; each office keeps to a
// processor of its own (see engine/OfficePool.h).
//
// The budget of one office: half the machine's memory shared by those
// offices, but never below kOfficeMemoryFloor:
//
//     OfficeMemoryBudget(offices) = max(1 GiB, memory / (2 * offices))
//
// so the offices together are given half the memory, on any machine with
// 2 GiB or more. On a machine with 24 GiB and 8 processors that is 8
// offices of 24 GiB / (2 * 8) = 1.5 GiB each.
// The environment variable TESSAVIEW_OFFICE_MEMORY_BUDGET replaces it: a
// number of bytes, or a number followed by K, M or G (1024-based); 0 turns
// the watch off.
#include <QString>
#include <QtGlobal>

#include <sys/types.h>

constexpr qint64 kOfficeMemoryFloor = qint64(1) << 30;

// The physical memory of the machine in bytes.
qint64 MachineMemoryBytes();

// The count above for a machine with `processors` the process may use and
// `machineBytes` of memory.
int OfficeCountFor(int processors, qint64 machineBytes);
// The count on this machine.
int DefaultOfficeCount();

// The formula above for a machine with `machineBytes` of memory.
qint64 OfficeMemoryBudgetFor(qint64 machineBytes, int offices);

// The budget of one office of `offices` on this machine, or what
// TESSAVIEW_OFFICE_MEMORY_BUDGET says; 0 means no limit. A value that is
// no size is said on standard error, once, with the budget used instead.
qint64 OfficeMemoryBudget(int offices);
// The same for the pool's size.
qint64 OfficeMemoryBudget();

// Reads a budget as TESSAVIEW_OFFICE_MEMORY_BUDGET gives it ("3221225472",
// "3G", "500M"); false when the text is no such size.
bool ParseMemorySize(const QString& text, qint64& bytes);

// A size for a message: "3 GB", "1.5 GB", "400 MB" (1024-based).
QString MemorySizeText(qint64 bytes);

// The resident size of process `pid` in bytes, -1 when it cannot be read.
qint64 ProcessResidentBytes(pid_t pid);
