#include "render/gl/nShader.h"

#include "core/base/nAutoArray.h"
#include "core/base/nLog.h"
#include "core/base/nMemory.h"
#include "core/io/nIOSystem.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "platform/nPlatform.h"
#include "render/gl/nShaderSemantic.h"

#include <cstring>

namespace
{
constexpr uint32_t ShadowSamplerType = 512;

const nString& TextOf(const nMetaTag* tag)
{
    static const nString empty;
    return tag && tag->GetType() == TagTypeString ? tag->GetValue().GetText() : empty;
}

// "@core/a.fs" and "view@cfile/a.fs" name a mount point; "a.fs" and "deferred/a.fs" do not.
bool HasMountPrefix(const char* path)
{
    const char* slash = std::strchr(path, '/');
    const size_t length = slash ? static_cast<size_t>(slash - path) : std::strlen(path);
    return std::memchr(path, '@', length) != nullptr;
}

bool LoadText(const nString& path, nString& out)
{
    nIOSystem& files = nPlatform::Get().GetIOSystem();
    nAutoArray<uint8_t> block(MemCategoryFilesystem);
    // Asked first, so that a path tried in two places logs nothing for the first.
    if (path.IsEmpty() || !files.Exists(path) || !files.LoadFile(path, block))
        return false;
    const char* text = reinterpret_cast<const char*>(block.GetData());
    out.Set(text, text + block.GetCount());
    return true;
}
} // namespace

nShader::nShader(const char* name, const char* vertexCode, const char* fragmentCode)
    : name(name), vertexCode(vertexCode), fragmentCode(fragmentCode)
{
}

nShaderInput* nShader::AddInput(const char* inputName, uint32_t type, uint32_t semantic, uint32_t kind,
                                uint32_t scope, uint32_t count)
{
    const bool stream = nShaderSemantic::IsVertexStream(semantic);
    for (const std::unique_ptr<nShaderInput>& input : m_inputs)
    {
        if (input->semantic == semantic && (stream || input->name == inputName))
        {
            input->scope |= scope;
            return input.get();
        }
    }
    auto input = std::make_unique<nShaderInput>();
    input->name = inputName;
    input->type = type;
    input->semantic = semantic;
    input->kind = kind;
    input->scope = scope;
    input->count = count;
    m_inputs.push_back(std::move(input));
    return m_inputs.back().get();
}

nShaderVarying* nShader::AddVarying(const char* varyingName, const char* type)
{
    auto varying = std::make_unique<nShaderVarying>();
    varying->name = varyingName;
    varying->type = type;
    m_varyings.push_back(std::move(varying));
    return m_varyings.back().get();
}

void nShader::ClearInputs()
{
    m_inputs.clear();
}

void nShader::ReadInputs(const nMetaTag& inputs)
{
    nLinkedListIterator iterator;
    for (nMetaTag* entry = inputs.GetNextChild(iterator); entry; entry = inputs.GetNextChild(iterator))
    {
        const bool attribute = entry->GetName() == "Attribute";
        if (!attribute && entry->GetName() != "Uniform")
        {
            nLogHolder::Get() << "[*] Unknown tag '" << entry->GetName() << "' in <Input>.\n";
            continue;
        }
        const nString& inputName = TextOf(entry->GetTag("Name;"));
        const nString& semanticName = TextOf(entry->GetTag("Semantic;"));
        const uint32_t semantic = nShaderSemantic::Find(semanticName.GetText() ? semanticName.GetText() : "");
        if (semantic == nShaderSemantic::Last)
        {
            nLogHolder::Get() << "[*] Unknown shader input semantic in shader '" << name << "'.\n";
            continue;
        }
        if (inputName.IsEmpty())
        {
            nLogHolder::Get() << "[*] Shader input without a name in shader '" << name << "'.\n";
            continue;
        }
        uint32_t scope = attribute ? nShaderInput::VertexStage : nShaderInput::FragmentStage;
        if (const nMetaTag* scopeTag = entry->GetTag("Scope;"))
        {
            scope = 0;
            if (scopeTag->GetTag("Vertex;"))
                scope |= nShaderInput::VertexStage;
            if (scopeTag->GetTag("Fragment;"))
                scope |= nShaderInput::FragmentStage;
        }
        // A shadow map is sampled with depth comparison, which only a shadow sampler can reach.
        const bool shadowMap = semantic >= SemanticLightShadowMap0 && semantic < SemanticLightShadowMap0 + 6;
        const uint32_t type = shadowMap ? ShadowSamplerType : nShaderSemantic::Get(semantic).typeMask;
        AddInput(inputName.GetText(), type, semantic,
                 attribute ? nShaderInput::Attribute : nShaderInput::Uniform, scope);
    }
}

void nShader::ReadVaryings(const nMetaTag& varyings)
{
    nLinkedListIterator iterator;
    for (nMetaTag* entry = varyings.GetNextChild(iterator); entry; entry = varyings.GetNextChild(iterator))
    {
        if (entry->GetName() != "Variable")
            continue;
        const nString& varyingName = TextOf(entry->GetTag("Name;"));
        const nString& type = TextOf(entry->GetTag("Type;"));
        if (!varyingName.IsEmpty() && !type.IsEmpty())
            AddVarying(varyingName.GetText(), type.GetText());
    }
}

bool nShader::ReadCodeFile(const nMetaTag& tag, const nString& documentPath, nString& out) const
{
    const nString& path = TextOf(&tag);
    if (LoadText(path, out))
        return true;
    if (!path.IsEmpty() && !HasMountPrefix(path.GetText()) && LoadText(documentPath.GetPath() + path, out))
        return true;
    nLogHolder::Get() << "[!] Could not read shader code '" << path << "' of shader '" << name << "'.\n";
    return false;
}

bool nShader::ParseTag(nMetaFile& file, nMetaTag& tag)
{
    if (tag.GetName() != "Shader")
    {
        nLogHolder::Get() << "[!] Could not parse shader. Root tag id is incorrect (" << tag.GetName()
                          << ").\n";
        return false;
    }
    name = file.GetFileName();
    m_inputs.clear();
    m_varyings.clear();
    vertexCode.Clear();
    fragmentCode.Clear();
    nLinkedListIterator iterator;
    for (nMetaTag* child = tag.GetNextChild(iterator); child; child = tag.GetNextChild(iterator))
    {
        const nString& id = child->GetName();
        if (id == "Name")
        {
            if (child->GetType() == TagTypeString)
                name = child->GetValue().GetText();
        }
        else if (id == "Varying")
            ReadVaryings(*child);
        else if (id == "Input")
            ReadInputs(*child);
        else if (id == "Vertex")
        {
            if (!ReadCodeFile(*child, file.GetFileName(), vertexCode))
                return false;
        }
        else if (id == "Fragment")
        {
            if (!ReadCodeFile(*child, file.GetFileName(), fragmentCode))
                return false;
        }
        else
            nLogHolder::Get() << "[*] Unknown tag '" << id << "' in <Shader>.\n";
    }
    return true;
}

nMetaTag* nShader::SerializeTag(nMetaFile&)
{
    auto* root = new nMetaTag("Shader");
    if (!root)
    {
        nLogHolder::Get() << "[!] Could not serialize shader. Failed to create root tag.\n";
        return nullptr;
    }
    if (!m_inputs.empty())
    {
        nMetaTag* inputs = root->AddChild("Input");
        for (const std::unique_ptr<nShaderInput>& input : m_inputs)
        {
            if (!inputs)
                break;
            nMetaTag* entry =
                inputs->AddChild(input->kind == nShaderInput::Attribute ? "Attribute" : "Uniform");
            if (!entry)
                continue;
            entry->AddChildString("Name", input->name.GetText() ? input->name.GetText() : "");
            entry->AddChildString("Semantic", nShaderSemantic::Get(input->semantic).name);
        }
    }
    if (!m_varyings.empty())
        root->AddChild("Varying");
    nLogHolder::Get() << "[!] Vertex and fragment code are not saved for shader '" << name << "'.\n";
    return root;
}

bool nShader::LoadSignature(const char* path)
{
    nMetaFile document;
    if (!path || !document.Load(path))
        return false;
    const nLinkedListId& roots = document.GetRoots();
    if (const nMetaTag* inputs = MetaFindTagInList(&roots, "Shader:Input;", false))
        ReadInputs(*inputs);
    if (const nMetaTag* varyings = MetaFindTagInList(&roots, "Shader:Varying;", false))
        ReadVaryings(*varyings);
    nString vertex;
    nString fragment;
    const nMetaTag* vertexTag = MetaFindTagInList(&roots, "Shader:Vertex;", false);
    const nMetaTag* fragmentTag = MetaFindTagInList(&roots, "Shader:Fragment;", false);
    if (!vertexTag || !fragmentTag || !ReadCodeFile(*vertexTag, document.GetFileName(), vertex) ||
        !ReadCodeFile(*fragmentTag, document.GetFileName(), fragment))
        return false;
    vertexCode += vertex;
    fragmentCode += fragment;
    return true;
}
