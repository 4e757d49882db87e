#include "skin/core/SkinTextFile.h"

#include <QFile>
#include <QStringDecoder>

namespace skin {

namespace {

    bool Fail(QString *error, const QString &reason)
    {
        if (error)
            *error = reason;
        return false;
    }

} // namespace

bool DecodeSkinText(const QByteArray &bytes, QString *text, QString *error)
{
    QStringConverter::Encoding encoding = QStringConverter::Utf8;
    qsizetype bomSize = 0;
    if (bytes.startsWith("\xFF\xFE")) {
        encoding = QStringConverter::Utf16LE;
        bomSize = 2;
    } else if (bytes.startsWith("\xFE\xFF")) {
        encoding = QStringConverter::Utf16BE;
        bomSize = 2;
    } else if (bytes.startsWith("\xEF\xBB\xBF")) {
        bomSize = 3;
    }
    const QByteArrayView body = QByteArrayView(bytes).sliced(bomSize);
    if (encoding != QStringConverter::Utf8 && body.size() % 2 != 0)
        return Fail(error, QStringLiteral("UTF-16 text with an odd number of bytes"));

    QStringDecoder decoder(
        encoding, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString decoded = decoder.decode(body);
    if (decoder.hasError())
        return Fail(error,
            encoding == QStringConverter::Utf8 ? QStringLiteral("not valid UTF-8 text")
                                               : QStringLiteral("not valid UTF-16 text"));
    *text = std::move(decoded);
    return true;
}

QString TextFromUtf16Le(QByteArrayView bytes)
{
    const qsizetype units = bytes.size() / 2;
    QString text(units, Qt::Uninitialized);
    const auto *data = reinterpret_cast<const uchar *>(bytes.data());
    for (qsizetype i = 0; i < units; ++i)
        text[i] = QChar(static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8)));
    return text;
}

bool ReadSkinTextFile(const QString &path, QString *text, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(error, QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Fail(error, QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    QString reason;
    if (!DecodeSkinText(bytes, text, &reason))
        return Fail(error, QStringLiteral("%1: %2").arg(path, reason));
    return true;
}

} // namespace skin
