#include "platform/files.h"
#include "platform/files_detail.h"
#include "tests/support/settings_file.h"
#include "tests/support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

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
    TOBREL_SKIP_WITHOUT_ENFORCED_PERMISSIONS();
    TempDir dir;
    const auto path = dir.file("TOBREL.INI");
    writeBytes(path, "kept");
    std::filesystem::permissions(dir.path(), std::filesystem::perms(0555));
    int error = 0;
    EXPECT_FALSE(replaceFileAtomically(path, "lost?", &error));
    EXPECT_EQ(error, EACCES);
    EXPECT_EQ(readBytes(path), "kept");
}

// What an atomic replacement does with the entry already at its path.
struct ReplaceCase {
    const char* name;
    void (*arrange)(const TempDir& dir); // sets up dir/out (and dir/in, the input)
    AtomicOutputFile::OpenResult expected;
    const char* realFile;            // the file that holds "new" afterwards, when opened
    std::vector<std::string> folder; // the folder's entries afterwards
};

const ReplaceCase kReplaceCases[] = {
    {"NothingThere",
     [](const TempDir&) {},
     AtomicOutputFile::OpenResult::Opened,
     "out",
     {"in", "out"}},
    {"LinkToAFile",
     [](const TempDir& dir) {
         writeBytes(dir.file("target"), "old");
         std::filesystem::create_symlink("target", dir.path() / "out");
     },
     AtomicOutputFile::OpenResult::Opened,
     "target",
     {"in", "out", "target"}},
    {"DanglingLink",
     [](const TempDir& dir) { std::filesystem::create_symlink("target", dir.path() / "out"); },
     AtomicOutputFile::OpenResult::Opened,
     "target",
     {"in", "out", "target"}},
    {"LinkToTheInput",
     [](const TempDir& dir) { std::filesystem::create_symlink("in", dir.path() / "out"); },
     AtomicOutputFile::OpenResult::SameFile,
     nullptr,
     {"in", "out"}},
    {"HardLinkToTheInput",
     [](const TempDir& dir) {
         std::filesystem::create_hard_link(dir.path() / "in", dir.path() / "out");
     },
     AtomicOutputFile::OpenResult::SameFile,
     nullptr,
     {"in", "out"}},
    {"Folder",
     [](const TempDir& dir) { std::filesystem::create_directory(dir.path() / "out"); },
     AtomicOutputFile::OpenResult::Failed,
     nullptr,
     {"in", "out"}},
};

TEST(AtomicOutputFile, FollowsLinksAndRefusesTheInputAndFolders) {
    for (const auto& c : kReplaceCases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        writeBytes(dir.file("in"), "input");
        c.arrange(dir);
        AtomicOutputFile out;
        ASSERT_EQ(out.open(dir.file("out"), dir.file("in")), c.expected);
        if (c.realFile != nullptr) {
            ASSERT_TRUE(out.write("new", 3));
            ASSERT_TRUE(out.commit());
            EXPECT_EQ(readBytes(dir.file(c.realFile)), "new");
        }
        EXPECT_EQ(readBytes(dir.file("in")), "input");
        EXPECT_EQ(listFolder(dir.path()), c.folder);
    }
}

// Replaces one of AtomicOutputFile's seams for the life of a test.
template <typename Seam> class SeamSwap {
public:
    SeamSwap(Seam& seam, Seam replacement) : seam_(seam), previous_(seam) { seam = replacement; }
    ~SeamSwap() { seam_ = previous_; }
    SeamSwap(const SeamSwap&) = delete;
    SeamSwap& operator=(const SeamSwap&) = delete;

private:
    Seam& seam_;
    Seam previous_;
};

TEST(AtomicOutputFile, FailedFlushKeepsTheOldFileAndLeavesNoTemporaryFile) {
    TempDir dir;
    const auto path = dir.file("TOBREL.INI");
    writeBytes(path, "the old file");
    int error = 0;
    {
        SeamSwap flush(
            detail::flushFile, +[](int) { return EIO; });
        EXPECT_FALSE(replaceFileAtomically(path, "the new file, never flushed", &error));
    }
    EXPECT_EQ(error, EIO);
    EXPECT_EQ(readBytes(path), "the old file");
    EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"TOBREL.INI"});
}

// Whatever is found at a temporary file's name belongs to someone else: it is
// skipped, never written through, truncated or removed.
TEST(AtomicOutputFile, EntryAtTheTemporaryNameIsLeftAlone) {
    const struct {
        const char* name;
        void (*plant)(const TempDir& dir, const std::string& at);
        const char* readsAfterwards; // what the planted name reads afterwards, or null
    } cases[] = {
        {"file", [](const TempDir&, const std::string& at) { writeBytes(at, "planted"); },
         "planted"},
        {"link to a file",
         [](const TempDir& dir, const std::string& at) {
             std::filesystem::create_symlink(dir.path() / "victim", toFsPath(at));
         },
         "victim"},
        {"dangling link",
         [](const TempDir& dir, const std::string& at) {
             std::filesystem::create_symlink(dir.path() / "nowhere", toFsPath(at));
         },
         nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        writeBytes(dir.file("victim"), "victim");
        writeBytes(dir.file("out"), "old");
        c.plant(dir, dir.file("out.planted"));
        const std::vector<std::string> planted = listFolder(dir.path());
        {
            SeamSwap name(
                detail::temporaryName, +[](const std::string& target, int attempt) {
                    return target + (attempt == 0 ? ".planted" : ".free");
                });
            AtomicOutputFile out;
            ASSERT_EQ(out.open(dir.file("out")), AtomicOutputFile::OpenResult::Opened);
            ASSERT_TRUE(out.write("new", 3));
            ASSERT_TRUE(out.commit());
        }
        EXPECT_EQ(readBytes(dir.file("out")), "new");
        EXPECT_EQ(readBytes(dir.file("victim")), "victim");
        if (c.readsAfterwards != nullptr) {
            EXPECT_EQ(readBytes(dir.file("out.planted")), c.readsAfterwards);
        }
        EXPECT_EQ(listFolder(dir.path()), planted); // nothing left of ".free", nothing gone
        EXPECT_FALSE(std::filesystem::exists(dir.path() / "nowhere"));
    }
}

TEST(AtomicOutputFile, EveryTemporaryNameTakenFailsAndTouchesNothing) {
    TempDir dir;
    writeBytes(dir.file("out"), "old");
    writeBytes(dir.file("out.planted"), "planted");
    SeamSwap name(
        detail::temporaryName, +[](const std::string& target, int) { return target + ".planted"; });
    AtomicOutputFile out;
    EXPECT_EQ(out.open(dir.file("out")), AtomicOutputFile::OpenResult::Failed);
    EXPECT_EQ(out.errorNumber(), EEXIST);
    EXPECT_FALSE(out.commit());
    out.discard();
    EXPECT_EQ(readBytes(dir.file("out")), "old");
    EXPECT_EQ(readBytes(dir.file("out.planted")), "planted");
}

TEST(AtomicOutputFileReadOnly, WriteProtectedTargetStaysAsItWas) {
    TOBREL_SKIP_WITHOUT_ENFORCED_PERMISSIONS();
    TempDir dir;
    const auto path = dir.file("codelist_japan.inf");
    writeBytes(path, "kept");
    std::filesystem::permissions(toFsPath(path), std::filesystem::perms(0444));
    AtomicOutputFile out;
    EXPECT_EQ(out.open(path), AtomicOutputFile::OpenResult::Failed);
    EXPECT_EQ(out.errorNumber(), EACCES);
    EXPECT_FALSE(out.commit());
    EXPECT_EQ(readBytes(path), "kept");
    EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"codelist_japan.inf"});
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
