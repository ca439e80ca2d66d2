#pragma once

#include <string>

#include "platform/gl/Direct3D8.h"

class CConfig;
class CDirect3DSubsystem;
class CImage;
class CMemoryManager;
class CMessageManager;

// One managed device texture made from an image, with or without a full mip chain.
// Shared by its users; the texture manager names it after its sources.
class CTexture2D
{
public:
    CTexture2D() = default;
    ~CTexture2D();
    CTexture2D(CTexture2D const&) = delete;
    CTexture2D& operator=(CTexture2D const&) = delete;

    // An empty image gives no device texture. Sizes become the nearest powers of two.
    void Create(CMessageManager* messageManager, CMemoryManager* memoryManager, CConfig* config,
                CDirect3DSubsystem* direct3DSubsystem, std::string const& name, CImage const& image,
                bool mipMapping);
    void Destroy();
    bool IsFree() const { return m_free; }

    // Writes a picture of the texture's own size and a texture's depth (24 or 32 bits) over its
    // texels, mip levels included; false (nothing written) for any other picture.
    bool Update(CImage const& image);

    // Binds the texture (or none) to a texture unit.
    void Enable(unsigned int unit) const;

    std::string const& GetName() const { return m_name; }
    void AddUser() { ++m_users; }
    void RemoveUser()
    {
        if (m_users > 0)
            --m_users;
    }
    unsigned int GetUsersCount() const { return m_users; }
    unsigned int GetUsedMemorySize() const { return m_usedMemory; }
    IDirect3DTexture8* GetTextureD3D() const { return m_texture; }

    // The power of two nearest to `size`; ties go to the larger one (384 -> 512).
    static unsigned int GetNearestPowerOfTwo(unsigned int size);
    static bool IsPowerOfTwo(unsigned int size);

private:
    void CopyLevel(unsigned int level, CImage const& image);
    // Every level from `image` down (only the first without mip mapping); returns the bytes.
    unsigned int CopyLevels(CImage const& image, bool mipMapping);

    bool m_free = true;
    CMessageManager* m_messageManager = nullptr;
    CMemoryManager* m_memoryManager = nullptr;
    CConfig* m_config = nullptr;
    CDirect3DSubsystem* m_direct3DSubsystem = nullptr;
    std::string m_name;
    unsigned int m_users = 0;
    unsigned int m_usedMemory = 0;
    IDirect3DTexture8* m_texture = nullptr;
};
