#include <gtest/gtest.h>

#include <stdint.h>
#include <string>
#include <vector>

#include "core/catalog/dib_format.h"

typedef std::vector<unsigned char> Bytes;

static void Put32(Bytes &b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        b[at + i] = (unsigned char)(v >> (8 * i));
}

static void Put16(Bytes &b, size_t at, int v)
{
    b[at] = (unsigned char)v;
    b[at + 1] = (unsigned char)(v >> 8);
}

struct BmpShape {
    int width = 3;
    int height = 2;
    int bitCount = 24;
    uint32_t tableEntries = 0;   // entries written into the file
    uint32_t colorsUsed = 0;     // biClrUsed
    int offBits = -1;            // -1: where the pixels really start
    uint32_t compression = 0;
    int64_t sizeImage = -1;      // -1: the exact row bytes
};

static uint32_t RowBytes(int width, int bitCount)
{
    return (uint32_t)(((uint64_t)width * bitCount + 31) / 32 * 4);
}

// A bitmap file: table entry i is (i, i+1, i+2, 0); pixel byte j is j*7.
static Bytes MakeBmp(const BmpShape &shape)
{
    uint32_t pixels = RowBytes(shape.width, shape.bitCount) *
                      (uint32_t)(shape.height < 0 ? -shape.height
                                                  : shape.height);
    size_t table = 4 * shape.tableEntries;
    Bytes b(54 + table + pixels, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, (uint32_t)b.size());
    Put32(b, 10, shape.offBits < 0 ? (uint32_t)(54 + table)
                                   : (uint32_t)shape.offBits);
    Put32(b, 14, 40);
    Put32(b, 18, (uint32_t)shape.width);
    Put32(b, 22, (uint32_t)shape.height);
    Put16(b, 26, 1);
    Put16(b, 28, shape.bitCount);
    Put32(b, 30, shape.compression);
    Put32(b, 34, shape.sizeImage < 0 ? pixels : (uint32_t)shape.sizeImage);
    Put32(b, 46, shape.colorsUsed);
    for (size_t i = 0; i < shape.tableEntries; i++) {
        b[54 + 4 * i] = (unsigned char)i;
        b[55 + 4 * i] = (unsigned char)(i + 1);
        b[56 + 4 * i] = (unsigned char)(i + 2);
    }
    for (uint32_t j = 0; j < pixels; j++)
        b[54 + table + j] = (unsigned char)(j * 7);
    return b;
}

static bool Layout(const Bytes &file, DibLayout *layout)
{
    return ReadDibLayout(file.data(), file.size(), file.size(), layout);
}

// Packs into a block with a marker tail, which must stay untouched.
static bool Pack(const Bytes &file, Bytes *block, DibLayout *layout)
{
    block->assign(file.size() + 2048, 0xEE);
    return PackDibBlock(file.data(), file.size(), block->data(),
                        block->size() - 16, layout);
}

TEST(DibLayout, EntriesFollowTheBitDepth)
{
    EXPECT_EQ(2, DibPaletteEntries(1));
    EXPECT_EQ(16, DibPaletteEntries(4));
    EXPECT_EQ(256, DibPaletteEntries(8));
    EXPECT_EQ(0, DibPaletteEntries(24));
    for (int depth : {0, 2, 16, 32, 48})
        EXPECT_EQ(-1, DibPaletteEntries(depth)) << depth;
}

TEST(DibLayout, PalettedPicturesCarryTheirFullTable)
{
    for (int depth : {1, 4, 8}) {
        SCOPED_TRACE(depth);
        BmpShape shape;
        shape.width = 13;
        shape.height = 5;
        shape.bitCount = depth;
        shape.tableEntries = (uint32_t)DibPaletteEntries(depth);
        Bytes file = MakeBmp(shape);
        Bytes block;
        DibLayout layout;
        ASSERT_TRUE(Pack(file, &block, &layout));
        EXPECT_EQ(13, layout.width);
        EXPECT_EQ(5, layout.height);
        EXPECT_EQ((int)shape.tableEntries, layout.paletteEntries);
        EXPECT_EQ(file.size() - 14, layout.blockSize);
        EXPECT_TRUE(std::equal(file.begin() + 14, file.end(), block.begin()));
        EXPECT_EQ(0xEE, block[layout.blockSize]);
    }
}

TEST(DibLayout, TrueColourPixelsStartBehindTheHeader)
{
    Bytes file = MakeBmp(BmpShape());
    Bytes block;
    DibLayout layout;
    ASSERT_TRUE(Pack(file, &block, &layout));
    EXPECT_EQ(0, layout.paletteEntries);
    EXPECT_EQ(40u + 24u, layout.blockSize);  // two rows of 9 + 3 bytes
    EXPECT_EQ(file[54], block[40]);
    EXPECT_EQ(file[55], block[41]);
}

TEST(DibLayout, FewerUsedColoursStillReadTheFullTable)
{
    // The header names 3 colours, the file holds all 256 entries and its
    // pixel offset is not trusted: the pixels follow the full table.
    for (int offBits : {54 + 1024, 0, 12345}) {
        SCOPED_TRACE(offBits);
        BmpShape shape;
        shape.bitCount = 8;
        shape.tableEntries = 256;
        shape.colorsUsed = 3;
        shape.offBits = offBits;
        Bytes file = MakeBmp(shape);
        Bytes block;
        DibLayout layout;
        ASSERT_TRUE(Pack(file, &block, &layout));
        EXPECT_EQ(256, layout.paletteEntries);
        EXPECT_EQ(file[54 + 1024], block[40 + 1024]);
        EXPECT_EQ(255, block[40 + 4 * 255]);  // last table entry kept
    }
}

TEST(DibLayout, AShortTableNamedByOffsetIsFilledUp)
{
    BmpShape shape;
    shape.bitCount = 8;
    shape.tableEntries = 3;
    shape.colorsUsed = 3;
    Bytes file = MakeBmp(shape);
    Bytes block;
    DibLayout layout;
    ASSERT_TRUE(Pack(file, &block, &layout));
    EXPECT_EQ(256, layout.paletteEntries);
    EXPECT_EQ(12u, layout.fileTableBytes);
    EXPECT_EQ(2, block[40 + 8]);           // entry 2 from the file
    EXPECT_EQ(0, block[40 + 12]);          // entry 3 zero-filled
    EXPECT_EQ(file[54 + 12], block[40 + 1024]);
    EXPECT_EQ(3, block[32]);               // biClrUsed kept

    // A 24-bit picture with an optional table: the table is skipped.
    BmpShape trueColour;
    trueColour.tableEntries = 4;
    trueColour.colorsUsed = 4;
    file = MakeBmp(trueColour);
    ASSERT_TRUE(Pack(file, &block, &layout));
    EXPECT_EQ(file[54 + 16], block[40]);
    EXPECT_EQ(0, block[32]);  // no table in the block for GDI to read
}

TEST(DibLayout, ColoursUsedBeyondTheTableAreNotHandedOn)
{
    BmpShape shape;
    shape.bitCount = 8;
    shape.tableEntries = 256;
    shape.colorsUsed = 300;
    Bytes file = MakeBmp(shape);
    Bytes block;
    DibLayout layout;
    ASSERT_TRUE(Pack(file, &block, &layout));
    EXPECT_EQ(0, block[32] | block[33]);
}

TEST(DibLayout, TopDownPicturesAreAccepted)
{
    BmpShape shape;
    shape.height = -4;
    DibLayout layout;
    ASSERT_TRUE(Layout(MakeBmp(shape), &layout));
    EXPECT_EQ(-4, layout.height);
    EXPECT_EQ(48u, layout.pixelBytes);  // four rows of 12 bytes
}

TEST(DibLayout, EveryTruncationIsNoPicture)
{
    BmpShape shape;
    shape.bitCount = 4;
    shape.tableEntries = 16;
    Bytes file = MakeBmp(shape);
    for (size_t size = 0; size < file.size(); size++) {
        // An exact copy of the short file, so reading past it shows.
        std::vector<unsigned char> cut(file.begin(), file.begin() + size);
        DibLayout layout;
        Bytes block(file.size(), 0xEE);
        EXPECT_FALSE(PackDibBlock(cut.data(), cut.size(), block.data(),
                                  block.size(), &layout))
            << size;
        EXPECT_EQ(0xEE, block[0]) << size;
    }
}

TEST(DibLayout, MalformedHeadersAreNoPicture)
{
    struct Case {
        const char *what;
        BmpShape shape;
        void (*spoil)(Bytes &);
    };
    BmpShape plain;
    BmpShape eight = plain;
    eight.bitCount = 8;
    eight.tableEntries = 256;
    std::vector<Case> cases = {
        {"header size 12", plain, [](Bytes &b) { Put32(b, 14, 12); }},
        {"header size 108", plain, [](Bytes &b) { Put32(b, 14, 108); }},
        {"16 bits", plain, [](Bytes &b) { Put16(b, 28, 16); }},
        {"32 bits", plain, [](Bytes &b) { Put16(b, 28, 32); }},
        {"2 bits", plain, [](Bytes &b) { Put16(b, 28, 2); }},
        {"size image 0", plain, [](Bytes &b) { Put32(b, 34, 0); }},
        {"size image past the file", plain,
         [](Bytes &b) { Put32(b, 34, 25); }},
        {"size image far past", plain,
         [](Bytes &b) { Put32(b, 34, 0xFFFFFFFFu); }},
        {"rows need more than size image", plain,
         [](Bytes &b) { Put32(b, 34, 23); }},
        {"width 0", plain, [](Bytes &b) { Put32(b, 18, 0); }},
        {"negative width", plain, [](Bytes &b) { Put32(b, 18, (uint32_t)-3); }},
        {"height 0", plain, [](Bytes &b) { Put32(b, 22, 0); }},
        {"huge picture", plain,
         [](Bytes &b) {
             Put32(b, 18, 0x7FFFFFFF);
             Put32(b, 22, 0x7FFFFFFF);
         }},
        {"most negative height", plain,
         [](Bytes &b) { Put32(b, 22, 0x80000000u); }},
        {"bit fields", plain, [](Bytes &b) { Put32(b, 30, 3); }},
        {"jpeg", plain, [](Bytes &b) { Put32(b, 30, 4); }},
        {"RLE8 on 24 bits", plain, [](Bytes &b) { Put32(b, 30, 1); }},
        {"RLE4 on 8 bits", eight, [](Bytes &b) { Put32(b, 30, 2); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Bytes file = MakeBmp(c.shape);
        c.spoil(file);
        DibLayout layout;
        EXPECT_FALSE(Layout(file, &layout));
        Bytes block;
        EXPECT_FALSE(Pack(file, &block, &layout));
    }
}

TEST(DibLayout, RunLengthPicturesAreBoundedBySizeImage)
{
    BmpShape shape;
    shape.bitCount = 8;
    shape.tableEntries = 256;
    shape.compression = 1;
    shape.sizeImage = 6;  // shorter than the rows would be unpacked
    Bytes file = MakeBmp(shape);
    DibLayout layout;
    ASSERT_TRUE(ReadDibLayout(file.data(), file.size(), file.size(),
                              &layout));
    EXPECT_EQ(6u, layout.pixelBytes);
    EXPECT_EQ(40u + 1024u + 6u, layout.blockSize);
}

TEST(DibLayout, ABlockTooSmallIsNotWritten)
{
    Bytes file = MakeBmp(BmpShape());
    Bytes block(file.size(), 0xEE);
    DibLayout layout;
    EXPECT_FALSE(PackDibBlock(file.data(), file.size(), block.data(), 55,
                              &layout));
    EXPECT_EQ(0xEE, block[0]);
}

TEST(DibLayout, TheFileSizeBoundsTheHead)
{
    // The head alone looks fine, but the file is said to be shorter.
    Bytes file = MakeBmp(BmpShape());
    DibLayout layout;
    EXPECT_TRUE(ReadDibLayout(file.data(), 54, file.size(), &layout));
    EXPECT_FALSE(ReadDibLayout(file.data(), 54, file.size() - 1, &layout));
    EXPECT_FALSE(ReadDibLayout(file.data(), 53, file.size(), &layout));
}
