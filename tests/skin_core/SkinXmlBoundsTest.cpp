#include "SkinXmlTestUtil.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Texts that exercise every construct, cut at every length: the reader must stop inside
// the given range whatever it is handed (unterminated quotes, comments, tags, processing
// instructions, a trailing escape). Run under the address sanitizer, every read past
// the end of the exact-size buffer is reported.
const std::u16string_view kTexts[] = {
    u"<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<!-- c --><root a=\"1\" b='2' c=3 d >"
    u"value<child x=\"&lt;\\\"q\"/><![CDATA[raw]]><!--n--><e>t</e> tail</root>",
    u"<settings><company>T</company><section name=\"Xml\"><key type=\"string\" default=\"m\">Small</key>"
    u"</section></settings>",
    u"<a v=\"Image\\\\btn.bmp\" w='x\\'y'>1 \\< 2 &amp;&#60;</a>",
    u"<a><b></c></b></a>",
    u"<a x=\"1\"/ ><b/>",
    u"<a>\\",
    u"<a v=\"\\",
    u"<a v=x\\",
    u"<?pi ?><!----><![CDATA[]]><a/>",
};

TEST(SkinXmlBounds, EveryPrefixStaysInsideTheText)
{
    for (std::u16string_view text : kTexts) {
        for (size_t length = 0; length <= text.size(); ++length) {
            for (bool force : { false, true }) {
                skin::SkinParseInfo info;
                info.forceParse = force;
                const LoadResult r = LoadExact(text.substr(0, length), info);
                EXPECT_LE(r.consumed, static_cast<std::ptrdiff_t>(length));
                if (r.info.errorOccurred) {
                    EXPECT_GE(r.errorOffset, 0);
                    EXPECT_LE(r.errorOffset, static_cast<std::ptrdiff_t>(length));
                }
            }
        }
    }
}

TEST(SkinXmlBounds, WholeTextsLoad)
{
    // The prefixes above are only meaningful if the full texts are good markup.
    for (size_t i : { 0u, 1u, 2u, 8u }) {
        const LoadResult r = LoadExact(kTexts[i]);
        EXPECT_EQ(r.consumed, static_cast<std::ptrdiff_t>(kTexts[i].size())) << i;
        EXPECT_FALSE(r.info.errorOccurred) << i;
    }
}

TEST(SkinXmlBounds, LoadFromInsideTheText)
{
    // Loading may start anywhere before an element, for instance after a previous one.
    const std::u16string_view text = u"<a/> <b>x</b>";
    auto buffer = std::make_unique<char16_t[]>(text.size());
    std::copy(text.begin(), text.end(), buffer.get());
    skin::SkinXmlNode node;
    const char16_t *end = buffer.get() + text.size();
    const char16_t *next = node.Load(buffer.get(), end);
    ASSERT_EQ(next, buffer.get() + 4);
    EXPECT_EQ(node.Load(next, end), end);
    EXPECT_EQ(node.name, QStringLiteral("b"));
    EXPECT_EQ(node.Load(end, end), nullptr);
}

} // namespace
