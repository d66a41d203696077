#pragma once

#include "core/io/nIOCFile.h"
#include "core/base/nLog.h"
#include "platform/nPlatform.h"
#include "script/nScriptVMListener.h"
#include "script/nSquirrelVM.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Keeps every log line written while a test runs.
class ScriptLog : public nLog
{
public:
    ScriptLog() { nLogHolder::Set(this); }
    ~ScriptLog() override { nLogHolder::Set(nullptr); }

    void Output(const char* line, uint8_t) override { lines.emplace_back(line); }

    std::vector<std::string> lines;
};

// Records the reports of a machine, one text per call.
class RecordingListener : public nScriptVMListener
{
public:
    void OnDebugHook(int32_t eventType, const char* source, int32_t line, const char*) override
    {
        debugEvents.push_back(std::string(1, static_cast<char>(eventType)) + " " + source + ":" +
                              std::to_string(line));
    }
    void OnError(const char* text) override { errors.emplace_back(text); }
    void OnCompileError(const char* description, const char* source, int32_t line) override
    {
        compileErrors.push_back(std::string(source) + ":" + std::to_string(line) + " " + description);
    }
    void OnRuntimeError(const char* text) override { runtimeErrors.emplace_back(text); }

    std::vector<std::string> debugEvents;
    std::vector<std::string> errors;
    std::vector<std::string> compileErrors;
    std::vector<std::string> runtimeErrors;
};

// An open machine with a listener, and a host directory mounted as "@scripts/" for its files.
class ScriptVMFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the text as "@scripts/<name>" and runs it.
    bool Run(const std::string& text, const std::string& name = "test.nut");
    void WriteScript(const std::string& name, const std::string& text) const;
    std::vector<std::string> ScriptLines() const;
    SQInteger StackTop() const { return sq_gettop(machine.GetHandle()); }

    ScriptLog log;
    RecordingListener listener;
    nSquirrelVM machine{nullptr};
    std::string directory;
    nIOCFile* base = nullptr;
};
