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

// Starts xdg-open (found on PATH) with the address, without a shell, so the
// address is never read as shell words, and waits up to `waitMs` for it:
// when it ends in that time with a status other than 0 (no program could
// show the page), the page was not opened. Called from a running event loop
// (the window) it does not wait. Its standard output goes to our standard
// error. A wait of 0 only starts it.
class XdgHelpOpener : public HelpOpener
{
public:
    explicit XdgHelpOpener(int waitMs = kDefaultWaitMs) : m_waitMs(waitMs) {}
    bool open(const QUrl& url) override;

    static constexpr int kDefaultWaitMs = 5000;

private:
    int m_waitMs;
};

// The opener help goes through: an XdgHelpOpener unless one was installed.
HelpOpener& CurrentHelpOpener();
void SetHelpOpener(HelpOpener* opener); // nullptr restores the default
