#include "skin/SkinTypes.h"

#include <QString>

namespace skin {

SkinControlKind KindOfType(SkinControlType type)
{
    switch (type) {
    case kSkinImgButton:
    case kSkinImgCheckBox:
        return kKindImgBtn;
    case kSkinEditBox:
        return kKindEdit;
    case kSkinStatic:
        return kKindStatic;
    case kSkinListCtrl:
        return kKindListCtrl;
    case kSkinSpeed:
        return kKindSpeed;
    case kSkinSlider:
        return kKindSlider;
    case kSkinMap:
        return kKindMap;
    case kSkinGraph:
        return kKindGraph;
    case kSkinSheet:
        return kKindSheet;
    case kSkinRadio:
    case kSkinGroupBox:
    case kSkinButton:
    case kSkinCheckBox:
        return kKindButton;
    case kSkinComboBox:
        return kKindComboBox;
    case kSkinDate:
    case kSkinTime:
        return kKindDateTime;
    case kSkinImgNumber:
        return kKindImageNumber;
    }
    return kKindImgBtn;
}

int IdentifierBase(SkinControlKind kind)
{
    static constexpr int bases[kSkinControlKindCount] = {
        0xE100, // image buttons
        0xE200, // edits
        0xE300, // statics
        0xE400, // lists
        0xE500, // speed gauges
        0xE600, // maps
        0xE700, // graphs
        0xE800, // sliders
        0xE900, // sheets
        0xEA00, // standard buttons
        0xEE00, // combo boxes
        0xEF00, // date/time pickers
        0xE550, // image numbers
    };
    return bases[kind];
}

int IdentifierEnd(SkinControlKind kind)
{
    static constexpr int ends[kSkinControlKindCount] = {
        0xE200, // image buttons
        0xE300, // edits
        0xE400, // statics
        0xE500, // lists
        0xE550, // speed gauges, up to the image numbers
        0xE700, // maps
        0xE800, // graphs
        0xE900, // sliders
        0xEA00, // sheets
        0xEE00, // standard buttons
        0xEF00, // combo boxes
        0xEF50, // date/time pickers
        0xE600, // image numbers
    };
    return ends[kind];
}

SkinControlType ControlTypeFromName(const QString &typeName)
{
    static const char *const names[]
        = { nullptr, "imgcheckbox", "editbox", "static", "listctrl", "speed", "slider", "map", "graph",
              "sheet", "radio", "groupbox", "button", "checkbox", "combobox", "date", "time", "imgnumber" };
    for (int code = 1; code < kSkinControlTypeCount; ++code) {
        if (typeName.compare(QLatin1String(names[code]), Qt::CaseInsensitive) == 0)
            return SkinControlType(code);
    }
    return kSkinImgButton;
}

} // namespace skin
