#include "MainWindowStart.h"

#include "core/DataFolder.h"
#include "core/Translator.h"
#include "jobs/MainFormState.h"
#include "startup/WindowModule.h"
#include "ui/QtDialogs.h"
#include "ui/frmMainMDI.h"
#include "ui/WindowSystem.h"
#include "ui/frmPleaseWait.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>


namespace {

struct MainWindowSession
{
    QtMessageSink messages;
    QtFileChooser files;
    std::unique_ptr<frmMainMDI> frame;

    MainWindowSession()
    {
        SetMessageSink(&messages);
        SetFileChooser(&files);
    }
    ~MainWindowSession()
    {
        frame.reset();
        SetMessageSink(nullptr);
        SetFileChooser(nullptr);
    }
};

std::unique_ptr<MainWindowSession> g_session;

void showMainWindow(MainFormState& form)
{
    if (!MainWindowCanBeShown()) {
        NoDisplayForMainWindow();
        return;
    }
    g_session.reset();
    g_session = std::make_unique<MainWindowSession>();

    frmPleaseWait splash;
    QFont header = splash.lblHeader->font();
    header.setPointSize(16);
    splash.lblHeader->setFont(header);
    splash.lblHeader->setText(Translate(QStringLiteral("Tessaview")));
    splash.lblLine1->setText(SplashVersionText(TESSAVIEW_VERSION_MAJOR, TESSAVIEW_VERSION_MINOR,
                                               TESSAVIEW_VERSION_PATCH));
    splash.lblLine2->setText(QStringLiteral("Kestrova, Inc."));
    splash.show();
    QCoreApplication::processEvents();

    const FramePlacement placement = ReadFramePlacement();
    g_session->frame = std::make_unique<frmMainMDI>(form);
    frmMainMDI& frame = *g_session->frame;
    frame.MDIForm_Load();
    frame.applyPlacement(placement);
    if (!frame.isVisible())
        frame.show();
    splash.hide();

    // Once the window serves: a settings file that could not be read is
    // said once, in the window as on standard error.
    QTimer::singleShot(0, &frame, [] {
        for (const SettingsFileReport& report : TakeSettingsFileReports())
            ShowMessage(SettingsFileReportText(report, QStringLiteral("\r\n"), Translate), G_sProductName,
                        MessageButtons::Ok, MessageIcon::Warning);
    });
}

} // namespace

StartupHooks MainWindowStartupHooks()
{
    StartupHooks hooks;
    hooks.ShowMainWindow = showMainWindow;
    hooks.RunWindowLoop = RunMainWindowLoop;
    hooks.CloseMainWindow = DestroyMainWindow;
    // A verbose run on a display shows each message in a box and waits.
    static QtMessageSink boxes;
    if (MessageBoxesCanBeSeen())
        hooks.VerboseMessages = &boxes;
    return hooks;
}

frmMainMDI* CurrentMainWindow()
{
    return g_session ? g_session->frame.get() : nullptr;
}

int RunMainWindowLoop()
{
    if (!CurrentMainWindow())
        return 1;
    const int status = QCoreApplication::exec();
    g_session.reset();
    return status;
}

void DestroyMainWindow()
{
    g_session.reset();
}
