// The picture checks and block packing on fuzzed bitmap files (seeded
// with real 1, 4, 8 and 24-bit files). A file that is accepted must lie
// wholly inside the bytes given, and its packed block must give GDI no
// reason to read past it: the colour table it names and the rows of an
// uncompressed picture fit the block. A block one byte short is refused
// and left untouched.
#include <stdint.h>
#include <string.h>

#include "fuzz/fuzz_input.h"
#include "core/catalog/dib_format.h"

static uint32_t Uint32At(const unsigned char *p)
{
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) |
           ((uint32_t)p[3] << 24);
}

// What StretchDIBits would read from a block: the info header, the colour
// table that biClrUsed (or the depth) names, and for plain rows every row.
static void CheckBlockForGdi(const unsigned char *block,
                             const DibLayout &layout)
{
    uint32_t colorsUsed = Uint32At(block + 32);
    uint32_t compression = Uint32At(block + 16);
    uint64_t tableEntries = 0;
    if (layout.bitCount <= 8)
        tableEntries = colorsUsed != 0 ? colorsUsed
                                       : (uint64_t)layout.paletteEntries;
    else
        tableEntries = colorsUsed;
    FUZZ_CHECK(DIB_INFO_HEADER_SIZE + 4 * tableEntries <=
               DIB_INFO_HEADER_SIZE + layout.tableBytes);
    if (compression == 0) {
        uint64_t stride =
            ((uint64_t)layout.width * (uint64_t)layout.bitCount + 31) / 32 * 4;
        uint64_t rows = layout.height < 0 ? -(int64_t)layout.height
                                          : (uint64_t)layout.height;
        FUZZ_CHECK(stride * rows <= layout.pixelBytes);
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzReader reader = MakeReader(data, size);
    size_t fileSize = 0;
    unsigned char *file = TakeRest(&reader, &fileSize);

    DibLayout layout;
    bool accepted = ReadDibLayout(file, fileSize, fileSize, &layout);

    // The loader checks the head it has read against the file's size; only
    // the first bytes may count.
    size_t headSize = fileSize < DIB_HEAD_SIZE ? fileSize : DIB_HEAD_SIZE;
    unsigned char *head = (unsigned char *)malloc(headSize ? headSize : 1);
    memcpy(head, file, headSize);
    DibLayout fromHead;
    FUZZ_CHECK(ReadDibLayout(head, headSize, fileSize, &fromHead) == accepted);
    free(head);

    if (accepted) {
        FUZZ_CHECK(memcmp(&fromHead, &layout, sizeof(layout)) == 0);
        FUZZ_CHECK(layout.paletteEntries == DibPaletteEntries(layout.bitCount));
        FUZZ_CHECK(layout.paletteEntries >= 0);
        FUZZ_CHECK(layout.tableBytes == 4u * (size_t)layout.paletteEntries);
        FUZZ_CHECK(layout.pixelBytes > 0 && layout.width > 0 &&
                   layout.height != 0);
        FUZZ_CHECK(layout.fileBytes <= fileSize);
        FUZZ_CHECK(layout.fileBytes == DIB_HEAD_SIZE + layout.fileTableBytes +
                                           layout.pixelBytes);
        FUZZ_CHECK(layout.blockSize == DIB_INFO_HEADER_SIZE +
                                           layout.tableBytes +
                                           layout.pixelBytes);

        unsigned char *shortBlock = (unsigned char *)malloc(layout.blockSize);
        memset(shortBlock, '#', layout.blockSize);
        DibLayout refused;
        FUZZ_CHECK(!PackDibBlock(file, fileSize, shortBlock,
                                 layout.blockSize - 1, &refused));
        for (size_t i = 0; i < layout.blockSize; i++)
            FUZZ_CHECK(shortBlock[i] == '#');
        free(shortBlock);

        unsigned char *block = (unsigned char *)malloc(layout.blockSize);
        DibLayout packed;
        FUZZ_CHECK(PackDibBlock(file, fileSize, block, layout.blockSize,
                                &packed));
        FUZZ_CHECK(memcmp(&packed, &layout, sizeof(layout)) == 0);
        // The header is the file's, apart from a colour count that names
        // more entries than the block holds.
        FUZZ_CHECK(memcmp(block, file + DIB_FILE_HEADER_SIZE, 32) == 0);
        FUZZ_CHECK(memcmp(block + 36, file + DIB_FILE_HEADER_SIZE + 36, 4) ==
                   0);
        FUZZ_CHECK(memcmp(block + DIB_INFO_HEADER_SIZE + layout.tableBytes,
                          file + layout.fileBytes - layout.pixelBytes,
                          layout.pixelBytes) == 0);
        CheckBlockForGdi(block, layout);
        free(block);
    } else {
        unsigned char marker[64];
        memset(marker, '#', sizeof(marker));
        DibLayout refused;
        FUZZ_CHECK(!PackDibBlock(file, fileSize, marker, sizeof(marker),
                                 &refused));
        for (size_t i = 0; i < sizeof(marker); i++)
            FUZZ_CHECK(marker[i] == '#');
    }
    free(file);
    return 0;
}
