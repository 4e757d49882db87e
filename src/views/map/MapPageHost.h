#pragma once

#include <QObject>

// What the map page may call in the viewer, published to its script as `mapHost` over the web
// channel. Kept apart from the map control so that the page sees these calls and nothing else.
class MapPageHost : public QObject
{
    Q_OBJECT
public:
    explicit MapPageHost(QObject *parent = nullptr);

    // The user clicked on the track near the point recorded at the time (ms from the start of the
    // recording). The page's numbers arrive as doubles.
    Q_INVOKABLE void TrackClicked(double timeMs);

signals:
    void trackClicked(qint64 timeMs);
};
