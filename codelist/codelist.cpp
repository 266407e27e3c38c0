#include "codelist/codelist.h"

#include "platform/files.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <new>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace tobrel::codelist {
namespace {

constexpr std::size_t kWriteBufferSize = std::size_t{1} << 20;

const std::string kNoFileMessage = "[pec]Codelistﾌｧｲﾙを指定して下さい。";
const std::string kUnreadablePrefix = "[pec]Codelistﾌｧｲﾙを読み込めません: ";
const std::string kUnwritablePrefix = "codelist_japan.infを書き込めません: ";
const std::string kInputIsOutputMessage =
    "codelist_japan.infは抽出結果のファイルです。元の[pec]Codelistﾌｧｲﾙを指定して下さい。";

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

std::size_t nameStart(std::string_view path) {
    std::size_t pos = path.size();
    while (pos > 0 && !isSeparator(path[pos - 1])) {
        --pos;
    }
    return pos;
}

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

// "#SLPS-", "#SCPS-" or "#SLPM-" at p, exact case. Reads six bytes: a line
// end among them (CR) makes it false.
[[gnu::always_inline]] inline bool startsJapaneseMarker(const char* p) {
    return p[0] == '#' && p[1] == 'S' && p[3] == 'P' && p[5] == '-' &&
           ((p[2] == 'L' && (p[4] == 'S' || p[4] == 'M')) || (p[2] == 'C' && p[4] == 'S'));
}

// "#SLPS-", "#SCPS-" or "#SLPM-" anywhere in the line, exact case.
bool hasJapaneseMarker(const char* line, std::size_t size) {
    constexpr std::size_t kMarkerSize = 6;
    if (size < kMarkerSize) {
        return false;
    }
    if (startsJapaneseMarker(line)) {
        return true; // the usual header: the product code comes first
    }
    const char* end = line + size;
    for (const char* p = line + 1; static_cast<std::size_t>(end - p) >= kMarkerSize; ++p) {
        p = static_cast<const char*>(
            std::memchr(p, '#', static_cast<std::size_t>(end - p) - kMarkerSize + 1));
        if (p == nullptr) {
            return false;
        }
        if (startsJapaneseMarker(p)) {
            return true;
        }
    }
    return false;
}

// ".end" anywhere in the line, exact case.
bool hasEndMarker(const char* line, std::size_t size) {
    constexpr std::size_t kMarkerSize = 4;
    const char* end = line + size;
    const char* p = line;
    while (static_cast<std::size_t>(end - p) >= kMarkerSize) {
        p = static_cast<const char*>(
            std::memchr(p, '.', static_cast<std::size_t>(end - p) - kMarkerSize + 1));
        if (p == nullptr) {
            return false;
        }
        if (p[1] == 'e' && p[2] == 'n' && p[3] == 'd') {
            return true;
        }
        ++p;
    }
    return false;
}

// Collects the bytes to write and hands them to the file in large pieces.
// Pieces that follow each other in the input buffer are joined first, so a
// long stretch of kept lines costs no copy at all: it goes to the file
// straight from the input buffer. Short pieces are copied together, so that
// short lines cost a copy each rather than a system call each.
class OutputWriter {
public:
    OutputWriter(platform::NewOutputFile& file, std::vector<char>& buffer)
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

    platform::NewOutputFile& file_;
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

const char* find(const char* from, const char* to, char c) {
    const void* hit = std::memchr(from, c, static_cast<std::size_t>(to - from));
    return hit != nullptr ? static_cast<const char*>(hit) : to;
}

// The bytes that can change what happens to the text around them. Inside a
// run of Japanese sections: "#" (a header may start there) and a CR not
// followed by LF (it must become CR LF). Outside: "#", ";" (a comment may
// start there) and "." (".end" may start there). Everything else is copied or
// skipped in bulk. Each finder returns the first such byte in [from, to), or
// to; it may read up to 65 bytes past `to` (the block keeps room for that).
using EventFinder = const char* (*)(const char* from, const char* to);

const char* nextInsideEventPortable(const char* from, const char* to) {
    for (const char* p = from; p < to; ++p) {
        if (*p == '#' || (*p == '\r' && p[1] != '\n')) {
            return p;
        }
    }
    return to;
}

const char* nextOutsideEventPortable(const char* from, const char* to) {
    for (const char* p = from; p < to; ++p) {
        if (*p == '#' || *p == ';' || *p == '.') {
            return p;
        }
    }
    return to;
}

// In a header line: the next "#" (another place a mark may start) or the CR
// that ends it.
const char* nextHashOrCrPortable(const char* from, const char* to) {
    for (const char* p = from; p < to; ++p) {
        if (*p == '#' || *p == '\r') {
            return p;
        }
    }
    return to;
}

#if defined(__x86_64__) || defined(__i386__)
// Keeps the bits of a match mask that lie before `to`.
template <typename Mask> Mask maskBefore(Mask mask, const char* p, const char* to, int width) {
    const auto left = to - p;
    return left < width ? mask & ((Mask{1} << left) - 1) : mask;
}

__attribute__((target("sse2"))) const char* nextInsideEventSse2(const char* from, const char* to) {
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i hash = _mm_set1_epi8('#');
    for (const char* p = from; p < to; p += 16) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
        const __m128i loneCr = _mm_andnot_si128(_mm_cmpeq_epi8(next, lf), _mm_cmpeq_epi8(here, cr));
        const __m128i hit = _mm_or_si128(loneCr, _mm_cmpeq_epi8(here, hash));
        const auto mask = maskBefore(static_cast<unsigned>(_mm_movemask_epi8(hit)), p, to, 16);
        if (mask != 0) {
            return p + __builtin_ctz(mask);
        }
    }
    return to;
}

__attribute__((target("sse2"))) const char* nextOutsideEventSse2(const char* from, const char* to) {
    const __m128i hash = _mm_set1_epi8('#');
    const __m128i semicolon = _mm_set1_epi8(';');
    const __m128i dot = _mm_set1_epi8('.');
    for (const char* p = from; p < to; p += 16) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i hit =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(here, hash), _mm_cmpeq_epi8(here, semicolon)),
                         _mm_cmpeq_epi8(here, dot));
        const auto mask = maskBefore(static_cast<unsigned>(_mm_movemask_epi8(hit)), p, to, 16);
        if (mask != 0) {
            return p + __builtin_ctz(mask);
        }
    }
    return to;
}

__attribute__((target("avx2"))) std::uint32_t insideHits32(const char* q) {
    const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q));
    const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + 1));
    const __m256i loneCr = _mm256_andnot_si256(_mm256_cmpeq_epi8(next, _mm256_set1_epi8('\n')),
                                               _mm256_cmpeq_epi8(here, _mm256_set1_epi8('\r')));
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(
        _mm256_or_si256(loneCr, _mm256_cmpeq_epi8(here, _mm256_set1_epi8('#')))));
}

__attribute__((target("avx2"))) std::uint64_t insideHitsAvx2(const char* p) {
    return insideHits32(p) | (std::uint64_t{insideHits32(p + 32)} << 32);
}

__attribute__((target("avx2"))) const char* nextInsideEventAvx2(const char* from, const char* to) {
    for (const char* p = from; p < to; p += 64) {
        const auto mask = maskBefore(insideHitsAvx2(p), p, to, 64);
        if (mask != 0) {
            return p + __builtin_ctzll(mask);
        }
    }
    return to;
}

__attribute__((target("avx2"))) std::uint32_t outsideHits32(const char* q) {
    const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q));
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(
        _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(here, _mm256_set1_epi8('#')),
                                        _mm256_cmpeq_epi8(here, _mm256_set1_epi8(';'))),
                        _mm256_cmpeq_epi8(here, _mm256_set1_epi8('.')))));
}

__attribute__((target("avx2"))) std::uint64_t outsideHitsAvx2(const char* p) {
    return outsideHits32(p) | (std::uint64_t{outsideHits32(p + 32)} << 32);
}

__attribute__((target("avx2"))) const char* nextOutsideEventAvx2(const char* from, const char* to) {
    for (const char* p = from; p < to; p += 64) {
        const auto mask = maskBefore(outsideHitsAvx2(p), p, to, 64);
        if (mask != 0) {
            return p + __builtin_ctzll(mask);
        }
    }
    return to;
}

__attribute__((target("sse2"))) const char* nextHashOrCrSse2(const char* from, const char* to) {
    for (const char* p = from; p < to; p += 16) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i hit = _mm_or_si128(_mm_cmpeq_epi8(here, _mm_set1_epi8('#')),
                                         _mm_cmpeq_epi8(here, _mm_set1_epi8('\r')));
        const auto mask = maskBefore(static_cast<unsigned>(_mm_movemask_epi8(hit)), p, to, 16);
        if (mask != 0) {
            return p + __builtin_ctz(mask);
        }
    }
    return to;
}

__attribute__((target("avx2"))) const char* nextHashOrCrAvx2(const char* from, const char* to) {
    for (const char* p = from; p < to; p += 32) {
        const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const __m256i hit = _mm256_or_si256(_mm256_cmpeq_epi8(here, _mm256_set1_epi8('#')),
                                            _mm256_cmpeq_epi8(here, _mm256_set1_epi8('\r')));
        const auto mask =
            maskBefore(static_cast<std::uint32_t>(_mm256_movemask_epi8(hit)), p, to, 32);
        if (mask != 0) {
            return p + __builtin_ctz(mask);
        }
    }
    return to;
}
#endif

struct EventFinders {
    EventFinder inside;
    EventFinder outside;
    EventFinder hashOrCr;
};

const EventFinders kPortableFinders{nextInsideEventPortable, nextOutsideEventPortable,
                                    nextHashOrCrPortable};
#if defined(__x86_64__) || defined(__i386__)
const EventFinders kSse2Finders{nextInsideEventSse2, nextOutsideEventSse2, nextHashOrCrSse2};
const EventFinders kAvx2Finders{nextInsideEventAvx2, nextOutsideEventAvx2, nextHashOrCrAvx2};
#endif

const EventFinders* findersFor(ScanWidth width) {
    switch (width) {
    case ScanWidth::Portable:
        return &kPortableFinders;
#if defined(__x86_64__) || defined(__i386__)
    case ScanWidth::Sse2:
        return __builtin_cpu_supports("sse2") ? &kSse2Finders : nullptr;
    case ScanWidth::Avx2:
        return __builtin_cpu_supports("avx2") ? &kAvx2Finders : nullptr;
#endif
    default:
        return nullptr;
    }
}

// The widest form this processor runs, chosen once (or set by a test).
std::atomic<const EventFinders*> chosenFinders{nullptr};

const EventFinders& eventFinders() {
    const EventFinders* finders = chosenFinders.load(std::memory_order_relaxed);
    if (finders == nullptr) {
        for (auto width : {ScanWidth::Avx2, ScanWidth::Sse2, ScanWidth::Portable}) {
            if ((finders = findersFor(width)) != nullptr) {
                break;
            }
        }
        chosenFinders.store(finders, std::memory_order_relaxed);
    }
    return *finders;
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
    bool inUse = false;
};

// The buffers stay with the thread between extractions, so that a run does not
// pay again for fresh memory. An extraction started from inside a yield hook
// of another gets buffers of its own.
class BorrowedBuffers {
public:
    BorrowedBuffers() {
        static thread_local Buffers kept;
        if (kept.inUse) {
            own_ = std::make_unique<Buffers>();
            buffers_ = own_.get();
        } else {
            kept.inUse = true;
            buffers_ = &kept;
        }
    }
    ~BorrowedBuffers() {
        if (!own_) {
            buffers_->inUse = false;
            if (buffers_->input.size() > 4 * kReadBlockSize) {
                buffers_->input = std::vector<char>(); // grown for a very long line
            }
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

FilterOutcome filterLines(platform::InputFile& input, platform::NewOutputFile& output,
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

std::string temporaryPathBeside(const std::string& outputPath) {
    static thread_local std::mt19937 generator{std::random_device{}()};
    return outputPath + ".tmp" + std::to_string(::getpid()) + "-" +
           std::to_string(generator() % 1000000);
}

ExtractionResult failure(ExtractionResult result, ExtractionFailure kind, std::string message) {
    result.ok = false;
    result.failure = kind;
    result.error = std::move(message);
    return result;
}

} // namespace

bool useScanWidth(ScanWidth width) {
    const EventFinders* finders = findersFor(width);
    if (finders != nullptr) {
        chosenFinders.store(finders, std::memory_order_relaxed);
    }
    return finders != nullptr;
}

std::string outputPathFor(const std::string& sourcePath) {
    return sourcePath.substr(0, nameStart(sourcePath)) + std::string(kOutputFileName);
}

ExtractionResult extractJapaneseSections(const std::string& sourcePath, const YieldHook& yield,
                                         std::chrono::nanoseconds yieldInterval) {
    ExtractionResult result;
    if (sourcePath.empty()) {
        return failure(result, ExtractionFailure::EmptyPath, kNoFileMessage);
    }
    result.outputPath = outputPathFor(sourcePath);
    const std::string_view sourceName = std::string_view(sourcePath).substr(nameStart(sourcePath));
    if (equalsIgnoringAsciiCase(sourceName, kOutputFileName)) {
        return failure(result, ExtractionFailure::InputIsOutput, kInputIsOutputMessage);
    }

    // The input first: a list that cannot be read leaves everything untouched.
    platform::InputFile input;
    if (!input.open(sourcePath)) {
        return failure(result, ExtractionFailure::InputUnreadable,
                       kUnreadablePrefix + platform::describeError(input.errorNumber()));
    }
    struct stat sourceInfo {};
    if (::stat(platform::toFsPath(sourcePath).c_str(), &sourceInfo) != 0) {
        return failure(result, ExtractionFailure::InputUnreadable,
                       kUnreadablePrefix + platform::describeError(errno));
    }
    if (!S_ISREG(sourceInfo.st_mode)) {
        // A device or pipe is no code list and might never end.
        return failure(result, ExtractionFailure::InputUnreadable,
                       kUnreadablePrefix + "通常のファイルではありません");
    }

    const auto target = platform::toFsPath(result.outputPath);
    struct stat targetInfo {};
    mode_t keptMode = 0;
    bool replacing = false;
    if (::stat(target.c_str(), &targetInfo) == 0) {
        if (targetInfo.st_dev == sourceInfo.st_dev && targetInfo.st_ino == sourceInfo.st_ino) {
            // The list is the output under another name (a link): replacing it
            // would take the input away.
            return failure(result, ExtractionFailure::InputIsOutput, kInputIsOutputMessage);
        }
        if (S_ISDIR(targetInfo.st_mode)) {
            return failure(result, ExtractionFailure::OutputUnwritable,
                           kUnwritablePrefix + platform::describeError(EISDIR));
        }
        // A write-protected output stays protected, although the folder
        // would let a new file be renamed over it.
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
            return failure(result, ExtractionFailure::OutputUnwritable,
                           kUnwritablePrefix + platform::describeError(errno));
        }
        keptMode = targetInfo.st_mode & 07777;
        replacing = true;
    } else if (errno != ENOENT) {
        return failure(result, ExtractionFailure::OutputUnwritable,
                       kUnwritablePrefix + platform::describeError(errno));
    }

    platform::NewOutputFile temporary;
    std::string temporaryPath;
    for (int attempt = 0;; ++attempt) {
        temporaryPath = temporaryPathBeside(result.outputPath);
        const auto created = temporary.create(temporaryPath);
        if (created == platform::NewOutputFile::CreateResult::Created) {
            break;
        }
        if (created == platform::NewOutputFile::CreateResult::Failed || attempt == 100) {
            return failure(result, ExtractionFailure::OutputUnwritable,
                           kUnwritablePrefix + platform::describeError(temporary.errorNumber()));
        }
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
    const auto temporaryFsPath = platform::toFsPath(temporaryPath);
    if ((replacing && ::chmod(temporaryFsPath.c_str(), keptMode) != 0) ||
        ::rename(temporaryFsPath.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporaryFsPath.c_str());
        return failure(result, ExtractionFailure::OutputUnwritable,
                       kUnwritablePrefix + platform::describeError(error));
    }
    input.close();
    result.ok = true;
    return result;
}

} // namespace tobrel::codelist
