#include "platform/CommandLine.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

using namespace Platform;

class CommandLineTest : public ::testing::Test {
protected:
    void TearDown() override { setCommandLineArguments({}); }
    static bool debugWith(const QStringList &arguments)
    {
        setCommandLineArguments(arguments);
        return hasCommandLineSwitch(QStringLiteral("/D"));
    }
};

TEST_F(CommandLineTest, SwitchCountsAsAWholeArgumentInAnyCase)
{
    EXPECT_TRUE(debugWith({QStringLiteral("/D")}));
    EXPECT_TRUE(debugWith({QStringLiteral("/d")}));
    EXPECT_TRUE(debugWith({QStringLiteral("x"), QStringLiteral("/d")}));
    EXPECT_FALSE(debugWith({}));
}

TEST_F(CommandLineTest, PathsThatContainTheSwitchDoNotCount)
{
    EXPECT_FALSE(debugWith({QStringLiteral("/dev/null")}));
    EXPECT_FALSE(debugWith({QStringLiteral("/data/x")}));
    EXPECT_FALSE(debugWith({QStringLiteral("x/Dy")}));
    EXPECT_FALSE(debugWith({QStringLiteral("/DU")}));
    setCommandLineArguments({QStringLiteral("/Users")});
    EXPECT_FALSE(hasCommandLineSwitch(QStringLiteral("/U")));
}

TEST_F(CommandLineTest, TheProgramPathIsNotAnArgument)
{
    // No override set yet in this process: the real arguments are used, without the program path
    // (which may contain "/d" once upper-cased).
    const QStringList all = QCoreApplication::arguments();
    ASSERT_FALSE(all.isEmpty());
    EXPECT_EQ(commandLineArguments(), all.mid(1));
    EXPECT_FALSE(hasCommandLineSwitch(all.first()));
}
