#pragma once
// Task blocks: one task of a job turned into items, one input file each.
// A conversion task ("C") lists its input, works out each item's output
// path (the output prefix, the input's sub-folder below the input's folder,
// the input's base name and the output extension; or beside the input),
// creates missing folders and runs the conversion item; a special-process
// task ("S") does the same with the special-process item. Failed items
// become log rows; the task's result is 0 when every item succeeded (or
// there was none), kStopJob to end the job, kListingFailed when the input
// could not be listed, otherwise the code of the last item that failed.
#include <QString>

class clsConversionOptions;
class JobEngine;

inline constexpr int kListingFailed = -10000;
// An error raised inside an item becomes the item's result with this code.
inline constexpr int kItemRaisedError = -22;

// A task whose "Do" names neither a conversion nor a special process (a
// hand-edited job line) runs nothing and fails with this code.
inline constexpr int kNoTaskAction = -10002;

// Expands the task's path macros and runs the block its action names. A
// task that names neither is logged as failed: it ran nothing.
int PerformBlock(JobEngine& engine, int lJobNumber, clsConversionOptions& task);
int PerformBlockConversion(JobEngine& engine, int lJobNumber, clsConversionOptions& task);
int PerformBlockSpecialized(JobEngine& engine, int lJobNumber, clsConversionOptions& task);

// The extension of a conversion task's outputs: the text after the last
// "." of the output's file name, or, when the name has none, the image or
// PDF extension of the output type.
QString ConversionOutputExtension(const clsConversionOptions& task);
