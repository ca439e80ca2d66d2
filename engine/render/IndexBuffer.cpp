#include "render/IndexBuffer.h"

#include "render/Direct3DSubsystem.h"

#include <cstdint>
#include <cstring>

IndexBuffer::IndexBuffer(CMessageManager* messageManager, CMemoryManager* memoryManager,
                         CDirect3DSubsystem* direct3DSubsystem, unsigned int count)
    : m_services{messageManager, memoryManager, direct3DSubsystem},
      m_format(count >= WideIndexThreshold ? D3DFMT_INDEX32 : D3DFMT_INDEX16),
      m_formatSize(count >= WideIndexThreshold ? 4 : 2), m_capacity(count), m_size(count),
      m_data(static_cast<std::size_t>(count) * m_formatSize),
      m_deviceCopy(CDeviceBufferCopy::EKind::Indices, m_format)
{
    CreateIndexBufferD3D();
}

IndexBuffer::IndexBuffer(IndexBuffer const& other)
    : m_services(other.m_services), m_format(other.m_format), m_formatSize(other.m_formatSize),
      m_capacity(other.m_capacity), m_size(other.m_size), m_data(other.m_data), m_dirty(other.m_dirty),
      m_minUsingVertex(other.m_minUsingVertex), m_usingVerticesCount(other.m_usingVerticesCount),
      m_deviceCopy(CDeviceBufferCopy::EKind::Indices, m_format)
{
    CreateIndexBufferD3D();
}

IndexBuffer& IndexBuffer::operator=(IndexBuffer const& other)
{
    if (this == &other)
        return *this;
    m_services = other.m_services;
    if (m_format != other.m_format || m_capacity != other.m_capacity)
        m_deviceCopy.Reset();
    m_format = other.m_format;
    m_formatSize = other.m_formatSize;
    m_capacity = other.m_capacity;
    m_size = other.m_size;
    m_data = other.m_data;
    m_lock = other.m_lock;
    m_dirty = other.m_dirty;
    m_minUsingVertex = other.m_minUsingVertex;
    m_usingVerticesCount = other.m_usingVerticesCount;
    m_deviceCopy.MarkChanged();
    return *this;
}

void IndexBuffer::SetSize(unsigned int size)
{
    m_deviceCopy.MarkChanged();
    m_size = size;
    m_dirty = true;
}

void* IndexBuffer::Lock(unsigned int start, unsigned int count)
{
    m_deviceCopy.MarkChanged();
    m_lock = {true, start, count};
    m_dirty = true;
    return m_data.data() + static_cast<std::size_t>(start) * m_formatSize;
}

void IndexBuffer::CopyIndices(unsigned int start, unsigned int count, unsigned int const* indices)
{
    m_deviceCopy.MarkChanged();
    m_dirty = true;
    m_lock.start = start;
    m_lock.count = count;
    if (m_formatSize == 4) {
        std::memcpy(m_data.data() + static_cast<std::size_t>(start) * 4, indices,
                    static_cast<std::size_t>(count) * 4);
        return;
    }
    auto* target = reinterpret_cast<std::uint16_t*>(m_data.data()) + start;
    for (unsigned int i = 0; i < count; ++i)
        target[i] = static_cast<std::uint16_t>(indices[i] & 0xFFFF);
}

void IndexBuffer::CopyQuadIndices(unsigned int quadsCount)
{
    std::vector<unsigned int> indices(static_cast<std::size_t>(IndicesPerQuad) * quadsCount);
    for (unsigned int quad = 0; quad < quadsCount; ++quad) {
        unsigned int const first = VerticesPerQuad * quad;
        unsigned int* out = &indices[static_cast<std::size_t>(IndicesPerQuad) * quad];
        out[0] = first;
        out[1] = first + 1;
        out[2] = first + 2;
        out[3] = first + 2;
        out[4] = first + 1;
        out[5] = first + 3;
    }
    CopyIndices(0, IndicesPerQuad * quadsCount, indices.data());
}

unsigned int IndexBuffer::GetIndex(unsigned int i) const
{
    if (m_formatSize == 4)
        return reinterpret_cast<std::uint32_t const*>(m_data.data())[i];
    return reinterpret_cast<std::uint16_t const*>(m_data.data())[i];
}

unsigned int IndexBuffer::GetMinUsingVertex()
{
    if (m_dirty)
        RecalculateUsingVertices();
    return m_minUsingVertex;
}

unsigned int IndexBuffer::GetUsingVerticesCount()
{
    if (m_dirty)
        RecalculateUsingVertices();
    return m_usingVerticesCount;
}

void IndexBuffer::RecalculateUsingVertices()
{
    m_dirty = false;
    unsigned int const count = m_size < m_capacity ? m_size : m_capacity;
    if (count == 0) {
        m_minUsingVertex = 0;
        m_usingVerticesCount = 0;
        return;
    }
    unsigned int minimum = GetIndex(0);
    unsigned int maximum = minimum;
    for (unsigned int i = 1; i < count; ++i) {
        unsigned int const index = GetIndex(i);
        if (index < minimum)
            minimum = index;
        if (index > maximum)
            maximum = index;
    }
    m_minUsingVertex = minimum;
    m_usingVerticesCount = maximum - minimum + 1;
}

IDirect3DIndexBuffer8* IndexBuffer::GetDeviceBuffer()
{
    if (!m_services.direct3DSubsystem)
        return nullptr;
    // The whole capacity: a draw may reach past `size` as it does from memory.
    unsigned int const bytes = m_capacity * m_formatSize;
    return static_cast<IDirect3DIndexBuffer8*>(m_deviceCopy.Update(
        m_services.direct3DSubsystem->GetDevice(), m_data.data(), bytes, bytes, m_lock.locked));
}
