#include "skin/core/SkinXml.h"

#include <QChar>
#include <QStringView>

#include <string_view>

namespace skin {

namespace {

    constexpr SkinEntity kEntities[kEntityCount] = {
        { u'&', u"&amp;", 5 },
        { u'"', u"&quot;", 6 },
        { u'\'', u"&apos;", 6 },
        { u'<', u"&lt;", 4 },
        { u'>', u"&gt;", 4 },
    };

    // Comments and CDATA sections keep their raw text as the value.
    struct SpecialNode {
        std::u16string_view open;
        std::u16string_view close;
        SkinNodeType type;
        const char *name;
    };
    constexpr SpecialNode kSpecialNodes[] = {
        { u"<!--", u"-->", SkinNodeType::Comment, "#COMMENT" },
        { u"<![CDATA[", u"]]>", SkinNodeType::CData, "#CDATA" },
    };

    // The reader's own white space between tokens (not the wider class used for trimming).
    bool IsTagSpace(char16_t c)
    {
        return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
    }

    const char16_t *SkipSpace(const char16_t *p, const char16_t *end)
    {
        while (p < end && IsTagSpace(*p))
            ++p;
        return p;
    }

    bool IsOneOf(char16_t c, std::u16string_view set)
    {
        return set.find(c) != std::u16string_view::npos;
    }

    // First character of `set` at or after p; `end` when there is none.
    const char16_t *FindAny(const char16_t *p, const char16_t *end, std::u16string_view set)
    {
        while (p < end && !IsOneOf(*p, set))
            ++p;
        return p;
    }

    // Like FindAny, but the character after an escape never counts as a delimiter.
    const char16_t *FindUnescaped(
        const char16_t *p, const char16_t *end, std::u16string_view set, char16_t escape)
    {
        while (p < end) {
            if (escape != 0 && *p == escape) {
                p += (end - p >= 2) ? 2 : 1;
                continue;
            }
            if (IsOneOf(*p, set))
                return p;
            ++p;
        }
        return end;
    }

    bool StartsWith(const char16_t *p, const char16_t *end, std::u16string_view literal, bool ignoreCase)
    {
        if (end - p < static_cast<ptrdiff_t>(literal.size()))
            return false;
        const QStringView here(p, static_cast<qsizetype>(literal.size()));
        return here.compare(QStringView(literal), ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0;
    }

    // Start of the first occurrence of `literal` at or after p, or nullptr.
    const char16_t *FindSequence(const char16_t *p, const char16_t *end, std::u16string_view literal)
    {
        const auto size = static_cast<ptrdiff_t>(literal.size());
        for (; end - p >= size; ++p) {
            if (std::u16string_view(p, literal.size()) == literal)
                return p;
        }
        return nullptr;
    }

    QString DecodeEntities(const QString &text, const SkinEntity *table)
    {
        if (!table || !text.contains(QLatin1Char('&')))
            return text;
        QString out;
        out.reserve(text.size());
        const QStringView view(text);
        qsizetype i = 0;
        while (i < view.size()) {
            bool matched = false;
            for (int row = 0; row < kEntityCount; ++row) {
                const SkinEntity &entity = table[row];
                const QStringView reference(entity.reference, entity.length);
                if (view.mid(i).startsWith(reference)) {
                    out += QChar(entity.character);
                    i += entity.length;
                    matched = true;
                    break;
                }
            }
            if (!matched)
                out += view[i++];
        }
        return out;
    }

    QString EncodeEntities(const QString &text, const SkinEntity *table)
    {
        if (!table)
            return text;
        QString out;
        out.reserve(text.size());
        for (const QChar c : text) {
            bool replaced = false;
            for (int row = 0; row < kEntityCount; ++row) {
                if (c.unicode() == table[row].character) {
                    out += QStringView(table[row].reference, table[row].length);
                    replaced = true;
                    break;
                }
            }
            if (!replaced)
                out += c;
        }
        return out;
    }

    // Copies [begin, end) into target: trim, drop escapes, decode references. A stretch that
    // is empty after trimming leaves the target as it was.
    void CopyValue(const char16_t *begin, const char16_t *end, const SkinParseInfo &info, QString &target)
    {
        if (info.trimValue) {
            while (begin < end && QChar::isSpace(*begin))
                ++begin;
            while (end > begin && QChar::isSpace(end[-1]))
                --end;
        }
        if (begin == end)
            return;
        QString out;
        out.reserve(end - begin);
        for (const char16_t *p = begin; p < end; ++p) {
            if (info.escapeChar != 0 && *p == info.escapeChar) {
                if (++p == end)
                    break;
            }
            out += QChar(*p);
        }
        target = info.decodeEntities ? DecodeEntities(out, info.entities) : out;
    }

    // Only the first error of a parse is kept.
    void RecordError(SkinParseInfo &info, const char16_t *position, int code, const QString &text)
    {
        if (info.errorOccurred)
            return;
        info.errorOccurred = true;
        info.errorPosition = position;
        info.errorCode = code;
        info.errorText = text;
    }

    void AppendTabs(QString &out, int count)
    {
        for (int i = 0; i < count; ++i)
            out += QLatin1Char('\t');
    }

    QString OutputValue(const QString &value, const SkinWriteOptions &options)
    {
        QString text = value;
        if (options.escapeChar != 0) {
            const QString escape(QChar(options.escapeChar));
            text.replace(escape, escape + escape);
        }
        return options.encodeEntities ? EncodeEntities(text, options.entities) : text;
    }

} // namespace

const SkinEntity *DefaultEntities()
{
    return kEntities;
}

const char16_t *SkinXmlNode::Load(const char16_t *position, const char16_t *end, SkinParseInfo *info)
{
    SkinParseInfo local;
    if (!position || !end || position > end)
        return nullptr;
    return LoadAt(position, end, info ? *info : local, 0);
}

const char16_t *SkinXmlNode::LoadAt(
    const char16_t *position, const char16_t *end, SkinParseInfo &info, int depth)
{
    Close();
    name.clear();
    value.clear();
    if (depth > kMaxSkinXmlDepth) {
        RecordError(info, position, kErrorTooDeep, QStringLiteral("Elements are nested too deeply."));
        return nullptr;
    }

    // Processing instructions, comments and CDATA sections ahead of the element.
    const char16_t *p = position;
    for (;;) {
        p = FindAny(p, end, u"<");
        if (p == end)
            return nullptr;
        if (end - p >= 2 && p[1] == u'/')
            return p; // an end tag belongs to the caller

        bool consumed = false;
        if (StartsWith(p, end, u"<?", true)) {
            const char16_t *close = FindSequence(p + 2, end, u"?>");
            if (!close)
                return nullptr;
            p = SkipSpace(close + 2, end);
            consumed = true;
        }
        for (const SpecialNode &special : kSpecialNodes) {
            if (!StartsWith(p, end, special.open, false))
                continue;
            const char16_t *textBegin = p + special.open.size();
            const char16_t *close = FindSequence(textBegin, end, special.close);
            if (!close)
                return nullptr;
            p = close + special.close.size();
            consumed = true;
            // A top-level comment has nowhere to go and is dropped; inside an element it
            // becomes a child of that element, and this node stays nameless.
            if (parent) {
                auto node = std::make_unique<SkinXmlNode>();
                node->name = QString::fromLatin1(special.name);
                node->value = QString(reinterpret_cast<const QChar *>(textBegin), close - textBegin);
                node->type = special.type;
                node->parent = parent;
                parent->children.push_back(std::move(node));
                return p;
            }
            p = SkipSpace(p, end);
        }
        if (!consumed)
            break;
    }

    // p stands at the "<" of a start tag.
    const char16_t *nameEnd = FindAny(p + 1, end, u" />\t\r\n");
    name = QString(reinterpret_cast<const QChar *>(p + 1), nameEnd - (p + 1));
    p = nameEnd;

    for (;;) {
        p = SkipSpace(p, end);
        if (p == end)
            return nullptr;
        if (*p == u'>' || *p == u'/')
            break;
        const char16_t *attrNameEnd = FindAny(p, end, u" =");
        if (attrNameEnd == end) {
            RecordError(info, p, kErrorAttribute, QStringLiteral("<%1> attribute has error ").arg(name));
            return nullptr;
        }
        auto attr = std::make_unique<SkinXmlAttr>();
        attr->name = QString(reinterpret_cast<const QChar *>(p), attrNameEnd - p);
        attr->owner = this;
        SkinXmlAttr &added = *attr;
        attributes.push_back(std::move(attr));

        p = SkipSpace(attrNameEnd, end);
        if (p < end && *p == u'=') {
            p = SkipSpace(p + 1, end);
            if (p < end && (*p == u'"' || *p == u'\'')) {
                const char16_t quote[1] = { *p };
                ++p;
                const char16_t *valueEnd
                    = FindUnescaped(p, end, std::u16string_view(quote, 1), info.escapeChar);
                CopyValue(p, valueEnd, info, added.value);
                p = valueEnd < end ? valueEnd + 1 : end;
            } else {
                const char16_t *valueEnd = FindUnescaped(p, end, u"\t >", info.escapeChar);
                CopyValue(p, valueEnd, info, added.value);
                p = valueEnd;
            }
        }
    }

    if (*p == u'/') {
        if (end - p >= 2 && p[1] == u'>')
            return p + 2;
        RecordError(info, p + 1, kErrorElementNotClosed, QStringLiteral("Element must be closed."));
        return nullptr;
    }

    ++p; // past ">"
    for (;;) {
        // An element still open at the end of the text keeps what was read.
        if (p >= end)
            return end;

        if (*p != u'<') {
            // The first run of text is the value; later runs are passed over.
            if (value.isEmpty()) {
                const char16_t *runEnd = FindUnescaped(p, end, u"<", info.escapeChar);
                CopyValue(p, runEnd, info, value);
                p = runEnd;
            } else {
                p = FindAny(p, end, u"<");
            }
            continue;
        }

        if (end - p < 2 || p[1] != u'/') {
            auto child = std::make_unique<SkinXmlNode>();
            child->parent = this;
            child->type = type;
            const char16_t *next = child->LoadAt(p, end, info, depth + 1);
            if (!next)
                return nullptr;
            if (!child->name.isEmpty())
                children.push_back(std::move(child));
            p = next;
            if (end - p < 2 || p[0] != u'<' || p[1] != u'/')
                continue;
        }

        const char16_t *tagName = SkipSpace(p + 2, end);
        const char16_t *tagNameEnd = FindAny(tagName, end, u" >");
        if (tagNameEnd == end) {
            RecordError(
                info, p, kErrorEndTagUnterminated, QStringLiteral("it must be closed with </%1>").arg(name));
            return nullptr;
        }
        const QStringView endName(tagName, tagNameEnd - tagName);
        if (endName == name)
            return tagNameEnd + 1;
        if (!info.forceParse) {
            RecordError(info, p, kErrorEndTagMismatch,
                QStringLiteral("'<%1> ... </%2>' is not wel-formed.").arg(name, endName.toString()));
            return nullptr;
        }
        p = tagNameEnd + 1;
    }
}

bool SkinXmlNode::LoadText(const QString &text, SkinParseInfo *info)
{
    const char16_t *begin = reinterpret_cast<const char16_t *>(text.utf16());
    const char16_t *end = begin + text.size();
    // The text is read as a NUL-terminated string: pack entries carry their terminator.
    for (const char16_t *p = begin; p < end; ++p) {
        if (*p == 0) {
            end = p;
            break;
        }
    }
    if (begin < end && *begin == 0xFEFF)
        ++begin;
    const char16_t *result = Load(begin, end, info);
    return result != nullptr && !name.isEmpty();
}

const QString *SkinXmlNode::GetAttrValue(const QString &attrName) const
{
    for (const auto &attr : attributes) {
        if (attr->name == attrName)
            return &attr->value;
    }
    return nullptr;
}

SkinXmlNode *SkinXmlNode::GetChild(const QString &childName) const
{
    for (const auto &child : children) {
        if (child->name == childName)
            return child.get();
    }
    return nullptr;
}

std::vector<SkinXmlNode *> SkinXmlNode::GetChildren(const QString &childName) const
{
    std::vector<SkinXmlNode *> found;
    for (const auto &child : children) {
        if (child->name == childName)
            found.push_back(child.get());
    }
    return found;
}

QString SkinXmlNode::GetChildValue(const QString &childName, const QString &fallback) const
{
    const SkinXmlNode *child = GetChild(childName);
    return child ? child->value : fallback;
}

void SkinXmlNode::Close()
{
    children.clear();
    attributes.clear();
}

QString SkinXmlNode::Write(SkinWriteOptions *options) const
{
    SkinWriteOptions local;
    SkinWriteOptions &used = options ? *options : local;
    const int depth = used.tabDepth;
    QString out;
    WriteTo(out, used);
    used.tabDepth = depth;
    return out;
}

void SkinXmlNode::WriteTo(QString &out, SkinWriteOptions &options) const
{
    const QChar quote(options.quote);
    auto writeAttributes = [&] {
        for (const auto &attr : attributes)
            out += attr->name + QLatin1Char('=') + quote + OutputValue(attr->value, options) + quote
                + QLatin1Char(' ');
    };

    switch (type) {
    case SkinNodeType::Document:
        for (const auto &child : children)
            child->WriteTo(out, options);
        return;
    case SkinNodeType::ProcessingInstruction:
        out += QLatin1String("<?") + name;
        if (!attributes.empty())
            out += QLatin1Char(' ');
        writeAttributes();
        out += QLatin1String("?>");
        return;
    case SkinNodeType::Comment:
        out += QLatin1String("<!--") + value + QLatin1String("-->");
        return;
    case SkinNodeType::CData:
        out += QLatin1String("<![CDATA[") + value + QLatin1String("]]>");
        return;
    case SkinNodeType::Element:
        break;
    }

    if (options.newLines) {
        out += QLatin1String("\r\n");
        AppendTabs(out, options.tabDepth);
    }
    out += QLatin1Char('<') + name;
    if (!attributes.empty())
        out += QLatin1Char(' ');
    writeAttributes();

    if (children.empty() && value.isEmpty()) {
        out += QLatin1String("/>");
        return;
    }
    out += QLatin1Char('>');
    const bool indent = options.newLines && !children.empty();
    if (indent)
        ++options.tabDepth;
    for (const auto &child : children)
        child->WriteTo(out, options);
    if (!value.isEmpty()) {
        if (indent) {
            out += QLatin1String("\r\n");
            AppendTabs(out, options.tabDepth);
        }
        out += OutputValue(value, options);
    }
    if (indent) {
        out += QLatin1String("\r\n");
        AppendTabs(out, options.tabDepth - 1);
        --options.tabDepth;
    }
    out += QLatin1String("</") + name + QLatin1Char('>');
}

} // namespace skin
