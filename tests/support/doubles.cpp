#include "doubles.h"

namespace testsupport {
namespace {

using platform::RegValue;

class MemoryKey : public platform::SettingsKey
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

void MemorySettingsStore::addKey(platform::RegRoot root, const QString &key)
{
    m_keys[int(root)][platform::normalizedKeyPath(key)];
}

void MemorySettingsStore::setValue(platform::RegRoot root, const QString &key, const QString &name,
                                   const QString &text, platform::RegType type)
{
    m_keys[int(root)][platform::normalizedKeyPath(key)][name.toLower()] =
        RegValue{RegValue::Status::Ok, type, text};
}

void MemorySettingsStore::setFailing(platform::RegRoot root, const QString &key,
                                     const QString &name)
{
    m_keys[int(root)][platform::normalizedKeyPath(key)][name.toLower()] =
        RegValue{RegValue::Status::FetchFailed, platform::RegType::REG_SZ, {}};
}

std::unique_ptr<platform::SettingsKey> MemorySettingsStore::openKey(platform::RegRoot root,
                                                                    const QString &path) const
{
    const QString p = platform::normalizedKeyPath(path);
    if (p.isEmpty())
        return std::make_unique<MemoryKey>(QHash<QString, RegValue>{});
    auto it = m_keys[int(root)].constFind(p);
    if (it == m_keys[int(root)].constEnd())
        return nullptr;
    return std::make_unique<MemoryKey>(*it);
}

} // namespace testsupport
