#include "skin/CSkinDialog.h"

#include "skin/SkinDelegateMap.h"
#include "skin/SkinRuntime.h"
#include "skin/WindowMessageEvent.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QUrl>

namespace skin {

CSkinDialog::CSkinDialog(SkinRuntime &runtime, QWidget *parent, CSkin *sharedSkin)
    : CBitmapDialog(parent)
    , m_runtime(runtime)
{
    if (sharedSkin) {
        m_skin = sharedSkin;
    } else {
        m_ownedSkin = std::make_unique<CSkin>(runtime);
        m_skin = m_ownedSkin.get();
    }
    setMouseTracking(true);
    if (parent && isWindow())
        setFont(parent->font());
}

CSkinDialog::~CSkinDialog()
{
    m_runtime.Delegates().RemoveOwner(this);
    m_runtime.Identifiers().Release(static_cast<QWidget *>(this));
    // The controls go while this dialog is still whole: their removal notifies it.
    if (m_ownedSkin)
        m_ownedSkin->Items().DestroyControls();
}

const QString &CSkinDialog::SkinFailureText()
{
    static const QString text = QStringLiteral("Fail to load skin file. Please reinstall program.");
    return text;
}

bool CSkinDialog::LoadSkin(const QString &entryName, bool reset)
{
    if (!m_skin->Load(entryName, &m_info, this, reset))
        return false;
    ApplyWindowInfo();
    OnSkinLoaded();
    return true;
}

bool CSkinDialog::LoadSkinFromText(const QString &text, bool reset)
{
    if (!m_skin->LoadFromText(text, &m_info, this, reset))
        return false;
    ApplyWindowInfo();
    OnSkinLoaded();
    return true;
}

bool CSkinDialog::InitSkin(const QString &entryName)
{
    if (LoadSkin(entryName, true))
        return true;
    const CSkinText *caption = m_skin->GetText(QStringLiteral("err_title"));
    m_runtime.ShowMessageBox(this, SkinFailureText(),
        caption ? caption->text : QGuiApplication::applicationDisplayName(), kMbOk | kMbIconError);
    PostMessage(kMsgClose);
    return false;
}

void CSkinDialog::ApplyWindowInfo()
{
    if (m_info.backgroundPath.isEmpty())
        ClearBackground();
    else
        SetBackground(m_info.backgroundPath);

    if (m_info.hasTransColor)
        SetShape(m_info.transColor);
    else
        ClearShape();

    const CSkinArea *drag = m_skin->GetArea(QStringLiteral("drag"));
    SetDragRect(drag ? drag->rect : m_info.rect);

    if (const CSkinText *title = m_skin->GetText(QStringLiteral("title")))
        setWindowTitle(title->text);

    ApplyControlPalette();
    resize(m_info.rect.Width(), m_info.rect.Height());
    update();
}

// Standard controls (combo boxes, date pickers, check boxes) draw with the palette they inherit
// from the dialog. Left at the system palette they show black text on a dark skin, so the
// dialog's palette follows the skin's back colour; the skinned controls set their own colours.
void CSkinDialog::ApplyControlPalette()
{
    if (!m_info.hasBackColor) {
        setPalette(QPalette());
        return;
    }
    const QColor back = ToQColor(m_info.backColor);
    const bool dark = back.lightness() < 128;
    const QColor text = dark ? QColor(0xE6, 0xE6, 0xE6) : QColor(0x1A, 0x1A, 0x1A);
    const QColor field = dark ? back.lighter(170) : back.darker(104);
    const QColor raised = dark ? back.lighter(220) : back.darker(110);

    QPalette p = palette();
    for (QPalette::ColorGroup group : { QPalette::Active, QPalette::Inactive }) {
        p.setColor(group, QPalette::Window, back);
        p.setColor(group, QPalette::WindowText, text);
        p.setColor(group, QPalette::Base, field);
        p.setColor(group, QPalette::AlternateBase, raised);
        p.setColor(group, QPalette::Text, text);
        p.setColor(group, QPalette::Button, raised);
        p.setColor(group, QPalette::ButtonText, text);
        p.setColor(group, QPalette::PlaceholderText, dark ? text.darker(160) : text.lighter(250));
    }
    const QColor disabledText = dark ? text.darker(180) : text.lighter(300);
    p.setColor(QPalette::Disabled, QPalette::Window, back);
    p.setColor(QPalette::Disabled, QPalette::Base, field);
    p.setColor(QPalette::Disabled, QPalette::Button, raised);
    p.setColor(QPalette::Disabled, QPalette::WindowText, disabledText);
    p.setColor(QPalette::Disabled, QPalette::Text, disabledText);
    p.setColor(QPalette::Disabled, QPalette::ButtonText, disabledText);
    setPalette(p);
}

int CSkinDialog::NotificationCode(SkinControlType type, SkinEventKind kind)
{
    switch (kind) {
    case kEventClick:
        switch (type) {
        case kSkinImgButton:
        case kSkinImgCheckBox:
        case kSkinStatic:
        case kSkinSlider:
        case kSkinRadio:
        case kSkinButton:
        case kSkinCheckBox:
            return 0;
        case kSkinListCtrl:
            return 0xFFFE;
        default:
            return -1;
        }
    case kEventDoubleClick:
        if (type == kSkinStatic)
            return 1;
        if (type == kSkinListCtrl)
            return 0xFFFD;
        return -1;
    case kEventChange:
        switch (type) {
        case kSkinEditBox:
            return 0x0300;
        case kSkinComboBox:
            return 1;
        case kSkinDate:
        case kSkinTime:
            return 0xFD09;
        default:
            return -1;
        }
    }
    return -1;
}

bool CSkinDialog::RegisterEvent(
    const QString &name, SkinControlType type, SkinEventKind kind, std::unique_ptr<Delegate> delegate)
{
    const int id = m_skin->GetControlId(type, name);
    const int code = NotificationCode(type, kind);
    if (id == 0 || code < 0 || !delegate)
        return false;
    m_runtime.Delegates().Register(SkinDelegateMap::Key(id, code), std::move(delegate), this);
    return true;
}

bool CSkinDialog::RouteMessage(WindowMessageEvent &message)
{
    enum Operation { kNone, kClick, kValue, kItem };
    Operation op = kNone;
    quint32 key = 0;
    qintptr value = 0;
    int item = 0;
    int subItem = 0;

    if (message.Message() == kMsgCommand) {
        const int id = CommandId(message.WParam());
        const int code = CommandCode(message.WParam());
        if (InIdentifierRange(kKindImgBtn, id) && code == 0) {
            op = kClick;
        } else if (InIdentifierRange(kKindStatic, id) && (code == 0 || code == 1)) {
            op = kClick;
        } else if (InIdentifierRange(kKindButton, id) && code == 0) {
            op = kClick;
        } else if (InIdentifierRange(kKindEdit, id) && code == kCodeEditChange) {
            op = kValue;
            value = message.LParam();
        } else if (InIdentifierRange(kKindComboBox, id) && code == kCodeComboSelChange) {
            op = kValue;
            value = message.LParam();
        }
        key = SkinDelegateMap::Key(id, code);
    } else if (message.Message() == kMsgSliderMoving || message.Message() == kMsgSliderMoved) {
        op = kValue;
        key = SkinDelegateMap::Key(int(message.WParam()), 0);
        value = message.LParam();
    } else if (message.Message() == kMsgNotify && message.Notify()) {
        const SkinNotifyInfo &n = *message.Notify();
        if (InIdentifierRange(kKindDateTime, n.idFrom) && n.code == kCodeDateTimeChange) {
            op = kValue;
            value = reinterpret_cast<qintptr>(n.from);
        } else if (InIdentifierRange(kKindListCtrl, n.idFrom)
            && (n.code == kCodeListClick || n.code == kCodeListDoubleClick)) {
            op = kItem;
            item = n.item;
            subItem = n.subItem;
        }
        key = SkinDelegateMap::Key(n.idFrom, n.code);
    }
    if (op == kNone)
        return false;

    message.result = 0;
    if (std::shared_ptr<Delegate> delegate = m_runtime.Delegates().Find(key)) {
        switch (op) {
        case kClick:
            delegate->Click();
            break;
        case kValue:
            delegate->Value(value);
            break;
        case kItem:
            delegate->Item(item, subItem);
            break;
        case kNone:
            break;
        }
    }
    return true;
}

bool CSkinDialog::WindowProc(WindowMessageEvent &message)
{
    if (message.Message() == kMsgClose) {
        if (isWindow())
            reject();
        else
            hide();
        return true;
    }
    return false;
}

bool CSkinDialog::event(QEvent *event)
{
    if (event->type() == WindowMessageEvent::EventType()) {
        auto &message = static_cast<WindowMessageEvent &>(*event);
        if (!RouteMessage(message))
            WindowProc(message);
        return true;
    }
    return CBitmapDialog::event(event);
}

void CSkinDialog::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_info.hasBackColor)
        painter.fillRect(rect(), ToQColor(m_info.backColor));
    for (const auto &group : m_skin->Items().groups) {
        if (group->owner != this || !group->active)
            continue;
        const QRect r = group->rect.ToQRect();
        if (group->hasBackColor)
            painter.fillRect(r, ToQColor(group->backColor));
        if (group->hasBackgroundImage) {
            const SkinBitmap picture = SkinBitmap::Load(group->backgroundPath);
            if (group->stretch)
                DrawStretched(painter, picture.Image(), r);
            else
                DrawCentered(painter, picture.Image(), r);
        }
    }
    for (const auto &entry : m_skin->Items().images) {
        const CSkinImage &image = *entry.second;
        if (image.owner != this || !image.inUse || !image.visible)
            continue;
        const QImage &picture = image.transparent ? image.masked : image.bitmap.Image();
        DrawStretched(painter, picture, image.rect.ToQRect());
    }
    if (m_info.border) {
        painter.setPen(QColor(0x80, 0x80, 0x80));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

const CSkinArea *CSkinDialog::LinkAreaAt(const QPoint &point) const
{
    for (const auto &entry : m_skin->Items().areas) {
        const CSkinArea &area = *entry.second;
        if (area.inUse && area.hasLink && area.rect.Contains(point.x(), point.y()))
            return &area;
    }
    return nullptr;
}

void CSkinDialog::mouseMoveEvent(QMouseEvent *event)
{
    if (LinkAreaAt(event->position().toPoint()))
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
    CBitmapDialog::mouseMoveEvent(event);
}

void CSkinDialog::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        if (const CSkinArea *area = LinkAreaAt(event->position().toPoint()))
            m_runtime.OpenUrl(QUrl(area->link));
    }
    CBitmapDialog::mousePressEvent(event);
}

} // namespace skin
