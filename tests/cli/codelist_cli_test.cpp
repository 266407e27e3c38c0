#include "tests/support/cli_run.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace tobrel::testing {
namespace {

TEST(CliCodelist, WritesBesideTheListAndPrintsThePath) {
    // A backslash is part of a Linux file name, never a folder separator.
    for (const char* name : {"pec.inf", "my\\list.inf"}) {
        TempDir dir;
        writeBytes(dir.file(name), ";c\r\n#SLUS-1\r\nx\r\n#SLPS-2 \x83Q\r\ny");
        auto result = runCli({"codelist", dir.file(name)});
        EXPECT_EQ(result.status, 0) << result.out;
        EXPECT_EQ(result.out, dir.file("codelist_japan.inf") + "\n");
        EXPECT_EQ(readBytes(dir.file("codelist_japan.inf")), ";c\r\n#SLPS-2 \x83Q\r\ny\r\n");
    }
}

TEST(CliCodelist, FailureSaysWhyWithStatusOne) {
    TempDir dir;
    auto missing = runCli({"codelist", dir.file("none.inf")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out.rfind(dir.file("none.inf") + ": [pec]Codelistﾌｧｲﾙを読み込めません: ", 0),
              0u)
        << missing.out;
    EXPECT_TRUE(listFolder(dir.path()).empty());

    writeBytes(dir.file("codelist_japan.inf"), "kept");
    auto itself = runCli({"codelist", dir.file("codelist_japan.inf")});
    EXPECT_EQ(itself.status, 1);
    EXPECT_NE(itself.out.find("codelist_japan.infは抽出結果のファイルです。"), std::string::npos);
    EXPECT_EQ(readBytes(dir.file("codelist_japan.inf")), "kept");

    auto empty = runCli({"codelist", ""});
    EXPECT_EQ(empty.status, 1);
    EXPECT_NE(empty.out.find("[pec]Codelistﾌｧｲﾙを指定して下さい。"), std::string::npos);
}

TEST(CliCodelist, BadUsageExitsTwo) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"codelist"}, {"codelist", "a.inf", "b.inf"}, {"codelist", "--bogus"}}) {
        auto result = runCli(args);
        EXPECT_EQ(result.status, 2) << result.out;
        EXPECT_NE(result.out.find("tobrel-cli codelist FILE"), std::string::npos);
    }
}

} // namespace
} // namespace tobrel::testing
