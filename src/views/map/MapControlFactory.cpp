#include "views/map/MapControlFactory.h"

#include "skin/SkinAttributes.h"
#include "skin/SkinRuntime.h"
#include "skin/core/SkinXml.h"
#include "views/ViewsLog.h"
#include "views/map/CMapCtrl.h"

#include <QRegularExpression>

namespace {

bool LooksLikeUrl(const QString &source)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    return scheme.match(source).hasMatch() || source.startsWith(QLatin1String("about:"), Qt::CaseInsensitive);
}

void Configure(CMapCtrl *map, const skin::SkinControlContext &context)
{
    const skin::SkinXmlNode &element = context.element;
    map->SetDrawLine(skin::attr::Bool(element, QStringLiteral("drawline")));
    for (const skin::SkinXmlNode *image : element.GetChildren(QStringLiteral("image"))) {
        const QString kind = skin::attr::Text(*image, QStringLiteral("type"));
        int index = CMapCtrl::kImageBackground;
        if (kind == QLatin1String("noconnect"))
            index = CMapCtrl::kImageNoConnect;
        else if (kind == QLatin1String("nogps"))
            index = CMapCtrl::kImageNoGps;
        map->SetImage(index, context.runtime.ResolvePath(skin::attr::Text(*image, QStringLiteral("src"))));
    }
    const QString source = skin::attr::Text(element, QStringLiteral("src"));
    if (source.isEmpty())
        return;
    if (LooksLikeUrl(source)) {
        map->SetURL(source);
        return;
    }
    QString page;
    if (context.runtime.FindPageText(source, &page))
        map->SetHTML(page);
    else
        qCWarning(lcViews) << "the skin has no map page named" << source;
}

} // namespace

void RegisterMapControlFactory(skin::SkinRuntime &runtime)
{
    skin::SkinControlFactory factory;
    factory.create = [](const skin::SkinControlContext &context) -> QWidget * {
        auto *map = new CMapCtrl(context.dialog);
        map->setObjectName(context.name);
        map->hide();
        return map;
    };
    factory.configure = [](QWidget *widget, const skin::SkinControlContext &context) {
        if (auto *map = qobject_cast<CMapCtrl *>(widget))
            Configure(map, context);
    };
    runtime.RegisterControlFactory(skin::kSkinMap, std::move(factory));
}
