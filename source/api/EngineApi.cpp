#include "api/PictureApi.h"
#include "api/ScriptApiGroups.h"
#include "audio/nSound.h"
#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "engine/Quenvar.h"
#include "geometry/nGeometry.h"
#include "geometry/nMaterial.h"
#include "geometry/nTexture.h"
#include "render/nRenderer.h"
#include "script/binding/ScriptArgs.h"
#include "script/binding/nNativeArgs.h"
#include "script/binding/nNativeCall.h"
#include "script/binding/nScriptRegistrar.h"
#include "script/nObjectType.h"

#include <limits>

template <> struct nHandleArg<Quenvar>
{
    static Quenvar* Get(HSQUIRRELVM vm, SQInteger index)
    {
        return GetObjectArg<Quenvar>(vm, index, ObjectTypeEngine);
    }
};

namespace
{
enum : int32_t
{
    PlatformWin32 = 0,
    PlatformLinuxX86 = 1,
    PlatformNintendoWii = 2,
    PlatformUnknown = 65535,
};

SQInteger GetRenderer(const ScriptArgs& args, Quenvar& engine)
{
    return PushHandle(args.GetVM(), engine.GetRenderer(), ObjectTypeRenderer);
}

// The engine keeps these as whole numbers: the rate as frames a second (negative: off), the scale in
// thousandths and the fixed step in clock ticks (negative: off), so each must fit its integer.
constexpr nFloatRule CorrectionRate{-2147483648.0f, 2147483520.0f};
constexpr nFloatRule ClockScale{-2147483.0f, 2147483.0f};
constexpr nFloatRule FixedStepSeconds{-std::numeric_limits<float>::infinity(), 1.0e14f};

SQInteger SetFixedFramerateCorrection(const ScriptArgs& args, Quenvar& engine)
{
    float rate = 0.0f;
    if (GetFloatArg(args, 3, CorrectionRate, rate))
        engine.SetClockCorrection(int32_t(rate));
    return 0;
}

SQInteger LoadPicture(const ScriptArgs& args, Quenvar& engine)
{
    return PushHandle(args.GetVM(), engine.LoadPicture(args.GetString(3)), ObjectTypePicture);
}

template <bool BypassCache> SQInteger LoadTexture(const ScriptArgs& args, Quenvar& engine)
{
    return PushHandle(args.GetVM(), engine.LoadTexture(args.GetString(3), false, BypassCache),
                      ObjectTypeTexture);
}

SQInteger SetTextureContent(const ScriptArgs& args, Quenvar& engine)
{
    auto* texture = GetObjectArg<nTexture>(args.GetVM(), 3, ObjectTypeTexture);
    if (!texture)
        return SQ_ERROR;
    return args.PushBool(engine.SetTextureContent(texture, args.GetString(4)));
}

// The current cache owns the sound, so the handle does not.
SQInteger LoadSound(const ScriptArgs& args, Quenvar& engine)
{
    return PushHandle(args.GetVM(), engine.LoadSound(args.GetString(3)), ObjectTypeSound);
}

template <bool BypassCache> SQInteger LoadGeometry(const ScriptArgs& args, Quenvar& engine)
{
    return PushHandle(args.GetVM(), engine.LoadGeometry(args.GetString(3), false, BypassCache),
                      ObjectTypeGeometry);
}

// The geometry is in no cache: the handle's reference is the only one until the script hands it on.
SQInteger LoadGeometryFromMetafile(const ScriptArgs& args, Quenvar& engine)
{
    auto* document = GetObjectArg<nMetaFile>(args.GetVM(), 3, ObjectTypeMetafile);
    if (!document)
        return SQ_ERROR;
    auto* geometry = new nGeometry(&engine);
    if (!geometry)
    {
        nLogHolder::Get() << "[!] Failed to allocate geometry to load '" << document->GetFileName() << "'.\n";
        return PushHandle(args.GetVM(), nullptr, ObjectTypeGeometry);
    }
    geometry->name = document->GetFileName();
    geometry->AddRef();
    const bool read = geometry->Parse(*document);
    const SQInteger pushed = PushHandle(args.GetVM(), read ? geometry : nullptr, ObjectTypeGeometry);
    geometry->Release();
    return pushed;
}

SQInteger LoadMaterial(const ScriptArgs& args, Quenvar& engine)
{
    return PushHandle(args.GetVM(), engine.LoadMaterial(args.GetString(3)), ObjectTypeMaterial);
}

SQInteger NewMaterial(const ScriptArgs& args, Quenvar& engine)
{
    auto* material = new nMaterial(&engine);
    if (!material)
        return sq_throwerror(args.GetVM(), "Material allocation error");
    material->name = "material";
    material->AddRef();
    engine.GetResourceCache()->AddMaterial(material, material->name);
    const SQInteger pushed = PushHandle(args.GetVM(), material, ObjectTypeMaterial);
    material->Release();
    return pushed;
}

SQInteger FindTexture(const ScriptArgs& args, Quenvar& engine)
{
    return PushHandle(args.GetVM(), engine.GetResourceCache()->GetTextureList(false).Find(args.GetString(3)),
                      ObjectTypeTexture);
}

SQInteger UnregisterPicture(const ScriptArgs& args, Quenvar& engine)
{
    return args.PushBool(
        PictureCacheUnregister(engine.GetResourceCache()->GetPictureList(), args.GetString(3)));
}

// The current cache keeps the texture, so that a renderer or a material that borrows it never
// outlives it while the script drops its handle.
nTexture* CreateTexture(Quenvar& engine, const char* native, float width, float height, bool renderTarget)
{
    uint32_t pixelsWide = 0, pixelsHigh = 0;
    if (!ReadPictureSize(native, width, height, pixelsWide, pixelsHigh))
        return nullptr;
    auto* texture = new nTexture(&engine, 0, 0);
    if (!texture)
        return nullptr;
    texture->AddRef();
    texture->SetGPURenderTarget(renderTarget);
    nTexture* created = nullptr;
    if (texture->Allocate(pixelsWide, pixelsHigh, PixelFormatBGRA8) &&
        engine.GetResourceCache()->GetTextureList(false).Add(texture, texture->GetName()))
    {
        texture->SetRenderData(engine.GetRenderer()->SetupTexture(texture));
        created = texture;
    }
    texture->Release();
    return created;
}

SQInteger CreateCanvasTexture(const ScriptArgs& args, Quenvar& engine)
{
    return PushHandle(
        args.GetVM(),
        CreateTexture(engine, "EngineCreateCanvasTexture", args.GetFloat(3), args.GetFloat(4), false),
        ObjectTypeTexture);
}

SQInteger CreateTextureNative(const ScriptArgs& args, Quenvar& engine)
{
    return PushHandle(
        args.GetVM(),
        CreateTexture(engine, "EngineCreateTexture", args.GetFloat(3), args.GetFloat(4), args.GetBool(5)),
        ObjectTypeTexture);
}

SQInteger NewResourceCache(const ScriptArgs& args, Quenvar& engine)
{
    return PushHandle(args.GetVM(), engine.NewResourceCache(), ObjectTypeResourceSet);
}

SQInteger GetResourceCache(const ScriptArgs& args, Quenvar& engine)
{
    return PushHandle(args.GetVM(), engine.GetResourceCache(), ObjectTypeResourceSet);
}

// A handle on no cache selects the default one.
SQInteger SetResourceCache(const ScriptArgs& args, Quenvar& engine)
{
    void* cache = nullptr;
    if (!GetCObject(args.GetVM(), 3, cache, ObjectTypeResourceSet))
        return SQ_ERROR;
    return PushHandle(args.GetVM(), engine.SetResourceCache(static_cast<nResourceCache*>(cache)),
                      ObjectTypeResourceSet);
}

SQInteger ClearResourceCache(const ScriptArgs&, Quenvar& engine)
{
    engine.GetResourceCache()->Clear();
    return 0;
}

SQInteger GetCacheGeometryList(const ScriptArgs& args, Quenvar& engine)
{
    HSQUIRRELVM vm = args.GetVM();
    const nResourceList<nGeometry>& geometries = engine.GetResourceCache()->GetGeometryList(false);
    sq_newarray(vm, 0);
    for (const auto* node = geometries.GetHead(); node; node = node->next)
        if (!AppendHandle(vm, nResourceList<nGeometry>::Get(node), ObjectTypeGeometry))
        {
            sq_poptop(vm);
            return SQ_ERROR;
        }
    return 1;
}

SQInteger OutputCacheStatistics(const ScriptArgs&, Quenvar& engine)
{
    nResourceCache& cache = *engine.GetResourceCache();
    nLog& log = nLogHolder::Get();
    log << "[H] Engine resource cache statistics\n";
    log << "  - " << cache.GetGeometryList(true).GetCount() << " geometries (CPU),\n";
    log << "  - " << cache.GetGeometryList(false).GetCount() << " geometries (GPU),\n";
    log << "  - " << cache.GetTextureList(true).GetCount() << " textures (CPU),\n";
    log << "  - " << cache.GetTextureList(false).GetCount() << " textures (GPU),\n";
    log << "  - " << cache.GetSoundList().GetCount() << " sounds.\n";
    log << "\n";
    return 0;
}

// Kept for old scripts: they log what became of them and look at no argument.
template <const char* Line> SQInteger Deprecated(HSQUIRRELVM)
{
    nLogHolder::Get() << Line;
    return 0;
}

constexpr char AutoSetupLine[] = "EngineSetResourceAutoSetup() is deprecated.\n";
constexpr char SetupResourcesLine[] = "EngineSetupResources() is deprecated.\n";
constexpr char SetupAllGeometriesLine[] = "EngineSetupAllGeometries() is deprecated.\n";
constexpr char DeleteTextureLine[] = "EngineDeleteTexture() is obsolete.\n";

const nNativeEntry EngineNatives[] = {
    {"EngineGetRenderer", Native<GetRenderer>, ".x"},
    {"EngineResetClock", Native<CallOf<&Quenvar::ResetClock>>, ".x"},
    {"EngineSetClockScale", Native<SetFloatWithinOf<&Quenvar::SetClockScale, ClockScale>>, ".xn"},
    {"EngineGetClockScale", Native<AnswerFloatOf<&Quenvar::GetClockScale>>, ".x"},
    {"EngineSetFixedDeltaFrame", Native<SetFloatWithinOf<&Quenvar::SetFixedDeltaFrame, FixedStepSeconds>>,
     ".xn"},
    {"EngineSetFixedFramerateCorrection", Native<SetFixedFramerateCorrection>, ".xn"},
    {"EngineBeginFrame", Native<CallOf<&Quenvar::BeginFrame>>, ".x"},
    {"EngineBeginDraw", Native<CallOf<&Quenvar::BeginFrame>>, ".x"},
    {"EngineEndFrame", Native<Ignored<Quenvar>>, ".x"},
    {"EngineEndDraw", Native<Ignored<Quenvar>>, ".x"},
    {"EngineGetToolMode", Native<AnswerIntOf<&Quenvar::GetMode, Quenvar>>, ".x"},
    {"EngineLoadPicture", Native<LoadPicture>, ".xs"},
    {"EngineLoadTexture", Native<LoadTexture<false>>, ".xs"},
    {"EngineLoadTextureBypassCache", Native<LoadTexture<true>>, ".xs"},
    {"EngineSetTextureContent", Native<SetTextureContent>, ".xxs"},
    {"EngineLoadSound", Native<LoadSound>, ".xs"},
    {"EngineLoadGeometry", Native<LoadGeometry<false>>, ".xs"},
    {"EngineLoadGeometryBypassCache", Native<LoadGeometry<true>>, ".xs"},
    {"EngineLoadGeometryFromMetafile", Native<LoadGeometryFromMetafile>, ".xx"},
    {"EngineLoadMaterial", Native<LoadMaterial>, ".xs"},
    {"EngineNewMaterial", Native<NewMaterial>, ".x"},
    {"EngineFindTexture", Native<FindTexture>, ".xs"},
    {"EngineCacheUnregisterPicture", Native<UnregisterPicture>, ".xs"},
    {"EngineUnloadPicture", Native<UnregisterPicture>, ".xs"},
    {"EngineCreateCanvasTexture", Native<CreateCanvasTexture>, ".xnn"},
    {"EngineCreateTexture", Native<CreateTextureNative>, ".xnnb"},
    {"EngineNewResourceCache", Native<NewResourceCache>, ".x"},
    {"EngineNewResourceSet", Native<NewResourceCache>, ".x"},
    {"EngineNewResourceManagerSet", Native<NewResourceCache>, ".x"},
    {"EngineGetResourceCache", Native<GetResourceCache>, ".x"},
    {"EngineGetResourceSet", Native<GetResourceCache>, ".x"},
    {"EngineGetResourceManagerSet", Native<GetResourceCache>, ".x"},
    {"EngineSetResourceCache", Native<SetResourceCache>, ".xx"},
    {"EngineSetResourceSet", Native<SetResourceCache>, ".xx"},
    {"EngineSetResourceManagerSet", Native<SetResourceCache>, ".xx"},
    {"EngineClearResourceCache", Native<ClearResourceCache>, ".x"},
    {"EngineDeleteAllResources", Native<ClearResourceCache>, ".x"},
    {"EngineGetCacheGeometryList", Native<GetCacheGeometryList>, ".x"},
    {"EngineGetManagerGeometryList", Native<GetCacheGeometryList>, ".x"},
    {"EngineOutputCacheStatistics", Native<OutputCacheStatistics>, ".x"},
    {"EngineEnableLoadCallback", Native<Ignored<Quenvar>>, ".xb"},
    {"EngineSetResourceAutoSetup", GuardedNative<Deprecated<AutoSetupLine>>, ".xb"},
    {"EngineSetupResources", GuardedNative<Deprecated<SetupResourcesLine>>, ".x"},
    {"EngineSetupAllGeometries", GuardedNative<Deprecated<SetupAllGeometriesLine>>, ".x"},
    {"EngineDeleteTexture", GuardedNative<Deprecated<DeleteTextureLine>>, ".xx"},
};

// This build runs on Linux, so g_platform is PlatformLinuxX86.
const nIntegerConstantEntry EngineConstants[] = {
    {"PlatformWin32", PlatformWin32},
    {"PlatformLinuxX86", PlatformLinuxX86},
    {"PlatformNintendoWii", PlatformNintendoWii},
    {"PlatformUnknown", PlatformUnknown},
    {"g_platform", PlatformLinuxX86},
    {"NoTool", 0},
    {"ToolEdit", 1},
    {"ToolPreview", 2},
    {"ToolProjectPreview", 3},
};
} // namespace

void RegisterEngineApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, EngineNatives);
    RegisterIntegerConstants(vm, EngineConstants);
}
