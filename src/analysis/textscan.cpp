#include "analysis/textscan.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace textscan {

#if defined(__SSE2__)
namespace {

inline __m128i load8(const char16_t *p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
}

// One bit per character of the 16 at p: set where p[i] == c.
inline std::uint32_t equalMask16(const char16_t *p, __m128i c)
{
    const __m128i lo = _mm_cmpeq_epi16(load8(p), c);
    const __m128i hi = _mm_cmpeq_epi16(load8(p + 8), c);
    return std::uint32_t(_mm_movemask_epi8(_mm_packs_epi16(lo, hi)));
}

} // namespace
#endif

void CharCursor::refill()
{
    m_at = 0;
    m_count = 0;
    const qsizetype n = m_text.size();
    const char16_t *s = m_text.utf16();
#if defined(__SSE2__)
    const __m128i c = _mm_set1_epi16(short(m_char));
#endif
    while (m_count < kWanted && m_scanned < n) {
        const qsizetype base = m_scanned;
        const char16_t *p = s + base;
        std::uint64_t mask = 0;
        if (n - base >= kBlock) {
#if defined(__SSE2__)
            mask = std::uint64_t(equalMask16(p, c)) | (std::uint64_t(equalMask16(p + 16, c)) << 16) |
                   (std::uint64_t(equalMask16(p + 32, c)) << 32) | (std::uint64_t(equalMask16(p + 48, c)) << 48);
#else
            for (int i = 0; i < kBlock; ++i)
                mask |= std::uint64_t(p[i] == m_char) << i;
#endif
            m_scanned += kBlock;
        } else {
            for (qsizetype i = 0; i < n - base; ++i)
                mask |= std::uint64_t(p[i] == m_char) << i;
            m_scanned = n;
        }
        while (mask) {
            m_found[m_count++] = base + std::countr_zero(mask);
            mask &= mask - 1;
        }
    }
}

qsizetype find(QStringView text, qsizetype from, QStringView needle)
{
    const qsizetype n = text.size();
    const qsizetype k = needle.size();
    if (from < 0)
        from = 0;
    if (k == 0)
        return from <= n ? from : -1;
    if (k > n || from > n - k)
        return -1;
    const char16_t *s = text.utf16();
    const char16_t *w = needle.utf16();
    const qsizetype lastStart = n - k; // last place the needle can begin
    qsizetype i = from;
    // Candidates are places where the first two and the last character of the
    // needle match; only those are compared in full.
#if defined(__SSE2__)
    const qsizetype second = k > 1 ? 1 : 0;
    const __m128i c0 = _mm_set1_epi16(short(w[0]));
    const __m128i c1 = _mm_set1_epi16(short(w[second]));
    const __m128i cl = _mm_set1_epi16(short(w[k - 1]));
    auto candidates8 = [&](const char16_t *p) {
        return _mm_and_si128(_mm_and_si128(_mm_cmpeq_epi16(load8(p), c0), _mm_cmpeq_epi16(load8(p + second), c1)),
                             _mm_cmpeq_epi16(load8(p + k - 1), cl));
    };
    for (; i + 16 <= lastStart + 1; i += 16) {
        const char16_t *p = s + i;
        std::uint32_t mask = std::uint32_t(_mm_movemask_epi8(_mm_packs_epi16(candidates8(p), candidates8(p + 8))));
        while (mask) {
            const int bit = std::countr_zero(mask);
            if (QStringView(p + bit, k) == needle)
                return i + bit;
            mask &= mask - 1;
        }
    }
#endif
    for (; i <= lastStart; ++i) {
        if (s[i] == w[0] && s[i + k - 1] == w[k - 1] && QStringView(s + i, k) == needle)
            return i;
    }
    return -1;
}

} // namespace textscan
