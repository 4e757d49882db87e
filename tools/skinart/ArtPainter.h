#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRawFont>
#include <QSet>
#include <QString>

class QPainter;

namespace skinart {

class TextTable;

// Drawing primitives shared by every bitmap of the default skin: the two fonts (Material
// icons and Noto Sans CJK for Hangul), icon glyphs, rounded plates and single-line labels.
class ArtPainter
{
public:
    // Registers the icon font and checks that a Hangul face is present. Returns false with a
    // reason when either is missing: a skin drawn with fallback boxes is worse than none.
    bool LoadFonts(QString *error);

    QFont IconFont(int pixelSize) const;
    QFont TextFont(int pixelSize, int weight = QFont::Normal) const;
    bool HasGlyph(char16_t codepoint) const;

    // An opaque canvas filled with `background`; the skin engine reads plain 24-bit BMPs.
    static QImage Canvas(int width, int height, const QColor &background);
    static void BeginAntialiased(QPainter &painter);

    void DrawIcon(
        QPainter &painter, const QRectF &box, char16_t codepoint, int pixelSize, const QColor &colour) const;
    void DrawText(QPainter &painter, const QRectF &box, const QString &text, int pixelSize,
        const QColor &colour, int flags, int weight = QFont::Normal) const;
    static void FillRounded(QPainter &painter, const QRectF &box, qreal radius, const QColor &fill);
    static void StrokeRounded(
        QPainter &painter, const QRectF &box, qreal radius, const QColor &pen, qreal width = 1.0);

    // Turns an image drawn on transparency into one keyed with magenta for the engine's
    // transparent-colour rule: clear pixels become the key, the others are laid on `under`.
    static QImage Keyed(const QImage &argb, const QColor &under);

    // Icons asked for that the font does not have (drawn as nothing).
    const QSet<char16_t> &MissingGlyphs() const { return m_missing; }

    // With a table, every text is drawn in English: the bitmaps of the English skin come from
    // the same drawing code as the Korean ones. The table must outlive the painter.
    void SetEnglish(const TextTable *table) { m_english = table; }
    // The text as drawn: the Korean text itself, or its English one when a table is set.
    QString Text(const QString &korean) const;
    // Korean texts drawn with a table that lacks them (drawn in Korean).
    const QSet<QString> &MissingTexts() const { return m_missingTexts; }
    // Texts wider than the box they were drawn in (cut off on the bitmap).
    const QSet<QString> &OverflowingTexts() const { return m_overflowing; }

private:
    QString m_iconFamily;
    QString m_textFamily;
    QRawFont m_iconRaw;
    mutable QSet<char16_t> m_missing;
    const TextTable *m_english = nullptr;
    mutable QSet<QString> m_missingTexts;
    mutable QSet<QString> m_overflowing;
};

} // namespace skinart
