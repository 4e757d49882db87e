#include "skinart/ArtKit.h"

#include "skinart/ArtPainter.h"
#include "skinart/Style.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

namespace skinart {

namespace {

    QColor Mix(const QColor &a, const QColor &b, qreal t)
    {
        return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t,
            a.greenF() + (b.greenF() - a.greenF()) * t, a.blueF() + (b.blueF() - a.blueF()) * t);
    }

    const QColor kWhite(0xff, 0xff, 0xff);

    struct Face {
        QColor plate; // invalid: no plate
        QColor stroke; // invalid: no outline
        QColor glyph;
        QColor text;
        int weight = QFont::Normal;
        bool bar = false; // accent bar at the left edge (current settings page)
    };

    Face IconFace(ButtonLook look, int state, const QColor &bg, const QColor &tint)
    {
        Face face;
        switch (look) {
        case ButtonLook::Indicator:
            face.glyph = tint.isValid() ? tint : colour::icon;
            return face;
        case ButtonLook::Primary:
            face.plate = state == 0 ? colour::accent
                : state == 1        ? colour::accentLight
                : state == 2        ? colour::accentDark
                                    : colour::track;
            face.glyph = state == 3 ? colour::iconDisabled : colour::onAccent;
            return face;
        case ButtonLook::Danger:
            if (state == 1 || state == 2)
                face.plate = state == 1 ? colour::danger : colour::danger.darker(125);
            face.glyph = state == 0 ? colour::icon : state == 3 ? colour::iconDisabled : kWhite;
            return face;
        case ButtonLook::Plain:
        case ButtonLook::Selector:
            break;
        }
        switch (state) {
        case 0:
            face.glyph = tint.isValid() ? tint : colour::icon;
            break;
        case 1:
            face.plate = Mix(bg, kWhite, 0.09);
            face.glyph = kWhite;
            break;
        case 2:
            face.plate = colour::plateDown;
            face.glyph = colour::accent;
            break;
        default:
            if (look == ButtonLook::Selector) {
                face.plate = colour::plateSelected;
                face.glyph = colour::accent;
            } else {
                face.glyph = colour::iconDisabled;
            }
            break;
        }
        return face;
    }

    Face TextFace(TextLook look, int state, const QColor &bg)
    {
        Face face;
        switch (look) {
        case TextLook::Primary:
            face.plate = state == 0 ? colour::accent
                : state == 1        ? colour::accentLight
                : state == 2        ? colour::accentDark
                                    : colour::track;
            face.text = face.glyph = state == 3 ? QColor(0x77, 0x77, 0x77) : colour::onAccent;
            face.weight = QFont::DemiBold;
            break;
        case TextLook::Secondary:
        case TextLook::Stepper:
            face.plate = state == 0 ? Mix(bg, kWhite, look == TextLook::Stepper ? 0.05 : 0.09)
                : state == 1        ? Mix(bg, kWhite, 0.16)
                : state == 2        ? colour::plateDown
                                    : Mix(bg, kWhite, 0.04);
            face.text = face.glyph = state == 0 ? colour::text
                : state == 1                    ? kWhite
                : state == 2                    ? colour::accent
                                                : colour::iconDisabled;
            break;
        case TextLook::Tab:
            face.plate = state == 0 ? Mix(bg, kWhite, 0.06)
                : state == 1        ? Mix(bg, kWhite, 0.12)
                : state == 2        ? colour::plateDown
                                    : colour::plateSelected;
            face.text = face.glyph = state == 0 ? QColor(0xb4, 0xb4, 0xb4)
                : state == 1                    ? kWhite
                : state == 2                    ? colour::accent
                                                : kWhite;
            if (state == 3) {
                face.stroke = colour::accent;
                face.weight = QFont::DemiBold;
            }
            break;
        case TextLook::Menu:
            face.plate = state == 1 ? Mix(bg, kWhite, 0.08) : state == 2 ? colour::plateDown : QColor();
            face.text = state == 0 ? colour::text
                : state == 1       ? kWhite
                : state == 2       ? colour::accent
                                   : colour::iconDisabled;
            face.glyph = state == 0 ? colour::textMuted : state == 3 ? colour::iconDisabled : colour::accent;
            break;
        case TextLook::Nav:
            face.plate = state == 1 ? Mix(bg, kWhite, 0.06)
                : state == 2        ? colour::plateDown
                : state == 3        ? QColor(0x1c, 0x27, 0x33)
                                    : QColor();
            face.text = state == 0 ? QColor(0xb0, 0xb0, 0xb0)
                : state == 3       ? kWhite
                : state == 2       ? colour::accent
                                   : kWhite;
            face.glyph = state == 0 ? colour::textMuted : colour::accent;
            face.bar = state == 3;
            face.weight = state == 3 ? QFont::DemiBold : QFont::Normal;
            break;
        }
        return face;
    }

} // namespace

QString ArtKit::StateFile(const QString &base, int state)
{
    static const char *const suffix[] = { "_n", "_h", "_c", "_d" };
    return base + QLatin1String(suffix[state]) + QStringLiteral(".bmp");
}

void ArtKit::IconButton(const IconButtonDesc &desc)
{
    for (int state = 0; state < 4; ++state) {
        m_catalog.Add(StateFile(desc.base, state), desc.size, [desc, state](const ArtPainter &art) {
            QImage image = ArtPainter::Canvas(desc.size.width(), desc.size.height(), desc.background);
            QPainter painter(&image);
            ArtPainter::BeginAntialiased(painter);
            const Face face = IconFace(desc.look, state, desc.background, desc.tint);
            const QRectF box(0, 0, desc.size.width(), desc.size.height());
            if (face.plate.isValid()) {
                if (desc.look == ButtonLook::Primary) {
                    painter.setPen(Qt::NoPen);
                    painter.setBrush(face.plate);
                    painter.drawEllipse(box.adjusted(1, 1, -1, -1));
                } else {
                    ArtPainter::FillRounded(painter, box.adjusted(2, 2, -2, -2), 6, face.plate);
                }
            }
            art.DrawIcon(painter, box, desc.glyph, desc.glyphPx, face.glyph);
            return image;
        });
    }
}

void ArtKit::TextButton(const TextButtonDesc &desc)
{
    for (int state = 0; state < 4; ++state) {
        m_catalog.Add(StateFile(desc.base, state), desc.size, [desc, state](const ArtPainter &art) {
            QImage image = ArtPainter::Canvas(desc.size.width(), desc.size.height(), desc.background);
            QPainter painter(&image);
            ArtPainter::BeginAntialiased(painter);
            const Face face = TextFace(desc.look, state, desc.background);
            const QRectF box(0, 0, desc.size.width(), desc.size.height());
            const bool row = desc.look == TextLook::Menu || desc.look == TextLook::Nav;
            const QRectF plateBox = row ? box.adjusted(4, 1, -4, -1) : box.adjusted(1, 1, -1, -1);
            if (face.plate.isValid())
                ArtPainter::FillRounded(painter, plateBox, row ? 5 : 6, face.plate);
            if (face.stroke.isValid())
                ArtPainter::StrokeRounded(painter, plateBox, 6, face.stroke);
            if (face.bar)
                ArtPainter::FillRounded(
                    painter, QRectF(4, 9, 3, desc.size.height() - 18), 1.5, colour::accent);

            const int glyphPx = desc.textPx + 6;
            const QFontMetricsF metrics(art.TextFont(desc.textPx, face.weight));
            const qreal textWidth = desc.text.isEmpty() ? 0 : metrics.horizontalAdvance(art.Text(desc.text));
            const qreal glyphWidth = desc.glyph ? glyphPx : 0;
            const qreal gap = desc.glyph && !desc.text.isEmpty() ? 8 : 0;
            qreal x = row ? 18 : (desc.size.width() - (textWidth + glyphWidth + gap)) / 2.0;
            if (desc.glyph) {
                art.DrawIcon(
                    painter, QRectF(x, 0, glyphWidth, desc.size.height()), desc.glyph, glyphPx, face.glyph);
                x += glyphWidth + gap;
            }
            if (!desc.text.isEmpty())
                art.DrawText(painter, QRectF(x, 0, desc.size.width() - x, desc.size.height()), desc.text,
                    desc.textPx, face.text, Qt::AlignLeft | Qt::AlignVCenter, face.weight);
            return image;
        });
    }
}

void ArtKit::Label(const LabelDesc &desc)
{
    m_catalog.Add(desc.file, desc.size, [desc](const ArtPainter &art) {
        QImage image = ArtPainter::Canvas(desc.size.width(), desc.size.height(), desc.background);
        QPainter painter(&image);
        ArtPainter::BeginAntialiased(painter);
        QRectF box(0, 0, desc.size.width(), desc.size.height());
        if (desc.glyph) {
            const int glyphPx = desc.textPx + 6;
            art.DrawIcon(painter, QRectF(box.left(), 0, glyphPx, box.height()), desc.glyph, glyphPx,
                desc.glyphColour.isValid() ? desc.glyphColour : desc.colour);
            box.setLeft(box.left() + glyphPx + 8);
        }
        art.DrawText(painter, box, desc.text, desc.textPx, desc.colour, desc.align, desc.weight);
        return image;
    });
}

void ArtKit::SliderTrack(
    const QString &file, int height, int trackHeight, const QColor &background, const QColor &trackColour)
{
    const int width = 16;
    m_catalog.Add(file, QSize(width, height), [=](const ArtPainter &) {
        QImage image = ArtPainter::Canvas(width, height, background);
        QPainter painter(&image);
        painter.fillRect(QRect(0, (height - trackHeight) / 2, width, trackHeight), trackColour);
        return image;
    });
}

void ArtKit::SliderThumb(
    const QString &file, int diameter, const QColor &fill, const QColor &ring, const QColor &under)
{
    m_catalog.Add(file, QSize(diameter, diameter), [=](const ArtPainter &) {
        QImage argb(diameter, diameter, QImage::Format_ARGB32_Premultiplied);
        argb.fill(Qt::transparent);
        QPainter painter(&argb);
        ArtPainter::BeginAntialiased(painter);
        painter.setPen(Qt::NoPen);
        painter.setBrush(ring);
        painter.drawEllipse(QRectF(0, 0, diameter, diameter));
        painter.setBrush(fill);
        const qreal inset = diameter >= 14 ? 3.0 : 2.5;
        painter.drawEllipse(QRectF(inset, inset, diameter - 2 * inset, diameter - 2 * inset));
        painter.end();
        return ArtPainter::Keyed(argb, under);
    });
}

void ArtKit::ScrollBar(const QString &base, int width, const QColor &background)
{
    const QColor thumb(0x4e, 0x4e, 0x4e);
    const QColor arrow(0x9a, 0x9a, 0x9a);
    const qreal thumbWidth = 6;
    const qreal thumbLeft = (width - thumbWidth) / 2.0;
    m_catalog.Add(base + QStringLiteral("_span.bmp"), QSize(width, 8),
        [=](const ArtPainter &) { return ArtPainter::Canvas(width, 8, background); });
    const auto cap = [=](qreal top) {
        return [=](const ArtPainter &) {
            QImage image = ArtPainter::Canvas(width, 8, background);
            QPainter painter(&image);
            ArtPainter::BeginAntialiased(painter);
            ArtPainter::FillRounded(painter, QRectF(thumbLeft, top, thumbWidth, 20), thumbWidth / 2.0, thumb);
            return image;
        };
    };
    m_catalog.Add(base + QStringLiteral("_thumbtop.bmp"), QSize(width, 8), cap(1));
    m_catalog.Add(base + QStringLiteral("_thumbmid.bmp"), QSize(width, 8), cap(-6));
    m_catalog.Add(base + QStringLiteral("_thumbbottom.bmp"), QSize(width, 8), cap(-13));
    const auto arrowPart = [=](bool up) {
        return [=](const ArtPainter &) {
            QImage image = ArtPainter::Canvas(width, 21, background);
            QPainter painter(&image);
            ArtPainter::BeginAntialiased(painter);
            const qreal cx = width / 2.0;
            const qreal cy = 10.5;
            QPainterPath path;
            if (up) {
                path.moveTo(cx, cy - 2.5);
                path.lineTo(cx + 4, cy + 2.5);
                path.lineTo(cx - 4, cy + 2.5);
            } else {
                path.moveTo(cx, cy + 2.5);
                path.lineTo(cx + 4, cy - 2.5);
                path.lineTo(cx - 4, cy - 2.5);
            }
            path.closeSubpath();
            painter.fillPath(path, arrow);
            return image;
        };
    };
    m_catalog.Add(base + QStringLiteral("_up.bmp"), QSize(width, 21), arrowPart(true));
    m_catalog.Add(base + QStringLiteral("_down.bmp"), QSize(width, 21), arrowPart(false));
}

void ArtKit::CheckMarks(const QString &onFile, const QString &offFile, const QColor &background)
{
    m_catalog.Add(onFile, QSize(12, 12), [=](const ArtPainter &) {
        QImage image = ArtPainter::Canvas(12, 12, background);
        QPainter painter(&image);
        ArtPainter::BeginAntialiased(painter);
        ArtPainter::FillRounded(painter, QRectF(0, 0, 12, 12), 2.5, colour::accent);
        QPainterPath tick;
        tick.moveTo(2.8, 6.2);
        tick.lineTo(5.0, 8.4);
        tick.lineTo(9.3, 3.6);
        painter.setPen(QPen(colour::onAccent, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(tick);
        return image;
    });
    m_catalog.Add(offFile, QSize(12, 12), [=](const ArtPainter &) {
        QImage image = ArtPainter::Canvas(12, 12, background);
        QPainter painter(&image);
        ArtPainter::BeginAntialiased(painter);
        ArtPainter::StrokeRounded(painter, QRectF(0, 0, 12, 12), 2.5, QColor(0x70, 0x70, 0x70), 1.2);
        return image;
    });
}

void ArtKit::DigitStrip(const QString &file, QSize cell, const QColor &background, const QColor &digit)
{
    m_catalog.Add(file, QSize(cell.width() * 11, cell.height()), [=](const ArtPainter &art) {
        QImage image = ArtPainter::Canvas(cell.width() * 11, cell.height(), background);
        QPainter painter(&image);
        ArtPainter::BeginAntialiased(painter);
        QFont font = art.TextFont(cell.height(), QFont::Bold);
        const QFontMetricsF metrics(font);
        // Scale the face so that a digit's ink fills the cell height whatever the font's
        // ascent and descent are.
        const qreal ink = metrics.tightBoundingRect(QStringLiteral("8")).height();
        font.setPixelSize(qMax(8, qRound(cell.height() * cell.height() * 0.92 / ink)));
        painter.setFont(font);
        painter.setPen(digit);
        const QFontMetricsF scaled(font);
        for (int d = 0; d < 10; ++d) {
            const QString text = QString::number(d);
            const QRectF tight = scaled.tightBoundingRect(text);
            const qreal x = cell.width() * d + (cell.width() - scaled.horizontalAdvance(text)) / 2.0;
            const qreal y = (cell.height() - tight.height()) / 2.0 - tight.top();
            painter.drawText(QPointF(x, y), text);
        }
        return image;
    });
}

void ArtKit::UnitStrip(const QString &file, QSize cell, const QColor &background, const QColor &colourText)
{
    m_catalog.Add(file, QSize(cell.width() * 2, cell.height()), [=](const ArtPainter &art) {
        QImage image = ArtPainter::Canvas(cell.width() * 2, cell.height(), background);
        QPainter painter(&image);
        ArtPainter::BeginAntialiased(painter);
        const QStringList units { QStringLiteral("km/h"), QStringLiteral("mph") };
        for (int i = 0; i < 2; ++i)
            art.DrawText(painter, QRectF(cell.width() * i + 6, 0, cell.width() - 6, cell.height()), units[i],
                cell.height() - 3, colourText, Qt::AlignLeft | Qt::AlignBottom, QFont::DemiBold);
        return image;
    });
}

} // namespace skinart
