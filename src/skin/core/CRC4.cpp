#include "skin/core/CRC4.h"

namespace skin {

namespace {

    // Deliberately not std::swap: with a == b (the same element) this zeroes it, which is
    // what the packs were coded with.
    void ExchangeByXor(uint8_t &a, uint8_t &b)
    {
        a ^= b;
        b ^= a;
        a ^= b;
    }

} // namespace

void CRC4::Decode(uint8_t *buffer, size_t length, const uint8_t *key, int keyLength)
{
    if (keyLength <= 0 || !key)
        return;
    for (int k = 0; k < 256; ++k) {
        m_s[k] = static_cast<uint8_t>(k);
        m_k[k] = key[k % keyLength];
    }
    unsigned j = 0;
    for (unsigned i = 0; i < 256; ++i) {
        j = (j + m_s[i] + m_k[i]) & 0xFF;
        ExchangeByXor(m_s[i], m_s[j]);
    }

    unsigned i = 0;
    j = 0;
    for (size_t n = 0; n < length; ++n) {
        i = (i + 1) & 0xFF;
        j = (j + m_s[i]) & 0xFF;
        ExchangeByXor(m_s[i], m_s[j]);
        buffer[n] ^= m_s[(m_s[i] + m_s[j]) & 0xFF];
    }
}

} // namespace skin
