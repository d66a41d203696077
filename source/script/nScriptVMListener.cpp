#include "script/nScriptVMListener.h"

void nScriptVMListener::OnDebugHook(int32_t, const char*, int32_t, const char*) {}

void nScriptVMListener::OnError(const char*) {}

void nScriptVMListener::OnCompileError(const char*, const char*, int32_t) {}

void nScriptVMListener::OnRuntimeError(const char*) {}
