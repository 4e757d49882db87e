#pragma once

#include "skin/CSkinItemSet.h"
#include "skin/SkinItems.h"

#include <QString>

#include <memory>

class QWidget;

namespace skin {

class CXInfoTip;
class SkinRuntime;

// A dialog's skin: the items its description was built into, found by type and name, the
// keyed texts, and the tooltip window.
class CSkin
{
public:
    explicit CSkin(SkinRuntime &runtime);
    ~CSkin();
    CSkin(const CSkin &) = delete;
    CSkin &operator=(const CSkin &) = delete;

    // Looks the entry up (case-insensitive) and builds it for `dialog`. With `reset`, the
    // controls are hidden and the other items dropped first; controls named again are reused.
    bool Load(const QString &entryName, SkinWindowInfo *info, QWidget *dialog, bool reset);
    // Fails when the markup yields no element.
    bool LoadFromText(const QString &text, SkinWindowInfo *info, QWidget *dialog, bool reset);

    QWidget *GetControl(SkinControlType type, const QString &name) const;
    template <class T> T *Control(SkinControlType type, const QString &name) const
    {
        return qobject_cast<T *>(GetControl(type, name));
    }
    int GetControlId(SkinControlType type, const QString &name) const;
    bool ShowControl(SkinControlType type, const QString &name, bool show);

    CSkinArea *GetArea(const QString &name) const { return m_items.areas.Find(name); }
    CSkinImage *GetImage(const QString &name) const { return m_items.images.Find(name); }
    CSkinText *GetText(const QString &name) const { return m_items.texts.Find(name); }
    // The text of a text item, or `fallback` when the skin has none of that name.
    QString Text(const QString &key, const QString &fallback = QString()) const;

    // Groups by their index in document order (nested groups follow their group).
    int GroupCount() const { return int(m_items.groups.size()); }
    CSkinGroup *GetGroup(int index) const;
    // Returns false when there is no such group. The owning dialog repaints.
    bool SetGroupActive(int index, bool active);

    // The keyed message box: message and caption are the texts under the two keys. Without a
    // message text nothing is shown and -1 is returned; without a caption text the
    // application's name is the caption.
    int MessageBox(QWidget *dialog, const QString &messageKey, const QString &captionKey, int flags);

    CSkinItemSet &Items() { return m_items; }
    const CSkinItemSet &Items() const { return m_items; }
    CXInfoTip *Tooltip() const { return m_tooltip.get(); }
    QWidget *Owner() const { return m_owner; }
    QString BaseFolder() const { return m_baseFolder; }
    SkinRuntime &Runtime() const { return m_runtime; }

private:
    SkinRuntime &m_runtime;
    CSkinItemSet m_items;
    std::unique_ptr<CXInfoTip> m_tooltip;
    QWidget *m_owner = nullptr;
    QString m_baseFolder;
};

} // namespace skin
