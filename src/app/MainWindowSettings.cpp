#include "app/MainWindowSettings.h"

#include "app/CAppRegistry.h"

void MainWindowSettings::BindTo(CAppRegistry &registry)
{
    registry.BindValue(QStringLiteral("\\Model"), &model);
    registry.BindValue(QStringLiteral("\\Skin"), &skin);
    registry.BindValue(QStringLiteral("\\Version"), &version);
    registry.BindValue(QStringLiteral("\\LastOpen"), &lastOpen);
    registry.BindValue(QStringLiteral("\\Xml\\Small"), &xmlSmall);
    registry.BindValue(QStringLiteral("\\Xml\\Large"), &xmlLarge);
    registry.BindValue(QStringLiteral("\\Xml\\Full"), &xmlFull);
    registry.BindValue(QStringLiteral("\\Xml\\Setup"), &xmlSetup);
    registry.BindValue(QStringLiteral("\\Xml\\Map"), &xmlMap);
    registry.BindValue(QStringLiteral("\\Xml\\Tool"), &xmlTool);
    registry.BindValue(QStringLiteral("\\Xml\\Title"), &xmlTitle);
    registry.BindValue(QStringLiteral("\\Xml\\Storage"), &xmlStorage);
    registry.BindValue(QStringLiteral("\\Xml\\Save"), &xmlSave);
    registry.BindValue(QStringLiteral("\\Xml\\BBSetting"), &xmlBBSetting);
    registry.BindValue(QStringLiteral("\\Xml\\ImgControl"), &xmlImgControl);
    registry.BindValue(QStringLiteral("\\Xml\\Print"), &xmlPrint);
    registry.BindValue(QStringLiteral("\\Config\\Volume"), &volume);
    registry.BindValue(QStringLiteral("\\Config\\Brightness"), &brightness);
    registry.BindValue(QStringLiteral("\\Config\\SpeedUnit"), &speedUnit);
    registry.BindValue(QStringLiteral("\\Config\\Language"), &language);
}
