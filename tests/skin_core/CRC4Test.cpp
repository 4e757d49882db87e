#include "skin/core/CRC4.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

std::vector<uint8_t> codeZeros(const std::vector<uint8_t> &key, size_t count)
{
    std::vector<uint8_t> data(count, 0);
    skin::CRC4().Decode(data.data(), data.size(), key.data(), static_cast<int>(key.size()));
    return data;
}

std::vector<uint8_t> slice(const std::vector<uint8_t> &bytes, size_t from, size_t count)
{
    return std::vector<uint8_t>(bytes.begin() + from, bytes.begin() + from + count);
}

// Where the key schedule never exchanges an element with itself, the packs' cipher is RC4:
// published test vectors hold.
TEST(CRC4, PublishedRc4VectorsHoldWhereNoElementMeetsItself)
{
    EXPECT_EQ(codeZeros({ 1, 2, 3, 4, 5 }, 16),
        (std::vector<uint8_t> { 0xB2, 0x39, 0x63, 0x05, 0xF0, 0x3D, 0xC0, 0x27, 0xCC, 0xC3, 0x52, 0x4A, 0x0A,
            0x11, 0x18, 0xA8 }));
    std::vector<uint8_t> text { 'P', 'l', 'a', 'i', 'n', 't', 'e', 'x', 't' };
    const uint8_t key[] = { 'K', 'e', 'y' };
    skin::CRC4().Encode(text.data(), text.size(), key, 3);
    EXPECT_EQ(text, (std::vector<uint8_t> { 0xBB, 0xF3, 0x16, 0xE8, 0xD9, 0x40, 0xAF, 0x0A, 0xD3 }));
}

// An element exchanged with itself becomes 0. The all-zero key meets that first where it
// matters late: its keystream is RC4's up to byte 45 and differs at byte 46 (RC4 gives 0x22).
TEST(CRC4, AnElementExchangedWithItselfBecomesZero)
{
    const std::vector<uint8_t> zeroKey = codeZeros(std::vector<uint8_t>(16, 0), 52);
    EXPECT_EQ(slice(zeroKey, 0, 16),
        (std::vector<uint8_t> { 0xDE, 0x18, 0x89, 0x41, 0xA3, 0x37, 0x5D, 0x3A, 0x8A, 0x06, 0x1E, 0x67, 0x57,
            0x6E, 0x92, 0x6D }));
    EXPECT_EQ(slice(zeroKey, 40, 12),
        (std::vector<uint8_t> { 0x41, 0x7A, 0xA5, 0xCB, 0x30, 0xFC, 0xE9, 0x19, 0x8B, 0x34, 0x98, 0x2D }));

    // This key's schedule meets a non-zero element early: the first byte differs from RC4's 0x41.
    std::vector<uint8_t> key(16, 0);
    key[0] = 0x3E;
    EXPECT_EQ(codeZeros(key, 16),
        (std::vector<uint8_t> { 0x00, 0x63, 0x75, 0x6C, 0x90, 0x3D, 0x91, 0xCA, 0xF1, 0xEC, 0xE4, 0x63, 0x36,
            0x8A, 0x05, 0xD5 }));
}

TEST(CRC4, CodingTwiceRestoresAndEveryCallStartsAfresh)
{
    const std::array<uint8_t, 16> key { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16 };
    std::vector<uint8_t> data;
    for (int n = 0; n < 300; ++n)
        data.push_back(static_cast<uint8_t>(n * 7));
    const std::vector<uint8_t> original = data;
    skin::CRC4 cipher;
    cipher.Encode(data.data(), data.size(), key.data(), 16);
    const std::vector<uint8_t> coded = data;
    EXPECT_NE(coded, original);
    cipher.Decode(data.data(), data.size(), key.data(), 16);
    EXPECT_EQ(data, original);
    cipher.Encode(data.data(), data.size(), key.data(), 16);
    EXPECT_EQ(data, coded);
}

TEST(CRC4, EmptyKeyLeavesDataAlone)
{
    std::vector<uint8_t> data { 1, 2, 3 };
    const uint8_t key[1] = { 9 };
    skin::CRC4().Decode(data.data(), data.size(), key, 0);
    EXPECT_EQ(data, (std::vector<uint8_t> { 1, 2, 3 }));
}

} // namespace
