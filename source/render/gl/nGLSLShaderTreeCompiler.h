#pragma once

#include "render/gl/nShaderTreeCompiler.h"

#include <initializer_list>

// The shader-tree compiler that writes GLSL. Operator code goes to the fragment stage; stream
// blocks pass their attribute through a varying written by the vertex stage. Refusals log one
// "[!]" line and give null; what was emitted for a refused block's inputs stays valid code.
class nGLSLShaderTreeCompiler : public nShaderTreeCompiler
{
public:
    nCShaderBlock* CompileGeometryVertex(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileGeometryNormal(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileGeometryUV(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileGeometrySkinning(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileGeometryVertexColor(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileGeometryTangentFrame(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileRenderBuffer(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileTexture(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileSampler2d(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileConstant(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileColor(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileMaterialParam(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileScreenUV(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileViewVector(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileViewport(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileNormalViewMatrix(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileNormalMatrix(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileModelViewMatrix(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileModelMatrix(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileMix(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileAdd(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileMul(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileSub(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileDiv(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileDot(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileCross(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileClamp(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileNormalize(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileSwizzle(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileBuild(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileSinus(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileCosinus(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompilePow(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileAbs(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileUnpackColor(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompilePackVector(nShaderBlock& block, uint32_t scope) override;
    nCShaderBlock* CompileClock(nShaderBlock& block, uint32_t scope) override;

private:
    // A uniform named after the record, fed by the semantic.
    nCShaderBlock* EngineValue(nShaderBlock& block, const char* prefix, uint32_t type, uint32_t semantic,
                               uint32_t scope);
    // A stream attribute carried to the fragment stage by a varying named after the record.
    nCShaderBlock* Stream(nShaderBlock& block, const char* prefix, const char* attribute, uint32_t type,
                          uint32_t semantic, const char* varyingType, const char* vertexFormat);
    // Input `index`, or null after a line naming the block and the input when none is connected.
    nShaderBlock* ConnectedInput(const nShaderBlock& block, uint32_t index);
    // Input `index` compiled for the fragment stage; null when it is not connected, is refused, or
    // has no type ("Block has no output.").
    nCShaderBlock* Operand(const nShaderBlock& block, uint32_t index);
    // Inputs 0, 1 ... in order into the given places; false, the record refused, at the first
    // that Operand refuses.
    bool Operands(nCShaderBlock* record, const nShaderBlock& block,
                  std::initializer_list<nCShaderBlock**> inputs);
    // Add, subtract and divide: one operator between two inputs of one vector type.
    nCShaderBlock* Arithmetic(nShaderBlock& block, const char* prefix, const char* symbol,
                              const char* mismatch, const char* badType);
    // Sinus, cosinus: one float input through a GLSL function.
    nCShaderBlock* FloatFunction(nShaderBlock& block, const char* prefix, const char* function);
    // Unpack and pack: float, vec3 or vec4 through one of three formats.
    nCShaderBlock* ColorVector(nShaderBlock& block, const char* prefix, const char* const formats[3],
                               const char* refusal);
    nCShaderBlock* Refuse(nCShaderBlock* record, const char* message);
};
