#include "codelist/codelist.h"

#include "codelist/byte_scanners.h"
#include "platform/files.h"
#include "platform/paths.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace tobrel::codelist {
namespace {

constexpr std::size_t kWriteBufferSize = std::size_t{1} << 20;

const std::string kNoFileMessage = "[pec]Codelistﾌｧｲﾙを指定して下さい。";
const std::string kUnreadablePrefix = "[pec]Codelistﾌｧｲﾙを読み込めません: ";
const std::string kUnwritablePrefix = "codelist_japan.infを書き込めません: ";
const std::string kInputIsOutputMessage =
    "codelist_japan.infは抽出結果のファイルです。元の[pec]Codelistﾌｧｲﾙを指定して下さい。";

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// Collects the bytes to write and hands them to the file in large pieces.
// Pieces that follow each other in the input buffer are joined first, so a
// long stretch of kept lines costs no copy at all: it goes to the file
// straight from the input buffer. Short pieces are copied together, so that
// short lines cost a copy each rather than a system call each.
class OutputWriter {
public:
    OutputWriter(platform::AtomicOutputFile& file, std::vector<char>& buffer)
        : file_(file), buffer_(buffer) {
        if (buffer_.size() < kWriteBufferSize) {
            buffer_.resize(kWriteBufferSize);
        }
    }

    // data must stay valid until endOfBlock().
    void write(const char* data, std::size_t size) {
        if (data == pendingEnd_) {
            pendingEnd_ += size;
            return;
        }
        spillPending();
        pending_ = data;
        pendingEnd_ = data + size;
    }

    // A line as it was read, ended by CR LF: its own terminator when that is
    // CR LF, so that it joins with what follows.
    void writeLine(const char* data, std::size_t size, bool hasCrLf) {
        if (hasCrLf) {
            write(data, size + 2);
        } else {
            write(data, size);
            write(kCrLf, 2);
        }
    }

    // The input buffer is about to change: nothing may point into it any more.
    void endOfBlock() { spillPending(); }

    bool flush() {
        spillPending();
        if (used_ > 0 && ok_) {
            ok_ = file_.write(buffer_.data(), used_);
        }
        used_ = 0;
        return ok_;
    }

    bool ok() const { return ok_; }

private:
    static constexpr const char* kCrLf = "\r\n";

    void spillPending() {
        const char* data = pending_;
        const auto size = static_cast<std::size_t>(pendingEnd_ - pending_);
        pending_ = pendingEnd_ = nullptr;
        if (size == 0) {
            return;
        }
        if (size >= kDirectWriteSize) {
            if (used_ > 0 && ok_) {
                ok_ = file_.write(buffer_.data(), used_);
            }
            used_ = 0;
            ok_ = ok_ && file_.write(data, size);
            return;
        }
        if (size > buffer_.size() - used_) {
            if (ok_) {
                ok_ = file_.write(buffer_.data(), used_);
            }
            used_ = 0;
        }
        std::memcpy(buffer_.data() + used_, data, size);
        used_ += size;
    }

    // Worth a system call of its own rather than a copy.
    static constexpr std::size_t kDirectWriteSize = kWriteBufferSize / 4;

    platform::AtomicOutputFile& file_;
    std::vector<char>& buffer_;
    std::size_t used_ = 0;
    const char* pending_ = nullptr;
    const char* pendingEnd_ = nullptr;
    bool ok_ = true;
};

// The whole rule for one line of the two-state filter (outside or inside a run
// of Japanese sections). Used line by line where the caller wants to yield
// after every line, and for a last line without terminator.
class LineFilter {
public:
    explicit LineFilter(OutputWriter& writer) : writer_(writer) {}

    // hasCrLf: the line is followed by CR LF in the input buffer.
    void line(const char* data, std::size_t size, bool hasCrLf) {
        if (size > 0 && data[0] == '#') {
            // A Japanese header opens (or continues) a run of Japanese
            // sections; any other header ends it and is dropped.
            inside_ = hasJapaneseMarker(data, size);
            if (inside_) {
                writer_.writeLine(data, size, hasCrLf);
            }
        } else if (inside_ || (size > 0 && data[0] == ';') || hasEndMarker(data, size)) {
            writer_.writeLine(data, size, hasCrLf);
        }
    }

    bool& inside() { return inside_; }

private:
    OutputWriter& writer_;
    bool inside_ = false;
};

// Start of the line after the one whose terminating CR is at cr. The byte
// after cr must be readable (the block keeps a sentinel after its data).
const char* afterTerminator(const char* cr) {
    return cr[1] == '\n' ? cr + 2 : cr + 1;
}

// The fast form of LineFilter for a stretch of whole lines: rather than
// looking at every line it jumps from one event byte to the next, and copies
// or skips everything between them as one piece.
class BlockFilter {
public:
    explicit BlockFilter(OutputWriter& writer)
        : writer_(writer), lines_(writer), finders_(eventFinders()) {}

    // [begin, end) holds whole lines, each ended by CR LF or a lone CR; the
    // byte at end, and 65 more, must be readable.
    void lines(const char* begin, const char* end) {
        bool& inside = lines_.inside();
        const char* unwritten = begin; // inside: start of what is still to be written
        const char* scan = begin;
        while (scan < end) {
            const char* event = (inside ? finders_.inside : finders_.outside)(scan, end);
            if (event == end) {
                break;
            }
            if (*event == '\r') { // only looked for inside
                writer_.writeLine(unwritten, static_cast<std::size_t>(event - unwritten), false);
                scan = unwritten = event + 1;
                continue;
            }
            if (*event == '.') { // only looked for outside
                if (event + 4 <= end && event[1] == 'e' && event[2] == 'n' && event[3] == 'd') {
                    // Its line starts with neither "#" nor ";": those are seen
                    // and passed whole before any "." in them.
                    const char* lineStart =
                        startsLine(event, begin) ? event : lineStartOf(event, begin);
                    scan = writeLineAt(lineStart, event + 4, end);
                } else {
                    scan = event + 1;
                }
                continue;
            }
            if (!startsLine(event, begin)) {
                scan = event + 1;
                continue;
            }
            if (*event == '#') {
                if (inside) {
                    writer_.write(unwritten, static_cast<std::size_t>(event - unwritten));
                }
                const char* cr = event;
                inside = false;
                do { // each "#" of the line up to its CR
                    inside = inside || startsJapaneseMarker(cr);
                    cr = finders_.hashOrCr(cr + 1, end);
                } while (*cr == '#');
                if (inside) {
                    writer_.writeLine(event, static_cast<std::size_t>(cr - event), cr[1] == '\n');
                }
                scan = unwritten = afterTerminator(cr);
            } else { // ";" starting a line outside: a comment
                scan = writeLineAt(event, event, end);
            }
        }
        if (inside) {
            writer_.write(unwritten, static_cast<std::size_t>(end - unwritten));
        }
    }

    // A last line that the end of the file ended.
    void lastLine(const char* data, std::size_t size) { lines_.line(data, size, false); }

private:
    // Whether a line starts at q: after a CR, or after the LF of a CR LF.
    // begin is a line start and never the LF of a CR LF.
    static bool startsLine(const char* q, const char* begin) {
        return q == begin || q[-1] == '\r' || (q[-1] == '\n' && q - 2 >= begin && q[-2] == '\r');
    }

    static const char* lineStartOf(const char* q, const char* begin) {
        while (q > begin && q[-1] != '\r') {
            --q;
        }
        if (q > begin && *q == '\n') {
            ++q; // the LF of the previous line's CR LF
        }
        return q;
    }

    // Writes the line that starts at lineStart and holds `from`; returns the
    // start of the next line.
    const char* writeLineAt(const char* lineStart, const char* from, const char* end) {
        const char* cr = *from == '\r' ? from : find(from, end, '\r');
        writer_.writeLine(lineStart, static_cast<std::size_t>(cr - lineStart), cr[1] == '\n');
        return afterTerminator(cr);
    }

    OutputWriter& writer_;
    LineFilter lines_;
    const EventFinders& finders_;
};

// Runs the caller's hook between lines, at most once per interval, reading the
// clock once per block rather than per line.
class YieldPacer {
public:
    YieldPacer(const YieldHook& hook, std::chrono::nanoseconds interval)
        : hook_(hook), interval_(interval), last_(std::chrono::steady_clock::now()) {}

    void afterBlock() {
        if (hook_ && std::chrono::steady_clock::now() - last_ >= interval_) {
            hook_();
            last_ = std::chrono::steady_clock::now();
        }
    }

private:
    const YieldHook& hook_;
    std::chrono::nanoseconds interval_;
    std::chrono::steady_clock::time_point last_;
};

// The lines of [p, end), one at a time, with the hook after each.
class EveryLineFilter {
public:
    EveryLineFilter(OutputWriter& writer, const YieldHook& hook) : lines_(writer), hook_(hook) {}

    void lines(const char* p, const char* end) {
        while (p < end) {
            const char* cr = find(p, end, '\r');
            lines_.line(p, static_cast<std::size_t>(cr - p), cr[1] == '\n');
            hook_();
            p = afterTerminator(cr);
        }
    }

    void lastLine(const char* data, std::size_t size) {
        lines_.line(data, size, false);
        hook_();
    }

private:
    LineFilter lines_;
    const YieldHook& hook_;
};

enum class FilterOutcome { Done, ReadFailed, WriteFailed };

struct Buffers {
    std::vector<char> input;
    std::vector<char> output;
    std::atomic<bool> inUse = false;
};

// The buffers stay with the program between extractions, so that a run does
// not pay again for fresh memory. An extraction that finds them in use (one
// started from inside a yield hook of another, or on another thread) gets
// buffers of its own.
class BorrowedBuffers {
public:
    BorrowedBuffers() {
        static Buffers kept;
        if (kept.inUse.exchange(true)) {
            own_ = std::make_unique<Buffers>();
            buffers_ = own_.get();
        } else {
            buffers_ = &kept;
        }
    }
    ~BorrowedBuffers() {
        if (!own_) {
            if (buffers_->input.size() > 4 * kReadBlockSize) {
                buffers_->input = std::vector<char>(); // grown for a very long line
            }
            buffers_->inUse = false;
        }
    }
    BorrowedBuffers(const BorrowedBuffers&) = delete;
    BorrowedBuffers& operator=(const BorrowedBuffers&) = delete;

    Buffers* operator->() { return buffers_; }

private:
    Buffers* buffers_ = nullptr;
    std::unique_ptr<Buffers> own_;
};

// Reads the input block by block and hands the filter the whole lines of each
// (CR LF or a lone CR ends a line; an LF not after a CR is part of its line;
// the end of the file ends the last line). A line still open at the end of a
// block waits at the front of the buffer for the rest of it.
template <typename Filter>
FilterOutcome filterBlocks(platform::InputFile& input, std::vector<char>& buffer,
                           OutputWriter& writer, Filter& filter, YieldPacer* pacer) {
    // Spare room after the data: a sentinel byte, and the reach of wide loads.
    constexpr std::size_t kSlack = 128;
    if (buffer.size() < kReadBlockSize + kSlack) {
        buffer.resize(kReadBlockSize + kSlack);
    }
    std::size_t filled = 0;   // a partial line kept from the previous block
    bool lfMayFollow = false; // the previous block ended with a CR
    for (;;) {
        // Always a whole block after the kept partial line, so a long line
        // grows the buffer.
        if (buffer.size() - kSlack - filled < kReadBlockSize) {
            buffer.resize(filled + kReadBlockSize + kSlack);
        }
        const long long got = input.read(buffer.data() + filled, kReadBlockSize);
        if (got < 0) {
            return FilterOutcome::ReadFailed;
        }
        char* const begin = buffer.data();
        char* const end = begin + filled + static_cast<std::size_t>(got);
        *end = '\0'; // no LF: a CR at the end waits for the next block
        const char* p = begin;
        if (lfMayFollow && got > 0) {
            // The CR that ended the last block and this LF make one terminator.
            if (*p == '\n') {
                ++p;
            }
            lfMayFollow = false;
        }
        // The kept partial line holds no CR; look only at the new bytes.
        const char* lastCr = end;
        for (const char* q = end; q > begin + filled;) {
            if (*--q == '\r') {
                lastCr = q;
                break;
            }
        }
        if (lastCr != end && lastCr >= p) {
            const char* linesEnd = afterTerminator(lastCr);
            lfMayFollow = lastCr + 1 == end;
            filter.lines(p, linesEnd);
            p = linesEnd;
        }
        if (got == 0) {
            if (p < end) {
                filter.lastLine(p, static_cast<std::size_t>(end - p));
            }
            return writer.flush() ? FilterOutcome::Done : FilterOutcome::WriteFailed;
        }
        writer.endOfBlock();
        if (!writer.ok()) {
            return FilterOutcome::WriteFailed;
        }
        filled = static_cast<std::size_t>(end - p);
        if (filled > 0 && p != begin) {
            std::memmove(begin, p, filled);
        }
        if (pacer != nullptr && lastCr != end) {
            pacer->afterBlock(); // only between lines
        }
    }
}

FilterOutcome filterLines(platform::InputFile& input, platform::AtomicOutputFile& output,
                          const YieldHook& yield, std::chrono::nanoseconds yieldInterval) {
    BorrowedBuffers buffers;
    OutputWriter writer(output, buffers->output);
    if (yield && yieldInterval.count() <= 0) {
        EveryLineFilter filter(writer, yield);
        return filterBlocks(input, buffers->input, writer, filter, nullptr);
    }
    BlockFilter filter(writer);
    YieldPacer pacer(yield, yieldInterval);
    return filterBlocks(input, buffers->input, writer, filter, yield ? &pacer : nullptr);
}

ExtractionResult failure(ExtractionResult result, ExtractionFailure kind, std::string message) {
    result.ok = false;
    result.failure = kind;
    result.error = std::move(message);
    return result;
}

} // namespace

std::string outputPathFor(const std::string& sourcePath) {
    return sourcePath.substr(0, platform::nameStart(sourcePath)) + std::string(kOutputFileName);
}

ExtractionResult extractJapaneseSections(const std::string& sourcePath, const YieldHook& yield,
                                         std::chrono::nanoseconds yieldInterval) {
    ExtractionResult result;
    if (sourcePath.empty()) {
        return failure(result, ExtractionFailure::EmptyPath, kNoFileMessage);
    }
    result.outputPath = outputPathFor(sourcePath);
    const std::string_view sourceName =
        std::string_view(sourcePath).substr(platform::nameStart(sourcePath));
    if (equalsIgnoringAsciiCase(sourceName, kOutputFileName)) {
        return failure(result, ExtractionFailure::InputIsOutput, kInputIsOutputMessage);
    }

    // The input first: a list that cannot be read leaves everything untouched.
    platform::InputFile input;
    if (!input.open(sourcePath)) {
        return failure(result, ExtractionFailure::InputUnreadable,
                       kUnreadablePrefix + platform::describeError(input.errorNumber()));
    }
    platform::AtomicOutputFile temporary;
    switch (temporary.open(result.outputPath, sourcePath)) {
    case platform::AtomicOutputFile::OpenResult::Opened:
        break;
    case platform::AtomicOutputFile::OpenResult::SameFile:
        // The list is the output under another name (a link): replacing it
        // would take the input away.
        return failure(result, ExtractionFailure::InputIsOutput, kInputIsOutputMessage);
    case platform::AtomicOutputFile::OpenResult::Failed:
        return failure(result, ExtractionFailure::OutputUnwritable,
                       kUnwritablePrefix + platform::describeError(temporary.errorNumber()));
    }

    FilterOutcome outcome = FilterOutcome::Done;
    try {
        outcome = filterLines(input, temporary, yield, yieldInterval);
    } catch (const std::bad_alloc&) {
        // Only a line too long for memory gets here; the temporary file goes
        // with `temporary`.
        return failure(result, ExtractionFailure::InputUnreadable,
                       kUnreadablePrefix + platform::describeError(ENOMEM));
    }
    if (outcome == FilterOutcome::ReadFailed) {
        return failure(result, ExtractionFailure::InputUnreadable,
                       kUnreadablePrefix + platform::describeError(input.errorNumber()));
    }
    if (outcome == FilterOutcome::WriteFailed) {
        return failure(result, ExtractionFailure::OutputUnwritable,
                       kUnwritablePrefix + platform::describeError(temporary.errorNumber()));
    }
    if (!temporary.commit()) { // removes the temporary file itself on failure
        return failure(result, ExtractionFailure::OutputUnwritable,
                       kUnwritablePrefix + platform::describeError(temporary.errorNumber()));
    }
    input.close();
    result.ok = true;
    return result;
}

} // namespace tobrel::codelist
