#pragma once

#include "ScriptVMFixture.h"

#include <string>
#include <vector>

// A machine with the whole script API registered.
class ScriptApiFixture : public ScriptVMFixture
{
protected:
    void SetUp() override;

    // Reopens the machine when an earlier case stopped it, runs the text after the helper V(vector) that formats a
    // vector, and answers the printed lines without their prefix, or "error: <text>" for the
    // first runtime error.
    std::string Evaluate(const std::string& text);
    void Reopen();
};
