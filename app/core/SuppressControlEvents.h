#pragma once
// Holds back the window's control events while code fills or runs.
#include "core/Globals.h"

// Sets G_bSuppressControlEvents for its lifetime and puts back what it was,
// also when the code inside fails, so that a helper cannot switch
// suppression off and a failure cannot leave it on.
class SuppressControlEvents
{
public:
    SuppressControlEvents() : m_was(G_bSuppressControlEvents) { G_bSuppressControlEvents = true; }
    ~SuppressControlEvents() { G_bSuppressControlEvents = m_was; }
    SuppressControlEvents(const SuppressControlEvents&) = delete;
    SuppressControlEvents& operator=(const SuppressControlEvents&) = delete;

private:
    bool m_was;
};
