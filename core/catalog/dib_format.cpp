#include "core/catalog/dib_format.h"

#include <stdint.h>
#include <string.h>

// Offsets in the file.
constexpr size_t OFF_BITS = 10;
constexpr size_t INFO_SIZE = 14;
constexpr size_t WIDTH = 18;
constexpr size_t HEIGHT = 22;
constexpr size_t BIT_COUNT = 28;
constexpr size_t COMPRESSION = 30;
constexpr size_t SIZE_IMAGE = 34;
constexpr size_t COLORS_USED = 46;

constexpr uint32_t COMPRESSION_RGB = 0;
constexpr uint32_t COMPRESSION_RLE8 = 1;
constexpr uint32_t COMPRESSION_RLE4 = 2;

static uint32_t ReadUint32(const unsigned char *p)
{
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) |
           ((uint32_t)p[3] << 24);
}

static int ReadInt32(const unsigned char *p)
{
    return (int)(int32_t)ReadUint32(p);
}

static int ReadUint16(const unsigned char *p)
{
    return p[0] | (p[1] << 8);
}

int DibPaletteEntries(int bitCount)
{
    switch (bitCount) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    case 24:
        return 0;
    default:
        return -1;
    }
}

// Run-length pictures are bounded by biSizeImage inside GDI; plain rows
// must all lie inside the pixel data, since GDI reads them unchecked.
static bool PixelsAreComplete(const unsigned char *head, int width,
                              int height, int bitCount, uint32_t pixelBytes)
{
    uint32_t compression = ReadUint32(head + COMPRESSION);
    if (compression == COMPRESSION_RLE8)
        return bitCount == 8;
    if (compression == COMPRESSION_RLE4)
        return bitCount == 4;
    if (compression != COMPRESSION_RGB)
        return false;
    uint64_t rowBytes = ((uint64_t)width * (uint64_t)bitCount + 31) / 32 * 4;
    uint64_t rows = height < 0 ? (uint64_t)(-(int64_t)height)
                               : (uint64_t)height;
    return rowBytes * rows <= pixelBytes;
}

// The colour table normally has the full size for the depth. A file
// whose header names fewer used colours and whose pixel offset says the
// pixels follow exactly that many entries holds a short table (as most
// writers make them); any other offset is not trusted.
static size_t FileTableBytes(const unsigned char *head, int entries)
{
    uint32_t colorsUsed = ReadUint32(head + COLORS_USED);
    uint32_t offBits = ReadUint32(head + OFF_BITS);
    uint64_t shortOffset = DIB_HEAD_SIZE + 4ull * colorsUsed;
    if (colorsUsed > 0 && colorsUsed < 0x10000 && offBits == shortOffset &&
        (int)colorsUsed != entries)
        return 4u * colorsUsed;
    return 4u * (size_t)entries;
}

bool ReadDibLayout(const unsigned char *head, size_t headSize,
                   unsigned long long fileSize, DibLayout *layout)
{
    if (headSize < DIB_HEAD_SIZE || ReadUint32(head + INFO_SIZE) != 40)
        return false;
    int width = ReadInt32(head + WIDTH);
    int height = ReadInt32(head + HEIGHT);
    int bitCount = ReadUint16(head + BIT_COUNT);
    int entries = DibPaletteEntries(bitCount);
    uint32_t pixelBytes = ReadUint32(head + SIZE_IMAGE);
    if (entries < 0 || pixelBytes == 0 || width <= 0 || height == 0)
        return false;
    if (!PixelsAreComplete(head, width, height, bitCount, pixelBytes))
        return false;

    size_t fileTableBytes = FileTableBytes(head, entries);
    uint64_t fileBytes = DIB_HEAD_SIZE + (uint64_t)fileTableBytes + pixelBytes;
    uint64_t blockSize =
        DIB_INFO_HEADER_SIZE + 4ull * (uint64_t)entries + pixelBytes;
    if (fileBytes > fileSize || fileBytes > SIZE_MAX || blockSize > SIZE_MAX)
        return false;

    layout->width = width;
    layout->height = height;
    layout->bitCount = bitCount;
    layout->paletteEntries = entries;
    layout->fileTableBytes = fileTableBytes;
    layout->tableBytes = 4u * (size_t)entries;
    layout->pixelBytes = pixelBytes;
    layout->fileBytes = (size_t)fileBytes;
    layout->blockSize = (size_t)blockSize;
    return true;
}

// GDI takes biClrUsed entries from behind the info header; the block holds
// exactly paletteEntries, so a larger count (or any count on a 24-bit
// picture) would make it read past the table.
static void LimitColorsUsed(unsigned char *info, int entries)
{
    unsigned char *colorsUsed = info + (COLORS_USED - DIB_FILE_HEADER_SIZE);
    if (ReadUint32(colorsUsed) <= (uint32_t)entries)
        return;
    memset(colorsUsed, 0, 4);
}

bool PackDibBlock(const unsigned char *file, size_t fileSize,
                  unsigned char *block, size_t blockSize, DibLayout *layout)
{
    DibLayout found;
    if (!ReadDibLayout(file, fileSize, fileSize, &found) ||
        found.blockSize > blockSize)
        return false;
    unsigned char *table = block + DIB_INFO_HEADER_SIZE;
    const unsigned char *fileTable = file + DIB_HEAD_SIZE;
    size_t keptTable = found.fileTableBytes < found.tableBytes
                           ? found.fileTableBytes
                           : found.tableBytes;
    memcpy(block, file + DIB_FILE_HEADER_SIZE, DIB_INFO_HEADER_SIZE);
    LimitColorsUsed(block, found.paletteEntries);
    memcpy(table, fileTable, keptTable);
    memset(table + keptTable, 0, found.tableBytes - keptTable);
    memcpy(table + found.tableBytes, fileTable + found.fileTableBytes,
           found.pixelBytes);
    *layout = found;
    return true;
}
