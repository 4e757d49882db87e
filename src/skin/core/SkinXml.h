#pragma once

#include <QString>

#include <memory>
#include <vector>

// The forgiving single-pass reader and writer for the skin markup: the language of the
// skin descriptions and of the settings layout file. Not a general XML processor: a
// backslash escapes the next character, and an element's value is its first run of text.

namespace skin {

struct SkinEntity {
    char16_t character;
    char16_t reference[10]; // NUL-padded
    int length; // in UTF-16 units
};

// The five references in matching order: &amp; &quot; &apos; &lt; &gt;
const SkinEntity *DefaultEntities();
constexpr int kEntityCount = 5;

enum class SkinNodeType { Element = 0, ProcessingInstruction = 1, Comment = 2, CData = 3, Document = 4 };

enum SkinParseError {
    kErrorNone = 0,
    kErrorElementNotClosed = 1, // "/" in a start tag not followed by ">"
    kErrorEndTagUnterminated = 2,
    kErrorEndTagMismatch = 3,
    kErrorAttribute = 4,
    kErrorTooDeep = 5, // elements nested deeper than kMaxSkinXmlDepth
};

// Skins nest a handful of levels; the bound keeps a hostile text from exhausting the stack.
constexpr int kMaxSkinXmlDepth = 512;

struct SkinParseInfo {
    bool trimValue = true;
    bool decodeEntities = true;
    const SkinEntity *entities = DefaultEntities();
    char16_t escapeChar = u'\\';
    bool forceParse = false;

    bool errorOccurred = false;
    const char16_t *errorPosition = nullptr;
    int errorCode = kErrorNone;
    QString errorText;
};

struct SkinWriteOptions {
    bool newLines = true;
    bool encodeEntities = true;
    char16_t quote = u'"';
    const SkinEntity *entities = DefaultEntities();
    int tabDepth = 0; // raised and lowered while nested elements are written
    // Doubled in written values so that the reader, which drops a single escape, gets the
    // text back unchanged. 0 writes values as they stand.
    char16_t escapeChar = u'\\';
};

class SkinXmlNode;

struct SkinXmlAttr {
    QString name;
    QString value;
    SkinXmlNode *owner = nullptr;
};

class SkinXmlNode
{
public:
    SkinXmlNode() = default;
    SkinXmlNode(const SkinXmlNode &) = delete;
    SkinXmlNode &operator=(const SkinXmlNode &) = delete;

    QString name; // "#COMMENT" / "#CDATA" for those nodes
    QString value; // first run of text, or the raw text of a comment or CDATA section
    SkinXmlNode *parent = nullptr;
    std::vector<std::unique_ptr<SkinXmlNode>> children;
    std::vector<std::unique_ptr<SkinXmlAttr>> attributes;
    SkinNodeType type = SkinNodeType::Element;

    // Loads one element from `position`; `end` is the end of the text (the text need not
    // be NUL-terminated, and nothing at or past `end` is ever read). Returns the position
    // just after what was consumed, or nullptr on failure (the error is in `info`).
    const char16_t *Load(const char16_t *position, const char16_t *end, SkinParseInfo *info = nullptr);

    // Convenience for whole texts: skips a leading byte-order mark, loads the root element
    // with the default settings. Returns false when the load fails or finds no element.
    bool LoadText(const QString &text, SkinParseInfo *info = nullptr);

    const QString *GetAttrValue(const QString &attrName) const; // first match, or nullptr
    SkinXmlNode *GetChild(const QString &childName) const; // first match, or nullptr
    std::vector<SkinXmlNode *> GetChildren(const QString &childName) const;

    // Value of the first child named `childName`, or `fallback` when there is none.
    QString GetChildValue(const QString &childName, const QString &fallback = QString()) const;

    QString Write(SkinWriteOptions *options = nullptr) const;
    void Close(); // destroys children and attributes

private:
    const char16_t *LoadAt(const char16_t *position, const char16_t *end, SkinParseInfo &info, int depth);
    void WriteTo(QString &out, SkinWriteOptions &options) const;
};

} // namespace skin
