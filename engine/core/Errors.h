#pragma once

// The engine's only exception types. Each carries one fixed text; thrown and caught by value.
class CError
{
public:
    CError();
    explicit CError(char const* format, ...) __attribute__((format(printf, 2, 3)));

    void SetText(char const* format, ...) __attribute__((format(printf, 2, 3)));
    char const* GetText() const { return m_text; }

protected:
    void SetTextV(char const* format, __builtin_va_list args);

    char m_text[256];
};

class CFatalError : public CError
{
public:
    CFatalError();
    explicit CFatalError(char const* format, ...) __attribute__((format(printf, 2, 3)));
};

class CFileError : public CError
{
public:
    CFileError();
    explicit CFileError(char const* format, ...) __attribute__((format(printf, 2, 3)));
};
