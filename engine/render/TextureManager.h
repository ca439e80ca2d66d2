#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/SlotTable.h"
#include "render/Texture2D.h"

class CConfig;
class CDirect3DSubsystem;
class CFileManager;
class CImage;
struct SImageSizeLimit;
class CMemoryManager;
class CMessageManager;

// Mode bits of CTextureManager::AddTexture2D.
enum : unsigned int
{
    TMM_OPACITY_MAP = 1, // combine with an opacity image as alpha
    TMM_MIP_MAPPING = 2, // build a mip chain
};

// Loads textures from image files, names them after their sources and options, and
// shares each one by that name among its users.
class CTextureManager
{
public:
    static constexpr char const* TexturesDirectory = "data\\textures";

    CTextureManager() = default;
    ~CTextureManager();
    CTextureManager(CTextureManager const&) = delete;
    CTextureManager& operator=(CTextureManager const&) = delete;

    void Create(CMessageManager* messageManager, CMemoryManager* memoryManager, CFileManager* fileManager,
                CConfig* config, CDirect3DSubsystem* direct3DSubsystem);
    void Destroy();
    bool IsFree() const { return m_free; }

    // Names without the textures directory are taken from it. Returns the texture index.
    unsigned int AddTexture2D(unsigned int mode, std::string const& imageName,
                              std::string const& opacityName);
    unsigned int AddTexture2D(unsigned int mode, std::string const& name, CImage const& image);
    // One user fewer; the last one destroys the texture.
    void RemoveTexture2D(unsigned int index);
    // Null for an index that holds no texture.
    CTexture2D* GetTexture2D(unsigned int index) const;

    unsigned int GetUsedMemorySize() const;
    unsigned int GetOccupiedTextures2DIndicesCount() const { return m_textures.GetOccupiedCount(); }
    unsigned int GetOccupiedTexture2DIndex(unsigned int i) const { return m_textures.GetOccupiedSlot(i); }

    void Refresh() {}

    // The key a texture made from these sources is shared by.
    static std::string MakeKey(unsigned int mode, std::string const& imageName,
                               std::string const& opacityName);
    static std::string GetTexturePath(std::string const& name);

protected:
    unsigned int AddTexture2D(CTexture2D* texture);
    bool IsTextureExists(std::string const& name, unsigned int* index) const;

private:
    // Pictures larger than the device's largest texture are refused before decoding.
    SImageSizeLimit GetImageSizeLimit() const;
    bool LoadImage(std::string const& name, CImage* image) const;
    void CheckPowerOfTwo(CImage const& image, std::string const& name) const;
    void AttachOpacity(CImage* image, std::string const& imageName, std::string const& opacityName) const;

    bool m_free = true;
    CMessageManager* m_messageManager = nullptr;
    CMemoryManager* m_memoryManager = nullptr;
    CFileManager* m_fileManager = nullptr;
    CConfig* m_config = nullptr;
    CDirect3DSubsystem* m_direct3DSubsystem = nullptr;
    TSlotTable<CTexture2D> m_textures;
};
