#pragma once

#include <QtGlobal>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

// A bit for each of 64 bytes, for the results reader's fast path: where its double quotes are,
// its commas, its control characters and spaces, and its line feeds. A vector comparison
// looks at 16 or 32 bytes at once, so that a line of the file costs a few of them instead of a
// branch per byte.
struct ByteMasks
{
    quint64 quotes = 0;
    quint64 commas = 0;
    quint64 low = 0;
    quint64 feeds = 0;
};

#if defined(__SSE2__)

inline quint64 bitsOf(__m128i equal)
{
    return quint32(_mm_movemask_epi8(equal));
}

// With the vector instructions that every x86-64 processor has.
inline ByteMasks masksBaseline(const char *bytes)
{
    ByteMasks masks;
    for (int part = 0; part < 4; ++part) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes + 16 * part));
        const int shift = 16 * part;
        masks.quotes |= bitsOf(_mm_cmpeq_epi8(chunk, _mm_set1_epi8('"'))) << shift;
        masks.commas |= bitsOf(_mm_cmpeq_epi8(chunk, _mm_set1_epi8(','))) << shift;
        // A byte is at most a space when the smaller of it and a space is itself.
        const __m128i low = _mm_cmpeq_epi8(_mm_min_epu8(chunk, _mm_set1_epi8(' ')), chunk);
        masks.low |= bitsOf(low) << shift;
        masks.feeds |= bitsOf(_mm_cmpeq_epi8(chunk, _mm_set1_epi8('\n'))) << shift;
    }
    return masks;
}

__attribute__((target("avx2"))) inline quint64 bitsOf(__m256i equal)
{
    return quint32(_mm256_movemask_epi8(equal));
}

// The same with AVX2, 32 bytes at a time; only for a processor that has it (see hasAvx2), and
// only inlined into a function compiled for AVX2.
__attribute__((target("avx2"))) inline ByteMasks masksAvx2(const char *bytes)
{
    ByteMasks masks;
    for (int half = 0; half < 2; ++half) {
        const __m256i chunk =
            _mm256_loadu_si256(reinterpret_cast<const __m256i *>(bytes + 32 * half));
        const int shift = 32 * half;
        masks.quotes |= bitsOf(_mm256_cmpeq_epi8(chunk, _mm256_set1_epi8('"'))) << shift;
        masks.commas |= bitsOf(_mm256_cmpeq_epi8(chunk, _mm256_set1_epi8(','))) << shift;
        const __m256i low = _mm256_cmpeq_epi8(_mm256_min_epu8(chunk, _mm256_set1_epi8(' ')), chunk);
        masks.low |= bitsOf(low) << shift;
        masks.feeds |= bitsOf(_mm256_cmpeq_epi8(chunk, _mm256_set1_epi8('\n'))) << shift;
    }
    return masks;
}

// Whether the processor has AVX2 and the bit instructions that come with it (BMI1, BMI2,
// POPCNT), all of which the AVX2 code is compiled to use.
inline bool hasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
                            __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt");
    return has;
}

#else

// One byte at a time, where there are no x86-64 vector instructions.
inline ByteMasks masksBaseline(const char *bytes)
{
    ByteMasks masks;
    for (int i = 0; i < 64; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        const quint64 bit = quint64(1) << i;
        masks.quotes |= byte == '"' ? bit : 0;
        masks.commas |= byte == ',' ? bit : 0;
        masks.low |= byte <= ' ' ? bit : 0;
        masks.feeds |= byte == '\n' ? bit : 0;
    }
    return masks;
}

inline bool hasAvx2()
{
    return false;
}

#endif
