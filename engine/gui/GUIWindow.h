#pragma once

#include <list>
#include <string>

#include "gui/GUIContext.h"
#include "math/Vector.h"
#include "render/ShaderDescriptor.h"

class CModel;

// Window property bits.
enum : unsigned int
{
    GWP_SHOWN = 1,
    GWP_DEPTH_NEAR = 2,
    GWP_DEPTH_FAR = 4,
    GWP_FLIP_HORIZONTAL = 8,
    GWP_FLIP_VERTICAL = 16,
    GWP_CHECK_ONLY = 32,
    // While shown, the window and its children alone see the mouse (a question over a dialog).
    GWP_MODAL = 64,
};

// A textured rectangle in GUI space, placed relative to its parent; the base of every widget.
class CGUIWindow
{
public:
    static constexpr float DefaultDepth = -3.0f;
    static constexpr float NearDepth = -1.0f;
    static constexpr float FarDepth = -5.0f;
    static constexpr float ChildDepthStep = 0.01f;
    static constexpr float TextDepthOffset = 0.005f;
    // Visible, fixed depth value, transparent group, static mesh (a four-index strip).
    static constexpr unsigned int ModelProperties = 0x40000 | 0x800 | 0x400 | 0x1;

    CGUIWindow() = default;
    virtual ~CGUIWindow();
    CGUIWindow(CGUIWindow const&) = delete;
    CGUIWindow& operator=(CGUIWindow const&) = delete;

    // Mouse-on flag and model placement from the cursor position in GUI space.
    virtual void Refresh(CVector2 const& cursorPosition);
    virtual void SetHeightAboveParent(int height);

    void Create(SGUIContext const& context, unsigned int properties, CVector2 const& position,
                CVector2 const& size, CShaderDescriptor const& shader, CGUIWindow* parent);
    void Destroy();
    bool IsFree() const { return m_free; }

    void AddProperties(unsigned int properties);
    void RemoveProperties(unsigned int properties);
    unsigned int GetProperties() const { return m_properties; }

    void Show(bool show);
    bool IsVisible() const;
    void UpdateVisibility();

    void SetPosition(CVector2 const& position) { m_position = position; }
    CVector2 const& GetPosition() const { return m_position; }
    void SetSize(CVector2 const& size) { m_size = size; }
    CVector2 const& GetSize() const { return m_size; }
    void Move(CVector2 const& offset) { m_position = m_position + offset; }
    void SetRotationAngle(float angle) { m_rotationAngle = angle; }
    float GetRotationAngle() const { return m_rotationAngle; }
    void SetColor(CVector4 const& color);
    CVector4 GetColor() const { return m_color; }

    void SetParent(CGUIWindow* parent);
    CGUIWindow* GetParent() const { return m_parent; }
    void AddChild(CGUIWindow* child);
    void RemoveChild(CGUIWindow* child);
    std::list<CGUIWindow*> const& GetChildren() const { return m_children; }
    // The sum of the positions of all ancestors.
    CVector2 GetParentOffset() const;
    CVector2 GetAbsolutePosition() const { return GetParentOffset() + m_position; }
    int GetHeightAboveParent() const { return m_heightAboveParent; }
    // The z of the window's model; text printed in it lies TextDepthOffset nearer.
    float GetDepth() const;

    void ChangeModel(std::string const& fileName);
    void ChangeModel(CModel const& model);
    void ChangeShader(CShaderDescriptor const& shader);
    CShaderDescriptor const& GetShaderDescriptor() const { return m_shader; }
    CModel* GetModel() const { return m_model; }

    bool IsMouseOnWindow() const { return m_mouseOn; }
    void SetFocus(bool focus) { m_focus = focus; }
    bool GetFocus() const { return m_focus; }
    void FlipHorizontal();
    void FlipVertical();

protected:
    SGUIContext const& GetContext() const { return m_context; }
    // Frame shown by the first texture stage (buttons: 0 normal, 1 under the mouse, 2 pressed).
    void SetLookFrame(unsigned int frame);
    unsigned int GetLookFrame() const;
    bool IsInside(CVector2 const& point) const;

private:
    void CreateQuadModel();
    void WriteQuadVertices();
    void AdoptModel(CModel* model);
    void PlaceModel();

    bool m_free = true;
    SGUIContext m_context;
    unsigned int m_properties = 0;
    CVector2 m_position = CVector2(0.0f, 0.0f);
    CVector2 m_size = CVector2(0.0f, 0.0f);
    float m_rotationAngle = 0.0f;
    int m_heightAboveParent = 0;
    CGUIWindow* m_parent = nullptr;
    std::list<CGUIWindow*> m_children;
    bool m_mouseOn = false;
    bool m_focus = false;
    CVector4 m_color = CVector4(1.0f, 1.0f, 1.0f, 1.0f);
    CShaderDescriptor m_shader;
    CModel* m_model = nullptr;
};
