#pragma once

#include "skin/SkinTypes.h"

#include <QString>

namespace skin {

class SkinXmlNode;

// The value forms of description attributes and the rectangle rule. Display-free.
namespace attr {

    bool Has(const SkinXmlNode &node, const QString &name);
    QString Text(const SkinXmlNode &node, const QString &name);
    // Decimal with an optional sign, read like the C library's atoi (leading blanks, digits up to
    // the first non-digit); a missing or empty attribute gives the default.
    int Int(const SkinXmlNode &node, const QString &name, int defaultValue = 0);
    int ParseInt(const QString &text, int defaultValue = 0);
    // True only for "true" in any case.
    bool Bool(const SkinXmlNode &node, const QString &name);
    // "#RRGGBB"; the first character is not checked. Missing or empty gives the default.
    SkinColor Color(const SkinXmlNode &node, const QString &name, SkinColor defaultValue);
    SkinColor ParseColor(const QString &text, SkinColor defaultValue);
    // Alignment flags of "align" (left/top when missing).
    int Align(const SkinXmlNode &node);
    int ParseAlign(const QString *text);
    // Text alignment words of "textalign": 0 left, 1 centre, 2 right.
    enum TextAlign { kTextLeft = 0, kTextCenter = 1, kTextRight = 2 };
    TextAlign TextAlignment(const SkinXmlNode &node);

    // One dimension of the rectangle rule: "%" gives the reference size, a negative value is
    // counted back from it, missing gives 0.
    int Extent(const SkinXmlNode &node, const QString &name, int referenceExtent);
    // The item's rectangle from x, y, width, height and align against the reference rectangle.
    SkinRect Rect(const SkinXmlNode &node, const SkinRect &reference);
    SkinRect PlaceRect(int x, int y, int width, int height, int align, const SkinRect &reference);

} // namespace attr
} // namespace skin
