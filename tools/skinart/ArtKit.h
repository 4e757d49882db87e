#pragma once

#include "skinart/ArtCatalog.h"

#include <QColor>
#include <QFont>
#include <QSize>
#include <QString>

#include <utility>

namespace skinart {

// How a button shows its four states (normal, hover, click, disable). Selector buttons are
// the ones the program disables to mark the current choice (view mode, category, option),
// so their disabled state is drawn as "selected" rather than greyed out.
enum class ButtonLook {
    Plain, // icon only; a plate appears on hover and click
    Selector, // as Plain; disabled = selected (tinted plate, accent icon)
    Primary, // accent disc (play and pause)
    Danger, // window close: red plate on hover
    Indicator, // a status picture: the same in every state
};

enum class TextLook {
    Tab, // choice among several; disabled = selected
    Primary, // accent fill: the action that commits
    Secondary, // neutral plate
    Menu, // full-width row with an icon, for drop-down menus
    Nav, // settings page menu; disabled = current page
    Stepper, // the up and down arrows of a number field
};

struct IconButtonDesc {
    IconButtonDesc(QString m_base, QSize m_size, char16_t m_glyph, int m_glyphPx, QColor m_background,
        ButtonLook m_look = ButtonLook::Plain, QColor m_tint = QColor())
        : base(std::move(m_base))
        , size(m_size)
        , glyph(m_glyph)
        , glyphPx(m_glyphPx)
        , background(m_background)
        , look(m_look)
        , tint(m_tint)
    {
    }
    QString base; // files base_n.bmp, base_h.bmp, base_c.bmp, base_d.bmp
    QSize size;
    char16_t glyph;
    int glyphPx;
    QColor background;
    ButtonLook look;
    QColor tint; // normal icon colour when valid (indicators)
};

struct TextButtonDesc {
    TextButtonDesc(QString m_base, QSize m_size, QString m_text, char16_t m_glyph, int m_textPx,
        QColor m_background, TextLook m_look = TextLook::Tab)
        : base(std::move(m_base))
        , size(m_size)
        , text(std::move(m_text))
        , glyph(m_glyph)
        , textPx(m_textPx)
        , background(m_background)
        , look(m_look)
    {
    }
    QString base;
    QSize size;
    QString text;
    char16_t glyph; // optional icon before the text (0: none)
    int textPx;
    QColor background;
    TextLook look;
};

struct LabelDesc {
    LabelDesc(QString m_file, QSize m_size, QString m_text, int m_textPx, QColor m_colour,
        QColor m_background, int m_align = Qt::AlignLeft | Qt::AlignVCenter, int m_weight = QFont::Normal,
        char16_t m_glyph = 0, QColor m_glyphColour = QColor())
        : file(std::move(m_file))
        , size(m_size)
        , text(std::move(m_text))
        , textPx(m_textPx)
        , colour(m_colour)
        , background(m_background)
        , align(m_align)
        , weight(m_weight)
        , glyph(m_glyph)
        , glyphColour(m_glyphColour)
    {
    }
    QString file;
    QSize size;
    QString text;
    int textPx;
    QColor colour;
    QColor background;
    int align;
    int weight;
    char16_t glyph; // optional icon before the text (0: none)
    QColor glyphColour;
};

// Adds the recurring pieces of the default skin (buttons in four states, labels, slider
// parts, list parts, digit strips) to a catalogue.
class ArtKit
{
public:
    explicit ArtKit(ArtCatalog &catalog)
        : m_catalog(catalog)
    {
    }

    static QString StateFile(const QString &base, int state); // state 0..3 -> _n _h _c _d

    void IconButton(const IconButtonDesc &desc);
    void TextButton(const TextButtonDesc &desc);
    void Label(const LabelDesc &desc);

    // Slider channel and active parts: a flat track centred in `height`, meant to be stretched.
    void SliderTrack(const QString &file, int height, int trackHeight, const QColor &background,
        const QColor &trackColour);
    // A round thumb keyed with magenta, laid on `under` at its edge.
    void SliderThumb(
        const QString &file, int diameter, const QColor &fill, const QColor &ring, const QColor &under);

    // The six parts of a list's scroll bar: base_span, _thumbtop, _thumbmid, _thumbbottom, _up, _down.
    void ScrollBar(const QString &base, int width, const QColor &background);
    void CheckMarks(const QString &onFile, const QString &offFile, const QColor &background);

    // Digit strip: cells 0..9, then a blank cell; unit strip: km/h, then mph.
    void DigitStrip(const QString &file, QSize cell, const QColor &background, const QColor &digit);
    void UnitStrip(const QString &file, QSize cell, const QColor &background, const QColor &colour);

    ArtCatalog &Catalog() { return m_catalog; }

private:
    ArtCatalog &m_catalog;
};

} // namespace skinart
