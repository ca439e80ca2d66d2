#pragma once

#include "platform/gl/Direct3D8.h"
#include "platform/gl/OpenGL.h"

// Device render and texture-stage values turned into their OpenGL counterparts.
namespace platform
{
GLenum ToGLBlend(DWORD blend);
GLenum ToGLCompare(DWORD function);
GLint ToGLAddress(DWORD address);
void ColorToFloats(D3DCOLOR color, GLfloat out[4]);
void ColorValueToFloats(D3DCOLORVALUE const& color, GLfloat out[4]);
D3DMATRIX Identity();
D3DMATRIX Multiply(D3DMATRIX const& a, D3DMATRIX const& b);

// One argument of a texture stage as a combiner source and operand.
void SetCombineArgument(GLenum sourceName, GLenum operandName, DWORD argument, bool alpha);
// A texture stage's colour (or alpha) operation on the current texture unit's combiner.
void SetCombine(DWORD operation, DWORD argument1, DWORD argument2, bool alpha);
} // namespace platform
