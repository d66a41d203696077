#pragma once

#include <cstdint>
#include <unordered_map>

class nShaderBlock;

// The output types found during one typing walk, so that a block feeding several inputs is typed
// once and typing a graph with shared blocks takes time linear in its size.
class nShaderTypeMemo
{
public:
    uint32_t TypeOf(const nShaderBlock* block);

private:
    std::unordered_map<const nShaderBlock*, uint32_t> m_types;
};
