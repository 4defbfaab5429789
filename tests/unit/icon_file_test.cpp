// Checks the committed application icon the way the Windows loader reads it: a broken directory or
// header makes Explorer and the title bar fall back to the generic icon, which no build step
// would notice.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kIconDirSize = 6;
constexpr std::size_t kDirEntrySize = 16;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kPaletteEntries = 256;

std::uint32_t ReadLe(const Bytes& bytes, std::size_t offset, std::size_t width) {
    if (offset > bytes.size() || width > bytes.size() - offset) {
        throw std::out_of_range("read past the end of the icon file at " + std::to_string(offset));
    }
    std::uint32_t value = 0;
    for (std::size_t i = width; i-- > 0;) {
        value = (value << 8) | bytes[offset + i];
    }
    return value;
}
std::uint16_t U16(const Bytes& bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(ReadLe(bytes, offset, 2));
}
std::uint32_t U32(const Bytes& bytes, std::size_t offset) {
    return ReadLe(bytes, offset, 4);
}
std::int32_t I32(const Bytes& bytes, std::size_t offset) {
    return static_cast<std::int32_t>(U32(bytes, offset));
}

// DIB rows are padded to whole 32-bit words.
std::size_t RowStride(std::size_t width, std::size_t bits) {
    return (width * bits + 31) / 32 * 4;
}

struct DirEntry {
    unsigned width = 0;  // 0 stands for 256
    unsigned height = 0;
    unsigned colourCount = 0;
    unsigned reserved = 0;
    unsigned planes = 0;
    unsigned bitCount = 0;
    std::size_t bytesInRes = 0;
    std::size_t offset = 0;
};

struct InfoHeader {
    std::uint32_t size = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
};

// One image's pixels split out of the file, rows bottom-up as stored.
struct Image {
    DirEntry entry;
    InfoHeader header;
    std::size_t side = 0;
    std::size_t paletteOffset = 0;  // 8-bit images only
    std::size_t xorOffset = 0;
    std::size_t andOffset = 0;
    std::size_t end = 0;  // one past the AND mask

    bool Masked(const Bytes& file, std::size_t x, std::size_t y) const {
        const std::uint8_t row = file[andOffset + y * RowStride(side, 1) + x / 8];
        return (row & (0x80u >> (x % 8))) != 0;
    }
    std::uint8_t Alpha(const Bytes& file, std::size_t x, std::size_t y) const {
        return file[xorOffset + y * RowStride(side, 32) + x * 4 + 3];
    }
    std::uint8_t PaletteIndex(const Bytes& file, std::size_t x, std::size_t y) const {
        return file[xorOffset + y * RowStride(side, 8) + x];
    }
};

class IconFileTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        std::ifstream in(PORTSETUP_ICON_FILE, std::ios::binary);
        file_ = Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static void TearDownTestSuite() { file_.clear(); }

    void SetUp() override {
        ASSERT_GE(file_.size(), kIconDirSize) << "cannot read " << PORTSETUP_ICON_FILE;
    }

    static std::vector<DirEntry> Entries() {
        std::vector<DirEntry> entries;
        const std::size_t count = U16(file_, 4);
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t at = kIconDirSize + i * kDirEntrySize;
            DirEntry e;
            e.width = file_.at(at);
            e.height = file_.at(at + 1);
            e.colourCount = file_.at(at + 2);
            e.reserved = file_.at(at + 3);
            e.planes = U16(file_, at + 4);
            e.bitCount = U16(file_, at + 6);
            e.bytesInRes = U32(file_, at + 8);
            e.offset = U32(file_, at + 12);
            entries.push_back(e);
        }
        return entries;
    }

    // Lays out an image from its directory entry and header; the caller checks that it fits.
    static Image Layout(const DirEntry& entry) {
        Image image;
        image.entry = entry;
        const std::size_t at = entry.offset;
        image.header.size = U32(file_, at);
        image.header.width = I32(file_, at + 4);
        image.header.height = I32(file_, at + 8);
        image.header.planes = U16(file_, at + 12);
        image.header.bitCount = U16(file_, at + 14);
        image.header.compression = U32(file_, at + 16);
        image.header.coloursUsed = U32(file_, at + 32);
        image.side = entry.width == 0 ? 256 : entry.width;
        const std::size_t paletteBytes = image.header.bitCount == 8 ? kPaletteEntries * 4 : 0;
        image.paletteOffset = at + image.header.size;
        image.xorOffset = image.paletteOffset + paletteBytes;
        image.andOffset =
            image.xorOffset + RowStride(image.side, image.header.bitCount) * image.side;
        image.end = image.andOffset + RowStride(image.side, 1) * image.side;
        return image;
    }

    static std::vector<Image> Images() {
        std::vector<Image> images;
        for (const DirEntry& entry : Entries()) {
            images.push_back(Layout(entry));
        }
        return images;
    }

    static inline Bytes file_;
};

TEST_F(IconFileTest, HeaderDeclaresAnIconWithSixImagesAndTheDirectoryFits) {
    EXPECT_EQ(U16(file_, 0), 0u) << "reserved";
    EXPECT_EQ(U16(file_, 2), 1u) << "type 1 is an icon, 2 a cursor";
    EXPECT_EQ(U16(file_, 4), 6u);
    EXPECT_LE(kIconDirSize + U16(file_, 4) * kDirEntrySize, file_.size());
}

TEST_F(IconFileTest, ImagesAreThreeSizesEachAtEightAndThirtyTwoBits) {
    std::multiset<std::pair<unsigned, unsigned>> found;
    for (const DirEntry& e : Entries()) {
        SCOPED_TRACE(testing::Message() << e.width << " px, " << e.bitCount << " bit");
        EXPECT_EQ(e.width, e.height) << "square";
        EXPECT_EQ(e.planes, 1u);
        EXPECT_EQ(e.reserved, 0u);
        // The colour count is 0 both for 256 colours and for true colour.
        EXPECT_EQ(e.colourCount, 0u);
        found.insert({e.width, e.bitCount});
    }
    const std::multiset<std::pair<unsigned, unsigned>> expected = {{32, 8},  {24, 8},  {16, 8},
                                                                   {32, 32}, {24, 32}, {16, 32}};
    EXPECT_EQ(found, expected);
}

TEST_F(IconFileTest, EveryImageLiesInsideTheFileAfterTheDirectoryWithoutOverlap) {
    std::vector<DirEntry> entries = Entries();
    const std::size_t directoryEnd = kIconDirSize + entries.size() * kDirEntrySize;
    std::sort(entries.begin(), entries.end(),
              [](const DirEntry& a, const DirEntry& b) { return a.offset < b.offset; });
    std::size_t previousEnd = directoryEnd;
    for (const DirEntry& e : entries) {
        SCOPED_TRACE(testing::Message() << e.width << " px, " << e.bitCount << " bit");
        EXPECT_GE(e.offset, previousEnd);
        ASSERT_LE(e.offset, file_.size());
        EXPECT_LE(e.bytesInRes, file_.size() - e.offset);
        previousEnd = e.offset + e.bytesInRes;
    }
}

TEST_F(IconFileTest, BitmapHeadersAgreeWithTheirDirectoryEntries) {
    for (const DirEntry& e : Entries()) {
        SCOPED_TRACE(testing::Message() << e.width << " px, " << e.bitCount << " bit");
        ASSERT_LE(e.offset + kInfoHeaderSize, file_.size());
        ASSERT_NE(U32(file_, e.offset), 0x474E5089u) << "a PNG entry, not a bitmap";
        const Image image = Layout(e);
        EXPECT_EQ(image.header.size, kInfoHeaderSize) << "BITMAPINFOHEADER";
        EXPECT_EQ(image.header.width, static_cast<std::int32_t>(e.width));
        // The height counts the colour bitmap and the AND mask together.
        EXPECT_EQ(image.header.height, 2 * static_cast<std::int32_t>(e.width));
        EXPECT_EQ(image.header.planes, 1u);
        EXPECT_EQ(image.header.bitCount, e.bitCount);
        EXPECT_EQ(image.header.compression, 0u) << "BI_RGB";
        if (e.bitCount == 8) {
            EXPECT_TRUE(image.header.coloursUsed == 0 || image.header.coloursUsed == 256)
                << image.header.coloursUsed << " palette entries";
        }
        // Header, palette, colour bitmap and AND mask fill the entry exactly: a missing mask
        // or palette shows up as a short entry.
        EXPECT_EQ(image.end - e.offset, e.bytesInRes);
    }
}

TEST_F(IconFileTest, PalettedImagesShowTheScreenThroughTheirTransparentPixels) {
    for (const Image& image : Images()) {
        if (image.header.bitCount != 8) {
            continue;
        }
        SCOPED_TRACE(testing::Message() << image.side << " px, 8 bit");
        ASSERT_LE(image.end, file_.size());
        std::size_t masked = 0;
        std::size_t wrongColour = 0;
        for (std::size_t y = 0; y < image.side; ++y) {
            for (std::size_t x = 0; x < image.side; ++x) {
                if (!image.Masked(file_, x, y)) {
                    continue;
                }
                ++masked;
                // The screen is ANDed with the mask and XORed with the colour: anything but
                // black under a set mask bit inverts what lies behind the icon.
                const std::size_t entry = image.paletteOffset + image.PaletteIndex(file_, x, y) * 4;
                if (file_[entry] != 0 || file_[entry + 1] != 0 || file_[entry + 2] != 0) {
                    ++wrongColour;
                }
            }
        }
        const std::size_t total = image.side * image.side;
        EXPECT_GT(masked, 0u) << "no transparent pixel, so the icon would show as a square";
        EXPECT_LT(masked, total) << "nothing drawn";
        EXPECT_EQ(wrongColour, 0u);
    }
}

TEST_F(IconFileTest, TrueColourImagesUseTheirAlphaAndAMatchingMask) {
    for (const Image& image : Images()) {
        if (image.header.bitCount != 32) {
            continue;
        }
        SCOPED_TRACE(testing::Message() << image.side << " px, 32 bit");
        ASSERT_LE(image.end, file_.size());
        std::size_t clear = 0;
        std::size_t solid = 0;
        std::size_t clearButUnmasked = 0;
        std::size_t solidButMasked = 0;
        for (std::size_t y = 0; y < image.side; ++y) {
            for (std::size_t x = 0; x < image.side; ++x) {
                const std::uint8_t alpha = image.Alpha(file_, x, y);
                const bool masked = image.Masked(file_, x, y);
                clear += alpha == 0 ? 1 : 0;
                solid += alpha == 255 ? 1 : 0;
                clearButUnmasked += alpha == 0 && !masked ? 1 : 0;
                solidButMasked += alpha == 255 && masked ? 1 : 0;
            }
        }
        // All 0 would make the loader treat the image as having no alpha; all 255 means
        // the image is an opaque square.
        EXPECT_GT(clear, 0u);
        EXPECT_GT(solid, 0u);
        // Code that ignores alpha falls back to the mask, which must cut out the same shape.
        EXPECT_EQ(clearButUnmasked, 0u);
        EXPECT_EQ(solidButMasked, 0u);
    }
}

}  // namespace
