#pragma once

#include <QLatin1StringView>
#include <QString>
#include <QStringList>

// The font families the program draws its own texts in, named once for every library that draws
// text: the skins only name faces for their texts now and then.
namespace skin::fonts {

// The program's texts are Korean: the CJK face Debian ships for Korean (fonts-noto-cjk).
inline constexpr QLatin1StringView kKorean { "Noto Sans CJK KR" };

// Latin text burnt into pictures, such as an exported clip's caption: a face every Linux desktop has.
inline constexpr QLatin1StringView kLatin { "DejaVu Sans" };

// Fixed-pitch faces, the first one installed wins, for columns of figures that must line up: the
// face Windows has, then the CJK and Latin ones Debian ships.
inline QStringList MonospaceFamilies()
{
    return { QStringLiteral("MS Gothic"), QStringLiteral("Noto Sans Mono CJK KR"),
        QStringLiteral("DejaVu Sans Mono"), QStringLiteral("monospace") };
}

} // namespace skin::fonts
