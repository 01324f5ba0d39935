#include "image/PictureBudget.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Photographs a, b, c... with parts; what the budget frees is written down.
struct Book {
    PictureBudget budget{100};
    std::vector<std::string> freed;
    char groups[4] = {};
    char parts[4][2] = {};

    void Charge(int group, int part, uint64_t bytes)
    {
        std::string name = std::string(1, char('a' + group)) + std::to_string(part);
        PictureBudget::RunAll(budget.Charge(&groups[group], &parts[group][part], bytes,
                                            [this, name] { freed.push_back(name); }));
    }
};

} // namespace

TEST(PictureBudget, FreesWholePhotographsShownLongestAgoButNeverTheOneCharged)
{
    Book book;
    book.Charge(0, 0, 30);
    book.Charge(0, 1, 10); // a: picture and screen copy
    book.Charge(1, 0, 30);
    book.Charge(2, 0, 20);
    EXPECT_EQ(book.budget.Used(), 90u);
    EXPECT_TRUE(book.freed.empty());

    // a shown again: b is the oldest now, and goes when d needs room.
    book.budget.Touch(&book.groups[0]);
    book.Charge(3, 0, 30);
    EXPECT_EQ(book.freed, (std::vector<std::string>{"b0"}));
    EXPECT_EQ(book.budget.Used(), 90u);

    // A part charged again replaces its old charge; both of a's parts go together.
    book.Charge(2, 0, 60);
    EXPECT_EQ(book.freed, (std::vector<std::string>{"b0", "a0", "a1"}));
    EXPECT_EQ(book.budget.Used(), 90u);

    // One picture larger than the whole budget stays, alone.
    book.Charge(2, 1, 500);
    EXPECT_EQ(book.freed.back(), "d0");
    EXPECT_EQ(book.budget.Used(), 560u);

    // What holders free themselves is no longer counted, and never freed again.
    book.budget.Forget(&book.groups[2], &book.parts[2][1]);
    EXPECT_EQ(book.budget.Used(), 60u);
    book.Charge(1, 0, 30);
    book.budget.ForgetGroup(&book.groups[2]);
    EXPECT_EQ(book.budget.Used(), 30u);
    PictureBudget::RunAll(book.budget.SetLimit(10));
    EXPECT_EQ(book.freed.size(), 4u); // b is the last shown: it stays
    EXPECT_EQ(book.budget.Used(), 30u);
}
