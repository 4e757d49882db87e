// The control half of CSkinBuilder: creating each type of control and applying its settings.

#include "skin/CBitmapSlider.h"
#include "skin/CColorStatic.h"
#include "skin/CEditEx.h"
#include "skin/CImageNumber.h"
#include "skin/CImgButton.h"
#include "skin/CSheetCtrlEx.h"
#include "skin/CSkin.h"
#include "skin/CSkinBuilder.h"
#include "skin/CSkinListCtrl.h"
#include "skin/CSkinPropPage.h"
#include "skin/SkinAttributes.h"
#include "skin/SkinControlReport.h"
#include "skin/SkinRuntime.h"
#include "skin/WindowMessageEvent.h"
#include "skin/core/SkinXml.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>

namespace skin {

namespace {

    const char *const kRadioGroupProperty = "tavinSkinRadioGroup";

    SkinControlContext MakeContext(SkinRuntime &runtime, CSkin &skin, QWidget *dialog,
        const SkinXmlNode &node, const QString &name, int id, SkinControlType type, const SkinRect &rect)
    {
        return SkinControlContext { runtime, skin, dialog, node, name, id, type, rect };
    }

    // The stand-in for a control whose subsystem registered no factory.
    QWidget *MakePlaceholder(QWidget *parent)
    {
        auto *placeholder = new QWidget(parent);
        placeholder->setAttribute(Qt::WA_StyledBackground);
        placeholder->setAutoFillBackground(true);
        QPalette p = placeholder->palette();
        p.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
        placeholder->setPalette(p);
        return placeholder;
    }

} // namespace

QWidget *CSkinBuilder::CreateControl(SkinControlType type, const SkinXmlNode &node, const QString &name,
    int id, const SkinRect &rect, bool notify)
{
    QWidget *parent = m_dialog;
    QWidget *control = nullptr;
    switch (type) {
    case kSkinImgButton:
    case kSkinImgCheckBox:
        control = new CImgButton(parent, type == kSkinImgCheckBox);
        break;
    case kSkinEditBox:
        control = new CEditEx(parent, attr::Bool(node, QStringLiteral("border")));
        break;
    case kSkinStatic:
        control = new CColorStatic(parent, notify);
        break;
    case kSkinListCtrl:
        control = new CSkinListCtrl(parent, &m_runtime.Clock());
        break;
    case kSkinSpeed:
    case kSkinMap:
    case kSkinGraph:
        if (const SkinControlFactory *factory = m_runtime.ControlFactory(type); factory && factory->create)
            control = factory->create(MakeContext(m_runtime, m_skin, parent, node, name, id, type, rect));
        else
            control = MakePlaceholder(parent);
        break;
    case kSkinSlider:
        control = new CBitmapSlider(parent);
        break;
    case kSkinSheet:
        control = new CSheetCtrlEx(parent);
        break;
    case kSkinRadio:
        control = new QRadioButton(parent);
        break;
    case kSkinGroupBox:
        control = new QGroupBox(parent);
        break;
    case kSkinButton:
        control = new QPushButton(parent);
        break;
    case kSkinCheckBox:
        control = new QCheckBox(parent);
        break;
    case kSkinComboBox: {
        auto *combo = new QComboBox(parent);
        QObject::connect(
            combo, &QComboBox::activated, combo, [combo] { SendCommand(combo, kCodeComboSelChange); });
        control = combo;
        break;
    }
    case kSkinDate:
    case kSkinTime: {
        QDateTimeEdit *picker = nullptr;
        if (type == kSkinDate) {
            auto *date = new QDateEdit(QDate::currentDate(), parent);
            date->setCalendarPopup(true);
            picker = date;
        } else {
            picker = new QTimeEdit(QTime::currentTime(), parent);
        }
        QObject::connect(picker, &QDateTimeEdit::dateTimeChanged, picker, [picker] {
            SkinNotifyInfo info;
            info.from = picker;
            info.idFrom = ControlId(picker);
            info.code = kCodeDateTimeChange;
            SendNotify(picker->parentWidget(), info);
        });
        control = picker;
        break;
    }
    case kSkinImgNumber:
        control = new CImageNumber(parent);
        break;
    }
    if (!control)
        return nullptr;
    if (auto *button = qobject_cast<QAbstractButton *>(control);
        button && !qobject_cast<CImgButton *>(control)) {
        QObject::connect(
            button, &QAbstractButton::clicked, button, [button] { SendCommand(button, kCodeClicked); });
    }
    control->hide();
    control->setObjectName(name);
    SetControlId(control, id);
    if (type == kSkinImgButton || type == kSkinImgCheckBox) {
        if (rect.Width() == 0 || rect.Height() == 0)
            control->resize(1, 1);
    }
    return control;
}

void CSkinBuilder::PlaceControl(SkinControlType type, QWidget *control, const SkinRect &rect)
{
    if ((type == kSkinImgButton || type == kSkinImgCheckBox)) {
        if (auto *button = qobject_cast<CImgButton *>(control)) {
            button->PlaceAt(rect.ToQRect());
            return;
        }
    }
    control->setGeometry(rect.ToQRect());
}

void CSkinBuilder::ConfigureControl(SkinControlType type, QWidget *control, const SkinXmlNode &node,
    const QString &name, int id, const SkinRect &rect, bool created)
{
    switch (type) {
    case kSkinImgButton:
    case kSkinImgCheckBox:
        ConfigureImageButton(control, node);
        break;
    case kSkinEditBox:
        ConfigureEdit(control, node);
        break;
    case kSkinStatic:
        ConfigureStatic(control, node);
        break;
    case kSkinListCtrl:
        ConfigureList(control, node);
        break;
    case kSkinSpeed:
    case kSkinMap:
    case kSkinGraph:
        if (const SkinControlFactory *factory = m_runtime.ControlFactory(type); factory && factory->configure)
            factory->configure(control, MakeContext(m_runtime, m_skin, m_dialog, node, name, id, type, rect));
        break;
    case kSkinSlider:
        ConfigureSlider(control, node);
        break;
    case kSkinSheet:
        ConfigureSheet(control, node);
        break;
    case kSkinRadio:
    case kSkinGroupBox:
    case kSkinButton:
    case kSkinCheckBox:
        ConfigureButton(type, control, node, created);
        break;
    case kSkinComboBox:
        ConfigureComboBox(control, node);
        break;
    case kSkinDate:
    case kSkinTime:
        break;
    case kSkinImgNumber:
        ConfigureImageNumber(control, node);
        break;
    }
}

void CSkinBuilder::ConfigureImageButton(QWidget *control, const SkinXmlNode &node)
{
    auto *button = qobject_cast<CImgButton *>(control);
    if (!button)
        return;
    for (const SkinXmlNode *state : node.GetChildren(QStringLiteral("state"))) {
        const QString kind = attr::Text(*state, QStringLiteral("type"));
        int index = CImgButton::kNormal;
        if (kind == QLatin1String("hover"))
            index = CImgButton::kHover;
        else if (kind == QLatin1String("click"))
            index = CImgButton::kClick;
        else if (kind == QLatin1String("disable"))
            index = CImgButton::kDisable;
        button->SetStateImage(index, Path(*state, QStringLiteral("src")),
            attr::Color(*state, QStringLiteral("transcolor"), kDefaultTransColor));
    }
}

void CSkinBuilder::ConfigureEdit(QWidget *control, const SkinXmlNode &node)
{
    auto *edit = qobject_cast<CEditEx *>(control);
    if (!edit)
        return;
    edit->SetBackColor(attr::Color(node, QStringLiteral("backcolor"), 0xFFFFFF));
    edit->SetTextColor(attr::Color(node, QStringLiteral("color"), 0));
    edit->SetBorder(attr::Bool(node, QStringLiteral("border")));
    switch (attr::TextAlignment(node)) {
    case attr::kTextRight:
        edit->SetTextAlign(Qt::AlignRight);
        break;
    case attr::kTextCenter:
        edit->SetTextAlign(Qt::AlignHCenter);
        break;
    case attr::kTextLeft:
        edit->SetTextAlign(Qt::AlignLeft);
        break;
    }
    const QString password = attr::Text(node, QStringLiteral("password"));
    if (!password.isEmpty()) {
        edit->SetPasswordChar(password.at(0));
        edit->SetLimitText(int(password.size()));
    }
    edit->SetReadOnly(attr::Bool(node, QStringLiteral("readonly")));
    const std::vector<SkinXmlNode *> ranges = node.GetChildren(QStringLiteral("range"));
    if (ranges.size() >= 2) {
        const int minimum = attr::ParseInt(ranges.front()->value, 0);
        const int maximum = attr::ParseInt(ranges.back()->value, 0);
        edit->SetRange(minimum, maximum);
        edit->SetText(QString::number(minimum));
    }
}

void CSkinBuilder::ConfigureStatic(QWidget *control, const SkinXmlNode &node)
{
    auto *label = qobject_cast<CColorStatic *>(control);
    if (!label)
        return;
    label->setText(node.value);
    if (attr::Has(node, QStringLiteral("backcolor")))
        label->SetBackColor(attr::Color(node, QStringLiteral("backcolor"), 0));
    label->SetTextColor(attr::Color(node, QStringLiteral("color"), 0));
    label->SetNotify(attr::Bool(node, QStringLiteral("notify")));
    switch (attr::TextAlignment(node)) {
    case attr::kTextRight:
        label->setAlignment(Qt::AlignRight | Qt::AlignTop);
        break;
    case attr::kTextCenter:
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        break;
    case attr::kTextLeft:
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        break;
    }
}

void CSkinBuilder::ConfigureList(QWidget *control, const SkinXmlNode &node)
{
    auto *list = qobject_cast<CSkinListCtrl *>(control);
    if (!list)
        return;
    list->SetHeaderVisible(attr::Bool(node, QStringLiteral("header")));
    list->SetAutoSize(attr::Bool(node, QStringLiteral("autosize")));
    list->SetSortEnabled(attr::Bool(node, QStringLiteral("sort")));
    if (const SkinXmlNode *bar = node.GetChild(QStringLiteral("vscroll"))) {
        list->SetScrollBar(Path(*bar, QStringLiteral("span")), Path(*bar, QStringLiteral("thumbtop")),
            Path(*bar, QStringLiteral("thumbmid")), Path(*bar, QStringLiteral("thumbbottom")),
            Path(*bar, QStringLiteral("up")), Path(*bar, QStringLiteral("down")),
            attr::Int(*bar, QStringLiteral("ID"), 0));
    }
    if (const SkinXmlNode *check = node.GetChild(QStringLiteral("checkbox"))) {
        list->SetCheckBitmaps(Path(*check, QStringLiteral("on")), Path(*check, QStringLiteral("off")));
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    } else {
        list->setSelectionMode(QAbstractItemView::SingleSelection);
    }
    const std::vector<SkinXmlNode *> columns = node.GetChildren(QStringLiteral("column"));
    if (!columns.empty() && list->GetColumnCount() == 0) {
        for (const SkinXmlNode *column : columns) {
            int format = CSkinListCtrl::kFormatLeft;
            switch (attr::TextAlignment(*column)) {
            case attr::kTextCenter:
                format = CSkinListCtrl::kFormatCenter;
                break;
            case attr::kTextRight:
                format = CSkinListCtrl::kFormatRight;
                break;
            case attr::kTextLeft:
                break;
            }
            list->InsertColumn(column->value, attr::Int(*column, QStringLiteral("width"), 0), format);
        }
    }
}

void CSkinBuilder::ConfigureSlider(QWidget *control, const SkinXmlNode &node)
{
    auto *slider = qobject_cast<CBitmapSlider *>(control);
    if (!slider)
        return;
    const bool transparent = attr::Has(node, QStringLiteral("transcolor"));
    const SkinColor transColor = attr::Color(node, QStringLiteral("transcolor"), kDefaultTransColor);
    const SkinXmlNode *channel = node.GetChild(QStringLiteral("channel"));
    const SkinXmlNode *active = node.GetChild(QStringLiteral("active"));
    const SkinXmlNode *thumb = node.GetChild(QStringLiteral("thumb"));
    if (channel) {
        slider->SetBitmapChannel(Path(*channel, QStringLiteral("src")),
            active ? Path(*active, QStringLiteral("src")) : QString(), transparent, transColor,
            attr::Bool(*channel, QStringLiteral("stretch")),
            active && attr::Bool(*active, QStringLiteral("stretch")));
    }
    if (thumb) {
        slider->SetBitmapThumb(Path(*thumb, QStringLiteral("src")), transparent, transColor);
        slider->SetThumbAutoDisplay(attr::Bool(*thumb, QStringLiteral("autodisplay")));
    }
    if (attr::Bool(node, QStringLiteral("range"))) {
        // The thumb's centre reaches both ends of the channel.
        const int half = slider->ThumbSize().width() / 2;
        slider->SetMargin(-half, 0, -half, 0);
    }
}

void CSkinBuilder::ConfigureSheet(QWidget *control, const SkinXmlNode &node)
{
    auto *sheet = qobject_cast<CSheetCtrlEx *>(control);
    if (!sheet)
        return;
    for (const SkinXmlNode *pageNode : node.GetChildren(QStringLiteral("page"))) {
        const QString pageName = attr::Text(*pageNode, QStringLiteral("name"));
        const QString title = attr::Text(*pageNode, QStringLiteral("title"));
        SkinWriteOptions options; // line breaks, entities encoded, double quotes
        const QString markup = pageNode->Write(&options);
        // A reload that names the same page again refreshes it instead of adding a second tab.
        if (CSkinPropPage *existing = sheet->PageByName(pageName)) {
            existing->LoadSkinFromText(markup, false);
            continue;
        }
        auto *page = new CSkinPropPage(m_runtime, sheet, &m_skin);
        page->LoadSkinFromText(markup, false);
        if (!sheet->AddPage(title, pageName, page))
            delete page;
    }
}

void CSkinBuilder::ConfigureButton(
    SkinControlType type, QWidget *control, const SkinXmlNode &node, bool created)
{
    const bool startsRun = m_runtime.PreviousControlType() != type;
    if (auto *box = qobject_cast<QGroupBox *>(control)) {
        box->setTitle(node.value);
        return;
    }
    auto *button = qobject_cast<QAbstractButton *>(control);
    if (!button)
        return;
    button->setText(node.value);
    if (!created)
        return;
    if (type == kSkinRadio) {
        // Radio buttons form a group from the one that follows another type of control.
        auto *group = m_dialog ? m_dialog->property(kRadioGroupProperty).value<QButtonGroup *>() : nullptr;
        if (startsRun || !group) {
            group = new QButtonGroup(m_dialog);
            group->setExclusive(true);
            if (m_dialog)
                m_dialog->setProperty(kRadioGroupProperty, QVariant::fromValue(group));
        }
        button->setAutoExclusive(false);
        group->addButton(button);
    }
    if (startsRun && (type == kSkinRadio || type == kSkinCheckBox))
        button->setChecked(true);
}

void CSkinBuilder::ConfigureComboBox(QWidget *control, const SkinXmlNode &node)
{
    auto *combo = qobject_cast<QComboBox *>(control);
    if (!combo)
        return;
    // A reused box starts again from the description's entries.
    combo->clear();
    for (const SkinXmlNode *entry : node.GetChildren(QStringLiteral("list")))
        combo->addItem(entry->value);
    combo->setCurrentIndex(combo->count() > 0 ? 0 : -1);
}

void CSkinBuilder::ConfigureImageNumber(QWidget *control, const SkinXmlNode &node)
{
    auto *number = qobject_cast<CImageNumber *>(control);
    if (!number)
        return;
    const bool separate = attr::Bool(node, QStringLiteral("seperate"));
    number->SetSpacing(attr::Int(node, QStringLiteral("spacing"), 3));
    number->SetBackColor(attr::Color(node, QStringLiteral("backcolor"), 0));
    const SkinColor transColor = attr::Color(node, QStringLiteral("transcolor"), kDefaultTransColor);
    if (const SkinXmlNode *strip = node.GetChild(QStringLiteral("number"))) {
        const QString path = Path(*strip, QStringLiteral("src"));
        const int digitWidth = attr::Int(*strip, QStringLiteral("width"), 0);
        if (separate) {
            const QString position = attr::Text(*strip, QStringLiteral("s_pos"));
            const int plusAt = int(position.indexOf(u'+'));
            const bool plus = plusAt >= 0;
            const int separatorPosition = attr::ParseInt(plus ? position.left(plusAt) : position, 0);
            number->SetDigitStrip(path, digitWidth, attr::Int(*strip, QStringLiteral("s_width"), 0),
                separatorPosition, plus, transColor);
        } else {
            number->SetDigitStrip(path, digitWidth, transColor);
        }
    }
    number->SetDigitCount(attr::Int(node, QStringLiteral("figure"), 2));
    number->ResetCells();
}

} // namespace skin
