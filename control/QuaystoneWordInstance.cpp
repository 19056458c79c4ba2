// The word processor instance the control holds: whether one can be made
// (asked once per control), getting a live one, giving it back, and the
// members built on that.
#include "QuaystoneCtrl.h"

#include "QuaystoneIds.h"

bool QuaystoneCtrl::WordIsInstalled()
{
    if (m_wordInfoCache.installedKnown)
        return m_wordInfoCache.installed;
    // Remembered before trying, so that a failure is remembered too.
    m_wordInfoCache.installedKnown = true;
    try {
        std::unique_ptr<WordApplication> probe = m_automation->CreateApplication();
        probe->Quit(false);
    } catch (const WordError&) {
        return false;
    }
    m_wordInfoCache.installed = true;
    return true;
}

bool QuaystoneCtrl::IsWordApplicationAlive()
{
    if (!m_word)
        return false;
    try {
        m_word->Version();
        return true;
    } catch (const WordError&) {
        return false;
    }
}

bool QuaystoneCtrl::AcquireWordApplication()
{
    try {
        if (IsWordApplicationAlive())
            return true;
        if (!WordIsInstalled())
            return false;
        std::unique_ptr<WordApplication> first = m_automation->CreateApplication();
        // A held instance that died is replaced here.
        m_word = m_automation->CreateApplication();
        first->Quit(false);
        first.reset();
        m_word->SetDisplayAlerts(m_verbose ? -1 : 0);
        m_word->SetVisible(false);
        m_word->SetNormalTemplateSaved(true);
        return true;
    } catch (const WordError&) {
        return false;
    }
}

bool QuaystoneCtrl::ReleaseWordApplication()
{
    try {
        if (!IsWordApplicationAlive())
            return true;
        if (!WordIsInstalled())
            return false;
        if (!m_optimizeForSpeed) {
            // Dropped even when Quit fails, so that nothing keeps an office
            // the control no longer uses.
            std::unique_ptr<WordApplication> word = std::move(m_word);
            word->Quit(false);
        }
        return true;
    } catch (const WordError&) {
        return false;
    }
}

void QuaystoneCtrl::SetOptimizeForSpeed(bool v)
{
    m_optimizeForSpeed = false;
    if (v) {
        if (AcquireWordApplication())
            m_optimizeForSpeed = true;
    } else {
        ReleaseWordApplication();
    }
}

bool QuaystoneCtrl::AskHeldWord(const std::function<void()>& read)
{
    if (!AcquireWordApplication()) {
        Report(quaystone::result::WordNotStarted, quaystonetext::kWordNotStarted);
        return false;
    }
    read();
    if (!ReleaseWordApplication())
        Report(quaystone::result::WordNotReleased, quaystonetext::kWordNotReleased);
    return true;
}

double QuaystoneCtrl::WordVersion()
{
    if (m_wordInfoCache.versionKnown)
        return m_wordInfoCache.version;
    double number = 0;
    AskHeldWord([&] { number = HeldWordVersion(); });
    return number;
}

double QuaystoneCtrl::HeldWordVersion()
{
    if (m_wordInfoCache.versionKnown || !m_word)
        return m_wordInfoCache.version;
    double number = 0;
    try {
        number = m_word->Version().trimmed().toDouble();
    } catch (const WordError&) {
    }
    // A version read with the wrong decimal separator: "120" for 12.0.
    if (number >= 80)
        number /= 10;
    m_wordInfoCache.versionKnown = true;
    m_wordInfoCache.version = number;
    return number;
}

int QuaystoneCtrl::WordBuild()
{
    if (m_wordInfoCache.buildKnown)
        return m_wordInfoCache.build;
    int build = 0;
    AskHeldWord([&] {
        try {
            QString text = m_word->Build();
            text.replace(u',', u'.');
            const qsizetype dot = text.lastIndexOf(u'.');
            if (dot >= 0) {
                bool numeric = false;
                const int n = text.mid(dot + 1).trimmed().toInt(&numeric);
                build = numeric ? n : 0;
            }
        } catch (const WordError&) {
        }
        m_wordInfoCache.buildKnown = true;
        m_wordInfoCache.build = build;
    });
    return build;
}

bool QuaystoneCtrl::HideWordIfVisible()
{
    try {
        if (IsWordApplicationAlive() && m_word->Visible())
            m_word->SetVisible(false);
    } catch (const WordError&) {
    }
    return false;
}
