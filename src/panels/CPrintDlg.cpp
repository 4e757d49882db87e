#include "panels/CPrintDlg.h"
#include "panels/MainWindowMessages.h"

#include "skin/WindowMessageEvent.h"
#include "skin/fonts/FontFamilies.h"

#include <QDir>
#include <QPainter>

#include <algorithm>

namespace {
const char *const kHeaderTexts[] = { "car_number", "model", "accident_date" };
const QRect kPreview(6, 49, 478 - 6, 268 - 49);
} // namespace

CPrintDlg::CPrintDlg(skin::SkinRuntime &runtime, QWidget *parent)
    : CSkinDialog(runtime, parent)
{
}

bool CPrintDlg::Init(const QString &entryName)
{
    return InitSkin(entryName);
}

void CPrintDlg::OnSkinLoaded()
{
    const auto button = [this](const char *name, quint32 message) {
        RegisterEvent(QString::fromLatin1(name), skin::kSkinImgButton, skin::kEventClick,
            skin::ClickDelegate([this, message] { Report(message); }));
    };
    button("print_ok", mainwindow::kMsgPrintSave);
    button("print_cancel", mainwindow::kMsgPrintCancel);
    button("print_close", mainwindow::kMsgPrintClose);
}

void CPrintDlg::Report(quint32 message)
{
    if (QWidget *owner = parentWidget())
        skin::PostWindowMessage(owner, message);
    hide();
}

void CPrintDlg::SetImage(const QImage &image, Source source)
{
    m_image = image;
    m_source = source;
    update(kPreview);
}

void CPrintDlg::SetHeaderLines(const QStringList &lines)
{
    for (int i = 0; i < 3; ++i) {
        if (skin::CSkinText *text = Skin().GetText(QString::fromLatin1(kHeaderTexts[i])))
            text->text = lines.value(i);
    }
    BurnHeaderLines(m_image, lines);
    update();
}

QString CPrintDlg::HeaderText(const QString &textName) const
{
    const skin::CSkinText *text = Skin().GetText(textName);
    return text ? text->text : QString();
}

void CPrintDlg::ReleaseImage()
{
    m_image = QImage();
    m_source = {};
    update(kPreview);
}

QString CPrintDlg::SaveName(
    const QString &chosen, const QString &defaultExtension, bool hasRear, bool rearChannel)
{
    const int slash = std::max(chosen.lastIndexOf(QLatin1Char('/')), chosen.lastIndexOf(QDir::separator()));
    const int dot = chosen.lastIndexOf(QLatin1Char('.'));
    const bool hasExtension = dot > slash + 1;
    const QString base = hasExtension ? chosen.left(dot) : chosen;
    const QString extension = hasExtension ? chosen.mid(dot + 1) : defaultExtension;
    const QString channel = !hasRear ? QString()
        : rearChannel                ? QStringLiteral("_rear")
                                     : QStringLiteral("_front");
    return base + channel + QLatin1Char('.') + extension;
}

void CPrintDlg::BurnHeaderLines(QImage &image, const QStringList &lines)
{
    if (image.isNull())
        return;
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    QPainter painter(&image);
    QFont font(skin::fonts::kKorean);
    font.setPixelSize(16);
    painter.setFont(font);
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(Qt::white);
    painter.setPen(Qt::black);
    const QFontMetrics metrics(font);
    for (int i = 0; i < lines.size() && i < 3; ++i) {
        // The line's top stands at 20, 40 and 60 pixels; nothing is clipped to the picture's
        // width beyond what the picture itself holds.
        const int top = 20 * (i + 1);
        const QRect band(0, top, metrics.horizontalAdvance(lines[i]) + 4, 20);
        painter.fillRect(band, Qt::white);
        painter.drawText(band.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, lines[i]);
    }
}

void CPrintDlg::paintEvent(QPaintEvent *event)
{
    CSkinDialog::paintEvent(event);
    QPainter painter(this);
    if (!m_image.isNull()) {
        const QSize fitted = m_image.size().scaled(kPreview.size(), Qt::KeepAspectRatio);
        const QRect target(kPreview.left() + (kPreview.width() - fitted.width()) / 2,
            kPreview.top() + (kPreview.height() - fitted.height()) / 2, fitted.width(), fitted.height());
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, m_image);
    }
    painter.setPen(QColor(0xE6, 0xE6, 0xE6));
    for (const char *name : kHeaderTexts) {
        const skin::CSkinText *text = Skin().GetText(QString::fromLatin1(name));
        if (!text)
            continue;
        QFont font(text->fontFace.isEmpty() ? QString(skin::fonts::kKorean) : text->fontFace);
        font.setPixelSize(text->fontSize > 0 ? text->fontSize : 13);
        painter.setFont(font);
        painter.drawText(
            text->rect.ToQRect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text->text);
    }
}
