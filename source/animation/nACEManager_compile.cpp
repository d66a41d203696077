#include "animation/nACEManager.h"

#include "animation/nACEDefine.h"
#include "animation/nACEUnit.h"
#include "core/base/nLog.h"
#include "platform/nstring/nString.h"

#include <cstring>

namespace
{
constexpr float kMinimumDuration = 0.001f;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Skips blanks, line comments and block comments; an unclosed block comment runs to the end.
const char* SkipBlanks(const char* p)
{
    for (;;)
    {
        if (IsBlank(*p))
            ++p;
        else if (p[0] == '/' && p[1] == '/')
        {
            while (*p && *p != '\n')
                ++p;
        }
        else if (p[0] == '/' && p[1] == '*')
        {
            const char* close = std::strstr(p + 2, "*/");
            p = close ? close + 2 : p + std::strlen(p);
        }
        else
            return p;
    }
}

// Names and durations also end at '-', so a negative duration is refused; parameters may be negative.
const char* TokenEnd(const char* p, bool endsAtMinus)
{
    while (*p && !IsBlank(*p) && !std::strchr("/*+=;:,<>()\"", *p) && !(endsAtMinus && *p == '-'))
        ++p;
    return p;
}

// A decimal number with an optional leading '-', fraction and exponent; reading stops at the first
// other character, and a token without a leading number reads as 0. Never depends on the locale.
float ReadNumber(const char* begin, const char* end)
{
    const char* p = begin;
    if (p < end && *p == '-')
        ++p;
    const char* digits = p;
    while (p < end && *p >= '0' && *p <= '9')
        ++p;
    if (p < end && *p == '.')
    {
        ++p;
        while (p < end && *p >= '0' && *p <= '9')
            ++p;
    }
    if (p == digits || (p == digits + 1 && *digits == '.'))
        return 0.0f;
    if (p < end && (*p == 'e' || *p == 'E'))
    {
        const char* exponent = p + 1;
        if (exponent < end && (*exponent == '-' || *exponent == '+'))
            ++exponent;
        if (exponent < end && *exponent >= '0' && *exponent <= '9')
        {
            p = exponent;
            while (p < end && *p >= '0' && *p <= '9')
                ++p;
        }
    }
    return static_cast<float>(StringToFloat(begin, p));
}

int32_t Fail(nLog& log)
{
    log << "\n";
    return -1;
}
} // namespace

int32_t nACEManager::CompileCommandList(const char* text, nACEUnit* unit) const
{
    nLog& log = nLogHolder::Get();
    if (!text)
    {
        log << "[!] Cannot load a null command list.\n";
        return -1;
    }
    unit->ResetCommandList();
    nList<nACECommand>& commands = unit->GetCommandList();

    const char* p = SkipBlanks(text);
    while (*p)
    {
        auto* node = commands.PushBack(nACECommand{});
        if (!node)
            return -1;
        nACECommand& command = node->value;

        const char* nameEnd = TokenEnd(p, true);
        nString name(p, nameEnd);
        const nACEDefine* define = FindDefine(name);
        if (!define)
            return Fail(log << "[!] Undefined ACE command '" << name << "'.");
        command.code = define->GetCode();

        p = SkipBlanks(nameEnd);
        if (!*p)
            return Fail(log << "[!] No duration for ACE command '" << name << "'.");
        const char* durationEnd = TokenEnd(p, true);
        float duration = ReadNumber(p, durationEnd);
        command.duration = duration < kMinimumDuration ? kMinimumDuration : duration;
        command.remaining = command.duration;

        p = SkipBlanks(durationEnd);
        uint32_t parameterCount = 0;
        char terminator = 0;
        while (*p)
        {
            if (*p == '+' || *p == ';')
            {
                terminator = *p;
                break;
            }
            if (parameterCount == nACECommand::MaxParameters)
                return Fail(log << "[!] ACE compiled with " << static_cast<int>(nACECommand::MaxParameters)
                                << " command parameter(s) maximum.");
            if (*p != ',')
                return Fail(log << "[!] Expected ',' in ACE list declaration.");
            p = SkipBlanks(p + 1);
            if (!*p)
                return Fail(log << "[!] Expected ACE command parameter following ','.");
            const char* parameterEnd = TokenEnd(p, false);
            command.parameters[parameterCount++] = ReadNumber(p, parameterEnd);
            p = SkipBlanks(parameterEnd);
        }
        if (!terminator)
            return Fail(log << "[!] Mangled ACE command list.");
        if (parameterCount != define->GetParameterCount())
            return Fail(log << "[!] ACE command '" << name << "' takes "
                            << static_cast<int>(define->GetParameterCount()) << " parameter(s), found "
                            << static_cast<int>(parameterCount) << ".");
        if (terminator == ';')
        {
            nACECommand barrier;
            barrier.code = ACECommandBarrier;
            if (!commands.PushBack(barrier))
                return -1;
        }
        p = SkipBlanks(p + 1);
    }
    unit->StartCommandList();
    return static_cast<int32_t>(commands.GetCount());
}
