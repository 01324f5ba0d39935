#pragma once
// When a slide show moves on to its next photograph: at a fixed interval
// after the last one appeared, held while paused. Times are milliseconds of
// a monotonic clock the caller reads, so a test can drive it with its own.

#include <cstdint>

constexpr int kMinSlideSeconds = 1;
constexpr int kMaxSlideSeconds = 3600;

class SlideShow {
public:
    // Seconds outside kMinSlideSeconds..kMaxSlideSeconds are brought inside.
    explicit SlideShow(int seconds);

    // The first photograph appeared at `now`.
    void Start(int64_t now);
    void TogglePause(int64_t now);
    bool IsPaused() const { return m_bPaused; }
    // Milliseconds until the next photograph is due: 0 when it is due now,
    // -1 while paused (nothing is due).
    int64_t TimeToNext(int64_t now) const;
    // The next photograph appeared at `now`: the interval starts again. A
    // picture that took long to prepare does not shorten the next one's turn.
    void Shown(int64_t now);

private:
    int64_t m_nInterval;
    int64_t m_nDue = 0;
    int64_t m_nLeftWhenPaused = 0;
    bool m_bPaused = false;
};
