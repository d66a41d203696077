#include "script/nCompiledScripts.h"

#include <cstring>

bool nCompiledScripts::Push(HSQUIRRELVM vm, const char* path, const char* text, size_t length)
{
    const auto found = m_files.find(path);
    if (found != m_files.end() && found->second.text.size() == length &&
        std::memcmp(found->second.text.data(), text, length) == 0)
    {
        sq_pushobject(vm, found->second.function);
        return true;
    }
    if (SQ_FAILED(sq_compilebuffer(vm, text, static_cast<SQInteger>(length), path, SQTrue)))
        return false;
    HSQOBJECT function;
    sq_getstackobj(vm, -1, &function);
    sq_addref(vm, &function);
    if (found != m_files.end())
    {
        sq_release(vm, &found->second.function);
        found->second = {std::string(text, length), function};
    }
    else
        m_files.emplace(path, Compiled{std::string(text, length), function});
    return true;
}

void nCompiledScripts::Clear(HSQUIRRELVM vm)
{
    for (auto& [path, compiled] : m_files)
        sq_release(vm, &compiled.function);
    m_files.clear();
}
