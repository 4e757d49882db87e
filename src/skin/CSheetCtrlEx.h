#pragma once

#include <QStringList>
#include <QWidget>

#include <vector>

class QTabWidget;

namespace skin {

class CSkinPropPage;

// A tab control whose pages are skinned child dialogs placed over its body.
class CSheetCtrlEx : public QWidget
{
    Q_OBJECT
public:
    explicit CSheetCtrlEx(QWidget *parent = nullptr);

    // Takes ownership of the page (it becomes a child of the sheet).
    bool AddPage(const QString &title, const QString &name, CSkinPropPage *page);
    void ShowPage(int index);
    int CurrentPage() const { return m_current; }
    int PageCount() const { return int(m_pages.size()); }
    CSkinPropPage *Page(int index) const;
    CSkinPropPage *PageByName(const QString &name) const;
    int IndexOf(const CSkinPropPage *page) const; // -1 when it is not a page of this sheet
    const QStringList &PageNames() const { return m_names; }
    QTabWidget *Tabs() const { return m_tabs; }
    // The page area: left 2, top 2, right width - 4, bottom height - 4.
    QRect PageArea() const;
    // Where the shown page lies: just inside the tab control's body.
    QRect PageRect() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QTabWidget *m_tabs;
    std::vector<CSkinPropPage *> m_pages;
    QStringList m_names;
    int m_current = 0;
    bool m_switching = false;
};

} // namespace skin
