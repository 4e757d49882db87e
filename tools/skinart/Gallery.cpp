#include "skinart/Gallery.h"

#include "device/CardUsage.h"
#include "i18n/UiLanguage.h"
#include "panels/CBBSettingDlg.h"
#include "skin/CBitmapSlider.h"
#include "skin/CSkinDialog.h"
#include "skin/CSkinHeaderCtrl.h"
#include "skin/CSkinListCtrl.h"
#include "skin/SkinRuntime.h"
#include "skin/core/SkinPackReader.h"
#include "skin/fonts/FontFamilies.h"
#include "views/CGSensorGraph.h"
#include "views/CSpeedCtrl.h"
#include "views/ViewControlFactories.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QPainter>
#include <QRegularExpression>

#include <cmath>

namespace skinart {

using skin::CSkinDialog;

namespace {

    const QSize kMonitor(1920, 1080);
    const QColor kAccent(0x3f, 0xa6, 0xfe);
    const QColor kValueGrey(0xcb, 0xcb, 0xcb);

    // The language of the gallery being drawn: the program's texts come through its translation,
    // the sample data (a folder, a licence plate) is written for it here.
    bool g_english = false;
    QString Sample(const char *korean, const char *english)
    {
        return g_english ? QString::fromUtf8(english) : QString::fromUtf8(korean);
    }
    QString ProgramText(const char *context, const char *text)
    {
        return QCoreApplication::translate(context, text);
    }

    // Text the program paints into the rectangle of a text item, in the item's font.
    void PaintKeyed(const CSkinDialog &dialog, QPainter &painter, const QString &key, const QString &text,
        const QColor &colour, int align = Qt::AlignLeft | Qt::AlignVCenter)
    {
        const skin::CSkinText *item = dialog.Skin().GetText(key);
        if (!item)
            return;
        QFont font(item->fontFace.isEmpty() ? QString(skin::fonts::kKorean) : item->fontFace);
        font.setPixelSize(item->fontSize > 0 ? item->fontSize : 13);
        painter.setFont(font);
        painter.setPen(colour);
        painter.drawText(item->rect.ToQRect(), align | Qt::TextSingleLine, text);
    }

    void Show(
        CSkinDialog &dialog, const QString &name, bool on, skin::SkinControlType type = skin::kSkinImgButton)
    {
        dialog.ShowControl(type, name, on);
    }

    void Disable(CSkinDialog &dialog, const QString &name)
    {
        if (QWidget *control = dialog.GetControl(skin::kSkinImgButton, name))
            control->setEnabled(false);
    }

    // The main window's own set-up of its list, graph and gauge (colours as the program sets them).
    void MainWindowSetUp(CSkinDialog &dialog, const QString &viewButton)
    {
        if (auto *list
            = dialog.Control<skin::CSkinListCtrl>(skin::kSkinListCtrl, QStringLiteral("file_list"))) {
            list->SetColors(0x656565, 0x0F53EF, 0x202020, 0x202020, 0x181818);
            if (list->Header())
                list->Header()->SetColors(0x202020, 0xFFFFFF);
        }
        if (auto *graph = dialog.Control<CGSensorGraph>(skin::kSkinGraph, QStringLiteral("gsensor"))) {
            graph->SetColour(1, 0x121212);
            graph->SetColour(4, 0x00FF4B);
            graph->SetColour(5, 0x4642FF);
            graph->SetColour(6, 0xFFBA57);
        }
        Disable(dialog, QStringLiteral("filelist_category_all"));
        Disable(dialog, viewButton);
    }

    void FillRecordings(skin::CSkinListCtrl &list, bool checks)
    {
        static const char *const kinds[]
            = { "상시 녹화", "상시 녹화", "상시 이벤트", "수동 녹화", "주차 이벤트", "주차 모션" };
        static const char kindLetters[] = { 'N', 'N', 'S', 'U', 'P', 'M' };
        for (int row = 0; row < 24; ++row) {
            const int minute = 10 + row;
            const int k = row % 6;
            list.InsertItem(row, QString());
            list.SetItemText(row, 1, QStringLiteral("%1").arg(row + 1, 3, 10, QLatin1Char('0')));
            list.SetItemText(row, 2,
                QStringLiteral("20240612_14%1%2_F%3.AVI")
                    .arg(minute, 2, 10, QLatin1Char('0'))
                    .arg(row * 7 % 60, 2, 10, QLatin1Char('0'))
                    .arg(QLatin1Char(kindLetters[k])));
            list.SetItemText(row, 3, ProgramText("RecordingName", kinds[k]));
            list.SetItemText(row, 4, k == 3 ? QStringLiteral("00:00:30") : QStringLiteral("00:01:00"));
            if (checks)
                list.SetCheck(row, row % 4 == 1);
        }
    }

    // The list by trip: the button back to files in place of the one to trips, the trip columns
    // under the skin's keyed names, and the last trip still being summed.
    void ListingTrips(CSkinDialog &dialog)
    {
        Show(dialog, QStringLiteral("list_mode_trips"), false);
        Show(dialog, QStringLiteral("list_mode_files"), true);
        auto *list = dialog.Control<skin::CSkinListCtrl>(skin::kSkinListCtrl, QStringLiteral("file_list"));
        if (!list || list->GetColumnCount() < 5)
            return;
        const skin::CSkin &skin = dialog.Skin();
        const QString columns[] = { skin.Text(QStringLiteral("trip_col_start")),
            skin.Text(QStringLiteral("trip_col_length")), skin.Text(QStringLiteral("trip_col_distance")),
            skin.Text(QStringLiteral("trip_col_events")) };
        const int widths[] = { 148, 66, 72, 76 };
        for (int c = 0; c < 4; ++c) {
            list->headerItem()->setText(c + 1, columns[c]);
            list->headerItem()->setTextAlignment(c + 1, Qt::AlignCenter);
            list->header()->resizeSection(c + 1, widths[c]);
        }
        struct TripRow {
            const char *start;
            bool parking;
            const char *length;
            const char *distance;
            int events;
        };
        const TripRow trips[] = { { "06-12 08:02", false, "00:41:00", "32.4 km", 1 },
            { "06-12 08:44", true, "03:12:00", "0.0 km", 2 },
            { "06-12 12:05", false, "00:18:00", "9.7 km", 0 },
            { "06-12 12:24", true, "01:06:00", "0.0 km", 0 }, { "06-12 13:31", false, "01:02:00", "", 0 } };
        const QString summing = skin.Text(QStringLiteral("trip_summing"));
        int row = 0;
        for (const TripRow &trip : trips) {
            list->InsertItem(row, QString());
            list->SetItemText(row, 1,
                QStringLiteral("%1  %2").arg(QString::fromLatin1(trip.start),
                    skin.Text(trip.parking ? QStringLiteral("trip_kind_parking")
                                           : QStringLiteral("trip_kind_drive"))));
            list->SetItemText(row, 2, QString::fromLatin1(trip.length));
            const bool summed = *trip.distance != '\0';
            list->SetItemText(row, 3, summed ? QString::fromLatin1(trip.distance) : summing);
            list->SetItemText(row, 4, summed ? QString::number(trip.events) : summing);
            ++row;
        }
        list->SetSelectedItem(2);
    }

    // A recording in playback: list filled and a row chosen, pause shown, speed and G-sensor live.
    void Playing(CSkinDialog &dialog, bool full)
    {
        if (auto *list
            = dialog.Control<skin::CSkinListCtrl>(skin::kSkinListCtrl, QStringLiteral("file_list"))) {
            FillRecordings(*list, false);
            list->SetSelectedItem(3);
        }
        Show(dialog, QStringLiteral("play"), false);
        Show(dialog, QStringLiteral("pause"), true);
        Show(dialog, QStringLiteral("speed_off"), false);
        Show(dialog, QStringLiteral("speed_on"), true);
        Show(dialog, QStringLiteral("speed"), true, skin::kSkinSpeed);
        if (auto *gauge = dialog.Control<CSpeedCtrl>(skin::kSkinSpeed, QStringLiteral("speed"))) {
            gauge->Add(media::CSpeedItem { 0, 1718200000, 47.4f, 1 });
            gauge->SetPosition(100);
        }
        if (auto *slider
            = dialog.Control<skin::CBitmapSlider>(skin::kSkinSlider, QStringLiteral("play_slider"))) {
            slider->SetRange(0, 60000);
            slider->SetPos(21000);
        }
        if (auto *slider
            = dialog.Control<skin::CBitmapSlider>(skin::kSkinSlider, QStringLiteral("vol_slider"))) {
            slider->SetRange(1, 99);
            slider->SetPos(50);
        }
        if (full)
            return;
        if (auto *graph = dialog.Control<CGSensorGraph>(skin::kSkinGraph, QStringLiteral("gsensor"))) {
            graph->SetValueRange(230);
            graph->SetDuration(60000);
            for (int s = 0; s <= 60; ++s) {
                const double t = s;
                const auto axis = [t](double phase, double amp, int spike) {
                    double v = 55 + amp * std::sin(t * 0.35 + phase);
                    if (std::abs(t - spike) < 1.5)
                        v += 38;
                    return static_cast<uint32_t>(v);
                };
                graph->AddSample(media::GSensorSample {
                    axis(0.0, 6, 24), axis(1.3, 4, 24), axis(2.1, 3, 40), static_cast<uint32_t>(s * 1000) });
            }
            graph->SetPosition(21000);
        }
    }

    // The time display the main window paints over its own background.
    void PaintTime(const CSkinDialog &dialog, QPainter &painter)
    {
        const skin::CSkinArea *area = dialog.Skin().GetArea(QStringLiteral("time_display"));
        if (!area)
            return;
        const QRect r = area->rect.ToQRect();
        QFont font(skin::fonts::kKorean);
        font.setPixelSize(13);
        painter.setFont(font);
        painter.setPen(kAccent);
        painter.drawText(QRect(r.left(), r.top(), 74, r.height()), Qt::AlignRight | Qt::AlignVCenter,
            QStringLiteral("00:00:21 /"));
        painter.setPen(QColor(0x79, 0x79, 0x79));
        painter.drawText(QRect(r.left() + 78, r.top(), 70, r.height()), Qt::AlignLeft | Qt::AlignVCenter,
            QStringLiteral("00:01:00"));
    }

    struct SettingsPage {
        const char *menu;
        const char *controls; // the page's controls, as a pattern over their names
        const char *chosen; // option buttons shown as the current choice
    };

    const SettingsPage kPages[] = {
        { "BB_menu_sensor", "^BB_sensor_", "^BB_sensor_.*_normal$" },
        { "BB_menu_display", "^BB_display_(off|brightness)_", "^BB_display_(off_30|brightness_normal)$" },
        { "BB_menu_audio", "^(BB_display_sound_record_|BB_voice_notice_|BB_alarm_)",
            "^(BB_display_sound_record_on|BB_voice_notice_normal|BB_alarm_small)$" },
        { "BB_menu_block", "^BB_block_", "^BB_block_(volt_122|battery_temp_75|run_temp_50)$" },
        { "BB_menu_memory", "^BB_memory_", "^BB_memory_noti_15$" },
        { "BB_menu_date", "^BB_date_", "^$" },
        { "BB_menu_info", "^BB_info_", "^$" },
    };

    // The settings panel on page `page` (1 to 7): its controls shown, the others hidden, the
    // current choices disabled, and only that page's artwork group drawn.
    void ShowSettingsPage(CSkinDialog &dialog, int page)
    {
        const SettingsPage &pageInfo = kPages[page - 1];
        const QRegularExpression all(QStringLiteral(
            "^(BB_sensor_|BB_display_|BB_voice_|BB_alarm_|BB_block_|BB_memory_|BB_date_|BB_info_)"));
        const QRegularExpression mine(QString::fromLatin1(pageInfo.controls));
        const QRegularExpression chosen(QString::fromLatin1(pageInfo.chosen));
        for (skin::SkinControlType type : { skin::kSkinImgButton, skin::kSkinSlider }) {
            const skin::SkinControlArray &controls = dialog.Skin().Items().ControlsOfType(type);
            for (int i = 0; i < controls.size(); ++i) {
                const QString &name = controls.NameAt(i);
                if (!all.match(name).hasMatch())
                    continue;
                dialog.ShowControl(type, name, mine.match(name).hasMatch());
                if (chosen.match(name).hasMatch())
                    controls.At(i)->control->setEnabled(false);
            }
        }
        Disable(dialog, QString::fromLatin1(pageInfo.menu));
        Show(dialog, QStringLiteral("BB_reset"), page != 7);
        // The panel marks one of the groups 4 to 10 active; the others are not drawn.
        for (int g = 4; g <= 10; ++g)
            dialog.Skin().SetGroupActive(g, g == page + 3);
        if (auto *slider = dialog.Control<skin::CBitmapSlider>(
                skin::kSkinSlider, QStringLiteral("BB_memory_rate_slider"))) {
            slider->SetRange(1, 9);
            slider->SetPos(5);
        }
    }

    void PaintSettingsPage(const CSkinDialog &dialog, QPainter &painter, int page)
    {
        if (page == 5) {
            PaintKeyed(dialog, painter, QStringLiteral("BB_memory_rate_N"), QStringLiteral("50"), kValueGrey);
            PaintKeyed(dialog, painter, QStringLiteral("BB_memory_rate_S"), QStringLiteral("50"), kValueGrey);
        } else if (page == 6) {
            const QStringList keys { QStringLiteral("year"), QStringLiteral("month"), QStringLiteral("day"),
                QStringLiteral("hour"), QStringLiteral("min"), QStringLiteral("sec") };
            // The longest month name, so that the picture shows whether every month fits.
            const int values[] = { 2024, 9, 12, 14, 30, 5 };
            for (int i = 0; i < keys.size(); ++i)
                PaintKeyed(dialog, painter, QStringLiteral("BB_date_") + keys[i],
                    CBBSettingDlg::DateFieldText(CBBSettingDlg::DateField(i), values[i]), kValueGrey,
                    Qt::AlignCenter);
        } else if (page == 7) {
            const QStringList keys { QStringLiteral("BB_info_name"), QStringLiteral("BB_info_fw"),
                QStringLiteral("BB_info_micom") };
            const QStringList labels { CBBSettingDlg::InfoLabel(0), CBBSettingDlg::InfoLabel(1),
                CBBSettingDlg::InfoLabel(2) };
            const QStringList values { QStringLiteral("TAVIN 2CH"), QStringLiteral("1.02.07"),
                QStringLiteral("0.9.3") };
            for (int i = 0; i < keys.size(); ++i) {
                const skin::CSkinText *item = dialog.Skin().GetText(keys[i]);
                if (!item)
                    continue;
                const QRect r = item->rect.ToQRect();
                painter.fillRect(r, QColor(23, 23, 23));
                PaintKeyed(dialog, painter, keys[i], QStringLiteral("  ") + labels[i], QColor(63, 166, 254));
                PaintKeyed(dialog, painter, keys[i], values[i] + QStringLiteral("  "), kValueGrey,
                    Qt::AlignRight | Qt::AlignVCenter);
            }
        }
    }

} // namespace

SkinGallery::SkinGallery(const QString &packPath, const QString &baseFolder)
    : m_packPath(packPath)
    , m_baseFolder(baseFolder)
{
}

SkinGallery::~SkinGallery() = default;

bool SkinGallery::SetEnglish(bool english, QString *error)
{
    if (!m_translation)
        m_translation = std::make_unique<i18n::ProgramTranslation>();
    m_english = english;
    return m_translation->Apply(
        english ? i18n::UiLanguage::English : i18n::UiLanguage::Korean, m_baseFolder, error);
}

bool SkinGallery::Open(QString *error)
{
    m_runtime = std::make_unique<skin::SkinRuntime>();
    const int result = m_runtime->LoadPack(m_packPath);
    if (result != skin::kSkinPackOk) {
        *error = QStringLiteral("cannot read the skin pack %1 (result %2)").arg(m_packPath).arg(result);
        return false;
    }
    m_runtime->SetBaseFolder(m_baseFolder);
    m_runtime->SetMonitorSize(kMonitor);
    m_runtime->SetMessageBoxHandler([](QWidget *, const QString &, const QString &, int) { return 0; });
    RegisterViewControlFactories(*m_runtime);
    return true;
}

bool SkinGallery::Shoot(const QString &entry, const QString &file, const Scene &scene, const QString &outDir,
    QStringList *written, QString *error)
{
    CSkinDialog dialog(*m_runtime);
    if (!dialog.LoadSkin(entry)) {
        *error = QStringLiteral("the pack has no loadable description %1").arg(entry);
        return false;
    }
    // Keep the pointer off the window, so that no button shows its hover picture.
    QCursor::setPos(kMonitor.width() + 500, kMonitor.height() + 500);
    dialog.move(0, 0);
    dialog.show();
    QApplication::processEvents();
    if (scene.setUp)
        scene.setUp(dialog);
    QApplication::processEvents();
    QImage shot = dialog.grab().toImage();
    dialog.hide();
    if (scene.paint) {
        QPainter painter(&shot);
        painter.setRenderHint(QPainter::TextAntialiasing);
        scene.paint(dialog, painter);
    }
    const QString path = QDir(outDir).filePath(file);
    if (!shot.save(path)) {
        *error = QStringLiteral("cannot write %1").arg(path);
        return false;
    }
    written->append(file);
    return true;
}

bool SkinGallery::Run(const QString &outDir, QStringList *written, QString *error)
{
    if (!QDir(outDir).mkpath(QStringLiteral("."))) {
        *error = QStringLiteral("cannot create %1").arg(outDir);
        return false;
    }
    g_english = m_english;
    struct Shot {
        QString entry;
        QString file;
        Scene scene;
    };
    std::vector<Shot> shots;
    const auto timePaint = [](const CSkinDialog &dialog, QPainter &painter) { PaintTime(dialog, painter); };
    shots.push_back({ QStringLiteral("main_small"), QStringLiteral("main_small.png"),
        { [](CSkinDialog &d) { MainWindowSetUp(d, QStringLiteral("s_view")); }, {} } });
    shots.push_back({ QStringLiteral("main_small"), QStringLiteral("main_small_playing.png"),
        { [](CSkinDialog &d) {
             MainWindowSetUp(d, QStringLiteral("s_view"));
             Playing(d, false);
         },
            timePaint } });
    shots.push_back({ QStringLiteral("main_small"), QStringLiteral("main_small_trips.png"),
        { [](CSkinDialog &d) {
             MainWindowSetUp(d, QStringLiteral("s_view"));
             ListingTrips(d);
         },
            {} } });
    shots.push_back({ QStringLiteral("main_large"), QStringLiteral("main_large_playing.png"),
        { [](CSkinDialog &d) {
             MainWindowSetUp(d, QStringLiteral("l_view"));
             Playing(d, false);
         },
            timePaint } });
    shots.push_back({ QStringLiteral("main_full"), QStringLiteral("main_full_playing.png"),
        { [](CSkinDialog &d) {
             MainWindowSetUp(d, QStringLiteral("f_view"));
             Playing(d, true);
         },
            timePaint } });
    shots.push_back({ QStringLiteral("map"), QStringLiteral("map.png"), {} });
    shots.push_back({ QStringLiteral("title_menu"), QStringLiteral("title_menu.png"), {} });
    shots.push_back({ QStringLiteral("tool_menu"), QStringLiteral("tool_menu.png"), {} });
    shots.push_back({ QStringLiteral("storage"), QStringLiteral("storage.png"),
        { [](CSkinDialog &d) {
             if (auto *combo = d.Control<QComboBox>(skin::kSkinComboBox, QStringLiteral("storage_combobox")))
                 combo->addItem(QStringLiteral("/media/tavin/TAVIN"));
             const std::pair<const char *, int> gauges[]
                 = { { "storage_slider_N", 54 }, { "storage_slider_S", 21 }, { "storage_slider_A", 63 } };
             for (const auto &[name, percent] : gauges) {
                 if (auto *s = d.Control<skin::CBitmapSlider>(skin::kSkinSlider, QString::fromLatin1(name))) {
                     s->SetRange(0, 100);
                     s->SetPos(percent);
                     s->Enable(false);
                 }
             }
         },
            [](const CSkinDialog &d, QPainter &p) {
                const QColor grey(0xb0, 0xb0, 0xb0);
                // A 32 GB card split half and half, as the panel words its figures.
                device::RecordingSums sums;
                sums.normalMb = 8021;
                sums.eventMb = 3123;
                sums.saveMb = 189;
                const device::StorageTexts texts = device::ComposeStorageTexts(
                    QStringLiteral("/media/tavin/TAVIN"), qint64(29696) << 20, qint64(12890) << 20, 5, sums);
                PaintKeyed(d, p, QStringLiteral("storage_capacity"), texts.capacity, grey);
                const char *const areas[] = { "N", "S", "A" };
                const QString use[] = { texts.useN, texts.useS, texts.useA };
                const QString total[] = { texts.totalN, texts.totalS, texts.totalA };
                for (int i = 0; i < 3; ++i) {
                    PaintKeyed(d, p, QStringLiteral("storage_use_") + QLatin1String(areas[i]), use[i], grey);
                    PaintKeyed(d, p, QStringLiteral("storage_total_") + QLatin1String(areas[i]), total[i],
                        grey, Qt::AlignRight | Qt::AlignVCenter);
                }
            } } });
    shots.push_back({ QStringLiteral("save"), QStringLiteral("save.png"),
        { [](CSkinDialog &d) {
             Disable(d, QStringLiteral("filelist_category_all"));
             if (auto *list
                 = d.Control<skin::CSkinListCtrl>(skin::kSkinListCtrl, QStringLiteral("filesave_list"))) {
                 list->SetColors(0x656565, 0x0F53EF, 0x202020, 0x202020, 0x181818);
                 FillRecordings(*list, true);
             }
         },
            [](const CSkinDialog &d, QPainter &p) {
                PaintKeyed(d, p, QStringLiteral("filesave_savepath"),
                    Sample("/home/tavin/블랙박스 백업", "/home/tavin/Dashcam backup"),
                    QColor(0xd6, 0xd6, 0xd6));
            } } });
    shots.push_back({ QStringLiteral("print"), QStringLiteral("print.png"),
        { {}, [](const CSkinDialog &d, QPainter &p) {
             const QColor text(0xd6, 0xd6, 0xd6);
             PaintKeyed(d, p, QStringLiteral("car_number"),
                 ProgramText("CPrintInputDlg", "1. 차량번호 : ") + Sample("12가 3456", "AB12 CDE"), text);
             PaintKeyed(d, p, QStringLiteral("model"),
                 ProgramText("CPrintInputDlg", "2. 차량종류 : ") + Sample("승용차", "Car"), text);
             PaintKeyed(d, p, QStringLiteral("accident_date"),
                 ProgramText("CPrintInputDlg", "3. 사고 발생날짜 : ") + QStringLiteral("2024-06-12"), text);
         } } });
    shots.push_back({ QStringLiteral("img_control"), QStringLiteral("img_control_1.png"),
        { [](CSkinDialog &d) { Disable(d, QStringLiteral("image_control_category_01")); },
            [](const CSkinDialog &d, QPainter &p) {
                QFont font(skin::fonts::kKorean);
                font.setPixelSize(13);
                p.setFont(font);
                p.setPen(kAccent);
                // As the panel paints it: the value after the label, at least 80 pixels in.
                const QString label = ProgramText("CImageControlDlg", "재생 속도 : ");
                const int valueLeft = 140 + qMax(80, p.fontMetrics().horizontalAdvance(label));
                p.drawText(QRect(140, 280, valueLeft - 140, 20), Qt::AlignLeft | Qt::AlignVCenter, label);
                p.drawText(QRect(valueLeft, 280, 140, 20), Qt::AlignLeft | Qt::AlignVCenter,
                    ProgramText("CImageControlDlg", "%1배").arg(QStringLiteral("1.25")));
                (void)d;
            } } });
    shots.push_back({ QStringLiteral("img_control"), QStringLiteral("img_control_2.png"),
        { [](CSkinDialog &d) {
             Disable(d, QStringLiteral("image_control_category_02"));
             const char *const page1[] = { "image_control_rew", "image_control_prev_frame",
                 "image_control_next", "image_control_ff", "image_control_slow", "image_control_normal",
                 "image_control_fast" };
             for (const char *name : page1)
                 Show(d, QString::fromLatin1(name), false);
             Show(d, QStringLiteral("image_control_reset"), true);
             Show(d, QStringLiteral("image_control_cat2_1_slider"), true, skin::kSkinSlider);
             if (auto *s = d.Control<skin::CBitmapSlider>(
                     skin::kSkinSlider, QStringLiteral("image_control_cat2_1_slider"))) {
                 s->SetRange(0, 100);
                 s->SetPos(62);
             }
             for (const char *name : { "image_control_cat1_bg1", "image_control_cat1_bg2" })
                 if (skin::CSkinImage *image = d.Skin().GetImage(QString::fromLatin1(name)))
                     image->visible = false;
             if (skin::CSkinImage *image = d.Skin().GetImage(QStringLiteral("image_control_cat2_bg1")))
                 image->visible = true;
             d.update();
         },
            {} } });
    for (int page = 1; page <= 7; ++page)
        shots.push_back({ QStringLiteral("bbsetting"), QStringLiteral("bbsetting_%1.png").arg(page),
            { [page](CSkinDialog &d) { ShowSettingsPage(d, page); },
                [page](const CSkinDialog &d, QPainter &p) { PaintSettingsPage(d, p, page); } } });

    for (const Shot &shot : shots) {
        if (!Shoot(shot.entry, shot.file, shot.scene, outDir, written, error))
            return false;
    }
    return true;
}

} // namespace skinart
