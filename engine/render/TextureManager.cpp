#include "render/TextureManager.h"

#include <algorithm>
#include <cctype>

#include "core/MessageManager.h"
#include "render/Direct3DSubsystem.h"
#include "render/Image.h"
#include "render/Texture2D.h"

namespace
{
bool ContainsIgnoringCase(std::string const& text, std::string const& part)
{
    auto const found = std::search(text.begin(), text.end(), part.begin(), part.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
    return found != text.end();
}
} // namespace

CTextureManager::~CTextureManager()
{
    Destroy();
}

void CTextureManager::Create(CMessageManager* messageManager, CMemoryManager* memoryManager,
                             CFileManager* fileManager, CConfig* config,
                             CDirect3DSubsystem* direct3DSubsystem)
{
    Destroy();
    m_messageManager = messageManager;
    m_memoryManager = memoryManager;
    m_fileManager = fileManager;
    m_config = config;
    m_direct3DSubsystem = direct3DSubsystem;
    m_messageManager->Write("\nTexture Manager creation...");
    m_free = false;
}

void CTextureManager::Destroy()
{
    if (m_free)
        return;
    m_messageManager->Write("\nTexture Manager destroying...");
    m_textures.Clear();
    m_free = true;
}

std::string CTextureManager::GetTexturePath(std::string const& name)
{
    // Paths are matched without regard to case, so "Data\Textures" is the same folder.
    if (ContainsIgnoringCase(name, TexturesDirectory))
        return name;
    return std::string(TexturesDirectory) + "\\" + name;
}

std::string CTextureManager::MakeKey(unsigned int mode, std::string const& imageName,
                                     std::string const& opacityName)
{
    std::string key = "diffuse_" + imageName;
    if (mode & TMM_OPACITY_MAP)
        key += "_plus_opacity_" + opacityName;
    if (mode & TMM_MIP_MAPPING)
        key += "_with_mip_mapping";
    return key;
}

SImageSizeLimit CTextureManager::GetImageSizeLimit() const
{
    if (!m_direct3DSubsystem)
        return {};
    return SImageSizeLimit::ForTextures(m_direct3DSubsystem->GetMaxTextureWidth(),
                                        m_direct3DSubsystem->GetMaxTextureHeight());
}

bool CTextureManager::LoadImage(std::string const& name, CImage* image) const
{
    if (image->LoadFromFile(m_messageManager, m_memoryManager, m_fileManager, name.c_str(),
                            GetImageSizeLimit()))
        return true;
    image->CreateEmpty(m_messageManager, m_memoryManager);
    return false;
}

void CTextureManager::CheckPowerOfTwo(CImage const& image, std::string const& name) const
{
    if (!CTexture2D::IsPowerOfTwo(image.GetWidth()) || !CTexture2D::IsPowerOfTwo(image.GetHeight()))
        m_messageManager->WriteWarning("Texture Manager: \"%s\" image size should be power of two",
                                       name.c_str());
}

void CTextureManager::AttachOpacity(CImage* image, std::string const& imageName,
                                    std::string const& opacityName) const
{
    CImage opacity;
    if (opacityName == imageName) {
        opacity.Create(*image);
    } else {
        if (image->GetBPP() != 24)
            m_messageManager->WriteWarning("Texture Manager: \"%s\" image color depth should be 24 bit",
                                           imageName.c_str());
        if (opacity.LoadFromFile(m_messageManager, m_memoryManager, m_fileManager, opacityName.c_str(),
                                 GetImageSizeLimit())) {
            CheckPowerOfTwo(opacity, opacityName);
            if (opacity.GetWidth() != image->GetWidth() || opacity.GetHeight() != image->GetHeight())
                m_messageManager->WriteWarning(
                    "Texture Manager: \"%s\" image size should be the same as \"%s\"", opacityName.c_str(),
                    imageName.c_str());
            if (opacity.GetBPP() != 8)
                m_messageManager->WriteWarning("Texture Manager: \"%s\" image color depth should be 8 bit",
                                               opacityName.c_str());
        }
    }
    if (!opacity.IsFree() && opacity.GetWidth() > 0 && opacity.GetHeight() > 0 && image->GetWidth() > 0 &&
        image->GetHeight() > 0)
        image->AttachAlphaLayer(opacity);
}

unsigned int CTextureManager::AddTexture2D(unsigned int mode, std::string const& imageName,
                                           std::string const& opacityName)
{
    std::string const image = GetTexturePath(imageName);
    std::string const opacity = GetTexturePath(opacityName);
    std::string const key = MakeKey(mode, image, opacity);

    unsigned int index = 0;
    if (IsTextureExists(key, &index)) {
        m_textures.Get(index)->AddUser();
        return index;
    }

    CImage picture;
    if (LoadImage(image, &picture))
        CheckPowerOfTwo(picture, image);
    if (mode & TMM_OPACITY_MAP)
        AttachOpacity(&picture, image, opacity);

    auto texture = std::make_unique<CTexture2D>();
    texture->Create(m_messageManager, m_memoryManager, m_config, m_direct3DSubsystem, key, picture,
                    (mode & TMM_MIP_MAPPING) != 0);
    return AddTexture2D(texture.release());
}

unsigned int CTextureManager::AddTexture2D(unsigned int mode, std::string const& name, CImage const& image)
{
    unsigned int index = 0;
    if (IsTextureExists(name, &index)) {
        m_textures.Get(index)->AddUser();
        return index;
    }
    auto texture = std::make_unique<CTexture2D>();
    texture->Create(m_messageManager, m_memoryManager, m_config, m_direct3DSubsystem, name, image,
                    (mode & TMM_MIP_MAPPING) != 0);
    return AddTexture2D(texture.release());
}

unsigned int CTextureManager::AddTexture2D(CTexture2D* texture)
{
    return m_textures.Add(std::unique_ptr<CTexture2D>(texture));
}

void CTextureManager::RemoveTexture2D(unsigned int index)
{
    CTexture2D* texture = GetTexture2D(index);
    if (!texture)
        return;
    texture->RemoveUser();
    if (texture->GetUsersCount() > 0)
        return;
    m_textures.RemoveSlot(index);
}

CTexture2D* CTextureManager::GetTexture2D(unsigned int index) const
{
    return m_textures.Get(index);
}

bool CTextureManager::IsTextureExists(std::string const& name, unsigned int* index) const
{
    return m_textures.Find([&name](CTexture2D const& texture) { return texture.GetName() == name; }, index);
}

unsigned int CTextureManager::GetUsedMemorySize() const
{
    unsigned int total = 0;
    m_textures.ForEach([&total](CTexture2D const* texture) { total += texture->GetUsedMemorySize(); });
    return total;
}
