#pragma once
// The byte scanners of the code list filter: the few bytes that decide what
// happens to a line, found with the widest vector instructions the processor
// has, and the marks looked for in a line.

#include <cstddef>
#include <cstring>

namespace tobrel::codelist {

// "#SLPS-", "#SCPS-" or "#SLPM-" at p, exact case. Reads six bytes: a line
// end among them (CR) makes it false.
[[gnu::always_inline]] inline bool startsJapaneseMarker(const char* p) {
    return p[0] == '#' && p[1] == 'S' && p[3] == 'P' && p[5] == '-' &&
           ((p[2] == 'L' && (p[4] == 'S' || p[4] == 'M')) || (p[2] == 'C' && p[4] == 'S'));
}

// "#SLPS-", "#SCPS-" or "#SLPM-" anywhere in the line, exact case.
bool hasJapaneseMarker(const char* line, std::size_t size);

// ".end" anywhere in the line, exact case.
bool hasEndMarker(const char* line, std::size_t size);

// The first c in [from, to), or to.
inline const char* find(const char* from, const char* to, char c) {
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

struct EventFinders {
    EventFinder inside;
    EventFinder outside;
    EventFinder hashOrCr;
};

// The finders of the widest form this processor runs (or the one a test chose).
const EventFinders& eventFinders();

// Tests pick each form in turn to check that all agree; false when the
// processor lacks that form.
enum class ScanWidth { Portable, Sse2, Avx2 };
bool useScanWidth(ScanWidth width);

} // namespace tobrel::codelist
