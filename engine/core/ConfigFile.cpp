// Reading and writing the configuration file: one "name value" line per variable.
#include "core/Config.h"

#include "core/Errors.h"
#include "core/File.h"
#include "core/FileManager.h"
#include "core/MessageManager.h"

void CConfig::Load()
{
    Reset();
    m_pendingLines.clear();
    if (!m_files)
        return;

    // A missing or unreadable file ends loading silently; what was applied so far stays.
    try {
        CFile file;
        m_files->OpenFile(&file, m_configFilePath, FILE_READ_TEXT);
        char line[CFile::TextLength] = {};
        while (!file.IsEndOfFile()) {
            file.ReadTextString(line);
            SConfigCommandExecutionResult const result = ExecuteCommand(line);
            // Names registered later (application, plug-ins) pick their line up at registration.
            if (result.code == CER_UNKNOWN)
                m_pendingLines.emplace(result.name, line);
        }
        file.Close();
    } catch (CFileError const&) {
    }
}

void CConfig::Save()
{
    if (!m_files)
        return;
    try {
        CFile file;
        m_files->OpenFile(&file, m_configFilePath, FILE_WRITE_TEXT);
        for (auto const& [name, command] : m_commands) {
            if (!command.saveToFile || command.readOnly || command.type == CCT_COMMAND)
                continue;
            file.WriteTextString("%s %s\n", name.c_str(), GetValue(name.c_str()));
        }
        file.Close();
    } catch (CFileError const& error) {
        if (m_messages)
            m_messages->WriteError("%s", error.GetText());
    }
}
