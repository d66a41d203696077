#pragma once

#include "core/base/nSharedPtr.h"
#include "render/gl/nMaterialPassShader.h"
#include "render/nRenderMaterial.h"

#include <cstdint>

class nEGLProgram;
class nGPURenderer;
class nMaterial;

// The renderer's object for one material: one program per lighting case (nMaterialPass), built
// from the material's shader tree. It is in its renderer's list of live materials from its
// construction to its destruction, or until the renderer lets it go.
class nEGLMaterial : public nRenderMaterial
{
public:
    nEGLMaterial(nGPURenderer* renderer, nMaterial* material);
    ~nEGLMaterial() override;

    // Builds the program of one pass; an unknown pass builds the depth-only program. A pass that
    // fails leaves its program unlinked, which draws nothing.
    virtual bool Build(nMaterial* material, uint32_t pass);
    virtual void FreePass(uint32_t pass);

    nMaterial* GetMaterial() const { return m_material; }
    // Null for a pass outside the table.
    nEGLProgram* GetProgram(uint32_t pass) const;
    // The program a draw uses: the passes summed with the ambient terms are built the first time a
    // draw asks for them (most materials never need most of them), the others at set-up.
    nEGLProgram* UseProgram(uint32_t pass);
    // The renderer is going away: the programs are freed while its context is current, and the
    // material no longer reaches it.
    void DetachFromRenderer();

private:
    nGPURenderer* m_owner;
    nMaterial* m_material;
    nSharedPtr<nEGLProgram> m_programs[MaterialPassCount];
    bool m_summedPassTried[MaterialPassCount - MaterialPassAmbientPoint] = {};
};
