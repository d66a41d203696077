#include "render/gl/nEGLMaterial.h"

#include "geometry/nMaterial.h"
#include "render/gl/nEGLProgram.h"
#include "render/gl/nGPURenderer.h"
#include "render/gl/nShader.h"

nEGLMaterial::nEGLMaterial(nGPURenderer* renderer, nMaterial* material)
    : nRenderMaterial(renderer), m_owner(renderer), m_material(material)
{
    for (nSharedPtr<nEGLProgram>& program : m_programs)
        program = renderer->NewProgram();
    renderer->AddMaterial(this);
}

nEGLMaterial::~nEGLMaterial()
{
    if (m_owner)
        m_owner->RemoveMaterial(this);
}

nEGLProgram* nEGLMaterial::GetProgram(uint32_t pass) const
{
    return pass < MaterialPassCount ? m_programs[pass].Get() : nullptr;
}

nEGLProgram* nEGLMaterial::UseProgram(uint32_t pass)
{
    if (pass >= MaterialPassAmbientPoint && pass < MaterialPassCount &&
        !m_summedPassTried[pass - MaterialPassAmbientPoint])
    {
        m_summedPassTried[pass - MaterialPassAmbientPoint] = true;
        Build(m_material, pass);
    }
    return GetProgram(pass);
}

bool nEGLMaterial::Build(nMaterial* material, uint32_t pass)
{
    nEGLProgram* program = m_programs[pass < MaterialPassCount ? pass : MaterialPassDepth].Get();
    if (!m_owner || !material || !program)
        return false;
    nShader shader;
    if (!BuildMaterialPassShader(*material, pass, m_owner->GetMaterialPassTexts(), shader))
    {
        program->Free();
        return false;
    }
    return program->Create(shader);
}

void nEGLMaterial::FreePass(uint32_t pass)
{
    if (nEGLProgram* program = GetProgram(pass))
        program->Free();
}

void nEGLMaterial::DetachFromRenderer()
{
    for (nSharedPtr<nEGLProgram>& program : m_programs)
    {
        if (program)
            program->Free();
    }
    m_owner = nullptr;
}
