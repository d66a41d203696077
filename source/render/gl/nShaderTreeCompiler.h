#pragma once

#include "render/shader/nShaderBlock.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class nShader;

// One compiled block: the variable that holds its value and that value's type (a value-type flag,
// 1 while it has none).
struct nCShaderBlock
{
    std::string name;
    const nShaderBlock* block = nullptr;
    uint32_t type = 1;
    // A block whose compile was refused: every parent that reaches it again is refused too, so no
    // code names a variable that was never declared.
    bool failed = false;
};

// Turns shader-block trees into shader code for one nShader: one variable per block, inputs and
// varyings added to the shader, stage code gathered in two texts. A block reached through several
// parents, or a leaf equivalent to one already compiled, is compiled once.
class nShaderTreeCompiler
{
public:
    enum Scope : uint32_t
    {
        VertexStage = 1,
        FragmentStage = 2,
    };

    nShaderTreeCompiler() = default;
    nShaderTreeCompiler(const nShaderTreeCompiler&) = delete;
    nShaderTreeCompiler& operator=(const nShaderTreeCompiler&) = delete;
    virtual ~nShaderTreeCompiler();

    // Empties the texts, the records and the temporary blocks, and compiles into the shader next.
    void Reset(nShader* target);
    // Null for a null block, for a refused compile and for kinds without a compile operation.
    nCShaderBlock* Compile(nShaderBlock* block, const char* prefix, uint32_t scope);

    virtual nCShaderBlock* CompileGeometryVertex(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileGeometryNormal(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileGeometryUV(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileGeometrySkinning(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileGeometryVertexColor(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileGeometryTangentFrame(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileRenderBuffer(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileTexture(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileSampler2d(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileConstant(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileColor(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileMaterialParam(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileScreenUV(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileViewVector(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileViewport(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileNormalViewMatrix(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileNormalMatrix(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileModelViewMatrix(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileModelMatrix(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileMix(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileAdd(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileMul(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileSub(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileDiv(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileDot(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileCross(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileClamp(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileNormalize(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileSwizzle(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileBuild(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileSinus(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileCosinus(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompilePow(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileAbs(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileUnpackColor(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompilePackVector(nShaderBlock& block, uint32_t scope) = 0;
    virtual nCShaderBlock* CompileClock(nShaderBlock& block, uint32_t scope) = 0;
    virtual nShader* GetShader() const;

    // The GLSL prefixes of the blocks met, in dispatch order.
    const std::string& GetCode() const { return m_code; }
    const std::string& GetVertexCode() const { return m_vertexCode; }
    const std::string& GetFragmentCode() const { return m_fragmentCode; }

protected:
    // A new record named "_n_<prefix><counter>", appended to the compiled list.
    nCShaderBlock* NewRecord(const nShaderBlock& block, const char* prefix);
    // "_n_<prefix><counter>" (or "_n_var<counter>"); every name takes the next counter value.
    std::string NewName(const char* prefix);
    // A block the compiler made for itself, deleted with the compiler's next reset.
    nShaderBlock* AddTemporary(nShaderBlock* block);

    std::string m_code;
    std::string m_vertexCode;
    std::string m_fragmentCode;

private:
    nCShaderBlock* Dispatch(nShaderBlock& block, uint32_t scope);

    uint32_t m_counter = 0;
    nShader* m_shader = nullptr;
    std::vector<std::unique_ptr<nShaderBlock>> m_temporaries;
    std::vector<std::unique_ptr<nCShaderBlock>> m_records;
};
