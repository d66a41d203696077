#include "render/gl/nMaterialPassShader.h"

#include "core/base/nLog.h"
#include "geometry/nMaterial.h"
#include "render/gl/nGLSLShaderTreeCompiler.h"
#include "render/gl/nGLSLText.h"
#include "render/gl/nShader.h"
#include "render/gl/nShaderSemantic.h"
#include "render/shader/nShaderMap.h"
#include "render/shader/nShaderValueType.h"

#include <string>

namespace
{
constexpr uint32_t Uniform = nShaderInput::Uniform;
constexpr uint32_t Attribute = nShaderInput::Attribute;
constexpr uint32_t Vertex = nShaderInput::VertexStage;
constexpr uint32_t Fragment = nShaderInput::FragmentStage;
constexpr uint32_t ShadowSampler = ShaderTypeSampler2DShadow;

// A material channel as the pass templates name it, the shader-map root that fills it, the
// value types the template can use and what stands in when the channel has no usable tree.
struct Channel
{
    const char* placeholder;
    const char* rootName;
    uint32_t root;
    uint32_t acceptedTypes;
    const char* fallback;
};

const Channel Channels[] = {
    {"%in.normal%", "Normal", nShaderMap::RootNormal, ShaderTypeVec3, "float3(0.0, 0.0, 0.0)"},
    {"%in.diffuse%", "Diffuse", nShaderMap::RootDiffuse, ShaderTypeVec3 | ShaderTypeVec4,
     "float3(0.75, 0.75, 0.75)"},
    {"%in.specular%", "Specular", nShaderMap::RootSpecular, ShaderTypeVec3 | ShaderTypeVec4,
     "float3(0.5, 0.5, 0.5)"},
    {"%in.glossiness%", "Glossiness", nShaderMap::RootGlossiness, ShaderTypeFloat, "0.25"},
    {"%in.constant%", "Constant", nShaderMap::RootConstant, ShaderTypeVec3 | ShaderTypeVec4,
     "float3(0.0, 0.0, 0.0)"},
    {"%in.opacity%", "Opacity", nShaderMap::RootOpacity, ShaderTypeFloat, "1.0"},
};

const char* const SkinVertex =
    "v_skin_mtx = bone_mtx[int(bone_idx.x)] * bone_w.x + bone_mtx[int(bone_idx.y)] * "
    "bone_w.y + bone_mtx[int(bone_idx.z)] * bone_w.z + bone_mtx[int(bone_idx.w)] * "
    "bone_w.w;\n";

const char* const ProjectedVertex = "%out.position% = u_mvp_matrix * v_f_position;\n";
const char* const ViewPositionVertex = "v_vpos = (u_mv_matrix * v_f_position).xyz;\n"
                                       "%out.position% = u_mvp_matrix * v_f_position;\n";
const char* const ViewNormal = "vec3 v_normal_view = u_nmv_matrix * v_f_normal;\n";
const char* const ShadowStart = "float3\tfrag_viewpos = v_vpos;\nfloat\tpcf = 1.0;\n";

// L runs from the light to the fragment, N is the unit view-space normal.
const char* const PointLighting =
    "float3\t_l_vector = v_vpos - u_lvp;\n"
    "float\t_l_distance = length(_l_vector);\n"
    "float3\t_l_direction = _l_vector / max(_l_distance, 0.000001);\n"
    "float3\t_l_normal = normalize(v_normal_view);\n"
    "float\tk_attn = u_lr > 0.0 ? max(1.0 - _l_distance / u_lr, 0.0) : 1.0;\n"
    "float\t_f_diffuse = max(-dot(_l_direction, _l_normal), 0.0) * k_attn;\n"
    "float\t_f_specular = pow(max(-dot(_l_direction, normalize(reflect(v_vpos, _l_normal))), 0.0), "
    "max(%in.glossiness% * 96.0, 0.0001)) * k_attn;\n"
    "float3\t_f_color = %in.diffuse%.xyz * u_ldiff * _f_diffuse + %in.specular%.xyz * u_lspec * "
    "_f_specular;\n";

const char* const DirectionalLighting =
    "float3\t_l_normal = normalize(v_normal_view);\n"
    "float\t_f_diffuse = max(-dot(u_lvd, _l_normal), 0.0);\n"
    "float\t_f_specular = pow(max(-dot(u_lvd, normalize(reflect(v_vpos, _l_normal))), 0.0), "
    "max(%in.glossiness% * 96.0, 0.0001));\n"
    "float3\t_f_color = %in.diffuse%.xyz * u_ldiff * _f_diffuse + %in.specular%.xyz * u_lspec * "
    "_f_specular;\n";

// Full inside the cone, fading to 0 at cone + edge; nothing behind the light.
const char* const SpotCone =
    "float\ts_attn = dot(u_lvd, _l_direction);\n"
    "if (s_attn < u_lcone)\n"
    "\ts_attn = s_attn < 0.0 ? 0.0 : max((s_attn - u_ledge) / (u_lcone - u_ledge), 0.0);\n"
    "else\n"
    "\ts_attn = 1.0;\n";

const char* const ShadowMix = "_f_color = mix(u_shadow_color, _f_color, pcf);\n";

class PassBuilder
{
public:
    PassBuilder(const nMaterial& material, uint32_t pass, const nMaterialPassTexts& texts, nShader& shader)
        : m_material(material), m_pass(pass), m_texts(texts), m_shader(shader)
    {
    }

    bool Build();

private:
    void Add(const char* name, uint32_t type, uint32_t semantic, uint32_t kind, uint32_t scope,
             uint32_t count = 1)
    {
        m_shader.AddInput(name, type, semantic, kind, scope, count);
    }
    // False after the line that names the missing text.
    bool Require(const char* text, const char* tag) const;
    bool AddShadowFilter();
    void DepthTemplate();
    void GBufferTemplate();
    void AmbientTemplate();
    bool PointTemplate(bool shadowed);
    bool DirectionalTemplate(bool shadowed);
    bool SpotTemplate(bool shadowed, bool projected);
    void LightStart();
    void PositionedLightStart();
    // The light's colour as the fragment's, with the ambient pass's terms added in a summed pass.
    void LightEnd(const char* lightColour);
    void SubstituteChannels();

    const nMaterial& m_material;
    uint32_t m_pass;
    const nMaterialPassTexts& m_texts;
    nShader& m_shader;
    bool m_withAmbient = false;
    std::string m_vertex;
    std::string m_fragment;
    std::string m_fragmentDeclarations;
};

bool PassBuilder::Require(const char* text, const char* tag) const
{
    if (text)
        return true;
    nLogHolder::Get() << "[!] No '" << tag << "' text in the shader dictionary: pass " << m_pass
                      << " of material '" << m_material.name << "' is not built.\n";
    return false;
}

bool PassBuilder::AddShadowFilter()
{
    if (!Require(m_texts.pcf, m_texts.pcfTag))
        return false;
    Add("u_iss", ShaderTypeFloat, SemanticInverseShadowMapSize, Uniform, Fragment);
    Add("u_lsb", ShaderTypeFloat, SemanticLightShadowBias, Uniform, Fragment);
    m_fragmentDeclarations += m_texts.pcf;
    m_fragmentDeclarations += '\n';
    return true;
}

void PassBuilder::DepthTemplate()
{
    Add("u_mvp_matrix", ShaderTypeMat4, SemanticModelViewProjectionMatrix, Uniform, Vertex);
    m_vertex += ProjectedVertex;
    m_fragment += "// ATI requires color to be written for depth only.\n"
                  "%out.color% = vec4(%in.fragcoord%.zzz, %in.opacity%);\n"
                  "// nVidia requires depth to be written for depth only.\n"
                  "%out.depth% = %out.color%.z;";
}

void PassBuilder::GBufferTemplate()
{
    Add("u_mv_matrix", ShaderTypeMat4, SemanticModelViewMatrix, Uniform, Vertex);
    m_shader.AddVarying("v_depth", "float");
    m_vertex += "v_depth = (u_mv_matrix * v_f_position).z;\n"
                "%out.position% = u_mvp_matrix * v_f_position;\n";
    Add("u_nmv_matrix", ShaderTypeMat3, SemanticNormalViewMatrix, Uniform, Fragment);
    m_fragment += "float3 v_normal_view = u_nmv_matrix * v_f_normal;\n"
                  "%out.color0% = float4(v_normal_view, v_depth);\n"
                  "%out.color1% = float4(%in.diffuse%.xyz, 1.0);\n"
                  "%out.color2% = float4(%in.specular%.xyz, %in.glossiness%);\n"
                  "%out.color3% = float4(%in.constant%.xyz, 0.0);\n";
}

void PassBuilder::AmbientTemplate()
{
    Add("u_mvp_matrix", ShaderTypeMat4, SemanticModelViewProjectionMatrix, Uniform, Vertex);
    Add("u_ambient", ShaderTypeVec3, SemanticAmbientColor, Uniform, Fragment);
    m_vertex += ProjectedVertex;
    m_fragment += "%out.color% = float4(%in.diffuse%.xyz * u_ambient + %in.constant%.xyz, %in.opacity%);\n";
}

// The view-space position every light pass lights.
void PassBuilder::LightStart()
{
    Add("u_mv_matrix", ShaderTypeMat4, SemanticModelViewMatrix, Uniform, Vertex);
    m_shader.AddVarying("v_vpos", "float3");
    m_vertex += ViewPositionVertex;
}

// Point and spot lights: a position and a range.
void PassBuilder::PositionedLightStart()
{
    LightStart();
    Add("u_nmv_matrix", ShaderTypeMat3, SemanticNormalViewMatrix, Uniform, Fragment);
    m_fragment += ViewNormal;
    Add("u_lvp", ShaderTypeVec3, SemanticLightViewPosition, Uniform, Fragment);
    Add("u_lr", ShaderTypeFloat, SemanticLightRange, Uniform, Fragment);
    Add("u_ldiff", ShaderTypeVec3, SemanticLightDiffuseColor, Uniform, Fragment);
    Add("u_lspec", ShaderTypeVec3, SemanticLightSpecularColor, Uniform, Fragment);
}

void PassBuilder::LightEnd(const char* lightColour)
{
    m_fragment += "%out.color% = float4(";
    m_fragment += lightColour;
    if (m_withAmbient)
    {
        Add("u_ambient", ShaderTypeVec3, SemanticAmbientColor, Uniform, Fragment);
        m_fragment += " + %in.diffuse%.xyz * u_ambient + %in.constant%.xyz";
    }
    m_fragment += ", %in.opacity%);";
}

bool PassBuilder::PointTemplate(bool shadowed)
{
    PositionedLightStart();
    if (shadowed)
    {
        if (!Require(m_texts.psm, m_texts.psmTag))
            return false;
        Add("psm", ShadowSampler, SemanticLightShadowMap0, Uniform, Fragment);
        for (uint32_t face = 0; face < 6; ++face)
        {
            const std::string name = "psm_" + std::to_string(face) + "_projection_matrix";
            Add(name.c_str(), ShaderTypeMat4, SemanticLightShadowMatrix0 + face, Uniform, Fragment);
        }
        if (!AddShadowFilter())
            return false;
        Add("u_vtl", ShaderTypeMat4, SemanticViewToLightMatrix, Uniform, Fragment);
        m_fragment += ShadowStart;
        m_fragment += m_texts.psm;
        m_fragment += '\n';
    }
    m_fragment += PointLighting;
    if (shadowed)
    {
        Add("u_shadow_color", ShaderTypeVec3, SemanticLightShadowColor, Uniform, Fragment);
        m_fragment += ShadowMix;
    }
    LightEnd("_f_color");
    return true;
}

bool PassBuilder::DirectionalTemplate(bool shadowed)
{
    LightStart();
    if (shadowed)
    {
        if (!Require(m_texts.pssm, m_texts.pssmTag))
            return false;
        Add("pssm", ShadowSampler, SemanticLightShadowMap0, Uniform, Fragment);
        const uint32_t splits = m_texts.splitCount < 2 ? 2 : m_texts.splitCount > 4 ? 4 : m_texts.splitCount;
        for (uint32_t split = 0; split < splits; ++split)
        {
            const std::string index = std::to_string(split);
            Add(("pssm_" + index + "_slice_distance").c_str(), ShaderTypeFloat,
                SemanticLightPSSMSliceDistance0 + split, Uniform, Fragment);
            Add(("pssm_" + index + "_projection_matrix").c_str(), ShaderTypeMat4,
                SemanticLightShadowMatrix0 + split, Uniform, Fragment);
        }
        if (!AddShadowFilter())
            return false;
        m_fragment += ShadowStart;
        m_fragment += m_texts.pssm;
        m_fragment += '\n';
    }
    Add("u_nmv_matrix", ShaderTypeMat3, SemanticNormalViewMatrix, Uniform, Fragment);
    m_fragment += ViewNormal;
    Add("u_lvd", ShaderTypeVec3, SemanticLightViewDirection, Uniform, Fragment);
    Add("u_ldiff", ShaderTypeVec3, SemanticLightDiffuseColor, Uniform, Fragment);
    Add("u_lspec", ShaderTypeVec3, SemanticLightSpecularColor, Uniform, Fragment);
    m_fragment += DirectionalLighting;
    if (shadowed)
    {
        Add("u_shadow_color", ShaderTypeVec3, SemanticLightShadowColor, Uniform, Fragment);
        m_fragment += ShadowMix;
    }
    LightEnd("_f_color");
    return true;
}

bool PassBuilder::SpotTemplate(bool shadowed, bool projected)
{
    PositionedLightStart();
    Add("u_lvd", ShaderTypeVec3, SemanticLightViewDirection, Uniform, Fragment);
    Add("u_lcone", ShaderTypeFloat, SemanticLightSpotCone, Uniform, Fragment);
    Add("u_ledge", ShaderTypeFloat, SemanticLightSpotEdge, Uniform, Fragment);
    if (shadowed)
    {
        if (!Require(m_texts.towardsLight, m_texts.towardsLightTag))
            return false;
        Add("u_ssm", ShadowSampler, SemanticLightShadowMap0, Uniform, Fragment);
        Add("u_ssm_projection", ShaderTypeMat4, SemanticLightShadowMatrix0, Uniform, Fragment);
        if (!AddShadowFilter())
            return false;
        m_fragmentDeclarations += m_texts.towardsLight;
        m_fragmentDeclarations += '\n';
    }
    m_fragment += PointLighting;
    m_fragment += SpotCone;
    if (projected)
    {
        Add("u_pjm", ShaderTypeSampler2D, SemanticLightProjectionMap, Uniform, Fragment);
        Add("u_pjm_projection", ShaderTypeMat4, SemanticLightShadowMatrix0, Uniform, Fragment);
        m_fragment += "float4\t_pjm_uv = u_pjm_projection * float4(v_vpos, 1.0);\n"
                      "_f_color *= texture2D(u_pjm, _pjm_uv.xy / _pjm_uv.w).rgb;\n";
    }
    if (shadowed)
    {
        Add("u_shadow_color", ShaderTypeVec3, SemanticLightShadowColor, Uniform, Fragment);
        m_fragment += "_f_color = mix(u_shadow_color, _f_color,\n"
                      "\tComputePCF(MoveTowardsLight(v_vpos, _l_normal, u_lvp, u_ssm_projection), "
                      "u_ssm_projection, u_ssm));\n";
    }
    LightEnd("_f_color * s_attn");
    return true;
}

// Each channel the code names is compiled once from its tree, or takes its default when the
// map has none, the compile is refused, or the tree gives a type the template cannot use.
void PassBuilder::SubstituteChannels()
{
    nGLSLShaderTreeCompiler compiler;
    compiler.Reset(&m_shader);
    const nShaderMap& map = *m_material.shaderMap;
    for (const Channel& channel : Channels)
    {
        if (m_fragment.find(channel.placeholder) == std::string::npos)
            continue;
        const char* replacement = channel.fallback;
        if (nShaderBlock* root = map.roots[channel.root])
        {
            const nCShaderBlock* compiled =
                compiler.Compile(root, channel.placeholder, nShaderTreeCompiler::FragmentStage);
            if (compiled && (compiled->type & channel.acceptedTypes))
                replacement = compiled->name.c_str();
            else if (compiled)
            {
                const char* typeName = nGLSLText::TypeName(compiled->type);
                nLogHolder::Get() << "[!] The " << channel.rootName << " tree of material '"
                                  << m_material.name << "' gives " << (typeName ? typeName : "no value")
                                  << ", its default is used.\n";
            }
        }
        nGLSLText::ReplaceAll(m_fragment, channel.placeholder, replacement);
    }
    m_vertex.insert(0, compiler.GetVertexCode());
    m_fragment.insert(0, compiler.GetFragmentCode());
}

bool PassBuilder::Build()
{
    if (!m_material.shaderMap)
    {
        nLogHolder::Get() << "[!] No shader tree in material '" << m_material.name << "'.\n";
        return false;
    }
    const bool skinned = (m_material.renderFlags & MaterialSkinned) != 0;
    if (skinned)
    {
        Add("bone_mtx", ShaderTypeMat4, SemanticBoneMatrix, Uniform, Vertex, 16);
        Add("bone_idx", ShaderTypeVec4, SemanticBoneIndex, Attribute, Vertex);
        Add("bone_w", ShaderTypeVec4, SemanticBoneWeight, Attribute, Vertex);
        m_shader.AddVarying("v_skin_mtx", "mat4");
        m_vertex += SkinVertex;
    }
    Add("a_position", ShaderTypeVec3, SemanticPosition, Attribute, Vertex);
    Add("u_mvp_matrix", ShaderTypeMat4, SemanticModelViewProjectionMatrix, Uniform, Vertex);
    if (skinned)
    {
        m_vertex += "float4 v_f_position = v_skin_mtx * float4(a_position, 1.0);\n";
        m_fragment += "float3 v_f_normal = normalize(mat3(v_skin_mtx) * %in.normal%);\n";
    }
    else
    {
        m_vertex += "float4 v_f_position = float4(a_position, 1.0);\n";
        m_fragment += "float3\tv_f_normal = %in.normal%;\n";
    }

    bool built = true;
    uint32_t pass = m_pass;
    if (pass >= MaterialPassAmbientPoint && pass <= MaterialPassAmbientSpotProjectedShadow)
    {
        pass -= MaterialPassAmbientPoint - MaterialPassPoint;
        m_withAmbient = true;
    }
    switch (pass)
    {
    case MaterialPassGBuffer:
        GBufferTemplate();
        break;
    case MaterialPassAmbient:
        AmbientTemplate();
        break;
    case MaterialPassPoint:
    case MaterialPassPointShadow:
        built = PointTemplate(pass == MaterialPassPointShadow);
        break;
    case MaterialPassDirectional:
    case MaterialPassDirectionalShadow:
        built = DirectionalTemplate(pass == MaterialPassDirectionalShadow);
        break;
    case MaterialPassSpot:
    case MaterialPassSpotShadow:
    case MaterialPassSpotProjected:
    case MaterialPassSpotProjectedShadow:
        built = SpotTemplate(pass == MaterialPassSpotShadow || pass == MaterialPassSpotProjectedShadow,
                             pass >= MaterialPassSpotProjected);
        break;
    default:
        DepthTemplate();
        break;
    }
    if (!built)
        return false;

    if (m_material.renderFlags & MaterialAlphaTest)
    {
        Add("u_alpha_threshold", ShaderTypeFloat, SemanticMaterialAlphaThreshold, Uniform, Fragment);
        m_fragment.insert(0, "if (%in.opacity% < u_alpha_threshold) discard;\n");
    }
    SubstituteChannels();
    m_shader.vertexCode.Set(m_vertex.data(), m_vertex.data() + m_vertex.size());
    m_shader.fragmentCode.Set(m_fragment.data(), m_fragment.data() + m_fragment.size());
    m_shader.fragmentDeclarations.Set(m_fragmentDeclarations.data(),
                                      m_fragmentDeclarations.data() + m_fragmentDeclarations.size());
    return true;
}
} // namespace

bool BuildMaterialPassShader(const nMaterial& material, uint32_t pass, const nMaterialPassTexts& texts,
                             nShader& shader)
{
    return PassBuilder(material, pass, texts, shader).Build();
}
