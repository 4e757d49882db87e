#include "platform/settings_backend.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <map>

namespace platform {

namespace {

// One INI file in the form of a registry export: a section per key path, one line per
// value, names and strings in double quotes (backslash escapes), 32-bit values as
// dword:xxxxxxxx. Written whole through QSaveFile, so a crash never leaves half a file.
class IniSettingsBackend final : public SettingsBackend
{
public:
    explicit IniSettingsBackend(QString filePath) : m_filePath(std::move(filePath)) { load(); }

    bool KeyExists(const QString &keyPath) const override
    {
        const QString lower = normalise(keyPath).toLower();
        if (lower.isEmpty() || m_keys.count(lower) != 0)
            return true;
        // Parents of a stored key exist too.
        const auto below = m_keys.lower_bound(lower + QLatin1Char('\\'));
        return below != m_keys.end() && below->first.startsWith(lower + QLatin1Char('\\'));
    }

    bool CreateKey(const QString &keyPath) override
    {
        if (KeyExists(keyPath))
            return true;
        Keys changed = m_keys;
        keyFor(changed, keyPath);
        return commit(std::move(changed));
    }

    std::optional<quint32> ReadDword(const QString &keyPath, const QString &valueName) const override
    {
        const Value *value = find(keyPath, valueName);
        if (!value || !value->isDword)
            return std::nullopt;
        return value->dword;
    }

    std::optional<QString> ReadString(const QString &keyPath, const QString &valueName) const override
    {
        const Value *value = find(keyPath, valueName);
        if (!value || value->isDword)
            return std::nullopt;
        return value->text;
    }

    bool WriteDword(const QString &keyPath, const QString &valueName, quint32 dword) override
    {
        Value value{valueName, true, dword, QString()};
        return store(keyPath, value);
    }

    bool WriteString(const QString &keyPath, const QString &valueName, const QString &text) override
    {
        Value value{valueName, false, 0, text};
        return store(keyPath, value);
    }

private:
    struct Value {
        QString name;  // as first written
        bool isDword = false;
        quint32 dword = 0;
        QString text;
    };
    struct Key {
        QString path;                    // as first written
        std::map<QString, Value> values;  // by lower-cased name
    };
    using Keys = std::map<QString, Key>;  // by lower-cased path

    static QString normalise(const QString &keyPath)
    {
        qsizetype begin = 0;
        qsizetype end = keyPath.size();
        while (begin < end && keyPath[begin] == QLatin1Char('\\'))
            ++begin;
        while (end > begin && keyPath[end - 1] == QLatin1Char('\\'))
            --end;
        return keyPath.mid(begin, end - begin);
    }

    static Key &keyFor(Keys &keys, const QString &keyPath)
    {
        const QString path = normalise(keyPath);
        Key &key = keys[path.toLower()];
        if (key.path.isEmpty())
            key.path = path;
        return key;
    }

    const Value *find(const QString &keyPath, const QString &valueName) const
    {
        const auto key = m_keys.find(normalise(keyPath).toLower());
        if (key == m_keys.end())
            return nullptr;
        const auto value = key->second.values.find(valueName.toLower());
        return value == key->second.values.end() ? nullptr : &value->second;
    }

    bool store(const QString &keyPath, const Value &value)
    {
        // Most values are written back unchanged when the program ends: spare the disk.
        const Value *current = find(keyPath, value.name);
        if (current && current->isDword == value.isDword && current->dword == value.dword && current->text == value.text)
            return true;
        Keys changed = m_keys;
        Value &slot = keyFor(changed, keyPath).values[value.name.toLower()];
        const QString name = slot.name.isEmpty() ? value.name : slot.name;
        slot = value;
        slot.name = name;
        return commit(std::move(changed));
    }

    // Writes the new tree; the one in memory changes only when the file was written.
    bool commit(Keys changed)
    {
        const QFileInfo info(m_filePath);
        if (!QDir().mkpath(info.absolutePath()))
            return false;
        QSaveFile file(m_filePath);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
            return false;
        const QByteArray text = serialise(changed).toUtf8();
        if (file.write(text) != text.size() || !file.commit())
            return false;
        m_keys = std::move(changed);
        return true;
    }

    static QString quoted(const QString &text)
    {
        QString out = QStringLiteral("\"");
        for (const QChar c : text) {
            if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
                out += QLatin1Char('\\') + c;
            else if (c == QLatin1Char('\n'))
                out += QLatin1String("\\n");
            else if (c == QLatin1Char('\r'))
                out += QLatin1String("\\r");
            else
                out += c;
        }
        return out + QLatin1Char('"');
    }

    static QString serialise(const Keys &keys)
    {
        QString out = QStringLiteral("; User settings, one section per key path.\n");
        for (const auto &[lower, key] : keys) {
            out += QLatin1String("\n[") + key.path + QLatin1String("]\n");
            for (const auto &[lowerName, value] : key.values) {
                out += quoted(value.name) + QLatin1Char('=');
                if (value.isDword)
                    out += QStringLiteral("dword:%1").arg(value.dword, 8, 16, QLatin1Char('0'));
                else
                    out += quoted(value.text);
                out += QLatin1Char('\n');
            }
        }
        return out;
    }

    // Reads a quoted text at `pos`, moving past it; nothing when the quote is not closed.
    static std::optional<QString> unquote(const QString &line, qsizetype &pos)
    {
        if (pos >= line.size() || line[pos] != QLatin1Char('"'))
            return std::nullopt;
        QString out;
        for (++pos; pos < line.size(); ++pos) {
            QChar c = line[pos];
            if (c == QLatin1Char('"')) {
                ++pos;
                return out;
            }
            if (c == QLatin1Char('\\') && pos + 1 < line.size()) {
                c = line[++pos];
                if (c == QLatin1Char('n'))
                    c = QLatin1Char('\n');
                else if (c == QLatin1Char('r'))
                    c = QLatin1Char('\r');
            }
            out += c;
        }
        return std::nullopt;
    }

    // Lines that cannot be read are skipped; the rest of the file still counts.
    void load()
    {
        QFile file(m_filePath);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            return;
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        Key *current = nullptr;
        for (const QString &raw : lines) {
            const QString line = raw.trimmed();
            if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
                continue;
            if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
                current = &keyFor(m_keys, line.mid(1, line.size() - 2));
                continue;
            }
            if (!current)
                continue;
            qsizetype pos = 0;
            const std::optional<QString> name = unquote(line, pos);
            if (!name || pos >= line.size() || line[pos] != QLatin1Char('='))
                continue;
            ++pos;
            Value value{*name, false, 0, QString()};
            if (line.mid(pos).startsWith(QLatin1String("dword:"))) {
                bool ok = false;
                value.dword = line.mid(pos + 6).toUInt(&ok, 16);
                value.isDword = true;
                if (!ok)
                    continue;
            } else {
                const std::optional<QString> text = unquote(line, pos);
                if (!text)
                    continue;
                value.text = *text;
            }
            current->values[name->toLower()] = value;
        }
    }

    QString m_filePath;
    Keys m_keys;
};

} // namespace

std::unique_ptr<SettingsBackend> CreateSettingsBackend(const QString &location)
{
    QString path = location;
    if (path.isEmpty())
        path = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + QStringLiteral("/settings.ini");
    return std::make_unique<IniSettingsBackend>(path);
}

} // namespace platform
