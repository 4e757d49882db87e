#include "skinart/SkinReferences.h"

#include "skin/core/SkinXml.h"

#include <QDir>
#include <QFile>

namespace skinart {

namespace {

    void Collect(const skin::SkinXmlNode &node, QStringList *files)
    {
        for (const auto &attribute : node.attributes) {
            if (attribute->value.endsWith(QStringLiteral(".bmp"), Qt::CaseInsensitive)
                && !files->contains(attribute->value))
                files->append(attribute->value);
        }
        for (const auto &child : node.children)
            Collect(*child, files);
    }

} // namespace

bool BitmapReferences(const QString &markup, QStringList *files, QString *error)
{
    skin::SkinXmlNode root;
    skin::SkinParseInfo info;
    if (!root.LoadText(markup, &info)) {
        *error = info.errorText.isEmpty() ? QStringLiteral("no element found") : info.errorText;
        return false;
    }
    if (info.errorOccurred) {
        *error = info.errorText;
        return false;
    }
    Collect(root, files);
    return true;
}

bool FolderBitmapReferences(const QString &folder, QStringList *files, QString *error)
{
    const QDir dir(folder);
    const QStringList names = dir.entryList({ QStringLiteral("*.xml") }, QDir::Files, QDir::Name);
    if (names.isEmpty()) {
        *error = QStringLiteral("no descriptions in %1").arg(folder);
        return false;
    }
    for (const QString &name : names) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("cannot read %1").arg(file.fileName());
            return false;
        }
        QString reason;
        if (!BitmapReferences(QString::fromUtf8(file.readAll()), files, &reason)) {
            *error = QStringLiteral("%1: %2").arg(name, reason);
            return false;
        }
    }
    return true;
}

} // namespace skinart
