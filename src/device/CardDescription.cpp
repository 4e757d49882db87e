#include "device/CardDescription.h"

#include <QCoreApplication>
#include <QStorageInfo>

namespace device {

QString DescribeCard(const QString &root)
{
    const QStorageInfo storage(root);
    QStringList parts;
    const QString label = storage.isValid() ? storage.name() : QString();
    parts << (label.isEmpty() ? QCoreApplication::translate("DescribeCard", "(이름 없음)") : label);
    if (storage.isValid() && storage.bytesTotal() > 0)
        parts << QString::asprintf("%.1f GB", double(storage.bytesTotal()) / (1024.0 * 1024.0 * 1024.0));
    parts << root;
    return parts.join(QStringLiteral(", "));
}

} // namespace device
