// Feeds arbitrary UTF-16 text to the markup reader, with and without force parse, and
// writes what it read back out and reads that again.

#include "skin/core/SkinXml.h"

#include <cstdint>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const size_t units = size / 2;
    // An exact-size copy, so that any read past the end trips the address sanitizer.
    std::unique_ptr<char16_t[]> text(new char16_t[units ? units : 1]);
    std::memcpy(text.get(), data, units * 2);
    for (bool force : { false, true }) {
        skin::SkinParseInfo info;
        info.forceParse = force;
        skin::SkinXmlNode node;
        const char16_t *end = text.get() + units;
        const char16_t *at = node.Load(text.get(), end, &info);
        if (at && (at < text.get() || at > end))
            __builtin_trap();
        if (!node.name.isEmpty()) {
            const QString written = node.Write();
            skin::SkinXmlNode again;
            again.LoadText(written);
        }
    }
    return 0;
}
