#pragma once
// The option dialogs shown over the main form's shared state: each loads
// its values from the form, shows its dialog modally and, on Apply, writes
// them back. InstallOptionDialogs plugs them into the main form's commands
// (those a test has not set already).
#include <QString>

class JobEngine;
class MainFormState;
class QWidget;
class frmMain;

void ShowProgramOptionsDialog(QWidget* owner, MainFormState& form, JobEngine& engine);
void ShowFormattingDialog(QWidget* owner, MainFormState& form, JobEngine& engine);
void ShowPageSetupDialog(QWidget* owner, MainFormState& form);
void ShowPdfSecurityDialog(QWidget* owner, MainFormState& form);
// Edits the option string in place; a string that says what it said
// before is left exactly as it was, so the task is not marked changed.
void ShowConversionOptionsDialog(QWidget* owner, MainFormState& form, JobEngine& engine, QString& sDataTransfer);
// True when the user changed anything and applied it.
bool ShowSearchOptionsDialog(QWidget* owner, MainFormState& form, int inputType);

void InstallOptionDialogs(frmMain& main);
