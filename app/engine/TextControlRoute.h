#pragma once
// The text-control route of a conversion item: the input document is
// loaded into the main form's text control, the user's formatting
// overrides are applied, and the document is saved as PDF or PDF/A. The
// controls do their work in an office process of the program's own.
#include <QString>

#include <memory>

class JobEngine;
class MainFormState;
class OfficeEngine;
class TextControl;
class clsConversionOptions;

// The main form's two text controls and the office engine behind them.
// Making one starts no office: the office starts with the first document
// and is quit when the host goes. Making the first one loads the office's
// module; when it cannot be had there are no controls, and each document
// fails with the reason.
class TextControlHost
{
public:
    TextControlHost();
    ~TextControlHost();
    TextControlHost(const TextControlHost&) = delete;
    TextControlHost& operator=(const TextControlHost&) = delete;

    OfficeEngine& Engine() { return *m_engine; }
    // False when the office's module cannot be had: the controls below do
    // not exist, and UnavailableReason() says why.
    bool Available() const { return m_input != nullptr; }
    const QString& UnavailableReason() const { return m_unavailable; }
    // Receives the documents of conversions and special processes; it has
    // the start values the main form gives it.
    TextControl& TXTextControl1() { return *m_input; }
    // Receives the documents built by special processes.
    TextControl& TXTextControlOutput() { return *m_output; }

private:
    std::unique_ptr<OfficeEngine> m_engine;
    std::unique_ptr<TextControl> m_input;
    std::unique_ptr<TextControl> m_output;
    QString m_unavailable;
};

// What a document of a host without its controls fails with: the reason,
// as a load whose office cannot start reports it.
QString TextControlUnavailableText(const TextControlHost& host);

// Renders the item's sOriginalFile (type lOriginalFileType) into
// sTargetFile as lTargetFileType (12 PDF, 14 PDF/A). Returns 0, -2 (the
// input could not be loaded) or -3 (the settings or the save failed), also
// left in lErr with its text in sErr. The office is kept between documents
// while the form's bOptimizeForSpeed is set, else quit after each one.
int ConvertViaTextControl(JobEngine& engine, clsConversionOptions& item);

// The same on a host of the caller's (a worker of the office pool) with the
// form's settings. forRasteriser: the PDF is only read back by the
// rasteriser, so it gets no open password.
int ConvertViaTextControl(TextControlHost& host, const MainFormState& form, clsConversionOptions& item,
                          bool forRasteriser);

// Result codes of the route.
inline constexpr int kTextControlLoadFailed = -2;
inline constexpr int kTextControlSaveFailed = -3;
