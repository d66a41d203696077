#pragma once

#include "core/base/nLog.h"
#include "engine/scene/nScene.h"
#include "script/nScriptVMListener.h"
#include "script/nSquirrelVM.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class nIOCFile;
class nMItem;

// A scene over an open script machine that has the whole script API, with a host directory
// mounted as "@scripts/" for the classes of the test.
class SceneFixture : public ::testing::Test, public nLog, public nScriptVMListener
{
protected:
    void SetUp() override;
    void TearDown() override;
    void Output(const char* line, uint8_t) override { log += line; }
    void OnRuntimeError(const char* text) override { log += std::string("[!] ") + text + "\n"; }

    // Writes the script and gives the item a unit of the class, instantiated by "OnSetup".
    void AddScript(nMItem& item, const char* className);
    void WriteScript(const std::string& text);
    // Runs the text as a file of its own, in the machine's root table.
    bool RunScript(const std::string& text);
    // The "[S] " lines the scripts printed since the last call, without the prefix.
    std::vector<std::string> TakePrinted();

    std::string log;
    nSquirrelVM machine{nullptr};
    nScene* scene = nullptr;
    std::string directory;
    nIOCFile* base = nullptr;
};
