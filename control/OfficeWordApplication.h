#pragma once
// The word processor of the control: an office process of its own
// (office/OfficeEngine.h), seen through the members of WordAutomation.h.
//
// An application object is one office engine with a private profile; its
// process starts with the first document and ends with Quit (or when the
// object goes). A process that ended, crashed or was stopped by the
// watchdog makes the object stop answering, so the control replaces it.
//
// Version reports the compatibility level the stand-in offers, "16.0",
// when the installed LibreOffice is 7.0 or newer; Build is LibreOffice's
// own version ("7.4.7.2"), whose last number is its build.
#include "WordAutomation.h"

#include "office/OfficeEngine.h"

#include <QString>

class OfficeWordAutomation : public WordAutomation
{
public:
    OfficeWordAutomation();

    // The office program (default: the installed LibreOffice's soffice.bin).
    void SetProgram(const QString& program) { m_program = program; }
    // Time limits of one load and one save of the applications made from
    // now on, in milliseconds (0: none; default: the engine's).
    void SetTimeouts(int loadMs, int saveMs);

    std::unique_ptr<WordApplication> CreateApplication() override;

private:
    QString m_program;
    int m_loadTimeoutMs = -1;
    int m_saveTimeoutMs = -1;
};

// LibreOffice's version as the program reports it ("7.4.7.2"), asked once
// per program and process; "" when it does not run or does not say.
QString OfficeProgramVersion(const QString& program);

// The compatibility level reported for an office of that version: "16.0"
// from 7.0 on, "" for an older or unknown one.
QString WordLevelForOfficeVersion(const QString& officeVersion);

// How a source is read, from its extension and its first bytes: HTML by the
// word processor's HTML filter, text in its character set (a UTF-16
// byte-order mark, valid UTF-8 or Windows-1252), XML by its document
// element, anything else by the office's own detection.
OfficeLoadOptions WordSourceLoadOptions(const QString& path);

// The save options of a save format (0 DOC, 2 and 3 text, 6 RTF, 7 Unicode
// text, 8 and 10 HTML, 12 and 16 DOCX, 13 DOCM, 17 PDF, 23 ODT) with the
// output's open password. Raises BadArgument for any other format and for a
// password to modify, which no output here can carry.
OfficeSaveOptions WordSaveOptions(int fileFormat, const QString& password, const QString& writePassword);
