#pragma once

#include "skin/SkinBitmap.h"

#include <QAbstractButton>
#include <QImage>
#include <QRegion>

namespace skin {

// A button drawn from one bitmap per state, shaped by the bitmap's transparent colour and
// always exactly the size of the bitmap it shows. In check mode a click toggles it and it
// shows its click bitmap while checked.
class CImgButton : public QAbstractButton
{
    Q_OBJECT
public:
    enum State { kNormal = 0, kHover = 1, kClick = 2, kDisable = 3 };

    explicit CImgButton(QWidget *parent = nullptr, bool checkMode = false);

    // `path` is a file path; the state keeps no bitmap when it cannot be read.
    bool SetStateImage(int state, const QString &path, SkinColor transColor);
    void SetStateBitmap(int state, const SkinBitmap &bitmap, SkinColor transColor);
    bool HasStateImage(int state) const;

    bool IsCheckMode() const { return m_checkMode; }
    bool IsHovering() const { return m_hovering; }
    // The state drawing uses now.
    int CurrentState() const;
    // The state whose bitmap is shown: the current one, or normal when that has none.
    int ShownState() const;

    // Moves the button; its size comes from its bitmap (or `rect` while it has none).
    void PlaceAt(const QRect &rect);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool hitButton(const QPoint &pos) const override;

private:
    void ApplyState();

    struct StateImage {
        SkinBitmap bitmap;
        QImage picture;
        QRegion region;
    };
    StateImage m_states[4];
    bool m_checkMode;
    bool m_hovering = false;
    bool m_applying = false;
};

} // namespace skin
