#pragma once

#include "gui/GUIContext.h"
#include "math/Vector.h"

class CModel;
class CShaderDescriptor;

// A model that follows the pointer in GUI space.
class CGUICursor
{
public:
    static constexpr float Depth = -10.0f;

    CGUICursor() = default;
    ~CGUICursor();
    CGUICursor(CGUICursor const&) = delete;
    CGUICursor& operator=(CGUICursor const&) = delete;

    // A square of `size` GUI units hanging below and right of the pointer.
    void Create(SGUIContext const& context, float size, CShaderDescriptor const& shader);
    void Create(SGUIContext const& context, CModel const& model);
    void Destroy();
    bool IsFree() const { return m_free; }

    void Show(bool show);
    bool IsVisible() const;
    void SetPosition(CVector2 const& position);
    CVector2 const& GetPosition() const { return m_position; }
    CModel* GetModel() const { return m_model; }

    // Reads the pointer, converts it to GUI space and moves the model there.
    void Refresh();

    // Window pixels (y down) to GUI units (y up) and back.
    static CVector2 PixelsToGUI(CVector2 const& pixels, float windowWidth, float windowHeight,
                                float screenWidth, float screenHeight);
    static CVector2 GUIToPixels(CVector2 const& position, float windowWidth, float windowHeight,
                                float screenWidth, float screenHeight);

private:
    void Adopt(CModel* model);
    void PlaceModel();

    bool m_free = true;
    SGUIContext m_context;
    CModel* m_model = nullptr;
    CVector2 m_position = CVector2(0.0f, 0.0f);
};
