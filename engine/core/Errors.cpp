#include "core/Errors.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

CError::CError()
{
    std::snprintf(m_text, sizeof(m_text), "%s", "Unknown file error");
}

CError::CError(char const* format, ...)
{
    va_list args;
    va_start(args, format);
    SetTextV(format, args);
    va_end(args);
}

void CError::SetText(char const* format, ...)
{
    va_list args;
    va_start(args, format);
    SetTextV(format, args);
    va_end(args);
}

void CError::SetTextV(char const* format, va_list args)
{
    std::vsnprintf(m_text, sizeof(m_text), format ? format : "", args);
}

CFatalError::CFatalError()
{
    std::snprintf(m_text, sizeof(m_text), "%s", "Unknown file FatalError");
}

CFatalError::CFatalError(char const* format, ...) : CFatalError()
{
    va_list args;
    va_start(args, format);
    SetTextV(format, args);
    va_end(args);
}

CFileError::CFileError()
{
    std::snprintf(m_text, sizeof(m_text), "%s", "Unknown file FileError");
}

CFileError::CFileError(char const* format, ...) : CFileError()
{
    va_list args;
    va_start(args, format);
    SetTextV(format, args);
    va_end(args);
}
