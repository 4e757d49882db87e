#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;

namespace platform {

// Tells when file systems are mounted or unmounted (a card inserted or removed), so that the
// card list can be scanned again.
class MountWatcher : public QObject
{
    Q_OBJECT

public:
    explicit MountWatcher(QObject *parent = nullptr);
    // Watches another mount table (tests point it at a file of their own).
    MountWatcher(const QString &mountTablePath, QObject *parent);
    ~MountWatcher() override;

    bool IsWatching() const;

signals:
    void mountsChanged();

private:
    void Start(const QString &mountTablePath);
    void OnActivated();

    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace platform
