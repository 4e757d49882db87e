#include "skin/SkinAttributes.h"

#include "skin/core/SkinXml.h"

#include <algorithm>
#include <climits>

namespace skin::attr {

bool Has(const SkinXmlNode &node, const QString &name)
{
    return node.GetAttrValue(name) != nullptr;
}

QString Text(const SkinXmlNode &node, const QString &name)
{
    const QString *value = node.GetAttrValue(name);
    return value ? *value : QString();
}

int ParseInt(const QString &text, int defaultValue)
{
    if (text.isEmpty())
        return defaultValue;
    int i = 0;
    const int n = int(text.size());
    while (i < n && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    qint64 value = 0;
    for (; i < n && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > qint64(INT_MAX) + 1) // saturate instead of overflowing on absurd input
            value = qint64(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    return int(std::clamp<qint64>(value, INT_MIN, INT_MAX));
}

int Int(const SkinXmlNode &node, const QString &name, int defaultValue)
{
    const QString *value = node.GetAttrValue(name);
    return value ? ParseInt(*value, defaultValue) : defaultValue;
}

bool Bool(const SkinXmlNode &node, const QString &name)
{
    const QString *value = node.GetAttrValue(name);
    return value && value->compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

SkinColor ParseColor(const QString &text, SkinColor defaultValue)
{
    if (text.isEmpty())
        return defaultValue;
    auto component = [&text](int from) {
        bool ok = false;
        const int v = text.mid(from, 2).toInt(&ok, 16);
        return ok ? v : 0;
    };
    return FromRgb(component(1), component(3), component(5));
}

SkinColor Color(const SkinXmlNode &node, const QString &name, SkinColor defaultValue)
{
    const QString *value = node.GetAttrValue(name);
    return value ? ParseColor(*value, defaultValue) : defaultValue;
}

int ParseAlign(const QString *text)
{
    if (!text)
        return kAlignLeft | kAlignTop;
    int flags = 0;
    if (text->contains(QLatin1String("center")) || text->contains(QLatin1String("centre")))
        flags |= kAlignCenter;
    else if (text->contains(QLatin1String("right")))
        flags |= kAlignRight;
    else
        flags |= kAlignLeft;
    if (text->contains(QLatin1String("middle")))
        flags |= kAlignMiddle;
    else if (text->contains(QLatin1String("bottom")))
        flags |= kAlignBottom;
    else
        flags |= kAlignTop;
    return flags;
}

int Align(const SkinXmlNode &node)
{
    return ParseAlign(node.GetAttrValue(QStringLiteral("align")));
}

TextAlign TextAlignment(const SkinXmlNode &node)
{
    const QString *value = node.GetAttrValue(QStringLiteral("textalign"));
    if (!value)
        return kTextLeft;
    if (value->contains(QLatin1String("right")))
        return kTextRight;
    if (value->contains(QLatin1String("center")) || value->contains(QLatin1String("centre")))
        return kTextCenter;
    return kTextLeft;
}

namespace {

    // A skin describes a window on a screen; anything beyond a million pixels is a damaged or hostile
    // file. Clamping every term keeps the placement sums far from integer overflow.
    constexpr qint64 kMaxCoordinate = 1 << 20;

    int ClampCoordinate(qint64 value)
    {
        return int(std::clamp(value, -kMaxCoordinate, kMaxCoordinate));
    }

} // namespace

int Extent(const SkinXmlNode &node, const QString &name, int referenceExtent)
{
    const QString *value = node.GetAttrValue(name);
    if (!value)
        return 0;
    if (value->contains(u'%'))
        return ClampCoordinate(referenceExtent);
    const qint64 n = ClampCoordinate(ParseInt(*value, 0));
    // A size is never negative, however far a negative one reaches past its reference.
    return int(std::clamp<qint64>(n >= 0 ? n : qint64(referenceExtent) + n, 0, kMaxCoordinate));
}

SkinRect PlaceRect(int x, int y, int w, int h, int align, const SkinRect &r)
{
    const qint64 width = qint64(r.right) - r.left;
    const qint64 height = qint64(r.bottom) - r.top;
    qint64 left;
    if (align & kAlignCenter)
        left = r.left + (width - w) / 2 + x;
    else if (align & kAlignRight)
        left = r.right - qint64(w) + x;
    else
        left = qint64(r.left) + x;
    qint64 top;
    if (align & kAlignMiddle)
        top = r.top + (height - h) / 2 + y;
    else if (align & kAlignBottom)
        top = r.bottom - qint64(h) + y;
    else
        top = qint64(r.top) + y;
    const int l = ClampCoordinate(left);
    const int t = ClampCoordinate(top);
    return { l, t, ClampCoordinate(qint64(l) + ClampCoordinate(w)),
        ClampCoordinate(qint64(t) + ClampCoordinate(h)) };
}

SkinRect Rect(const SkinXmlNode &node, const SkinRect &reference)
{
    const int w = Extent(node, QStringLiteral("width"), reference.Width());
    const int h = Extent(node, QStringLiteral("height"), reference.Height());
    return PlaceRect(ClampCoordinate(Int(node, QStringLiteral("x"))),
        ClampCoordinate(Int(node, QStringLiteral("y"))), w, h, Align(node), reference);
}

} // namespace skin::attr
