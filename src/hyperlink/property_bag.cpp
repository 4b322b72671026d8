#include "hyperlink/property_bag.h"

#include "hyperlink/objects.h"

qsizetype PropertyBag::find(const QString& key) const
{
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].first.compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QVariant PropertyBag::ReadProperty(const QString& key, const QVariant& defaultValue)
{
    const qsizetype i = find(key);
    return i < 0 ? defaultValue : m_entries[i].second;
}

void PropertyBag::WriteProperty(
    const QString& key, const QVariant& value, const QVariant& defaultValue)
{
    const qsizetype i = find(key);
    if (variants_equal(value, defaultValue)) {
        if (i >= 0)
            m_entries.removeAt(i);
        return;
    }
    set(key, value);
}

void PropertyBag::set(const QString& key, const QVariant& value)
{
    const qsizetype i = find(key);
    if (i >= 0)
        m_entries[i].second = value;
    else
        m_entries.append({ key, value });
}

QStringList PropertyBag::keys() const
{
    QStringList k;
    for (const auto& e : m_entries)
        k << e.first;
    return k;
}
