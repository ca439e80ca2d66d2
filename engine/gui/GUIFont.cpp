#include "gui/GUIFont.h"

#include "gui/GUIFontFile.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/Errors.h"
#include "core/File.h"
#include "core/FileManager.h"
#include "core/MessageManager.h"
#include "model/Model.h"
#include "model/ModelManager.h"
#include "render/IndexBuffer.h"
#include "render/ShaderManager.h"
#include "render/TriangleSet.h"
#include "render/VertexBuffer.h"

CGUIFont::~CGUIFont()
{
    Destroy();
}

void CGUIFont::Create(CMessageManager* messageManager, CMemoryManager* memoryManager,
                      CFileManager* fileManager, CShaderManager* shaderManager, CModelManager* modelManager,
                      unsigned int cameraIndex, CShaderDescriptor const& shader, char const* fileName)
{
    Destroy();
    m_messageManager = messageManager;
    m_memoryManager = memoryManager;
    m_fileManager = fileManager;
    m_shaderManager = shaderManager;
    m_modelManager = modelManager;
    m_parent = nullptr;
    m_shader = shader;
    CreateModel(cameraIndex, shader, MaxCharacters);
    m_size = 1.0f;
    m_horizontalSpace = DefaultHorizontalSpace;
    m_charactersCount = 0;
    m_free = false;
    ReadFontFile(fileName);
}

void CGUIFont::Create(CGUIFont* parent, unsigned int capacity)
{
    Destroy();
    m_messageManager = parent->m_messageManager;
    m_memoryManager = parent->m_memoryManager;
    m_fileManager = parent->m_fileManager;
    m_shaderManager = parent->m_shaderManager;
    m_modelManager = parent->m_modelManager;
    m_parent = parent;
    m_glyphs = parent->m_glyphs;
    m_shader = parent->m_shader;
    if (capacity > parent->m_capacity) {
        CreateModel(parent->m_model->GetCameraIndex(), m_shader, capacity);
    } else {
        m_model = m_modelManager->AddModel(*parent->m_model);
        m_vertexBuffer = m_model->GetVertexBuffer();
        m_indexBuffer = m_model->GetTriangleSet(0)->GetIndexBuffer();
        m_indexBuffer->SetSize(0);
        m_model->SetDepthValue(ModelDepth);
        m_capacity = parent->m_capacity;
    }
    m_size = parent->m_size;
    m_horizontalSpace = parent->m_horizontalSpace;
    m_charactersCount = 0;
    m_lockedVertices = nullptr;
    m_free = false;
}

void CGUIFont::Destroy()
{
    if (m_free)
        return;
    m_glyphs.clear();
    if (m_model)
        m_modelManager->RemoveModel(m_model);
    m_model = nullptr;
    m_vertexBuffer = nullptr;
    m_indexBuffer = nullptr;
    m_lockedVertices = nullptr;
    m_parent = nullptr;
    m_charactersCount = 0;
    m_free = true;
}

void CGUIFont::CreateModel(unsigned int cameraIndex, CShaderDescriptor const& shader, unsigned int capacity)
{
    m_capacity = capacity;
    unsigned int const verticesCount = capacity * IndexBuffer::VerticesPerQuad;
    unsigned int const indicesCount = capacity * IndexBuffer::IndicesPerQuad;
    m_model = m_modelManager->AddModel(ModelProperties, 1, verticesCount, 1, cameraIndex);
    m_model->CreateTriangleSet(0, indicesCount, m_shaderManager->AddShader(shader));
    m_vertexBuffer = m_model->GetVertexBuffer();
    m_indexBuffer = m_model->GetTriangleSet(0)->GetIndexBuffer();

    m_indexBuffer->CopyQuadIndices(capacity);
    m_indexBuffer->SetSize(0);
    m_model->SetDepthValue(ModelDepth);
}

void CGUIFont::ReadFontFile(char const* fileName)
{
    CFile file;
    try {
        m_fileManager->OpenFile(&file, fileName, FILE_READ_BINARY);
        ReadFontGlyphs(m_messageManager, file, fileName, &m_glyphs);
    } catch (CFileError const& error) {
        m_messageManager->WriteFatalError("%s", error.GetText());
    }
}

float CGUIFont::GetAdvance(unsigned char code) const
{
    auto const glyph = m_glyphs.find(code);
    return glyph != m_glyphs.end() ? glyph->second.advance : m_horizontalSpace;
}

template <typename ColorAt>
void CGUIFont::PrintWith(CVector2 const& position, std::string const& text, ColorAt colorAt)
{
    if (m_free)
        return;
    if (m_parent) {
        m_size = m_parent->m_size;
        m_horizontalSpace = m_parent->m_horizontalSpace;
    }
    float dx = 0.0f;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char const code = static_cast<unsigned char>(text[i]);
        AddCharacter(code, position.x + dx, position.y, colorAt(i));
        dx += GetAdvance(code) * m_size;
    }
}

void CGUIFont::Print(CVector2 const& position, CColor const& color, std::string const& text)
{
    PrintWith(position, text, [&color](std::size_t) { return color.GetVector4(); });
}

void CGUIFont::Print(CVector2 const& position, CColor const* colors, std::string const& text)
{
    PrintWith(position, text, [colors](std::size_t i) { return colors[i].GetVector4(); });
}

void CGUIFont::AddCharacter(unsigned char code, float x, float y, CVector4 const& color)
{
    if (m_charactersCount >= m_capacity || code == '\n' || code == ' ')
        return;
    auto const found = m_glyphs.find(code);
    if (found == m_glyphs.end())
        return;
    SGUIGlyph const& glyph = found->second;

    if (!m_lockedVertices)
        m_lockedVertices = m_vertexBuffer->Lock(0, m_capacity * 4);

    float const right = x + glyph.advance * m_size;
    float const top = y + m_size;
    std::uint32_t const packed = PackColor(color);
    CVector3 const normal(0.0f, 0.0f, 1.0f);
    Vertex* quad = m_lockedVertices + 4 * m_charactersCount;
    quad[0] = {CVector3(x, top, 0.0f), normal, packed, CVector2(glyph.u, glyph.v + glyph.dv)};
    quad[1] = {CVector3(x, y, 0.0f), normal, packed, CVector2(glyph.u, glyph.v)};
    quad[2] = {CVector3(right, top, 0.0f), normal, packed, CVector2(glyph.u + glyph.du, glyph.v + glyph.dv)};
    quad[3] = {CVector3(right, y, 0.0f), normal, packed, CVector2(glyph.u + glyph.du, glyph.v)};

    ++m_charactersCount;
    m_indexBuffer->SetSize(m_charactersCount * 6);
}

float CGUIFont::GetStringWidth(char const* text) const
{
    float width = 0.0f;
    for (; text && *text; ++text)
        width += GetAdvance(static_cast<unsigned char>(*text)) * m_size;
    return width;
}

bool CGUIFont::IsCharacterInSet(char character) const
{
    return m_glyphs.count(static_cast<unsigned char>(character)) != 0;
}

float CGUIFont::GetModelDepthValue() const
{
    return m_model ? m_model->GetDepthValue() : ModelDepth;
}

void CGUIFont::SetModelDepthValue(float depth)
{
    if (m_model)
        m_model->SetDepthValue(depth);
}

void CGUIFont::Refresh()
{
    if (m_free)
        return;
    if (m_charactersCount == 0)
        m_indexBuffer->SetSize(0);
    m_charactersCount = 0;
    if (m_lockedVertices) {
        m_vertexBuffer->Unlock();
        m_lockedVertices = nullptr;
    }
}
