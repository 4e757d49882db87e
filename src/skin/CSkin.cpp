#include "skin/CSkin.h"

#include "skin/CSkinBuilder.h"
#include "skin/CXInfoTip.h"
#include "skin/SkinLog.h"
#include "skin/SkinRuntime.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QWidget>

namespace skin {

CSkin::CSkin(SkinRuntime &runtime)
    : m_runtime(runtime)
{
}

CSkin::~CSkin()
{
    m_items.DestroyControls();
}

bool CSkin::Load(const QString &entryName, SkinWindowInfo *info, QWidget *dialog, bool reset)
{
    QString text;
    if (!m_runtime.FindDescription(entryName, &text)) {
        qCWarning(lcSkin) << "no skin description named" << entryName;
        return false;
    }
    return LoadFromText(text, info, dialog, reset);
}

bool CSkin::LoadFromText(const QString &text, SkinWindowInfo *info, QWidget *dialog, bool reset)
{
    if (!m_owner)
        m_owner = dialog;
    if (!m_tooltip && dialog)
        m_tooltip = std::make_unique<CXInfoTip>(dialog, m_runtime.Clock());
    m_baseFolder = m_runtime.BaseFolder();
    if (reset)
        m_items.ResetForReload();
    CSkinBuilder builder(*this, m_runtime);
    return builder.Build(text, info, dialog);
}

QWidget *CSkin::GetControl(SkinControlType type, const QString &name) const
{
    if (type < 0 || type >= kSkinControlTypeCount)
        return nullptr;
    return m_items.ControlsOfType(type).Control(name);
}

int CSkin::GetControlId(SkinControlType type, const QString &name) const
{
    if (type < 0 || type >= kSkinControlTypeCount)
        return 0;
    const SkinControlItem *item = m_items.ControlsOfType(type).Find(name);
    return item && item->control ? item->identifier : 0;
}

bool CSkin::ShowControl(SkinControlType type, const QString &name, bool show)
{
    QWidget *control = GetControl(type, name);
    if (!control)
        return false;
    control->setVisible(show);
    return true;
}

CSkinGroup *CSkin::GetGroup(int index) const
{
    return index >= 0 && index < GroupCount() ? m_items.groups[size_t(index)].get() : nullptr;
}

bool CSkin::SetGroupActive(int index, bool active)
{
    CSkinGroup *group = GetGroup(index);
    if (!group)
        return false;
    if (group->active != active) {
        group->active = active;
        if (group->owner)
            group->owner->update(group->rect.ToQRect());
    }
    return true;
}

QString CSkin::Text(const QString &key, const QString &fallback) const
{
    const CSkinText *text = GetText(key);
    return text ? text->text : fallback;
}

int CSkin::MessageBox(QWidget *dialog, const QString &messageKey, const QString &captionKey, int flags)
{
    const CSkinText *message = GetText(messageKey);
    if (!message)
        return -1;
    const CSkinText *caption = GetText(captionKey);
    QString captionText = caption ? caption->text : QGuiApplication::applicationDisplayName();
    return m_runtime.ShowMessageBox(dialog, message->text, captionText, flags);
}

} // namespace skin
