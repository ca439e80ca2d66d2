#include "render/DeviceBufferCopy.h"

#include <cstring>

CDeviceBufferCopy::CDeviceBufferCopy(EKind kind, D3DFORMAT indexFormat)
    : m_kind(kind), m_indexFormat(indexFormat)
{}

CDeviceBufferCopy::~CDeviceBufferCopy()
{
    Reset();
}

void CDeviceBufferCopy::Reset()
{
    if (m_buffer)
        m_buffer->Release();
    m_buffer = nullptr;
    m_device = nullptr;
    m_refused = false;
    m_changed = true;
}

IDirect3DBuffer8* CDeviceBufferCopy::Update(IDirect3DDevice8* device, void const* data, unsigned int bytes,
                                            unsigned int capacity, bool stillLocked)
{
    if (!device || bytes == 0 || bytes > capacity)
        return nullptr;
    if (device != m_device)
        Reset();
    if (m_refused)
        return nullptr;
    if (!m_buffer) {
        m_device = device;
        HRESULT result = D3DERR_NOTAVAILABLE;
        if (m_kind == EKind::Vertices) {
            IDirect3DVertexBuffer8* vertices = nullptr;
            result = device->CreateVertexBuffer(capacity, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &vertices);
            m_buffer = vertices;
        } else {
            IDirect3DIndexBuffer8* indices = nullptr;
            result = device->CreateIndexBuffer(capacity, D3DUSAGE_WRITEONLY, m_indexFormat, D3DPOOL_MANAGED,
                                               &indices);
            m_buffer = indices;
        }
        if (FAILED(result) || !m_buffer) {
            m_buffer = nullptr;
            m_refused = true;
            return nullptr;
        }
        m_changed = true;
    }
    if (m_changed) {
        BYTE* target = nullptr;
        if (FAILED(m_buffer->Lock(0, bytes, &target, D3DLOCK_DISCARD)) || !target)
            return nullptr;
        std::memcpy(target, data, bytes);
        if (FAILED(m_buffer->Unlock()))
            return nullptr;
        m_changed = stillLocked;
    }
    return m_buffer;
}
