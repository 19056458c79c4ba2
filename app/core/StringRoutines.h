#pragma once
// Small text routines shared by the settings, command-line and path code.
#include <QString>

// The text before its first NUL character; the whole text when it holds
// none. Buffers filled by a library call are cut back to what was written.
QString StripAtNull(const QString& text);

// The text with every double-quote character removed; nothing else changes.
QString RemoveQuotes(const QString& text);

// True when `text` begins with `prefix`, letter case ignored. An empty
// prefix gives True.
bool StartsWithText(const QString& text, const QString& prefix);

// The text without blanks (spaces) at either end. Tabs and other white
// space stay: they can be part of a Linux file name.
QString TrimBlanks(const QString& text);

// A failure text followed by its reason: `text`, " - " and `reason`; the
// text alone when there is no reason. Readers that look for the text at
// the start of a log line still find it.
QString TextWithReason(const QString& text, const QString& reason);
