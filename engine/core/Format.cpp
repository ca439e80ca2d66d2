#include "core/Format.h"

#include <cstdarg>
#include <cstdio>

CFormat::CFormat(char const* format, ...)
{
    va_list args;
    va_start(args, format);
    SetV(format, args);
    va_end(args);
}

void CFormat::Set(char const* format, ...)
{
    va_list args;
    va_start(args, format);
    SetV(format, args);
    va_end(args);
}

void CFormat::SetV(char const* format, va_list args)
{
    char buffer[BufferLength];
    std::vsnprintf(buffer, sizeof(buffer), format ? format : "", args);
    m_text = buffer;
}
