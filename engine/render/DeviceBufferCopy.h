#pragma once

#include "platform/gl/Direct3D8.h"

// The device's own copy of vertex or index data kept in system memory. The copy is made
// on first use and sent again, whole, only after the data changed, so a buffer drawn
// several times in a frame is uploaded at most once. Devices without buffers get none and
// the data is drawn from system memory.
class CDeviceBufferCopy
{
public:
    enum class EKind
    {
        Vertices,
        Indices
    };

    CDeviceBufferCopy(EKind kind, D3DFORMAT indexFormat);
    CDeviceBufferCopy(CDeviceBufferCopy const&) = delete;
    CDeviceBufferCopy& operator=(CDeviceBufferCopy const&) = delete;
    ~CDeviceBufferCopy();

    void MarkChanged() { m_changed = true; }
    bool IsChanged() const { return m_changed; }

    // Sends `bytes` of `data` when they changed since the last call (`capacity` bytes is the
    // most the data ever takes). Data still locked by its owner is sent again next time.
    // Null when the device keeps no copy or the upload failed.
    IDirect3DBuffer8* Update(IDirect3DDevice8* device, void const* data, unsigned int bytes,
                             unsigned int capacity, bool stillLocked);

    // Drops the device copy (the next update makes a new one).
    void Reset();

private:
    EKind m_kind;
    D3DFORMAT m_indexFormat;
    IDirect3DDevice8* m_device = nullptr;
    IDirect3DBuffer8* m_buffer = nullptr;
    bool m_refused = false;
    bool m_changed = true;
};
