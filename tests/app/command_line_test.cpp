#include <gtest/gtest.h>

#include "app/command_line.h"

using velmora::parseCommandLine;

TEST(CommandLine, OneProjectFileIsTakenAsItIs) {
    const auto c = parseCommandLine({"velmora", "/home/u/My Show.KVT"});
    EXPECT_EQ(c.project, "/home/u/My Show.KVT");
    EXPECT_FALSE(c.showHelp || c.showVersion);
    EXPECT_TRUE(c.error.isEmpty());
    EXPECT_TRUE(parseCommandLine({"velmora"}).project.isEmpty());
    EXPECT_EQ(parseCommandLine({"velmora", "--", "-odd.kvt"}).project, "-odd.kvt");
}

TEST(CommandLine, HelpAndVersionAreRecognised) {
    EXPECT_TRUE(parseCommandLine({"velmora", "--help"}).showHelp);
    EXPECT_TRUE(parseCommandLine({"velmora", "-h"}).showHelp);
    EXPECT_TRUE(parseCommandLine({"velmora", "--version"}).showVersion);
    EXPECT_TRUE(velmora::commandLineHelp("velmora").startsWith("Usage: velmora [PROJECT.kvt]"));
}

TEST(CommandLine, UsageErrorsSayWhatIsWrong) {
    EXPECT_EQ(parseCommandLine({"velmora", "a.kvt", "b.kvt"}).error,
              "only one project file can be opened");
    EXPECT_EQ(parseCommandLine({"velmora", "--fullscreen"}).error, "unknown option --fullscreen");
    EXPECT_EQ(parseCommandLine({"velmora", ""}).error, "the project file name is empty");
}
