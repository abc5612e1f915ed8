#pragma once

#include <QString>
#include <QtGlobal>

#include <variant>

namespace jotrak {

// A column value as the database gives it: Null, an integer or a text.
// Null is kept apart from the empty text.
class Value {
public:
    Value() = default;
    Value(int v) : v_(qint64{v}) {}
    Value(qint64 v) : v_(v) {}
    Value(QString v) : v_(std::move(v)) {}
    Value(const char*) = delete; // say QString explicitly: no silent encoding guess

    static Value Null() { return Value(); }

    bool isNull() const { return std::holds_alternative<std::monostate>(v_); }
    bool isInteger() const { return std::holds_alternative<qint64>(v_); }

    // Integer payload; a text is read by the leading-digits rule, Null gives 0.
    qint64 toInteger() const;
    int toInt() const;
    // Text payload; an integer in decimal, Null gives the empty text.
    QString toText() const;

    bool operator==(const Value&) const = default;

private:
    std::variant<std::monostate, qint64, QString> v_;
};

// The text of a value; Null reads as empty text.
QString TextFromValue(const Value& value);

} // namespace jotrak
