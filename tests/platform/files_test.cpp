#include "platform/files.h"
#include "tests/support/temp_dir.h"

#include <filesystem>
#include <sys/stat.h>
#include <gtest/gtest.h>

namespace tobrel::platform {
namespace {

using tobrel::testing::listFolder;
using tobrel::testing::readBytes;
using tobrel::testing::TempDir;
using tobrel::testing::writeBytes;

TEST(NewOutputFile, NeverOpensAnExistingFile) {
    TempDir dir;
    const auto path = dir.file("taken.MCD");
    writeBytes(path, "precious");
    NewOutputFile out;
    EXPECT_EQ(out.create(path), NewOutputFile::CreateResult::AlreadyExists);
    EXPECT_EQ(readBytes(path), "precious");
}

TEST(NewOutputFile, IsRemovedUnlessCommitted) {
    TempDir dir;
    {
        NewOutputFile out;
        ASSERT_EQ(out.create(dir.file("a")), NewOutputFile::CreateResult::Created);
        ASSERT_TRUE(out.write("half", 4));
    }
    EXPECT_TRUE(listFolder(dir.path()).empty());
    NewOutputFile kept;
    ASSERT_EQ(kept.create(dir.file("b")), NewOutputFile::CreateResult::Created);
    ASSERT_TRUE(kept.write("whole", 5));
    ASSERT_TRUE(kept.commit());
    EXPECT_EQ(readBytes(dir.file("b")), "whole");
}

TEST(ReplaceFileAtomically, ReplacesContentAndKeepsPermissions) {
    TempDir dir;
    const auto path = dir.file("TOBREL.INI");
    writeBytes(path, "old content that is longer");
    std::filesystem::permissions(toFsPath(path), std::filesystem::perms(0640));
    ASSERT_TRUE(replaceFileAtomically(path, "new"));
    EXPECT_EQ(readBytes(path), "new");
    EXPECT_EQ(std::filesystem::status(toFsPath(path)).permissions() & std::filesystem::perms::all,
              std::filesystem::perms(0640));
    EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"TOBREL.INI"});
}

TEST(ReplaceFileAtomically, FullDiskLeavesTheOldFileWhole) {
    TempDir dir;
    const auto path = dir.file("user.reg");
    writeBytes(path, "the old file");
    int error = 0;
    {
        tobrel::testing::FileSizeLimit limit(16);
        EXPECT_FALSE(replaceFileAtomically(path, std::string(4096, 'x'), &error));
    }
    EXPECT_EQ(error, EFBIG);
    EXPECT_EQ(readBytes(path), "the old file");
    EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"user.reg"});
}

TEST(ReplaceFileAtomically, ReadOnlyFolderFailsAndChangesNothing) {
    if (!tobrel::testing::permissionsAreEnforced()) {
        GTEST_SKIP() << "root ignores file permissions; run again as an ordinary user";
    }
    TempDir dir;
    const auto path = dir.file("TOBREL.INI");
    writeBytes(path, "kept");
    std::filesystem::permissions(dir.path(), std::filesystem::perms(0555));
    int error = 0;
    EXPECT_FALSE(replaceFileAtomically(path, "lost?", &error));
    EXPECT_EQ(error, EACCES);
    EXPECT_EQ(readBytes(path), "kept");
}

TEST(InputFile, RefusesPipesAndDevicesWithoutBlocking) {
    TempDir dir;
    const auto fifo = dir.file("card.MEM");
    ASSERT_EQ(::mkfifo(toFsPath(fifo).c_str(), 0600), 0);
    InputFile file;
    EXPECT_FALSE(file.open(fifo)); // would hang for ever in a blocking open
    EXPECT_EQ(file.errorNumber(), ENOTSUP);
    EXPECT_FALSE(file.open("/dev/null"));
    EXPECT_EQ(describeError(ENOTSUP), "通常のファイルではありません");
}

TEST(ReadWholeFile, ReportsMissingAndFolderInputs) {
    TempDir dir;
    int error = 0;
    EXPECT_FALSE(readWholeFile(dir.file("missing"), &error).has_value());
    EXPECT_EQ(error, ENOENT);
    EXPECT_FALSE(readWholeFile(platform::fromFsPath(dir.path()), &error).has_value());
    EXPECT_EQ(error, EISDIR);
}

} // namespace
} // namespace tobrel::platform
