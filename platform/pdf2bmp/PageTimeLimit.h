#pragma once
// The time a page may take to draw. A hostile page (a content stream that
// paints the page a million times) would otherwise hold its thread, and
// the batch, for as long as it likes: a page that is still drawing when
// its time is up is cut off through MuPDF's cookie and fails alone.
//
// The limit grows with the page's pixel count, so an honest large page
// finishes: kPageTimeBaseMs plus kPageTimePerMegapixelMs for every million
// pixels.
#include <atomic>

inline constexpr int kPageTimeBaseMs = 10000;
inline constexpr int kPageTimePerMegapixelMs = 2000;

// The limit of a page of `pixels` pixels, in milliseconds, under the
// current setting (pdf_set_page_time_limit).
long long PageTimeLimitMs(long long pixels);

// Sets the base and the time per megapixel; 0 and 0 turn the limit off.
void SetPageTimeLimit(int baseMs, int perMegapixelMs);

// While it lives, sets `abort` (the abort flag of a MuPDF cookie) to 1
// once `ms` have passed; one thread serves all of them. The flag must
// outlive it.
class PageDeadline
{
public:
    PageDeadline(int* abort, long long ms);
    ~PageDeadline();
    PageDeadline(const PageDeadline&) = delete;
    PageDeadline& operator=(const PageDeadline&) = delete;

    // True when the time ran out (the cookie was told to abort).
    bool expired() const { return m_expired.load(); }

private:
    unsigned m_id = 0;
    std::atomic<bool> m_expired{false};
};
