#include "api/ScriptApiGroups.h"
#include "core/base/nLog.h"
#include "core/picture/nPicture.h"
#include "engine/Quenvar.h"
#include "engine/scene/nScene.h"
#include "raytracer/nRaytracer.h"
#include "script/binding/ScriptArgs.h"
#include "script/binding/nNativeArgs.h"
#include "script/binding/nNativeCall.h"
#include "script/nCObject.h"
#include "script/nObjectType.h"

template <> struct nHandleArg<nRaytracer>
{
    static nRaytracer* Get(HSQUIRRELVM vm, SQInteger index)
    {
        return GetObjectArg<nRaytracer>(vm, index, ObjectTypeRaytracer);
    }
};

namespace
{
void DestroyScriptRaytracer(void* object)
{
    nCObject::Invalidate(object);
    delete static_cast<nRaytracer*>(object);
}

// The handle does not own the raytracer and scripts have no way to delete it: the engine frees it
// when it goes.
SQInteger NewRaytracer(HSQUIRRELVM vm)
{
    auto* engine = GetObjectArg<Quenvar>(vm, 2, ObjectTypeEngine);
    if (!engine)
        return SQ_ERROR;
    auto* raytracer = new nRaytracer(engine);
    try
    {
        engine->AdoptObject(raytracer, DestroyScriptRaytracer);
    }
    catch (...)
    {
        delete raytracer;
        throw;
    }
    return PushHandle(vm, raytracer, ObjectTypeRaytracer);
}

SQInteger DeleteSelf(const ScriptArgs&, nRaytracer&)
{
    nLogHolder::Get() << "[*] RaytracerDeleteSelf() is now obsolete, you can remove this call.\n";
    return 0;
}

// Each setter changes a copy of the settings and hands it back whole.
template <typename Change> SQInteger ChangeSettings(nRaytracer& raytracer, Change change)
{
    nRaytracerSettings settings = raytracer.GetSettings();
    change(settings);
    raytracer.SetSettings(settings);
    return 0;
}

SQInteger SetAntialias(const ScriptArgs& args, nRaytracer& raytracer)
{
    float threshold = 0.0f;
    if (!GetFloatArg(args, 5, NotNegative, threshold))
        return 0;
    return ChangeSettings(raytracer,
                          [&](nRaytracerSettings& settings)
                          {
                              settings.antialias = args.GetBool(3);
                              settings.antialiasGrid = args.GetInt(4);
                              settings.antialiasThreshold = threshold;
                              settings.antialiasJitter = args.GetBool(6);
                          });
}

SQInteger SetGlobalIllum(const ScriptArgs& args, nRaytracer& raytracer)
{
    return ChangeSettings(raytracer,
                          [&](nRaytracerSettings& settings)
                          {
                              settings.globalIllumination = args.GetBool(3);
                              settings.sampleSetSideCount = args.GetInt(4);
                              settings.globalIlluminationDepth = args.GetInt(5);
                          });
}

SQInteger SetInterlace(const ScriptArgs& args, nRaytracer& raytracer)
{
    return ChangeSettings(raytracer,
                          [&](nRaytracerSettings& settings)
                          {
                              settings.interlaced = args.GetBool(3);
                              settings.firstFieldFlag = args.GetBool(4);
                          });
}

SQInteger SetScene(const ScriptArgs& args, nRaytracer& raytracer)
{
    auto* scene = GetObjectArg<nScene>(args.GetVM(), 3, ObjectTypeScene);
    if (!scene)
        return SQ_ERROR;
    return args.PushBool(raytracer.SetScene(scene));
}

// A frame that leaves the picture empty (the first field of an interlaced sequence) writes no file
// and answers false.
SQInteger Trace(const ScriptArgs& args, nRaytracer& raytracer)
{
    nPicture picture;
    const bool traced = raytracer.Trace(picture, args.GetInt(4), args.GetInt(5)) && picture.HasPixels();
    return args.PushBool(traced && nPicture::SaveTGA(picture, args.GetString(3)));
}

const nNativeEntry RaytracerNatives[] = {
    {"EngineNewRaytracer", GuardedNative<NewRaytracer>, ".x"},
    {"RaytracerDeleteSelf", Native<DeleteSelf>, ".x"},
    {"RaytracerSetAntialias", Native<SetAntialias>, ".xbinb"},
    {"RaytracerSetGlobalIllum", Native<SetGlobalIllum>, ".xbii"},
    {"RaytracerSetInterlace", Native<SetInterlace>, ".xbb"},
    {"RaytracerStartInterlacedSequence", Native<CallOf<&nRaytracer::StartInterlacedSequence>>, ".x"},
    {"RaytracerSetScene", Native<SetScene>, ".xx"},
    {"RaytracerTrace", Native<Trace>, ".xsii"},
};
} // namespace

void RegisterRaytracerApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, RaytracerNatives);
}
