#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

// Logs at most 512 bytes of a shader's or program's GL info log as one error line.
void LogInfoLog(PFNGLGETINFOLOGARBPROC getLog, GLhandleARB object);
