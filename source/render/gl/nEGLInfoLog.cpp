#include "render/gl/nEGLInfoLog.h"

#include "core/base/nLog.h"

void LogInfoLog(PFNGLGETINFOLOGARBPROC getLog, GLhandleARB object)
{
    GLcharARB text[512] = {};
    GLsizei length = 0;
    getLog(object, sizeof(text), &length, text);
    nLogHolder::Get() << "[!] " << text << "\n";
}
