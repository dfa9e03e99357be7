#include "platform/sql/like.h"

#include <sqlite3.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace sql {
namespace {

// One character as the engine reads UTF-8: a lead byte takes every continuation byte
// after it; a malformed sequence reads as U+FFFD, a stray continuation byte as itself.
std::uint32_t readUtf8(const unsigned char*& p, const unsigned char* end) {
    std::uint32_t c = *p++;
    if (c < 0xC0) return c;
    if (c < 0xE0)
        c &= 0x1F;
    else if (c < 0xF0)
        c &= 0x0F;
    else if (c < 0xF8)
        c &= 0x07;
    else if (c < 0xFC)
        c &= 0x03;
    else if (c < 0xFE)
        c &= 0x01;
    else
        c = 0;
    while (p < end && (*p & 0xC0) == 0x80) c = (c << 6) + (*p++ & 0x3F);
    if (c < 0x80 || (c & 0xFFFFF800) == 0xD800 || (c & 0xFFFFFFFE) == 0xFFFE) c = 0xFFFD;
    return c;
}

constexpr std::uint32_t foldAscii(std::uint32_t c) {
    return c >= 'A' && c <= 'Z' ? c + 32 : c;
}

// For a lower-case letter, (byte | 0x20) equals it exactly for its two cases; other
// bytes compare as they are.
constexpr unsigned char caseBit(unsigned char folded) {
    return folded >= 'a' && folded <= 'z' ? 0x20 : 0;
}

// True when every byte is ASCII: then each byte is one character.
bool isAscii(const unsigned char* text, std::size_t size) {
    std::size_t i = 0;
    std::uint64_t high = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text + i, 8);
        high |= word;
    }
    for (; i < size; ++i) high |= text[i];
    return (high & 0x8080808080808080ull) == 0;
}

// The characters of a text for the matcher: its bytes when it is ASCII, else its code points.
struct AsciiText {
    const unsigned char* bytes;
    std::uint32_t operator[](std::size_t i) const { return bytes[i]; }
};
struct DecodedText {
    const std::uint32_t* chars;
    std::uint32_t operator[](std::size_t i) const { return chars[i]; }
};

// A LIKE pattern, read once per statement.
//
// The pattern is cut at its "%" into segments; each segment matches a fixed number of
// characters: its literal characters at fixed offsets, and a run of "_" is only a step over
// that many characters. The first segment must fit at the start of the text, the last one at
// its end, and the others in order in between, each at the first place it fits: for pieces of
// fixed length that first place is always as good as any later one, so nothing is ever tried
// twice and a run of "_", however long, costs one step.
class LikePattern {
public:
    LikePattern(const unsigned char* pattern, std::size_t size) {
        m_segments.emplace_back();
        bool afterAny = false;  // a run of "%" means the same as one, and "%_" as "_%"
        const unsigned char* end = pattern + size;
        for (const unsigned char* p = pattern; p < end;) {
            const std::uint32_t c = readUtf8(p, end);
            if (c == '%') {
                if (!afterAny) m_segments.emplace_back();
                afterAny = true;
                continue;
            }
            afterAny = false;
            Segment& segment = m_segments.back();
            if (c != '_') segment.literals.push_back({segment.length, foldAscii(c)});
            ++segment.length;
        }
        for (const Segment& s : m_segments) m_length += s.length;
        // "%" + ASCII text without wildcards + "%": a search for that text.
        m_contains = m_segments.size() == 3 && m_segments[0].length == 0 &&
                     m_segments[2].length == 0 && m_segments[1].length > 0 &&
                     m_segments[1].literals.size() == m_segments[1].length;
        for (std::size_t i = 0; m_contains && i < m_segments[1].literals.size(); ++i) {
            m_contains = m_segments[1].literals[i].c < 0x80;
            m_needle += static_cast<char>(m_segments[1].literals[i].c);
        }
    }

    bool matches(const unsigned char* text, std::size_t size) const {
        if (m_contains) return containsAscii(text, size);
        if (isAscii(text, size)) return matchSegments(AsciiText{text}, size);
        std::vector<std::uint32_t> chars;
        chars.reserve(size);
        for (const unsigned char *p = text, *end = text + size; p < end;)
            chars.push_back(readUtf8(p, end));
        return matchSegments(DecodedText{chars.data()}, chars.size());
    }

private:
    struct Literal {
        std::size_t offset;
        std::uint32_t c;  // folded
    };
    // The characters between two "%": its length in characters and its literals.
    struct Segment {
        std::size_t length = 0;
        std::vector<Literal> literals;
    };

    template <typename Text>
    static bool fitsAt(const Segment& segment, const Text& text, std::size_t at) {
        for (const Literal& literal : segment.literals)
            if (foldAscii(text[at + literal.offset]) != literal.c) return false;
        return true;
    }

    template <typename Text>
    bool matchSegments(const Text& text, std::size_t size) const {
        const Segment& first = m_segments.front();
        if (m_segments.size() == 1) return size == first.length && fitsAt(first, text, 0);
        if (size < m_length) return false;
        const Segment& last = m_segments.back();
        if (!fitsAt(first, text, 0) || !fitsAt(last, text, size - last.length)) return false;
        std::size_t from = first.length;
        // What the segments still to place need, up to the start of the last one.
        std::size_t needed = m_length - first.length - last.length;
        const std::size_t end = size - last.length;
        for (std::size_t i = 1; i + 1 < m_segments.size(); ++i) {
            const Segment& segment = m_segments[i];
            while (from + needed <= end && !fitsAt(segment, text, from)) ++from;
            if (from + needed > end) return false;
            from += segment.length;
            needed -= segment.length;
        }
        return true;
    }

    bool needleAt(const unsigned char* at) const {
        for (std::size_t k = 1; k + 1 < m_needle.size(); ++k)
            if (foldAscii(at[k]) != static_cast<unsigned char>(m_needle[k])) return false;
        return true;
    }

    // An ASCII byte is always a character of its own, so the search can run on bytes.
    // Candidates are the places where the needle's first and last bytes both fit.
    bool containsAscii(const unsigned char* text, std::size_t size) const {
        const std::size_t n = m_needle.size();
        if (size < n) return false;
        const auto first = static_cast<unsigned char>(m_needle.front());
        const auto last = static_cast<unsigned char>(m_needle.back());
        const unsigned char firstBit = caseBit(first), lastBit = caseBit(last);
        const std::size_t places = size - n + 1;
        std::size_t i = 0;
#ifdef __SSE2__
        const __m128i firstWant = _mm_set1_epi8(static_cast<char>(first));
        const __m128i lastWant = _mm_set1_epi8(static_cast<char>(last));
        const __m128i firstCase = _mm_set1_epi8(static_cast<char>(firstBit));
        const __m128i lastCase = _mm_set1_epi8(static_cast<char>(lastBit));
        for (; i + 16 <= places; i += 16) {
            const __m128i a = _mm_or_si128(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i)), firstCase);
            const __m128i b = _mm_or_si128(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + n - 1)), lastCase);
            unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(
                _mm_and_si128(_mm_cmpeq_epi8(a, firstWant), _mm_cmpeq_epi8(b, lastWant))));
            while (mask) {
                if (needleAt(text + i + __builtin_ctz(mask))) return true;
                mask &= mask - 1;
            }
        }
#endif
        for (; i < places; ++i)
            if ((text[i] | firstBit) == first && (text[i + n - 1] | lastBit) == last &&
                needleAt(text + i))
                return true;
        return false;
    }

    std::vector<Segment> m_segments;
    std::size_t m_length = 0;  // of all segments together: the shortest text that can match
    bool m_contains = false;
    std::string m_needle;  // folded
};

// A value's bytes as text, up to its first NUL; a BLOB is read where it is stored.
const unsigned char* textOf(sqlite3_value* value, std::size_t& size) {
    const bool blob = sqlite3_value_type(value) == SQLITE_BLOB;
    const auto* bytes = static_cast<const unsigned char*>(blob ? sqlite3_value_blob(value)
                                                               : sqlite3_value_text(value));
    size = static_cast<std::size_t>(sqlite3_value_bytes(value));
    if (!bytes) return blob ? reinterpret_cast<const unsigned char*>("") : nullptr;
    if (const void* nul = std::memchr(bytes, 0, size))
        size = static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - bytes);
    return bytes;
}

void likeFunction(sqlite3_context* context, int /*argc*/, sqlite3_value** argv) {
    const int limit =
        sqlite3_limit(sqlite3_context_db_handle(context), SQLITE_LIMIT_LIKE_PATTERN_LENGTH, -1);
    if (sqlite3_value_bytes(argv[0]) > limit) {
        sqlite3_result_error(context, "LIKE or GLOB pattern too complex", -1);
        return;
    }
    std::size_t patternSize = 0, textSize = 0;
    const unsigned char* pattern = textOf(argv[0], patternSize);
    const unsigned char* text = textOf(argv[1], textSize);
    if (!pattern || !text) return;  // NULL
    // The pattern is read once and kept with the statement while it stays the same.
    const auto* compiled = static_cast<const LikePattern*>(sqlite3_get_auxdata(context, 0));
    std::unique_ptr<LikePattern> fresh;
    if (!compiled) {
        fresh = std::make_unique<LikePattern>(pattern, patternSize);
        compiled = fresh.get();
    }
    sqlite3_result_int(context, compiled->matches(text, textSize));
    if (fresh)
        sqlite3_set_auxdata(context, 0, fresh.release(),
                            [](void* p) { delete static_cast<LikePattern*>(p); });
}

}  // namespace

bool registerLike(sqlite3* db) {
    return sqlite3_create_function_v2(
               db, "like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
               likeFunction, nullptr, nullptr, nullptr) == SQLITE_OK;
}

}  // namespace sql
