#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "math/Vector.h"
#include "render/BufferState.h"
#include "render/DeviceBufferCopy.h"

class CDirect3DSubsystem;
class CMemoryManager;
class CMessageManager;

// One vertex as the device reads it: position, normal, diffuse colour (0xAARRGGBB)
// and one texture coordinate.
struct Vertex
{
    static constexpr unsigned int Format = 338; // XYZ | NORMAL | DIFFUSE | TEX1

    CVector3 position;
    CVector3 normal;
    std::uint32_t color;
    CVector2 uv;
};
static_assert(sizeof(Vertex) == 36, "the device reads 36-byte vertices");
static_assert(offsetof(Vertex, normal) == 12 && offsetof(Vertex, color) == 24 && offsetof(Vertex, uv) == 28,
              "vertex field offsets");

// Packs a colour channel into a byte: 255 at or above 1, 0 at or below 0, else c·255 + 0.5 truncated.
std::uint32_t PackColorChannel(float channel);
// (a << 24) | (r << 16) | (g << 8) | b from an (r, g, b, a) colour.
std::uint32_t PackColor(CVector4 const& rgba);
CVector4 UnpackColor(std::uint32_t color);

// Vertices kept in system memory; the device gets its own copy, sent again after a lock.
class VertexBuffer
{
public:
    static constexpr unsigned int Stride = sizeof(Vertex);

    // The vertices are undefined apart from their colour, opaque white.
    VertexBuffer(CMessageManager* messageManager, CMemoryManager* memoryManager,
                 CDirect3DSubsystem* direct3DSubsystem, unsigned int count);
    VertexBuffer(VertexBuffer const& other);
    VertexBuffer& operator=(VertexBuffer const& other);
    virtual ~VertexBuffer() = default;

    Vertex* Lock(unsigned int start, unsigned int count);
    void Unlock() { m_lock.locked = false; }
    bool IsLocked() const { return m_lock.locked; }
    unsigned int GetLockStart() const { return m_lock.start; }
    unsigned int GetLockCount() const { return m_lock.count; }

    Vertex const* Get() const { return m_data.data(); }
    unsigned int GetSize() const { return m_size; }

    void SetColor(CVector4 const& rgba);
    CVector4 GetColor(unsigned int i) const;

    // Sets the vertex format on the device.
    void Use();

    // The device's copy, brought up to date; null when the vertices are drawn from memory.
    IDirect3DVertexBuffer8* GetDeviceBuffer();

protected:
    void CreateVertexBufferD3D() {}

private:
    SBufferServices m_services;
    unsigned int m_size;
    std::vector<Vertex> m_data;
    SBufferLock m_lock;
    CDeviceBufferCopy m_deviceCopy{CDeviceBufferCopy::EKind::Vertices, D3DFMT_UNKNOWN};
};
