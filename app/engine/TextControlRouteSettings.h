#pragma once
// The user's document-formatting overrides put onto a loaded document
// between load and save: fields made plain text, then the page, paragraph,
// font, PDF and image groups the main form's switches turn on. The PDF and
// image groups are reset when off, so one task's settings never reach the
// next document.
#include <QString>

class MainFormState;
class TextControl;

// The field types the control is told about, tab-separated.
QString TextControlFieldTypes(bool withPageCount = true);

// Page-count fields show the document's page count as plain text, and
// drop-down form fields their chosen entry. Never fails: a field that
// cannot be read or changed is passed over.
void UpdateTextControlFields(TextControl& control);

// Applies the form's override settings to the control's document. Raises
// TextControlError when a setting fails before the page size is set (with
// the page group off: any setting); once the page group has reached the
// page size, a failing setting is passed over.
void ApplyTextControlSettings(const MainFormState& form, TextControl& control);
