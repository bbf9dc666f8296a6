#include "cli/ProgressBar.h"

#include <gtest/gtest.h>

namespace plainora::cli {
namespace {

TEST(ProgressBarTest, TheBarFillsWithTheFinishedShareAndKeepsItsWidth)
{
    EXPECT_EQ(ProgressBar::render(0, 10, 40), "[--------------------------]   0%  0/10");
    EXPECT_EQ(ProgressBar::render(5, 10, 40), "[#############-------------]  50%  5/10");
    EXPECT_EQ(ProgressBar::render(10, 10, 40), "[##########################] 100% 10/10");
    for (std::size_t done = 0; done <= 10; ++done)
        EXPECT_EQ(ProgressBar::render(done, 10, 40).size(), 39u);
}

TEST(ProgressBarTest, NarrowTerminalsGetTheCountsOnly)
{
    EXPECT_EQ(ProgressBar::render(1, 3, 12), " 33% 1/3");
    EXPECT_EQ(ProgressBar::render(1, 3, 5), " 33%");
    EXPECT_EQ(ProgressBar::render(1, 3, 0), "");
    EXPECT_EQ(ProgressBar::render(7, 3, 40), ProgressBar::render(3, 3, 40));
}

} // namespace
} // namespace plainora::cli
