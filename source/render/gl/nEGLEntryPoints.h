#pragma once

#include "core/base/nList.h"
#include "platform/nstring/nString.h"

#include <GL/gl.h>
#include <GL/glext.h>

// The GL entry points the back end fetches at run time, shared by every renderer of the process.
// On Linux the loader hands out an address for any name, so presence is decided from the context's
// version and extension strings before an address is taken.
struct nEGLEntryPoints
{
    PFNGLACTIVETEXTUREARBPROC ActiveTexture = nullptr;
    PFNGLGENERATEMIPMAPPROC GenerateMipmap = nullptr;
    PFNGLGENBUFFERSARBPROC GenBuffers = nullptr;
    PFNGLBINDBUFFERARBPROC BindBuffer = nullptr;
    PFNGLBUFFERDATAARBPROC BufferData = nullptr;
    PFNGLDELETEBUFFERSARBPROC DeleteBuffers = nullptr;
    PFNGLMAPBUFFERARBPROC MapBuffer = nullptr;
    PFNGLUNMAPBUFFERARBPROC UnmapBuffer = nullptr;
    PFNGLBUFFERSUBDATAARBPROC BufferSubData = nullptr;
    PFNGLGENRENDERBUFFERSEXTPROC GenRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFEREXTPROC BindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEEXTPROC RenderbufferStorage = nullptr;
    PFNGLRENDERBUFFERSTORAGEMULTISAMPLEEXTPROC RenderbufferStorageMultisample = nullptr;
    PFNGLDELETERENDERBUFFERSEXTPROC DeleteRenderbuffers = nullptr;
    PFNGLCREATESHADEROBJECTARBPROC CreateShaderObject = nullptr;
    PFNGLSHADERSOURCEARBPROC ShaderSource = nullptr;
    PFNGLCOMPILESHADERARBPROC CompileShader = nullptr;
    PFNGLGETINFOLOGARBPROC GetInfoLog = nullptr;
    PFNGLGETSHADERIVPROC GetShaderiv = nullptr;
    PFNGLATTACHOBJECTARBPROC AttachObject = nullptr;
    PFNGLDETACHOBJECTARBPROC DetachObject = nullptr;
    PFNGLDELETEOBJECTARBPROC DeleteShaderObject = nullptr;
    PFNGLCREATEPROGRAMOBJECTARBPROC CreateProgramObject = nullptr;
    PFNGLLINKPROGRAMARBPROC LinkProgram = nullptr;
    PFNGLGETPROGRAMINFOLOGPROC GetProgramInfoLog = nullptr;
    PFNGLGETPROGRAMIVPROC GetProgramiv = nullptr;
    PFNGLUSEPROGRAMOBJECTARBPROC UseProgramObject = nullptr;
    PFNGLDELETEOBJECTARBPROC DeleteProgramObject = nullptr;
    PFNGLGETATTRIBLOCATIONARBPROC GetAttribLocation = nullptr;
    PFNGLBINDATTRIBLOCATIONARBPROC BindAttribLocation = nullptr;
    PFNGLENABLEVERTEXATTRIBARRAYARBPROC EnableVertexAttribArray = nullptr;
    PFNGLVERTEXATTRIBPOINTERARBPROC VertexAttribPointer = nullptr;
    PFNGLDISABLEVERTEXATTRIBARRAYARBPROC DisableVertexAttribArray = nullptr;
    PFNGLGETUNIFORMLOCATIONARBPROC GetUniformLocation = nullptr;
    PFNGLUNIFORM1IARBPROC Uniform1i = nullptr;
    PFNGLUNIFORM1IVARBPROC Uniform1iv = nullptr;
    PFNGLUNIFORM2IARBPROC Uniform2i = nullptr;
    PFNGLUNIFORM2IVARBPROC Uniform2iv = nullptr;
    PFNGLUNIFORM1FARBPROC Uniform1f = nullptr;
    PFNGLUNIFORM1FVARBPROC Uniform1fv = nullptr;
    PFNGLUNIFORM2FARBPROC Uniform2f = nullptr;
    PFNGLUNIFORM2FVARBPROC Uniform2fv = nullptr;
    PFNGLUNIFORM3FARBPROC Uniform3f = nullptr;
    PFNGLUNIFORM3FVARBPROC Uniform3fv = nullptr;
    PFNGLUNIFORM4FARBPROC Uniform4f = nullptr;
    PFNGLUNIFORM4FVARBPROC Uniform4fv = nullptr;
    PFNGLUNIFORMMATRIX3FVARBPROC UniformMatrix3fv = nullptr;
    PFNGLUNIFORMMATRIX4FVARBPROC UniformMatrix4fv = nullptr;
    PFNGLGENFRAMEBUFFERSEXTPROC GenFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFEREXTPROC BindFramebuffer = nullptr;
    PFNGLDELETEFRAMEBUFFERSEXTPROC DeleteFramebuffers = nullptr;
    PFNGLFRAMEBUFFERTEXTURE2DEXTPROC FramebufferTexture2D = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC FramebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC CheckFramebufferStatus = nullptr;
    PFNGLBLITFRAMEBUFFEREXTPROC BlitFramebuffer = nullptr;
    PFNGLDRAWBUFFERSARBPROC DrawBuffers = nullptr;
    PFNGLCOMPRESSEDTEXIMAGE2DARBPROC CompressedTexImage2D = nullptr;
    PFNGLDRAWELEMENTSINSTANCEDEXTPROC DrawElementsInstanced = nullptr;
    // Swapping is SDL's; this only records whether the context can change the swap interval.
    bool swapControl = false;

    static nEGLEntryPoints& Get();

    // Resolves every entry point with the current context; the names of required ones that are
    // missing end up in the list, in load order. True when none is missing.
    bool Load(nList<nString>& missing);
    bool IsLoaded() const { return ActiveTexture != nullptr; }

    // For tests: forget every entry point, and treat one extension as absent on the next Load.
    static void Reset();
    static void HideExtension(const char* extension);
};

inline nEGLEntryPoints& EGL()
{
    return nEGLEntryPoints::Get();
}
