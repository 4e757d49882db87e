#pragma once

#include "skin/SkinBitmap.h"
#include "skin/SkinTypes.h"

#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>

// The item records a description is built into.

namespace skin {

struct SkinWindowInfo {
    QString backgroundPath;
    SkinColor transColor = kDefaultTransColor;
    SkinColor backColor = 0;
    bool hasTransColor = false;
    bool hasBackColor = false;
    SkinRect rect;
    bool border = false;
};

struct CSkinArea {
    SkinRect rect;
    bool inUse = true;
    QString link;
    bool hasLink = false;
};

struct CSkinImage {
    bool inUse = true;
    bool visible = false;
    SkinBitmap bitmap;
    QString path;
    bool sizeFromBitmap = false;
    SkinRect rect;
    bool transparent = false;
    SkinColor transColor = kDefaultTransColor;
    const QWidget *owner = nullptr; // the dialog whose description made it (sheet pages share a skin)
    QImage masked; // the bitmap with its transparent colour cut out, made once
};

struct CSkinText {
    QString text;
    SkinRect rect;
    QString fontFace;
    int fontSize = 0;
};

struct CSkinGroup {
    SkinRect rect;
    QString backgroundPath;
    SkinColor backColor = 0;
    bool hasBackgroundImage = false;
    bool hasBackColor = false;
    bool stretch = false;
    // Only active groups are painted: a window that keeps one picture per page among its
    // groups marks the shown page's group active and the others not.
    bool active = true;
    QPointer<QWidget> owner; // the dialog that paints it
};

// A control of any kind: its run-time identifier and its window. The window is a child of its
// dialog; the pointer clears itself when Qt destroys the window first.
struct SkinControlItem {
    int identifier = 0;
    SkinControlType type = kSkinImgButton; // the type it was created as
    QPointer<QWidget> control;
};
using CImgBtnItem = SkinControlItem;
using CEditItem = SkinControlItem;
using CStaticItem = SkinControlItem;
using CSkinListCtrlItem = SkinControlItem;
using CSpeedCtrlItem = SkinControlItem;
using CImageNumberItem = SkinControlItem;
using CMapCtrlItem = SkinControlItem;
using CGraphItem = SkinControlItem;
using CSliderItem = SkinControlItem;
using CSheetCtrlItem = SkinControlItem;
using CButtonItem = SkinControlItem;
using CComboBoxItem = SkinControlItem;
using CDateTimeItem = SkinControlItem;

} // namespace skin
