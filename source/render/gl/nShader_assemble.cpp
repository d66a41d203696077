#include "render/gl/nShader.h"

#include "core/base/nLog.h"
#include "render/gl/nGLSLText.h"

#include <cctype>
#include <string>
#include <string_view>

namespace
{
bool IsIdentifierChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Whether the code holds "void main (" as whole words, however spaced.
bool DefinesMain(const std::string& code)
{
    for (size_t at = code.find("main"); at != std::string::npos; at = code.find("main", at + 4))
    {
        if (at > 0 && IsIdentifierChar(code[at - 1]))
            continue;
        size_t after = at + 4;
        while (after < code.size() && std::isspace(static_cast<unsigned char>(code[after])))
            ++after;
        if (after >= code.size() || code[after] != '(')
            continue;
        size_t before = at;
        while (before > 0 && std::isspace(static_cast<unsigned char>(code[before - 1])))
            --before;
        if (before == at || before < 4 || code.compare(before - 4, 4, "void") != 0)
            continue;
        if (before > 4 && IsIdentifierChar(code[before - 5]))
            continue;
        return true;
    }
    return false;
}

void AppendStage(std::string& source, const nString& declarations, const std::string& code)
{
    if (const char* text = declarations.GetText())
        source.append(text, declarations.GetLength());
    if (DefinesMain(code))
    {
        source += code;
        return;
    }
    source += "void main()\n{\n";
    source += code;
    source += "\n}";
}

std::string CodeOf(const nString& code)
{
    return code.GetText() ? std::string(code.GetText(), code.GetLength()) : std::string();
}

void SpellVectorTypes(std::string& source)
{
    nGLSLText::ReplaceAll(source, "float2", "vec2");
    nGLSLText::ReplaceAll(source, "float3", "vec3");
    nGLSLText::ReplaceAll(source, "float4", "vec4");
}
} // namespace

void nShader::AssembleGLSL(std::string& vertexSource, std::string& fragmentSource, bool precision) const
{
    std::string vertex = CodeOf(vertexCode);
    std::string fragment = CodeOf(fragmentCode);
    nGLSLText::ReplaceAll(vertex, "%out.position%", "gl_Position");
    nGLSLText::ReplaceAll(fragment, "%in.fragcoord%", "gl_FragCoord");
    nGLSLText::ReplaceAll(fragment, "%out.color%", "gl_FragColor");
    nGLSLText::ReplaceAll(fragment, "%out.color0%", "gl_FragData[0]");
    nGLSLText::ReplaceAll(fragment, "%out.color1%", "gl_FragData[1]");
    nGLSLText::ReplaceAll(fragment, "%out.color2%", "gl_FragData[2]");
    nGLSLText::ReplaceAll(fragment, "%out.color3%", "gl_FragData[3]");
    nGLSLText::ReplaceAll(fragment, "%out.depth%", "gl_FragDepth");

    vertexSource = "#version 120\n";
    fragmentSource = "#version 120\n";
    std::string declaration;
    for (const std::unique_ptr<nShaderInput>& input : m_inputs)
    {
        if (input->type == 1) // declared by the code itself
            continue;
        const char* typeName = nGLSLText::TypeName(input->type);
        if (!typeName)
        {
            nLogHolder::Get() << "[!] Unsupported input '" << input->name << "' type (" << input->type
                              << ").\n";
            continue;
        }
        const bool attribute = input->kind == nShaderInput::Attribute;
        declaration = attribute ? "attribute " : "uniform ";
        if (precision)
            declaration += "mediump ";
        declaration += typeName;
        declaration += ' ';
        declaration += input->name.GetText() ? input->name.GetText() : "";
        if (input->count > 1)
            declaration += '[' + std::to_string(input->count) + ']';
        declaration += ";\n";
        // An attribute exists only in the vertex stage, whatever scope it was given.
        if (attribute || (input->scope & nShaderInput::VertexStage))
            vertexSource += declaration;
        if (!attribute && (input->scope & nShaderInput::FragmentStage))
            fragmentSource += declaration;
    }
    for (const std::unique_ptr<nShaderVarying>& varying : m_varyings)
    {
        declaration = "varying ";
        declaration += varying->type.GetText() ? varying->type.GetText() : "";
        declaration += ' ';
        declaration += varying->name.GetText() ? varying->name.GetText() : "";
        declaration += ";\n";
        vertexSource += declaration;
        fragmentSource += declaration;
    }
    AppendStage(vertexSource, vertexDeclarations, vertex);
    AppendStage(fragmentSource, fragmentDeclarations, fragment);
    SpellVectorTypes(vertexSource);
    SpellVectorTypes(fragmentSource);
}

bool nShader::AssembleGLSL(nString& vertexSource, nString& fragmentSource, bool precision) const
{
    std::string vertex;
    std::string fragment;
    AssembleGLSL(vertex, fragment, precision);
    vertexSource.Set(vertex.data(), vertex.data() + vertex.size());
    fragmentSource.Set(fragment.data(), fragment.data() + fragment.size());
    return true;
}
