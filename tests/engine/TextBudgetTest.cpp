#include "engine/TextBudget.h"

#include "engine/Limits.h"

#include <gtest/gtest.h>

using namespace plainora::engine;

TEST(TextBudget, DefaultsToTheEngineLimit)
{
    EXPECT_EQ(TextBudget().limit(), limits::kMaxTextBytes);
}

TEST(TextBudget, SpendsUpToTheLimitThenFailsAsTooLargeAndStaysFailed)
{
    TextBudget budget(3u << 20);
    EXPECT_TRUE(budget.spend(2u << 20));
    EXPECT_TRUE(budget.spend(1u << 20)); // exactly the limit is still kept
    const Status over = budget.spend(1);
    ASSERT_FALSE(over.ok());
    EXPECT_EQ(over.error().code, ErrorCode::TooLarge);
    EXPECT_NE(over.error().description.find("more than 3 MiB of text"), std::string::npos)
        << over.error().description;
    EXPECT_FALSE(budget.spend(1).ok());
    EXPECT_FALSE(budget.spend(0).ok());
    EXPECT_EQ(budget.status().error().description, over.error().description);
}

TEST(TextBudget, ReadersThatLookOncePerStepSeeTheFailure)
{
    TextBudget budget(1u << 20);
    (void)budget.spend(1u << 19);
    EXPECT_TRUE(budget.status().ok());
    (void)budget.spend(1u << 20);
    ASSERT_FALSE(budget.status().ok());
    EXPECT_EQ(budget.status().error().code, ErrorCode::TooLarge);
}

TEST(TextBudget, AHugeSingleSpendCannotWrapTheAccount)
{
    TextBudget budget(1u << 20);
    ASSERT_TRUE(budget.spend(10));
    EXPECT_FALSE(budget.spend(static_cast<std::size_t>(-1)).ok());
    EXPECT_FALSE(budget.spend(1).ok());
}
