#include "codelist/byte_scanners.h"

#include <atomic>
#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace tobrel::codelist {

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

namespace {

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

} // namespace

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

bool useScanWidth(ScanWidth width) {
    const EventFinders* finders = findersFor(width);
    if (finders != nullptr) {
        chosenFinders.store(finders, std::memory_order_relaxed);
    }
    return finders != nullptr;
}

} // namespace tobrel::codelist
