#include "skin/core/SkinXml.h"

#include <gtest/gtest.h>

using skin::SkinNodeType;
using skin::SkinWriteOptions;
using skin::SkinXmlNode;

namespace {

std::unique_ptr<SkinXmlNode> parse(const QString &text)
{
    auto node = std::make_unique<SkinXmlNode>();
    EXPECT_TRUE(node->LoadText(text)) << text.toStdString();
    return node;
}

void expectSameTree(const SkinXmlNode &a, const SkinXmlNode &b)
{
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.value, b.value) << a.name.toStdString();
    EXPECT_EQ(a.type, b.type);
    ASSERT_EQ(a.attributes.size(), b.attributes.size()) << a.name.toStdString();
    for (size_t i = 0; i < a.attributes.size(); ++i) {
        EXPECT_EQ(a.attributes[i]->name, b.attributes[i]->name);
        EXPECT_EQ(a.attributes[i]->value, b.attributes[i]->value);
    }
    ASSERT_EQ(a.children.size(), b.children.size()) << a.name.toStdString();
    for (size_t i = 0; i < a.children.size(); ++i)
        expectSameTree(*a.children[i], *b.children[i]);
}

const QString kNested = QStringLiteral("<a x=\"1\" y=\"&lt;\"><b>t</b><c/>v</a>");

TEST(SkinXmlWrite, NestedWithLineBreaks)
{
    EXPECT_EQ(parse(kNested)->Write(),
        QStringLiteral("\r\n<a x=\"1\" y=\"&lt;\" >\r\n\t<b>t</b>\r\n\t<c/>\r\n\tv\r\n</a>"));
}

TEST(SkinXmlWrite, OneLineForms)
{
    SkinWriteOptions options;
    options.newLines = false;
    EXPECT_EQ(parse(kNested)->Write(&options), QStringLiteral("<a x=\"1\" y=\"&lt;\" ><b>t</b><c/>v</a>"));
    EXPECT_EQ(parse(QStringLiteral("<e/>"))->Write(&options), QStringLiteral("<e/>"));
    EXPECT_EQ(parse(QStringLiteral("<e k=\"v\"/>"))->Write(&options), QStringLiteral("<e k=\"v\" />"));
    EXPECT_EQ(parse(QStringLiteral("<e>   </e>"))->Write(&options), QStringLiteral("<e/>"));
    options.quote = u'\'';
    EXPECT_EQ(parse(QStringLiteral("<a x=\"1\"/>"))->Write(&options), QStringLiteral("<a x='1' />"));
}

TEST(SkinXmlWrite, CommentsAndCDataStayRaw)
{
    EXPECT_EQ(parse(QStringLiteral("<a><!-- n&m --><![CDATA[x<y]]></a>"))->Write(),
        QStringLiteral("\r\n<a><!-- n&m --><![CDATA[x<y]]>\r\n</a>"));
}

TEST(SkinXmlWrite, EncodesEntitiesAndDoublesEscapes)
{
    SkinXmlNode node;
    node.name = QStringLiteral("p");
    node.value = QStringLiteral("a<b & \"c\" 'd' > e\\f");
    auto attr = std::make_unique<skin::SkinXmlAttr>();
    attr->name = QStringLiteral("img");
    attr->value = QStringLiteral("Image\\btn.bmp");
    node.attributes.push_back(std::move(attr));

    SkinWriteOptions options;
    options.newLines = false;
    EXPECT_EQ(node.Write(&options),
        QStringLiteral(
            "<p img=\"Image\\\\btn.bmp\" >a&lt;b &amp; &quot;c&quot; &apos;d&apos; &gt; e\\\\f</p>"));

    options.encodeEntities = false;
    options.escapeChar = 0;
    EXPECT_EQ(node.Write(&options), QStringLiteral("<p img=\"Image\\btn.bmp\" >a<b & \"c\" 'd' > e\\f</p>"));
}

TEST(SkinXmlWrite, StartsAtTheGivenDepthAndRestoresIt)
{
    SkinWriteOptions options;
    options.tabDepth = 2;
    const QString written = parse(QStringLiteral("<a><b><c/></b></a>"))->Write(&options);
    EXPECT_EQ(written, QStringLiteral("\r\n\t\t<a>\r\n\t\t\t<b>\r\n\t\t\t\t<c/>\r\n\t\t\t</b>\r\n\t\t</a>"));
    EXPECT_EQ(options.tabDepth, 2);
}

TEST(SkinXmlWrite, DocumentAndProcessingInstruction)
{
    SkinXmlNode document;
    document.type = SkinNodeType::Document;
    auto pi = std::make_unique<SkinXmlNode>();
    pi->type = SkinNodeType::ProcessingInstruction;
    pi->name = QStringLiteral("xml");
    auto version = std::make_unique<skin::SkinXmlAttr>();
    version->name = QStringLiteral("version");
    version->value = QStringLiteral("1.0");
    pi->attributes.push_back(std::move(version));
    document.children.push_back(std::move(pi));
    auto root = std::make_unique<SkinXmlNode>();
    root->name = QStringLiteral("r");
    document.children.push_back(std::move(root));
    EXPECT_EQ(document.Write(), QStringLiteral("<?xml version=\"1.0\" ?>\r\n<r/>"));
}

// A sheet page handed to a nested window is written and read again: nothing may change.
TEST(SkinXmlWrite, WriteThenLoadGivesTheSameTree)
{
    const QString skinText = QStringLiteral("<dialog name=\"setup\" bg=\"Image\\\\setup.bmp\">\r\n"
                                            "  <!-- the first page -->\r\n"
                                            "  <sheet name=\"page1\" rect=\"0,0,100,20\">\r\n"
                                            "    <text key=\"err_title\">Error &amp; warning</text>\r\n"
                                            "    <button name=\"ok\" tip='say \"ok\"' />\r\n"
                                            "    <static name=\"s\">a &lt; b \\\\ c</static>\r\n"
                                            "    <![CDATA[ kept <as> is ]]>\r\n"
                                            "  </sheet>\r\n"
                                            "  <text key=\"empty\"></text>\r\n"
                                            "  caption\r\n"
                                            "</dialog>");
    auto first = parse(skinText);
    for (bool newLines : { true, false }) {
        SkinWriteOptions options;
        options.newLines = newLines;
        const QString written = first->Write(&options);
        auto second = parse(written);
        SCOPED_TRACE(written.toStdString());
        expectSameTree(*first, *second);
    }
    EXPECT_EQ(*first->GetAttrValue(QStringLiteral("bg")), QStringLiteral("Image\\setup.bmp"));
    EXPECT_EQ(first->value, QStringLiteral("caption"));
}

} // namespace
