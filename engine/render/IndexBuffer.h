#pragma once

#include <vector>

#include "platform/gl/Direct3D8.h"
#include "render/BufferState.h"
#include "render/DeviceBufferCopy.h"

class CDirect3DSubsystem;
class CMemoryManager;
class CMessageManager;

// Triangle indices in system memory: 16-bit below 65536 indices, 32-bit from there. The
// device gets its own copy of the first `size` indices, sent again after they change.
// Ranges are not checked: callers keep start + count within the capacity.
class IndexBuffer
{
public:
    static constexpr unsigned int WideIndexThreshold = 65536;

    IndexBuffer(CMessageManager* messageManager, CMemoryManager* memoryManager,
                CDirect3DSubsystem* direct3DSubsystem, unsigned int count);
    IndexBuffer(IndexBuffer const& other);
    IndexBuffer& operator=(IndexBuffer const& other);
    virtual ~IndexBuffer() = default;

    // No reallocation: the size stays within the capacity.
    void SetSize(unsigned int size);

    void* Lock(unsigned int start, unsigned int count);
    void Unlock() { m_lock.locked = false; }
    bool IsLocked() const { return m_lock.locked; }

    // 16-bit buffers keep the low 16 bits of each value.
    void CopyIndices(unsigned int start, unsigned int count, unsigned int const* indices);
    static constexpr unsigned int VerticesPerQuad = 4;
    static constexpr unsigned int IndicesPerQuad = 6;
    // From the start: `quadsCount` quads of four vertices each (corners 0 1 2 3 in a zigzag),
    // two triangles a quad, 0 1 2 and 2 1 3.
    void CopyQuadIndices(unsigned int quadsCount);

    unsigned int GetIndex(unsigned int i) const;
    void const* Get() const { return m_data.data(); }
    unsigned int GetSize() const { return m_size; }
    unsigned int GetCapacity() const { return m_capacity; }
    D3DFORMAT GetFormat() const { return m_format; }
    unsigned int GetFormatSize() const { return m_formatSize; }

    // The range of vertices the first `size` indices use (0 and 0 when there are none).
    unsigned int GetMinUsingVertex();
    unsigned int GetUsingVerticesCount();

    void Use() {}

    // The device's copy, brought up to date; null when the indices are drawn from memory.
    IDirect3DIndexBuffer8* GetDeviceBuffer();

protected:
    void CreateIndexBufferD3D() {}
    void RecalculateUsingVertices();

private:
    SBufferServices m_services;
    D3DFORMAT m_format;
    unsigned int m_formatSize;
    unsigned int m_capacity;
    unsigned int m_size;
    std::vector<unsigned char> m_data;
    SBufferLock m_lock;
    bool m_dirty = true;
    unsigned int m_minUsingVertex = 0;
    unsigned int m_usingVerticesCount = 0;
    CDeviceBufferCopy m_deviceCopy;
};
