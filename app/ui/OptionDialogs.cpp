#include "ui/OptionDialogs.h"

#include "engine/JobEngine.h"
#include "engine/WordRoute.h"
#include "jobs/MainFormState.h"
#include "ui/TaskEditor.h"
#include "ui/frmConversionOptions.h"
#include "ui/frmMain.h"
#include "ui/frmOptions.h"
#include "ui/frmRexhoundAdvancedOptions.h"
#include "ui/frmVyxAdvancedOptions.h"
#include "ui/frmVyxPDFOptions.h"
#include "ui/frmVyxPageDlg.h"

#include <QComboBox>

void ShowProgramOptionsDialog(QWidget* owner, MainFormState& form, JobEngine& engine)
{
    WordEngineProbe probe;
    probe.versionOk = [&engine] { return bWordVersionAtLeast2007(engine); };
    probe.testSaveAsPdf = [&engine] { return TestSaveAsPDF(engine); };
    frmOptions dialog(LoadProgramOptions(form), std::move(probe), owner);
    if (dialog.exec() == QDialog::Accepted) {
        ApplyProgramOptions(dialog.values(), form);
        form.UpdateMenuToolbar();
    }
}

void ShowPageSetupDialog(QWidget* owner, MainFormState& form)
{
    frmVyxPageDlg dialog(LoadPageSetup(form), owner);
    if (dialog.exec() == QDialog::Accepted)
        ApplyPageSetup(dialog.values(), form);
}

void ShowPdfSecurityDialog(QWidget* owner, MainFormState& form)
{
    frmVyxPDFOptions dialog(LoadPdfSecurity(form), owner);
    if (dialog.exec() == QDialog::Accepted)
        ApplyPdfSecurity(dialog.values(), form);
}

void ShowFormattingDialog(QWidget* owner, MainFormState& form, JobEngine& engine)
{
    FormattingDialogOpeners openers;
    openers.ShowPageSetup = [&form](QWidget* o) { ShowPageSetupDialog(o, form); };
    openers.ShowPdfSettings = [&form](QWidget* o) { ShowPdfSecurityDialog(o, form); };
    openers.ShowProgramOptions = [&form, &engine](QWidget* o) { ShowProgramOptionsDialog(o, form, engine); };
    frmVyxAdvancedOptions dialog(LoadFormatting(form), std::move(openers), owner);
    if (dialog.exec() == QDialog::Accepted)
        ApplyFormatting(dialog.values(), form);
}

void ShowConversionOptionsDialog(QWidget* owner, MainFormState& form, JobEngine& engine, QString& sDataTransfer)
{
    frmConversionOptions dialog(owner);
    dialog.sDataTransfer = sDataTransfer;
    dialog.ShowProgramOptions = [&form, &engine](QWidget* o) { ShowProgramOptionsDialog(o, form, engine); };
    dialog.ShowDocumentFormatting = [&form, &engine](QWidget* o) { ShowFormattingDialog(o, form, engine); };
    dialog.Setup();
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!SameImageOptions(sDataTransfer, dialog.sDataTransfer))
        sDataTransfer = dialog.sDataTransfer;
}

bool ShowSearchOptionsDialog(QWidget* owner, MainFormState& form, int inputType)
{
    frmRexhoundAdvancedOptions dialog(LoadSearchOptions(form), inputType, owner);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    ApplySearchOptions(dialog.values(), form);
    return dialog.bDirty;
}

void InstallOptionDialogs(frmMain& main)
{
    MainFormCommands& commands = main.commands;
    MainFormState& form = main.form();
    JobEngine& engine = main.engine();
    if (!commands.ShowProgramOptions)
        commands.ShowProgramOptions = [&main, &form, &engine] { ShowProgramOptionsDialog(&main, form, engine); };
    if (!commands.ShowConversionOptions)
        commands.ShowConversionOptions = [&main, &form, &engine](QString& sDataTransfer) {
            ShowConversionOptionsDialog(&main, form, engine, sDataTransfer);
        };
    if (!commands.ShowRexhoundOptions)
        commands.ShowRexhoundOptions = [&main, &form] {
            const QVariant type = main.editor->cbFileTypeOriginalSpecialized->currentData();
            return ShowSearchOptionsDialog(&main, form, type.isValid() ? type.toInt() : -1);
        };
}
