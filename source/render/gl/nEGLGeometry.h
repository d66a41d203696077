#pragma once

#include "core/base/nSharedPtr.h"
#include "geometry/nMaterial.h"
#include "render/nRenderGeometry.h"

#include <cstdint>
#include <memory>
#include <vector>

class nEGLDisplayList;
class nEGLVBO;

// The GPU side of one geometry: its display lists and its own buffer objects, all owned.
class nEGLGeometry : public nRenderGeometry
{
public:
    using nRenderGeometry::nRenderGeometry;
    ~nEGLGeometry() override;

    // Same count: kept. Otherwise the buffers are replaced by n new ones.
    virtual bool SetVBOCount(uint32_t count);
    virtual uint32_t GetVBOCount() const;
    virtual nEGLVBO* GetVBO(uint32_t index) const;

    std::vector<std::unique_ptr<nEGLDisplayList>>& GetDisplayLists() { return m_displayLists; }
    // The materials the display lists draw with, held here: the geometry may let its own
    // material slots go once it is uploaded.
    std::vector<nSharedPtr<nMaterial>>& GetMaterials() { return m_materials; }

private:
    std::vector<std::unique_ptr<nEGLDisplayList>> m_displayLists;
    std::vector<nSharedPtr<nMaterial>> m_materials;
    std::vector<std::unique_ptr<nEGLVBO>> m_buffers;
};
