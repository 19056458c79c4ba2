#pragma once
// Hands a help page to the user's browser, as the shell's "open" verb did.
// The window installs an opener built on the desktop services; tests install
// one that records the addresses instead of starting a browser.
#include <QUrl>

class HelpOpener
{
public:
    virtual ~HelpOpener() = default;
    // True when the address was handed on; whether a browser then shows it
    // is out of our hands.
    virtual bool open(const QUrl& url) = 0;
};

// Starts xdg-open with the address, detached and without a shell, so the
// address is never read as shell words.
class XdgHelpOpener : public HelpOpener
{
public:
    bool open(const QUrl& url) override;
};

// The opener help goes through: an XdgHelpOpener unless one was installed.
HelpOpener& CurrentHelpOpener();
void SetHelpOpener(HelpOpener* opener); // nullptr restores the default
