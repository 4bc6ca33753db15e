#pragma once

#include <QString>

#include <utility>
#include <variant>

namespace lumeria {

// Why the command line or an automation file was refused, as the one line the
// user reads on standard error before the player exits.
struct ParseError {
    QString message;
};

// Like Result<T>, but what goes wrong here is the user's typing, so the error
// is a sentence rather than one of the runtime's numeric codes.
template <class T>
class [[nodiscard]] ParseResult {
public:
    ParseResult(T value) : m_state(std::move(value)) {}
    ParseResult(ParseError error) : m_state(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(m_state); }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<T>(m_state); }
    const T& value() const& { return std::get<T>(m_state); }
    T&& value() && { return std::get<T>(std::move(m_state)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    QString error() const { return ok() ? QString() : std::get<ParseError>(m_state).message; }

private:
    std::variant<T, ParseError> m_state;
};

} // namespace lumeria
