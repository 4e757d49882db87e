#pragma once

#include <QRect>
#include <QSize>

// The main window's three layouts and where the two video windows go in each. The small layout
// is fixed; the large and full ones follow the monitor that holds the window.
class ViewLayout
{
public:
    enum Mode { kSmall = 0, kLarge = 1, kFull = 2 };

    struct VideoPlaces {
        QRect main; // the main channel's window
        QRect second; // the other channel's window; empty in the full view, where it is hidden
    };

    explicit ViewLayout(QSize monitor = QSize());
    void SetMonitor(QSize monitor) { m_monitor = monitor; }

    VideoPlaces Places(Mode mode) const;

private:
    QSize m_monitor;
};
