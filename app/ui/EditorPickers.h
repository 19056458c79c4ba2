#pragma once
// What the task editor's picker buttons ask and write: the filters, the
// filter shown first for the selected type, and the path written after a
// folder was chosen.
#include <QString>

#include <optional>

// Output files: 14 pairs, pair n for the n-th entry of the output types.
QString ImageFileFilter();
// Input files of a conversion: all, DOCX, DOC, PDF, RTF, text, HTML.
QString InputFileFilter();
// Documents of a special process: all, DOCX, DOC, RTF, text, HTML.
QString SpecialProcessFileFilter();

// The input filter's pair for an input type number.
int SourceFileFilterIndex(int lInputType);
// The special-process filter's pair for a document type number.
int SpecializedFileFilterIndex(int lInputType);
// The special-process file buttons' filter: the document filter for append,
// remove empty lines and search and replace; none for the others.
QString SpecializedFileFilter(int lSpecialProcess);

// A folder and a name inside it; the root gives "/name".
QString JoinFolder(const QString& folder, const QString& name);

// The input path after the conversion panel's folder button: the folder
// with the pattern of the selected input type ("*.docx"). Either engine
// takes the pattern from the type, so a Word job over DOCX files finds
// them. No value for an engine number that is neither 1 nor 2.
std::optional<QString> SourceFolderPattern(const QString& folder, int lConversionMethod, int lInputType);
// The output path after the conversion panel's folder button: the folder
// with the pattern of the selected output type ("*.png").
QString TargetFolderPattern(const QString& folder, int lOutputType);
// The output path after the special-process panel's folder button, one
// that the task's checks accept: for an input pattern the folder with a
// pattern of the input's extension ("*.txt"; "*" when it names none), for
// a single input the folder with the input's file name.
QString SpecializedTargetFolderPath(const QString& folder, const QString& input);
