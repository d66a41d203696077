#include "ScriptVMFixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

void ScriptVMFixture::SetUp()
{
    char pattern[] = "/tmp/scriptvmXXXXXX";
    directory = mkdtemp(pattern);
    base = new nIOCFile(nString(directory.c_str()));
    base->AddRef();
    ASSERT_TRUE(nPlatform::Get().GetIOSystem().Mount(base, "@scripts/"));
    ASSERT_TRUE(machine.Open());
    machine.SetListener(&listener, false);
}

void ScriptVMFixture::TearDown()
{
    machine.Close();
    nPlatform::Get().GetIOSystem().Unmount(base);
    base->Release();
    std::filesystem::remove_all(directory);
}

void ScriptVMFixture::WriteScript(const std::string& name, const std::string& text) const
{
    std::ofstream(directory + "/" + name, std::ios::binary) << text;
}

bool ScriptVMFixture::Run(const std::string& text, const std::string& name)
{
    WriteScript(name, text);
    return machine.RunFile(nString(("@scripts/" + name).c_str()), false);
}

std::vector<std::string> ScriptVMFixture::ScriptLines() const
{
    std::vector<std::string> script;
    for (const std::string& line : log.lines)
        if (line.rfind("[S] ", 0) == 0)
            script.push_back(line);
    return script;
}
