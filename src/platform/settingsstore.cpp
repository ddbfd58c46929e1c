#include "platform/settingsstore.h"

namespace platform {

QString normalizedKeyPath(const QString &path)
{
    QString p = path;
    while (p.startsWith(QLatin1Char('\\')))
        p.remove(0, 1);
    return p.toLower();
}

namespace {

class MemoryKey : public SettingsKey
{
public:
    explicit MemoryKey(QHash<QString, RegValue> values) : m_values(std::move(values)) {}
    RegValue value(const QString &name) const override
    {
        return m_values.value(name.toLower(), RegValue{});
    }

private:
    QHash<QString, RegValue> m_values;
};

} // namespace

void MemorySettingsStore::addKey(RegRoot root, const QString &key)
{
    m_keys[int(root)][normalizedKeyPath(key)];
}

void MemorySettingsStore::setValue(RegRoot root, const QString &key, const QString &name,
                                   const QString &text, RegType type)
{
    m_keys[int(root)][normalizedKeyPath(key)][name.toLower()] =
        RegValue{RegValue::Status::Ok, type, text};
}

void MemorySettingsStore::setFailing(RegRoot root, const QString &key, const QString &name)
{
    m_keys[int(root)][normalizedKeyPath(key)][name.toLower()] =
        RegValue{RegValue::Status::FetchFailed, RegType::REG_SZ, {}};
}

std::unique_ptr<SettingsKey> MemorySettingsStore::openKey(RegRoot root, const QString &path) const
{
    const QString p = normalizedKeyPath(path);
    if (p.isEmpty())
        return std::make_unique<MemoryKey>(QHash<QString, RegValue>{});
    auto it = m_keys[int(root)].constFind(p);
    if (it == m_keys[int(root)].constEnd())
        return nullptr;
    return std::make_unique<MemoryKey>(*it);
}

} // namespace platform
