#include "render/ShaderManager.h"

#include <algorithm>

#include "core/MessageManager.h"
#include "render/Direct3DSubsystem.h"

namespace
{
constexpr char const* ResetLabel = "ShaderManager::ResetD3D";

// Takes the most recently freed index, or the next new one.
template <typename T>
unsigned int TakeSlot(std::vector<unsigned int>& freeSlots, std::vector<std::unique_ptr<T>>& slots,
                      std::unique_ptr<T> object)
{
    unsigned int index = 0;
    if (!freeSlots.empty()) {
        index = freeSlots.back();
        freeSlots.pop_back();
        slots[index] = std::move(object);
    } else {
        index = static_cast<unsigned int>(slots.size());
        slots.push_back(std::move(object));
    }
    return index;
}

void Forget(std::vector<unsigned int>& list, unsigned int index)
{
    list.erase(std::find(list.begin(), list.end(), index));
}
} // namespace

CShaderManager::~CShaderManager()
{
    Destroy();
}

void CShaderManager::Create(CMessageManager* messageManager, CMemoryManager* memoryManager,
                            CFileManager* fileManager, CTimerManager* timerManager, CConfig* config,
                            CDirect3DSubsystem* direct3DSubsystem, CLightManager* lightManager)
{
    Destroy();
    m_messageManager = messageManager;
    m_memoryManager = memoryManager;
    m_fileManager = fileManager;
    m_timerManager = timerManager;
    m_config = config;
    m_direct3DSubsystem = direct3DSubsystem;
    m_lightManager = lightManager;
    m_messageManager->Write("\nShader Manager creation...");
    m_textureManager.Create(messageManager, memoryManager, fileManager, config, direct3DSubsystem);
    m_free = false;
    ResetD3D();
}

void CShaderManager::Destroy()
{
    if (m_free)
        return;
    m_messageManager->Write("\nShader Manager destroying...");
    m_descriptors.clear();
    m_shaders.clear();
    m_freeShaders.clear();
    m_occupiedShaders.clear();
    m_freeDescriptors.clear();
    m_occupiedDescriptors.clear();
    m_textureManager.Destroy();
    m_free = true;
}

void CShaderManager::ResetD3D()
{
    IDirect3DDevice8* device = m_direct3DSubsystem->GetDevice();
    unsigned int const units = m_direct3DSubsystem->GetMaxTextureUnits();
    for (unsigned int unit = 0; unit < units; ++unit) {
        auto send = [&](D3DTEXTURESTAGESTATETYPE type, DWORD value) {
            m_direct3DSubsystem->Check(ResetLabel, device->SetTextureStageState(unit, type, value));
        };
        send(D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
        send(D3DTSS_TEXCOORDINDEX, 0);
        send(D3DTSS_COLOROP, D3DTOP_MODULATE);
        send(D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        send(D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        send(D3DTSS_ALPHAOP, unit == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE);
    }
}

unsigned int CShaderManager::AddShader(CShaderDescriptor const& descriptor)
{
    auto copy = std::make_unique<CShaderDescriptor>(descriptor);
    if (copy->IsFree())
        copy->Create(m_messageManager, m_memoryManager, m_fileManager, m_timerManager, 0);

    bool shared = false;
    for (unsigned int occupied : m_occupiedDescriptors) {
        CShaderDescriptor const& other = *m_descriptors[occupied];
        if (other.IsEqual(*copy)) {
            copy->SetShaderIndex(other.GetShaderIndex());
            m_shaders[other.GetShaderIndex()]->AddUser();
            shared = true;
            break;
        }
    }
    if (!shared) {
        auto shader = std::make_unique<CShader>();
        shader->Create(m_messageManager, m_memoryManager, m_fileManager, m_config, m_direct3DSubsystem,
                       m_lightManager, &m_textureManager, *copy);
        unsigned int const index = TakeSlot(m_freeShaders, m_shaders, std::move(shader));
        m_occupiedShaders.push_back(index);
        copy->SetShaderIndex(index);
    }

    unsigned int const handle = TakeSlot(m_freeDescriptors, m_descriptors, std::move(copy));
    m_occupiedDescriptors.push_back(handle);
    return handle;
}

unsigned int CShaderManager::AddShader(char const* fileName, unsigned int index)
{
    CShaderDescriptor descriptor;
    CreateShaderDescriptor(&descriptor, fileName, index);
    return AddShader(descriptor);
}

void CShaderManager::RemoveShader(unsigned int handle)
{
    CShaderDescriptor* descriptor = GetShaderDescriptor(handle);
    if (!descriptor)
        return;
    unsigned int const shaderIndex = descriptor->GetShaderIndex();
    if (shaderIndex < m_shaders.size() && m_shaders[shaderIndex]) {
        CShader& shader = *m_shaders[shaderIndex];
        shader.RemoveUser();
        if (shader.GetUsersCount() == 0) {
            m_shaders[shaderIndex].reset();
            m_freeShaders.push_back(shaderIndex);
            Forget(m_occupiedShaders, shaderIndex);
        }
    }
    m_descriptors[handle].reset();
    m_freeDescriptors.push_back(handle);
    Forget(m_occupiedDescriptors, handle);
}

void CShaderManager::UseShader(unsigned int handle)
{
    CShaderDescriptor* descriptor = GetShaderDescriptor(handle);
    CShader* shader = GetShader(handle);
    if (descriptor && shader)
        shader->Use(*descriptor);
}

CShaderDescriptor* CShaderManager::GetShaderDescriptor(unsigned int handle) const
{
    return handle < m_descriptors.size() ? m_descriptors[handle].get() : nullptr;
}

CShader* CShaderManager::GetShader(unsigned int handle) const
{
    CShaderDescriptor const* descriptor = GetShaderDescriptor(handle);
    if (!descriptor || descriptor->GetShaderIndex() >= m_shaders.size())
        return nullptr;
    return m_shaders[descriptor->GetShaderIndex()].get();
}

void CShaderManager::CreateShaderDescriptor(CShaderDescriptor* out, CShaderDescriptor const& source) const
{
    out->Create(source);
    if (out->IsFree())
        CreateShaderDescriptor(out, 0u);
    else
        out->SetManagers(m_messageManager, m_memoryManager, m_fileManager, m_timerManager);
}

void CShaderManager::CreateShaderDescriptor(CShaderDescriptor* out, unsigned int properties) const
{
    out->Create(m_messageManager, m_memoryManager, m_fileManager, m_timerManager, properties);
}

void CShaderManager::CreateShaderDescriptor(CShaderDescriptor* out, char const* fileName,
                                            unsigned int index) const
{
    out->Create(m_messageManager, m_memoryManager, m_fileManager, m_timerManager, fileName, index);
}

void CShaderManager::Refresh()
{
    if (m_direct3DSubsystem->WasDeviceLost())
        ResetD3D();
    for (unsigned int handle : m_occupiedDescriptors)
        m_descriptors[handle]->Refresh();
}
