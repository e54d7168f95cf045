// SHA-256 (FIPS 180-4), fed in pieces as a file is read, so that a copy
// hashes each buffer it reads and needs no second pass over the file.
#pragma once

#include <stddef.h>
#include <stdint.h>

constexpr int SHA256_DIGEST_SIZE = 32;
constexpr int SHA256_HEX_SIZE = 2 * SHA256_DIGEST_SIZE + 1;   // with the NUL

struct Sha256 {
    uint32_t state[8];
    uint64_t length;        // bytes fed so far
    unsigned char block[64];
    size_t held;            // bytes of block not yet hashed
};

void StartSha256(Sha256 *hash);
void FeedSha256(Sha256 *hash, const void *data, size_t size);
void FinishSha256(Sha256 *hash, unsigned char digest[SHA256_DIGEST_SIZE]);

// Whether the processor's SHA extensions may be used where it has them
// (x86, with SSE4.1): several times faster than the plain rounds, which
// are used otherwise. Allowed by default in a 64-bit program, where every
// system saves the SSE registers; a 32-bit program allows them once the
// system says it saves them (Windows 95 does not). Tests switch them off
// to check the plain rounds.
void AllowSha256Instructions(bool allow);
bool UsesSha256Instructions();

// The digest as 64 lower-case hexadecimal digits (hex: SHA256_HEX_SIZE).
void FormatSha256(const unsigned char digest[SHA256_DIGEST_SIZE],
                  char hex[SHA256_HEX_SIZE]);

// Reads exactly 64 hexadecimal digits (either case); false otherwise.
bool ParseSha256(const char *hex, size_t length,
                 unsigned char digest[SHA256_DIGEST_SIZE]);
