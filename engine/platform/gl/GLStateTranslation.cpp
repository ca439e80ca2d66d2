#include "platform/gl/GLStateTranslation.h"

namespace platform
{
GLenum ToGLBlend(DWORD blend)
{
    switch (blend) {
    case D3DBLEND_ZERO:
        return GL_ZERO;
    case D3DBLEND_ONE:
        return GL_ONE;
    case D3DBLEND_SRCCOLOR:
        return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
        return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
        return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
        return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
        return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
        return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
        return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
        return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT:
        return GL_SRC_ALPHA_SATURATE;
    default:
        return GL_ONE;
    }
}

GLenum ToGLCompare(DWORD function)
{
    switch (function) {
    case D3DCMP_NEVER:
        return GL_NEVER;
    case D3DCMP_LESS:
        return GL_LESS;
    case D3DCMP_EQUAL:
        return GL_EQUAL;
    case D3DCMP_LESSEQUAL:
        return GL_LEQUAL;
    case D3DCMP_GREATER:
        return GL_GREATER;
    case D3DCMP_NOTEQUAL:
        return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL:
        return GL_GEQUAL;
    default:
        return GL_ALWAYS;
    }
}

GLint ToGLAddress(DWORD address)
{
    switch (address) {
    case D3DTADDRESS_MIRROR:
        return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP:
        return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER:
        return GL_CLAMP_TO_BORDER;
    default:
        return GL_REPEAT;
    }
}

void ColorToFloats(D3DCOLOR color, GLfloat out[4])
{
    out[0] = ((color >> 16) & 0xFF) / 255.0f;
    out[1] = ((color >> 8) & 0xFF) / 255.0f;
    out[2] = (color & 0xFF) / 255.0f;
    out[3] = ((color >> 24) & 0xFF) / 255.0f;
}

void ColorValueToFloats(D3DCOLORVALUE const& color, GLfloat out[4])
{
    out[0] = color.r;
    out[1] = color.g;
    out[2] = color.b;
    out[3] = color.a;
}

D3DMATRIX Identity()
{
    D3DMATRIX matrix = {};
    for (int i = 0; i < 4; ++i) {
        matrix.m[i][i] = 1.0f;
    }
    return matrix;
}

// Row-vector product a * b.
D3DMATRIX Multiply(D3DMATRIX const& a, D3DMATRIX const& b)
{
    D3DMATRIX result = {};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) {
                sum += a.m[r][k] * b.m[k][c];
            }
            result.m[r][c] = sum;
        }
    }
    return result;
}

void SetCombineArgument(GLenum sourceName, GLenum operandName, DWORD argument, bool alpha)
{
    GLint source;
    switch (argument & D3DTA_SELECTMASK) {
    case D3DTA_CURRENT:
        source = GL_PREVIOUS;
        break;
    case D3DTA_TEXTURE:
        source = GL_TEXTURE;
        break;
    case D3DTA_TFACTOR:
        source = GL_CONSTANT;
        break;
    default:
        source = GL_PRIMARY_COLOR;
        break;
    }
    bool complement = (argument & D3DTA_COMPLEMENT) != 0;
    bool alphaOnly = alpha || (argument & D3DTA_ALPHAREPLICATE);
    GLint operand = alphaOnly ? (complement ? GL_ONE_MINUS_SRC_ALPHA : GL_SRC_ALPHA)
                              : (complement ? GL_ONE_MINUS_SRC_COLOR : GL_SRC_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, sourceName, source);
    glTexEnvi(GL_TEXTURE_ENV, operandName, operand);
}

void SetCombine(DWORD operation, DWORD argument1, DWORD argument2, bool alpha)
{
    GLenum combine = alpha ? GL_COMBINE_ALPHA : GL_COMBINE_RGB;
    GLenum source0 = alpha ? GL_SRC0_ALPHA : GL_SRC0_RGB;
    GLenum source1 = alpha ? GL_SRC1_ALPHA : GL_SRC1_RGB;
    GLenum source2 = alpha ? GL_SRC2_ALPHA : GL_SRC2_RGB;
    GLenum operand0 = alpha ? GL_OPERAND0_ALPHA : GL_OPERAND0_RGB;
    GLenum operand1 = alpha ? GL_OPERAND1_ALPHA : GL_OPERAND1_RGB;
    GLenum operand2 = alpha ? GL_OPERAND2_ALPHA : GL_OPERAND2_RGB;
    GLfloat scale = 1.0f;
    GLint mode = GL_MODULATE;
    DWORD blendSource = 0;
    bool interpolate = false;
    switch (operation) {
    case D3DTOP_DISABLE: // alpha only: pass the current alpha on
        mode = GL_REPLACE;
        argument1 = D3DTA_CURRENT;
        break;
    case D3DTOP_SELECTARG1:
        mode = GL_REPLACE;
        break;
    case D3DTOP_SELECTARG2:
        mode = GL_REPLACE;
        argument1 = argument2;
        break;
    case D3DTOP_MODULATE2X:
        scale = 2.0f;
        break;
    case D3DTOP_MODULATE4X:
        scale = 4.0f;
        break;
    case D3DTOP_ADD:
        mode = GL_ADD;
        break;
    case D3DTOP_ADDSIGNED:
        mode = GL_ADD_SIGNED;
        break;
    case D3DTOP_ADDSIGNED2X:
        mode = GL_ADD_SIGNED;
        scale = 2.0f;
        break;
    case D3DTOP_SUBTRACT:
        mode = GL_SUBTRACT;
        break;
    case D3DTOP_BLENDDIFFUSEALPHA:
        interpolate = true;
        blendSource = D3DTA_DIFFUSE;
        break;
    case D3DTOP_BLENDTEXTUREALPHA:
        interpolate = true;
        blendSource = D3DTA_TEXTURE;
        break;
    case D3DTOP_BLENDFACTORALPHA:
        interpolate = true;
        blendSource = D3DTA_TFACTOR;
        break;
    case D3DTOP_BLENDCURRENTALPHA:
        interpolate = true;
        blendSource = D3DTA_CURRENT;
        break;
    default:
        break;
    }
    if (interpolate) {
        mode = GL_INTERPOLATE;
    }
    glTexEnvi(GL_TEXTURE_ENV, combine, mode);
    SetCombineArgument(source0, operand0, argument1, alpha);
    SetCombineArgument(source1, operand1, argument2, alpha);
    if (interpolate) {
        SetCombineArgument(source2, operand2, blendSource | D3DTA_ALPHAREPLICATE, alpha);
    }
    glTexEnvf(GL_TEXTURE_ENV, alpha ? GL_ALPHA_SCALE : GL_RGB_SCALE, scale);
}
} // namespace platform
