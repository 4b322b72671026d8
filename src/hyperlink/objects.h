#pragma once

#include "platform/hyperlink.h"

#include <QMetaType>
#include <QObject>
#include <QString>
#include <QVariant>

#include <exception>
#include <memory>

// An error of a user-control operation or of its container: a number and a description.
struct ControlError : std::exception {
    ControlError(int n, QString d)
        : number(n)
        , description(std::move(d))
    {
    }
    const char* what() const noexcept override { return "control error"; }
    int number;
    QString description;
};

namespace control_errors {
constexpr int overflow = 6;
constexpr int type_mismatch = 13;
constexpr int member_not_found = 438;
} // namespace control_errors

// A font object as containers hand it out; shared, so a read hands out the stored object.
struct FontObject {
    QString Name;
    double Size = 8.25;
    int Weight = 400;
    bool Italic = false;
    bool Underline = false;
    bool Strikethrough = false;
    int Charset = 0;
};
using FontRef = std::shared_ptr<FontObject>;
// A counted reference to a control (any object); empty for none.
using ObjectRef = std::shared_ptr<QObject>;

Q_DECLARE_METATYPE(FontRef)
Q_DECLARE_METATYPE(ObjectRef)

// Equality as the property bag sees it against a default: numbers by value (a Boolean true is
// -1), objects by identity, an empty reference equals an empty reference; nothing equals a
// value that holds nothing, but another such value. No default is a text.
bool variants_equal(const QVariant& a, const QVariant& b);

// Conversions of a stored value to a property's type; throw ControlError on a type mismatch
// or an overflow.
qint32 to_long(const QVariant& v);
qint16 to_integer(const QVariant& v);
bool to_boolean(const QVariant& v);
FontRef to_font(const QVariant& v);
ObjectRef to_control(const QVariant& v);

inline QVariant integer_variant(qint16 v) { return QVariant::fromValue<qint16>(v); }
