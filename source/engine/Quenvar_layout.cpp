#include "engine/Quenvar.h"

#include "audio/nSound.h"
#include "core/base/nAutoArray.h"
#include "core/base/nAutoPtr.h"
#include "core/base/nLog.h"
#include "core/base/nSharedPtr.h"
#include "core/base/nWeakPtr.h"
#include "core/math/nCurve.h"
#include "core/math/nMatrix3.h"
#include "core/math/nMatrix4.h"
#include "core/math/nMinMax.h"
#include "core/math/nVector.h"
#include "core/nml/nMetaTag.h"
#include "geometry/nMaterial.h"
#include "geometry/nTexture.h"
#include "geometry/nTextureStage.h"
#include "render/nRenderablePrimitive.h"

#include <cstddef>

namespace
{
// UV sets per geometry in this build.
constexpr int UVSetCount = 3;

void WriteSize(nLog& log, const char* type, size_t size)
{
    log << "    sizeof(" << type << ") = " << unsigned(size) << "\n";
}
} // namespace

void Quenvar::WriteLayoutReport(bool withCore)
{
    nLog& log = nLogHolder::Get();
    log << "Machine memory layout:\n\n";
    WriteSize(log, "bool", sizeof(bool));
    WriteSize(log, "char", sizeof(char));
    WriteSize(log, "short", sizeof(short));
    WriteSize(log, "int", sizeof(int));
    WriteSize(log, "float", sizeof(float));
    WriteSize(log, "void *", sizeof(void*));
    log << "\n";
    WriteSize(log, "nSharedObject", sizeof(nSharedObject));
    WriteSize(log, "nAutoPtr<int>", sizeof(nAutoPtr<int>));
    WriteSize(log, "nSharedPtr<int>", sizeof(nSharedPtr<int>));
    WriteSize(log, "nWeakPtr<int>", sizeof(nWeakPtr<int>));
    WriteSize(log, "nAutoArray<int>", sizeof(nAutoArray<int>));
    WriteSize(log, "nRenderablePrimitive", sizeof(nRenderablePrimitive));
    log << "\n";
    if (withCore)
    {
        log << "Core memory layout:\n\n";
        WriteSize(log, "nVector", sizeof(nVector));
        WriteSize(log, "nMatrix3", sizeof(nMatrix3));
        WriteSize(log, "nMatrix4", sizeof(nMatrix4));
        WriteSize(log, "nMinMax", sizeof(nMinMax));
        log << "\n";
        WriteSize(log, "Quenvar", sizeof(Quenvar));
        WriteSize(log, "nTexture", sizeof(nTexture));
        WriteSize(log, "nSound", sizeof(nSound));
        WriteSize(log, "nMaterial", sizeof(nMaterial));
        WriteSize(log, "nCurve", sizeof(nCurve));
        log << "\n";
        WriteSize(log, "nMetaTag", sizeof(nMetaTag));
    }
    log << "\n";
    log << "Compiled with " << nTextureStageCount << " logical texture stage(s), " << UVSetCount
        << " UV set(s).\n\n";
}
