#pragma once

#include "render/shader/nShaderBlockDescriptor.h"
#include "render/shader/nShaderBlockKind.h"

#include <cstdint>

class nString;
class nShaderTypeMemo;

// One node of a material's shader tree. A block does not own its inputs: a block may feed several
// inputs, and the shader map that reaches it deletes it once. SetInput refuses a connection that
// would close a cycle, so the graph stays acyclic and every walk over it ends.
class nShaderBlock
{
public:
    float posX = 0.0f; // editor position, not used by rendering
    float posY = 0.0f;

    nShaderBlock(const nShaderBlock&) = delete;
    nShaderBlock& operator=(const nShaderBlock&) = delete;

    virtual uint32_t GetInputCount() const;
    virtual nShaderBlock* GetInput(uint32_t index) const;
    // False for an index out of range, for a block whose output the input does not accept, and for
    // a block that already depends on this one; null disconnects.
    virtual bool SetInput(uint32_t index, nShaderBlock* block);
    virtual const nShaderInputDescriptor* GetInputDescriptor(uint32_t index) const;
    virtual const nShaderBlockDescriptor& GetDescriptor() const;
    // Computed from the inputs on every call; each block shared in the graph is typed once per call.
    virtual uint32_t GetOutputType() const;
    virtual void GetName(nString& out) const;
    virtual void GetGLSLPrefix(nString& out) const;
    virtual ~nShaderBlock() = default;

    int32_t GetKind() const { return m_kind; }
    static const char* GetKindName(int32_t kind);
    // Leaf blocks that stand for the same engine value, so the compiler can share them.
    bool IsEquivalent(const nShaderBlock& other) const;
    // Whether this block is reachable from the given one through inputs (itself included).
    bool IsReachableFrom(const nShaderBlock* start) const;

protected:
    nShaderBlock(int32_t kind, nShaderBlock** inputs, uint32_t inputCount);

    friend class nShaderTypeMemo;
    // Kinds whose type depends on inputs or parameters override this; it reads input types
    // through the memo so that shared blocks are typed once.
    virtual uint32_t ComputeOutputType(nShaderTypeMemo& memo) const;
    // 0 when the input is not connected.
    uint32_t InputType(uint32_t index, nShaderTypeMemo& memo) const;

private:
    int32_t m_kind;
    nShaderBlock** m_inputs;
    uint32_t m_inputCount;
};

// A block kind with a fixed number of inputs, stored in the block itself.
template <uint32_t InputCount> class nShaderBlockWithInputs : public nShaderBlock
{
protected:
    explicit nShaderBlockWithInputs(int32_t kind) : nShaderBlock(kind, m_inputSlots, InputCount) {}

private:
    nShaderBlock* m_inputSlots[InputCount] = {};
};

// A block kind without inputs.
class nShaderLeafBlock : public nShaderBlock
{
protected:
    explicit nShaderLeafBlock(int32_t kind) : nShaderBlock(kind, nullptr, 0) {}
};
