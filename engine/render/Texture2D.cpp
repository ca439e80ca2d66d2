#include "render/Texture2D.h"

#include <algorithm>

#include "core/Config.h"
#include "core/MessageManager.h"
#include "math/Color.h"
#include "render/Direct3DSubsystem.h"
#include "render/Image.h"

namespace
{
constexpr char const* CreateLabel = "Texture2D::Create";
}

CTexture2D::~CTexture2D()
{
    Destroy();
}

unsigned int CTexture2D::GetNearestPowerOfTwo(unsigned int size)
{
    unsigned long long above = 1;
    while (above < size)
        above <<= 1;
    unsigned long long const below = above / 2;
    if (below > 0 && size - below < above - size)
        return static_cast<unsigned int>(below);
    return static_cast<unsigned int>(std::min<unsigned long long>(above, 1ull << 31));
}

bool CTexture2D::IsPowerOfTwo(unsigned int size)
{
    return size != 0 && (size & (size - 1)) == 0;
}

void CTexture2D::Create(CMessageManager* messageManager, CMemoryManager* memoryManager, CConfig* config,
                        CDirect3DSubsystem* direct3DSubsystem, std::string const& name, CImage const& image,
                        bool mipMapping)
{
    Destroy();
    m_messageManager = messageManager;
    m_memoryManager = memoryManager;
    m_config = config;
    m_direct3DSubsystem = direct3DSubsystem;
    m_name = name;
    m_users = 1;
    m_usedMemory = 0;
    m_free = false;

    SMainSettings const* settings = m_config->GetMainSettings();
    if (!settings->r_use_mip_mapping)
        mipMapping = false;
    if (image.IsFree() || image.GetWidth() == 0 || image.GetHeight() == 0)
        return;

    unsigned int width = GetNearestPowerOfTwo(image.GetWidth());
    unsigned int height = GetNearestPowerOfTwo(image.GetHeight());
    if (m_direct3DSubsystem->GetMaxTextureWidth() > 0)
        width = std::min(width, m_direct3DSubsystem->GetMaxTextureWidth());
    if (m_direct3DSubsystem->GetMaxTextureHeight() > 0)
        height = std::min(height, m_direct3DSubsystem->GetMaxTextureHeight());

    // The first level is the picture itself when it has the texture's size and a texture's
    // depth; otherwise a resized (and widened) copy.
    CImage level;
    CImage const* current = &image;
    if (image.GetWidth() != width || image.GetHeight() != height || image.GetBPP() == 8) {
        image.Resize(width, height, IRM_BILINEAR, &level);
        if (level.GetBPP() == 8)
            level.ChangeBpp(24);
        current = &level;
    }
    if (current->GetBPP() != 24 && current->GetBPP() != 32)
        return;

    D3DFORMAT const format = current->GetBPP() == 32 ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    m_direct3DSubsystem->Check(
        CreateLabel, m_direct3DSubsystem->GetDevice()->CreateTexture(width, height, mipMapping ? 0 : 1, 0,
                                                                     format, D3DPOOL_MANAGED, &m_texture));
    if (!m_texture)
        m_messageManager->WriteFatalError("Direct3D Subsystem (%s): %s", CreateLabel,
                                          GetDirect3DErrorName(E_FAIL));

    m_usedMemory = CopyLevels(*current, mipMapping);
}

unsigned int CTexture2D::CopyLevels(CImage const& image, bool mipMapping)
{
    unsigned int used = 0;
    CImage level;
    CImage const* current = &image;
    unsigned int const levels = m_texture->GetLevelCount();
    for (unsigned int index = 0; index < levels; ++index) {
        CopyLevel(index, *current);
        used += current->GetBPP() / 8 * current->GetWidth() * current->GetHeight();
        if (!mipMapping || (current->GetWidth() == 1 && current->GetHeight() == 1))
            break;
        CImage reduced;
        current->Resize(std::max(current->GetWidth() / 2, 1u), std::max(current->GetHeight() / 2, 1u),
                        IRM_BOX, &reduced);
        level.Swap(reduced);
        current = &level;
        if (m_config->GetMainSettings()->r_show_mip_maps)
            level.FillWithColor(CColor(CVector4(1.0f, 0.0f, 0.0f, 1.0f)));
    }
    return used;
}

bool CTexture2D::Update(CImage const& image)
{
    if (m_free || !m_texture)
        return false;
    D3DSURFACE_DESC description = {};
    if (FAILED(m_texture->GetLevelDesc(0, &description)) || image.IsFree() ||
        image.GetWidth() != description.Width || image.GetHeight() != description.Height ||
        (image.GetBPP() != 24 && image.GetBPP() != 32))
        return false;
    CopyLevel(0, image);
    // Each smaller level is the mean of 2 x 2 texels of the one before, read back from the
    // texture: nothing is allocated for a picture that changes every few frames.
    for (unsigned int level = 1; level < m_texture->GetLevelCount(); ++level) {
        D3DSURFACE_DESC larger = {}, smaller = {};
        m_texture->GetLevelDesc(level - 1, &larger);
        m_texture->GetLevelDesc(level, &smaller);
        D3DLOCKED_RECT source = {}, target = {};
        if (FAILED(m_texture->LockRect(level - 1, &source, nullptr, D3DLOCK_READONLY)))
            return false;
        if (FAILED(m_texture->LockRect(level, &target, nullptr, D3DLOCK_DISCARD))) {
            m_texture->UnlockRect(level - 1);
            return false;
        }
        for (unsigned int y = 0; y < smaller.Height; ++y) {
            unsigned int const y0 = std::min(2 * y, larger.Height - 1),
                               y1 = std::min(2 * y + 1, larger.Height - 1);
            auto const* row0 =
                static_cast<unsigned char const*>(source.pBits) + static_cast<long long>(y0) * source.Pitch;
            auto const* row1 =
                static_cast<unsigned char const*>(source.pBits) + static_cast<long long>(y1) * source.Pitch;
            auto* out = static_cast<unsigned char*>(target.pBits) + static_cast<long long>(y) * target.Pitch;
            for (unsigned int x = 0; x < smaller.Width; ++x) {
                unsigned int const x0 = std::min(2 * x, larger.Width - 1) * 4,
                                   x1 = std::min(2 * x + 1, larger.Width - 1) * 4;
                for (unsigned int channel = 0; channel < 4; ++channel)
                    out[4 * x + channel] =
                        static_cast<unsigned char>((row0[x0 + channel] + row0[x1 + channel] +
                                                    row1[x0 + channel] + row1[x1 + channel] + 2) /
                                                   4);
            }
        }
        m_texture->UnlockRect(level);
        m_texture->UnlockRect(level - 1);
    }
    return true;
}

void CTexture2D::CopyLevel(unsigned int level, CImage const& image)
{
    D3DSURFACE_DESC description = {};
    m_direct3DSubsystem->Check(CreateLabel, m_texture->GetLevelDesc(level, &description));
    // A level smaller than the image (never expected) is filled as far as it reaches.
    unsigned int const width = std::min(image.GetWidth(), description.Width);
    unsigned int const height = std::min(image.GetHeight(), description.Height);
    // A level the picture covers whole need not be read (or cleared) before it is written.
    DWORD const lockFlags = width == description.Width && height == description.Height ? D3DLOCK_DISCARD : 0;
    D3DLOCKED_RECT locked = {};
    m_direct3DSubsystem->Check(CreateLabel, m_texture->LockRect(level, &locked, nullptr, lockFlags));
    unsigned int const pixelSize = image.GetBPP() / 8;
    unsigned char const* source = image.GetData();
    for (unsigned int y = 0; y < height; ++y) {
        unsigned char const* row = source + static_cast<unsigned long long>(y) * image.GetWidth() * pixelSize;
        auto* target = static_cast<unsigned char*>(locked.pBits) + static_cast<long long>(y) * locked.Pitch;
        for (unsigned int x = 0; x < width; ++x, row += pixelSize, target += 4) {
            target[0] = row[2];
            target[1] = row[1];
            target[2] = row[0];
            target[3] = pixelSize == 4 ? row[3] : 255;
        }
    }
    m_direct3DSubsystem->Check(CreateLabel, m_texture->UnlockRect(level));
}

void CTexture2D::Destroy()
{
    if (m_free)
        return;
    if (m_texture) {
        m_texture->Release();
        m_texture = nullptr;
    }
    m_name.clear();
    m_users = 0;
    m_usedMemory = 0;
    m_free = true;
}

void CTexture2D::Enable(unsigned int unit) const
{
    m_direct3DSubsystem->SetTexture(unit, m_texture);
}
