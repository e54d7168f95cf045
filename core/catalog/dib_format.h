// The picture files of the wizard: a Windows bitmap file (14-byte file
// header, 40-byte info header, colour table, pixels) and the packed block
// made from it (info header, full colour table, pixels), which serves as
// BITMAPINFO followed by its bits.
#pragma once

#include <stddef.h>

constexpr size_t DIB_FILE_HEADER_SIZE = 14;
constexpr size_t DIB_INFO_HEADER_SIZE = 40;
constexpr size_t DIB_HEAD_SIZE = DIB_FILE_HEADER_SIZE + DIB_INFO_HEADER_SIZE;

struct DibLayout {
    int width;              // biWidth
    int height;             // biHeight (negative: top-down rows)
    int bitCount;           // 1, 4, 8 or 24
    int paletteEntries;     // 2, 16, 256 or 0: the block's colour table
    size_t fileTableBytes;  // colour table bytes that the file holds
    size_t tableBytes;      // 4 * paletteEntries
    size_t pixelBytes;      // biSizeImage
    size_t fileBytes;       // bytes of the file that are used
    size_t blockSize;       // info header + table + pixels
};

// Colour-table entries of a bit depth: 2, 16, 256, 0 for 24 bits, -1 for
// a depth the wizard does not show.
int DibPaletteEntries(int bitCount);

// Checks the first head bytes of a file of fileSize bytes and works out
// where its parts lie. False ("no picture") for a short head, an info
// header other than 40 bytes, an unsupported depth or compression, a
// biSizeImage of 0 or too small for the rows, or a file too short to hold
// the table and the pixels.
bool ReadDibLayout(const unsigned char *head, size_t headSize,
                   unsigned long long fileSize, DibLayout *layout);

// Packs a bitmap file held in memory into block (blockSize bytes, at least
// layout.blockSize). Colour-table entries the file does not hold are
// zero-filled. Returns false, writing nothing, when ReadDibLayout refuses
// the file or the block is too small.
bool PackDibBlock(const unsigned char *file, size_t fileSize,
                  unsigned char *block, size_t blockSize, DibLayout *layout);
