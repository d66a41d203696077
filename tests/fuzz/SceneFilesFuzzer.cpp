#include "FuzzMemoryFiles.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "engine/Quenvar.h"
#include "engine/scene/nScene.h"
#include "platform/nPlatform.h"
#include "script/nSquirrelVM.h"
#include "squirrel/squirrel.h"
#include "squirrel/sqvm.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace
{
// Scripts may loop: each line event counts, and the machine stops at the budget.
constexpr uint64_t LineEventBudget = 5000;
uint64_t lineEvents = 0;

void CountLineEvent(HSQUIRRELVM vm, SQInteger type, const SQChar*, SQInteger, const SQChar*)
{
    if (type == 'l' && ++lineEvents > LineEventBudget)
        vm->_stopRequest = true;
}
} // namespace

// A scene file with the files it may name: instance templates ("t.nms", "u.nms") and a script
// ("s.nut"), separated as FuzzMemoryFiles::PutSplit reads them. The scene is loaded (templates
// instanced), set up (script units compiled and their classes made, without natives), written,
// updated once, and its instances are loaded again through NewInstance.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzMemoryFiles* files = &FuzzMemoryFiles::Mounted();
    static Quenvar* engine = new Quenvar();
    files->PutSplit(std::string(reinterpret_cast<const char*>(data), size),
                    {"a.nms", "t.nms", "u.nms", "s.nut"});

    lineEvents = 0;
    nSquirrelVM machine(nullptr);
    if (!machine.Open())
        return 0;
    sq_setnativedebughook(machine.GetHandle(), CountLineEvent);
    nScene* scene = new nScene(engine, &machine);
    scene->AddRef();
    if (scene->LoadFromFile("a.nms", nullptr, ImportFlagAll, 0))
    {
        scene->Setup();
        nMetaFile written;
        scene->Serialize(written, nullptr, ImportFlagAll);
        scene->Update(SceneUpdateAll);
    }
    scene->NewInstance("again", "t.nms");
    scene->Release();
    machine.Close();
    return 0;
}
