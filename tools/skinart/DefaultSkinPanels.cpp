// Bitmaps of the map and archive windows, the two menus and the tool panels.

#include "skinart/ArtKit.h"
#include "skinart/ArtPainter.h"
#include "skinart/DefaultSkin.h"
#include "skinart/Style.h"

#include <QPainter>

namespace skinart {

namespace {

    void AddPanelTitle(ArtKit &kit, const QString &file, const QString &text, char16_t glyph)
    {
        kit.Label({ file, QSize(260, 40), text, 15, colour::text, colour::titleBar,
            Qt::AlignLeft | Qt::AlignVCenter, QFont::DemiBold, glyph, colour::accent });
    }

    // A status picture of the map: icon, headline and hint on a rounded card.
    void AddMapNotice(ArtCatalog &catalog, const QString &file, char16_t glyph, const QString &headline,
        const QString &hint)
    {
        const QSize size(320, 150);
        catalog.Add(file, size, [=](const ArtPainter &art) {
            QImage image = ArtPainter::Canvas(size.width(), size.height(), colour::panel);
            QPainter painter(&image);
            ArtPainter::BeginAntialiased(painter);
            ArtPainter::FillRounded(painter, QRectF(0, 0, size.width(), size.height()), 10, colour::card);
            art.DrawIcon(painter, QRectF(0, 18, size.width(), 48), glyph, 44, QColor(0x6a, 0x6a, 0x6a));
            art.DrawText(painter, QRectF(10, 74, size.width() - 20, 26), headline, 15, colour::text,
                Qt::AlignHCenter | Qt::AlignVCenter, QFont::DemiBold);
            art.DrawText(painter, QRectF(10, 102, size.width() - 20, 22), hint, 12, colour::textMuted,
                Qt::AlignHCenter | Qt::AlignVCenter);
            return image;
        });
    }

    // A card with a small heading, drawn behind a group of controls of the image control panel.
    void AddCard(ArtCatalog &catalog, const QString &file, QSize size, const QString &heading,
        const std::function<void(QPainter &, const ArtPainter &)> &extra = {})
    {
        catalog.Add(file, size, [=](const ArtPainter &art) {
            QImage image = ArtPainter::Canvas(size.width(), size.height(), colour::panel);
            QPainter painter(&image);
            ArtPainter::BeginAntialiased(painter);
            ArtPainter::FillRounded(painter, QRectF(0, 0, size.width(), size.height()), 8, colour::card);
            art.DrawText(painter, QRectF(14, 6, size.width() - 28, 22), heading, 13, colour::textMuted,
                Qt::AlignLeft | Qt::AlignVCenter);
            if (extra)
                extra(painter, art);
            return image;
        });
    }

    void AddMapArt(ArtCatalog &catalog, ArtKit &kit)
    {
        AddPanelTitle(kit, QStringLiteral("map_title.bmp"), QStringLiteral("지도"), icon::map);
        catalog.Add(QStringLiteral("map_background.bmp"), QSize(472, 354),
            [](const ArtPainter &) { return ArtPainter::Canvas(472, 354, colour::panel); });
        AddMapNotice(catalog, QStringLiteral("map_noconnect.bmp"), icon::cloudOff,
            QStringLiteral("인터넷에 연결되어 있지 않습니다"),
            QStringLiteral("연결되면 지도가 자동으로 표시됩니다"));
        AddMapNotice(catalog, QStringLiteral("map_nogps.bmp"), icon::locationOff,
            QStringLiteral("GPS 정보가 없는 영상입니다"),
            QStringLiteral("위치가 기록된 영상에서 주행 경로가 표시됩니다"));
    }

    void AddArchiveArt(ArtKit &kit)
    {
        AddPanelTitle(kit, QStringLiteral("archive_title.bmp"), QStringLiteral("보관함"), icon::history);
    }

    void AddMenuArt(ArtKit &kit)
    {
        const QSize row(218, 40);
        const QColor bg = colour::card;
        const auto item = [&](const char *base, const QString &text, char16_t glyph) {
            kit.TextButton({ QString::fromLatin1(base), row, text, glyph, 14, bg, TextLook::Menu });
        };
        item("menu_open", QStringLiteral("폴더 열기"), icon::folderOpen);
        item("menu_save", QStringLiteral("영상 저장"), icon::save);
        item("menu_storage", QStringLiteral("저장 공간"), icon::sdStorage);
        item("menu_bbsetting", QStringLiteral("기기 설정"), icon::settings);
        item("menu_info", QStringLiteral("프로그램 정보"), icon::info);
        item("menu_close", QStringLiteral("종료"), icon::exitToApp);
        item("tool_print", QStringLiteral("인쇄"), icon::print);
        item("tool_capture", QStringLiteral("화면 캡처"), icon::photoCamera);
        item("tool_export", QStringLiteral("영상 내보내기"), icon::movie);
        item("tool_screen", QStringLiteral("화면 설정"), icon::tune);
        item("tool_close", QStringLiteral("닫기"), icon::close);
    }

    void AddStorageArt(ArtKit &kit)
    {
        const QColor bg = colour::panel;
        AddPanelTitle(kit, QStringLiteral("storage_title.bmp"), QStringLiteral("저장 공간"), icon::sdStorage);
        kit.Label({ QStringLiteral("storage_drive_label.bmp"), QSize(64, 28), QStringLiteral("SD 카드"), 13,
            colour::textMuted, bg });
        const auto areaLabel = [&](const char *file, const QString &text, const QColor &dot) {
            kit.Label({ QString::fromLatin1(file), QSize(240, 22), text, 14, colour::text, bg,
                Qt::AlignLeft | Qt::AlignVCenter, QFont::DemiBold, 0xe061 /* fiber_manual_record */, dot });
        };
        areaLabel("storage_label_n.bmp", QStringLiteral("상시 녹화 영역"), colour::gaugeNormal);
        areaLabel("storage_label_s.bmp", QStringLiteral("이벤트 녹화 영역"), colour::gaugeEvent);
        areaLabel("storage_label_a.bmp", QStringLiteral("보관 영상 (SAVE 폴더)"), colour::gaugeArchive);
        const auto gauge = [&](const char *file, const QColor &fill) {
            kit.SliderTrack(QString::fromLatin1(file), 10, 10, bg, fill);
        };
        gauge("storage_gauge_track.bmp", QColor(0x2c, 0x2c, 0x2c));
        gauge("storage_gauge_n.bmp", colour::gaugeNormal);
        gauge("storage_gauge_s.bmp", colour::gaugeEvent);
        gauge("storage_gauge_a.bmp", colour::gaugeArchive);
        kit.TextButton({ QStringLiteral("storage_browse"), QSize(124, 34), QStringLiteral("백업 폴더"),
            icon::folderOpen, 13, bg, TextLook::Secondary });
        kit.TextButton({ QStringLiteral("storage_backup"), QSize(100, 34), QStringLiteral("백업"),
            icon::backup, 13, bg, TextLook::Secondary });
        kit.TextButton({ QStringLiteral("storage_format"), QSize(100, 34), QStringLiteral("포맷"),
            icon::deleteForever, 13, bg, TextLook::Secondary });
    }

    void AddSaveArt(ArtKit &kit)
    {
        const QColor bg = colour::panel;
        AddPanelTitle(kit, QStringLiteral("save_title.bmp"), QStringLiteral("영상 저장"), icon::save);
        const QSize category(80, 30);
        kit.TextButton({ QStringLiteral("save_category_all"), category, QStringLiteral("전체"), 0, 13, bg });
        kit.TextButton(
            { QStringLiteral("save_category_normal"), category, QStringLiteral("상시"), 0, 13, bg });
        kit.TextButton(
            { QStringLiteral("save_category_event"), category, QStringLiteral("이벤트"), 0, 13, bg });
        kit.TextButton({ QStringLiteral("save_category_user"), category, QStringLiteral("수동"), 0, 13, bg });
        kit.TextButton({ QStringLiteral("save_category_arch"), category, QStringLiteral("보관"), 0, 13, bg });
        kit.TextButton({ QStringLiteral("save_select_all"), QSize(84, 30), QStringLiteral("전체 선택"), 0, 13,
            bg, TextLook::Secondary });
        kit.TextButton({ QStringLiteral("save_deselect_all"), QSize(84, 30), QStringLiteral("선택 해제"), 0,
            13, bg, TextLook::Secondary });
        kit.Label({ QStringLiteral("save_path_label.bmp"), QSize(70, 30), QStringLiteral("저장 위치"), 13,
            colour::textMuted, bg });
        kit.TextButton({ QStringLiteral("save_browse"), QSize(100, 30), QStringLiteral("찾아보기"),
            icon::folderOpen, 13, bg, TextLook::Secondary });
    }

    void AddDialogButtons(ArtKit &kit)
    {
        const QColor bg = colour::panel;
        kit.TextButton({ QStringLiteral("dialog_save"), QSize(100, 34), QStringLiteral("저장"), 0, 14, bg,
            TextLook::Primary });
        kit.TextButton({ QStringLiteral("dialog_cancel"), QSize(100, 34), QStringLiteral("취소"), 0, 14, bg,
            TextLook::Secondary });
        kit.IconButton({ QStringLiteral("panel_close"), QSize(32, 32), icon::close, 20, colour::titleBar,
            ButtonLook::Danger });
    }

    void AddPrintArt(ArtKit &kit)
    {
        AddPanelTitle(
            kit, QStringLiteral("print_title.bmp"), QStringLiteral("캡처 미리보기"), icon::photoCamera);
    }

    void AddImageControlArt(ArtCatalog &catalog, ArtKit &kit)
    {
        const QColor bg = colour::panel;
        AddPanelTitle(kit, QStringLiteral("imgctl_title.bmp"), QStringLiteral("화면 설정"), icon::tune);
        kit.TextButton({ QStringLiteral("imgctl_tab_play"), QSize(180, 32), QStringLiteral("재생"),
            icon::playArrow, 14, bg });
        kit.TextButton({ QStringLiteral("imgctl_tab_bright"), QSize(180, 32), QStringLiteral("밝기"),
            icon::brightness, 14, bg });
        AddCard(
            catalog, QStringLiteral("imgctl_bg_move.bmp"), QSize(368, 84), QStringLiteral("구간 이동 (5초)"));
        AddCard(catalog, QStringLiteral("imgctl_bg_speed.bmp"), QSize(368, 84), QStringLiteral("속도 조절"));
        AddCard(catalog, QStringLiteral("imgctl_bg_bright.bmp"), QSize(368, 176), QStringLiteral("영상 밝기"),
            [](QPainter &painter, const ArtPainter &art) {
                art.DrawIcon(painter, QRectF(14, 54, 28, 28), icon::brightnessLow, 22, colour::textMuted);
                art.DrawIcon(painter, QRectF(326, 54, 28, 28), icon::brightnessHigh, 22, colour::text);
                art.DrawText(painter, QRectF(44, 78, 80, 20), QStringLiteral("어둡게"), 12, colour::textMuted,
                    Qt::AlignLeft | Qt::AlignVCenter);
                art.DrawText(painter, QRectF(244, 78, 80, 20), QStringLiteral("밝게"), 12, colour::textMuted,
                    Qt::AlignRight | Qt::AlignVCenter);
            });
        const QColor card = colour::card;
        const QSize step(64, 40);
        kit.TextButton(
            { QStringLiteral("imgctl_rew"), step, QString(), icon::fastRewind, 20, card, TextLook::Stepper });
        kit.TextButton(
            { QStringLiteral("imgctl_back"), step, QString(), icon::replay5, 20, card, TextLook::Stepper });
        kit.TextButton({ QStringLiteral("imgctl_forward"), step, QString(), icon::forward5, 20, card,
            TextLook::Stepper });
        kit.TextButton(
            { QStringLiteral("imgctl_ff"), step, QString(), icon::fastForward, 20, card, TextLook::Stepper });
        const QSize speed(104, 36);
        kit.TextButton({ QStringLiteral("imgctl_slow"), speed, QStringLiteral("느리게"), 0, 14, card,
            TextLook::Secondary });
        kit.TextButton({ QStringLiteral("imgctl_normal"), speed, QStringLiteral("보통"), 0, 14, card,
            TextLook::Secondary });
        kit.TextButton({ QStringLiteral("imgctl_fast"), speed, QStringLiteral("빠르게"), 0, 14, card,
            TextLook::Secondary });
        kit.TextButton({ QStringLiteral("imgctl_reset"), QSize(110, 32), QStringLiteral("기본값"),
            icon::refresh, 13, card, TextLook::Secondary });
        kit.SliderTrack(QStringLiteral("imgctl_slider_channel.bmp"), 16, 4, card, colour::track);
        kit.SliderTrack(QStringLiteral("imgctl_slider_active.bmp"), 16, 4, card, colour::accent);
        kit.SliderThumb(QStringLiteral("imgctl_slider_thumb.bmp"), 16, QColor(0xf4, 0xf4, 0xf4),
            colour::accent, colour::accentDark);
    }

} // namespace

void AddPanelArt(ArtCatalog &catalog)
{
    ArtKit kit(catalog);
    AddDialogButtons(kit);
    AddMapArt(catalog, kit);
    AddArchiveArt(kit);
    AddMenuArt(kit);
    AddStorageArt(kit);
    AddSaveArt(kit);
    AddPrintArt(kit);
    AddImageControlArt(catalog, kit);
}

} // namespace skinart
