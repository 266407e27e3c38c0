// Our profile reader and writer against Windows' own GetPrivateProfileStringA
// and WritePrivateProfileStringA, over a corpus of hand-written and generated
// files. Runs in the Windows build only (under Wine on Linux).

#include "platform/files.h"
#include "platform/profile_file.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <random>
#include <windows.h>

namespace tobrel {
namespace {

constexpr std::size_t kBufferSize = 250; // the settings reader's buffer
constexpr const char* kDefault = "<default>";

// Windows' answer, with the same buffer size.
std::string windowsRead(const std::string& path, const std::string& section,
                        const std::string& key) {
    char buffer[kBufferSize];
    const DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), kDefault, buffer,
                                                  kBufferSize, path.c_str());
    return std::string(buffer, length);
}

bool isLeadByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::string ourRead(const std::string& path, const std::string& section, const std::string& key) {
    return platform::readProfileString(path, section, key, kDefault, kBufferSize);
}

// Names the files use and the questions asked of every file: exact, other
// case, blanks around, code page 932 names with 0x5C trail bytes, and missing.
const std::vector<std::string> kSections = {
    "FORM", "form", "Spaced Section", "\x95\x5C", "\x83\x5C\x83t\x83g", "Missing"};
const std::vector<std::string> kKeys = {"KEY", "key",    "LASTDIR", "first", "\x95\x5C",
                                        "dup", "quoted", "long",    "cut",   "Missing"};

struct Case {
    const char* name;
    std::string content;
};

std::string repeat(char c, std::size_t n) {
    return std::string(n, c);
}

std::vector<Case> handWritten() {
    return {
        {"Plain", "[FORM]\r\nKEY=value\r\nLASTDIR=C:\\GAME\r\n"},
        {"LfOnly", "[FORM]\nKEY=value\nfirst = 1 \n"},
        {"NoFinalLineEnd", "[FORM]\r\nKEY=last"},
        {"EmptyValue", "[FORM]\r\nKEY=\r\nfirst=\"\"\r\n"},
        {"OddSpacingAndCase", "  [ form ]  \r\n\t key \t=\t spaced value \t\r\nFIRST=x\r\n"},
        {"SpacedSection", "[ Spaced Section ]\r\nkey=1\r\n"},
        {"DuplicateKeys", "[FORM]\r\ndup=first\r\nDUP=second\r\n"},
        {"DuplicateSections",
         "[FORM]\r\nKEY=one\r\n[Other]\r\nx=1\r\n[FORM]\r\nKEY=two\r\nfirst=f\r\n"},
        {"Quotes",
         "[FORM]\r\nquoted=\"  inner  \"\r\nKEY=  'q'  \r\nfirst=\"open\r\ndup=\"mixed'\r\n"
         "LASTDIR=a\"b\"c\r\n"},
        {"Comments", "[FORM]\r\n;KEY=hidden\r\nKEY=shown;not a comment\r\n  ;first=x\r\n"},
        {"LineWithoutEquals", "[FORM]\r\nKEY\r\nfirst=1\r\n"},
        {"BareNameBeforeTheKey", "[FORM]\r\n key \r\nKEY=v\r\n"},
        {"Cp932Trail5C", "[\x95\x5C]\r\n\x95\x5C=\x83\x5C\x83t\x83g\\\r\nKEY=\x95\x5C\\\r\n"},
        {"Cp932SectionName", "[\x83\x5C\x83t\x83g]\r\nKEY=\x83J\x81[\x83h\r\n"},
        {"LoneCrLines", "[FORM]\rKEY=cr only\rfirst=1\r\n[Other]\r\nKEY=2\r\n"},
        {"CrInsideLine", "[FORM]\r\nKEY=a\rb\r\nfirst=1\r\n"},
        {"Exactly249", "[FORM]\r\nlong=" + repeat('a', 249) + "\r\n"},
        {"Exactly250", "[FORM]\r\nlong=" + repeat('b', 250) + "\r\n"},
        {"Over300", "[FORM]\r\nlong=" + repeat('c', 300) + "\r\n"},
        {"DoubleByteAtTheCut", "[FORM]\r\ncut=" + repeat('d', 248) + "\x95\x5C" + "tail\r\n"},
        {"LongLineBeforeKey", "[FORM]\r\n" + repeat('x', 5000) + "\r\nKEY=after\r\n"},
        {"SectionWithoutClose", "[FORM\r\nKEY=1\r\n[FORM]\r\nKEY=2\r\n"},
        {"KeyBeforeAnySection", "KEY=none\r\n[FORM]\r\nfirst=1\r\n"},
        {"Empty", ""},
        {"BlankLines", "\r\n\r\n[FORM]\r\n\r\nKEY=1\r\n\r\n"},
        {"TabsAndVerticalSpace", "[FORM]\r\n\x0bKEY\x0c=\x0bv\x0c\r\n"},
        {"EqualsInValue", "[FORM]\r\nKEY=a=b=c\r\nfirst==x\r\n"},
        {"EmptyKeyName", "[FORM]\r\n=nameless\r\nKEY=1\r\n"},
    };
}

// Files made of random lines from a pool of fragments, the same every run.
std::vector<Case> generated(int count) {
    const std::vector<std::string> headers = {
        "[FORM]", "[form]", " [ FORM ] ", "[Other]", "[\x95\x5C]", "[Spaced Section]", "[FORM"};
    const std::vector<std::string> keys = {"KEY", "key", " Key ",  "first", "\x95\x5C",
                                           "dup", "DUP", "quoted", "long",  "cut"};
    const std::vector<std::string> values = {
        "",       "v",   "  padded  ", "\"q\"",           "'s'",
        "\"open", "a;b", "\x83\x5C\\", "C:\\GAME\\A.MEM", repeat('z', 260)};
    const std::vector<std::string> endings = {"\r\n", "\n", "\r"};
    std::mt19937 random(20261207);
    auto pick = [&random](const auto& pool) { return pool[random() % pool.size()]; };
    std::vector<Case> cases;
    for (int i = 0; i < count; ++i) {
        std::string content;
        const int lines = 1 + static_cast<int>(random() % 12);
        for (int line = 0; line < lines; ++line) {
            switch (random() % 6) {
            case 0:
                content += pick(headers);
                break;
            case 1:
                content += ";" + pick(keys) + "=" + pick(values);
                break;
            default:
                content += pick(keys) + "=" + pick(values);
            }
            content += line + 1 == lines && random() % 3 == 0 ? std::string() : pick(endings);
        }
        cases.push_back({"Generated", content});
    }
    return cases;
}

std::vector<Case> corpus() {
    auto cases = handWritten();
    auto more = generated(100);
    cases.insert(cases.end(), more.begin(), more.end());
    return cases;
}

// Windows keeps profile files it has read in memory, keyed by name: every
// file gets a name of its own so that no answer comes from an older file.
std::string freshFile(const testing::TempDir& dir, const std::string& content) {
    static int counter = 0;
    const std::string path = dir.file("case" + std::to_string(++counter) + ".ini");
    testing::writeBytes(path, content);
    return path;
}

std::string describe(const Case& c, std::size_t index) {
    std::string shown;
    for (unsigned char ch : c.content) {
        if (ch == '\r') {
            shown += "\\r";
        } else if (ch == '\n') {
            shown += "\\n";
        } else {
            shown += static_cast<char>(ch);
        }
    }
    return std::string(c.name) + " #" + std::to_string(index) + ": " + shown.substr(0, 300);
}

TEST(ProfileAgainstWindows, EveryValueReadsAsGetPrivateProfileStringAReadsIt) {
    testing::TempDir dir;
    const auto cases = corpus();
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::string path = freshFile(dir, cases[i].content);
        for (const auto& section : kSections) {
            for (const auto& key : kKeys) {
                std::string ours = ourRead(path, section, key);
                std::string theirs = windowsRead(path, section, key);
                if (ours.size() == kBufferSize - 1 && theirs.size() == ours.size() &&
                    isLeadByte(ours.back())) {
                    // A double-byte character cut at the buffer's end: Windows
                    // leaves a byte that is not in the file; we keep the file's
                    // lead byte. Everything before it must agree.
                    ours.pop_back();
                    theirs.pop_back();
                }
                EXPECT_EQ(ours, theirs)
                    << describe(cases[i], i) << "\n  [" << section << "] " << key;
            }
        }
    }
}

TEST(ProfileAgainstWindows, WritesReadBackAsWritePrivateProfileStringALeavesThem) {
    struct Write {
        std::string section, key, value;
    };
    const std::vector<Write> writes = {
        {"FORM", "KEY", "new"},
        {"form", "FIRST", "one"},
        {"FORM", "LASTDIR", "C:\\\x95\x5C\\"},
        {"Missing", "KEY", "added"},
        {"FORM", "quoted", "  padded  "},
        {"\x95\x5C", "\x95\x5C", "\x83\x5C"},
        {"FORM", "long", repeat('w', 300)},
        {"FORM", "dup", ""},
    };
    testing::TempDir dir;
    const auto cases = corpus();
    for (std::size_t i = 0; i < cases.size(); ++i) {
        for (const auto& write : writes) {
            const std::string theirs = freshFile(dir, cases[i].content);
            const std::string ours = freshFile(dir, cases[i].content);
            ASSERT_TRUE(WritePrivateProfileStringA(write.section.c_str(), write.key.c_str(),
                                                   write.value.c_str(), theirs.c_str()));
            ASSERT_TRUE(platform::writeProfileString(ours, write.section, write.key, write.value));
            for (const auto& section : kSections) {
                for (const auto& key : kKeys) {
                    EXPECT_EQ(windowsRead(ours, section, key), windowsRead(theirs, section, key))
                        << describe(cases[i], i) << "\n  after [" << write.section << "] "
                        << write.key << "=" << write.value << "\n  read [" << section << "] "
                        << key;
                }
            }
        }
    }
}

} // namespace
} // namespace tobrel
