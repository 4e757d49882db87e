#include "skin/core/CRC4.h"

#include <gtest/gtest.h>

#include <array>
#include <utility>
#include <vector>

namespace {

// Straightforward keystreams, written apart from the class under test. `zeroOnSelfSwap`
// selects the packs' variant: an element exchanged with itself becomes 0.
std::vector<uint8_t> keystream(const std::vector<uint8_t> &key, size_t count, bool zeroOnSelfSwap)
{
    uint8_t s[256];
    for (int k = 0; k < 256; ++k)
        s[k] = static_cast<uint8_t>(k);
    auto exchange = [&](int i, int j) {
        if (i == j && zeroOnSelfSwap)
            s[i] = 0;
        else
            std::swap(s[i], s[j]);
    };
    int j = 0;
    for (int i = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % key.size()]) % 256;
        exchange(i, j);
    }
    std::vector<uint8_t> out;
    int i = 0;
    j = 0;
    for (size_t n = 0; n < count; ++n) {
        i = (i + 1) % 256;
        j = (j + s[i]) % 256;
        exchange(i, j);
        out.push_back(s[(s[i] + s[j]) % 256]);
    }
    return out;
}

size_t firstDifference(const std::vector<uint8_t> &a, const std::vector<uint8_t> &b)
{
    size_t n = 0;
    while (n < a.size() && n < b.size() && a[n] == b[n])
        ++n;
    return n;
}

std::vector<uint8_t> codeZeros(const std::vector<uint8_t> &key, size_t count)
{
    std::vector<uint8_t> data(count, 0);
    skin::CRC4().Decode(data.data(), data.size(), key.data(), static_cast<int>(key.size()));
    return data;
}

TEST(CRC4, ReferenceIsTextbookRc4)
{
    // The published test vector: key "Key", plaintext "Plaintext".
    const std::vector<uint8_t> key { 'K', 'e', 'y' };
    const std::vector<uint8_t> stream = keystream(key, 9, false);
    const char plain[] = "Plaintext";
    const uint8_t expected[] = { 0xBB, 0xF3, 0x16, 0xE8, 0xD9, 0x40, 0xAF, 0x0A, 0xD3 };
    for (size_t n = 0; n < 9; ++n)
        EXPECT_EQ(static_cast<uint8_t>(plain[n] ^ stream[n]), expected[n]) << n;
}

TEST(CRC4, AllZeroKeyDiffersFromTextbookAtByte46)
{
    const std::vector<uint8_t> key(16, 0);
    const std::vector<uint8_t> variant = keystream(key, 64, true);
    const std::vector<uint8_t> textbook = keystream(key, 64, false);
    EXPECT_EQ(firstDifference(variant, textbook), 46u);
    EXPECT_EQ(codeZeros(key, 64), variant);
}

TEST(CRC4, KeyWithEarlySelfExchange)
{
    // This key's schedule exchanges a non-zero element with itself, and the keystream
    // differs from textbook RC4 from its first byte.
    std::vector<uint8_t> key(16, 0);
    key[0] = 0x3E;
    const std::vector<uint8_t> variant = keystream(key, 512, true);
    ASSERT_EQ(firstDifference(variant, keystream(key, 512, false)), 0u);
    EXPECT_EQ(codeZeros(key, 512), variant);
}

TEST(CRC4, ArbitraryKeysMatchTheReference)
{
    for (const std::vector<uint8_t> &key : { std::vector<uint8_t> { 'T', 'A', 'V', 'I', 'N', ' ', 's', 'k',
                                                 'i', 'n', ' ', 'k', 'e', 'y', '!', '!' },
             std::vector<uint8_t> { 0xFF, 0x01, 0x80 }, std::vector<uint8_t> { 7 } }) {
        EXPECT_EQ(codeZeros(key, 1000), keystream(key, 1000, true));
    }
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
