#include "state/StateDirectory.h"

#include <gtest/gtest.h>

using plainora::ChooseStateDirectory;

TEST(StateDirectory, TheProgramDirectoryWhenItIsWritable)
{
    EXPECT_EQ(ChooseStateDirectory("/opt/plainora", true, "/cfg", "/home/u"), "/opt/plainora");
}

TEST(StateDirectory, OtherwiseTheXdgConfigHome)
{
    EXPECT_EQ(ChooseStateDirectory("/usr/bin", false, "/cfg", "/home/u"), "/cfg/plainora");
    EXPECT_EQ(ChooseStateDirectory("/usr/bin", false, "/cfg/", "/home/u"), "/cfg/plainora");
}

TEST(StateDirectory, DotConfigWhenXdgConfigHomeIsUnsetOrRelative)
{
    EXPECT_EQ(ChooseStateDirectory("/usr/bin", false, "", "/home/u"), "/home/u/.config/plainora");
    EXPECT_EQ(ChooseStateDirectory("/usr/bin", false, "relative/cfg", "/home/u"), "/home/u/.config/plainora");
}
