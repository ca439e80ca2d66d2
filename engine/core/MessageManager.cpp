#include "core/MessageManager.h"

#include "core/Errors.h"
#include "math/Color.h"
#include "math/Vector.h"
#include "platform/os/Path.h"
#include "platform/window/MessageBox.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace
{
constexpr std::size_t FormatBufferSize = 1280;

char const* PaletteText(int entry)
{
    static CColor const palette[] = {
        CColor(COLOR_BLACK),
        CColor(static_cast<EColor>(1)),
        CColor(static_cast<EColor>(2)),
        CColor(static_cast<EColor>(3)),
        CColor(static_cast<EColor>(4)),
        CColor(static_cast<EColor>(5)),
        CColor(static_cast<EColor>(6)),
        CColor(static_cast<EColor>(7)),
        CColor(static_cast<EColor>(8)),
        CColor(static_cast<EColor>(9)),
        CColor(static_cast<EColor>(10)),
    };
    return palette[entry].GetString();
}

// Local time in the ctime form without its trailing line break.
std::string CurrentTimeText()
{
    std::time_t const now = std::time(nullptr);
    char buffer[64] = {};
    if (char const* text = std::ctime(&now))
        std::snprintf(buffer, sizeof(buffer), "%s", text);
    std::size_t length = std::strlen(buffer);
    while (length > 0 && (buffer[length - 1] == '\n' || buffer[length - 1] == '\r'))
        buffer[--length] = 0;
    return buffer;
}

constexpr char const* LogExtension = ".html";
constexpr mode_t LogFileMode = 0644;

// The log of the run before becomes "<name>.1.html", that one "<name>.2.html", and so on;
// the oldest of LogRunsKept runs is dropped. The new log is created afresh: a file or link
// someone put in its place is never written through.
std::FILE* OpenFreshLog(std::string const& path, int runsKept)
{
    std::string const stem = path.substr(0, path.size() - std::strlen(LogExtension));
    auto const older = [&](int run) {
        return run == 0 ? path : stem + "." + std::to_string(run) + LogExtension;
    };
    for (int run = runsKept - 1; run >= 1; --run)
        ::rename(older(run - 1).c_str(), older(run).c_str());
    int const descriptor =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, LogFileMode);
    if (descriptor < 0)
        return nullptr;
    std::FILE* file = ::fdopen(descriptor, "w");
    if (!file)
        ::close(descriptor);
    return file;
}

constexpr int PaletteBlack = 0;
constexpr int PaletteLime = 3;
constexpr int PaletteGray = 4;
constexpr int PaletteWhite = 6;
constexpr int PaletteRed = 10;
} // namespace

CMessageManager::CMessageManager() = default;

CMessageManager::~CMessageManager()
{
    Destroy();
}

void CMessageManager::Create(char const* applicationName, bool const& createLogFile, char const* logDirectory)
{
    Destroy();
    SetFree(false);
    std::snprintf(m_applicationName, sizeof(m_applicationName), "%s", applicationName ? applicationName : "");
    m_newLineMode = true;
    m_messagesCount = 0;
    m_logEnabled = createLogFile;
    m_logFilePath[0] = 0;

    if (m_logEnabled) {
        std::string const executableDirectory = platform::GetExecutableDirectory();
        std::string const name = m_applicationName;
        std::string path;
        if (logDirectory && logDirectory[0] && platform::IsAbsolutePath(logDirectory))
            path = std::string(logDirectory) + "\\" + name + ".html";
        else if (logDirectory)
            path = executableDirectory + "\\" + logDirectory + "\\" + name + ".html";
        else
            path = executableDirectory + "\\" + name + ".html";
        std::snprintf(m_logFilePath, sizeof(m_logFilePath), "%s", path.c_str());
        m_logFile = OpenFreshLog(platform::ResolvePath(m_logFilePath), LogRunsKept);
        if (m_logFile)
            WriteLogHeader();
        else
            m_logFilePath[0] = 0;
    }

    m_messageTexts = static_cast<char*>(std::calloc(MessageSlots, MessageLength));
    m_messageTypes = static_cast<EMessageType*>(std::calloc(MessageSlots, sizeof(EMessageType)));
    if (!m_messageTexts || !m_messageTypes)
        WriteFatalError("Failed to initializate Message Manager");
}

void CMessageManager::WriteLogHeader()
{
    WriteToLogFile("<HTML>");
    WriteToLogFile("<HEAD>");
    WriteToLogFile("<TITLE>%s Log</TITLE>", m_applicationName);
    WriteToLogFile("</HEAD>");
    WriteToLogFile("<BODY bgcolor=\"%s\">", PaletteText(PaletteBlack));
    WriteToLogFile("<FONT color=\"%s\">", PaletteText(PaletteWhite));
    WriteToLogFile("<FONT color=\"%s\">", PaletteText(PaletteWhite));
    WriteToLogFile("========");
    WriteToLogFile("</FONT>");
    WriteToLogFile("<FONT color=\"%s\">", PaletteText(PaletteLime));
    WriteToLogFile("%s Log: %s", m_applicationName, CurrentTimeText().c_str());
    WriteToLogFile("</FONT>");
    WriteToLogFile("<FONT color=\"%s\">", PaletteText(PaletteWhite));
    WriteToLogFile(" ========\n\n");
    WriteToLogFile("</FONT>");
}

void CMessageManager::WriteLogFooter()
{
    WriteToLogFile("<FONT color=\"%s\">", PaletteText(PaletteWhite));
    WriteToLogFile("\n========");
    WriteToLogFile("</FONT>");
    WriteToLogFile("<FONT color=\"%s\">", PaletteText(PaletteLime));
    WriteToLogFile("Log end: %s", CurrentTimeText().c_str());
    WriteToLogFile("</FONT>");
    WriteToLogFile("<FONT color=\"%s\">", PaletteText(PaletteWhite));
    WriteToLogFile(" ========\n");
    WriteToLogFile("</FONT>");
    WriteToLogFile("</FONT>");
    WriteToLogFile("</BODY>");
    WriteToLogFile("</HTML>");
}

void CMessageManager::Destroy()
{
    if (m_free)
        return;
    if (m_logEnabled && m_logFile) {
        WriteLogFooter();
        std::fclose(m_logFile);
        m_logFile = nullptr;
    }
    std::free(m_messageTexts);
    std::free(m_messageTypes);
    SetFree(true);
}

void CMessageManager::SetFree(bool const& free)
{
    m_free = free;
    if (free) {
        m_messageTexts = nullptr;
        m_messageTypes = nullptr;
    }
}

std::string CMessageManager::AddFormatted(EMessageType const& type, char const* decoration,
                                          char const* format, va_list args)
{
    char text[FormatBufferSize];
    std::vsnprintf(text, sizeof(text), format, args);
    char line[FormatBufferSize + 32];
    std::snprintf(line, sizeof(line), decoration, text);
    AddMessage(type, line);
    return text;
}

void CMessageManager::Write(char const* format, ...)
{
    va_list args;
    va_start(args, format);
    AddFormatted(MT_MESSAGE, m_newLineMode ? "%s\n" : "%s", format, args);
    va_end(args);
}

void CMessageManager::WriteWarning(char const* format, ...)
{
    va_list args;
    va_start(args, format);
    AddFormatted(MT_WARNING, m_newLineMode ? "\nWarning: %s!\n\n" : "Warning: %s!\n", format, args);
    va_end(args);
}

void CMessageManager::WriteError(char const* format, ...)
{
    va_list args;
    va_start(args, format);
    AddFormatted(MT_ERROR, m_newLineMode ? "\nError: %s!\n\n" : "Error: %s!\n", format, args);
    va_end(args);
}

void CMessageManager::WriteFatalError(char const* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string const text = AddFormatted(MT_FATAL_ERROR, "PROGRAM ABORTING: %s\n", format, args);
    va_end(args);
    CFatalError error;
    error.SetText("%s", text.c_str());
    throw error;
}

void CMessageManager::AddMessage(EMessageType const& type, char const* text)
{
    if (m_logEnabled && m_logFile) {
        char const* colour = PaletteText(PaletteWhite);
        if (type == MT_WARNING)
            colour = PaletteText(PaletteGray);
        else if (type == MT_ERROR || type == MT_FATAL_ERROR)
            colour = PaletteText(PaletteRed);
        bool const white = std::strcmp(colour, PaletteText(PaletteWhite)) == 0;
        if (!white)
            WriteToLogFile("<FONT color=\"%s\">", colour);
        WriteEscapedToLogFile(text);
        if (!white)
            WriteToLogFile("</FONT>");
    }

    // Without buffers (never created, or already destroyed) there is nothing to store.
    if (!m_messageTexts || !m_messageTypes)
        return;
    if (m_messagesCount < MessageCapacity) {
        m_messageTypes[m_messagesCount] = type;
        std::snprintf(m_messageTexts + m_messagesCount * MessageLength, MessageLength, "%s", text);
        ++m_messagesCount;
        if (m_messagesCount == MessageCapacity) {
            bool const savedNewLineMode = m_newLineMode;
            m_newLineMode = true;
            WriteError("Message Manager: messages buffer is overflowed");
            m_newLineMode = savedNewLineMode;
        }
    }
}

void CMessageManager::WriteToLogFile(char const* format, ...)
{
    if (!m_logFile)
        return;
    char text[FormatBufferSize + 64];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    for (char const* c = text; *c; ++c) {
        if (*c == '\n')
            std::fputs("<BR>", m_logFile);
        else
            std::fputc(*c, m_logFile);
    }
    std::fflush(m_logFile);
}

void CMessageManager::WriteEscapedToLogFile(char const* text)
{
    if (!m_logFile)
        return;
    for (char const* c = text; *c; ++c) {
        switch (*c) {
        case '\n':
            std::fputs("<BR>", m_logFile);
            break;
        case '<':
            std::fputs("&lt;", m_logFile);
            break;
        case '>':
            std::fputs("&gt;", m_logFile);
            break;
        case '&':
            std::fputs("&amp;", m_logFile);
            break;
        case '"':
            std::fputs("&quot;", m_logFile);
            break;
        case '\\':
            // Paths in the log use the native separator.
            std::fputc('/', m_logFile);
            break;
        default:
            std::fputc(*c, m_logFile);
        }
    }
    std::fflush(m_logFile);
}

void CMessageManager::MessageBoxA(char const* format, ...)
{
    char text[FormatBufferSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    platform::ShowMessageBox("Tidewell Message", text);
}

void CMessageManager::PrintInt(int const& value)
{
    Write("%d", value);
}

void CMessageManager::PrintFloat(float const& value)
{
    Write("%0.4f", value);
}

void CMessageManager::PrintString(char const* text)
{
    Write("%s", text);
}

void CMessageManager::PrintVector(CVector2 const& vector)
{
    Write("(%0.4f  %0.4f)", vector.x, vector.y);
}

void CMessageManager::PrintVector(CVector3 const& vector)
{
    Write("(%0.4f  %0.4f  %0.4f)", vector.x, vector.y, vector.z);
}

void CMessageManager::PrintVector(CVector4 const& vector)
{
    Write("(%0.4f  %0.4f  %0.4f  %0.4f)", vector.x, vector.y, vector.z, vector.w);
}
