#include "render/shader/nShaderKindTable.h"

#include "render/shader/nShaderBlockKind.h"
#include "render/shader/nShaderValueType.h"

namespace
{
constexpr uint32_t kVector = ShaderTypeAnyVector;
constexpr uint32_t kVectorOrMatrix = ShaderTypeAnyVector | ShaderTypeMat3 | ShaderTypeMat4;
constexpr uint32_t kColorVector = ShaderTypeFloat | ShaderTypeVec3 | ShaderTypeVec4;

const nShaderInputDescriptor kSamplerInputs[] = {
    {"Texture", "Texture input.", ShaderTypeSampler2D},
    {"UV Stream", "UV stream input.", ShaderTypeVec2},
};
const nShaderInputDescriptor kMixInputs[] = {
    {"Input A", "Source input A.", kVector},
    {"Input B", "Source input B.", kVector},
    {"Input K", "Source input K.", ShaderTypeFloat},
};
const nShaderInputDescriptor kPairInputs[] = {
    {"Input A", "Source input A.", kVector},
    {"Input B", "Source input B.", kVector},
};
const nShaderInputDescriptor kMultiplyInputs[] = {
    {"Input A", "Source input A.", kVectorOrMatrix},
    {"Input B", "Source input B.", kVectorOrMatrix},
};
const nShaderInputDescriptor kCrossInputs[] = {
    {"Input A", "Source input A.", ShaderTypeVec3},
    {"Input B", "Source input B.", ShaderTypeVec3},
};
const nShaderInputDescriptor kClampInputs[] = {
    {"Input", "Source to clamp.", kVector},
    {"Min", "Minimum value.", kVector},
    {"Max", "Maximum value.", kVector},
};
const nShaderInputDescriptor kNormalizeInputs[] = {
    {"Input", "Source input.", ShaderTypeVec2 | ShaderTypeVec3 | ShaderTypeVec4},
};
const nShaderInputDescriptor kSwizzleInputs[] = {
    {"Input", "Source input to extract components from.", kVector},
};
const nShaderInputDescriptor kBuildInputs[] = {
    {"Input X", "Source component of the built vector.", kVector},
    {"Input Y", "Source component of the built vector.", kVector},
    {"Input Z", "Source component of the built vector.", kVector},
    {"Input W", "Source component of the built vector.", kVector},
};
const nShaderInputDescriptor kAngleInputs[] = {
    {"Input", "Input value in radian.", ShaderTypeFloat},
};
const nShaderInputDescriptor kPowInputs[] = {
    {"Value", "Input value.", ShaderTypeFloat},
    {"Power", "Power to raise value to.", ShaderTypeFloat},
};
const nShaderInputDescriptor kAbsInputs[] = {
    {"Value", "Input value.", kVector},
};
const nShaderInputDescriptor kUnpackInputs[] = {
    {"Input", "Vector in the [0;1] range.", kColorVector},
};
const nShaderInputDescriptor kPackInputs[] = {
    {"Input", "Vector in the [-1;1] range.", kColorVector},
};

#define INPUTS(table) table, sizeof(table) / sizeof(table[0])

const nShaderKindInfo kKinds[ShaderBlockKindCount] = {
    {"None", "None", "", {"None", ""}, nullptr, 0, ShaderTypeInvalid},
    {"Geometry Vertex", "Vertex Stream", "Vertex_", {"Vertex", "Vertex stream."}, nullptr, 0, ShaderTypeVec4},
    {"Geometry Normal", "Normal Stream", nullptr, {"Normal", "Normal stream."}, nullptr, 0, ShaderTypeVec3},
    {"Geometry UV", "UV Stream", nullptr, {"UV", "UV stream."}, nullptr, 0, ShaderTypeVec2},
    {"Geometry Skinning",
     "Skinning Matrix",
     "SkinMtx_",
     {"Skinned", "Skinned vector."},
     nullptr,
     0,
     ShaderTypeMat4},
    // vec4, not vec3: the compiler declares the stream as a vec4 and fixed-function maps read its w.
    {"Geometry RGB",
     "Vertex Color Stream",
     "VtxClr_",
     {"Color", "Vertex color stream."},
     nullptr,
     0,
     ShaderTypeVec4},
    {"Geometry Tangent Frame",
     "Tangent Frame",
     "TngFrm_",
     {"Tangent", "Tangent frame."},
     nullptr,
     0,
     ShaderTypeMat3},
    {"Render Buffer",
     "Render Buffer",
     "RenderBuf_",
     {"Buffer", "Texture object."},
     nullptr,
     0,
     ShaderTypeSampler2D},
    {"Texture", "Texture", "Tex_", {"Texture", "Texture object."}, nullptr, 0, ShaderTypeSampler2D},
    {"Sampler 2D", "Sampler 2D", nullptr, {"Texel", "Texture sample."}, INPUTS(kSamplerInputs), 0},
    {"Constant", "Constant", nullptr, {"Constant", "Constant value."}, nullptr, 0, 0},
    {"Color", "Color", "Color_", {"Color", "RGBA Color."}, nullptr, 0, ShaderTypeVec4},
    {"Material Parameter",
     "Material Parameter",
     nullptr,
     {"Parameter", "Material parameter."},
     nullptr,
     0,
     0},
    {"Screen UV", "Screen UV", "ScnUV_", {"Screen UV", "Screen position."}, nullptr, 0, ShaderTypeVec2},
    {"View Vector",
     "View Vector",
     "ViewV_",
     {"World View", "View vector in world space."},
     nullptr,
     0,
     ShaderTypeVec3},
    {"Viewport",
     "Viewport",
     "Viewport_",
     {"Viewport", "Viewport origin and dimension in 2d."},
     nullptr,
     0,
     ShaderTypeVec4},
    {"Normal View Matrix",
     "Normal View Matrix",
     "NormalViewMatrix_",
     {"Normal View Matrix", "Normal view matrix."},
     nullptr,
     0,
     ShaderTypeMat3},
    {"Normal Matrix ",
     "Normal Matrix ",
     "NormalMatrix_",
     {"Normal Matrix", "Normal matrix."},
     nullptr,
     0,
     ShaderTypeMat3},
    {"Model View Matrix",
     "Model View Matrix ",
     "ModelViewMatrix_",
     {"Model View Matrix", "Model view matrix."},
     nullptr,
     0,
     ShaderTypeMat4},
    {"Model Matrix",
     "Model Matrix",
     "ModelMatrix_",
     {"Model Matrix", "Model matrix."},
     nullptr,
     0,
     ShaderTypeMat4},
    {"Mix",
     "Mix",
     "Mix_",
     {"A*K+B*(1-K)", "Input A * Input K + Input B * (1.0 - Input K)."},
     INPUTS(kMixInputs),
     0},
    {"Add", "Add", "Add_", {"A+B", "Input A + Input B."}, INPUTS(kPairInputs), 0},
    {"Multiply", "Mul", "Mul_", {"A*B", "Input A * Input B."}, INPUTS(kMultiplyInputs), 0},
    {"Subtract", "Sub", "Sub_", {"A-B", "Input A - Input B."}, INPUTS(kPairInputs), 0},
    {"Divide", "Div", "Div_", {"A/B", "Input A / Input B."}, INPUTS(kPairInputs), 0},
    {"Dot", "Dot", "Dot_", {"A.Dot(B)", "The cosinus of the angle between A and B."}, INPUTS(kPairInputs), 0},
    {"Cross",
     "Cross",
     "Crs_",
     {"A.Cross(B)", "A vector perpendicular to both A and B."},
     INPUTS(kCrossInputs),
     0},
    {"Clamp", "Clamp", "Clmp_", {"Clamped", "Clamped input."}, INPUTS(kClampInputs), 0},
    {"Normalize", "Normalize", "Nrmz_", {"Normalized", "Normalized input."}, INPUTS(kNormalizeInputs), 0},
    {"Swizzle", "Swizzle", nullptr, {"Swizzled", "Swizzled input."}, INPUTS(kSwizzleInputs), 0},
    {"Build", "Build", nullptr, {"Built", "Built vector."}, INPUTS(kBuildInputs), 0},
    {"Sinus", "Sinus", "Sin_", {"Sinus", "Sinus of input."}, INPUTS(kAngleInputs), ShaderTypeFloat},
    {"Cosinus", "Cosinus", "Cos_", {"Cosinus", "Cosinus of input."}, INPUTS(kAngleInputs), ShaderTypeFloat},
    {"Pow", "Pow", "Pow_", {"Pow", "Value raised to power."}, INPUTS(kPowInputs), ShaderTypeFloat},
    {"Abs", "Abs", "Abs_", {"Abs", "Absolute value of input."}, INPUTS(kAbsInputs), 0},
    {"Unpack color to vector",
     "Unpack Color",
     "CToV_",
     {"Unpacked [-1;1]", "Vector in the [-1;1] range."},
     INPUTS(kUnpackInputs),
     0},
    {"Pack vector to color",
     "Pack Vector",
     "VToC_",
     {"Packed [0;1]", "Vector in the [0;1] range."},
     INPUTS(kPackInputs),
     0},
    {"Clock", "Clock", "Clk_", {"Clock (s)", "System clock in second."}, nullptr, 0, ShaderTypeFloat},
};

#undef INPUTS
} // namespace

const nShaderKindInfo* ShaderKindInfo(int32_t kind)
{
    if (kind <= ShaderBlockNone || kind >= ShaderBlockKindCount)
        return nullptr;
    return &kKinds[kind];
}

uint32_t ShaderVectorTypeOfSize(uint32_t components)
{
    switch (components)
    {
    case 1:
        return ShaderTypeFloat;
    case 2:
        return ShaderTypeVec2;
    case 3:
        return ShaderTypeVec3;
    case 4:
        return ShaderTypeVec4;
    default:
        return ShaderTypeInvalid;
    }
}
