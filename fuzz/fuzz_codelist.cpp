// Any bytes as a code list. Property: the output is exactly the input's kept
// lines, in order, each ending CR LF, whether the filter runs block by block
// or line by line (as it does when the window asks to repaint after every
// line).
#include "codelist/codelist.h"
#include "fuzz/fuzz_support.h"

#include <chrono>
#include <string>

using namespace tobrel;

namespace {

bool contains(std::string_view line, std::string_view part) {
    return line.find(part) != std::string_view::npos;
}

// The rule written out plainly: a header ('#' first) opens a Japanese run
// when it holds a Japanese product marker and closes it otherwise; other
// lines are kept inside a run, and outside when they are comments or hold
// ".end". Lines end at CR LF or a lone CR.
std::string expectedOutput(std::string_view text) {
    std::string out;
    bool inside = false;
    while (!text.empty()) {
        const std::size_t cr = text.find('\r');
        const std::string_view line = text.substr(0, cr);
        std::size_t next = cr == std::string_view::npos ? text.size() : cr + 1;
        if (next < text.size() && text[next] == '\n') {
            ++next;
        }
        text.remove_prefix(next);
        bool keep = false;
        if (!line.empty() && line.front() == '#') {
            inside =
                contains(line, "#SLPS-") || contains(line, "#SCPS-") || contains(line, "#SLPM-");
            keep = inside;
        } else {
            keep = inside || (!line.empty() && line.front() == ';') || contains(line, ".end");
        }
        if (keep) {
            out.append(line);
            out.append("\r\n");
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    static const fuzz::ScratchFile scratch("codelist");
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string source = scratch.write("codelist.inf", text);
    const std::string expected = expectedOutput(text);

    const auto blockwise = codelist::extractJapaneseSections(source);
    fuzz::require(blockwise.ok, "a readable list is extracted");
    fuzz::require(scratch.read(codelist::kOutputFileName) == expected,
                  "the output is the kept lines, in order, each ending CR LF");

    int lines = 0;
    const auto linewise = codelist::extractJapaneseSections(
        source, [&lines] { ++lines; }, std::chrono::nanoseconds::zero());
    fuzz::require(linewise.ok, "a readable list is extracted line by line");
    fuzz::require(scratch.read(codelist::kOutputFileName) == expected,
                  "line by line gives the same output");
    return 0;
}
