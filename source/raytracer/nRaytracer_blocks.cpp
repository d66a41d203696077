#include "raytracer/nRaytracer.h"

#include "geometry/nGeometry.h"
#include "geometry/nMaterial.h"
#include "geometry/nTexture.h"
#include "raytracer/nRaytracerInterpolation.h"
#include "raytracer/nRaytracerShaderValue.h"
#include "render/shader/nComponentShaderBlocks.h"
#include "render/shader/nGeometryShaderBlocks.h"
#include "render/shader/nResourceShaderBlocks.h"
#include "render/shader/nShaderBlock.h"
#include "render/shader/nValueShaderBlocks.h"

#include <algorithm>
#include <cmath>

namespace
{
using Value = nRaytracerShaderValue;

constexpr uint32_t MaxInputs = 4;

float Wrap(float value)
{
    const float wrapped = std::fmod(value, 1.0f);
    return wrapped < 0.0f ? wrapped + 1.0f : wrapped;
}

nVector Normalise(const nVector& v)
{
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return length > 0.0f ? nVector(v.x / length, v.y / length, v.z / length) : v;
}

void SetColor(Value& out, const nColor& color)
{
    out.SetVector(color.r, color.g, color.b, color.a);
}

void SetMatrix3(Value& out, const nMatrix3& matrix)
{
    out.SetMatrix3(matrix);
}

void SetMatrix4(Value& out, const nMatrix4& matrix)
{
    out.SetMatrix4(matrix);
}

// x, y and z of a and b combined, w = 1.
template <typename Combine> void Componentwise(Value& out, const Value& a, const Value& b, Combine combine)
{
    out.SetVector(combine(a.vector[0], b.vector[0]), combine(a.vector[1], b.vector[1]),
                  combine(a.vector[2], b.vector[2]), 1.0f);
}

void TransformByMatrix3(Value& out, const float* m, const float* v)
{
    out.SetVector(m[0] * v[0] + m[1] * v[1] + m[2] * v[2], m[3] * v[0] + m[4] * v[1] + m[5] * v[2],
                  m[6] * v[0] + m[7] * v[1] + m[8] * v[2], 1.0f);
}

// The vector's own w takes part.
void TransformByMatrix4(Value& out, const float* m, const float* v)
{
    float r[4];
    for (int row = 0; row < 4; ++row)
        r[row] = m[row * 4] * v[0] + m[row * 4 + 1] * v[1] + m[row * 4 + 2] * v[2] + m[row * 4 + 3] * v[3];
    out.SetVector(r[0], r[1], r[2], r[3]);
}

void Multiply(Value& out, const Value& a, const Value& b)
{
    const bool aVector = a.kind == Value::KindVector;
    const bool bVector = b.kind == Value::KindVector;
    if (aVector && bVector)
        Componentwise(out, a, b, [](float x, float y) { return x * y; });
    else if (a.kind == Value::KindMatrix3 && b.kind == Value::KindMatrix3)
        SetMatrix3(out, a.GetMatrix3().Multiply(b.GetMatrix3()));
    else if (a.kind == Value::KindMatrix4 && b.kind == Value::KindMatrix4)
        SetMatrix4(out, a.GetMatrix4().Multiply(b.GetMatrix4()));
    else if (aVector && b.kind == Value::KindMatrix3)
        TransformByMatrix3(out, b.matrix, a.vector);
    else if (bVector && a.kind == Value::KindMatrix3)
        TransformByMatrix3(out, a.matrix, b.vector);
    else if (aVector && b.kind == Value::KindMatrix4)
        TransformByMatrix4(out, b.matrix, a.vector);
    else if (bVector && a.kind == Value::KindMatrix4)
        TransformByMatrix4(out, a.matrix, b.vector);
}

// The rotation that looks along the ray, undone.
nMatrix3 ViewRotation(const nVector& direction)
{
    return nMatrix3::FromDirection(direction).Transpose();
}
} // namespace

bool nRaytracer::EvaluateShaderBlock(const nRaytracerHit& hit, const nShaderBlock* block, Value& out,
                                     uint32_t depth) const
{
    out.Reset();
    // Maps are acyclic when built through SetInput; the bound keeps any other from recursing without end.
    if (!block || depth >= MaxShaderDepth)
        return false;
    Value inputs[MaxInputs];
    const uint32_t inputCount = std::min(block->GetInputCount(), MaxInputs);
    for (uint32_t i = 0; i < inputCount; ++i)
        if (const nShaderBlock* input = block->GetInput(i))
            if (!EvaluateShaderBlock(hit, input, inputs[i], depth + 1))
                return false;
    const Value& a = inputs[0];
    const Value& b = inputs[1];
    const Value& c = inputs[2];
    const nGeometry* geometry = hit.geometry;
    const nRaytracerObject* object = hit.object;
    const nMaterial* material = hit.material;
    switch (block->GetKind())
    {
    case ShaderBlockGeometryVertex:
        if (object)
        {
            const nVector local = hit.position.MulMatrix4(object->inverse);
            out.SetVector(local.x, local.y, local.z, 1.0f);
        }
        break;
    case ShaderBlockGeometryNormal:
    {
        nVector normal;
        if (geometry && InterpolateVector(hit, geometry->vertexNormals, normal))
            out.SetVector(normal.x, normal.y, normal.z, 1.0f);
        break;
    }
    case ShaderBlockGeometryUV:
    {
        const uint32_t set = static_cast<const nGeometryUVShaderBlock*>(block)->uvSet;
        float u = 0.0f;
        float v = 0.0f;
        if (geometry && set < nUVMapCount && InterpolateUV(hit, geometry->uvSets[set], u, v))
            out.SetVector(u, v, 0.0f, 0.0f);
        break;
    }
    case ShaderBlockGeometryVertexColor:
    {
        nColor colour;
        if (geometry && InterpolateColor(hit, geometry->colors, colour))
            out.SetVector(colour.r, colour.g, colour.b, 1.0f);
        break;
    }
    case ShaderBlockGeometryTangentFrame:
    {
        if (!geometry)
            break;
        nVector normal;
        if (!InterpolateVector(hit, geometry->vertexNormals, normal))
        {
            // The geometric normal taken back to object space.
            const nMatrix4& w = object ? object->world : nMatrix4();
            const nVector& n = hit.normal;
            normal = nVector(w.m[0] * n.x + w.m[4] * n.y + w.m[8] * n.z,
                             w.m[1] * n.x + w.m[5] * n.y + w.m[9] * n.z,
                             w.m[2] * n.x + w.m[6] * n.y + w.m[10] * n.z);
        }
        normal = Normalise(normal);
        nVector tangent;
        nVector bitangent;
        HitTangentFrame(hit, geometry->tangentFrames, normal, tangent, bitangent);
        nMatrix3 frame;
        frame.SetColumns(tangent, bitangent, normal);
        SetMatrix3(out, frame);
        break;
    }
    case ShaderBlockTexture:
        out.kind = Value::KindTexture;
        out.texture = static_cast<const nTextureShaderBlock*>(block)->texture.Get();
        break;
    case ShaderBlockSampler2d:
        if (a.kind == Value::KindTexture && a.texture)
        {
            float sample[4];
            a.texture->SampleColor(Wrap(b.vector[0]), Wrap(b.vector[1]), sample);
            out.SetVector(sample[0], sample[1], sample[2], sample[3]);
        }
        else
            out.SetVector(0.0f, 0.0f, 0.0f, 1.0f);
        break;
    case ShaderBlockConstant:
    {
        const float* value = static_cast<const nConstantShaderBlock*>(block)->value;
        out.SetVector(value[0], value[1], value[2], value[3]);
        break;
    }
    case ShaderBlockColor:
    {
        const float* color = static_cast<const nColorShaderBlock*>(block)->color;
        out.SetVector(color[0], color[1], color[2], color[3]);
        break;
    }
    case ShaderBlockMaterialParam:
        if (!material)
            break;
        switch (static_cast<const nMaterialParamShaderBlock*>(block)->paramIndex)
        {
        case nMaterialParamShaderBlock::ParamDiffuse:
            SetColor(out, material->diffuse);
            break;
        case nMaterialParamShaderBlock::ParamSpecular:
            SetColor(out, material->specular);
            break;
        case nMaterialParamShaderBlock::ParamSelfIllumination:
            SetColor(out, material->selfIllumination);
            break;
        case nMaterialParamShaderBlock::ParamAmbient:
            SetColor(out, material->ambient);
            break;
        case nMaterialParamShaderBlock::ParamGlossiness:
            out.SetScalar(material->glossiness);
            break;
        case nMaterialParamShaderBlock::ParamOpacity:
            out.SetScalar(material->opacity);
            break;
        case nMaterialParamShaderBlock::ParamReflection:
            out.SetScalar(material->reflection);
            break;
        default:
            break;
        }
        break;
    case ShaderBlockScreenUV:
        out.SetVector(0.5f, 0.5f, 0.5f, 1.0f);
        break;
    case ShaderBlockViewVector:
        out.SetVector(hit.direction.x, hit.direction.y, hit.direction.z, 1.0f);
        break;
    case ShaderBlockNormalViewMatrix:
        if (object)
            SetMatrix3(out, ViewRotation(hit.direction).Multiply(object->rotation));
        break;
    case ShaderBlockNormalMatrix:
        if (object)
            SetMatrix3(out, object->rotation);
        break;
    case ShaderBlockModelViewMatrix:
        if (object)
        {
            nMatrix4 view = nMatrix4::FromMatrix3(ViewRotation(hit.direction));
            view.m[3] = -hit.origin.x;
            view.m[7] = -hit.origin.y;
            view.m[11] = -hit.origin.z;
            SetMatrix4(out, view.Multiply(object->world));
        }
        break;
    case ShaderBlockModelMatrix:
        if (object)
            SetMatrix4(out, object->world);
        break;
    case ShaderBlockMix:
    {
        const float k = c.vector[0];
        out.SetVector(a.vector[0] * k + b.vector[0] * (1.0f - k), a.vector[1] * k + b.vector[1] * (1.0f - k),
                      a.vector[2] * k + b.vector[2] * (1.0f - k), 1.0f);
        break;
    }
    case ShaderBlockAdd:
        Componentwise(out, a, b, [](float x, float y) { return x + y; });
        break;
    case ShaderBlockMultiply:
        Multiply(out, a, b);
        break;
    case ShaderBlockSubtract:
        Componentwise(out, a, b, [](float x, float y) { return x - y; });
        break;
    case ShaderBlockDivide:
        Componentwise(out, a, b, [](float x, float y) { return x / y; });
        break;
    case ShaderBlockDot:
        out.SetScalar(a.vector[0] * b.vector[0] + a.vector[1] * b.vector[1] + a.vector[2] * b.vector[2]);
        break;
    case ShaderBlockCross:
        out.SetVector(a.vector[1] * b.vector[2] - a.vector[2] * b.vector[1],
                      a.vector[2] * b.vector[0] - a.vector[0] * b.vector[2],
                      a.vector[0] * b.vector[1] - a.vector[1] * b.vector[0], 1.0f);
        break;
    case ShaderBlockClamp:
        out.kind = Value::KindVector;
        for (int i = 0; i < 4; ++i)
            out.vector[i] = std::fmin(std::fmax(a.vector[i], b.vector[i]), c.vector[i]);
        break;
    case ShaderBlockNormalize:
    {
        const float length =
            std::sqrt(a.vector[0] * a.vector[0] + a.vector[1] * a.vector[1] + a.vector[2] * a.vector[2]);
        out.SetVector(a.vector[0] / length, a.vector[1] / length, a.vector[2] / length, 1.0f);
        break;
    }
    case ShaderBlockSwizzle:
    {
        const uint32_t* selectors = static_cast<const nSwizzleShaderBlock*>(block)->selectors;
        out.kind = Value::KindVector;
        for (int i = 0; i < 4; ++i)
        {
            const uint32_t selector = selectors[i];
            out.vector[i] = selector >= 1 && selector <= 4 ? a.vector[selector - 1] : (i == 3 ? 1.0f : 0.0f);
        }
        break;
    }
    case ShaderBlockBuild:
    {
        const uint32_t* selectors = static_cast<const nBuildShaderBlock*>(block)->selectors;
        out.kind = Value::KindVector;
        for (uint32_t i = 0; i < 4; ++i)
        {
            const uint32_t selector = selectors[i];
            out.vector[i] = selector == nBuildShaderBlock::BuildOne ? 1.0f
                            : selector >= nBuildShaderBlock::BuildX && selector <= nBuildShaderBlock::BuildW
                                ? inputs[i].vector[selector - nBuildShaderBlock::BuildX]
                                : 0.0f;
        }
        break;
    }
    case ShaderBlockSinus:
        out.SetScalar(std::sin(a.vector[0]));
        break;
    case ShaderBlockCosinus:
        out.SetScalar(std::cos(a.vector[0]));
        break;
    case ShaderBlockPow:
        out.SetScalar(std::pow(a.vector[0], b.vector[0]));
        break;
    case ShaderBlockAbs:
        if (a.kind == Value::KindVector)
            out.SetVector(std::fabs(a.vector[0]), std::fabs(a.vector[1]), std::fabs(a.vector[2]), 1.0f);
        break;
    case ShaderBlockUnpackColorToVector:
        out.SetVector((a.vector[0] - 0.5f) * 2.0f, (a.vector[1] - 0.5f) * 2.0f, (a.vector[2] - 0.5f) * 2.0f,
                      1.0f);
        break;
    case ShaderBlockPackVectorToColor:
        out.SetVector((a.vector[0] + 1.0f) * 0.5f, (a.vector[1] + 1.0f) * 0.5f, (a.vector[2] + 1.0f) * 0.5f,
                      1.0f);
        break;
    case ShaderBlockClock:
        out.SetScalar(m_frameTime);
        break;
    default: // skinning, render buffer, viewport: nothing on the CPU
        break;
    }
    return true;
}
