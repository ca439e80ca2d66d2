#include "render/ShaderManager.h"

#include <algorithm>

#include "core/MessageManager.h"
#include "render/Direct3DSubsystem.h"

namespace
{
constexpr char const* ResetLabel = "ShaderManager::ResetD3D";
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
    m_descriptors.Clear();
    m_shaders.Clear();
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

    unsigned int equal = 0;
    if (m_descriptors.Find([&copy](CShaderDescriptor const& other) { return other.IsEqual(*copy); },
                           &equal)) {
        unsigned int const shared = m_descriptors.Get(equal)->GetShaderIndex();
        copy->SetShaderIndex(shared);
        m_shaders.Get(shared)->AddUser();
    } else {
        auto shader = std::make_unique<CShader>();
        shader->Create(m_config, m_direct3DSubsystem, m_lightManager, &m_textureManager, *copy);
        copy->SetShaderIndex(m_shaders.Add(std::move(shader)));
    }

    return m_descriptors.Add(std::move(copy));
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
    if (CShader* shader = m_shaders.Get(shaderIndex)) {
        shader->RemoveUser();
        if (shader->GetUsersCount() == 0)
            m_shaders.RemoveSlot(shaderIndex);
    }
    m_descriptors.RemoveSlot(handle);
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
    return m_descriptors.Get(handle);
}

CShader* CShaderManager::GetShader(unsigned int handle) const
{
    CShaderDescriptor const* descriptor = GetShaderDescriptor(handle);
    return descriptor ? m_shaders.Get(descriptor->GetShaderIndex()) : nullptr;
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
    m_descriptors.ForEach([](CShaderDescriptor* descriptor) { descriptor->Refresh(); });
}
