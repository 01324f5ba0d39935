#include "app/SlideShow.h"

#include <algorithm>

SlideShow::SlideShow(int seconds)
    : m_nInterval(int64_t(std::clamp(seconds, kMinSlideSeconds, kMaxSlideSeconds)) * 1000)
{
}

void SlideShow::Start(int64_t now)
{
    m_bPaused = false;
    Shown(now);
}

void SlideShow::TogglePause(int64_t now)
{
    if (m_bPaused)
        m_nDue = now + m_nLeftWhenPaused;
    else
        m_nLeftWhenPaused = std::max<int64_t>(0, m_nDue - now);
    m_bPaused = !m_bPaused;
}

int64_t SlideShow::TimeToNext(int64_t now) const
{
    if (m_bPaused)
        return -1;
    return std::max<int64_t>(0, m_nDue - now);
}

void SlideShow::Shown(int64_t now)
{
    m_nDue = now + m_nInterval;
}
