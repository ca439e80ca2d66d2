#include "core/ConfigLine.h"

namespace
{
bool IsWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDoubleBackslash(char const* at)
{
    return at[0] == '\\' && at[1] == '\\';
}

bool IsValueSeparator(char const* at)
{
    return IsWhiteSpace(*at) || IsDoubleBackslash(at);
}

void SkipValueSeparator(char const*& at)
{
    at += IsDoubleBackslash(at) ? 2 : 1;
}

char ToLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
} // namespace

SConfigLine SConfigLine::Parse(char const* text)
{
    SConfigLine line;
    if (!text)
        return line;

    char const* at = text;
    while (IsWhiteSpace(*at))
        ++at;
    if (*at == '\0')
        return line;
    line.empty = false;

    while (IsWhiteSpace(*at) || *at == '\\')
        ++at;
    while (*at != '\0' && !IsWhiteSpace(*at) && *at != '\\')
        line.name.push_back(ToLower(*at++));

    while (*at != '\0' && IsValueSeparator(at))
        SkipValueSeparator(at);
    while (*at != '\0' && !IsValueSeparator(at))
        line.value.push_back(*at++);
    line.hasValue = !line.value.empty();
    return line;
}
