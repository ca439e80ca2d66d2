#include "Lagoonix.h"

#include "core/Engine.h"
#include "core/Errors.h"

#include <cstring>

CLagoonix::CLagoonix() = default;

CLagoonix::CLagoonix(CLagoonix const& other)
{
    CopyDescriptor(other);
}

CLagoonix::~CLagoonix() = default;

CLagoonix& CLagoonix::operator=(CLagoonix const& other)
{
    if (this != &other) {
        m_descriptorFile.Close();
        CopyDescriptor(other);
    }
    return *this;
}

void CLagoonix::CopyDescriptor(CLagoonix const& other)
{
    m_firstDescriptorByte = other.m_firstDescriptorByte;
    m_enabled = other.m_enabled;
    std::memcpy(m_firstText, other.m_firstText, sizeof(m_firstText));
    std::memcpy(m_secondText, other.m_secondText, sizeof(m_secondText));
}

CFile* CLagoonix::ReadConfigFile(CEngine* engine, char const* path)
{
    try {
        engine->GetFileManager()->OpenFile(&m_descriptorFile, path, FILE_READ_BINARY);
        m_descriptorFile.Read(&m_firstDescriptorByte, 1);
        m_descriptorFile.Read(&m_enabled, 1);
        m_descriptorFile.ReadBinaryString(m_firstText);
        m_descriptorFile.ReadBinaryString(m_secondText);
    } catch (CFileError const& error) {
        engine->GetMessageManager()->WriteError("%s", error.GetText());
        m_descriptorFile.Close();
        return nullptr;
    }
    return &m_descriptorFile;
}
