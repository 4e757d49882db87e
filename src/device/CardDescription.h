#pragma once

#include <QString>

namespace device {

// The card at root in the user's words: its label, size and where it is mounted, e.g.
// "TAVIN, 29.7 GB, /media/user/TAVIN", so that a question before erasing it names it.
QString DescribeCard(const QString &root);

} // namespace device
