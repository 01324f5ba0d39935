#include "app/SlideShow.h"

#include <gtest/gtest.h>

TEST(SlideShow, EachPhotographHasItsIntervalAndAPauseHoldsWhatIsLeft)
{
    SlideShow show(5);
    show.Start(1000);
    EXPECT_EQ(show.TimeToNext(1000), 5000);
    EXPECT_EQ(show.TimeToNext(7000), 0); // overdue is due now
    show.Shown(7500);                    // a slow picture does not shorten the next turn
    EXPECT_EQ(show.TimeToNext(7500), 5000);

    show.TogglePause(9500);
    EXPECT_TRUE(show.IsPaused());
    EXPECT_EQ(show.TimeToNext(60000), -1);
    show.TogglePause(60000);
    EXPECT_EQ(show.TimeToNext(60000), 3000);

    show.Start(0); // starting again ends a pause
    EXPECT_FALSE(show.IsPaused());
    EXPECT_EQ(show.TimeToNext(0), 5000);
}

TEST(SlideShow, IntervalsOutsideTheRangeAreBroughtInside)
{
    SlideShow fast(0), slow(1000000);
    fast.Start(0);
    slow.Start(0);
    EXPECT_EQ(fast.TimeToNext(0), kMinSlideSeconds * 1000);
    EXPECT_EQ(slow.TimeToNext(0), int64_t(kMaxSlideSeconds) * 1000);
}
