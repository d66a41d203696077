#include "render/gl/nGLSLShaderTreeCompiler.h"

#include "core/base/nLog.h"
#include "render/gl/nGLSLText.h"
#include "render/shader/nComponentShaderBlocks.h"
#include "render/shader/nShaderBlock.h"
#include "render/shader/nShaderValueType.h"

#include <string>

// Blocks that compute from their inputs. Each line is written only once every input is known to
// be right, so a refusal leaves no half-written statement behind.

namespace
{
bool IsVector(uint32_t type)
{
    return type == ShaderTypeFloat || type == ShaderTypeVec2 || type == ShaderTypeVec3 ||
           type == ShaderTypeVec4;
}

// Mix, add, subtract and divide refuse matrices and samplers.
bool IsMatrixOrSampler(uint32_t type)
{
    return type == ShaderTypeMat3 || type == ShaderTypeMat4 || type == ShaderTypeSampler2D;
}

const char* TypeName(uint32_t type)
{
    const char* name = nGLSLText::TypeName(type);
    return name ? name : "void";
}

// How many components a swizzle may read from a value of the type; 0 for no vector.
uint32_t ComponentCount(uint32_t type)
{
    switch (type)
    {
    case ShaderTypeFloat:
        return 1;
    case ShaderTypeVec2:
        return 2;
    case ShaderTypeVec3:
        return 3;
    case ShaderTypeVec4:
        return 4;
    default:
        return 0;
    }
}

void LogTypeRefusal(const char* text, uint32_t type)
{
    nLogHolder::Get() << "[!] " << text << type << ").\n";
}
} // namespace

nShaderBlock* nGLSLShaderTreeCompiler::ConnectedInput(const nShaderBlock& block, uint32_t index)
{
    nShaderBlock* input = block.GetInput(index);
    if (!input)
    {
        const nShaderInputDescriptor* descriptor = block.GetInputDescriptor(index);
        nLogHolder::Get() << "[!] Input '" << (descriptor ? descriptor->name : "?") << "' of the "
                          << nShaderBlock::GetKindName(block.GetKind()) << " block is not connected.\n";
    }
    return input;
}

nCShaderBlock* nGLSLShaderTreeCompiler::Operand(const nShaderBlock& block, uint32_t index)
{
    nShaderBlock* source = ConnectedInput(block, index);
    if (!source)
        return nullptr;
    nCShaderBlock* input = Compile(source, nullptr, FragmentStage);
    if (input && input->type == ShaderTypeInvalid)
    {
        nLogHolder::Get() << "[!] Block has no output.\n";
        return nullptr;
    }
    return input;
}

bool nGLSLShaderTreeCompiler::Operands(nCShaderBlock* record, const nShaderBlock& block,
                                       std::initializer_list<nCShaderBlock**> inputs)
{
    uint32_t index = 0;
    for (nCShaderBlock** input : inputs)
    {
        *input = Operand(block, index++);
        if (!*input)
        {
            record->failed = true;
            return false;
        }
    }
    return true;
}

nCShaderBlock* nGLSLShaderTreeCompiler::Arithmetic(nShaderBlock& block, const char* prefix,
                                                   const char* symbol, const char* mismatch,
                                                   const char* badType)
{
    nCShaderBlock* record = NewRecord(block, prefix);
    nCShaderBlock* a = nullptr;
    nCShaderBlock* b = nullptr;
    if (!Operands(record, block, {&a, &b}))
        return nullptr;
    if (a->type != b->type)
        return Refuse(record, mismatch);
    if (IsMatrixOrSampler(a->type))
    {
        LogTypeRefusal(badType, a->type);
        record->failed = true;
        return nullptr;
    }
    record->type = a->type;
    nGLSLText::AppendFormat(m_fragmentCode, "%s %s = %s %s %s;\n", TypeName(record->type),
                            record->name.c_str(), a->name.c_str(), symbol, b->name.c_str());
    return record;
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileMix(nShaderBlock& block, uint32_t)
{
    nCShaderBlock* record = NewRecord(block, "mix");
    nCShaderBlock* a = nullptr;
    nCShaderBlock* b = nullptr;
    nCShaderBlock* k = nullptr;
    if (!Operands(record, block, {&a, &b, &k}))
        return nullptr;
    // GLSL mixes by a float or by a factor of the values' own type.
    if (a->type != b->type || (k->type != ShaderTypeFloat && k->type != a->type))
        return Refuse(record, "Cannot mix blocks, output do not match.\n");
    if (IsMatrixOrSampler(a->type))
    {
        LogTypeRefusal("Cannot mix blocks, incorrect type (", a->type);
        record->failed = true;
        return nullptr;
    }
    record->type = a->type;
    nGLSLText::AppendFormat(m_fragmentCode, "%s %s = mix(%s, %s, %s);\n", TypeName(record->type),
                            record->name.c_str(), b->name.c_str(), a->name.c_str(), k->name.c_str());
    return record;
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileAdd(nShaderBlock& block, uint32_t)
{
    return Arithmetic(block, "add", "+", "Cannot add blocks, output do not match.\n", "Cannot add blocks (");
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileSub(nShaderBlock& block, uint32_t)
{
    return Arithmetic(block, "sub", "-", "Cannot subtract blocks, output do not match.\n",
                      "Cannot subtract blocks (");
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileDiv(nShaderBlock& block, uint32_t)
{
    return Arithmetic(block, "div", "/", "Cannot divide blocks, output do not match.\n",
                      "Cannot divide blocks (");
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileMul(nShaderBlock& block, uint32_t)
{
    nCShaderBlock* record = NewRecord(block, "mul");
    nCShaderBlock* a = nullptr;
    nCShaderBlock* b = nullptr;
    if (!Operands(record, block, {&a, &b}))
        return nullptr;
    if (a->type == b->type)
    {
        if (a->type == ShaderTypeSampler2D)
            return Refuse(record, "Cannot multiply textures.\n");
        record->type = a->type;
    }
    else
    {
        const uint32_t low = a->type < b->type ? a->type : b->type;
        const uint32_t high = a->type < b->type ? b->type : a->type;
        if (!(high == ShaderTypeMat3 && low == ShaderTypeVec3) &&
            !(high == ShaderTypeMat4 && low == ShaderTypeVec4))
            return Refuse(record, "Cannot multiply blocks, output do not match.\n");
        record->type = low;
    }
    nGLSLText::AppendFormat(m_fragmentCode, "%s %s = %s * %s;\n", TypeName(record->type),
                            record->name.c_str(), a->name.c_str(), b->name.c_str());
    return record;
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileDot(nShaderBlock& block, uint32_t)
{
    nCShaderBlock* record = NewRecord(block, "dot");
    nCShaderBlock* a = nullptr;
    nCShaderBlock* b = nullptr;
    if (!Operands(record, block, {&a, &b}))
        return nullptr;
    if (a->type != b->type || !IsVector(a->type))
        return Refuse(record, "Cannot compute dot operator, output do not match.\n");
    record->type = ShaderTypeFloat;
    nGLSLText::AppendFormat(m_fragmentCode, "float %s = dot(%s, %s);\n", record->name.c_str(),
                            a->name.c_str(), b->name.c_str());
    return record;
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileCross(nShaderBlock& block, uint32_t)
{
    nCShaderBlock* record = NewRecord(block, "cross");
    nCShaderBlock* a = nullptr;
    nCShaderBlock* b = nullptr;
    if (!Operands(record, block, {&a, &b}))
        return nullptr;
    if (a->type != ShaderTypeVec3 || b->type != ShaderTypeVec3)
        return Refuse(record, "Cannot only compute cross product on Vector3.\n");
    record->type = ShaderTypeVec3;
    nGLSLText::AppendFormat(m_fragmentCode, "vec3 %s = cross(%s, %s);\n", record->name.c_str(),
                            a->name.c_str(), b->name.c_str());
    return record;
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileClamp(nShaderBlock& block, uint32_t)
{
    nCShaderBlock* record = NewRecord(block, "clamp");
    nCShaderBlock* input = nullptr;
    nCShaderBlock* low = nullptr;
    nCShaderBlock* high = nullptr;
    if (!Operands(record, block, {&input, &low, &high}))
        return nullptr;
    // GLSL clamps a vector between two vectors of its type or between two floats.
    const bool sameType = low->type == input->type && high->type == input->type;
    const bool floatBounds = low->type == ShaderTypeFloat && high->type == ShaderTypeFloat;
    if (!IsVector(input->type) || (!sameType && !floatBounds))
        return Refuse(record, ".\n");
    record->type = input->type;
    nGLSLText::AppendFormat(m_fragmentCode, "%s %s = clamp(%s, %s, %s);\n", TypeName(record->type),
                            record->name.c_str(), input->name.c_str(), low->name.c_str(), high->name.c_str());
    return record;
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileNormalize(nShaderBlock& block, uint32_t)
{
    nCShaderBlock* record = NewRecord(block, "normalized");
    nCShaderBlock* input = nullptr;
    if (!Operands(record, block, {&input}))
        return nullptr;
    if (!IsVector(input->type))
        return Refuse(record, "Incompatible value type.\n");
    record->type = input->type;
    nGLSLText::AppendFormat(m_fragmentCode, "%s %s = normalize(%s);\n", TypeName(record->type),
                            record->name.c_str(), input->name.c_str());
    return record;
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileSwizzle(nShaderBlock& block, uint32_t)
{
    nCShaderBlock* record = NewRecord(block, "swizzle");
    const auto* swizzle = dynamic_cast<const nSwizzleShaderBlock*>(&block);
    nShaderBlock* source = ConnectedInput(block, 0);
    nCShaderBlock* input = source ? Compile(source, nullptr, FragmentStage) : nullptr;
    if (!input)
    {
        record->failed = true;
        return nullptr;
    }
    uint32_t selected = 0;
    if (swizzle)
    {
        for (uint32_t selector : swizzle->selectors)
            selected += selector != nSwizzleShaderBlock::SelectNone;
    }
    if (input->type == ShaderTypeInvalid || selected == 0)
        return Refuse(record, "Invalid swizzle, no output.\n");
    const uint32_t type = ShaderVectorTypeOfSize(selected);
    const char* typeName = TypeName(type);
    std::string line;
    if (input->type == ShaderTypeFloat)
    {
        // A float is replicated into the vector.
        nGLSLText::AppendFormat(line, "%s %s = %s(", typeName, record->name.c_str(), typeName);
        for (uint32_t i = 0; i < 4; ++i)
        {
            const uint32_t selector = swizzle->selectors[i];
            if (selector == nSwizzleShaderBlock::SelectNone)
                break;
            if (selector != nSwizzleShaderBlock::SelectX)
                return Refuse(record, "Impossible swizzle.\n");
            const bool last = i == 3 || swizzle->selectors[i + 1] == nSwizzleShaderBlock::SelectNone;
            line += input->name;
            line += last ? ")" : ",";
        }
    }
    else
    {
        const uint32_t available = ComponentCount(input->type);
        nGLSLText::AppendFormat(line, "%s %s = %s.", typeName, record->name.c_str(), input->name.c_str());
        for (uint32_t selector : swizzle->selectors)
        {
            if (selector == nSwizzleShaderBlock::SelectNone)
                continue;
            if (selector > available)
                return Refuse(record, "Invalid component to swizzle.\n");
            line += "xyzw"[selector - 1];
        }
    }
    line += ";\n";
    m_fragmentCode += line;
    record->type = type;
    return record;
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileBuild(nShaderBlock& block, uint32_t)
{
    nCShaderBlock* record = NewRecord(block, "built");
    const auto* build = dynamic_cast<const nBuildShaderBlock*>(&block);
    std::string parts[4];
    uint32_t count = 0;
    for (uint32_t c = 0; build && c < 4; ++c)
    {
        const uint32_t source = build->selectors[c];
        if (source == nBuildShaderBlock::BuildZero || source == nBuildShaderBlock::BuildOne)
        {
            parts[count++] = source == nBuildShaderBlock::BuildZero ? "0.0" : "1.0";
            continue;
        }
        if (source > nBuildShaderBlock::BuildW)
            continue;
        if (!block.GetInput(c))
            break;
        nCShaderBlock* input = Operand(block, c);
        if (!input)
        {
            record->failed = true;
            return nullptr;
        }
        const uint32_t component = source - nBuildShaderBlock::BuildX;
        if (input->type == ShaderTypeFloat)
            parts[count++] = input->name;
        else if (component < ComponentCount(input->type))
            parts[count++] = input->name + '.' + "xyzw"[component];
        else
            return Refuse(record, "Invalid component to build.\n");
    }
    const char* name = record->name.c_str();
    switch (count)
    {
    case 1:
        nGLSLText::AppendFormat(m_fragmentCode, "float %s = %s;\n", name, parts[0].c_str());
        break;
    case 2:
        nGLSLText::AppendFormat(m_fragmentCode, "vec2 %s = vec2(%s, %s);\n", name, parts[0].c_str(),
                                parts[1].c_str());
        break;
    case 3:
        nGLSLText::AppendFormat(m_fragmentCode, "vec3 %s = vec3(%s, %s, %s);\n", name, parts[0].c_str(),
                                parts[1].c_str(), parts[2].c_str());
        break;
    case 4:
        nGLSLText::AppendFormat(m_fragmentCode, "vec4 %s = vec4(%s, %s, %s, %s);\n", name, parts[0].c_str(),
                                parts[1].c_str(), parts[2].c_str(), parts[3].c_str());
        break;
    default:
        return record; // nothing to build: a record without output
    }
    record->type = ShaderVectorTypeOfSize(count);
    return record;
}

nCShaderBlock* nGLSLShaderTreeCompiler::FloatFunction(nShaderBlock& block, const char* prefix,
                                                      const char* function)
{
    nCShaderBlock* record = NewRecord(block, prefix);
    nCShaderBlock* input = nullptr;
    if (!Operands(record, block, {&input}))
        return nullptr;
    if (input->type != ShaderTypeFloat)
        return Refuse(record, "Incompatible source type.\n");
    record->type = ShaderTypeFloat;
    nGLSLText::AppendFormat(m_fragmentCode, "float %s = %s(%s);\n", record->name.c_str(), function,
                            input->name.c_str());
    return record;
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileSinus(nShaderBlock& block, uint32_t)
{
    return FloatFunction(block, "sin", "sin");
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileCosinus(nShaderBlock& block, uint32_t)
{
    return FloatFunction(block, "cos", "cos");
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompilePow(nShaderBlock& block, uint32_t)
{
    nCShaderBlock* record = NewRecord(block, "pow");
    nCShaderBlock* value = nullptr;
    nCShaderBlock* power = nullptr;
    if (!Operands(record, block, {&value, &power}))
        return nullptr;
    if (value->type != ShaderTypeFloat)
        return Refuse(record, "Incompatible value type.\n");
    if (power->type != ShaderTypeFloat)
        return Refuse(record, "Incompatible power type.\n");
    record->type = ShaderTypeFloat;
    nGLSLText::AppendFormat(m_fragmentCode, "float %s = pow(%s, %s);\n", record->name.c_str(),
                            value->name.c_str(), power->name.c_str());
    return record;
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileAbs(nShaderBlock& block, uint32_t)
{
    nCShaderBlock* record = NewRecord(block, "abs");
    nCShaderBlock* input = nullptr;
    if (!Operands(record, block, {&input}))
        return nullptr;
    if (!IsVector(input->type))
        return Refuse(record, "Incompatible value type.\n");
    record->type = input->type;
    const char* format = input->type == ShaderTypeVec4 ? "vec4 %s = vec4(abs(%s.xyz), 1.0);\n" : nullptr;
    if (format)
        nGLSLText::AppendFormat(m_fragmentCode, format, record->name.c_str(), input->name.c_str());
    else
        nGLSLText::AppendFormat(m_fragmentCode, "%s %s = abs(%s);\n", TypeName(input->type),
                                record->name.c_str(), input->name.c_str());
    return record;
}

nCShaderBlock* nGLSLShaderTreeCompiler::ColorVector(nShaderBlock& block, const char* prefix,
                                                    const char* const formats[3], const char* refusal)
{
    nCShaderBlock* record = NewRecord(block, prefix);
    nCShaderBlock* input = nullptr;
    if (!Operands(record, block, {&input}))
        return nullptr;
    const char* format = input->type == ShaderTypeFloat  ? formats[0]
                         : input->type == ShaderTypeVec3 ? formats[1]
                         : input->type == ShaderTypeVec4 ? formats[2]
                                                         : nullptr;
    if (!format)
        return Refuse(record, refusal);
    record->type = input->type;
    nGLSLText::AppendFormat(m_fragmentCode, format, record->name.c_str(), input->name.c_str());
    return record;
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompileUnpackColor(nShaderBlock& block, uint32_t)
{
    static const char* const Formats[3] = {
        "float %s = (%s - 0.5) * 2.0;\n",
        "vec3 %s = (%s - vec3(0.5, 0.5, 0.5)) * vec3(2.0, 2.0, 2.0);\n",
        "vec4 %s = (%s - vec4(0.5, 0.5, 0.5, 0.0)) * vec4(2.0, 2.0, 2.0, 1.0);\n",
    };
    return ColorVector(block, "unpacked_vector", Formats, "Invalid input to unpack to vector.\n");
}

nCShaderBlock* nGLSLShaderTreeCompiler::CompilePackVector(nShaderBlock& block, uint32_t)
{
    static const char* const Formats[3] = {
        "float %s = (%s + 1.0) * 0.5;\n",
        "vec3 %s = (%s + vec3(1.0, 1.0, 1.0)) * vec3(0.5, 0.5, 0.5);\n",
        "vec4 %s = (%s + vec4(1.0, 1.0, 1.0, 0.0)) * vec4(0.5, 0.5, 0.5, 1.0);\n",
    };
    return ColorVector(block, "packed_vector", Formats, "Invalid input to pack to vector.\n");
}
