#include "api/ItemApi.h"
#include "api/MetafileApi.h"
#include "api/ScriptApiGroups.h"
#include "core/base/nLog.h"
#include "core/math/nUV.h"
#include "core/math/nVector.h"
#include "core/nml/nMetaTag.h"
#include "core/picture/nPicture.h"
#include "engine/items/nMCamera.h"
#include "geometry/nTexture.h"
#include "render/nRasterFont.h"
#include "render/nRenderer.h"
#include "script/binding/ScriptArgs.h"
#include "script/binding/nNativeArgs.h"
#include "script/binding/nNativeCall.h"
#include "script/binding/nScriptRegistrar.h"
#include "script/classes/ScriptUV.h"
#include "script/classes/ScriptVector.h"
#include "script/nObjectType.h"

#include <cmath>

template <> struct nHandleArg<nRenderer>
{
    static nRenderer* Get(HSQUIRRELVM vm, SQInteger index)
    {
        return GetObjectArg<nRenderer>(vm, index, ObjectTypeRenderer);
    }
};

namespace
{
SQInteger RegistrySetKey(const ScriptArgs& args, nRenderer& renderer)
{
    SetRegistryKeyFromArgs(args, renderer.GetRegistry());
    return 0;
}

// Unlike an item's registry, a missing key is an error.
SQInteger RegistryGetKey(const ScriptArgs& args, nRenderer& renderer)
{
    const nMetaTag* tag = MetaFindTagInList(&renderer.GetRegistry().GetRoots(), args.GetString(3), false);
    if (!tag)
        return sq_throwerror(args.GetVM(), "Registry key does not exists");
    return PushTagValue(args, tag->GetValue())
               ? 1
               : sq_throwerror(args.GetVM(), "Cannot return this key variant");
}

SQInteger ClearFrame(const ScriptArgs& args, nRenderer& renderer)
{
    float colour[3];
    if (GetFloatArgs(args, 3, 3, AnyFinite, colour))
        renderer.ClearFrame(colour[0], colour[1], colour[2], 1.0f, 0.0f, 0xFFFFFFFFu);
    return 0;
}

SQInteger ResetStatistics(const ScriptArgs&, nRenderer& renderer)
{
    renderer.ResetStatistics();
    return 0;
}

SQInteger GetStatistics(const ScriptArgs& args, nRenderer& renderer)
{
    const nRenderer::Statistics statistics = renderer.GetStatistics();
    HSQUIRRELVM vm = args.GetVM();
    sq_newtable(vm);
    const std::pair<const char*, uint32_t> slots[] = {{"renderable_drawn", statistics.objectsDrawn},
                                                      {"list_drawn", statistics.listsDrawn},
                                                      {"triangle_drawn", statistics.trianglesDrawn}};
    for (const auto& [name, value] : slots)
    {
        sq_pushstring(vm, name, -1);
        sq_pushinteger(vm, SQInteger(value));
        sq_newslot(vm, -3, SQFalse);
    }
    return 1;
}

SQInteger SetFog(const ScriptArgs& args, nRenderer& renderer)
{
    nVector colour;
    if (!GetVectorArg(args.GetVM(), 4, colour))
        return SQ_ERROR;
    const nColor fogColour(colour.x, colour.y, colour.z, colour.w);
    float nearAndFar[2];
    if (IsFiniteVector(args, colour) && GetFloatArgs(args, 5, 2, NotNegative, nearAndFar))
        renderer.SetFog(args.GetBool(3), &fogColour, nearAndFar[0], nearAndFar[1]);
    return 0;
}

SQInteger SetGlobalAspectRatio(const ScriptArgs& args, nRenderer& renderer)
{
    const float previous = renderer.GetGlobalAspectRatio();
    float ratio = 0.0f;
    if (GetFloatArg(args, 3, AnyFinite, ratio))
        renderer.SetGlobalAspectRatio(ratio);
    return args.PushFloat(previous);
}

// A fraction times a size, truncated; NaN and what lies beyond int are kept in range rather than
// converted undefined.
int32_t ScaleToPixels(float fraction, uint32_t size)
{
    const double pixels = double(fraction) * double(size);
    if (!(pixels > -2147483648.0))
        return pixels > 0.0 ? INT32_MAX : (std::isnan(pixels) ? 0 : INT32_MIN);
    return pixels < 2147483647.0 ? int32_t(pixels) : INT32_MAX;
}

SQInteger SetViewport(const ScriptArgs& args, nRenderer& renderer)
{
    uint32_t width = 0, height = 0;
    renderer.GetOutputSize(width, height);
    float fractions[4];
    if (GetFloatArgs(args, 3, 4, AnyFinite, fractions))
        renderer.SetViewport(ScaleToPixels(fractions[0], width), ScaleToPixels(fractions[1], height),
                             ScaleToPixels(fractions[2], width), ScaleToPixels(fractions[3], height));
    return 0;
}

SQInteger GetViewport(const ScriptArgs& args, nRenderer& renderer)
{
    uint32_t width = 0, height = 0;
    renderer.GetOutputSize(width, height);
    return PushVector(args.GetVM(), nVector(0.0f, 0.0f, float(width), float(height)))
               ? 1
               : sq_throwerror(args.GetVM(), "Failed to create Vector instance.");
}

SQInteger SetViewItemAndApplyView(const ScriptArgs& args, nRenderer& renderer)
{
    nMItem* item = GetItemArg(args.GetVM(), 3);
    if (!item)
        return SQ_ERROR;
    if (item->GetKind() != ItemTypeCamera)
        return sq_throwerror(args.GetVM(), "Item is not a camera");
    nCamera& camera = static_cast<nMCamera*>(item)->GetCamera();
    renderer.SetViewItem(&camera, &camera);
    renderer.ApplyView();
    return 0;
}

// A handle on no texture renders to the window again.
SQInteger SetOutputTexture(const ScriptArgs& args, nRenderer& renderer)
{
    void* texture = nullptr;
    if (!GetCObject(args.GetVM(), 3, texture, ObjectTypeTexture))
        return SQ_ERROR;
    renderer.SetOutputTexture(static_cast<nTexture*>(texture));
    return 0;
}

SQInteger GrabDisplayToPicture(const ScriptArgs& args, nRenderer& renderer)
{
    auto* picture = GetObjectArg<nPicture>(args.GetVM(), 3, ObjectTypePicture);
    if (!picture)
        return SQ_ERROR;
    renderer.GrabDisplayToPicture(picture);
    return 0;
}

// Reads count Vectors from index on into out; false after "Invalid instance type".
bool ReadVectors(HSQUIRRELVM vm, SQInteger index, uint32_t count, nVector* out)
{
    for (uint32_t i = 0; i < count; ++i)
        if (!GetVectorArg(vm, index + SQInteger(i), out[i]))
            return false;
    return true;
}

SQInteger SetClippingPlane(const ScriptArgs& args, nRenderer& renderer)
{
    nVector plane[2];
    if (!ReadVectors(args.GetVM(), 3, 2, plane))
        return SQ_ERROR;
    if (IsFiniteVector(args, plane[0]) && IsFiniteVector(args, plane[1]))
        renderer.SetClippingPlane(plane[0], plane[1]);
    return 0;
}

template <bool Coloured> SQInteger DrawCross(const ScriptArgs& args, nRenderer& renderer)
{
    nVector values[2];
    if (!ReadVectors(args.GetVM(), 3, Coloured ? 2 : 1, values))
        return SQ_ERROR;
    renderer.DrawCross(values[0], 1.0f, Coloured ? &values[1] : nullptr);
    return 0;
}

template <bool Coloured> SQInteger DrawLine(const ScriptArgs& args, nRenderer& renderer)
{
    nVector values[3];
    if (!ReadVectors(args.GetVM(), 3, Coloured ? 3 : 2, values))
        return SQ_ERROR;
    renderer.DrawLine(values[0], values[1], Coloured ? &values[2] : nullptr);
    return 0;
}

// The registered masks of both triangle natives do not match what they were once documented to
// take, hence the warning on every call; the values are read in mask order.
SQInteger DrawTriangle(const ScriptArgs& args, nRenderer& renderer)
{
    nLogHolder::Get() << "[*] Incorrect binding argument count.\n";
    nVector values[6];
    if (!ReadVectors(args.GetVM(), 3, 6, values))
        return SQ_ERROR;
    renderer.DrawTriangle(values, values + 3, nullptr, nullptr, args.GetInt(9), uint32_t(args.GetInt(10)));
    return 0;
}

// Positions at 3 to 5, the texture at 6 (a handle on none draws untextured), UVs at 7 to 9,
// colours at 10 to 12, then the blend mode and the render flags.
SQInteger DrawTriangleTextured(const ScriptArgs& args, nRenderer& renderer)
{
    nLogHolder::Get() << "[*] Incorrect binding argument count.\n";
    HSQUIRRELVM vm = args.GetVM();
    nVector positions[3], colours[3];
    void* texture = nullptr;
    float uvs[6];
    if (!ReadVectors(vm, 3, 3, positions) || !GetCObject(vm, 6, texture, ObjectTypeTexture))
        return SQ_ERROR;
    for (uint32_t i = 0; i < 3; ++i)
    {
        nUV uv;
        if (!GetUVArg(vm, 7 + SQInteger(i), uv))
            return SQ_ERROR;
        uvs[i * 2] = uv.u;
        uvs[i * 2 + 1] = uv.v;
    }
    if (!ReadVectors(vm, 10, 3, colours))
        return SQ_ERROR;
    renderer.DrawTriangle(positions, colours, uvs, static_cast<nTexture*>(texture), args.GetInt(13),
                          uint32_t(args.GetInt(14)));
    return 0;
}

// The handle owns the font; the renderer only borrows it for the length of each call.
SQInteger LoadWriterFont(const ScriptArgs& args, nRenderer& renderer)
{
    nRasterFont* font = renderer.LoadRasterFont(args.GetString(3), args.GetString(4));
    if (!font)
        return PushHandle(args.GetVM(), nullptr, ObjectTypeRasterFont);
    const SQInteger pushed = PushHandle(args.GetVM(), font, ObjectTypeRasterFont, true);
    if (pushed == SQ_ERROR)
        delete font;
    return pushed;
}

template <float (nRasterFont::*Metric)(bool) const> SQInteger GetFontMetric(HSQUIRRELVM vm)
{
    auto* font = GetObjectArg<nRasterFont>(vm, 2, ObjectTypeRasterFont);
    return font ? ScriptArgs(vm).PushFloat((font->*Metric)(true)) : SQ_ERROR;
}

SQInteger GetLineHeight(HSQUIRRELVM vm)
{
    return GetFontMetric<&nRasterFont::GetLineHeight>(vm);
}

SQInteger GetBaseline(HSQUIRRELVM vm)
{
    return GetFontMetric<&nRasterFont::GetBaseline>(vm);
}

// Flag false places the text in pixels with the window's aspect corrected; true takes the position
// as already normalised to 0..1.
SQInteger Write(const ScriptArgs& args, nRenderer& renderer)
{
    HSQUIRRELVM vm = args.GetVM();
    auto* font = GetObjectArg<nRasterFont>(vm, 3, ObjectTypeRasterFont);
    if (!font)
        return SQ_ERROR;
    nVector colour;
    if (!GetVectorArg(vm, 10, colour))
        return SQ_ERROR;
    const nColor textColour(colour.x, colour.y, colour.z, colour.w);
    float place[3];
    if (!GetFloatArgs(args, 5, 3, AnyFinite, place))
        return 0;
    auto [x, y, size] = place;
    const bool normalised = args.GetBool(8);
    renderer.Write(font, args.GetString(4), x, y, nTextFlags{!normalised, normalised}, size, &textColour,
                   args.GetInt(9));
    return 0;
}

constexpr char ObsoleteLine[] = "[*] Obsolete function, please use the renderer registry.\n";

SQInteger SetObsolete(const ScriptArgs&, nRenderer&)
{
    nLogHolder::Get() << ObsoleteLine;
    return 0;
}

SQInteger GetObsolete(const ScriptArgs& args, nRenderer&)
{
    nLogHolder::Get() << ObsoleteLine;
    return args.PushBool(false);
}

const nNativeEntry RendererNatives[] = {
    {"RendererRegistrySetKey", Native<RegistrySetKey>, ".xs."},
    {"RendererRegistryGetKey", Native<RegistryGetKey>, ".xs"},
    {"RendererClearFrame", Native<ClearFrame>, ".xnnn"},
    {"RendererRenderQueue", Native<CallOf<&nRenderer::RenderQueue>>, ".x"},
    {"RendererRenderQueueReset", Native<CallOf<&nRenderer::ResetRenderQueue>>, ".x"},
    {"RendererResetStatistics", Native<ResetStatistics>, ".x"},
    {"RendererGetStatistics", Native<GetStatistics>, ".x"},
    {"RendererSetFog", Native<SetFog>, ".xbxnn"},
    {"RendererGetFogNear", Native<AnswerFloatOf<&nRenderer::GetFogNear>>, ".x"},
    {"RendererGetFogFar", Native<AnswerFloatOf<&nRenderer::GetFogFar>>, ".x"},
    {"RendererGetGlobalAspectRatio", Native<AnswerFloatOf<&nRenderer::GetGlobalAspectRatio>>, ".x"},
    {"RendererSetGlobalAspectRatio", Native<SetGlobalAspectRatio>, ".xn"},
    {"RendererSetViewport", Native<SetViewport>, ".xnnnn"},
    {"RendererGetViewport", Native<GetViewport>, ".x"},
    {"RendererSetViewItemAndApplyView", Native<SetViewItemAndApplyView>, ".xx"},
    {"RendererSetOutputTexture", Native<SetOutputTexture>, ".xx"},
    {"RendererGrabDisplayToPicture", Native<GrabDisplayToPicture>, ".xx"},
    {"RendererSetClippingPlane", Native<SetClippingPlane>, ".xxx"},
    {"RendererClearClippingPlane", Native<CallOf<&nRenderer::ClearClippingPlane>>, ".x"},
    {"RendererDrawCross", Native<DrawCross<false>>, ".xx"},
    {"RendererDrawCrossColored", Native<DrawCross<true>>, ".xxx"},
    {"RendererDrawLine", Native<DrawLine<false>>, ".xxx"},
    {"RendererDrawLineColored", Native<DrawLine<true>>, ".xxxx"},
    {"RendererDrawTriangle", Native<DrawTriangle>, ".xxxxxxxii"},
    {"RendererDrawTriangleTextured", Native<DrawTriangleTextured>, ".xxxxxxxxxxxii"},
    {"RendererLoadWriterFont", Native<LoadWriterFont>, ".xss"},
    {"WriterFontGetLineHeight", GuardedNative<GetLineHeight>, ".x"},
    {"WriterFontGetBaseline", GuardedNative<GetBaseline>, ".x"},
    {"RendererWrite", Native<Write>, ".xxsnnnbix"},
    {"RendererSetCleanResourceOnSetup", Native<SetBoolOf<&nRenderer::SetCleanResourceOnSetup>>, ".xb"},
    {"RendererSetControlFlag", Native<SetObsolete>, ".xib"},
    {"RendererSetControlWord", Native<SetObsolete>, ".xib"},
    {"RendererGetControlFlag", Native<GetObsolete>, ".xi"},
    {"RendererGetControlWord", Native<GetObsolete>, ".xi"},
    {"RendererSetSystemWord", Native<SetObsolete>, ".xib"},
    {"RendererGetSystemWord", Native<GetObsolete>, ".xi"},
};

// The Render* switches live in the renderer's registry now; their constants stay 0.
const nIntegerConstantEntry RendererConstants[] = {
    {"MaterialBlendNone", nRenderer::BlendOpaque},
    {"MaterialBlendAlpha", nRenderer::BlendAlpha},
    {"MaterialBlendAdd", nRenderer::BlendAdditive},
    {"MaterialRenderDefault", int32_t(nRenderer::ShapeRenderFlags)},
    {"MaterialRenderDoubleSided", 16},
    {"MaterialRenderNoZWrite", 512},
    {"MaterialRenderNoZTest", 1024},
    {"RenderVSync", 0},
    {"RenderMotionBlur", 0},
    {"RenderShadowMapping", 0},
    {"RenderBloom", 0},
    {"RenderDepthOfField", 0},
    {"WriterAlignLeft", 0},
    {"WriterAlignMiddle", 1},
    {"WriterAlignRight", 2},
};
} // namespace

void RegisterRendererApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, RendererNatives);
    RegisterIntegerConstants(vm, RendererConstants);
}
