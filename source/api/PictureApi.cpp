#include "api/PictureApi.h"

#include "api/ScriptApiGroups.h"
#include "core/base/nLog.h"
#include "core/math/nRect.h"
#include "core/math/nVector.h"
#include "core/picture/nPicture.h"
#include "core/picture/nPictureBlit.h"
#include "platform/nstring/nString.h"
#include "script/binding/ScriptArgs.h"
#include "script/binding/nNativeArgs.h"
#include "script/binding/nNativeCall.h"
#include "script/binding/nScriptValuePush.h"
#include "script/classes/ScriptVector.h"
#include "script/nObjectType.h"
#include "script/SquirrelObject.h"
#include "ui/nFontSystem.h"
#include "ui/nTextAttributesScript.h"
#include "ui/nTextLayout.h"

#include <algorithm>
#include <vector>


template <> struct nHandleArg<nPicture>
{
    static nPicture* Get(HSQUIRRELVM vm, SQInteger index)
    {
        return GetObjectArg<nPicture>(vm, index, ObjectTypePicture);
    }
};

bool ReadPictureSize(const char* native, float width, float height, uint32_t& outWidth, uint32_t& outHeight)
{
    constexpr float Limit = float(MaxScriptPictureSide) + 1.0f;
    if (!(width >= 1.0f && width < Limit && height >= 1.0f && height < Limit))
    {
        nLogHolder::Get() << nString::Format(
                                 "[*] %s: a picture of %gx%g pixels is refused; each side must be "
                                 "from 1 to %d.\n",
                                 native, double(width), double(height), MaxScriptPictureSide)
                                 .GetText();
        return false;
    }
    outWidth = uint32_t(width);
    outHeight = uint32_t(height);
    return true;
}

bool ReadRectArg(HSQUIRRELVM vm, SQInteger index, nRect& rect)
{
    if (GetRectArg(vm, index, rect))
        return true;
    sq_throwerror(vm, "Invalid instance type");
    return false;
}

SQInteger PushOwnedPicture(HSQUIRRELVM vm, nPicture* picture)
{
    picture->AddRef();
    if (PushHandle(vm, picture, ObjectTypePicture, true) == SQ_ERROR)
    {
        picture->Release();
        return SQ_ERROR;
    }
    return 1;
}

namespace
{
// Picture blend modes of the script API; the picture blit carries out 0, 1 and 8 and draws nothing
// for the others.
const nIntegerConstantEntry PictureConstants[] = {
    {"BlendReplace", PictureBlitCopy},
    {"BlendAdd", 2},
    {"BlendCompose", PictureBlitOver},
    {"BlendMultiply", 3},
    {"BlendMultiply2x", 4},
    {"BlendAlphaAdd", 5},
    {"BlendAlphaMultiply", 6},
    {"BlendAlphaMultiply2x", 7},
    {"RgbToAlpha", PictureBlitAlphaFromColour},
};

constexpr int32_t MaxKernelEntries = 1024;

SQInteger New(HSQUIRRELVM vm)
{
    auto* picture = new nPicture();
    return PushOwnedPicture(vm, picture);
}

SQInteger Alloc(const ScriptArgs& args, nPicture& picture)
{
    uint32_t width = 0, height = 0;
    if (!ReadPictureSize("PictureAlloc", float(args.GetInt(3)), float(args.GetInt(4)), width, height))
        return args.PushBool(false);
    return args.PushBool(picture.Allocate(width, height, PixelFormatBGRA8));
}

SQInteger LoadContent(const ScriptArgs& args, nPicture& picture)
{
    return args.PushBool(nPicture::Load(picture, args.GetString(3)));
}

SQInteger SaveTGA(const ScriptArgs& args, nPicture& picture)
{
    return args.PushBool(nPicture::SaveTGA(picture, args.GetString(3)));
}

SQInteger GetRect(const ScriptArgs& args, nPicture& picture)
{
    const nRect rect{0, 0, int32_t(picture.GetWidth()), int32_t(picture.GetHeight())};
    return PushRect(args.GetVM(), rect) ? 1 : SQ_ERROR;
}

// Fill and blit clip the rectangle to the picture.
SQInteger Fill(const ScriptArgs& args, nPicture& picture)
{
    nVector colour;
    if (!GetVectorArg(args.GetVM(), 3, colour))
        return SQ_ERROR;
    picture.Fill(colour.x, colour.y, colour.z, colour.w);
    return 0;
}

SQInteger FillRect(const ScriptArgs& args, nPicture& picture)
{
    nVector colour;
    nRect rect;
    if (!GetVectorArg(args.GetVM(), 3, colour) || !ReadRectArg(args.GetVM(), 4, rect))
        return SQ_ERROR;
    picture.Fill(colour.x, colour.y, colour.z, colour.w, &rect);
    return 0;
}

// The kernel's integers in row order; false after a "[!]" line when the array is shorter than the
// kernel or holds something else than numbers.
bool ReadKernel(HSQUIRRELVM vm, SQInteger index, int32_t entries, std::vector<int32_t>& kernel)
{
    const SQInteger length = sq_getsize(vm, index);
    if (length < entries)
    {
        nLogHolder::Get() << nString::Format("[!] Convolution kernel needs %d values, the array holds %d.\n",
                                             entries, int32_t(length))
                                 .GetText();
        return false;
    }
    kernel.resize(size_t(entries));
    const SQInteger top = sq_gettop(vm);
    for (int32_t i = 0; i < entries; ++i)
    {
        sq_pushinteger(vm, i);
        SQInteger value = 0;
        const bool number = SQ_SUCCEEDED(sq_get(vm, index)) &&
                            (sq_gettype(vm, -1) == OT_INTEGER || sq_gettype(vm, -1) == OT_FLOAT) &&
                            SQ_SUCCEEDED(sq_getinteger(vm, -1, &value));
        sq_settop(vm, top);
        if (!number)
        {
            nLogHolder::Get()
                << nString::Format("[!] Convolution kernel value %d is not a number.\n", i).GetText();
            return false;
        }
        kernel[size_t(i)] = int32_t(value);
    }
    return true;
}

SQInteger ApplyConvolution(const ScriptArgs& args, nPicture& picture)
{
    const int32_t width = args.GetInt(3), height = args.GetInt(4);
    if (width <= 0 || height <= 0)
    {
        nLogHolder::Get() << nString::Format("[!] Invalid kernel size (%dx%d).\n", width, height).GetText();
        return args.PushBool(false);
    }
    if (int64_t(width) * height > MaxKernelEntries)
    {
        nLogHolder::Get() << nString::Format("[!] Convolution kernel too big (%dx%d), max 32x32.\n", width,
                                             height)
                                 .GetText();
        return args.PushBool(false);
    }
    std::vector<int32_t> kernel;
    if (!ReadKernel(args.GetVM(), 5, width * height, kernel))
        return args.PushBool(false);
    return args.PushBool(picture.ApplyConvolution(uint32_t(width), uint32_t(height), kernel.data()));
}

// The line stays inside (0, 0) to (width - 2, height - 2).
SQInteger Line(const ScriptArgs& args, nPicture& picture)
{
    nVector colour;
    if (!GetVectorArg(args.GetVM(), 7, colour))
        return SQ_ERROR;
    const int64_t right = int64_t(picture.GetWidth()) - 2, bottom = int64_t(picture.GetHeight()) - 2;
    if (right <= 0 || bottom < 0)
        return 0;
    const nRectF clip{0.0f, 0.0f, float(right), float(bottom)};
    picture.DrawLine(args.GetFloat(3), args.GetFloat(4), args.GetFloat(5), args.GetFloat(6), colour.x,
                     colour.y, colour.z, colour.w, &clip);
    return 0;
}

// An unknown font name falls back on the default font inside the font system.
SQInteger TextRender(const ScriptArgs& args, nPicture& picture)
{
    HSQUIRRELVM vm = args.GetVM();
    nRect rect;
    if (!ReadRectArg(vm, 3, rect))
        return SQ_ERROR;
    nTextAttributes attributes;
    attributes.font = FontSystemGetFont(args.GetString(4));
    HSQOBJECT table;
    sq_getstackobj(vm, 6, &table);
    if (!ParseTextAttributes(SquirrelObject(vm, table), attributes))
        return 0;
    const nRect whole{0, 0, int32_t(picture.GetWidth()), int32_t(picture.GetHeight())};
    RenderTextToPicture(picture, args.GetString(5), attributes, rect, whole);
    return 0;
}

SQInteger Resize(const ScriptArgs& args, nPicture& picture)
{
    uint32_t width = 0, height = 0;
    if (ReadPictureSize("PictureResize", float(args.GetInt(3)), float(args.GetInt(4)), width, height))
        picture.Resize(int32_t(width), int32_t(height));
    return 0;
}

// A pixel outside the picture is left alone.
SQInteger SetPixel(const ScriptArgs& args, nPicture& picture)
{
    nVector colour;
    if (!GetVectorArg(args.GetVM(), 5, colour))
        return SQ_ERROR;
    picture.SetPixel(args.GetFloat(3), args.GetFloat(4), colour.x, colour.y, colour.z, colour.w);
    return 0;
}

// The channels come back in memory order, blue first for the engine's colour format.
SQInteger GetPixel(const ScriptArgs& args, nPicture& picture)
{
    const float width = float(std::max(picture.GetWidth(), 1u)),
                height = float(std::max(picture.GetHeight(), 1u));
    const float u = std::clamp(args.GetFloat(3) / width, 0.0f, 1.0f);
    const float v = std::clamp(args.GetFloat(4) / height, 0.0f, 1.0f);
    float sample[4] = {};
    picture.SampleBilinear(u == u ? u : 0.0f, v == v ? v : 0.0f, sample);
    return PushVector(args.GetVM(), nVector(sample[0], sample[1], sample[2], sample[3]))
               ? 1
               : sq_throwerror(args.GetVM(), "Failed to create Vector instance.");
}

SQInteger Blit(const ScriptArgs& args, nPicture& destination)
{
    auto* source = GetObjectArg<nPicture>(args.GetVM(), 3, ObjectTypePicture);
    if (!source)
        return SQ_ERROR;
    PictureBlit(*source, destination, nullptr, nullptr, uint32_t(args.GetInt(4)));
    return 0;
}

SQInteger BlitRect(const ScriptArgs& args, nPicture& destination)
{
    HSQUIRRELVM vm = args.GetVM();
    auto* source = GetObjectArg<nPicture>(vm, 3, ObjectTypePicture);
    nRect from, to;
    if (!source || !ReadRectArg(vm, 4, from) || !ReadRectArg(vm, 5, to))
        return SQ_ERROR;
    PictureBlit(*source, destination, &from, &to, uint32_t(args.GetInt(6)));
    return 0;
}

const nNativeEntry PictureNatives[] = {
    {"PictureNew", GuardedNative<New>, "."},
    {"PictureAlloc", Native<Alloc>, ".xii"},
    {"PictureLoadContent", Native<LoadContent>, ".xs"},
    {"PictureSaveTGA", Native<SaveTGA>, ".xs"},
    {"PictureGetRect", Native<GetRect>, ".x"},
    {"PictureFill", Native<Fill>, ".xx"},
    {"PictureFillRect", Native<FillRect>, ".xxx"},
    {"PictureApplyConvolution", Native<ApplyConvolution>, ".xiia"},
    {"PictureLine", Native<Line>, ".xnnnnx"},
    {"PictureTextRender", Native<TextRender>, ".xxsst"},
    {"PictureResize", Native<Resize>, ".xii"},
    {"PictureSetPixel", Native<SetPixel>, ".xnnx"},
    {"PictureGetPixel", Native<GetPixel>, ".xnn"},
    {"PictureBlit", Native<Blit>, ".xxi"},
    {"PictureBlitRect", Native<BlitRect>, ".xxxxi"},
};
} // namespace

void RegisterPictureApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, PictureNatives);
    RegisterIntegerConstants(vm, PictureConstants);
}
