#include "hyperlink/objects.h"

#include <cmath>
#include <limits>
#include <optional>

namespace {

bool is_numeric(const QVariant& v)
{
    switch (v.metaType().id()) {
    case QMetaType::Bool:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::UChar:
    case QMetaType::SChar:
    case QMetaType::Char:
    case QMetaType::Float:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

double numeric_value(const QVariant& v)
{
    if (v.metaType().id() == QMetaType::Bool)
        return v.toBool() ? -1 : 0;
    return v.toDouble();
}

std::optional<double> as_number(const QVariant& v)
{
    if (is_numeric(v))
        return numeric_value(v);
    if (v.metaType().id() == QMetaType::QString) {
        bool ok = false;
        const double d = v.toString().trimmed().toDouble(&ok);
        if (ok)
            return d;
    }
    return std::nullopt;
}

[[noreturn]] void mismatch()
{
    throw ControlError(control_errors::type_mismatch, QStringLiteral("Type mismatch"));
}

qint64 whole_in_range(const QVariant& v, qint64 lo, qint64 hi)
{
    const std::optional<double> d = as_number(v);
    if (!d)
        mismatch();
    const double r = std::nearbyint(*d);
    if (!std::isfinite(r) || r < double(lo) || r > double(hi))
        throw ControlError(control_errors::overflow, QStringLiteral("Overflow"));
    return qint64(r);
}

} // namespace

bool variants_equal(const QVariant& a, const QVariant& b)
{
    const bool a_font = a.metaType() == QMetaType::fromType<FontRef>();
    const bool b_font = b.metaType() == QMetaType::fromType<FontRef>();
    const bool a_obj = a.metaType() == QMetaType::fromType<ObjectRef>();
    const bool b_obj = b.metaType() == QMetaType::fromType<ObjectRef>();
    if (a_font || b_font)
        return a_font && b_font && a.value<FontRef>() == b.value<FontRef>();
    if (a_obj || b_obj)
        return a_obj && b_obj && a.value<ObjectRef>() == b.value<ObjectRef>();
    if (is_numeric(a) && is_numeric(b))
        return numeric_value(a) == numeric_value(b);
    if (!a.isValid() || !b.isValid())
        return a.isValid() == b.isValid();
    return false;
}

qint32 to_long(const QVariant& v)
{
    return qint32(
        whole_in_range(v, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
}

qint16 to_integer(const QVariant& v)
{
    return qint16(
        whole_in_range(v, std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max()));
}

bool to_boolean(const QVariant& v)
{
    if (v.metaType().id() == QMetaType::QString) {
        const QString t = v.toString().trimmed();
        if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
    }
    const std::optional<double> d = as_number(v);
    if (!d)
        mismatch();
    return *d != 0;
}

FontRef to_font(const QVariant& v)
{
    // An empty reference of either kind is no font; any other object or value is a mismatch.
    if (v.metaType() == QMetaType::fromType<ObjectRef>() && !v.value<ObjectRef>())
        return {};
    if (v.metaType() != QMetaType::fromType<FontRef>())
        mismatch();
    return v.value<FontRef>();
}

ObjectRef to_control(const QVariant& v)
{
    if (v.metaType() == QMetaType::fromType<FontRef>() && !v.value<FontRef>())
        return {};
    if (v.metaType() != QMetaType::fromType<ObjectRef>())
        mismatch();
    return v.value<ObjectRef>();
}
