#pragma once
// The text control's numbers turned into the office engine's: lengths,
// colours, format codes and PDF permission bits. Pure functions.
#include "office/OfficeEngine.h"

// n / d rounded to the nearest whole number, a half to the even one (d > 0).
long long RoundDivHalfEven(long long n, long long d);

// Twips (1/1440 inch) and the office's 1/100 mm, both ways.
int TwipsToHundredthMm(int twips);
int HundredthMmToTwips(int hundredthMm);

// 0x00BBGGRR colours and the office's 0x00RRGGBB, both ways.
int BgrToRgb(int bgr);
int RgbToBgr(int rgb);

// How a format code is read; false for a code the control does not load.
bool LoadOptionsForFormat(int format, OfficeLoadOptions& options);

// True when a document read by this filter brings its own page layout
// (the control's page defaults apply to the others: text and HTML).
bool FilterHasPageLayout(const QString& filterName);

// How a format code is written; false for a code the control does not save.
// PDF saves are PDF/A for code 14 and whenever the PDF mode is PDF/A.
bool SaveFormatForCode(int format, short pdfMode, OfficeSaveOptions& options);

// The permission bits as the choices a PDF's permissions are made of:
// printing 0 none, 1 low, 2 high resolution; changes 0 none, 1 pages,
// 2 form fields, 3 comments and form fields, 4 any but page extraction.
struct PdfPermissionChoices
{
    int printing = 0;
    int changes = 0;
    bool allowAccessibility = false;
    bool allowCopying = false;
};
PdfPermissionChoices PdfPermissionChoicesOf(int permissions);

// The PDF security and image settings as the engine takes them.
// `permissions` holds the permission bits of the control; they only apply
// together with a permissions password.
void ApplyPdfSettings(const QString& openPassword, const QString& permissionPassword, int permissions,
                      int imageQuality, int maxImageResolution, OfficePdfOptions& pdf);
