#pragma once
// The PDF-to-image option string of a task: pages, TIFF compression, append
// to an existing TIFF, quality, resolution, width, height and layout, each
// followed by "^". A text without "^" (such as the record's "1") carries
// no options.
#include <QString>

QString BuildConversionOptionString(const QString& sPages, int lCompression, bool bAppend,
                                    const QString& sQuality, int lResolution, int lWidth,
                                    int lHeight, int lLayout);

// Writes each field it can read into the matching output; a missing or
// unreadable field leaves its output as the caller set it. Never fails.
void ParseConversionOptionString(const QString& sOptions, QString& sPages, int& lCompression,
                                 bool& bAppend, int& lQuality, int& lResolution, int& lWidth,
                                 int& lHeight, int& lLayout);
