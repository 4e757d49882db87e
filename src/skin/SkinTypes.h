#pragma once

#include <QColor>
#include <QRect>
#include <QtGlobal>

// Shared vocabulary of the skin engine: control type codes, rectangles, colours, alignment
// flags and the window message numbers that skinned controls report with.

namespace skin {

// Codes selected by a control element's "type"; the numbers are stored in settings and used
// by the dialogs, so they never change.
enum SkinControlType : int {
    kSkinImgButton = 0,
    kSkinImgCheckBox = 1,
    kSkinEditBox = 2,
    kSkinStatic = 3,
    kSkinListCtrl = 4,
    kSkinSpeed = 5,
    kSkinSlider = 6,
    kSkinMap = 7,
    kSkinGraph = 8,
    kSkinSheet = 9,
    kSkinRadio = 10,
    kSkinGroupBox = 11,
    kSkinButton = 12,
    kSkinCheckBox = 13,
    kSkinComboBox = 14,
    kSkinDate = 15,
    kSkinTime = 16,
    kSkinImgNumber = 17,
};
constexpr int kSkinControlTypeCount = 18;

// The thirteen control containers; types that share a container share an identifier range.
enum SkinControlKind : int {
    kKindImgBtn = 0,
    kKindEdit,
    kKindStatic,
    kKindListCtrl,
    kKindSpeed,
    kKindMap,
    kKindGraph,
    kKindSlider,
    kKindSheet,
    kKindButton,
    kKindComboBox,
    kKindDateTime,
    kKindImageNumber,
};
constexpr int kSkinControlKindCount = 13;

SkinControlKind KindOfType(SkinControlType type);
int IdentifierBase(SkinControlKind kind);
// One past the last identifier of the kind's range: where the next kind's range begins (the
// date and time pickers end at 0xEF50). The dialogs' event routing recognises a kind by it.
int IdentifierEnd(SkinControlKind kind);
inline bool InIdentifierRange(SkinControlKind kind, int id)
{
    return id >= IdentifierBase(kind) && id < IdentifierEnd(kind);
}
// Maps a "type" attribute (case-insensitive) to its code; unknown or empty is an image button.
SkinControlType ControlTypeFromName(const QString &typeName);

// Rectangle with an exclusive right and bottom edge, as the descriptions compute it.
struct SkinRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    QRect ToQRect() const { return QRect(left, top, Width(), Height()); }
    static SkinRect FromQRect(const QRect &r)
    {
        return { r.left(), r.top(), r.left() + r.width(), r.top() + r.height() };
    }
    bool operator==(const SkinRect &) const = default;
};

// Colours are stored as red + 256 * green + 65536 * blue.
using SkinColor = quint32;
inline QColor ToQColor(SkinColor c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}
inline SkinColor FromRgb(int r, int g, int b)
{
    return SkinColor(r) | (SkinColor(g) << 8) | (SkinColor(b) << 16);
}
constexpr SkinColor kDefaultTransColor = 0xFF00FF;

// Alignment flags of the "align" attribute.
enum SkinAlign : int {
    kAlignLeft = 0x1,
    kAlignCenter = 0x2,
    kAlignRight = 0x4,
    kAlignTop = 0x100,
    kAlignMiddle = 0x200,
    kAlignBottom = 0x400,
};

// Event kinds of CSkinDialog::RegisterEvent.
enum SkinEventKind : int { kEventClick = 0, kEventDoubleClick = 1, kEventChange = 2 };

// Window messages the skinned controls send to their dialog (numbers kept from the
// message protocol the dialogs and panels share).
constexpr quint32 kMsgCommand = 0x0111;
constexpr quint32 kMsgNotify = 0x004E;
constexpr quint32 kMsgClose = 0x0010;
constexpr quint32 kMsgSliderMoving = 0x28D1;
constexpr quint32 kMsgSliderMoved = 0x28D2;

// Notification codes carried by command and notify messages.
constexpr int kCodeClicked = 0; // buttons, statics
constexpr int kCodeDoubleClicked = 1; // statics
constexpr int kCodeEditChange = 0x0300;
constexpr int kCodeComboSelChange = 1;
constexpr int kCodeListClick = -2;
constexpr int kCodeListDoubleClick = -3;
constexpr int kCodeDateTimeChange = -759;

// Message box flags and results of the keyed message box.
enum SkinMessageBoxFlags : int {
    kMbOk = 0x0,
    kMbOkCancel = 0x1,
    kMbYesNoCancel = 0x3,
    kMbYesNo = 0x4,
    kMbIconError = 0x10,
    kMbIconQuestion = 0x20,
    kMbIconWarning = 0x30,
    kMbIconInformation = 0x40,
};
enum SkinMessageBoxResult : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

} // namespace skin
