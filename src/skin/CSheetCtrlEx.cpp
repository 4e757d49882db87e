#include "skin/CSheetCtrlEx.h"

#include "skin/CSkinPropPage.h"

#include <QTabBar>
#include <QTabWidget>

#include <algorithm>

namespace skin {

CSheetCtrlEx::CSheetCtrlEx(QWidget *parent)
    : QWidget(parent)
    , m_tabs(new QTabWidget(this))
{
    setWindowTitle(QStringLiteral("CSheetCtrl"));
    setFocusPolicy(Qt::TabFocus);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (!m_switching && index >= 0)
            ShowPage(index);
    });
}

QRect CSheetCtrlEx::PageArea() const
{
    // left 2, top 2, right width - 4, bottom height - 4 (right and bottom exclusive)
    return QRect(2, 2, width() - 6, height() - 6);
}

QRect CSheetCtrlEx::PageRect() const
{
    const QRect area = PageArea();
    const int right = area.left() + area.width(); // width - 4
    const int bottom = area.top() + area.height(); // height - 4
    return QRect(area.left() + 1, area.top() + 21, right - 6, bottom - 25);
}

bool CSheetCtrlEx::AddPage(const QString &title, const QString &name, CSkinPropPage *page)
{
    if (!page)
        return false;
    m_switching = true;
    const int index = m_tabs->addTab(new QWidget, title);
    m_switching = false;
    if (index < 0)
        return false;
    page->setParent(this);
    page->setWindowFlags(Qt::Widget);
    page->hide();
    m_names.append(name);
    m_pages.push_back(page);
    if (isVisible())
        ShowPage(m_current);
    return true;
}

CSkinPropPage *CSheetCtrlEx::Page(int index) const
{
    return index >= 0 && index < PageCount() ? m_pages[size_t(index)] : nullptr;
}

CSkinPropPage *CSheetCtrlEx::PageByName(const QString &name) const
{
    const int index = int(m_names.indexOf(name));
    return Page(index);
}

int CSheetCtrlEx::IndexOf(const CSkinPropPage *page) const
{
    const auto it = std::find(m_pages.begin(), m_pages.end(), page);
    return it == m_pages.end() ? -1 : int(it - m_pages.begin());
}

void CSheetCtrlEx::ShowPage(int index)
{
    const QRect area = PageArea();
    const int left = area.left();
    const int top = area.top();
    const int right = area.left() + area.width(); // width - 4
    const int bottom = area.top() + area.height(); // height - 4
    m_tabs->setGeometry(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
    m_tabs->show();
    if (index < 0 || index >= PageCount())
        return;
    m_current = index;
    for (int i = 0; i < PageCount(); ++i) {
        if (i != index)
            m_pages[size_t(i)]->hide();
    }
    CSkinPropPage *page = m_pages[size_t(index)];
    page->setGeometry(PageRect());
    page->raise();
    page->show();
    m_switching = true;
    m_tabs->setCurrentIndex(index);
    m_switching = false;
}

void CSheetCtrlEx::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    ShowPage(m_current);
}

void CSheetCtrlEx::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    ShowPage(m_current);
}

} // namespace skin
