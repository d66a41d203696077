#include "render/gl/nEGLEntryPoints.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstring>

namespace
{
// One way to get an entry point: its name, and what makes it present (an extension, or a core
// version as major * 10 + minor for names without a suffix).
struct Candidate
{
    const char* name;
    const char* extension;
    int coreVersion;
};

struct EntryPoint
{
    void* nEGLEntryPoints::*slot;
    bool optional;
    Candidate candidates[2];
};

template <typename T> void* nEGLEntryPoints::*Slot(T nEGLEntryPoints::*member)
{
    return reinterpret_cast<void * nEGLEntryPoints::*>(member);
}

constexpr const char* MultiTexture = "GL_ARB_multitexture";
constexpr const char* BufferObject = "GL_ARB_vertex_buffer_object";
constexpr const char* Framebuffer = "GL_EXT_framebuffer_object";
constexpr const char* ShaderObjects = "GL_ARB_shader_objects";
constexpr const char* VertexShader = "GL_ARB_vertex_shader";

nString g_hiddenExtension;

bool HasExtension(const char* extensions, const char* name)
{
    if (extensions == nullptr || g_hiddenExtension == name)
        return false;
    const size_t length = strlen(name);
    for (const char* at = strstr(extensions, name); at != nullptr; at = strstr(at + 1, name))
    {
        const bool startsWord = at == extensions || at[-1] == ' ';
        if (startsWord && (at[length] == ' ' || at[length] == '\0'))
            return true;
    }
    return false;
}

int ContextVersion()
{
    const char* text = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int major = 0;
    int minor = 0;
    if (text == nullptr || sscanf(text, "%d.%d", &major, &minor) != 2)
        return 0;
    return major * 10 + minor;
}

bool IsPresent(const Candidate& candidate, const char* extensions, int version)
{
    if (candidate.name == nullptr)
        return false;
    if (candidate.extension != nullptr)
        return HasExtension(extensions, candidate.extension);
    return version >= candidate.coreVersion;
}

#define EGL_SLOT(member) Slot(&nEGLEntryPoints::member)

const EntryPoint g_entryPoints[] = {
    {EGL_SLOT(ActiveTexture), false, {{"glActiveTextureARB", MultiTexture, 0}, {}}},
    {EGL_SLOT(GenerateMipmap),
     false,
     {{"glGenerateMipmap", nullptr, 30}, {"glGenerateMipmapEXT", Framebuffer, 0}}},
    {EGL_SLOT(GenBuffers), false, {{"glGenBuffersARB", BufferObject, 0}, {}}},
    {EGL_SLOT(BindBuffer), false, {{"glBindBufferARB", BufferObject, 0}, {}}},
    {EGL_SLOT(BufferData), false, {{"glBufferDataARB", BufferObject, 0}, {}}},
    {EGL_SLOT(DeleteBuffers), false, {{"glDeleteBuffersARB", BufferObject, 0}, {}}},
    {EGL_SLOT(MapBuffer), false, {{"glMapBufferARB", BufferObject, 0}, {}}},
    {EGL_SLOT(UnmapBuffer), false, {{"glUnmapBufferARB", BufferObject, 0}, {}}},
    {EGL_SLOT(BufferSubData), false, {{"glBufferSubDataARB", BufferObject, 0}, {}}},
    {EGL_SLOT(GenRenderbuffers), false, {{"glGenRenderbuffersEXT", Framebuffer, 0}, {}}},
    {EGL_SLOT(BindRenderbuffer), false, {{"glBindRenderbufferEXT", Framebuffer, 0}, {}}},
    {EGL_SLOT(RenderbufferStorage), false, {{"glRenderbufferStorageEXT", Framebuffer, 0}, {}}},
    {EGL_SLOT(RenderbufferStorageMultisample),
     true,
     {{"glRenderbufferStorageMultisampleEXT", "GL_EXT_framebuffer_multisample", 0}, {}}},
    {EGL_SLOT(DeleteRenderbuffers), false, {{"glDeleteRenderbuffersEXT", Framebuffer, 0}, {}}},
    {EGL_SLOT(CreateShaderObject), false, {{"glCreateShaderObjectARB", ShaderObjects, 0}, {}}},
    {EGL_SLOT(ShaderSource), false, {{"glShaderSourceARB", ShaderObjects, 0}, {}}},
    {EGL_SLOT(CompileShader), false, {{"glCompileShaderARB", ShaderObjects, 0}, {}}},
    {EGL_SLOT(GetInfoLog), false, {{"glGetInfoLogARB", ShaderObjects, 0}, {}}},
    {EGL_SLOT(GetShaderiv),
     false,
     {{"glGetShaderiv", nullptr, 20}, {"glGetObjectParameterivARB", ShaderObjects, 0}}},
    {EGL_SLOT(AttachObject), false, {{"glAttachObjectARB", ShaderObjects, 0}, {}}},
    {EGL_SLOT(DetachObject), false, {{"glDetachObjectARB", ShaderObjects, 0}, {}}},
    {EGL_SLOT(DeleteShaderObject), false, {{"glDeleteObjectARB", ShaderObjects, 0}, {}}},
    {EGL_SLOT(CreateProgramObject), false, {{"glCreateProgramObjectARB", ShaderObjects, 0}, {}}},
    {EGL_SLOT(LinkProgram), false, {{"glLinkProgramARB", ShaderObjects, 0}, {}}},
    {EGL_SLOT(GetProgramInfoLog), false, {{"glGetProgramInfoLog", nullptr, 20}, {}}},
    {EGL_SLOT(GetProgramiv),
     false,
     {{"glGetProgramiv", nullptr, 20}, {"glGetObjectParameterivARB", ShaderObjects, 0}}},
    {EGL_SLOT(UseProgramObject), false, {{"glUseProgramObjectARB", ShaderObjects, 0}, {}}},
    {EGL_SLOT(DeleteProgramObject), false, {{"glDeleteObjectARB", ShaderObjects, 0}, {}}},
    {EGL_SLOT(GetAttribLocation), false, {{"glGetAttribLocationARB", VertexShader, 0}, {}}},
    {EGL_SLOT(BindAttribLocation), false, {{"glBindAttribLocationARB", VertexShader, 0}, {}}},
    {EGL_SLOT(EnableVertexAttribArray), false, {{"glEnableVertexAttribArrayARB", VertexShader, 0}, {}}},
    {EGL_SLOT(VertexAttribPointer), false, {{"glVertexAttribPointerARB", VertexShader, 0}, {}}},
    {EGL_SLOT(DisableVertexAttribArray), false, {{"glDisableVertexAttribArrayARB", VertexShader, 0}, {}}},
    {EGL_SLOT(GetUniformLocation), false, {{"glGetUniformLocationARB", ShaderObjects, 0}, {}}},
    {EGL_SLOT(Uniform1i), false, {{"glUniform1iARB", ShaderObjects, 0}, {}}},
    {EGL_SLOT(Uniform1iv), false, {{"glUniform1ivARB", ShaderObjects, 0}, {}}},
    {EGL_SLOT(Uniform2i), false, {{"glUniform2iARB", ShaderObjects, 0}, {}}},
    {EGL_SLOT(Uniform2iv), false, {{"glUniform2ivARB", ShaderObjects, 0}, {}}},
    {EGL_SLOT(Uniform1f), false, {{"glUniform1fARB", ShaderObjects, 0}, {}}},
    {EGL_SLOT(Uniform1fv), false, {{"glUniform1fvARB", ShaderObjects, 0}, {}}},
    {EGL_SLOT(Uniform2f), false, {{"glUniform2fARB", ShaderObjects, 0}, {}}},
    {EGL_SLOT(Uniform2fv), false, {{"glUniform2fvARB", ShaderObjects, 0}, {}}},
    {EGL_SLOT(Uniform3f), false, {{"glUniform3fARB", ShaderObjects, 0}, {}}},
    {EGL_SLOT(Uniform3fv), false, {{"glUniform3fvARB", ShaderObjects, 0}, {}}},
    {EGL_SLOT(Uniform4f), false, {{"glUniform4fARB", ShaderObjects, 0}, {}}},
    {EGL_SLOT(Uniform4fv), false, {{"glUniform4fvARB", ShaderObjects, 0}, {}}},
    {EGL_SLOT(UniformMatrix3fv), false, {{"glUniformMatrix3fvARB", ShaderObjects, 0}, {}}},
    {EGL_SLOT(UniformMatrix4fv), false, {{"glUniformMatrix4fvARB", ShaderObjects, 0}, {}}},
    {EGL_SLOT(GenFramebuffers), false, {{"glGenFramebuffersEXT", Framebuffer, 0}, {}}},
    {EGL_SLOT(BindFramebuffer), false, {{"glBindFramebufferEXT", Framebuffer, 0}, {}}},
    {EGL_SLOT(DeleteFramebuffers), false, {{"glDeleteFramebuffersEXT", Framebuffer, 0}, {}}},
    {EGL_SLOT(FramebufferTexture2D), false, {{"glFramebufferTexture2DEXT", Framebuffer, 0}, {}}},
    {EGL_SLOT(FramebufferRenderbuffer), false, {{"glFramebufferRenderbufferEXT", Framebuffer, 0}, {}}},
    {EGL_SLOT(CheckFramebufferStatus), false, {{"glCheckFramebufferStatusEXT", Framebuffer, 0}, {}}},
    {EGL_SLOT(BlitFramebuffer), true, {{"glBlitFramebufferEXT", "GL_EXT_framebuffer_blit", 0}, {}}},
    {EGL_SLOT(DrawBuffers), false, {{"glDrawBuffersARB", "GL_ARB_draw_buffers", 0}, {}}},
    {EGL_SLOT(CompressedTexImage2D),
     false,
     {{"glCompressedTexImage2DARB", "GL_ARB_texture_compression", 0}, {}}},
    {EGL_SLOT(DrawElementsInstanced), true, {{"glDrawElementsInstancedEXT", "GL_EXT_draw_instanced", 0}, {}}},
};

#undef EGL_SLOT
} // namespace

nEGLEntryPoints& nEGLEntryPoints::Get()
{
    static nEGLEntryPoints entryPoints;
    return entryPoints;
}

bool nEGLEntryPoints::Load(nList<nString>& missing)
{
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    const int version = ContextVersion();
    swapControl = SDL_GL_GetSwapInterval() >= 0;
    for (const EntryPoint& entry : g_entryPoints)
    {
        void* address = nullptr;
        for (const Candidate& candidate : entry.candidates)
        {
            if (address == nullptr && IsPresent(candidate, extensions, version))
                address = SDL_GL_GetProcAddress(candidate.name);
        }
        this->*entry.slot = address;
        if (address == nullptr && !entry.optional)
            missing.PushBack(nString(entry.candidates[0].name));
    }
    return missing.GetCount() == 0;
}

void nEGLEntryPoints::Reset()
{
    Get() = nEGLEntryPoints();
}

void nEGLEntryPoints::HideExtension(const char* extension)
{
    g_hiddenExtension = extension != nullptr ? extension : "";
}
