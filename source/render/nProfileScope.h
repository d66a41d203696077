#pragma once

#include "render/nEngineServices.h"

// Times the enclosing block under a name in the engine's profiler; nothing without an engine.
class nProfileScope
{
public:
    nProfileScope(nEngineServices* engine, const char* name) : m_engine(engine)
    {
        if (m_engine)
            m_engine->BeginProfileScope(name);
    }
    ~nProfileScope()
    {
        if (m_engine)
            m_engine->EndProfileScope();
    }
    nProfileScope(const nProfileScope&) = delete;
    nProfileScope& operator=(const nProfileScope&) = delete;

private:
    nEngineServices* m_engine;
};
