#pragma once

#include <QString>

class CAppRegistry;

// The main window's persistent variables. The starting values below stay in force when
// the settings layout does not declare a value.
struct MainWindowSettings {
    QString model;
    QString skin; // skin pack file name, beside the program
    QString version;
    QString lastOpen; // folder last listed

    // Skin entry names of the windows.
    QString xmlSmall;
    QString xmlLarge;
    QString xmlFull;
    QString xmlSetup;
    QString xmlMap;
    QString xmlTool;
    QString xmlTitle;
    QString xmlStorage;
    QString xmlSave;
    QString xmlBBSetting;
    QString xmlImgControl;
    QString xmlPrint;

    int volume = 50; // 0..100
    int brightness = 0; // brightness step
    int speedUnit = 0; // 0 km/h, otherwise mph
    QString language; // "ko", "en", or empty: the desktop's language

    // Binds every variable to its value, in the fixed order; each reads its value at once.
    void BindTo(CAppRegistry &registry);
};
