#pragma once

#include <cstdint>

// How a script machine reports to its host. The machine never owns its listener; a host
// overrides only the reports it wants.
class nScriptVMListener
{
public:
    virtual ~nScriptVMListener() = default;

    virtual void OnDebugHook(int32_t eventType, const char* source, int32_t line, const char* function);
    virtual void OnError(const char* text);
    virtual void OnCompileError(const char* description, const char* source, int32_t line);
    virtual void OnRuntimeError(const char* text);
};
