// The command line's contract: usage, version, exit statuses.
#include "cli_runner.h"
#include "temp_program_dir.h"

#include <gtest/gtest.h>

TEST(CliBasics, UsageVersionAndWrongUsage) {
    EXPECT_EQ(runCli({"--help"}).status, 0);
    const rCliRun version = runCli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.startsWith("quillery-cli "));
    EXPECT_EQ(runCli({}).status, 2);
    EXPECT_EQ(runCli({"--bogus-option"}).status, 2);
}

TEST(CliBasics, MissingOrUnknownFilesFailWithStatusOne) {
    TTempProgramDir dir;
    EXPECT_EQ(runCli({"--program-dir", dir.path(), dir.file("missing.esp")}).status, 1);
    const QString other = dir.write("archive.ba2", "BTDX");
    const rCliRun r = runCli({"--program-dir", dir.path(), other});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(r.err.isEmpty());
    // A step name that does not exist is wrong usage.
    EXPECT_EQ(runCli({"--program-dir", dir.path(), other, "--no-such-step"}).status, 2);
}
