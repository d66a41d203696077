#pragma once

#include "ScriptVMFixture.h"

#include <string>

// A machine with the native script classes declared (Vector, Matrix4, ...); a fixture that
// derives from it may bind more through Bind.
class ScriptClassFixture : public ScriptVMFixture
{
protected:
    void SetUp() override;
    virtual void Bind();

    // Reopens the machine when an earlier case stopped it, runs the text after the helper V(vector)
    // that formats a vector, and answers the printed lines without their prefix, or
    // "error: <text>" for the first runtime error.
    std::string Evaluate(const std::string& text);
    void Reopen();
};
