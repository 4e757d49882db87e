#include "SkinTestSupport.h"

#include "skin/CSkinDialog.h"
#include "skin/SkinIdRegistry.h"

#include <gtest/gtest.h>

using namespace skin;

TEST(SkinIdRegistry, HashIsUnitTimesPosition)
{
    EXPECT_EQ(SkinIdRegistry::NameHash(""), 0u);
    EXPECT_EQ(SkinIdRegistry::NameHash("a"), 97u);
    EXPECT_EQ(SkinIdRegistry::NameHash("ab"), 97u + 2u * 98u);
    // Anagrams do not collide, but names with the same weighted sum do, and then share an
    // identifier within a dialog.
    EXPECT_NE(SkinIdRegistry::NameHash("ab"), SkinIdRegistry::NameHash("ba"));
    EXPECT_EQ(SkinIdRegistry::NameHash("ca"), SkinIdRegistry::NameHash("ab"));
    SkinIdRegistry registry;
    int dialog = 0;
    EXPECT_EQ(
        registry.Identifier(kKindImgBtn, "ab", &dialog), registry.Identifier(kKindImgBtn, "ca", &dialog));
}

TEST(SkinIdRegistry, IdentifiersRiseFromEachKindsBase)
{
    SkinIdRegistry registry;
    int dialog = 0;
    EXPECT_EQ(registry.Identifier(kKindImgBtn, "play", &dialog), 0xE100);
    EXPECT_EQ(registry.Identifier(kKindImgBtn, "stop", &dialog), 0xE101);
    EXPECT_EQ(registry.Identifier(kKindImgBtn, "play", &dialog), 0xE100);
    EXPECT_EQ(registry.Identifier(kKindSlider, "play", &dialog), 0xE800);
    EXPECT_EQ(registry.Identifier(kKindImageNumber, "time", &dialog), 0xE550);
    EXPECT_EQ(registry.Identifier(kKindDateTime, "date", &dialog), 0xEF00);
    EXPECT_EQ(registry.Find(kKindEdit, "play", &dialog), 0);

    // Another dialog gets its own identifier for the same name.
    int other = 0;
    EXPECT_EQ(registry.Identifier(kKindImgBtn, "play", &other), 0xE102);
}

TEST(SkinIdRegistry, TypesSharingAContainerShareARange)
{
    EXPECT_EQ(KindOfType(kSkinImgCheckBox), KindOfType(kSkinImgButton));
    EXPECT_EQ(KindOfType(kSkinRadio), kKindButton);
    EXPECT_EQ(KindOfType(kSkinGroupBox), kKindButton);
    EXPECT_EQ(KindOfType(kSkinCheckBox), kKindButton);
    EXPECT_EQ(KindOfType(kSkinTime), KindOfType(kSkinDate));
    EXPECT_EQ(ControlTypeFromName("IMGNUMBER"), kSkinImgNumber);
    EXPECT_EQ(ControlTypeFromName(""), kSkinImgButton);
    EXPECT_EQ(ControlTypeFromName("dial"), kSkinImgButton);
}

TEST(SkinIdRegistry, StableAcrossReloadsAndDialogs)
{
    skintest::TestSkin t;
    const QString first = "<w><control name='a' visible='true'/><control name='b' type='editbox'/></w>";
    const QString second = "<w><control name='b' type='editbox'/><control name='c'/><control name='a'/></w>";

    CSkinDialog dialog(t.runtime);
    ASSERT_TRUE(dialog.LoadSkinFromText(first));
    const int a = dialog.GetControlId(kSkinImgButton, "a");
    const int b = dialog.GetControlId(kSkinEditBox, "b");
    EXPECT_EQ(a & 0xFF00, 0xE100);
    EXPECT_EQ(b & 0xFF00, 0xE200);

    ASSERT_TRUE(dialog.LoadSkinFromText(second));
    EXPECT_EQ(dialog.GetControlId(kSkinImgButton, "a"), a);
    EXPECT_EQ(dialog.GetControlId(kSkinEditBox, "b"), b);
    EXPECT_EQ(dialog.GetControlId(kSkinImgButton, "c"), a + 1);

    // The same names in another dialog are other controls with other identifiers.
    CSkinDialog other(t.runtime);
    ASSERT_TRUE(other.LoadSkinFromText(first));
    EXPECT_NE(other.GetControlId(kSkinImgButton, "a"), a);
    EXPECT_EQ(dialog.GetControlId(kSkinEditBox, "missing"), 0);
}
