#include "skin/CImgButton.h"

#include "skin/SkinControlReport.h"
#include "skin/SkinTypes.h"

#include <QEvent>
#include <QPainter>

namespace skin {

CImgButton::CImgButton(QWidget *parent, bool checkMode)
    : QAbstractButton(parent)
    , m_checkMode(checkMode)
{
    setCheckable(checkMode);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_NoSystemBackground);
    connect(this, &QAbstractButton::pressed, this, &CImgButton::ApplyState);
    connect(this, &QAbstractButton::released, this, &CImgButton::ApplyState);
    connect(this, &QAbstractButton::toggled, this, &CImgButton::ApplyState);
    connect(this, &QAbstractButton::clicked, this, [this] { SendCommand(this, kCodeClicked); });
}

bool CImgButton::SetStateImage(int state, const QString &path, SkinColor transColor)
{
    if (state < 0 || state > 3)
        return false;
    const SkinBitmap bitmap = SkinBitmap::Load(path);
    SetStateBitmap(state, bitmap, transColor);
    return !bitmap.IsNull();
}

void CImgButton::SetStateBitmap(int state, const SkinBitmap &bitmap, SkinColor transColor)
{
    if (state < 0 || state > 3)
        return;
    StateImage &s = m_states[state];
    s.bitmap = bitmap;
    s.picture = bitmap.IsNull() ? QImage() : bitmap.Masked(transColor);
    s.region = bitmap.IsNull() ? QRegion() : bitmap.Region(transColor);
    ApplyState();
}

bool CImgButton::HasStateImage(int state) const
{
    return state >= 0 && state <= 3 && !m_states[state].bitmap.IsNull();
}

int CImgButton::CurrentState() const
{
    if ((m_checkMode && isChecked()) || isDown())
        return kClick;
    // Qt tells a disabled button when the pointer enters it; a disabled button never lights up.
    if (!isEnabled())
        return kDisable;
    if (m_hovering)
        return kHover;
    return kNormal;
}

int CImgButton::ShownState() const
{
    const int state = CurrentState();
    // A skin that gives no bitmap for a state shows the normal one rather than nothing.
    return HasStateImage(state) ? state : kNormal;
}

void CImgButton::ApplyState()
{
    if (m_applying)
        return;
    m_applying = true;
    const StateImage &s = m_states[ShownState()];
    if (!s.bitmap.IsNull()) {
        if (size() != s.bitmap.Size())
            resize(s.bitmap.Size());
        if (!s.region.isEmpty())
            setMask(s.region);
        else
            clearMask();
    }
    m_applying = false;
    update();
}

void CImgButton::PlaceAt(const QRect &rect)
{
    if (HasStateImage(ShownState())) {
        move(rect.topLeft());
        ApplyState();
    } else {
        setGeometry(QRect(rect.topLeft(), QSize(qMax(1, rect.width()), qMax(1, rect.height()))));
    }
}

QSize CImgButton::sizeHint() const
{
    const StateImage &s = m_states[ShownState()];
    return s.bitmap.IsNull() ? QSize(1, 1) : s.bitmap.Size();
}

void CImgButton::paintEvent(QPaintEvent *)
{
    const StateImage &s = m_states[ShownState()];
    if (s.picture.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(0, 0, s.picture);
}

void CImgButton::enterEvent(QEnterEvent *event)
{
    m_hovering = true;
    ApplyState();
    QAbstractButton::enterEvent(event);
}

void CImgButton::leaveEvent(QEvent *event)
{
    m_hovering = false;
    ApplyState();
    QAbstractButton::leaveEvent(event);
}

void CImgButton::resizeEvent(QResizeEvent *event)
{
    QAbstractButton::resizeEvent(event);
    // Whoever resizes the button, it keeps the size of the bitmap it shows.
    ApplyState();
}

void CImgButton::changeEvent(QEvent *event)
{
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        ApplyState();
}

bool CImgButton::hitButton(const QPoint &pos) const
{
    const QRegion shape = mask();
    return shape.isEmpty() ? rect().contains(pos) : shape.contains(pos);
}

} // namespace skin
