#pragma once

#include <QObject>

// What the archive's map page may call in the viewer, published to its script as `mapHost`: a
// click on a place, and the part of the world the map shows. Kept apart from the page's widget so
// that the page sees these calls and nothing else.
class ArchiveMapHost : public QObject
{
    Q_OBJECT
public:
    explicit ArchiveMapHost(QObject *parent = nullptr);

    // The user clicked the map at the place (decimal degrees).
    Q_INVOKABLE void PlaceClicked(double latitude, double longitude);
    // The map now shows the box (decimal degrees), at about this many metres to a pixel.
    Q_INVOKABLE void ViewChanged(double south, double west, double north, double east, double metresPerPixel);

signals:
    void placeClicked(double latitude, double longitude);
    void viewChanged(double south, double west, double north, double east, double metresPerPixel);
};
