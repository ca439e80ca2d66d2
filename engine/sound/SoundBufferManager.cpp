#include "sound/SoundBufferManager.h"

#include "sound/SoundBuffer.h"

CSoundBufferManager::CSoundBufferManager() = default;

CSoundBufferManager::~CSoundBufferManager()
{
    Destroy();
}

void CSoundBufferManager::Create(CMessageManager* messageManager, CMemoryManager* memoryManager,
                                 CFileManager* fileManager)
{
    Destroy();
    m_messageManager = messageManager;
    m_memoryManager = memoryManager;
    m_fileManager = fileManager;
    m_free = false;
}

void CSoundBufferManager::Destroy()
{
    if (m_free)
        return;
    m_buffers.clear();
    m_free = true;
}

unsigned int CSoundBufferManager::AddBuffer(std::string const& name)
{
    auto const found = m_buffers.find(name);
    if (found != m_buffers.end()) {
        found->second->AddUser();
        return found->second->GetBuffer();
    }
    auto buffer = std::make_unique<CSoundBuffer>();
    if (!buffer->Create(m_messageManager, m_memoryManager, m_fileManager, name))
        buffer->CreateEmpty(m_messageManager, m_memoryManager, m_fileManager);
    unsigned int const openALName = buffer->GetBuffer();
    m_buffers.emplace(name, std::move(buffer));
    return openALName;
}

void CSoundBufferManager::RemoveBuffer(std::string const& name)
{
    auto const found = m_buffers.find(name);
    if (found == m_buffers.end())
        return;
    found->second->RemoveUser();
    if (found->second->GetUsersCount() == 0)
        m_buffers.erase(found);
}

CSoundBuffer* CSoundBufferManager::GetSoundBuffer(std::string const& name)
{
    auto const found = m_buffers.find(name);
    return found == m_buffers.end() ? nullptr : found->second.get();
}
