#pragma once

#include <QtGlobal>

// Layout of the skin pack file: a 592-byte header, the description table, the page text
// table (536-byte records each) and the coded entry data. Integers are little-endian.

namespace skin {

enum class SkinPackTable { Descriptions = 1, PageTexts = 2 };

namespace pack {

    constexpr qint64 kHeaderSize = 592;
    constexpr qint64 kRecordSize = 536;
    constexpr int kNameUnits = 260; // UTF-16 units, NUL-terminated and zero-padded
    constexpr int kNameBytes = kNameUnits * 2;

    constexpr char kMagic[] = "Wend skin pack file.";
    constexpr int kMagicSize = 20;
    constexpr int kMarkerOffset = 30;
    constexpr char kMarker = 0x1A;
    constexpr int kPackNameOffset = 32;
    constexpr int kTotalLengthOffset = 552;
    constexpr int kDescriptionCountOffset = 564;
    constexpr int kPageTextCountOffset = 568;
    constexpr int kKeyOffset = 572;
    constexpr int kKeySize = 16;

    constexpr int kRecordNameOffset = 0;
    constexpr int kRecordDataOffset = 520;
    constexpr int kRecordLengthOffset = 528;

    static_assert(sizeof(kMagic) - 1 == kMagicSize);
    static_assert(kKeyOffset + kKeySize + 4 == kHeaderSize);
    static_assert(kRecordLengthOffset + 8 == kRecordSize);

} // namespace pack
} // namespace skin
