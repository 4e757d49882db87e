#include "DefaultSkinNames.h"

namespace skin_default {

namespace {

    constexpr int kButton = 0;
    constexpr int kList = 4;
    constexpr int kSpeed = 5;
    constexpr int kSlider = 6;
    constexpr int kMap = 7;
    constexpr int kGraph = 8;
    constexpr int kCombo = 14;

    void add(std::vector<ExpectedItem> &items, int kind, const QStringList &names)
    {
        for (const QString &name : names)
            items.push_back({ name, kind });
    }

    std::vector<ExpectedItem> mainWindow()
    {
        std::vector<ExpectedItem> items;
        add(items, kButton,
            { "title_map", "title_logo", "title_tool", "close", "minimize", "stop", "prev_file", "next_file",
                "rew_10", "rew_step", "forw_step", "forw_10", "play", "pause", "open", "sound_on",
                "sound_off", "s_view", "l_view", "f_view", "reset", "r_bright", "r_volume", "r_speed",
                "filelist_category_all", "filelist_category_normal", "filelist_category_event",
                "filelist_category_user", "filelist_category_arch", "sort_new", "sort_old", "change_view",
                "repeat_1", "repeat_all", "main_image_setting", "speed_on", "speed_off" });
        add(items, kSlider, { "play_slider", "vol_slider" });
        add(items, kList, { "file_list" });
        add(items, kGraph, { "gsensor" });
        add(items, kSpeed, { "speed" });
        // The recording library's extensions and the capture dialog's filter and default extension.
        add(items, kText, { "title", "video_ext", "video_ext2", "capture_filter", "capture_ext" });
        // The title bar drags the window; the time display's place for the painted time.
        add(items, kArea, { "drag", "time_display" });
        return items;
    }

    std::vector<ExpectedItem> settingsPanel()
    {
        std::vector<ExpectedItem> items;
        add(items, kButton,
            { "BB_menu_sensor", "BB_menu_display", "BB_menu_audio", "BB_menu_block", "BB_menu_memory",
                "BB_menu_date", "BB_menu_info", "BB_ok", "BB_cancel", "BB_reset", "BB_info_update_check" });
        const auto options = [&items](const QString &prefix, const QStringList &suffixes) {
            for (const QString &suffix : suffixes)
                items.push_back({ prefix + suffix, kButton });
        };
        options("BB_sensor_drive_shock_", { "low", "normal", "high" });
        options("BB_sensor_parking_shock_", { "low", "normal", "high" });
        options("BB_sensor_parking_motion_", { "low", "normal", "high" });
        options("BB_display_off_", { "15", "30", "60", "5m" });
        options("BB_display_brightness_", { "dark", "normal", "light" });
        options("BB_display_sound_record_", { "on", "off" });
        options("BB_voice_notice_", { "off", "small", "normal", "large" });
        options("BB_alarm_", { "off", "small", "normal", "large" });
        options("BB_block_volt_", { "118", "120", "122", "125" });
        options("BB_block_battery_temp_", { "70", "75", "80" });
        options("BB_block_run_temp_", { "55", "50", "45" });
        options("BB_memory_noti_", { "off", "15", "30" });
        for (const QString field : { "year", "month", "day", "hour", "min", "sec" }) {
            items.push_back({ "BB_date_" + field + "_up", kButton });
            items.push_back({ "BB_date_" + field + "_down", kButton });
            items.push_back({ "BB_date_" + field, kText });
        }
        add(items, kSlider, { "BB_memory_rate_slider" });
        add(items, kText,
            { "title", "BB_memory_rate_N", "BB_memory_rate_S", "BB_info_name", "BB_info_fw",
                "BB_info_micom" });
        return items;
    }

    std::vector<ExpectedItem> storagePanel()
    {
        std::vector<ExpectedItem> items;
        add(items, kCombo, { "storage_combobox" });
        add(items, kButton, { "storage_browse", "storage_format", "storage_backup", "close" });
        add(items, kSlider, { "storage_slider_N", "storage_slider_S", "storage_slider_A" });
        add(items, kText,
            { "title", "storage_capacity", "storage_use_N", "storage_total_N", "storage_use_S",
                "storage_total_S", "storage_use_A", "storage_total_A" });
        return items;
    }

    std::vector<ExpectedItem> savePanel()
    {
        std::vector<ExpectedItem> items;
        add(items, kList, { "filesave_list" });
        add(items, kText, { "title", "filesave_savepath" });
        add(items, kButton,
            { "filelist_category_all", "filelist_category_normal", "filelist_category_event",
                "filelist_category_user", "filelist_category_arch", "filesave_select_all",
                "filesave_deselect_all", "filesave_browse", "filesave_OK", "filesave_cancel",
                "filesave_close" });
        return items;
    }

    std::vector<ExpectedItem> imageControlPanel()
    {
        std::vector<ExpectedItem> items;
        add(items, kButton,
            { "image_control_close", "image_control_category_01", "image_control_category_02",
                "image_control_rew", "image_control_prev_frame", "image_control_next", "image_control_ff",
                "image_control_slow", "image_control_normal", "image_control_fast", "image_control_reset" });
        add(items, kSlider, { "image_control_cat2_1_slider" });
        add(items, kImage, { "image_control_cat1_bg1", "image_control_cat1_bg2", "image_control_cat2_bg1" });
        add(items, kText, { "title" });
        return items;
    }

    std::vector<ExpectedItem> menu(const QStringList &buttons)
    {
        std::vector<ExpectedItem> items;
        add(items, kButton, buttons);
        add(items, kText, { "title" });
        return items;
    }

} // namespace

const std::vector<ExpectedWindow> &ExpectedWindows()
{
    static const std::vector<ExpectedWindow> windows = {
        { "main_small", mainWindow() },
        { "main_large", mainWindow() },
        { "main_full", mainWindow() },
        { "map", { { "trace_map", kMap }, { "close", kButton }, { "title", kText }, { "drag", kArea } } },
        { "tool_menu",
            menu({ "tool_menu_close", "tool_menu_print", "tool_menu_capture", "tool_menu_screen_setting",
                "tool_menu_drive", "tool_menu_save", "tool_menu_bb_setting" }) },
        { "title_menu",
            menu({ "menu_file_open", "menu_file_save", "menu_storage_setting", "menu_BB_setting", "menu_info",
                "menu_close" }) },
        { "storage", storagePanel() },
        { "save", savePanel() },
        { "bbsetting", settingsPanel() },
        { "img_control", imageControlPanel() },
        { "print",
            { { "print_ok", kButton }, { "print_cancel", kButton }, { "print_close", kButton },
                { "car_number", kText }, { "model", kText }, { "accident_date", kText },
                { "title", kText } } },
        { "setup", { { "title", kText } } },
    };
    return windows;
}

const QStringList &MessageTextKeys()
{
    static const QStringList keys = { "app_title", "err_title", "error_title", "warning_title", "no_card",
        "invalid_video", "error_write", "format_warning", "default_error", "error_capture" };
    return keys;
}

} // namespace skin_default
