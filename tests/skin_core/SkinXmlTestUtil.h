#pragma once

#include "skin/core/SkinXml.h"

#include <memory>
#include <string_view>

// Loads a text from a heap buffer of exactly its length, so that a read past the end
// is caught by the address sanitizer. `consumed` is the returned position as an offset
// (-1 for failure).
struct LoadResult {
    std::unique_ptr<skin::SkinXmlNode> node = std::make_unique<skin::SkinXmlNode>();
    skin::SkinParseInfo info;
    std::ptrdiff_t consumed = -1;
    std::ptrdiff_t errorOffset = -1;
};

inline LoadResult LoadExact(std::u16string_view text, skin::SkinParseInfo info = {})
{
    LoadResult result;
    result.info = info;
    auto buffer = std::make_unique<char16_t[]>(text.size() ? text.size() : 1);
    std::copy(text.begin(), text.end(), buffer.get());
    const char16_t *begin = buffer.get();
    const char16_t *end = begin + text.size();
    const char16_t *at = result.node->Load(begin, end, &result.info);
    if (at)
        result.consumed = at - begin;
    if (result.info.errorPosition)
        result.errorOffset = result.info.errorPosition - begin;
    return result;
}
