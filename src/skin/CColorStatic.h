#pragma once

#include "skin/SkinTypes.h"

#include <QLabel>

namespace skin {

// A text label in the skin's colours: transparent over the dialog's pictures until it is
// given a back colour. With notify on it reports clicks and double clicks to its dialog.
class CColorStatic : public QLabel
{
    Q_OBJECT
public:
    explicit CColorStatic(QWidget *parent = nullptr, bool notify = false);

    void SetBackColor(SkinColor color);
    void SetTextColor(SkinColor color);
    bool HasBackColor() const { return m_hasBackColor; }
    SkinColor BackColor() const { return m_backColor; }
    SkinColor TextColor() const { return m_textColor; }
    void SetNotify(bool notify) { m_notify = notify; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    SkinColor m_backColor = 0;
    bool m_hasBackColor = false;
    SkinColor m_textColor = 0;
    bool m_notify;
    bool m_endsDoubleClick = false;
};

} // namespace skin
