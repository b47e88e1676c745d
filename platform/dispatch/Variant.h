#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace platform {

class IDispatchObject;

//! A value passed to and returned by dispatch calls: empty, bool, 32-bit
//! integer, double, string, object or array of values.
class Variant {
public:
    enum class Type { Empty, Bool, Int, Double, String, Object, Array };

    Variant() = default;
    Variant(bool value) : m_type(Type::Bool), m_bool(value) { }
    Variant(std::int32_t value) : m_type(Type::Int), m_int(value) { }
    Variant(double value) : m_type(Type::Double), m_double(value) { }
    Variant(const QString& value) : m_type(Type::String), m_string(value) { }
    Variant(const char* value) : m_type(Type::String), m_string(QString::fromUtf8(value)) { }
    Variant(std::shared_ptr<IDispatchObject> value) : m_type(Type::Object), m_object(std::move(value)) { }
    Variant(std::vector<Variant> value) : m_type(Type::Array), m_array(std::move(value)) { }

    Type type() const { return m_type; }
    bool isEmpty() const { return m_type == Type::Empty; }

    //! Conversions as automation does them: numbers and text convert to each
    //! other; anything else gives the neutral value.
    bool toBool() const;
    std::int32_t toInt() const;
    double toDouble() const;
    QString toString() const;
    std::shared_ptr<IDispatchObject> toObject() const { return m_object; }
    const std::vector<Variant>& toArray() const { return m_array; }

    bool operator==(const Variant& other) const;

private:
    Type m_type = Type::Empty;
    bool m_bool = false;
    std::int32_t m_int = 0;
    double m_double = 0;
    QString m_string;
    std::shared_ptr<IDispatchObject> m_object;
    std::vector<Variant> m_array;
};

} // namespace platform
