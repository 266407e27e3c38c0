// tobrel-cli controller: printing the mapping and setting one row.

#include "emulator/controller_mapping.h"
#include "emulator/modCard_Key.h"
#include "platform/wine/store.h"
#include "tests/support/cli_run.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <map>

namespace tobrel::testing {
namespace {

std::string registryEnv(const std::string& file) {
    return "TOBREL_REGISTRY=" + shellQuote(file);
}

// The 28 lines of a mapping whose rows are all "EMPTY" except those given.
std::string mappingLines(const std::map<std::pair<int, int>, std::string>& set) {
    std::string text;
    for (int controller = 1; controller <= 2; ++controller) {
        for (int row = 0; row < 14; ++row) {
            const auto found = set.find({controller, row});
            text += std::to_string(controller) + "\t" + std::to_string(row) + "\t" +
                    (found == set.end() ? "EMPTY\tEMPTY" : found->second) + "\n";
        }
    }
    return text;
}

TEST(CliController, PrintsAndSetsRowsByTheSelectorsNames) {
    TempDir dir;
    const std::string env = registryEnv(dir.file("user.reg"));
    auto empty = runCli({"controller"}, env);
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, mappingLines({}));
    EXPECT_FALSE(std::filesystem::exists(dir.file("user.reg")));

    auto start = runCli({"controller", "set", "2", "13", "ID16", "ﾎﾞﾀﾝ12"}, env);
    EXPECT_EQ(start.status, 0) << start.out;
    EXPECT_EQ(start.out, "2\t13\tID16\tﾎﾞﾀﾝ12\n");
    EXPECT_EQ(runCli({"controller", "set", "1", "2", "ID1", "ｺﾝﾄﾛｰﾗ X軸"}, env).status, 0);
    EXPECT_EQ(runCli({"controller", "set", "1", "9", "EMPTY", "PAGE DOWN"}, env).status, 0);
    EXPECT_EQ(runCli({"controller"}, env).out, mappingLines({{{2, 13}, "ID16\tﾎﾞﾀﾝ12"},
                                                             {{1, 2}, "ID1\tｺﾝﾄﾛｰﾗ X軸"},
                                                             {{1, 9}, "EMPTY\tPAGE DOWN"}}));

    // Both values are whole records; START of controller 2 is entry 13.
    platform::WineRegistryStore store(
        platform::RegistryLocation{platform::RegistryStoreKind::OwnFile, dir.file("user.reg"), {}});
    std::vector<std::uint8_t> second(emulator::kControllerRecordSize);
    ASSERT_TRUE(emulator::readRegBinary(store, emulator::kCurrentUser,
                                        emulator::kControllersKeyPath, "Bank 01 Slot 00", second));
    EXPECT_EQ(second[700], 0x74);
    EXPECT_EQ(second[740], 59);
}

TEST(CliController, NamesOutsideTheRowsListsAreBadUsage) {
    TempDir dir;
    const std::string env = registryEnv(dir.file("user.reg"));
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"controller", "set", "1", "0", "ID1", "ｺﾝﾄﾛｰﾗ X軸"}, // the up row has the Y axis
             {"controller", "set", "1", "4", "ID1", "ｺﾝﾄﾛｰﾗ Y軸"},
             {"controller", "set", "1", "2", "ID1", "ﾎﾞﾀﾝ01"},
             {"controller", "set", "1", "4", "ID17", "A"},
             {"controller", "set", "1", "4", "ID1", "ｷｰ"}}) {
        auto result = runCli(args, env);
        EXPECT_EQ(result.status, 2) << args[5];
        EXPECT_NE(result.out.find("usage:"), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("user.reg")));
}

// Only the named controller's value is read and written; one that cannot be
// read as a 1,480-byte record, or cannot be written, fails and stays as it was.
TEST(CliController, RefusalsExitOneAndWriteNothing) {
    TempDir dir;
    const std::string env = registryEnv(dir.file("user.reg"));
    platform::WineRegistryStore store(
        platform::RegistryLocation{platform::RegistryStoreKind::OwnFile, dir.file("user.reg"), {}});
    ASSERT_TRUE(emulator::writeRegBinary(store, emulator::kCurrentUser,
                                         emulator::kControllersKeyPath, "Bank 00 Slot 00",
                                         std::vector<std::uint8_t>(100, 0x41)));
    const std::string before = readBytes(dir.file("user.reg"));
    auto shortValue = runCli({"controller", "set", "1", "4", "ID1", "A"}, env);
    EXPECT_EQ(shortValue.status, 1);
    EXPECT_NE(shortValue.out.find("\"Bank 00 Slot 00\" is 100 bytes"), std::string::npos)
        << shortValue.out;
    EXPECT_EQ(readBytes(dir.file("user.reg")), before);

    writeBytes(dir.file("user.reg"), "REGEDIT4\n");
    auto refused = runCli({"controller", "set", "2", "4", "ID1", "A"}, env);
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.out.find("\"Bank 01 Slot 00\" not written"), std::string::npos)
        << refused.out;
    EXPECT_EQ(refused.out.find("Bank 00"), std::string::npos);
    EXPECT_EQ(readBytes(dir.file("user.reg")), "REGEDIT4\n");
}

// Names as an input method types them, in any letter case; the bash
// completion offers exactly the names of the row's lists.
TEST(CliController, TypedNamesAndTheCompletionsNames) {
    TempDir dir;
    const std::string env = registryEnv(dir.file("user.reg"));
    auto typed = runCli({"controller", "set", "2", "13", "ｉｄ１６", "ボタン１２"}, env);
    EXPECT_EQ(typed.status, 0) << typed.out;
    EXPECT_EQ(typed.out, "2\t13\tID16\tﾎﾞﾀﾝ12\n");

    auto completion = [](const std::string& words, int cword) {
        const std::string script = "source " + shellQuote(TOBREL_COMPLETION_PATH) +
                                   "; COMP_WORDS=(" + words +
                                   " ''); COMP_CWORD=" + std::to_string(cword) +
                                   "; _tobrel_cli; printf '%s\\n' \"${COMPREPLY[@]}\"";
        std::string out;
        if (FILE* pipe = popen(("bash -c " + shellQuote(script)).c_str(), "r")) {
            std::array<char, 4096> buffer{};
            for (std::size_t n; (n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) {
                out.append(buffer.data(), n);
            }
            pclose(pipe);
        }
        return out;
    };
    std::string ids;
    for (int item = 0; item < emulator::kIdTableSize; ++item) {
        ids += std::string(emulator::idEntry(item + 1).name) + "\n";
    }
    EXPECT_EQ(completion("tobrel-cli controller set 1 0", 5), ids);
    for (int row : {0, 2, 4, 13}) {
        std::string keys;
        for (int item = 0; item < emulator::keyItemCount(row); ++item) {
            keys += std::string(emulator::keyItemName(row, item)) + "\n";
        }
        EXPECT_EQ(completion("tobrel-cli controller set 1 " + std::to_string(row) + " ID1", 6),
                  keys)
            << row;
    }
}

TEST(CliController, BadUsageExitsTwo) {
    TempDir dir;
    const std::string env = registryEnv(dir.file("user.reg"));
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"controller", "bogus"},
                                               {"controller", "set"},
                                               {"controller", "set", "1", "0", "ID1"},
                                               {"controller", "set", "1", "0", "ID1", "A", "B"},
                                               {"controller", "set", "0", "0", "ID1", "A"},
                                               {"controller", "set", "3", "0", "ID1", "A"},
                                               {"controller", "set", "1", "14", "ID1", "A"},
                                               {"controller", "set", "1", "-1", "ID1", "A"},
                                               {"controller", "set", "1", "x", "ID1", "A"},
                                               {"controller", "set", "01", "0", "ID1", "A"}}) {
        auto result = runCli(args, env);
        EXPECT_EQ(result.status, 2) << ::testing::PrintToString(args);
        EXPECT_NE(result.out.find("usage:"), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("user.reg")));
}

} // namespace
} // namespace tobrel::testing
