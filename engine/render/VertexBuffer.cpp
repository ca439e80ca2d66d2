#include "render/VertexBuffer.h"

#include "render/Direct3DSubsystem.h"

std::uint32_t PackColorChannel(float channel)
{
    if (channel >= 1.0f)
        return 255;
    if (channel <= 0.0f)
        return 0;
    return static_cast<std::uint32_t>(channel * 255.0f + 0.5f);
}

std::uint32_t PackColor(CVector4 const& rgba)
{
    return (PackColorChannel(rgba.w) << 24) | (PackColorChannel(rgba.x) << 16) |
           (PackColorChannel(rgba.y) << 8) | PackColorChannel(rgba.z);
}

CVector4 UnpackColor(std::uint32_t color)
{
    constexpr float scale = 1.0f / 255.0f;
    return {static_cast<float>((color >> 16) & 0xFF) * scale, static_cast<float>((color >> 8) & 0xFF) * scale,
            static_cast<float>(color & 0xFF) * scale, static_cast<float>((color >> 24) & 0xFF) * scale};
}

VertexBuffer::VertexBuffer(CMessageManager* messageManager, CMemoryManager* memoryManager,
                           CDirect3DSubsystem* direct3DSubsystem, unsigned int count)
    : m_services{messageManager, memoryManager, direct3DSubsystem}, m_size(count), m_data(count)
{
    CreateVertexBufferD3D();
    SetColor(CVector4(1.0f, 1.0f, 1.0f, 1.0f));
}

VertexBuffer::VertexBuffer(VertexBuffer const& other)
    : m_services(other.m_services), m_size(other.m_size), m_data(other.m_data)
{
    CreateVertexBufferD3D();
}

VertexBuffer& VertexBuffer::operator=(VertexBuffer const& other)
{
    if (this == &other)
        return *this;
    m_services = other.m_services;
    if (m_size != other.m_size)
        m_deviceCopy.Reset();
    m_size = other.m_size;
    m_data = other.m_data;
    m_lock = other.m_lock;
    m_deviceCopy.MarkChanged();
    return *this;
}

Vertex* VertexBuffer::Lock(unsigned int start, unsigned int count)
{
    m_deviceCopy.MarkChanged();
    m_lock = {true, start, count};
    return m_data.data() + start;
}

void VertexBuffer::SetColor(CVector4 const& rgba)
{
    std::uint32_t const color = PackColor(rgba);
    Vertex* vertices = Lock(0, m_size);
    for (unsigned int i = 0; i < m_size; ++i)
        vertices[i].color = color;
    Unlock();
}

CVector4 VertexBuffer::GetColor(unsigned int i) const
{
    return UnpackColor(m_data[i].color);
}

void VertexBuffer::Use()
{
    m_services.direct3DSubsystem->Check(
        "VertexBuffer::Use", m_services.direct3DSubsystem->GetDevice()->SetVertexShader(Vertex::Format));
}

IDirect3DVertexBuffer8* VertexBuffer::GetDeviceBuffer()
{
    if (!m_services.direct3DSubsystem)
        return nullptr;
    unsigned int const bytes = m_size * Stride;
    return static_cast<IDirect3DVertexBuffer8*>(m_deviceCopy.Update(
        m_services.direct3DSubsystem->GetDevice(), m_data.data(), bytes, bytes, m_lock.locked));
}
