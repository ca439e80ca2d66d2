#pragma once

#include <string>

// A printf-style formatted text (about 256 characters), kept as a string.
class CFormat
{
public:
    static constexpr unsigned int BufferLength = 256;

    CFormat() = default;
    explicit CFormat(char const* format, ...) __attribute__((format(printf, 2, 3)));

    void Set(char const* format, ...) __attribute__((format(printf, 2, 3)));
    std::string const& GetString() const { return m_text; }
    operator std::string const&() const { return m_text; }

private:
    void SetV(char const* format, __builtin_va_list args);

    std::string m_text;
};
