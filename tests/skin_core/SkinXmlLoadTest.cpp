#include "SkinXmlTestUtil.h"

#include <gtest/gtest.h>

using skin::SkinNodeType;
using skin::SkinParseInfo;

namespace {

QString q(std::u16string_view text)
{
    return QString(reinterpret_cast<const QChar *>(text.data()), static_cast<qsizetype>(text.size()));
}

// ---- Values: trimming, escapes, entity references ----

struct ValueCase {
    const char *label;
    std::u16string_view text;
    bool trim;
    bool decode;
    std::u16string_view elementValue;
    std::u16string_view attributeValue; // value of attribute v, when the case has one
};

class ValueRules : public testing::TestWithParam<ValueCase>
{
};

TEST_P(ValueRules, CopiesValuesByTheRules)
{
    const ValueCase &c = GetParam();
    SkinParseInfo info;
    info.trimValue = c.trim;
    info.decodeEntities = c.decode;
    LoadResult r = LoadExact(c.text, info);
    ASSERT_GE(r.consumed, 0) << r.info.errorText.toStdString();
    EXPECT_EQ(r.node->name, QStringLiteral("a"));
    EXPECT_EQ(r.node->value, q(c.elementValue));
    const QString *v = r.node->GetAttrValue(QStringLiteral("v"));
    if (c.attributeValue.empty()) {
        EXPECT_TRUE(!v || v->isEmpty());
    } else {
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(*v, q(c.attributeValue));
    }
}

INSTANTIATE_TEST_SUITE_P(Parser, ValueRules,
    testing::Values(ValueCase { "trimmed", u"<a>  \t x y \r\n</a>", true, true, u"x y", u"" },
        ValueCase { "untrimmed", u"<a>  x  </a>", false, true, u"  x  ", u"" },
        ValueCase { "all_blank_stays_empty", u"<a>   \n </a>", true, true, u"", u"" },
        ValueCase { "quote_kept_after_escape", u"<a v=\"x\\\"y\"/>", true, true, u"", u"x\"y" },
        ValueCase {
            "two_backslashes_give_one", u"<a v=\"Image\\\\btn.bmp\"/>", true, true, u"", u"Image\\btn.bmp" },
        ValueCase {
            "single_backslash_disappears", u"<a v=\"Image\\btn.bmp\"/>", true, true, u"", u"Imagebtn.bmp" },
        ValueCase { "escaped_lt_in_text", u"<a>1 \\< 2</a>", true, true, u"1 < 2", u"" },
        ValueCase { "references_and_numeric", u"<a v=\"&lt;&amp;&#60;\"/>", true, true, u"", u"<&&#60;" },
        ValueCase { "all_five_references", u"<a>&amp;&quot;&apos;&lt;&gt;</a>", true, true, u"&\"'<>", u"" },
        ValueCase { "references_are_case_sensitive", u"<a>&LT;&Amp;</a>", true, true, u"&LT;&Amp;", u"" },
        ValueCase { "decoding_is_one_pass", u"<a>&amp;lt;</a>", true, true, u"&lt;", u"" },
        ValueCase { "decoding_off", u"<a v='&gt;'>&lt;</a>", true, false, u"&lt;", u"&gt;" },
        ValueCase { "escape_before_reference", u"<a>\\&lt;</a>", true, true, u"<", u"" },
        ValueCase { "single_quotes", u"<a v='it\"s'/>", true, true, u"", u"it\"s" },
        ValueCase { "unquoted_value", u"<a v=abc>t</a>", true, true, u"t", u"abc" },
        ValueCase { "unquoted_value_before_tab", u"<a v=ab\\ c\tw=1>t</a>", true, true, u"t", u"ab c" },
        ValueCase { "blanks_around_equals", u"<a v = \"1\" >t</a>", true, true, u"t", u"1" },
        ValueCase { "quoted_value_trimmed", u"<a v=\"  1  \"/>", true, true, u"", u"1" }),
    [](const testing::TestParamInfo<ValueCase> &info) { return std::string(info.param.label); });

// ---- Failures and their reports ----

struct ErrorCase {
    const char *label;
    std::u16string_view text;
    int code;
    const char *message;
    std::ptrdiff_t offset;
};

class ErrorRules : public testing::TestWithParam<ErrorCase>
{
};

TEST_P(ErrorRules, FailsWithTheReport)
{
    const ErrorCase &c = GetParam();
    LoadResult r = LoadExact(c.text);
    EXPECT_EQ(r.consumed, -1);
    EXPECT_TRUE(r.info.errorOccurred);
    EXPECT_EQ(r.info.errorCode, c.code);
    EXPECT_EQ(r.info.errorText, QString::fromUtf8(c.message));
    EXPECT_EQ(r.errorOffset, c.offset);
}

INSTANTIATE_TEST_SUITE_P(Parser, ErrorRules,
    testing::Values(ErrorCase { "slash_without_gt", u"<a x=\"1\"/ >", 1, "Element must be closed.", 9 },
        ErrorCase { "end_tag_unterminated", u"<a><b/></a", 2, "it must be closed with </a>", 7 },
        ErrorCase { "end_tag_mismatch", u"<a></b>", 3, "'<a> ... </b>' is not wel-formed.", 3 },
        ErrorCase { "nested_mismatch", u"<a><b>t</c></a>", 3, "'<b> ... </c>' is not wel-formed.", 7 },
        ErrorCase { "attribute_without_end", u"<abc x>", 4, "<abc> attribute has error ", 5 }),
    [](const testing::TestParamInfo<ErrorCase> &info) { return std::string(info.param.label); });

TEST(SkinXmlLoad, FailuresWithoutReport)
{
    for (std::u16string_view text : { u"", u"no markup at all", u"<a", u"<a x=\"1", u"<!-- open",
             u"<?xml open", u"<a><![CDATA[ open", u"<a><!-- open" }) {
        LoadResult r = LoadExact(text);
        EXPECT_EQ(r.consumed, -1) << q(text).toStdString();
        EXPECT_FALSE(r.info.errorOccurred) << q(text).toStdString();
    }
}

TEST(SkinXmlLoad, KeepsOnlyTheFirstError)
{
    SkinParseInfo info;
    info.errorOccurred = true;
    info.errorCode = 42;
    info.errorText = QStringLiteral("earlier");
    LoadResult r = LoadExact(u"<a></b>", info);
    EXPECT_EQ(r.consumed, -1);
    EXPECT_EQ(r.info.errorCode, 42);
    EXPECT_EQ(r.info.errorText, QStringLiteral("earlier"));
    EXPECT_EQ(r.info.errorPosition, nullptr);
}

// ---- Structure ----

TEST(SkinXmlLoad, EmptyElementWithQuotedAttributes)
{
    const std::u16string_view text = u"<a x=\"1\" y='2'/> trailing";
    LoadResult r = LoadExact(text);
    EXPECT_EQ(r.consumed, 16);
    EXPECT_EQ(r.node->name, QStringLiteral("a"));
    ASSERT_EQ(r.node->attributes.size(), 2u);
    EXPECT_EQ(r.node->attributes[0]->name, QStringLiteral("x"));
    EXPECT_EQ(r.node->attributes[0]->value, QStringLiteral("1"));
    EXPECT_EQ(r.node->attributes[1]->name, QStringLiteral("y"));
    EXPECT_EQ(r.node->attributes[1]->value, QStringLiteral("2"));
    EXPECT_EQ(r.node->attributes[1]->owner, r.node.get());
    EXPECT_TRUE(r.node->children.empty());
}

TEST(SkinXmlLoad, ValueIsTheFirstTextRun)
{
    LoadResult r = LoadExact(u"<a>   hello <b/> world   </a>");
    EXPECT_EQ(r.consumed, 29);
    EXPECT_EQ(r.node->value, QStringLiteral("hello"));
    ASSERT_EQ(r.node->children.size(), 1u);
    EXPECT_EQ(r.node->children[0]->name, QStringLiteral("b"));
    EXPECT_EQ(r.node->children[0]->parent, r.node.get());

    LoadResult later = LoadExact(u"<a> <b/> first <c/> second </a>");
    EXPECT_EQ(later.node->value, QStringLiteral("first"));
    EXPECT_EQ(later.node->children.size(), 2u);
}

TEST(SkinXmlLoad, CommentAndCDataBecomeChildren)
{
    LoadResult r = LoadExact(u"<a><!-- a note --><b/><![CDATA[ <raw> & \\ ]]></a>");
    ASSERT_GE(r.consumed, 0);
    ASSERT_EQ(r.node->children.size(), 3u);
    EXPECT_EQ(r.node->children[0]->name, QStringLiteral("#COMMENT"));
    EXPECT_EQ(r.node->children[0]->value, QStringLiteral(" a note "));
    EXPECT_EQ(r.node->children[0]->type, SkinNodeType::Comment);
    EXPECT_EQ(r.node->children[1]->name, QStringLiteral("b"));
    EXPECT_EQ(r.node->children[2]->name, QStringLiteral("#CDATA"));
    EXPECT_EQ(r.node->children[2]->value, QStringLiteral(" <raw> & \\ "));
    EXPECT_EQ(r.node->children[2]->type, SkinNodeType::CData);
    // Comment and CDATA children never answer an element lookup.
    EXPECT_EQ(r.node->GetChildren(QStringLiteral("b")).size(), 1u);
}

TEST(SkinXmlLoad, TopLevelSpecialNodesAreSkipped)
{
    LoadResult r
        = LoadExact(u"<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<!-- top --> <?other?><root v=\"1\"/>");
    ASSERT_GE(r.consumed, 0);
    EXPECT_EQ(r.node->name, QStringLiteral("root"));
    EXPECT_TRUE(r.node->children.empty());
    LoadResult upper = LoadExact(u"<?XML version=\"1.0\"?><root/>");
    EXPECT_EQ(upper.node->name, QStringLiteral("root"));
}

TEST(SkinXmlLoad, MismatchedEndTagWithForceParse)
{
    SkinParseInfo info;
    info.forceParse = true;
    LoadResult r = LoadExact(u"<a></b>", info);
    EXPECT_EQ(r.consumed, 7);
    EXPECT_EQ(r.node->name, QStringLiteral("a"));
    EXPECT_FALSE(r.info.errorOccurred);

    // Parsing goes on after the stray end tag, up to a's own.
    LoadResult more = LoadExact(u"<a><b>t</c><d/></b></a>", info);
    EXPECT_EQ(more.consumed, 23);
    ASSERT_EQ(more.node->children.size(), 1u);
    EXPECT_EQ(more.node->children[0]->name, QStringLiteral("b"));
    EXPECT_NE(more.node->children[0]->GetChild(QStringLiteral("d")), nullptr);
}

TEST(SkinXmlLoad, ElementsOpenAtTheEndKeepWhatWasRead)
{
    LoadResult r = LoadExact(u"<a><b>");
    EXPECT_EQ(r.consumed, 6);
    EXPECT_FALSE(r.info.errorOccurred);
    ASSERT_EQ(r.node->children.size(), 1u);
    EXPECT_EQ(r.node->children[0]->name, QStringLiteral("b"));

    LoadResult text = LoadExact(u"<a>v<b/>dropped text");
    EXPECT_EQ(text.consumed, 20);
    EXPECT_EQ(text.node->value, QStringLiteral("v"));
}

TEST(SkinXmlLoad, DuplicateAndEmptyAttributesAreKept)
{
    LoadResult r = LoadExact(u"<a y x=\"1\" x=\"2\"/>");
    ASSERT_EQ(r.node->attributes.size(), 3u);
    EXPECT_EQ(r.node->attributes[0]->name, QStringLiteral("y"));
    EXPECT_TRUE(r.node->attributes[0]->value.isEmpty());
    EXPECT_EQ(*r.node->GetAttrValue(QStringLiteral("x")), QStringLiteral("1"));
    EXPECT_EQ(r.node->GetAttrValue(QStringLiteral("X")), nullptr); // names are case-sensitive
}

TEST(SkinXmlLoad, EndTags)
{
    // An end tag first belongs to the caller.
    LoadResult first = LoadExact(u"  </a><b/>");
    EXPECT_EQ(first.consumed, 2);
    EXPECT_TRUE(first.node->name.isEmpty());
    EXPECT_FALSE(first.info.errorOccurred);
    // An end tag's name ends at a space.
    LoadResult spaced = LoadExact(u"<a>x</ a >rest");
    EXPECT_EQ(spaced.consumed, 9);
    EXPECT_EQ(spaced.node->value, QStringLiteral("x"));
}

TEST(SkinXmlLoad, ReloadStartsFresh)
{
    skin::SkinXmlNode node;
    ASSERT_TRUE(node.LoadText(QStringLiteral("<a v=\"1\">text<b/></a>")));
    ASSERT_TRUE(node.LoadText(QStringLiteral("<c/>")));
    EXPECT_EQ(node.name, QStringLiteral("c"));
    EXPECT_TRUE(node.value.isEmpty());
    EXPECT_TRUE(node.attributes.empty());
    EXPECT_TRUE(node.children.empty());
}

TEST(SkinXmlLoad, LoadTextSkipsByteOrderMarkAndStopsAtNul)
{
    skin::SkinXmlNode node;
    // Pack entries end in a NUL; what follows it is not part of the text.
    QString text = QChar(0xFEFF) + QStringLiteral("<a>x");
    text.append(QChar(0));
    text.append(QStringLiteral("</b>"));
    EXPECT_TRUE(node.LoadText(text));
    EXPECT_EQ(node.name, QStringLiteral("a"));
    EXPECT_EQ(node.value, QStringLiteral("x"));
    EXPECT_FALSE(node.LoadText(QStringLiteral("just text")));
    EXPECT_FALSE(node.LoadText(QStringLiteral("<!-- only a comment -->")));
}

TEST(SkinXmlLoad, LookupsByName)
{
    skin::SkinXmlNode node;
    ASSERT_TRUE(node.LoadText(QStringLiteral("<s><i n=\"1\"/><j/><i n=\"2\">v</i></s>")));
    const auto items = node.GetChildren(QStringLiteral("i"));
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(*items[0]->GetAttrValue(QStringLiteral("n")), QStringLiteral("1"));
    EXPECT_EQ(*items[1]->GetAttrValue(QStringLiteral("n")), QStringLiteral("2"));
    EXPECT_EQ(node.GetChild(QStringLiteral("i")), items[0]);
    EXPECT_EQ(node.GetChild(QStringLiteral("k")), nullptr);
    EXPECT_EQ(node.GetChildValue(QStringLiteral("i")), QString());
    EXPECT_EQ(node.GetChildValue(QStringLiteral("k"), QStringLiteral("none")), QStringLiteral("none"));
}

TEST(SkinXmlLoad, DeepNestingFailsInsteadOfOverflowingTheStack)
{
    std::u16string deep;
    for (int i = 0; i < 100000; ++i)
        deep += u"<a>";
    LoadResult r = LoadExact(deep);
    EXPECT_EQ(r.consumed, -1);
    EXPECT_EQ(r.info.errorCode, skin::kErrorTooDeep);

    std::u16string allowed;
    for (int i = 0; i < skin::kMaxSkinXmlDepth; ++i)
        allowed += u"<a>";
    EXPECT_EQ(LoadExact(allowed).consumed, static_cast<std::ptrdiff_t>(allowed.size()));
}

} // namespace
