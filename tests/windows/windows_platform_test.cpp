// The Windows side of platform/: advapi32 behind the registry seam, and the
// Win32 file functions where they differ from POSIX.

#include "platform/files.h"
#include "platform/registry_store.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <windows.h>

namespace tobrel {
namespace {

using platform::RegistryRoot;

constexpr std::string_view kTestKey = "Software\\Tobrel Test\\\xE3\x82\xAB\xE3\x83\xBC\xE3\x83\x89";

struct QueryCase {
    const char* name;
    std::uint32_t type;
    std::string stored;
    std::size_t bufferSize;
    bool found;
    std::string expected; // the whole buffer afterwards (filled with '#' before)
};

class AdvapiQuery : public ::testing::TestWithParam<QueryCase> {};

TEST_P(AdvapiQuery, FollowsTheSeamsContract) {
    const auto& c = GetParam();
    auto& registry = platform::systemRegistry();
    const auto key = registry.createKey(RegistryRoot::CurrentUser, kTestKey);
    ASSERT_TRUE(key);
    const auto* data = reinterpret_cast<const std::uint8_t*>(c.stored.data());
    ASSERT_TRUE(registry.setValue(*key, c.name, c.type, {data, c.stored.size()}));
    std::vector<std::uint8_t> buffer(c.bufferSize, '#');
    std::size_t delivered = 0;
    EXPECT_EQ(registry.queryValue(*key, c.name, buffer, &delivered), c.found);
    EXPECT_EQ(std::string(buffer.begin(), buffer.end()), c.expected);
    registry.closeKey(*key);
}

const std::string kPath = "C:\\\x83J\x81[\x83h\\\xB6\xB0\xC4\xDE.mcd"; // code page 932

INSTANTIATE_TEST_SUITE_P(
    Values, AdvapiQuery,
    ::testing::Values(QueryCase{"PathWithTerminator", REG_SZ, kPath + '\0', 30, true,
                                kPath + '\0' + std::string(30 - kPath.size() - 1, '#')},
                      QueryCase{"UncountedTerminatorIsStoredToo", REG_SZ, "abc", 6, true,
                                std::string("abc\0##", 6)},
                      QueryCase{"OneByteShortLeavesBufferAlone", REG_SZ, kPath + '\0', kPath.size(),
                                false, std::string(kPath.size(), '#')},
                      QueryCase{"BinaryIsNotExtended", REG_BINARY, std::string("\x01\x00\xFF", 3),
                                5, true, std::string("\x01\x00\xFF##", 5)},
                      QueryCase{"BinaryOf1480Bytes", REG_BINARY, std::string(1480, '\x5C'), 1480,
                                true, std::string(1480, '\x5C')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AdvapiRegistry, MissingKeyAndValueAreNotFound) {
    auto& registry = platform::systemRegistry();
    EXPECT_FALSE(registry.openKey(RegistryRoot::CurrentUser, "Software\\Tobrel Test\\Missing"));
    const auto key = registry.createKey(RegistryRoot::CurrentUser, kTestKey);
    ASSERT_TRUE(key);
    std::array<std::uint8_t, 4> buffer{};
    EXPECT_FALSE(registry.queryValue(*key, "NoSuchValue", buffer));
    registry.closeKey(*key);
}

TEST(WindowsFiles, ReadOnlyAttributeRefusesReplacementAndKeepsTheFile) {
    testing::TempDir dir;
    const std::string path = dir.file("\xE8\xA1\xA8.INI"); // 表.INI
    testing::writeBytes(path, "old");
    ASSERT_TRUE(SetFileAttributesW(platform::toFsPath(path).c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(platform::replaceFileAtomically(path, "new"));
    SetFileAttributesW(platform::toFsPath(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(testing::readBytes(path), "old");
    EXPECT_EQ(testing::listFolder(dir.path()).size(), 1u); // no temporary file left
}

TEST(WindowsFiles, ExecutablePathNamesThisProgram) {
    const std::string path = platform::executablePath();
    EXPECT_TRUE(path.ends_with("windows_platform_test.exe")) << path;
    EXPECT_EQ(path.find('\\'), std::string::npos) << path;
    EXPECT_TRUE(platform::regularFileExists(path));
}

} // namespace
} // namespace tobrel
