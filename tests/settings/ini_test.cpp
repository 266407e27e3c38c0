#include "platform/files.h"
#include "settings/ini.h"
#include "settings/keys.h"
#include "tests/support/settings_file.h"
#include "tests/support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace tobrel::settings {
namespace {

using tobrel::testing::listFolder;
using tobrel::testing::readBytes;
using tobrel::testing::TempDir;
using tobrel::testing::writeBytes;

struct IniPathCase {
    std::string executable;
    std::string expected;
};

void PrintTo(const IniPathCase& c, std::ostream* out) {
    *out << '"' << c.executable << '"';
}

class ComputeIniPath : public ::testing::TestWithParam<IniPathCase> {};

TEST_P(ComputeIniPath, UpperCasesOnlyTheBaseName) {
    EXPECT_EQ(computeIniPath(GetParam().executable), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rule, ComputeIniPath,
    ::testing::Values(IniPathCase{"/opt/x/tobrel", "/opt/x/TOBREL.INI"},
                      IniPathCase{"/Opt/Mixed/Tobrel.exe", "/Opt/Mixed/TOBREL.INI"},
                      IniPathCase{"/a/tobrel.bin.exe", "/a/TOBREL.BIN.INI"},
                      IniPathCase{"/a.d/tobrel", "/a.d/TOBREL.INI"},
                      IniPathCase{"/a/.tobrel", "/a/.TOBREL.INI"},
                      IniPathCase{"/home/ユーザー/ﾂｰﾙ/tobrel", "/home/ユーザー/ﾂｰﾙ/TOBREL.INI"},
                      IniPathCase{"C:\\Tools\\Tobrel.exe", "C:\\Tools\\TOBREL.INI"},
                      IniPathCase{"/opt/a\\b/to\\brel", "/opt/a\\b/TO\\BREL.INI"},
                      IniPathCase{"tobrel", "TOBREL.INI"}, IniPathCase{"/opt/x/", ""},
                      IniPathCase{"", ""}));

// Each test works on its own settings file, as the load step would set it.
class IniFile : public tobrel::testing::SettingsFileTest {
protected:
    void SetUp() override {
        previous_ = iniPath();
        setIniPath(path);
    }
    void TearDown() override { setIniPath(previous_); }

private:
    std::string previous_;
};

TEST_F(IniFile, MissingEmptyAndErrorAllReadAsEmpty) {
    EXPECT_EQ(readIni("FORM", "LASTDIR"), "");
    writeBytes(path, "[FORM]\r\nEMPTY=\r\nWORD=Error\r\nQUOTED=\" Error\"\r\nPADDED= Error \r\n"
                     "LOWER=error\r\nQUOTEDEXACT='Error'\r\n");
    EXPECT_EQ(readIni("FORM", "EMPTY"), "");
    EXPECT_EQ(readIni("FORM", "WORD"), "");
    EXPECT_EQ(readIni("FORM", "PADDED"), "");
    EXPECT_EQ(readIni("FORM", "QUOTEDEXACT"), "");
    EXPECT_EQ(readIni("FORM", "QUOTED"), " Error");
    EXPECT_EQ(readIni("FORM", "LOWER"), "error");
    EXPECT_EQ(readIni("OTHER", "WORD"), "");
}

TEST_F(IniFile, ShiftJisValuesDecodeIncludingBackslashTrailBytes) {
    // ソ is 83 5C and 表 is 95 5C: their trail byte is a backslash.
    writeBytes(path, "[FORM]\r\nLASTDIR=C:\\\x83\x5C\x83\x74\x83\x67\\\x95\x5C\\\r\n"
                     "KANA=\xC3\xDD\r\n");
    EXPECT_EQ(readIni("FORM", "LASTDIR"), "C:\\ソフト\\表\\");
    EXPECT_EQ(readIni("form", "kana"), "ﾃﾝ");
}

TEST_F(IniFile, ValueLongerThan249BytesArrivesCut) {
    writeBytes(path, "[FORM]\r\nLONG=" + std::string(300, 'p') +
                         "\r\nHALF=" + std::string(248, 'a') + "\x83\x5C" + "tail\r\n");
    EXPECT_EQ(readIni("FORM", "LONG"), std::string(249, 'p'));
    // The cut leaves ソ's lead byte alone: it decodes as a replacement character.
    EXPECT_EQ(readIni("FORM", "HALF"), std::string(248, 'a') + "\xEF\xBF\xBD");
}

TEST_F(IniFile, WriteStoresCodePage932AndReadsBack) {
    ASSERT_TRUE(writeIni("FORM", "LASTDIR", "C:\\ソフト\\表"));
    EXPECT_EQ(readBytes(path), "[FORM]\r\nLASTDIR=C:\\\x83\x5C\x83\x74\x83\x67\\\x95\x5C\r\n");
    EXPECT_EQ(readIni("FORM", "LASTDIR"), "C:\\ソフト\\表");
}

TEST_F(IniFile, UnencodableTextAndLineBreaksAreStoredAsQuestionMarks) {
    ASSERT_TRUE(writeIni("FORM", "CODEPATH", "/home/😀/list.inf"));
    ASSERT_TRUE(writeIni("FORM", "LAUNCHPATH0", "/tmp/a\nPOSTOP=1\r\nb"));
    ASSERT_TRUE(writeIni("FORM", "LASTDIR", "/cards/wave\u301C"));
    EXPECT_EQ(readBytes(path), "[FORM]\r\nCODEPATH=/home/?/list.inf\r\n"
                               "LAUNCHPATH0=/tmp/a?POSTOP=1??b\r\nLASTDIR=/cards/wave?\r\n");
    EXPECT_EQ(readIni("FORM", "POSTOP"), "");
}

TEST_F(IniFile, EmptyValueIsWrittenNeverDeleted) {
    writeBytes(path, "[FORM]\r\nCODEPATH=C:\\LIST.INF\r\n");
    ASSERT_TRUE(writeIni("FORM", "CODEPATH", ""));
    EXPECT_EQ(readBytes(path), "[FORM]\r\nCODEPATH=\r\n");
}

TEST_F(IniFile, FailedWritesAreReportedOnlyToTests) {
    setIniPath(dir.file("missing/TOBREL.INI"));
    EXPECT_FALSE(writeIni("FORM", "WAKU", "0"));
    EXPECT_EQ(readIni("FORM", "WAKU"), "");
    setIniPath("");
    EXPECT_FALSE(writeIni("FORM", "WAKU", "0"));
    EXPECT_EQ(readIni("FORM", "WAKU"), "");
    EXPECT_TRUE(listFolder(dir.path()).empty());
}

TEST_F(IniFile, ConfigFolderIsCreatedPrivateOnFirstWriteOfEitherKind) {
    for (bool batched : {false, true}) {
        const std::string folder = dir.file(batched ? "b/config/tobrel" : "s/config/tobrel");
        setIniPath(folder + "/TOBREL.INI", true);
        if (batched) {
            IniWriteBatch batch;
            batch.write("FORM", "WAKU", "1");
            EXPECT_TRUE(batch.commit());
        } else {
            EXPECT_TRUE(writeIni("FORM", "WAKU", "1"));
        }
        EXPECT_EQ(readIni("FORM", "WAKU"), "1");
        EXPECT_EQ(std::filesystem::status(folder).permissions(), std::filesystem::perms::owner_all);
    }
}

TEST_F(IniFile, ReadOnlyFolderKeepsTheOldSettings) {
    TOBREL_SKIP_WITHOUT_ENFORCED_PERMISSIONS();
    writeBytes(path, "[FORM]\r\nWAKU=1\r\n");
    std::filesystem::permissions(dir.path(), std::filesystem::perms(0555));
    EXPECT_FALSE(writeIni("FORM", "WAKU", "2"));
    IniWriteBatch batch;
    batch.write("FORM", "WAKU", "2");
    EXPECT_FALSE(batch.commit());
    EXPECT_EQ(readIni("FORM", "WAKU"), "1");
}

// A settings file that is no readable file: reads give nothing, writes fail
// without touching anything, except a link to a missing file in an existing
// folder, which is written where it points.
TEST_F(IniFile, OddSettingsFilesReadEmptyAndKeepWhatIsThere) {
    namespace fs = std::filesystem;
    const struct {
        const char* name;
        void (*make)(const TempDir&, const fs::path&);
        bool written;
    } cases[] = {
        {"folder", [](const TempDir&, const fs::path& at) { fs::create_directory(at); }, false},
        {"link into a missing folder",
         [](const TempDir&, const fs::path& at) { fs::create_symlink("gone/TOBREL.INI", at); },
         false},
        {"link to a missing file",
         [](const TempDir& d, const fs::path& at) {
             fs::create_directory(d.path() / "real");
             fs::create_symlink("real/TOBREL.INI", at);
         },
         true},
        {"link to itself", [](const TempDir&, const fs::path& at) { fs::create_symlink(at, at); },
         false},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.name);
        TempDir own;
        const fs::path at = own.path() / "TOBREL.INI";
        item.make(own, at);
        setIniPath(at.string());
        EXPECT_EQ(readIni("FORM", "WAKU"), "");
        EXPECT_EQ(writeIni("FORM", "WAKU", "1"), item.written);
        IniWriteBatch batch;
        batch.write("FORM", "POSTOP", "2");
        EXPECT_EQ(batch.commit(), item.written);
        EXPECT_EQ(fs::is_symlink(fs::symlink_status(at)),
                  !fs::is_directory(fs::symlink_status(at)));
        if (item.written) {
            EXPECT_EQ(readBytes(own.file("real/TOBREL.INI")), "[FORM]\r\nWAKU=1\r\nPOSTOP=2\r\n");
        } else {
            EXPECT_EQ(readIni("FORM", "WAKU"), "");
            EXPECT_EQ(listFolder(own.path()), std::vector<std::string>{"TOBREL.INI"});
        }
        if (fs::is_directory(fs::symlink_status(at))) {
            EXPECT_TRUE(fs::is_empty(at));
        }
    }
}

// The unload step's writes of one run with a conversion direction selected.
std::vector<std::pair<std::string_view, std::string>> unloadWrites() {
    std::vector<std::pair<std::string_view, std::string>> writes = {
        {kKeyLastDir, "C:\\EMU\\CARDS"},
        {kKeyPosTop, formatIniNumber(600.0F)},
        {kKeyPosLeft, formatIniNumber(900.0F)},
        {kKeyConvType, "2"},
        {kKeyLastTab, "0"},
        {kKeyCtrlTab, "0"},
    };
    for (int slot = 0; slot < 6; ++slot) {
        writes.emplace_back(kKeyLaunchPath[slot], slot == 0 ? "C:\\EMU\\VGS\\VGS.EXE" : "");
    }
    writes.emplace_back(kKeyIconPath, "");
    writes.emplace_back(kKeyCodePath, "");
    writes.emplace_back(kKeyWaku, std::to_string(wakuFromText("")));
    return writes;
}

const std::string kExampleFile = "[FORM]\r\n"
                                 "LASTDIR=C:\\EMU\\CARDS\r\n"
                                 "POSTOP=600\r\n"
                                 "POSLEFT=900\r\n"
                                 "CONVTYPE=2\r\n"
                                 "LASTTAB=0\r\n"
                                 "CTRLTAB=0\r\n"
                                 "LAUNCHPATH0=C:\\EMU\\VGS\\VGS.EXE\r\n"
                                 "LAUNCHPATH1=\r\n"
                                 "LAUNCHPATH2=\r\n"
                                 "LAUNCHPATH3=\r\n"
                                 "LAUNCHPATH4=\r\n"
                                 "LAUNCHPATH5=\r\n"
                                 "ICONPATH=\r\n"
                                 "CODEPATH=\r\n"
                                 "WAKU=0\r\n";

TEST_F(IniFile, FirstExitWritesTheExampleFileInOrder) {
    IniWriteBatch batch;
    for (const auto& [key, value] : unloadWrites()) {
        ASSERT_TRUE(batch.write(kSectionForm, key, value));
    }
    ASSERT_TRUE(batch.commit());
    EXPECT_EQ(readBytes(path), kExampleFile);

    const std::string single = dir.file("SINGLE.INI");
    setIniPath(single);
    for (const auto& [key, value] : unloadWrites()) {
        ASSERT_TRUE(writeIni(kSectionForm, key, value));
    }
    EXPECT_EQ(readBytes(single), kExampleFile);
}

TEST_F(IniFile, EditedFileSurvivesARunWithUntouchedLinesIdentical) {
    writeBytes(path, "; edited by hand\r\n"
                     "[Emulator]\r\n"
                     "lastdir=not ours\r\n"
                     "\r\n"
                     "[form]\r\n"
                     "LastDir = C:\\OLD  \r\n"
                     "waku=2\n"
                     "NOTE=kept\r\n"
                     "; keep this comment\r\n"
                     "Posleft = 900\r\n"
                     "\r\n"
                     "[Trailer]\r\n"
                     "x=1");
    // Load: what the load step reads.
    EXPECT_EQ(readIni(kSectionForm, kKeyLastDir), "C:\\OLD");
    EXPECT_EQ(wakuFromText(readIni(kSectionForm, kKeyWaku)), 2);
    EXPECT_EQ(parseIniInteger(readIni(kSectionForm, kKeyPosLeft)), 900);
    EXPECT_EQ(parseIniInteger(readIni(kSectionForm, kKeyPosTop)), std::nullopt);

    IniWriteBatch batch;
    for (const auto& [key, value] : unloadWrites()) {
        batch.write(kSectionForm, key, key == kKeyWaku ? "2" : value);
    }
    ASSERT_TRUE(batch.commit());
    EXPECT_EQ(readBytes(path), "; edited by hand\r\n"
                               "[Emulator]\r\n"
                               "lastdir=not ours\r\n"
                               "\r\n"
                               "[form]\r\n"
                               "LastDir=C:\\EMU\\CARDS\r\n"
                               "waku=2\n"
                               "NOTE=kept\r\n"
                               "; keep this comment\r\n"
                               "Posleft = 900\r\n"
                               "POSTOP=600\r\n"
                               "CONVTYPE=2\r\n"
                               "LASTTAB=0\r\n"
                               "CTRLTAB=0\r\n"
                               "LAUNCHPATH0=C:\\EMU\\VGS\\VGS.EXE\r\n"
                               "LAUNCHPATH1=\r\n"
                               "LAUNCHPATH2=\r\n"
                               "LAUNCHPATH3=\r\n"
                               "LAUNCHPATH4=\r\n"
                               "LAUNCHPATH5=\r\n"
                               "ICONPATH=\r\n"
                               "CODEPATH=\r\n"
                               "\r\n"
                               "[Trailer]\r\n"
                               "x=1");
}

} // namespace
} // namespace tobrel::settings
