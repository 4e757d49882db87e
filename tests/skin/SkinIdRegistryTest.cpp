#include "SkinTestSupport.h"

#include "skin/CSkinDialog.h"
#include "skin/SkinIdRegistry.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace skin;

// "ab" and "ca" have the same weighted sum of their characters (97 + 2 x 98 = 99 + 2 x 97):
// names like these must still get identifiers of their own, or one button fires the other's
// action.
TEST(SkinIdRegistry, NamesWithEqualCharacterSumsGetTheirOwnIdentifiers)
{
    skintest::TestSkin t;
    const QString btn = t.WriteSolid("b.bmp", QSize(10, 10), Qt::green);
    const QString text = QString("<w><control name='ab' x='0' visible='true'><state src='%1'/></control>"
                                 "<control name='ca' x='20' visible='true'><state src='%1'/></control></w>")
                             .arg(btn);
    CSkinDialog dialog(t.runtime);
    ASSERT_TRUE(dialog.LoadSkinFromText(text));
    dialog.show();
    int ab = 0, ca = 0;
    ASSERT_TRUE(dialog.RegisterEvent("ab", kSkinImgButton, kEventClick, ClickDelegate([&] { ++ab; })));
    ASSERT_TRUE(dialog.RegisterEvent("ca", kSkinImgButton, kEventClick, ClickDelegate([&] { ++ca; })));
    QTest::mouseClick(dialog.GetControl(kSkinImgButton, "ab"), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(ab, 1);
    EXPECT_EQ(ca, 0);
    QTest::mouseClick(dialog.GetControl(kSkinImgButton, "ca"), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(ab, 1);
    EXPECT_EQ(ca, 1);

    // A reload, in another order, keeps each name's identifier.
    const int idAb = dialog.GetControlId(kSkinImgButton, "ab");
    const int idCa = dialog.GetControlId(kSkinImgButton, "ca");
    EXPECT_NE(idAb, idCa);
    ASSERT_TRUE(dialog.LoadSkinFromText(QString("<w><control name='ca'><state src='%1'/></control>"
                                                "<control name='ab'><state src='%1'/></control></w>")
                                            .arg(btn)));
    EXPECT_EQ(dialog.GetControlId(kSkinImgButton, "ab"), idAb);
    EXPECT_EQ(dialog.GetControlId(kSkinImgButton, "ca"), idCa);

    // The same names in another dialog are other controls with other identifiers.
    CSkinDialog other(t.runtime);
    ASSERT_TRUE(other.LoadSkinFromText(text));
    EXPECT_NE(other.GetControlId(kSkinImgButton, "ab"), idAb);
    EXPECT_NE(other.GetControlId(kSkinImgButton, "ab"), idCa);
}

// Image buttons own 0xE100-0xE1FF; a 257th would take 0xE200, where edits are routed, and
// its clicks would be lost. It is refused instead, and the other kinds keep their ranges.
TEST(SkinIdRegistry, AFullRangeRefusesRatherThanSpills)
{
    skintest::TestSkin t;
    const QString btn = t.WriteSolid("b.bmp", QSize(4, 4), Qt::green);
    QString text = "<w width='640' height='480'>";
    for (int i = 0; i < 257; ++i)
        text += QString("<control name='b%1' x='%2' y='%3' visible='true'><state src='%4'/></control>")
                    .arg(i)
                    .arg(i % 32 * 5)
                    .arg(i / 32 * 5)
                    .arg(btn);
    text += "<control name='e' type='editbox' width='50' height='20'/></w>";
    auto dialog = std::make_unique<CSkinDialog>(t.runtime);
    ASSERT_TRUE(dialog->LoadSkinFromText(text));
    EXPECT_EQ(dialog->GetControlId(kSkinImgButton, "b255"), 0xE1FF);
    EXPECT_EQ(dialog->GetControl(kSkinImgButton, "b256"), nullptr);
    EXPECT_EQ(dialog->GetControlId(kSkinImgButton, "b256"), 0);
    EXPECT_EQ(dialog->GetControlId(kSkinEditBox, "e"), 0xE200);
    EXPECT_FALSE(dialog->RegisterEvent("b256", kSkinImgButton, kEventClick, ClickDelegate([] {})));

    // The last button of the range still reaches its delegate.
    dialog->show();
    int clicks = 0;
    ASSERT_TRUE(dialog->RegisterEvent("b255", kSkinImgButton, kEventClick, ClickDelegate([&] { ++clicks; })));
    QTest::mouseClick(dialog->GetControl(kSkinImgButton, "b255"), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(clicks, 1);

    // A window that goes frees its identifiers for the windows made after it.
    const QString one = QString("<w><control name='n'><state src='%1'/></control></w>").arg(btn);
    CSkinDialog crowded(t.runtime);
    ASSERT_TRUE(crowded.LoadSkinFromText(one));
    EXPECT_EQ(crowded.GetControlId(kSkinImgButton, "n"), 0);
    dialog.reset();
    CSkinDialog later(t.runtime);
    ASSERT_TRUE(later.LoadSkinFromText(one));
    EXPECT_EQ(later.GetControlId(kSkinImgButton, "n"), 0xE100);

    // Date pickers end where the dialogs stop routing them, at 0xEF4F.
    SkinIdRegistry registry;
    int owner = 0;
    for (int i = 0; i < 0x50; ++i)
        EXPECT_EQ(registry.Identifier(kKindDateTime, QString("d%1").arg(i), &owner), 0xEF00 + i);
    EXPECT_EQ(registry.Identifier(kKindDateTime, "one_more", &owner), 0);
    EXPECT_EQ(registry.Identifier(kKindDateTime, "d3", &owner), 0xEF03);
}
