#pragma once

#include "platform/textid.h"

#include <QByteArray>
#include <QString>

#include <concepts>
#include <initializer_list>
#include <variant>

// One argument of a text: a string, a whole number or a fraction. Byte strings are UTF-8.
class TextArg
{
public:
    TextArg(const QString &text) : value_(text) {}
    TextArg(const QByteArray &bytes) : value_(QString::fromUtf8(bytes)) {}
    TextArg(const char *utf8) : value_(QString::fromUtf8(utf8)) {}
    template <std::integral T>
        requires(!std::same_as<T, bool> && !std::same_as<T, char>)
    TextArg(T number) : value_(static_cast<long long>(number))
    {
    }
    TextArg(double number) : value_(number) {}

    using Value = std::variant<QString, long long, double>;
    [[nodiscard]] const Value &value() const { return value_; }

private:
    Value value_;
};

// The text of `id` in the user's language (English where the other table lacks it).
[[nodiscard]] QString loadText(TextId id);

// Puts the arguments into the text's printf-style conversions in order (%s, %d, %u, %ld, %.2f,
// ...). The argument's kind is checked against the conversion instead of trusting a varargs list:
// a string where a number belongs, or a missing argument, is reported and shown as it is or left
// empty, never read as another type.
[[nodiscard]] QString formatText(const QString &format, std::initializer_list<TextArg> args);

template <typename... Args>
[[nodiscard]] QString formatText(TextId id, const Args &...args)
{
    return formatText(loadText(id), {TextArg(args)...});
}
