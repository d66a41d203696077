#include "engine/items/SceneFixture.h"

#include "api/ScriptApi.h"
#include "core/io/nIOCFile.h"
#include "engine/items/nMItem.h"
#include "platform/nPlatform.h"
#include "script/units/nScriptUnit.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

void SceneFixture::SetUp()
{
    nLogHolder::Set(this);
    char pattern[] = "/tmp/scenefixtureXXXXXX";
    directory = mkdtemp(pattern);
    base = new nIOCFile(nString(directory.c_str()));
    base->AddRef();
    ASSERT_TRUE(nPlatform::Get().GetIOSystem().Mount(base, "@scripts/"));
    ASSERT_TRUE(machine.Open());
    machine.SetListener(this, false);
    RegisterScriptApi(machine.GetHandle());
    scene = new nScene(nullptr, &machine);
    scene->AddRef();
}

void SceneFixture::TearDown()
{
    scene->Release();
    machine.Close();
    nPlatform::Get().GetIOSystem().Unmount(base);
    base->Release();
    std::filesystem::remove_all(directory);
    nLogHolder::Set(nullptr);
}

void SceneFixture::WriteScript(const std::string& text)
{
    std::ofstream(directory + "/items.nut", std::ios::binary) << text;
}

bool SceneFixture::RunScript(const std::string& text)
{
    std::ofstream(directory + "/run.nut", std::ios::binary) << text;
    return machine.RunFile(nString("@scripts/run.nut"), false);
}

void SceneFixture::AddScript(nMItem& item, const char* className)
{
    nScriptUnit* unit = item.CreateScriptUnit();
    ASSERT_TRUE(unit);
    unit->SetScript("@scripts/items.nut");
    unit->SetClassName(className);
    item.SetupScript();
    ASSERT_TRUE(unit->GetInstance()) << log;
}

std::vector<std::string> SceneFixture::TakePrinted()
{
    std::vector<std::string> printed;
    size_t start = 0;
    for (size_t end = log.find('\n'); end != std::string::npos; start = end + 1, end = log.find('\n', start))
    {
        const std::string line = log.substr(start, end - start);
        if (line.rfind("[S] ", 0) == 0)
            printed.push_back(line.substr(4));
    }
    log.clear();
    return printed;
}
