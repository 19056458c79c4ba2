#include "startup/clsTessaview.h"

#include "clsTessaviewAdaptor.h"
#include "core/DataFolder.h"
#include "core/FileSystem.h"
#include "core/Globals.h"
#include "core/Help.h"
#include "core/Translator.h"
#include "startup/AutomationCommand.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>

#include <cstdio>

clsTessaview::clsTessaview(QDBusConnection bus, const QStringList& processArguments, const StartupHooks& hooks,
                           QObject* parent)
    : QObject(parent)
    , m_bus(bus)
    , m_processArguments(processArguments)
    , m_hooks(hooks)
    , m_engine(m_form)
{
    m_clients.setConnection(bus);
    m_clients.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    // Before the translator: under automation it asks nothing and a first
    // run stays English.
    G_bAutomationMode = true;
    G_IniFilePath = GetIniFilePath(kProductCode);
    G_UserDataFolder = ExpandPathMacros(QStringLiteral("%appdata%/Kestrova, Inc/Tessaview/"));
    InitializeTranslator();
    InitHelpFile(G_sLanguage);
    m_sIniFilePath = G_IniFilePath;

    connect(&m_clients, &QDBusServiceWatcher::serviceUnregistered, this, &clsTessaview::letGo);
    m_bus.connect(QString(), QStringLiteral("/org/freedesktop/DBus/Local"), QStringLiteral("org.freedesktop.DBus.Local"),
                  QStringLiteral("Disconnected"), this, SLOT(busLost()));
}

void clsTessaview::busLost()
{
    endProcess();
}

// The engine goes with the object and quits the office it started.
clsTessaview::~clsTessaview() = default;

int clsTessaview::DoCommandLine(const QString& sCommand)
{
    if (!calledFromDBus())
        return RunAutomationCommand(m_engine, sCommand, m_sIniFilePath, m_processArguments, m_hooks);
    const QString client = message().service();
    if (m_bEnding) {
        sendErrorReply(kAutomationReleasedError,
                       QStringLiteral("The automation object was released; the server is ending."));
        return 0;
    }
    if (!holdObject(client)) {
        // Nobody is there for the run's reply.
        sendErrorReply(kAutomationReleasedError, QStringLiteral("The caller has left the bus."));
        letGo(client);
        return 0;
    }
    // Refused, the caller still holds the object, but its leaving touches
    // nothing another caller started.
    if (m_bCallInProgress) {
        sendErrorReply(kAutomationBusyError,
                       QStringLiteral("A command line is running; calls are not run nested."));
        return 0;
    }
    m_bCallInProgress = true;
    setDelayedReply(true);
    m_call = message();
    // The run starts once this handler has returned to the event loop, and
    // yields to it as it goes, so other calls are answered meanwhile.
    QMetaObject::invokeMethod(this, [this, sCommand] { runCall(sCommand); }, Qt::QueuedConnection);
    return 0;
}

void clsTessaview::runCall(const QString& sCommand)
{
    const QString client = m_call.service();
    if (m_bEnding || m_bCallerGone) {
        // Released before the run began: it does not begin.
        m_bus.send(m_call.createErrorReply(kAutomationReleasedError,
                                           QStringLiteral("The automation object was released before the command ran.")));
    } else {
        int code = runcode::RunFailed;
        try {
            code = RunAutomationCommand(m_engine, sCommand, m_sIniFilePath, m_processArguments, m_hooks);
        } catch (...) {
            // The client gets its code whatever broke.
            G_sLastRunError = Translate(QStringLiteral("Unexpected error"));
        }
        if (bRaisesOnError(code))
            sendOnError(client, code, AutomationErrorText(code));
        m_bus.send(m_call.createReply(code));
    }
    m_call = QDBusMessage();
    m_bCallInProgress = false;
    m_bCallerGone = false;
    if (m_bEnding)
        Q_EMIT endRequested();
}

void clsTessaview::sendOnError(const QString& client, int code, const QString& text)
{
    // To the caller alone: another client's runs are none of its business.
    QDBusMessage signal =
        QDBusMessage::createTargetedSignal(client, kAutomationObjectPath, kAutomationInterface, QStringLiteral("OnError"));
    signal << code << text;
    m_bus.send(signal);
}

void clsTessaview::Release()
{
    if (!calledFromDBus()) {
        endProcess();
        return;
    }
    letGo(message().service());
}

bool clsTessaview::holdObject(const QString& client)
{
    if (client.isEmpty() || m_clients.watchedServices().contains(client))
        return true;
    m_clients.addWatchedService(client);
    // A caller that left before the watch began is gone all the same.
    return m_bus.interface()->isServiceRegistered(client);
}

void clsTessaview::letGo(const QString& client)
{
    m_clients.removeWatchedService(client);
    // Only the caller's own run stops (or does not begin); another
    // caller's goes on.
    if (m_bCallInProgress && m_call.service() == client) {
        m_bCallerGone = true;
        if (m_form.bRunInProgress)
            m_form.bRunning = false;
    }
    // As releasing the last reference ends a server: while another caller
    // holds the object, it stays.
    if (m_clients.watchedServices().isEmpty())
        endProcess();
}

void clsTessaview::endProcess()
{
    if (m_bEnding)
        return;
    m_bEnding = true;
    // A run in progress on the form (a call's, or one begun in a window a
    // call opened) stops before its next file and is reported as stopped.
    if (m_form.bRunInProgress)
        m_form.bRunning = false;
    // A call's run ends the process once its reply is out.
    if (m_bCallInProgress)
        return;
    QMetaObject::invokeMethod(this, &clsTessaview::endRequested, Qt::QueuedConnection);
}

int ServeAutomation(const QStringList& processArguments, const StartupHooks& hooks)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "qvim: automation is served on the session bus, which cannot be reached: %s\n",
                     qPrintable(bus.lastError().message()));
        return kExitAutomationUnavailable;
    }
    clsTessaview object(bus, processArguments, hooks);
    new clsTessaviewAdaptor(&object);
    // The object first: a call that activated this process may be waiting
    // for the name.
    if (!bus.registerObject(kAutomationObjectPath, &object)) {
        std::fprintf(stderr, "qvim: the automation object could not be served: %s\n",
                     qPrintable(bus.lastError().message()));
        return kExitAutomationUnavailable;
    }
    if (!bus.registerService(kAutomationService)) {
        std::fprintf(stderr, "qvim: %s is served by another process already\n", qPrintable(kAutomationService));
        return kExitAutomationUnavailable;
    }
    QObject::connect(&object, &clsTessaview::endRequested, &object, [&bus] {
        // The name goes first, so that a new call starts a new server
        // instead of reaching this one as it ends.
        bus.unregisterService(kAutomationService);
        QCoreApplication::quit();
    });
    QCoreApplication::exec();
    bus.unregisterObject(kAutomationObjectPath);
    // A window that a call opened shows the object's form.
    if (hooks.CloseMainWindow)
        hooks.CloseMainWindow();
    return 0;
}
