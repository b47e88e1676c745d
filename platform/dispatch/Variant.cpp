#include "platform/dispatch/Variant.h"

#include <cmath>

namespace platform {

bool Variant::toBool() const
{
    switch (m_type) {
    case Type::Bool:
        return m_bool;
    case Type::Int:
        return m_int != 0;
    case Type::Double:
        return m_double != 0;
    case Type::String:
        return m_string.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || m_string.toDouble() != 0;
    case Type::Object:
        return m_object != nullptr;
    default:
        return false;
    }
}

std::int32_t Variant::toInt() const
{
    switch (m_type) {
    case Type::Bool:
        return m_bool ? -1 : 0; // automation's True
    case Type::Int:
        return m_int;
    case Type::Double:
        if (!std::isfinite(m_double) || m_double >= 2147483647.5 || m_double < -2147483648.5)
            return 0;
        return static_cast<std::int32_t>(std::lround(m_double));
    case Type::String: {
        bool ok = false;
        const std::int32_t value = m_string.trimmed().toInt(&ok);
        return ok ? value : Variant(m_string.trimmed().toDouble()).toInt();
    }
    default:
        return 0;
    }
}

double Variant::toDouble() const
{
    switch (m_type) {
    case Type::Bool:
        return m_bool ? -1 : 0;
    case Type::Int:
        return m_int;
    case Type::Double:
        return m_double;
    case Type::String:
        return m_string.trimmed().toDouble();
    default:
        return 0;
    }
}

QString Variant::toString() const
{
    switch (m_type) {
    case Type::Bool:
        return m_bool ? QStringLiteral("True") : QStringLiteral("False");
    case Type::Int:
        return QString::number(m_int);
    case Type::Double:
        return QString::number(m_double, 'g', 15);
    case Type::String:
        return m_string;
    default:
        return QString();
    }
}

bool Variant::operator==(const Variant& other) const
{
    if (m_type != other.m_type)
        return false;
    switch (m_type) {
    case Type::Empty:
        return true;
    case Type::Bool:
        return m_bool == other.m_bool;
    case Type::Int:
        return m_int == other.m_int;
    case Type::Double:
        return m_double == other.m_double;
    case Type::String:
        return m_string == other.m_string;
    case Type::Object:
        return m_object == other.m_object;
    case Type::Array:
        return m_array == other.m_array;
    }
    return false;
}

} // namespace platform
