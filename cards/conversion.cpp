#include "cards/conversion.h"

#include "cards/card_format.h"
#include "platform/files.h"
#include "platform/paths.h"

#include <algorithm>
#include <cstdio>

namespace tobrel::cards {
namespace {

constexpr std::size_t kUnit = 64;
constexpr std::size_t kChunk = 1024 * kUnit; // 64 KiB, a whole number of units

// Byte offset at which the last `count` characters of UTF-8 text begin, or npos
// when the text is shorter.
std::size_t startOfLastCharacters(std::string_view text, std::size_t count) {
    std::size_t pos = text.size();
    while (count > 0) {
        if (pos == 0) {
            return std::string_view::npos;
        }
        --pos;
        while (pos > 0 && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80) {
            --pos;
        }
        --count;
    }
    return pos;
}

std::string asciiUpper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return upper;
}

// Copies the source from `skip` onward in whole units, after the optional prefix.
bool copyUnits(platform::InputFile& source, platform::NewOutputFile& output, std::size_t skip,
               std::vector<char>& buffer, std::string& error) {
    buffer.resize(kChunk);
    std::size_t pending = 0; // bytes read but not yet written (less than one unit after a write)
    std::size_t toSkip = skip;
    for (;;) {
        long long got = source.read(buffer.data() + pending, kChunk - pending);
        if (got < 0) {
            error = "読み込めません: " + platform::describeError(source.errorNumber());
            return false;
        }
        if (got == 0) {
            return true; // whatever is pending is a partial unit and is dropped
        }
        std::size_t available = pending + static_cast<std::size_t>(got);
        std::size_t start = 0;
        if (toSkip > 0) {
            std::size_t dropped = std::min(toSkip, available);
            toSkip -= dropped;
            start = dropped;
        }
        std::size_t whole = (available - start) / kUnit * kUnit;
        if (whole > 0 && !output.write(buffer.data() + start, whole)) {
            error = "書き込めません: " + platform::describeError(output.errorNumber());
            return false;
        }
        pending = available - start - whole;
        if (pending > 0) {
            std::copy(buffer.data() + start + whole, buffer.data() + available, buffer.data());
        }
    }
}

} // namespace

bool ConversionJob::openSourceAndOutput(const std::string& sourcePath, std::string_view extension,
                                        platform::InputFile& source,
                                        platform::NewOutputFile& output, ConversionResult& result) {
    // The name must hold at least four characters after its folder, so that
    // cutting ".EXT" off can never reach into the folder part.
    std::size_t extensionStart = startOfLastCharacters(sourcePath, 3);
    std::size_t stemEnd = startOfLastCharacters(sourcePath, 4);
    // A name of just ".EXT" is sound: it gives ".MCD", then "_000.MCD".
    if (stemEnd == std::string::npos || platform::nameStart(sourcePath) > stemEnd) {
        result.error = "ファイル名に拡張子がありません";
        return false;
    }

    // Open the source first: a source that cannot be read creates no output.
    if (!source.open(sourcePath)) {
        result.error = "開けません: " + platform::describeError(source.errorNumber());
        return false;
    }

    const std::string plainName = sourcePath.substr(0, extensionStart) + std::string(extension);
    const std::string stem = sourcePath.substr(0, stemEnd);
    // Exclusive creation still guards against a file that appears meanwhile.
    const std::size_t folderEnd = sourcePath.find_last_of("/\\") + 1; // 0 without a folder
    const std::string folder = folderEnd == 0 ? std::string(".") : sourcePath.substr(0, folderEnd);
    auto [entry, firstInFolder] = takenNames_.try_emplace(folder);
    std::unordered_set<std::string>& taken = entry->second;
    if (firstInFolder) {
        if (const auto entries = platform::listDirectory(folder)) {
            for (const auto& item : *entries) {
                taken.insert(asciiUpper(item.name));
            }
        }
    }
    bool created = false;
    for (int n = -1; n <= 999 && !created; ++n) {
        std::string candidate = plainName;
        if (n >= 0) {
            char number[8];
            std::snprintf(number, sizeof number, "_%03d.", n);
            candidate = stem + number + std::string(extension);
        }
        if (taken.contains(asciiUpper(std::string_view(candidate).substr(folderEnd)))) {
            continue;
        }
        switch (output.create(candidate)) {
        case platform::NewOutputFile::CreateResult::Created:
            taken.insert(asciiUpper(std::string_view(candidate).substr(folderEnd)));
            result.outputPath = candidate;
            created = true;
            break;
        case platform::NewOutputFile::CreateResult::AlreadyExists:
            // Taken, also when it appeared after the listing: try the next number.
            taken.insert(asciiUpper(std::string_view(candidate).substr(folderEnd)));
            break;
        case platform::NewOutputFile::CreateResult::Failed:
            result.error =
                "出力ファイルを作成できません: " + platform::describeError(output.errorNumber());
            return false;
        }
    }
    if (!created) {
        result.error = "出力ファイル名 _000～_999 がすべて使われています";
        return false;
    }

    return true;
}

int directionFromName(std::string_view name) {
    for (std::size_t i = 0; i < directions.size(); ++i) {
        if (name == directions[i].cliName ||
            (name.size() == 1 && name[0] == static_cast<char>('0' + i))) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

ConversionResult convertCardFile(const std::string& sourcePath, ConvKind kind,
                                 std::string_view extension) {
    ConversionJob job;
    return job.convert(sourcePath, kind, extension);
}

ConversionResult convertCardFileTo(const std::string& sourcePath, CardContainer target,
                                   std::string_view extension) {
    ConversionJob job;
    return job.convertTo(sourcePath, target, extension);
}

ConversionResult ConversionJob::convert(const std::string& sourcePath, ConvKind kind,
                                        std::string_view extension) {
    ConversionResult result;
    platform::InputFile source;
    platform::NewOutputFile output;
    if (!openSourceAndOutput(sourcePath, extension, source, output, result)) {
        return result;
    }
    std::size_t skip = 0;
    if (kind == ConvKind::StripVgsHeader) {
        skip = kVgsHeaderSize;
    } else if (kind == ConvKind::AddVgsHeader &&
               !output.write(vgsHeader.data(), vgsHeader.size())) {
        result.error = "書き込めません: " + platform::describeError(output.errorNumber());
        return result; // output discarded by its destructor
    }
    if (!copyUnits(source, output, skip, buffer_, result.error)) {
        return result;
    }
    if (!output.commit()) {
        result.error = "書き込めません: " + platform::describeError(output.errorNumber());
        return result;
    }
    result.ok = true;
    return result;
}

ConversionResult ConversionJob::convertTo(const std::string& sourcePath, CardContainer target,
                                          std::string_view extension) {
    ConversionResult result;
    // A file that is no card makes no output.
    const auto read = readCardFile(sourcePath, false);
    if (!read.readable) {
        result.error = read.error;
        return result;
    }
    const auto bytes = serializeCardFile(makeCardFile(read.file.card, target));
    if (!bytes) {
        result.error = "署名を計算できません";
        return result;
    }
    platform::InputFile source;
    platform::NewOutputFile output;
    if (!openSourceAndOutput(sourcePath, extension, source, output, result)) {
        return result;
    }
    if (!output.write(bytes->data(), bytes->size()) || !output.commit()) {
        result.error = "書き込めません: " + platform::describeError(output.errorNumber());
        result.outputPath.clear();
        return result;
    }
    result.ok = true;
    return result;
}

std::string conversionLogLine(const std::string& sourcePath, const ConversionResult& result) {
    if (result.ok) {
        return sourcePath + "→" + result.outputPath + " 変換終了";
    }
    return sourcePath + ": " + result.error;
}

} // namespace tobrel::cards
