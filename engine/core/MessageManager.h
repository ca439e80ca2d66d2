#pragma once

#include "math/VectorFwd.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>

enum EMessageType : std::int32_t
{
    MT_MESSAGE = 0,
    MT_WARNING = 1,
    MT_ERROR = 2,
    MT_FATAL_ERROR = 3,
};

// The engine's channel for messages: an HTML log file (optional) and the list of
// the messages written since the start of the current frame.
class CMessageManager
{
public:
    static constexpr unsigned int MessageSlots = 4096;
    static constexpr unsigned int MessageCapacity = MessageSlots - 1;
    static constexpr unsigned int MessageLength = 256;

    CMessageManager();
    ~CMessageManager();
    CMessageManager(CMessageManager const&) = delete;
    CMessageManager& operator=(CMessageManager const&) = delete;

    void Create(char const* applicationName, bool const& createLogFile, char const* logDirectory);
    void Destroy();
    bool IsFree() const { return m_free; }

    void Write(char const* format, ...) __attribute__((format(printf, 2, 3)));
    void WriteWarning(char const* format, ...) __attribute__((format(printf, 2, 3)));
    void WriteError(char const* format, ...) __attribute__((format(printf, 2, 3)));
    [[noreturn]] void WriteFatalError(char const* format, ...) __attribute__((format(printf, 2, 3)));

    void SetNewLineMode(bool const& on) { m_newLineMode = on; }
    bool GetNewLineMode() const { return m_newLineMode; }

    void ClearMessagesBuffer() { m_messagesCount = 0; }
    unsigned int GetMessagesCount() const { return m_messagesCount; }
    EMessageType GetMessageType(unsigned int const& index) { return m_messageTypes[index]; }
    char const* GetMessageText(unsigned int const& index) const
    {
        return m_messageTexts + index * MessageLength;
    }

    // Runs whose logs are kept: "<name>.html" is the newest, "<name>.1.html" the one before.
    static constexpr int LogRunsKept = 5;

    // Path of the open log file ("" when none).
    char const* GetLogFilePath() const { return m_logFilePath; }

    static void MessageBoxA(char const* format, ...) __attribute__((format(printf, 1, 2)));

    void PrintInt(int const& value);
    void PrintFloat(float const& value);
    void PrintString(char const* text);
    void PrintVector(CVector2 const& vector);
    void PrintVector(CVector3 const& vector);
    void PrintVector(CVector4 const& vector);

protected:
    void AddMessage(EMessageType const& type, char const* text);
    void WriteToLogFile(char const* format, ...) __attribute__((format(printf, 2, 3)));
    void SetFree(bool const& free);

private:
    // Formats the user text (cut to FormatBufferSize characters), wraps it in the one-"%s"
    // `decoration`, adds the result and returns the user text.
    std::string AddFormatted(EMessageType const& type, char const* decoration, char const* format,
                             va_list args);
    void WriteLogHeader();
    void WriteLogFooter();
    // A message's text: line breaks as "<BR>", HTML's special characters escaped and
    // backslashes written as "/".
    void WriteEscapedToLogFile(char const* text);

    bool m_free = true;
    char m_applicationName[256] = {};
    bool m_newLineMode = true;
    bool m_logEnabled = false;
    char m_logFilePath[256] = {};
    std::FILE* m_logFile = nullptr;
    unsigned int m_messagesCount = 0;
    char* m_messageTexts = nullptr;
    EMessageType* m_messageTypes = nullptr;
};
