#pragma once

#include <map>
#include <string>

#include "math/Color.h"
#include "math/Vector.h"
#include "render/ShaderDescriptor.h"

class CFile;
class CFileManager;
class CMemoryManager;
class CMessageManager;
class CModel;
class CModelManager;
class CShaderManager;
class IndexBuffer;
class VertexBuffer;
struct Vertex;

// One glyph of a font atlas: texture origin and extent, advance in units of the font size.
struct SGUIGlyph
{
    unsigned char code = 0;
    float u = 0.0f;
    float v = 0.0f;
    float du = 0.0f;
    float dv = 0.0f;
    float advance = 0.0f;
};

// Screen text as textured quads: strings printed during a frame are appended to one dynamic
// model of at most 1024 quads (a copy may be made larger), which is emptied again by Refresh.
class CGUIFont
{
public:
    static constexpr unsigned int MaxCharacters = 1024;
    static constexpr unsigned int VerticesCount = MaxCharacters * 4;
    static constexpr unsigned int IndicesCount = MaxCharacters * 6;
    static constexpr unsigned int FileVersion = 200;
    static constexpr unsigned int HeaderSize = 17;
    static constexpr unsigned int GlyphRecordSize = 21;
    static constexpr float ModelDepth = -9.0f;
    static constexpr float DefaultHorizontalSpace = 0.85f;
    // Visible, fixed depth value, transparent group, triangle lists, static mesh.
    static constexpr unsigned int ModelProperties = 0x40000 | 0x800 | 0x400 | 0x8 | 0x1;

    CGUIFont() = default;
    ~CGUIFont();
    CGUIFont(CGUIFont const&) = delete;
    CGUIFont& operator=(CGUIFont const&) = delete;

    // Loads the glyph table of a font file; a malformed file is fatal.
    void Create(CMessageManager* messageManager, CMemoryManager* memoryManager, CFileManager* fileManager,
                CShaderManager* shaderManager, CModelManager* modelManager, unsigned int cameraIndex,
                CShaderDescriptor const& shader, char const* fileName);
    // A copy with its own model that follows the parent's size and spacing when printing; a
    // capacity above MaxCharacters gives it a model of that many quads.
    void Create(CGUIFont* parent, unsigned int capacity = MaxCharacters);
    void Destroy();
    bool IsFree() const { return m_free; }
    void SetFree(bool free) { m_free = free; }

    void Print(CVector2 const& position, CColor const& color, std::string const& text);
    // One colour per character.
    void Print(CVector2 const& position, CColor const* colors, std::string const& text);

    float GetStringWidth(char const* text) const;
    bool IsCharacterInSet(char character) const;
    unsigned int GetCharactersCount() const { return m_charactersCount; }
    // Quads one frame can hold.
    unsigned int GetCapacity() const { return m_capacity; }
    float GetSize() const { return m_size; }
    void SetSize(float size) { m_size = size; }
    float GetCharactersHorizontalSpace() const { return m_horizontalSpace; }
    void SetCharactersHorizontalSpace(float space) { m_horizontalSpace = space; }
    float GetModelDepthValue() const;
    void SetModelDepthValue(float depth);
    CGUIFont* GetParentFont() const { return m_parent; }
    CModel* GetModel() const { return m_model; }
    std::map<unsigned char, SGUIGlyph> const& GetGlyphs() const { return m_glyphs; }

    // Once per frame after drawing: the next frame's text starts again from the first quad.
    void Refresh();

protected:
    void AddCharacter(unsigned char code, float x, float y, CVector4 const& color);

private:
    void CreateModel(unsigned int cameraIndex, CShaderDescriptor const& shader, unsigned int capacity);
    void ReadFontFile(char const* fileName);
    float GetAdvance(unsigned char code) const;
    template <typename ColorAt>
    void PrintWith(CVector2 const& position, std::string const& text, ColorAt colorAt);

    bool m_free = true;
    CMessageManager* m_messageManager = nullptr;
    CMemoryManager* m_memoryManager = nullptr;
    CFileManager* m_fileManager = nullptr;
    CModelManager* m_modelManager = nullptr;
    CShaderManager* m_shaderManager = nullptr;
    CGUIFont* m_parent = nullptr;
    std::map<unsigned char, SGUIGlyph> m_glyphs;
    CModel* m_model = nullptr;
    IndexBuffer* m_indexBuffer = nullptr;
    VertexBuffer* m_vertexBuffer = nullptr;
    Vertex* m_lockedVertices = nullptr;
    float m_size = 1.0f;
    float m_horizontalSpace = DefaultHorizontalSpace;
    unsigned int m_charactersCount = 0;
    unsigned int m_capacity = MaxCharacters;
    CShaderDescriptor m_shader;
};
