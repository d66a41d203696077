#include "api/ScriptApiGroups.h"
#include "core/base/nLog.h"
#include "geometry/nTexture.h"
#include "render/nEngineServices.h"
#include "render/nRenderer.h"
#include "script/binding/ScriptArgs.h"
#include "script/binding/nNativeArgs.h"
#include "script/binding/nNativeCall.h"
#include "script/nObjectType.h"

template <> struct nHandleArg<nTexture>
{
    static nTexture* Get(HSQUIRRELVM vm, SQInteger index)
    {
        return GetObjectArg<nTexture>(vm, index, ObjectTypeTexture);
    }
};

namespace
{
SQInteger GetWidth(const ScriptArgs& args, nTexture& texture)
{
    return args.PushInt(int32_t(texture.GetWidth()));
}

SQInteger GetHeight(const ScriptArgs& args, nTexture& texture)
{
    return args.PushInt(int32_t(texture.GetHeight()));
}

// The picture handle holds a reference on the texture like a texture handle does, so drawing into
// it stays safe after the texture's cache lets go.
SQInteger GetPicture(const ScriptArgs& args, nTexture& texture)
{
    return PushHandle(args.GetVM(), static_cast<nPicture*>(&texture), ObjectTypePicture);
}

SQInteger Update(const ScriptArgs&, nTexture& texture)
{
    nRenderer* renderer = texture.GetOwner() ? texture.GetOwner()->GetRenderer() : nullptr;
    if (!texture.HasPixels() || !texture.GetRenderData() || !renderer)
    {
        nLogHolder::Get() << "[!] Cannot update STUB texture.\n";
        return 0;
    }
    renderer->UpdateTexture(texture.GetRenderData(), texture.GetPixels(), texture.GetWidth(),
                            texture.GetHeight(), 0, 0, 0);
    return 0;
}

const nNativeEntry TextureNatives[] = {
    {"TextureSetStreamState", Native<Ignored<nTexture>>, ".xi"},
    {"TextureRewindStream", Native<Ignored<nTexture>>, ".x"},
    {"TextureGetWidth", Native<GetWidth>, ".x"},
    {"TextureGetHeight", Native<GetHeight>, ".x"},
    {"TextureGetPicture", Native<GetPicture>, ".x"},
    {"TextureUpdate", Native<Update>, ".x"},
};
} // namespace

void RegisterTextureApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, TextureNatives);
    RegisterNullHandleConstant(vm, "NullTexture", ObjectTypeTexture);
}
