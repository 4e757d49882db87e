#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;

namespace device {

// The plain dialog in which the user picks the SD card when more than one could be meant (it is
// shown for a single card too). The chosen index is an index into the roots passed in.
class CSelDriveDlg : public QDialog
{
    Q_OBJECT

public:
    // The drive list's control identifier, also its object name, by which tests and accessibility
    // tools find it.
    static constexpr int kDriveListId = 1069;

    explicit CSelDriveDlg(const QStringList &roots, QWidget *parent = nullptr);

    int ChosenIndex() const { return m_chosenIndex; }
    QComboBox *DriveList() const { return m_driveList; }

private:
    QComboBox *m_driveList = nullptr;
    int m_chosenIndex = -1;
};

} // namespace device
