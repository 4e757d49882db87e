// Bitmaps of the device settings panel: its page menu, option buttons and the artwork of
// its seven pages (headings, row cards and labels, the wells the panel paints values into).
//
// Page geometry (page-local; a page sits at (180, 45) in the panel and is 796 x 442):
//   option cards x 20..776, 72 high, tops 84, 168, 252; label at x 44; buttons from x 300,
//   104 wide, 112 apart, 18 below the card top. The descriptions place the controls to match.

#include "skinart/ArtKit.h"
#include "skinart/ArtPainter.h"
#include "skinart/DefaultSkin.h"
#include "skinart/Style.h"

#include <QPainter>

#include <vector>

namespace skinart {

namespace {

    const QColor kNavBackground(0x19, 0x19, 0x19);
    const QSize kPageSize(796, 442);
    constexpr int kCardLeft = 20;
    constexpr int kCardWidth = 756;
    constexpr int kLabelLeft = 44;

    struct Card {
        int top;
        int height;
        QString label;
    };

    struct PageWell {
        QRect rect; // page-local
    };

    struct PageText {
        QRect rect;
        QString text;
        int px;
        QColor colour;
        int align;
    };

    struct Page {
        QString heading;
        QString hint;
        std::vector<Card> cards;
        std::vector<PageWell> wells;
        std::vector<PageText> texts;
    };

    QImage DrawPage(const ArtPainter &art, const Page &page)
    {
        QImage image = ArtPainter::Canvas(kPageSize.width(), kPageSize.height(), colour::panel);
        QPainter painter(&image);
        ArtPainter::BeginAntialiased(painter);
        art.DrawText(painter, QRectF(28, 14, 700, 32), page.heading, 20, QColor(0xf0, 0xf0, 0xf0),
            Qt::AlignLeft | Qt::AlignVCenter, QFont::Bold);
        art.DrawText(painter, QRectF(28, 46, 740, 22), page.hint, 13, colour::textMuted,
            Qt::AlignLeft | Qt::AlignVCenter);
        for (const Card &card : page.cards) {
            ArtPainter::FillRounded(
                painter, QRectF(kCardLeft, card.top, kCardWidth, card.height), 8, colour::card);
            art.DrawText(painter, QRectF(kLabelLeft, card.top, 240, qMin(card.height, 120)), card.label, 15,
                colour::text, Qt::AlignLeft | Qt::AlignVCenter);
        }
        // The panel fills these rectangles with its own background before it writes a value,
        // so they are exact, square-cornered fields of that colour.
        for (const PageWell &well : page.wells)
            painter.fillRect(well.rect, colour::well);
        for (const PageText &text : page.texts)
            art.DrawText(painter, QRectF(text.rect), text.text, text.px, text.colour, text.align);
        return image;
    }

    std::vector<Page> Pages()
    {
        std::vector<Page> list;
        list.push_back({ QStringLiteral("충격 감도"),
            QStringLiteral("충격과 움직임을 감지해 이벤트 영상을 남기는 민감도입니다."),
            { { 84, 72, QStringLiteral("주행 중 충격 감도") },
                { 168, 72, QStringLiteral("주차 중 충격 감도") },
                { 252, 72, QStringLiteral("주차 중 움직임 감지") } },
            {}, {} });
        list.push_back(
            { QStringLiteral("화면"), QStringLiteral("블랙박스 화면이 꺼지는 시간과 화면 밝기를 정합니다."),
                { { 84, 72, QStringLiteral("화면 자동 꺼짐") }, { 168, 72, QStringLiteral("화면 밝기") } },
                {}, {} });
        list.push_back(
            { QStringLiteral("소리"), QStringLiteral("음성 녹음과 안내 음성, 효과음의 크기를 정합니다."),
                { { 84, 72, QStringLiteral("음성 녹음") }, { 168, 72, QStringLiteral("안내 음성 크기") },
                    { 252, 72, QStringLiteral("효과음 크기") } },
                {}, {} });
        list.push_back({ QStringLiteral("전원 차단"),
            QStringLiteral("차량 배터리와 기기를 보호하기 위해 녹화를 멈추는 조건입니다."),
            { { 84, 72, QStringLiteral("저전압 차단") }, { 168, 72, QStringLiteral("고온 차단 온도") },
                { 252, 72, QStringLiteral("동작 재개 온도") } },
            {}, {} });
        Page memory { QStringLiteral("메모리"),
            QStringLiteral(
                "SD 카드를 상시 녹화 영역과 이벤트 녹화 영역으로 나눕니다. 비율을 바꾸면 카드를 포맷합니다."),
            { { 84, 140, QStringLiteral("녹화 영역 배분") }, { 236, 72, QStringLiteral("포맷 알림 주기") } },
            { { QRect(300, 122, 80, 32) }, { QRect(620, 122, 80, 32) } },
            { { QRect(300, 98, 240, 20), QStringLiteral("상시 녹화 (%)"), 12, colour::gaugeNormal,
                  Qt::AlignLeft | Qt::AlignVCenter },
                { QRect(620, 98, 140, 20), QStringLiteral("이벤트 녹화 (%)"), 12, colour::gaugeEvent,
                    Qt::AlignLeft | Qt::AlignVCenter } } };
        list.push_back(memory);
        list.push_back({ QStringLiteral("날짜·시간"),
            QStringLiteral("블랙박스의 시계를 맞춥니다. [확인]을 누르면 시간 파일이 SD 카드에 저장됩니다."),
            { { 84, 120, QStringLiteral("날짜") }, { 216, 120, QStringLiteral("시간") } },
            { { QRect(300, 124, 104, 40) }, { QRect(420, 124, 104, 40) }, { QRect(540, 124, 104, 40) },
                { QRect(300, 256, 104, 40) }, { QRect(420, 256, 104, 40) }, { QRect(540, 256, 104, 40) } },
            {} });
        list.push_back({ QStringLiteral("정보"),
            QStringLiteral("SD 카드에 기록된 블랙박스의 모델과 펌웨어 버전입니다."),
            { { 84, 144, QString() } },
            { { QRect(44, 92, 708, 40) }, { QRect(44, 136, 708, 40) }, { QRect(44, 180, 708, 40) } }, {} });
        return list;
    }

    // The memory page's slider: channel and active parts of the same size, with a tick for each
    // of the nine positions placed by the slider's own position-to-pixel rule.
    void AddRateSlider(ArtCatalog &catalog)
    {
        const QSize size(440, 20);
        constexpr int thumb = 20;
        const auto draw = [=](const QColor &bar) {
            return [=](const ArtPainter &) {
                QImage image = ArtPainter::Canvas(size.width(), size.height(), colour::card);
                QPainter painter(&image);
                ArtPainter::BeginAntialiased(painter);
                painter.fillRect(QRectF(0, 8, size.width(), 4), bar);
                for (int p = 1; p <= 9; ++p) {
                    const int x = thumb / 2 + static_cast<int>((p - 1) / 8.0 * (size.width() - thumb));
                    painter.fillRect(QRectF(x - 1, 3, 2, 14), bar);
                }
                return image;
            };
        };
        catalog.Add(QStringLiteral("bb_rate_channel.bmp"), size, draw(colour::gaugeEvent.darker(150)));
        catalog.Add(QStringLiteral("bb_rate_active.bmp"), size, draw(colour::gaugeNormal));
    }

} // namespace

void AddSettingsArt(ArtCatalog &catalog)
{
    ArtKit kit(catalog);
    kit.Label({ QStringLiteral("bb_title.bmp"), QSize(260, 44), QStringLiteral("기기 설정"), 16, colour::text,
        colour::titleBar, Qt::AlignLeft | Qt::AlignVCenter, QFont::DemiBold, icon::settings,
        colour::accent });
    kit.Label({ QStringLiteral("bb_hint.bmp"), QSize(520, 44),
        QStringLiteral("바꾼 설정은 [확인]을 누르면 SD 카드에 저장됩니다"), 12, colour::textMuted,
        colour::titleBar, Qt::AlignRight | Qt::AlignVCenter });

    const QSize nav(180, 48);
    const auto navItem = [&](const char *base, const QString &text, char16_t glyph) {
        kit.TextButton({ QString::fromLatin1(base), nav, text, glyph, 15, kNavBackground, TextLook::Nav });
    };
    navItem("bb_menu_sensor", QStringLiteral("충격 감도"), icon::vibration);
    navItem("bb_menu_display", QStringLiteral("화면"), icon::tv);
    navItem("bb_menu_audio", QStringLiteral("소리"), icon::volumeUp);
    navItem("bb_menu_block", QStringLiteral("전원 차단"), icon::batteryAlert);
    navItem("bb_menu_memory", QStringLiteral("메모리"), icon::sdStorage);
    navItem("bb_menu_date", QStringLiteral("날짜·시간"), icon::accessTime);
    navItem("bb_menu_info", QStringLiteral("정보"), icon::info);

    const QColor bg = colour::panel;
    kit.TextButton(
        { QStringLiteral("bb_ok"), QSize(104, 36), QStringLiteral("확인"), 0, 14, bg, TextLook::Primary });
    kit.TextButton({ QStringLiteral("bb_cancel"), QSize(104, 36), QStringLiteral("취소"), 0, 14, bg,
        TextLook::Secondary });
    kit.TextButton({ QStringLiteral("bb_reset"), QSize(132, 36), QStringLiteral("기본값으로"),
        icon::settingsBackupRestore, 13, bg, TextLook::Secondary });
    kit.TextButton({ QStringLiteral("bb_update_check"), QSize(160, 36), QStringLiteral("업데이트 확인"),
        icon::systemUpdate, 13, bg, TextLook::Secondary });

    // Option buttons: one picture set per distinct caption.
    const QSize option(104, 36);
    const auto opt = [&](const char *base, const QString &text) {
        kit.TextButton({ QString::fromLatin1(base), option, text, 0, 14, colour::card, TextLook::Tab });
    };
    opt("bb_opt_low", QStringLiteral("낮음"));
    opt("bb_opt_normal", QStringLiteral("보통"));
    opt("bb_opt_high", QStringLiteral("높음"));
    opt("bb_opt_15s", QStringLiteral("15초"));
    opt("bb_opt_30s", QStringLiteral("30초"));
    opt("bb_opt_60s", QStringLiteral("60초"));
    opt("bb_opt_5m", QStringLiteral("5분"));
    opt("bb_opt_dark", QStringLiteral("어둡게"));
    opt("bb_opt_light", QStringLiteral("밝게"));
    opt("bb_opt_on", QStringLiteral("켜기"));
    opt("bb_opt_off", QStringLiteral("끄기"));
    opt("bb_opt_small", QStringLiteral("작게"));
    opt("bb_opt_large", QStringLiteral("크게"));
    opt("bb_opt_118", QStringLiteral("11.8 V"));
    opt("bb_opt_120", QStringLiteral("12.0 V"));
    opt("bb_opt_122", QStringLiteral("12.2 V"));
    opt("bb_opt_125", QStringLiteral("12.5 V"));
    opt("bb_opt_45c", QStringLiteral("45 ℃"));
    opt("bb_opt_50c", QStringLiteral("50 ℃"));
    opt("bb_opt_55c", QStringLiteral("55 ℃"));
    opt("bb_opt_70c", QStringLiteral("70 ℃"));
    opt("bb_opt_75c", QStringLiteral("75 ℃"));
    opt("bb_opt_80c", QStringLiteral("80 ℃"));
    opt("bb_opt_15d", QStringLiteral("15일"));
    opt("bb_opt_30d", QStringLiteral("30일"));

    kit.TextButton({ QStringLiteral("bb_step_up"), QSize(104, 28), QString(), icon::keyboardUp, 18,
        colour::card, TextLook::Stepper });
    kit.TextButton({ QStringLiteral("bb_step_down"), QSize(104, 28), QString(), icon::keyboardDown, 18,
        colour::card, TextLook::Stepper });

    AddRateSlider(catalog);
    kit.SliderThumb(
        QStringLiteral("bb_rate_thumb.bmp"), 20, QColor(0xf4, 0xf4, 0xf4), colour::accent, colour::card);

    const std::vector<Page> list = Pages();
    for (size_t i = 0; i < list.size(); ++i) {
        const Page page = list[i];
        catalog.Add(QStringLiteral("bb_page_%1.bmp").arg(i + 1), kPageSize,
            [page](const ArtPainter &art) { return DrawPage(art, page); });
    }
}

} // namespace skinart
