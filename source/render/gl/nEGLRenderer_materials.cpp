#include "render/gl/nEGLRenderer.h"

#include "core/base/nLog.h"
#include "geometry/nMaterial.h"
#include "render/gl/nEGLMaterial.h"
#include "render/gl/nEGLProgram.h"
#include "render/gl/nShader.h"

#include <new>

nRenderMaterial* nEGLRenderer::SetupMaterial(nMaterial* material)
{
    if (!material)
        return nullptr;
    material->Update();
    auto* gpuMaterial = new (std::nothrow) nEGLMaterial(this, material);
    if (!gpuMaterial)
    {
        nLogHolder::Get() << "[!] Failed to allocate EGL data.\n";
        return nullptr;
    }
    nLogHolder::Get() << "[H] Setup material '" << material->name << "'.\n";
    for (uint32_t pass = 0; pass < MaterialPassAmbientPoint; ++pass)
        gpuMaterial->Build(material, pass);
    return gpuMaterial;
}

nEGLProgram* nEGLRenderer::NewMaterialProgram(nShader* shader)
{
    if (!shader)
        return nullptr;
    nEGLProgram* program = NewProgram();
    if (program->Create(*shader))
        return program;
    program->AddRef();
    program->Release();
    return nullptr;
}
