#include "views/ViewControlFactories.h"

#include "skin/SkinAttributes.h"
#include "skin/SkinBitmap.h"
#include "skin/SkinRuntime.h"
#include "skin/core/SkinXml.h"
#include "views/CGSensorGraph.h"

namespace {

struct Strip {
    QImage image;
    int width = 0;
    int height = 0;
};

Strip ReadStrip(const skin::SkinXmlNode *part, const skin::SkinRuntime &runtime, ColorRef transColour)
{
    Strip strip;
    if (!part)
        return strip;
    strip.width = skin::attr::Int(*part, QStringLiteral("width"));
    strip.height = skin::attr::Int(*part, QStringLiteral("height"));
    const QString src = skin::attr::Text(*part, QStringLiteral("src"));
    if (src.isEmpty())
        return strip;
    const skin::SkinBitmap bitmap = skin::SkinBitmap::Load(runtime.ResolvePath(src));
    // The engine cuts the transparent colour in the file's own pixel format, which an exact
    // 8-bit comparison would miss for 16-bit files.
    if (!bitmap.IsNull())
        strip.image = bitmap.Masked(transColour);
    return strip;
}

QWidget *HiddenChild(QWidget *widget, const skin::SkinControlContext &context)
{
    widget->setObjectName(context.name);
    widget->hide();
    return widget;
}

} // namespace

SpeedCtrlConfig ReadSpeedCtrlConfig(const skin::SkinXmlNode &element, const skin::SkinRuntime &runtime)
{
    SpeedCtrlConfig config;
    config.background = skin::attr::Color(element, QStringLiteral("backcolor"), 0);
    config.transColour = skin::attr::Color(element, QStringLiteral("transcolor"), skin::kDefaultTransColor);
    const Strip digits = ReadStrip(element.GetChild(QStringLiteral("number")), runtime, config.transColour);
    config.digitImage = digits.image;
    config.digitWidth = digits.width;
    config.digitHeight = digits.height;
    const Strip units = ReadStrip(element.GetChild(QStringLiteral("unit")), runtime, config.transColour);
    config.unitImage = units.image;
    config.unitWidth = units.width;
    config.unitHeight = units.height;
    return config;
}

void RegisterViewControlFactories(skin::SkinRuntime &runtime)
{
    skin::SkinControlFactory speed;
    speed.create = [](const skin::SkinControlContext &context) -> QWidget * {
        return HiddenChild(new CSpeedCtrl(context.dialog), context);
    };
    speed.configure = [](QWidget *widget, const skin::SkinControlContext &context) {
        if (auto *gauge = qobject_cast<CSpeedCtrl *>(widget))
            gauge->Configure(ReadSpeedCtrlConfig(context.element, context.runtime));
    };
    runtime.RegisterControlFactory(skin::kSkinSpeed, std::move(speed));

    // A graph element carries no settings: the main window sets its colours, range and duration.
    skin::SkinControlFactory graph;
    graph.create = [](const skin::SkinControlContext &context) -> QWidget * {
        return HiddenChild(new CGSensorGraph(context.dialog), context);
    };
    graph.configure = [](QWidget *, const skin::SkinControlContext &) {};
    runtime.RegisterControlFactory(skin::kSkinGraph, std::move(graph));
}
