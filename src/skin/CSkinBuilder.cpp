#include "skin/CSkinBuilder.h"

#include "skin/CSkin.h"
#include "skin/CXInfoTip.h"
#include "skin/SkinAttributes.h"
#include "skin/SkinLog.h"
#include "skin/SkinRuntime.h"
#include "skin/core/SkinXml.h"

#include <QDir>
#include <QImageReader>
#include <QRegularExpression>
#include <QUrl>
#include <QWidget>

namespace skin {

namespace {

    const QString kName = QStringLiteral("name");

    bool IsUrl(const QString &link)
    {
        // A scheme of two or more letters: "C:" is a drive, not a scheme.
        static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
        return scheme.match(link).hasMatch();
    }

} // namespace

QString CSkinBuilder::Path(const SkinXmlNode &node, const QString &attribute) const
{
    const QString value = attr::Text(node, attribute);
    return value.isEmpty() ? QString() : m_runtime.ResolvePath(value);
}

SkinWindowInfo CSkinBuilder::ReadWindowInfo(
    const SkinXmlNode &root, const SkinRect &monitor, SkinRuntime &runtime)
{
    SkinWindowInfo info;
    const QString src = attr::Text(root, QStringLiteral("src"));
    info.backgroundPath = src.isEmpty() ? QString() : runtime.ResolvePath(src);
    info.hasTransColor = attr::Has(root, QStringLiteral("transcolor"));
    info.transColor = attr::Color(root, QStringLiteral("transcolor"), kDefaultTransColor);
    info.hasBackColor = attr::Has(root, QStringLiteral("backcolor"));
    info.backColor = attr::Color(root, QStringLiteral("backcolor"), 0);
    info.border = attr::Bool(root, QStringLiteral("border"));
    const int w = attr::Extent(root, QStringLiteral("width"), monitor.Width());
    const int h = attr::Extent(root, QStringLiteral("height"), monitor.Height());
    info.rect = attr::PlaceRect(attr::Int(root, QStringLiteral("x")), attr::Int(root, QStringLiteral("y")), w,
        h, kAlignLeft | kAlignTop, monitor);
    if (attr::Bool(root, QStringLiteral("autosize")) || w <= 0 || h <= 0) {
        const QSize size = info.backgroundPath.isEmpty() ? QSize() : QImageReader(info.backgroundPath).size();
        if (size.isValid()) {
            info.rect.right = info.rect.left + size.width();
            info.rect.bottom = info.rect.top + size.height();
        }
    }
    return info;
}

bool CSkinBuilder::Build(const QString &text, SkinWindowInfo *info, QWidget *dialog)
{
    m_dialog = dialog;
    SkinXmlNode root;
    SkinParseInfo strict;
    if (!root.LoadText(text, &strict)) {
        if (strict.errorOccurred)
            LogMarkupError(text, strict);
        // A slip in one element must not cost the whole window: read again, keeping whatever
        // the forgiving reader gets past.
        SkinParseInfo forgiving;
        forgiving.forceParse = true;
        root.LoadText(text, &forgiving);
        if (root.name.isEmpty()) {
            qCWarning(lcSkin) << "skin description holds no element; nothing is built";
            return false;
        }
    }

    const QSize monitorSize = m_runtime.MonitorSize();
    const SkinRect monitor { 0, 0, monitorSize.width(), monitorSize.height() };
    if (info)
        *info = ReadWindowInfo(root, monitor, m_runtime);
    ReadItems(root, monitor);
    ReadFont(root);
    return true;
}

void CSkinBuilder::LogMarkupError(const QString &text, const SkinParseInfo &parse)
{
    // Line and column (from 1) of the error, so that a skin author finds it.
    const auto *begin = reinterpret_cast<const char16_t *>(text.utf16());
    qsizetype offset = parse.errorPosition ? parse.errorPosition - begin : -1;
    if (offset < 0 || offset > text.size())
        offset = text.size();
    const QStringView before = QStringView(text).left(offset);
    const qsizetype lineStart = before.lastIndexOf(u'\n') + 1;
    qCWarning(lcSkin).nospace() << "skin description has a markup error at line " << before.count(u'\n') + 1
                                << ", column " << offset - lineStart + 1 << " (code " << parse.errorCode
                                << "): " << parse.errorText << "; building what could be read";
}

void CSkinBuilder::ReadItems(const SkinXmlNode &parent, const SkinRect &reference)
{
    for (const SkinXmlNode *node : parent.GetChildren(QStringLiteral("area")))
        ReadArea(*node, reference);
    for (const SkinXmlNode *node : parent.GetChildren(QStringLiteral("image")))
        ReadImage(*node, reference);
    for (const SkinXmlNode *node : parent.GetChildren(QStringLiteral("text")))
        ReadText(*node, reference);
    for (const SkinXmlNode *node : parent.GetChildren(QStringLiteral("control")))
        ReadControl(*node, reference);
    for (const SkinXmlNode *node : parent.GetChildren(QStringLiteral("group")))
        ReadGroup(*node, reference);
}

void CSkinBuilder::ReadArea(const SkinXmlNode &node, const SkinRect &reference)
{
    auto area = std::make_unique<CSkinArea>();
    area->rect = attr::Rect(node, reference);
    const QString href = attr::Text(node, QStringLiteral("href"));
    if (!href.isEmpty()) {
        if (IsUrl(href)) {
            area->link = href;
        } else {
            QString relative = href;
            relative.replace(u'\\', u'/');
            area->link = QUrl::fromLocalFile(QDir(m_skin.BaseFolder()).filePath(relative)).toString();
        }
        area->hasLink = true;
    }
    m_skin.Items().areas.Add(attr::Text(node, kName), std::move(area));
}

void CSkinBuilder::ReadImage(const SkinXmlNode &node, const SkinRect &reference)
{
    auto image = std::make_unique<CSkinImage>();
    image->path = Path(node, QStringLiteral("src"));
    image->bitmap = SkinBitmap::Load(image->path);
    if (image->bitmap.IsNull())
        return;
    image->sizeFromBitmap = attr::Bool(node, QStringLiteral("autosize"));
    image->rect = attr::Rect(node, reference);
    if (image->sizeFromBitmap || image->rect.Width() == 0 || image->rect.Height() == 0) {
        image->rect.right = image->rect.left + image->bitmap.Width();
        image->rect.bottom = image->rect.top + image->bitmap.Height();
    }
    image->transparent = attr::Has(node, QStringLiteral("transcolor"));
    image->transColor = attr::Color(node, QStringLiteral("transcolor"), kDefaultTransColor);
    image->visible = attr::Bool(node, QStringLiteral("visible"));
    image->owner = m_dialog;
    if (image->transparent)
        image->masked = image->bitmap.Masked(image->transColor);
    m_skin.Items().images.Add(attr::Text(node, kName), std::move(image));
}

void CSkinBuilder::ReadText(const SkinXmlNode &node, const SkinRect &reference)
{
    auto text = std::make_unique<CSkinText>();
    text->text = node.value;
    text->text.replace(QLatin1String("\\n"), QLatin1String("\n"));
    text->rect = attr::Rect(node, reference);
    text->fontFace = attr::Text(node, QStringLiteral("font"));
    text->fontSize = attr::Int(node, QStringLiteral("fontsize"), 0);
    m_skin.Items().texts.Add(attr::Text(node, kName), std::move(text));
}

void CSkinBuilder::ReadGroup(const SkinXmlNode &node, const SkinRect &reference)
{
    auto group = std::make_unique<CSkinGroup>();
    group->rect = attr::Rect(node, reference);
    group->hasBackColor = attr::Has(node, QStringLiteral("backcolor"));
    group->backColor = attr::Color(node, QStringLiteral("backcolor"), 0);
    group->stretch = attr::Bool(node, QStringLiteral("stretch"));
    group->backgroundPath = Path(node, QStringLiteral("src"));
    group->hasBackgroundImage = !group->backgroundPath.isEmpty();
    group->owner = m_dialog;
    const SkinRect rect = group->rect;
    m_skin.Items().groups.push_back(std::move(group));
    ReadItems(node, rect);
}

void CSkinBuilder::ReadControl(const SkinXmlNode &node, const SkinRect &reference)
{
    const QString name = attr::Text(node, kName);
    const SkinRect rect = attr::Rect(node, reference);
    const bool visible = attr::Bool(node, QStringLiteral("visible"));
    const bool notify = attr::Bool(node, QStringLiteral("notify"));
    const SkinControlType type = ControlTypeFromName(attr::Text(node, QStringLiteral("type")));
    const SkinXmlNode *tip = node.GetChild(QStringLiteral("tooltip"));
    const QString tooltip = tip ? tip->value : QString();

    SkinControlArray &controls = m_skin.Items().ControlsOfType(type);
    SkinControlItem *item = controls.Find(name);
    QWidget *control = nullptr;
    int id = 0;
    bool created = false;
    if (item && item->control) {
        control = item->control;
        id = item->identifier;
        PlaceControl(type, control, rect);
        control->show();
    } else {
        id = m_runtime.Identifiers().Identifier(KindOfType(type), name, m_dialog);
        // Without an identifier of its kind the control could not report to its dialog.
        control = id != 0 ? CreateControl(type, node, name, id, rect, notify) : nullptr;
        if (control) {
            auto record = std::make_unique<SkinControlItem>();
            record->identifier = id;
            record->type = type;
            record->control = control;
            controls.Add(name, std::move(record));
            created = true;
        }
    }

    if (control) {
        ConfigureControl(type, control, node, name, id, rect, created);
        control->setVisible(visible);
        PlaceControl(type, control, rect);
        if (!tooltip.isEmpty() && m_skin.Tooltip())
            m_skin.Tooltip()->AddTool(control, tooltip);
    }
    m_runtime.SetPreviousControlType(type);
}

void CSkinBuilder::ReadFont(const SkinXmlNode &root)
{
    const SkinXmlNode *node = root.GetChild(QStringLiteral("font"));
    if (!node || !m_dialog)
        return;
    QFont font(attr::Text(*node, QStringLiteral("facename")));
    const int height = attr::Int(*node, QStringLiteral("height"), 9);
    if (height != 0)
        font.setPixelSize(qAbs(height));
    int weight = attr::Int(*node, QStringLiteral("weight"), 400);
    if (weight <= 0)
        weight = 400; // "don't care"
    font.setWeight(QFont::Weight(qMin(weight, 1000)));
    // Children without a font of their own follow the dialog's.
    m_dialog->setFont(font);
}

} // namespace skin
