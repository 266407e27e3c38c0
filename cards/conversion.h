#pragma once
// The conversion job: one source card image file in, one new file beside it out.

#include "cards/card_container.h"

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace tobrel::platform {
class InputFile;
class NewOutputFile;
} // namespace tobrel::platform

namespace tobrel::cards {

enum class ConvKind {
    StripVgsHeader = 0, // the source without its first 64 bytes
    AddVgsHeader = 1,   // vgsHeader followed by the whole source
    CopyBody = 2,       // the whole source, unchanged
};

// One of the six conversion directions, in the order of the panel's buttons.
struct Direction {
    std::string_view caption;         // as the log shows it, e.g. "VGS→bleem!"
    std::string_view sourceFilter;    // file list pattern of the source layout
    std::string_view targetExtension; // always in capitals
    ConvKind kind;
    std::string_view noSelectionMessage; // shown when nothing is selected
    std::string_view cliName;            // the command-line companion's name
};

inline constexpr std::string_view kVgsNoSelection =
    "VGSﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(131,136ﾊﾞｲﾄ)を指定して下さい。";
inline constexpr std::string_view kBleemNoSelection =
    "bleem!ﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(131,072ﾊﾞｲﾄ)を指定して下さい。";
inline constexpr std::string_view kPsEmuNoSelection =
    "PSEmuProﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(131,072ﾊﾞｲﾄ)を指定して下さい。";

inline constexpr std::array<Direction, 6> directions = {{
    {"VGS→bleem!", "*.MEM", "MCD", ConvKind::StripVgsHeader, kVgsNoSelection, "vgs-bleem"},
    {"VGS→PSEmuPro,ePSXe", "*.MEM", "MCR", ConvKind::StripVgsHeader, kVgsNoSelection, "vgs-psemu"},
    {"bleem!→VGS", "*.MCD", "MEM", ConvKind::AddVgsHeader, kBleemNoSelection, "bleem-vgs"},
    {"bleem!→PSEmuPro,ePSXe", "*.MCD", "MCR", ConvKind::CopyBody, kBleemNoSelection, "bleem-psemu"},
    {"PSEmuPro,ePSXe→VGS", "*.MCR", "MEM", ConvKind::AddVgsHeader, kPsEmuNoSelection, "psemu-vgs"},
    {"PSEmuPro,ePSXe→bleem!", "*.MCR", "MCD", ConvKind::CopyBody, kPsEmuNoSelection, "psemu-bleem"},
}};

// The direction index for a command-line name ("vgs-bleem") or digit ("0"), or -1.
int directionFromName(std::string_view name);

struct ConversionResult {
    bool ok = false;
    std::string outputPath; // the file written, when ok
    std::string error;      // a Japanese reason, when not ok
};

// One conversion job: one press of the Convert button or one convert command.
// Each converted image is written beside its source: the source path with its
// 3-letter extension replaced, or, when that name is taken, NAME_000 to
// NAME_999. Data move in whole 64-byte units; a trailing partial unit is
// dropped. Never overwrites anything; on failure nothing is left behind.
// A folder's names are listed once, when the job first writes there, and kept
// up to date with the job's own outputs; nothing is kept from one job to the
// next, since only a fresh listing tells what a folder holds now.
class ConversionJob {
public:
    ConversionResult convert(const std::string& sourcePath, ConvKind kind,
                             std::string_view extension);
    // Writes the card of the file at sourcePath, in whichever container it
    // is, in the target container. A file that is no card makes no output.
    ConversionResult convertTo(const std::string& sourcePath, CardContainer target,
                               std::string_view extension);

private:
    // Opens the source and creates its output beside it under the job's
    // naming rule; false with result.error set when either cannot be done.
    bool openSourceAndOutput(const std::string& sourcePath, std::string_view extension,
                             platform::InputFile& source, platform::NewOutputFile& output,
                             ConversionResult& result);

    // The names present in each folder written to, in capitals: GAME.mcd takes
    // GAME.MCD too, since emulators under Wine ignore letter case.
    std::map<std::string, std::unordered_set<std::string>> takenNames_;
    std::vector<char> buffer_;
};

// Jobs of one file.
ConversionResult convertCardFile(const std::string& sourcePath, ConvKind kind,
                                 std::string_view extension);
ConversionResult convertCardFileTo(const std::string& sourcePath, CardContainer target,
                                   std::string_view extension);

// The log line for one file: "SOURCE→OUTPUT 変換終了", or "SOURCE: REASON".
std::string conversionLogLine(const std::string& sourcePath, const ConversionResult& result);

// Runs the job over a list of paths in order, calling onLine with each log
// line (and so letting a window repaint). Returns the count of failed files.
template <typename OnLine>
int runConversionJob(const std::vector<std::string>& sources, const Direction& direction,
                     OnLine&& onLine) {
    ConversionJob job;
    int failures = 0;
    for (const auto& source : sources) {
        auto result = job.convert(source, direction.kind, direction.targetExtension);
        if (!result.ok) {
            ++failures;
        }
        onLine(conversionLogLine(source, result));
    }
    return failures;
}

} // namespace tobrel::cards
