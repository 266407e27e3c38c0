#pragma once
// Extraction of the Japanese sections of a "[pec]Codelist" cheat code list into
// "codelist_japan.inf" beside it. Works on the raw Shift-JIS bytes: "#", ";",
// ".", CR and LF never occur as the second byte of a double-byte character, so
// nothing is decoded and every written line keeps its bytes exactly.

#include "codelist/byte_scanners.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace tobrel::codelist {

// Name of the output file, always written into the input file's folder.
inline constexpr std::string_view kOutputFileName = "codelist_japan.inf";

// A chosen list whose path the settings file cannot keep as CODEPATH: it holds
// code page 932 text, and the path would come back as another one. The path
// follows on the next line; the box keeps what it held.
inline constexpr std::string_view kPathNotStorableMessage =
    "このパスは指定できません(Shift-JISで表せない文字を含みます)。";

// Input is read in blocks of this size. A line longer than a block is still
// handled whole: the buffer grows to hold it.
inline constexpr std::size_t kReadBlockSize = std::size_t{1} << 20;

// How often, at most, the yield hook runs when the caller does not say.
inline constexpr std::chrono::milliseconds kDefaultYieldInterval{20};

enum class ExtractionFailure {
    None,
    EmptyPath,        // no file was given
    InputUnreadable,  // the code list cannot be opened or read
    InputIsOutput,    // the code list given is "codelist_japan.inf" itself
    OutputUnwritable, // "codelist_japan.inf" cannot be written in that folder
};

struct ExtractionResult {
    bool ok = false;
    // The output file's path; set whenever an input path was given, so that a
    // failure message can name it too.
    std::string outputPath;
    ExtractionFailure failure = ExtractionFailure::None;
    // A Japanese message for the user saying what went wrong, when not ok.
    std::string error;
};

// Lets the caller's window process pending events during a long extraction.
using YieldHook = std::function<void()>;

// Path of the output for a code list: its folder (the path up to and
// including its last separator; "\" counts only in a drive-letter path, being
// an ordinary name character here) followed by "codelist_japan.inf". A path
// without any separator gives "codelist_japan.inf" alone, in the current
// folder, which is where such a relative input lies as well.
std::string outputPathFor(const std::string& sourcePath);

// Reads the code list at sourcePath and writes the lines of its Japanese
// sections ("#SLPS-", "#SCPS-", "#SLPM-" headers and everything up to the next
// other header), plus its comment lines (";" first) and ".end" lines found
// outside them, to "codelist_japan.inf" in the same folder. Lines end at CR LF
// or at a lone CR; every written line gets CR LF.
//
// The input is opened before anything is written. The output is built in a
// temporary file beside it and renamed into place only when complete, so on
// any failure an existing "codelist_japan.inf" stays exactly as it was and no
// temporary file is left. A code list named "codelist_japan.inf" (in any letter
// case) or being that very file (same device and inode, e.g. through a link)
// is refused and never touched.
//
// yield, when given, runs between lines only, never inside one. The clock is
// read once per input block (kReadBlockSize), not per line, so lines cost
// nothing extra: after the last line that ends in a block, yield runs when at
// least yieldInterval of filtering has passed since the start or since its
// previous run returned. One block takes well under a millisecond to filter,
// so a window that processes its events in yield repaints about every
// yieldInterval. With yieldInterval zero (or negative) yield runs after every
// single line instead. An exception thrown by yield ends the extraction like
// a failure (the old output kept, no temporary file left) and is passed on.
ExtractionResult
extractJapaneseSections(const std::string& sourcePath, const YieldHook& yield = {},
                        std::chrono::nanoseconds yieldInterval = kDefaultYieldInterval);

} // namespace tobrel::codelist
