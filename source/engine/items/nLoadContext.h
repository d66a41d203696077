#pragma once

#include <cstdint>

class nGeometry;
class nMaterial;
class nMObject;

// What is being loaded at one depth of the engine's load context stack; at most one is set.
struct nLoadContext
{
    nMaterial* material = nullptr;
    nGeometry* geometry = nullptr;
    nMObject* object = nullptr;
};

// The chain of resources whose files are being read: a loader pushes its resource before it
// reads the resource's NML and pops it afterwards. Entry 0 is the empty base. Depths outside
// the table, reached only by unbalanced pushes or pops, use one spare entry, so a fault in a
// loader never writes beyond the table.
class nLoadContextStack
{
public:
    static constexpr int32_t Capacity = 32;

    // Only deepens the stack; the entry keeps what it held.
    void Push();
    void PushMaterial(nMaterial* material);
    void PushGeometry(nGeometry* geometry);
    void PushObject(nMObject* object);
    void Pop();

    int32_t GetDepth() const { return m_depth; }
    const nLoadContext& GetCurrent() const;

private:
    void Advance();
    // The cleared entry at the new depth.
    nLoadContext& PushEntry();

    int32_t m_depth = 0;
    nLoadContext m_entries[Capacity];
    nLoadContext m_spare;
};
