#include "core/media/sha256.h"

#include <string.h>

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
        HashBlock(hash->state, hash->block);
        hash->held = 0;
    }
    // Whole blocks straight from the caller's buffer: no copy.
    for (; size >= sizeof(hash->block); p += 64, size -= 64)
        HashBlock(hash->state, p);
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
