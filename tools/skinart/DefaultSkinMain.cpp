// Bitmaps of the main window (all three layouts share them).

#include "skinart/ArtKit.h"
#include "skinart/ArtPainter.h"
#include "skinart/DefaultSkin.h"
#include "skinart/Style.h"

#include <QFontMetricsF>
#include <QPainter>

namespace skinart {

namespace {

    void AddLogo(ArtCatalog &catalog)
    {
        const QSize size(120, 40);
        for (int state = 0; state < 4; ++state) {
            catalog.Add(
                ArtKit::StateFile(QStringLiteral("title_logo"), state), size, [=](const ArtPainter &art) {
                    QImage image = ArtPainter::Canvas(size.width(), size.height(), colour::titleBar);
                    QPainter painter(&image);
                    ArtPainter::BeginAntialiased(painter);
                    if (state == 1)
                        ArtPainter::FillRounded(painter, QRectF(2, 2, size.width() - 4, size.height() - 4), 6,
                            QColor(0x2c, 0x2c, 0x2c));
                    else if (state == 2)
                        ArtPainter::FillRounded(
                            painter, QRectF(2, 2, size.width() - 4, size.height() - 4), 6, colour::plateDown);
                    ArtPainter::FillRounded(painter, QRectF(10, 9, 22, 22), 5, colour::accent);
                    art.DrawIcon(painter, QRectF(10, 9, 22, 22), icon::videocam, 16, colour::onAccent);
                    art.DrawText(painter, QRectF(39, 0, 60, 40), QStringLiteral("TAVIN"), 17,
                        state == 2 ? colour::accent : QColor(0xf2, 0xf2, 0xf2),
                        Qt::AlignLeft | Qt::AlignVCenter, QFont::Bold);
                    art.DrawIcon(painter, QRectF(94, 0, 22, 40), icon::arrowDropDown, 22,
                        state == 0 || state == 3 ? colour::textMuted : colour::iconBright);
                    return image;
                });
        }
    }

    // The picture shown in an empty video area, centred by its group.
    void AddVideoIdle(
        ArtCatalog &catalog, const QString &file, QSize size, int glyphPx, const QString &text, int textPx)
    {
        catalog.Add(file, size, [=](const ArtPainter &art) {
            QImage image = ArtPainter::Canvas(size.width(), size.height(), colour::videoWell);
            QPainter painter(&image);
            ArtPainter::BeginAntialiased(painter);
            const qreal textHeight = textPx * 1.6;
            const qreal top = (size.height() - glyphPx - 6 - textHeight) / 2.0;
            art.DrawIcon(painter, QRectF(0, top, size.width(), glyphPx), icon::videocam, glyphPx,
                QColor(0x33, 0x33, 0x33));
            art.DrawText(painter, QRectF(0, top + glyphPx + 6, size.width(), textHeight), text, textPx,
                QColor(0x5e, 0x5e, 0x5e), Qt::AlignHCenter | Qt::AlignVCenter);
            return image;
        });
    }

} // namespace

void AddMainWindowArt(ArtCatalog &catalog)
{
    ArtKit kit(catalog);
    AddLogo(catalog);

    // Title bar.
    const QSize titleButton(40, 40);
    kit.IconButton({ QStringLiteral("title_tool"), titleButton, icon::build, 22, colour::titleBar });
    kit.IconButton({ QStringLiteral("title_map"), titleButton, icon::map, 22, colour::titleBar });
    kit.IconButton({ QStringLiteral("title_archive"), titleButton, icon::history, 22, colour::titleBar });
    kit.IconButton({ QStringLiteral("title_minimize"), titleButton, icon::remove, 22, colour::titleBar });
    kit.IconButton({ QStringLiteral("title_close"), titleButton, icon::close, 22, colour::titleBar,
        ButtonLook::Danger });

    // Transport row and the buttons around the time display.
    const QSize small(36, 36);
    const QSize medium(40, 40);
    const QColor bg = colour::window;
    kit.IconButton({ QStringLiteral("view_small"), small, icon::viewQuilt, 22, bg, ButtonLook::Selector });
    kit.IconButton({ QStringLiteral("view_large"), small, icon::crop169, 22, bg, ButtonLook::Selector });
    kit.IconButton({ QStringLiteral("view_full"), small, icon::fullscreen, 24, bg, ButtonLook::Selector });
    kit.IconButton({ QStringLiteral("change_view"), small, icon::swapHoriz, 22, bg });
    kit.IconButton({ QStringLiteral("stop"), medium, icon::stop, 26, bg });
    kit.IconButton({ QStringLiteral("prev_file"), medium, icon::skipPrevious, 26, bg });
    kit.IconButton({ QStringLiteral("rew_step"), medium, icon::replay5, 26, bg });
    kit.IconButton({ QStringLiteral("rew_10"), medium, icon::fastRewind, 26, bg });
    kit.IconButton({ QStringLiteral("play"), QSize(44, 44), icon::playArrow, 30, bg, ButtonLook::Primary });
    kit.IconButton({ QStringLiteral("pause"), QSize(44, 44), icon::pause, 28, bg, ButtonLook::Primary });
    kit.IconButton({ QStringLiteral("forw_step"), medium, icon::forward5, 26, bg });
    kit.IconButton({ QStringLiteral("forw_10"), medium, icon::fastForward, 26, bg });
    kit.IconButton({ QStringLiteral("next_file"), medium, icon::skipNext, 26, bg });
    kit.IconButton({ QStringLiteral("repeat_1"), small, icon::repeatOne, 22, bg });
    kit.IconButton({ QStringLiteral("repeat_all"), small, icon::repeat, 22, bg });
    kit.IconButton({ QStringLiteral("image_setting"), small, icon::tune, 22, bg });
    kit.IconButton({ QStringLiteral("reset_all"), small, icon::settingsBackupRestore, 22, bg });
    kit.IconButton({ QStringLiteral("reset_speed"), small, icon::speed, 22, bg });
    kit.IconButton({ QStringLiteral("reset_volume"), small, icon::volumeUp, 22, bg });
    kit.IconButton({ QStringLiteral("reset_bright"), small, icon::brightness, 22, bg });
    kit.IconButton({ QStringLiteral("sound_on"), small, icon::volumeUp, 22, bg });
    kit.IconButton({ QStringLiteral("sound_off"), small, icon::volumeOff, 22, bg, ButtonLook::Plain,
        colour::textMuted });

    // Previous and next impact, under the speed gauge beside the G-sensor graph.
    kit.IconButton({ QStringLiteral("impact_prev"), QSize(28, 28), icon::navigateBefore, 22, bg });
    kit.IconButton({ QStringLiteral("impact_next"), QSize(28, 28), icon::navigateNext, 22, bg });

    // In and out marks of the span to export, left of the transport.
    kit.IconButton({ QStringLiteral("mark_in"), QSize(30, 30), icon::firstPage, 22, bg });
    kit.IconButton({ QStringLiteral("mark_out"), QSize(30, 30), icon::lastPage, 22, bg });

    // Sliders (play position and volume).
    kit.SliderTrack(QStringLiteral("slider_channel.bmp"), 12, 4, bg, colour::track);
    kit.SliderTrack(QStringLiteral("slider_active.bmp"), 12, 4, bg, colour::accent);
    kit.SliderThumb(
        QStringLiteral("slider_thumb.bmp"), 12, QColor(0xf4, 0xf4, 0xf4), colour::accent, colour::accentDark);

    // Speed gauge and its status pictures.
    kit.IconButton(
        { QStringLiteral("speed_on"), small, icon::speed, 26, bg, ButtonLook::Indicator, colour::accent });
    // Shown instead of the gauge for a recording without GPS: it says so in words.
    for (int state = 0; state < 4; ++state)
        kit.Label({ ArtKit::StateFile(QStringLiteral("speed_off"), state), QSize(170, 36),
            QStringLiteral("GPS 정보 없음"), 13, QColor(0x6a, 0x6a, 0x6a), bg,
            Qt::AlignLeft | Qt::AlignVCenter, QFont::Normal, icon::gpsOff, QColor(0x55, 0x55, 0x55) });
    kit.DigitStrip(QStringLiteral("speed_digits.bmp"), QSize(26, 40), bg, QColor(0xf2, 0xf2, 0xf2));
    kit.UnitStrip(QStringLiteral("speed_units.bmp"), QSize(48, 16), bg, colour::textMuted);

    // Recording list: categories, sort and open, the list's scroll bar and check marks.
    const QSize category(72, 30);
    kit.TextButton({ QStringLiteral("category_all"), category, QStringLiteral("전체"), 0, 13, bg });
    kit.TextButton({ QStringLiteral("category_normal"), category, QStringLiteral("상시"), 0, 13, bg });
    kit.TextButton({ QStringLiteral("category_event"), category, QStringLiteral("이벤트"), 0, 13, bg });
    kit.TextButton({ QStringLiteral("category_user"), category, QStringLiteral("수동"), 0, 13, bg });
    kit.TextButton({ QStringLiteral("category_arch"), category, QStringLiteral("보관"), 0, 13, bg });
    kit.TextButton({ QStringLiteral("list_open"), QSize(62, 28), QStringLiteral("열기"), icon::folderOpen, 13,
        bg, TextLook::Secondary });
    kit.TextButton({ QStringLiteral("sort_new"), QSize(80, 28), QStringLiteral("최신순"), icon::arrowDown, 13,
        bg, TextLook::Secondary });
    kit.TextButton({ QStringLiteral("sort_old"), QSize(80, 28), QStringLiteral("과거순"), icon::arrowUp, 13,
        bg, TextLook::Secondary });
    // By trip or by file: one of the two shows at a time and names the view a click gives.
    kit.TextButton({ QStringLiteral("list_mode_trips"), QSize(80, 28), QStringLiteral("주행별"),
        icon::directionsCar, 13, bg, TextLook::Secondary });
    kit.TextButton({ QStringLiteral("list_mode_files"), QSize(80, 28), QStringLiteral("파일별"),
        icon::viewList, 13, bg, TextLook::Secondary });
    kit.Label({ QStringLiteral("list_caption.bmp"), QSize(130, 28), QStringLiteral("녹화 목록"), 14,
        colour::text, bg, Qt::AlignLeft | Qt::AlignVCenter, QFont::DemiBold, icon::movie, colour::accent });
    kit.ScrollBar(QStringLiteral("list_scroll"), 12, QColor(0x1a, 0x1a, 0x1a));
    kit.CheckMarks(
        QStringLiteral("list_check_on.bmp"), QStringLiteral("list_check_off.bmp"), QColor(0x20, 0x20, 0x20));

    // Empty video areas.
    AddVideoIdle(catalog, QStringLiteral("video_idle.bmp"), QSize(360, 150), 72,
        QStringLiteral("목록에서 영상을 선택하세요"), 15);
    AddVideoIdle(
        catalog, QStringLiteral("video_idle_rear.bmp"), QSize(200, 90), 40, QStringLiteral("후방 영상"), 13);
}

ArtCatalog DefaultSkinArt()
{
    ArtCatalog catalog;
    AddMainWindowArt(catalog);
    AddPanelArt(catalog);
    AddSettingsArt(catalog);
    return catalog;
}

} // namespace skinart
