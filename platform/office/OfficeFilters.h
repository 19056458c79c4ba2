#pragma once
// The media descriptors handed to the office: which filter reads or writes
// a format, with which options. Detection is overruled where it goes wrong:
// HTML is read by the word processor ("HTML (StarWriter)"; the web view
// exports blank PDFs), text is read in the character set we determine.
#include "office/OfficeUno.h"

#include <com/sun/star/task/XInteractionHandler.hpp>

#include <vector>

// What the load will use, decided from the options and the file's bytes.
struct OfficeLoadPlan
{
    QString filterName;    // forced filter; empty: the office detects it
    QString filterOptions; // e.g. the character set of a text
};

// Decides the filter for `path`. Fails (with `status`) when the file cannot
// be read.
bool PlanLoad(const QString& path, const OfficeLoadOptions& options, OfficeLoadPlan& plan,
              OfficeStatus& status);

// The load descriptor of the file at `url`, without a filter when the plan
// leaves the choice to the office's detection.
std::vector<css::beans::PropertyValue> LoadDescriptor(
    const QString& url, const OfficeLoadPlan& plan, const OfficeLoadOptions& options,
    const css::uno::Reference<css::task::XInteractionHandler>& handler);

// True when the filter the office detected reads what the format asks for:
// a word-processing load must not end up as plain text.
bool FilterFitsFormat(OfficeInputFormat format, const QString& filterName);

// Builds the store descriptor; refuses requests the output cannot honour
// (PDF/A with a password, a password on a format that has none).
bool SaveDescriptor(const OfficeSaveOptions& options,
                    std::vector<css::beans::PropertyValue>& descriptor, OfficeStatus& status);

// Name of the format for messages ("PDF/A", "DOCX").
QString OutputFormatName(const OfficeSaveOptions& options);
QString InputFormatName(OfficeInputFormat format);
