#pragma once

#include <QColor>

// The default skin's palette and icon codepoints. One dark look for every window: near-black
// surfaces, one blue accent (the colour of the time display), muted grey text and filled
// Material icons.

namespace skinart {

namespace colour {
    inline const QColor window { 0x12, 0x12, 0x12 }; // main window body
    inline const QColor titleBar { 0x1a, 0x1a, 0x1a }; // title bars of every window
    inline const QColor panel { 0x16, 0x16, 0x16 }; // body of tool panels and menus
    inline const QColor card { 0x1e, 0x1e, 0x1e }; // rows and cards inside panels
    inline const QColor well { 0x17, 0x17, 0x17 }; // fields that the program paints text into
    inline const QColor videoWell { 0x0a, 0x0a, 0x0a }; // behind the video windows
    inline const QColor line { 0x2a, 0x2a, 0x2a }; // separators
    inline const QColor plateHover { 0x2a, 0x2a, 0x2a };
    inline const QColor plateDown { 0x1c, 0x30, 0x44 };
    inline const QColor plateSelected { 0x17, 0x33, 0x4f };
    inline const QColor accent { 0x3f, 0xa6, 0xfe };
    inline const QColor accentLight { 0x6c, 0xbb, 0xff };
    inline const QColor accentDark { 0x2a, 0x84, 0xd4 };
    inline const QColor onAccent { 0x08, 0x14, 0x20 }; // text and icons on an accent fill
    inline const QColor icon { 0xbd, 0xbd, 0xbd };
    inline const QColor iconBright { 0xff, 0xff, 0xff };
    inline const QColor iconDisabled { 0x4a, 0x4a, 0x4a };
    inline const QColor text { 0xd6, 0xd6, 0xd6 };
    inline const QColor textMuted { 0x8c, 0x8c, 0x8c };
    inline const QColor danger { 0xc4, 0x2b, 0x1c };
    inline const QColor track { 0x3a, 0x3a, 0x3a };
    inline const QColor key { 0xff, 0x00, 0xff }; // cut out by the skin engine
    inline const QColor gaugeNormal { 0x3f, 0xa6, 0xfe };
    inline const QColor gaugeEvent { 0xff, 0xb3, 0x47 };
    inline const QColor gaugeArchive { 0x4c, 0xd9, 0x7b };
} // namespace colour

// Codepoints of the Material Icons font (filled style).
namespace icon {
    constexpr char16_t accessTime = 0xe192;
    constexpr char16_t alarm = 0xe855;
    constexpr char16_t arrowDown = 0xe5db;
    constexpr char16_t arrowUp = 0xe5d8;
    constexpr char16_t arrowDropDown = 0xe5c5;
    constexpr char16_t backup = 0xe864;
    constexpr char16_t batteryAlert = 0xe19c;
    constexpr char16_t brightness = 0xe3ab;
    constexpr char16_t build = 0xe869;
    constexpr char16_t close = 0xe5cd;
    constexpr char16_t cloudOff = 0xe2c1;
    constexpr char16_t dateRange = 0xe916;
    constexpr char16_t deleteForever = 0xe92b;
    constexpr char16_t exitToApp = 0xe879;
    constexpr char16_t fastForward = 0xe01f;
    constexpr char16_t fastRewind = 0xe020;
    constexpr char16_t folderOpen = 0xe2c8;
    constexpr char16_t forward5 = 0xe058;
    constexpr char16_t fullscreen = 0xe5d0;
    constexpr char16_t gpsOff = 0xe1b5;
    constexpr char16_t info = 0xe88e;
    constexpr char16_t keyboardDown = 0xe313;
    constexpr char16_t keyboardUp = 0xe316;
    constexpr char16_t locationOff = 0xe0c7;
    constexpr char16_t map = 0xe55b;
    constexpr char16_t memory = 0xe322;
    constexpr char16_t menu = 0xe5d2;
    constexpr char16_t pause = 0xe034;
    constexpr char16_t photoCamera = 0xe412;
    constexpr char16_t playArrow = 0xe037;
    constexpr char16_t print = 0xe8ad;
    constexpr char16_t recordVoice = 0xe91f;
    constexpr char16_t refresh = 0xe5d5;
    constexpr char16_t remove = 0xe15b;
    constexpr char16_t repeat = 0xe040;
    constexpr char16_t repeatOne = 0xe041;
    constexpr char16_t replay5 = 0xe05b;
    constexpr char16_t save = 0xe161;
    constexpr char16_t sdCard = 0xe623;
    constexpr char16_t settings = 0xe8b8;
    constexpr char16_t skipNext = 0xe044;
    constexpr char16_t skipPrevious = 0xe045;
    constexpr char16_t speed = 0xe9e4;
    constexpr char16_t stop = 0xe047;
    constexpr char16_t storage = 0xe1db;
    constexpr char16_t swapHoriz = 0xe8d4;
    constexpr char16_t systemUpdate = 0xe62a;
    constexpr char16_t tune = 0xe429;
    constexpr char16_t tv = 0xe333;
    constexpr char16_t vibration = 0xe62d;
    constexpr char16_t videocam = 0xe04b;
    constexpr char16_t videocamOff = 0xe04c;
    constexpr char16_t viewQuilt = 0xe8f1;
    constexpr char16_t volumeOff = 0xe04f;
    constexpr char16_t volumeUp = 0xe050;
    constexpr char16_t wifiOff = 0xe648;
    constexpr char16_t crop169 = 0xe3bc;
    constexpr char16_t pictureInPicture = 0xe8aa;
    constexpr char16_t checkBox = 0xe834;
    constexpr char16_t checkBoxBlank = 0xe835;
    constexpr char16_t sort = 0xe164;
    constexpr char16_t restore = 0xe8b3;
    constexpr char16_t minimize = 0xe931;
    constexpr char16_t check = 0xe5ca;
    constexpr char16_t settingsBackupRestore = 0xe8ba;
    constexpr char16_t movie = 0xe02c;
    constexpr char16_t viewSidebar = 0xf114;
    constexpr char16_t viewColumn = 0xe8ec;
    constexpr char16_t aspectRatio = 0xe85b;
    constexpr char16_t webAsset = 0xe069;
    constexpr char16_t sdStorage = 0xe1c2;
    constexpr char16_t timer = 0xe425;
    constexpr char16_t brightnessHigh = 0xe3ac;
    constexpr char16_t brightnessLow = 0xe3a9;
    constexpr char16_t restartAlt = 0xf053;
    constexpr char16_t history = 0xe889;
    constexpr char16_t thermostat = 0xf076;
    constexpr char16_t mic = 0xe029;
    constexpr char16_t notifications = 0xe7f4;
    constexpr char16_t navigateBefore = 0xe408;
    constexpr char16_t navigateNext = 0xe409;
    constexpr char16_t firstPage = 0xe5dc;
    constexpr char16_t lastPage = 0xe5dd;
    constexpr char16_t directionsCar = 0xe531;
    constexpr char16_t viewList = 0xe8ef;
} // namespace icon

} // namespace skinart
