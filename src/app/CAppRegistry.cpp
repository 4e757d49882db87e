#include "app/CAppRegistry.h"

#include "app/CRegDWORD.h"
#include "app/CRegString.h"
#include "skin/core/SkinXml.h"

#include <limits>

namespace {

const QString kSoftwareKey = QStringLiteral("Software\\");

// A layout default read as a decimal integer the way atoi does: leading blanks, a sign,
// digits up to the first other character; 0 when there are none.
int ParseDefault(const QString *text)
{
    if (!text)
        return 0;
    qsizetype i = 0;
    while (i < text->size() && (*text)[i].isSpace())
        ++i;
    bool negative = false;
    if (i < text->size() && ((*text)[i] == QLatin1Char('-') || (*text)[i] == QLatin1Char('+')))
        negative = (*text)[i++] == QLatin1Char('-');
    qint64 value = 0;
    for (; i < text->size() && (*text)[i] >= QLatin1Char('0') && (*text)[i] <= QLatin1Char('9'); ++i) {
        value = value * 10 + ((*text)[i].unicode() - u'0');
        if (value > std::numeric_limits<int>::max())
            return negative ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    }
    return static_cast<int>(negative ? -value : value);
}

} // namespace

CAppRegistry::CAppRegistry(platform::SettingsBackend *root)
    : m_root(root)
    , m_basePath(kSoftwareKey)
{
}

CAppRegistry::~CAppRegistry()
{
    Clear();
}

void CAppRegistry::Clear()
{
    // Each value writes itself back as it goes.
    for (auto &entry : m_values)
        entry.second.reset();
    m_values.clear();
}

bool CAppRegistry::LoadLayout(const QString &layoutText)
{
    Clear();
    skin::SkinXmlNode root;
    skin::SkinParseInfo info;
    root.LoadText(layoutText, &info);
    const bool hasRoot = !root.name.isEmpty();

    QString company = root.GetChildValue(QStringLiteral("company"));
    if (company.isEmpty())
        company = QStringLiteral("MyCompany");
    QString application = root.GetChildValue(QStringLiteral("appliction"));
    if (application.isEmpty())
        application = QStringLiteral("MyAppName");
    m_basePath = kSoftwareKey + company + QLatin1Char('\\') + application;

    // A layout damaged further on still yields the values read before the damage.
    if (hasRoot)
        LoadKeys(root, m_basePath);
    return hasRoot;
}

void CAppRegistry::LoadKeys(const skin::SkinXmlNode &node, const QString &path)
{
    for (const skin::SkinXmlNode *key : node.GetChildren(QStringLiteral("key"))) {
        const QString fullPath = path + QLatin1Char('\\') + key->value;
        const QString mapKey = fullPath.toLower();
        // The first declaration of a value wins; a repeated one is ignored.
        if (m_values.count(mapKey) != 0)
            continue;
        const QString *type = key->GetAttrValue(QStringLiteral("type"));
        const QString *defaultText = key->GetAttrValue(QStringLiteral("default"));
        std::unique_ptr<CRegBase> value;
        if (type && type->compare(QLatin1String("string"), Qt::CaseInsensitive) == 0)
            value = std::make_unique<CRegString>(m_root, fullPath, defaultText ? *defaultText : QString());
        else
            value = std::make_unique<CRegDWORD>(m_root, fullPath, ParseDefault(defaultText));
        m_values.emplace(mapKey, std::move(value));
    }
    for (const skin::SkinXmlNode *section : node.GetChildren(QStringLiteral("section"))) {
        const QString *name = section->GetAttrValue(QStringLiteral("name"));
        LoadKeys(*section, path + QLatin1Char('\\') + (name ? *name : QString()));
    }
}

CRegBase *CAppRegistry::FindValue(const QString &relativeName) const
{
    const auto found = m_values.find((m_basePath + relativeName).toLower());
    return found == m_values.end() ? nullptr : found->second.get();
}

bool CAppRegistry::BindValue(const QString &relativeName, int *target)
{
    CRegBase *value = FindValue(relativeName);
    return value && value->BindTo(target);
}

bool CAppRegistry::BindValue(const QString &relativeName, QString *target)
{
    CRegBase *value = FindValue(relativeName);
    return value && value->BindTo(target);
}
