#include "core/media/sha256.h"

#include <string.h>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define SHA256_X86 1
#include <cpuid.h>
#include <immintrin.h>
#endif

namespace {

const uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1,
    0x923f82a4, 0xab1c5ed5, 0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3,
    0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174, 0xe49b69c1, 0xefbe4786,
    0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147,
    0x06ca6351, 0x14292967, 0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13,
    0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85, 0xa2bfe8a1, 0xa81a664b,
    0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a,
    0x5b9cca4f, 0x682e6ff3, 0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208,
    0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

inline uint32_t Rotate(uint32_t x, int n)
{
    return (x >> n) | (x << (32 - n));
}

inline uint32_t LoadBigEndian(const unsigned char *p)
{
    return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 |
           (uint32_t)p[2] << 8 | (uint32_t)p[3];
}

// One round with the eight working values named by position, so that the
// unrolled rounds below rotate the names instead of moving the values.
#define SHA256_ROUND(a, b, c, d, e, f, g, h, i)                           \
    do {                                                                  \
        uint32_t t1 = h + (Rotate(e, 6) ^ Rotate(e, 11) ^ Rotate(e, 25)) + \
                      ((e & f) ^ (~e & g)) + kRound[i] + w[i];            \
        uint32_t t2 = (Rotate(a, 2) ^ Rotate(a, 13) ^ Rotate(a, 22)) +    \
                      ((a & b) ^ (a & c) ^ (b & c));                      \
        d += t1;                                                          \
        h = t1 + t2;                                                      \
    } while (0)

void HashBlock(uint32_t state[8], const unsigned char *block)
{
    uint32_t w[64];
    for (int i = 0; i < 16; i++)
        w[i] = LoadBigEndian(block + 4 * i);
    for (int i = 16; i < 64; i++) {
        uint32_t s0 = Rotate(w[i - 15], 7) ^ Rotate(w[i - 15], 18) ^
                      (w[i - 15] >> 3);
        uint32_t s1 = Rotate(w[i - 2], 17) ^ Rotate(w[i - 2], 19) ^
                      (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
    for (int i = 0; i < 64; i += 8) {
        SHA256_ROUND(a, b, c, d, e, f, g, h, i);
        SHA256_ROUND(h, a, b, c, d, e, f, g, i + 1);
        SHA256_ROUND(g, h, a, b, c, d, e, f, i + 2);
        SHA256_ROUND(f, g, h, a, b, c, d, e, i + 3);
        SHA256_ROUND(e, f, g, h, a, b, c, d, i + 4);
        SHA256_ROUND(d, e, f, g, h, a, b, c, i + 5);
        SHA256_ROUND(c, d, e, f, g, h, a, b, i + 6);
        SHA256_ROUND(b, c, d, e, f, g, h, a, i + 7);
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
    state[5] += f;
    state[6] += g;
    state[7] += h;
}

#undef SHA256_ROUND

#ifdef SHA256_X86

bool ProcessorHasShaExtensions()
{
    unsigned a, b, c, d;
    if (__get_cpuid_max(0, NULL) < 7 || !__get_cpuid(1, &a, &b, &c, &d))
        return false;
    bool sse = (c & bit_SSSE3) && (c & bit_SSE4_1);
    __cpuid_count(7, 0, a, b, c, d);
    return sse && (b & (1u << 29));   // SHA
}

// A 32-bit Windows caller's stack is aligned to 4 bytes only, and the
// vectors below want 16: the function aligns its own frame there.
#if defined(__i386__)
#define SHA256_ALIGN_STACK __attribute__((force_align_arg_pointer))
#else
#define SHA256_ALIGN_STACK
#endif

// The state kept as the instructions want it (ABEF and CDGH), the 64
// rounds four at a time; the message schedule is the instructions' own.
__attribute__((target("sha,sse4.1,ssse3"))) SHA256_ALIGN_STACK void
HashBlocksWithInstructions(uint32_t state[8], const unsigned char *data,
                           size_t blocks)
{
    const __m128i byteSwap =
        _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
    __m128i tmp = _mm_shuffle_epi32(
        _mm_loadu_si128((const __m128i *)&state[0]), 0xB1);   // CDAB
    __m128i state1 = _mm_shuffle_epi32(
        _mm_loadu_si128((const __m128i *)&state[4]), 0x1B);   // EFGH
    __m128i state0 = _mm_alignr_epi8(tmp, state1, 8);         // ABEF
    state1 = _mm_blend_epi16(state1, tmp, 0xF0);              // CDGH
    for (; blocks > 0; blocks--, data += 64) {
        __m128i savedAbef = state0;
        __m128i savedCdgh = state1;
        __m128i message[4];
        for (int group = 0; group < 16; group++) {
            if (group < 4)
                message[group] = _mm_shuffle_epi8(
                    _mm_loadu_si128((const __m128i *)(data + 16 * group)),
                    byteSwap);
            __m128i current = message[group & 3];
            __m128i words = _mm_add_epi32(
                current, _mm_loadu_si128((const __m128i *)&kRound[4 * group]));
            state1 = _mm_sha256rnds2_epu32(state1, state0, words);
            if (group >= 3 && group <= 14) {
                __m128i &next = message[(group + 1) & 3];
                next = _mm_add_epi32(
                    next,
                    _mm_alignr_epi8(current, message[(group - 1) & 3], 4));
                next = _mm_sha256msg2_epu32(next, current);
            }
            state0 = _mm_sha256rnds2_epu32(state0, state1,
                                           _mm_shuffle_epi32(words, 0x0E));
            if (group >= 1 && group <= 12)
                message[(group - 1) & 3] =
                    _mm_sha256msg1_epu32(message[(group - 1) & 3], current);
        }
        state0 = _mm_add_epi32(state0, savedAbef);
        state1 = _mm_add_epi32(state1, savedCdgh);
    }
    tmp = _mm_shuffle_epi32(state0, 0x1B);                    // FEBA
    state1 = _mm_shuffle_epi32(state1, 0xB1);                 // DCHG
    _mm_storeu_si128((__m128i *)&state[0],
                     _mm_blend_epi16(tmp, state1, 0xF0));     // DCBA
    _mm_storeu_si128((__m128i *)&state[4],
                     _mm_alignr_epi8(state1, tmp, 8));        // HGFE
}

#if defined(__x86_64__)
bool s_instructionsAllowed = true;
#else
bool s_instructionsAllowed = false;
#endif
int s_processorHasSha = -1;   // not asked yet

#endif  // SHA256_X86

void HashBlocks(uint32_t state[8], const unsigned char *data, size_t blocks)
{
#ifdef SHA256_X86
    if (UsesSha256Instructions()) {
        HashBlocksWithInstructions(state, data, blocks);
        return;
    }
#endif
    for (; blocks > 0; blocks--, data += 64)
        HashBlock(state, data);
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

void AllowSha256Instructions(bool allow)
{
#ifdef SHA256_X86
    s_instructionsAllowed = allow;
#else
    (void)allow;
#endif
}

bool UsesSha256Instructions()
{
#ifdef SHA256_X86
    if (s_processorHasSha < 0)
        s_processorHasSha = ProcessorHasShaExtensions() ? 1 : 0;
    return s_instructionsAllowed && s_processorHasSha == 1;
#else
    return false;
#endif
}

void StartSha256(Sha256 *hash)
{
    static const uint32_t kInitial[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372,
                                         0xa54ff53a, 0x510e527f, 0x9b05688c,
                                         0x1f83d9ab, 0x5be0cd19};
    memcpy(hash->state, kInitial, sizeof(hash->state));
    hash->length = 0;
    hash->held = 0;
}

void FeedSha256(Sha256 *hash, const void *data, size_t size)
{
    const unsigned char *p = (const unsigned char *)data;
    hash->length += size;
    if (hash->held > 0) {
        size_t take = sizeof(hash->block) - hash->held;
        if (take > size)
            take = size;
        memcpy(hash->block + hash->held, p, take);
        hash->held += take;
        p += take;
        size -= take;
        if (hash->held < sizeof(hash->block))
            return;
        HashBlocks(hash->state, hash->block, 1);
        hash->held = 0;
    }
    // Whole blocks straight from the caller's buffer: no copy.
    size_t blocks = size / sizeof(hash->block);
    HashBlocks(hash->state, p, blocks);
    p += blocks * sizeof(hash->block);
    size -= blocks * sizeof(hash->block);
    memcpy(hash->block, p, size);
    hash->held = size;
}

void FinishSha256(Sha256 *hash, unsigned char digest[SHA256_DIGEST_SIZE])
{
    uint64_t bits = hash->length * 8;
    unsigned char tail[72] = {0x80};
    // Pad to 56 bytes past a block boundary, then the length in bits.
    size_t padding = (hash->held < 56 ? 56 : 120) - hash->held;
    for (int i = 0; i < 8; i++)
        tail[padding + i] = (unsigned char)(bits >> (56 - 8 * i));
    uint64_t length = hash->length;
    FeedSha256(hash, tail, padding + 8);
    hash->length = length;
    for (int i = 0; i < 8; i++) {
        digest[4 * i] = (unsigned char)(hash->state[i] >> 24);
        digest[4 * i + 1] = (unsigned char)(hash->state[i] >> 16);
        digest[4 * i + 2] = (unsigned char)(hash->state[i] >> 8);
        digest[4 * i + 3] = (unsigned char)hash->state[i];
    }
}

void FormatSha256(const unsigned char digest[SHA256_DIGEST_SIZE],
                  char hex[SHA256_HEX_SIZE])
{
    static const char kDigits[] = "0123456789abcdef";
    for (int i = 0; i < SHA256_DIGEST_SIZE; i++) {
        hex[2 * i] = kDigits[digest[i] >> 4];
        hex[2 * i + 1] = kDigits[digest[i] & 15];
    }
    hex[2 * SHA256_DIGEST_SIZE] = '\0';
}

bool ParseSha256(const char *hex, size_t length,
                 unsigned char digest[SHA256_DIGEST_SIZE])
{
    if (length != 2 * SHA256_DIGEST_SIZE)
        return false;
    for (int i = 0; i < SHA256_DIGEST_SIZE; i++) {
        int high = HexValue(hex[2 * i]);
        int low = HexValue(hex[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        digest[i] = (unsigned char)(high << 4 | low);
    }
    return true;
}
