#pragma once

#include <QByteArray>
#include <QString>

namespace skin {

// Text files of the skin and of the settings layout: UTF-16 (either byte order) when they
// start with a UTF-16 byte-order mark, UTF-8 otherwise. The byte-order mark is not part of
// the returned text. Returns false with a reason for bytes that are not valid text.
bool DecodeSkinText(const QByteArray &bytes, QString *text, QString *error = nullptr);

// UTF-16LE bytes as text, a byte-order mark kept; an odd last byte is ignored.
QString TextFromUtf16Le(QByteArrayView bytes);

// Reads and decodes a whole file as above.
bool ReadSkinTextFile(const QString &path, QString *text, QString *error = nullptr);

} // namespace skin
