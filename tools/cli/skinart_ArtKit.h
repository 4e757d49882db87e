#pragma once

#include "skinart_ArtCatalog.h"

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
    IconButtonDesc(QString base_, QSize size_, char16_t glyph_, int glyphPx_, QColor background_,
        ButtonLook look_ = ButtonLook::Plain, QColor tint_ = QColor())
        : base(std::move(base_))
        , size(size_)
        , glyph(glyph_)
        , glyphPx(glyphPx_)
        , background(background_)
        , look(look_)
        , tint(tint_)
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
    TextButtonDesc(QString base_, QSize size_, QString text_, char16_t glyph_, int textPx_,
        QColor background_, TextLook look_ = TextLook::Tab)
        : base(std::move(base_))
        , size(size_)
        , text(std::move(text_))
        , glyph(glyph_)
        , textPx(textPx_)
        , background(background_)
        , look(look_)
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
    LabelDesc(QString file_, QSize size_, QString text_, int textPx_, QColor colour_, QColor background_,
        int align_ = Qt::AlignLeft | Qt::AlignVCenter, int weight_ = QFont::Normal, char16_t glyph_ = 0,
        QColor glyphColour_ = QColor())
        : file(std::move(file_))
        , size(size_)
        , text(std::move(text_))
        , textPx(textPx_)
        , colour(colour_)
        , background(background_)
        , align(align_)
        , weight(weight_)
        , glyph(glyph_)
        , glyphColour(glyphColour_)
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

    static QString stateFile(const QString &base, int state); // state 0..3 -> _n _h _c _d

    void iconButton(const IconButtonDesc &desc);
    void textButton(const TextButtonDesc &desc);
    void label(const LabelDesc &desc);

    // Slider channel and active parts: a flat track centred in `height`, meant to be stretched.
    void sliderTrack(const QString &file, int height, int trackHeight, const QColor &background,
        const QColor &trackColour);
    // A round thumb keyed with magenta, laid on `under` at its edge.
    void sliderThumb(
        const QString &file, int diameter, const QColor &fill, const QColor &ring, const QColor &under);

    // The six parts of a list's scroll bar: base_span, _thumbtop, _thumbmid, _thumbbottom, _up, _down.
    void scrollBar(const QString &base, int width, const QColor &background);
    void checkMarks(const QString &onFile, const QString &offFile, const QColor &background);

    // Digit strip: cells 0..9, then a blank cell; unit strip: km/h, then mph.
    void digitStrip(const QString &file, QSize cell, const QColor &background, const QColor &digit);
    void unitStrip(const QString &file, QSize cell, const QColor &background, const QColor &colour);

    ArtCatalog &catalog() { return m_catalog; }

private:
    ArtCatalog &m_catalog;
};

} // namespace skinart
