#pragma once
// The program's file-type numbers and the extension of each number in the
// tables the engine, the grids and the editor ask. Unknown numbers never
// fail: they give the empty answer.
#include <QString>

#include <optional>

namespace filetype {
// Input (document) types; special processes use them on both sides.
constexpr int Text = 1;
constexpr int Text2 = 2;           // second text code, answered as text
constexpr int Html = 4;
constexpr int Rtf = 5;
constexpr int UnicodeText = 6;
constexpr int Doc = 9;
constexpr int Xml = 10;
constexpr int Css = 11;
constexpr int Pdf = 12;
constexpr int Docx = 13;
constexpr int PdfA = 14;           // answered as PDF by every table

// Output types of a conversion.
constexpr int AllImages = -1;
constexpr int Jpeg = 1;
constexpr int Bmp = 2;
constexpr int Tiff = 3;
constexpr int Gif = 4;
constexpr int Emf = 5;
constexpr int J2k = 6;
constexpr int Pcx = 7;
constexpr int Png = 8;
constexpr int Ras = 9;
constexpr int Tga = 10;
constexpr int Wmf = 11;

// The Word route always saves in this Word format.
constexpr int WordPdfFormat = 17;
} // namespace filetype

namespace specialprocess {
constexpr int ReloadJob = 1;
constexpr int Append = 50;
constexpr int RemoveEmptyLines = 55;
constexpr int SearchAndReplace = 56;
constexpr int LaunchProgram = 60;
} // namespace specialprocess

// Table selectors of GetFileTypeExtension; callers usually pass the task's
// lConversionMethod.
namespace extensiontable {
constexpr int MSWord = 1;
constexpr int TXOutput = 2;
constexpr int PDFtoImage = 3;
constexpr int TXInput = 4;
} // namespace extensiontable

// The extension of a number in the table the selector picks; "" for a
// selector outside 1 to 4. With bWildcard the answer is "*." + extension.
QString GetFileTypeExtension(int lType, bool bWildcard, int lSelector);

// Image and PDF outputs, lower case ("jpg", "pdf"; -1 gives "*").
QString GetFileTypeExtension_PDFtoImageDLL(int lType, bool bWildcard);
// Text-control input formats, upper case ("TXT", "DOCX").
QString GetFileTypeExtension_TXInput(int lType, bool bWildcard);
// Text-control output formats: the input table, and 7 answers "TXT".
QString GetFileTypeExtension_TXOutput(int lType, bool bWildcard);
// Word save formats, upper case; a number outside the table gives "" even
// with the wildcard flag.
QString GetFileTypeExtension_MSWord(int lType, bool bWildcard);

// Lower-case extension of an output type, or no value for a number outside
// the table (distinct from an empty text).
std::optional<QString> FindTheTargetExtension(int lType);
// Lower-case extension of a document type, or no value.
std::optional<QString> FindTheExtension(int lType);
