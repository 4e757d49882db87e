#pragma once

#include "skin/SkinTypes.h"

#include <QHeaderView>

namespace skin {

// The list's column header in the skin's colours with a one-pixel separator between columns.
class CSkinHeaderCtrl : public QHeaderView
{
    Q_OBJECT
public:
    explicit CSkinHeaderCtrl(QWidget *parent = nullptr);

    // The two colours the dialogs set: background and text. The separator keeps its own.
    void SetColors(SkinColor background, SkinColor text);
    SkinColor BackColor() const { return m_backColor; }
    SkinColor TextColor() const { return m_textColor; }
    SkinColor SeparatorColor() const { return m_separatorColor; }
    // The header's flag: 1 (the default) draws the one-pixel separator after each column, 0
    // draws a flat header whose columns are told apart by their texts alone.
    void SetFlag(int flag);
    int Flag() const { return m_flag; }

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    void paintEvent(QPaintEvent *event) override;

private:
    SkinColor m_backColor = 0x76554C;
    SkinColor m_textColor = 0;
    SkinColor m_separatorColor = 0x808080;
    int m_flag = 1;
};

} // namespace skin
