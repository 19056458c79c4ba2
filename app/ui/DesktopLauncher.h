#pragma once
// What the editor opens on the desktop: a document or folder in the
// program the desktop associates with it, a mail link, or a program
// started with its arguments and left running. The window uses the
// desktop's own services; tests put a recorder in their place.
#include <QString>
#include <QStringList>
#include <QUrl>

class DesktopLauncher
{
public:
    virtual ~DesktopLauncher() = default;
    // False when nothing could be started to open the address.
    virtual bool openUrl(const QUrl& url) = 0;
    // Starts the program without a shell and without waiting for it.
    // False when it could not be started; `reason` then says why.
    virtual bool startDetached(const QString& program, const QStringList& arguments, QString& reason) = 0;
};

// QDesktopServices and QProcess::startDetached.
class SystemDesktopLauncher : public DesktopLauncher
{
public:
    bool openUrl(const QUrl& url) override;
    bool startDetached(const QString& program, const QStringList& arguments, QString& reason) override;
};

DesktopLauncher& CurrentDesktopLauncher();
void SetDesktopLauncher(DesktopLauncher* launcher);   // nullptr restores the system's
