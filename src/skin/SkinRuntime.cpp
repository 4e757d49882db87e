#include "skin/SkinRuntime.h"

#include "skin/core/SkinPackReader.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QWidget>

namespace skin {

SkinRuntime::SkinRuntime()
    : m_clock(std::make_unique<QtSkinClock>())
{
}

SkinRuntime::~SkinRuntime() = default;

void SkinRuntime::AddDescription(const QString &name, const QString &text)
{
    m_descriptions.insert(name.toLower(), text);
}

void SkinRuntime::AddPageText(const QString &name, const QString &text)
{
    m_pageTexts.insert(name.toLower(), text);
}

bool SkinRuntime::FindDescription(const QString &name, QString *text) const
{
    const QString key = name.toLower();
    auto it = m_descriptions.constFind(key);
    if (it != m_descriptions.constEnd()) {
        *text = it.value();
        return true;
    }
    const std::optional<QString> stored = m_packStore.FindDescription(key);
    if (stored)
        *text = *stored;
    return stored.has_value();
}

bool SkinRuntime::FindPageText(const QString &name, QString *text) const
{
    const QString key = name.toLower();
    auto it = m_pageTexts.constFind(key);
    if (it != m_pageTexts.constEnd()) {
        *text = it.value();
        return true;
    }
    const std::optional<QString> stored = m_packStore.FindPageText(key);
    if (stored)
        *text = *stored;
    return stored.has_value();
}

int SkinRuntime::LoadPack(const QString &path, QStringList *brokenEntries)
{
    return LoadSkinPack(path, m_packStore, brokenEntries);
}

int SkinRuntime::AddDescriptionFolder(const QString &folder)
{
    int count = 0;
    const QDir dir(folder);
    for (const QString &file : dir.entryList({ QStringLiteral("*.xml") }, QDir::Files, QDir::Name)) {
        QFile f(dir.filePath(file));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = f.readAll();
        // Descriptions are UTF-16 in the pack; files on disk may be either.
        QString text;
        if (bytes.startsWith("\xFF\xFE"))
            text = QString::fromUtf16(
                reinterpret_cast<const char16_t *>(bytes.constData() + 2), (bytes.size() - 2) / 2);
        else
            text = QString::fromUtf8(bytes);
        AddDescription(QFileInfo(file).completeBaseName(), text);
        ++count;
    }
    return count;
}

QString SkinRuntime::BaseFolder() const
{
    return m_baseFolder.isEmpty() ? QCoreApplication::applicationDirPath() : m_baseFolder;
}

QString SkinRuntime::ResolvePath(const QString &path) const
{
    if (path.isEmpty())
        return path;
    QString p = path;
    p.replace(u'\\', u'/');
    if (QDir::isAbsolutePath(p))
        return p;
    return QDir(BaseFolder()).filePath(p);
}

QSize SkinRuntime::MonitorSize() const
{
    if (m_monitorSize.isValid())
        return m_monitorSize;
    QScreen *screen = m_mainWindow ? m_mainWindow->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(1366, 768);
}

bool SkinRuntime::RegisterControlFactory(SkinControlType type, SkinControlFactory factory)
{
    if (type != kSkinSpeed && type != kSkinMap && type != kSkinGraph)
        return false;
    m_factories.insert(type, std::move(factory));
    return true;
}

const SkinControlFactory *SkinRuntime::ControlFactory(SkinControlType type) const
{
    auto it = m_factories.constFind(type);
    return it == m_factories.constEnd() ? nullptr : &it.value();
}

void SkinRuntime::SetClock(std::unique_ptr<SkinClock> clock)
{
    if (clock)
        m_clock = std::move(clock);
}

int SkinRuntime::ShowMessageBox(QWidget *parent, const QString &text, const QString &caption, int flags)
{
    if (m_messageBox)
        return m_messageBox(parent, text, caption, flags);

    QMessageBox box(parent);
    box.setText(text);
    box.setWindowTitle(caption);
    switch (flags & 0xF0) {
    case kMbIconError:
        box.setIcon(QMessageBox::Critical);
        break;
    case kMbIconQuestion:
        box.setIcon(QMessageBox::Question);
        break;
    case kMbIconWarning:
        box.setIcon(QMessageBox::Warning);
        break;
    case kMbIconInformation:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    switch (flags & 0xF) {
    case kMbOkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case kMbYesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case kMbYesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return kIdOk;
    case QMessageBox::Yes:
        return kIdYes;
    case QMessageBox::No:
        return kIdNo;
    default:
        return kIdCancel;
    }
}

void SkinRuntime::OpenUrl(const QUrl &url)
{
    if (m_urlOpener)
        m_urlOpener(url);
    else
        QDesktopServices::openUrl(url);
}

} // namespace skin
