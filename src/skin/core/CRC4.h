#pragma once

#include <cstddef>
#include <cstdint>

namespace skin {

// The stream cipher of the skin pack. It is RC4 except for one detail that packs depend
// on: elements are exchanged by three exclusive-ors, so an exchange of an element with
// itself (i == j) sets it to zero. Coding and decoding are the same transform.
class CRC4
{
public:
    // Sets the state up from the key and transforms `length` bytes of `buffer` in place.
    // A key length of 0 or less leaves the buffer unchanged.
    void Decode(uint8_t *buffer, size_t length, const uint8_t *key, int keyLength);
    void Encode(uint8_t *buffer, size_t length, const uint8_t *key, int keyLength)
    {
        Decode(buffer, length, key, keyLength);
    }

private:
    uint8_t m_s[256] = {};
    uint8_t m_k[256] = {};
};

} // namespace skin
