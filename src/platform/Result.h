#pragma once

#include <QString>

#include <utility>
#include <variant>

namespace lumeria {

// A runtime error code (the I/O codes of IoError.h, or a player status) carried
// across a module boundary in place of a value.
struct Failure {
    int code;
};

// The value of a fallible call, or the numeric code the reader will eventually
// see a message for. Kept deliberately small: C++20 has no std::expected.
template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : m_state(std::move(value)) {}
    Result(Failure failure) : m_state(failure) {}

    bool ok() const { return std::holds_alternative<T>(m_state); }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<T>(m_state); }
    const T& value() const& { return std::get<T>(m_state); }
    T&& value() && { return std::get<T>(std::move(m_state)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    int error() const { return ok() ? 0 : std::get<Failure>(m_state).code; }

private:
    std::variant<T, Failure> m_state;
};

// The outcome of a call that returns nothing the caller needs: done, or why
// not, as the sentence the user reads.
class [[nodiscard]] Status {
public:
    Status() = default;
    static Status failed(QString why) { return Status(std::move(why)); }

    bool ok() const { return m_error.isEmpty(); }
    explicit operator bool() const { return ok(); }
    const QString& error() const { return m_error; }

private:
    explicit Status(QString why) : m_error(why.isEmpty() ? QStringLiteral("failed") : std::move(why)) {}

    QString m_error;
};

} // namespace lumeria
