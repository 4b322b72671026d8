#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

// The saved state of a user control: values by key, keys matched without regard to case.
// A value equal to its default is not stored.
class PropertyBag {
public:
    virtual ~PropertyBag() = default;
    virtual QVariant ReadProperty(const QString& key, const QVariant& defaultValue);
    virtual void WriteProperty(
        const QString& key, const QVariant& value, const QVariant& defaultValue);

    bool contains(const QString& key) const { return find(key) >= 0; }
    QStringList keys() const;
    // Puts a value as a saved form holds it, without the default check.
    void set(const QString& key, const QVariant& value);

private:
    qsizetype find(const QString& key) const;
    QList<QPair<QString, QVariant>> m_entries;
};
