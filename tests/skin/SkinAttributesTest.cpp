#include "skin/SkinAttributes.h"
#include "skin/core/SkinXml.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace skin;

namespace {

SkinRect RectOf(const QString &element, const SkinRect &reference)
{
    SkinXmlNode node;
    EXPECT_TRUE(node.LoadText(element));
    return attr::Rect(node, reference);
}

struct RectCase {
    const char *element;
    SkinRect expected;
};

} // namespace

TEST(SkinRectangleRule, PlacesItemsAgainstTheReference)
{
    const SkinRect screen { 0, 0, 640, 480 };
    const RectCase cases[] = {
        { "<c x='10' y='20' width='50' height='30'/>", { 10, 20, 60, 50 } },
        { "<c align='right bottom' x='-10' y='-10' width='50' height='20'/>", { 580, 450, 630, 470 } },
        { "<c width='100%' height='50%'/>", { 0, 0, 640, 480 } },
        { "<c width='-20' height='-40'/>", { 0, 0, 620, 440 } },
        { "<c align='center middle' width='41' height='21'/>", { 299, 229, 340, 250 } },
        { "<c align='centre' width='40' height='10'/>", { 300, 0, 340, 10 } },
        { "<c x='5' y='6'/>", { 5, 6, 5, 6 } },
        // A wider item than the reference: the half is truncated toward zero.
        { "<c align='center' width='641' height='1'/>", { 0, 0, 641, 1 } },
        { "<c align='center' width='643' height='1'/>", { -1, 0, 642, 1 } },
    };
    for (const RectCase &c : cases)
        EXPECT_EQ(RectOf(QString::fromLatin1(c.element), screen), c.expected) << c.element;
}

// A damaged skin with absurd numbers must give a bounded rectangle, not wrap around.
TEST(SkinRectangleRule, AbsurdNumbersStayBounded)
{
    const SkinRect screen { 0, 0, 640, 480 };
    const char *elements[] = {
        "<c x='276' width='2147483647' height='99999999999'/>",
        "<c align='right bottom' x='-2147483648' y='2147483647' width='-2147483648' height='-99999999'/>",
        "<c align='center middle' x='2147483647' width='-2147483647' height='2147483647'/>",
    };
    for (const char *element : elements) {
        const SkinRect r = RectOf(QString::fromLatin1(element), screen);
        EXPECT_GE(r.Width(), 0) << element;
        EXPECT_LE(std::abs(qint64(r.left)), 1 << 21) << element;
        EXPECT_LE(std::abs(qint64(r.bottom)), 1 << 21) << element;
        // Nested inside such a rectangle, placement must still not overflow.
        const SkinRect inner = RectOf(QStringLiteral("<c align='right bottom' width='-5' height='-5'/>"), r);
        EXPECT_LE(inner.right, r.right) << element;
    }
    // The ordinary case next to it is untouched.
    EXPECT_EQ(RectOf(QStringLiteral("<c x='276' width='20' height='10'/>"), screen),
        (SkinRect { 276, 0, 296, 10 }));
}

TEST(SkinRectangleRule, GroupIsTheReferenceInside)
{
    const SkinRect group { 100, 50, 300, 150 };
    EXPECT_EQ(RectOf("<c x='4' y='5' width='10' height='10'/>", group), (SkinRect { 104, 55, 114, 65 }));
    EXPECT_EQ(
        RectOf("<c align='right bottom' width='10' height='10'/>", group), (SkinRect { 290, 140, 300, 150 }));
    EXPECT_EQ(RectOf("<c width='-10' height='100%'/>", group), (SkinRect { 100, 50, 290, 150 }));
}

TEST(SkinAttributeForms, AlignmentWords)
{
    const QString middle = "middle", capital = "Right";
    EXPECT_EQ(attr::ParseAlign(nullptr), kAlignLeft | kAlignTop);
    EXPECT_EQ(attr::ParseAlign(&middle), kAlignLeft | kAlignMiddle);
    // The words are case-sensitive.
    EXPECT_EQ(attr::ParseAlign(&capital), kAlignLeft | kAlignTop);
}

TEST(SkinAttributeForms, ColoursAndIntegers)
{
    EXPECT_EQ(attr::ParseColor("#3FA6FE", 0), 0xFEA63Fu);
    EXPECT_EQ(attr::ParseColor("x102030", 0), 0x302010u); // the first character is not checked
    EXPECT_EQ(attr::ParseColor("", 0xFF00FF), 0xFF00FFu);
    EXPECT_EQ(attr::ParseInt("-20"), -20);
    EXPECT_EQ(attr::ParseInt(" 12px"), 12);
    EXPECT_EQ(attr::ParseInt("", 7), 7);
    EXPECT_EQ(attr::ParseInt("abc", 7), 0);
}

TEST(SkinAttributeForms, TextAlignAcceptsBothSpellings)
{
    SkinXmlNode a, b, c;
    ASSERT_TRUE(a.LoadText("<c textalign='centre'/>"));
    ASSERT_TRUE(b.LoadText("<c textalign='center'/>"));
    ASSERT_TRUE(c.LoadText("<c textalign='right'/>"));
    EXPECT_EQ(attr::TextAlignment(a), attr::kTextCenter);
    EXPECT_EQ(attr::TextAlignment(b), attr::kTextCenter);
    EXPECT_EQ(attr::TextAlignment(c), attr::kTextRight);
}
