#include "api/ScriptApi.h"
#include "api/ScriptApiGroups.h"
#include "script/binding/nScriptRegistrar.h"
#include "script/nCObject.h"
#include "script/nSquirrelVM.h"
#include "squirrel/sqfunction.h"
#include "squirrel/sqobject.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

// Each registration slot of the script API, registered alone into a fresh machine, adds exactly
// the root slots its golden files list (tests/api/golden, written by tools/make-native-golden.py):
// every native with its type mask in exact-count mode, every constant with its kind and value.
namespace
{

struct GoldenSlot
{
    std::string kind;  // "native", "integer", "float", "bool" or "handle"
    std::string value; // the mask, the value, or the handle's object type
};

using GoldenSlots = std::map<std::string, GoldenSlot>;

struct BuiltGroup
{
    const char* name;
    void (*registerGroup)(HSQUIRRELVM);
    std::vector<const char*> files;
    size_t natives;
    size_t constants;
};

// The groups whose natives are built. A group joins the table when its natives land.
const BuiltGroup BuiltGroups[] = {
    {"Core", RegisterCoreApi, {"Core"}, 16, 0},
    {"AnimationSource", RegisterAnimationSourceApi, {"AnimationSource"}, 6, 4},
    {"Mixer", RegisterMixerApi, {"Mixer"}, 25, 8},
    {"Scene", RegisterSceneApi, {"Scene", "Scene_physics"}, 68, 29},
    {"Instance", RegisterInstanceApi, {"Instance"}, 1, 0},
    {"Group", RegisterGroupApi, {"Group"}, 12, 0},
    {"Camera", RegisterCameraApi, {"Camera"}, 15, 3},
    {"Object", RegisterObjectApi, {"Object"}, 10, 0},
    {"Light", RegisterLightApi, {"Light"}, 20, 4},
    {"Item", RegisterItemApi, {"Item", "Item_physics"}, 148, 34},
    {"Motion", RegisterMotionApi, {"Motion"}, 3, 31},
    {"Shape", RegisterShapeApi, {"Shape"}, 20, 4},
    {"Constraint", RegisterConstraintApi, {"Constraint"}, 10, 0},
    {"Project", RegisterProjectApi, {"Project"}, 25, 4},
    {"Trigger", RegisterTriggerApi, {"Trigger"}, 2, 0},
    {"Emitter", RegisterEmitterApi, {"Emitter"}, 5, 0},
    {"Matrix", RegisterMatrixApi, {"Matrix"}, 4, 0},
    {"Empty", [](HSQUIRRELVM) {}, {"Empty"}, 0, 0}, // the master registration's third slot
    {"System", RegisterSystemApi, {"System"}, 7, 0},
    {"Device", RegisterDeviceApi, {"Device"}, 23, 87},
    {"ThreadedLoad", RegisterThreadedLoadApi, {"ThreadedLoad"}, 4, 0},
    {"Metafile", RegisterMetafileApi, {"Metafile"}, 18, 8},
    {"Engine", RegisterEngineApi, {"Engine"}, 45, 9},
    {"Renderer", RegisterRendererApi, {"Renderer"}, 36, 15},
    {"Material", RegisterMaterialApi, {"Material"}, 25, 27},
    {"Picture", RegisterPictureApi, {"Picture"}, 15, 9},
    {"Texture", RegisterTextureApi, {"Texture"}, 6, 1},
    {"Sound", RegisterSoundApi, {"Sound"}, 1, 0},
    {"Geometry", RegisterGeometryApi, {"Geometry"}, 10, 0},
    {"Raytracer", RegisterRaytracerApi, {"Raytracer"}, 8, 0},
    {"UI", RegisterUIApi, {"UI"}, 115, 40},
};

// The constants that two groups register, with one value.
const std::set<std::string> SharedConstants = {"ChannelNone", "MaterialRenderDoubleSided", "NullItem"};

std::string GoldenPath(const std::string& file)
{
    return std::string(KESTRUN_GOLDEN_DIR) + "/" + file + ".txt";
}

GoldenSlots ReadGolden(const std::string& file)
{
    GoldenSlots slots;
    std::ifstream stream(GoldenPath(file));
    EXPECT_TRUE(stream.good()) << GoldenPath(file);
    for (std::string line; std::getline(stream, line);)
    {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string kind, name, value;
        fields >> kind >> name >> value;
        EXPECT_TRUE(slots.emplace(name, GoldenSlot{kind, value}).second) << name << " twice in " << file;
    }
    return slots;
}

std::vector<std::string> AllGoldenFiles()
{
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(KESTRUN_GOLDEN_DIR))
        if (entry.path().extension() == ".txt")
            files.push_back(entry.path().stem().string());
    return files;
}

std::set<std::string> RootNames(HSQUIRRELVM vm)
{
    std::set<std::string> names;
    sq_pushroottable(vm);
    sq_pushnull(vm);
    while (SQ_SUCCEEDED(sq_next(vm, -2)))
    {
        const SQChar* name = nullptr;
        if (SQ_SUCCEEDED(sq_getstring(vm, -2, &name)))
            names.insert(name);
        sq_pop(vm, 2);
    }
    sq_pop(vm, 2);
    return names;
}

// What the root slot holds, in the golden file's words.
GoldenSlot ReadRootSlot(HSQUIRRELVM vm, const std::string& name)
{
    GoldenSlot slot{"missing", ""};
    sq_pushroottable(vm);
    sq_pushstring(vm, name.c_str(), -1);
    if (SQ_FAILED(sq_rawget(vm, -2)))
    {
        sq_pop(vm, 1);
        return slot;
    }
    HSQOBJECT object;
    sq_getstackobj(vm, -1, &object);
    switch (sq_gettype(vm, -1))
    {
    case OT_NATIVECLOSURE:
    {
        const SQNativeClosure* closure = _nativeclosure(object);
        slot.kind = "native";
        slot.value = std::to_string(closure->_nparamscheck);
        for (SQInteger mask : closure->_typecheck)
            slot.value += " " + std::to_string(mask);
        sq_getclosurename(vm, -1);
        const SQChar* closureName = "";
        sq_getstring(vm, -1, &closureName);
        if (name != closureName)
            slot.kind = "native named " + std::string(closureName);
        sq_pop(vm, 1);
        break;
    }
    case OT_INTEGER:
    {
        SQInteger value = 0;
        sq_getinteger(vm, -1, &value);
        slot = {"integer", std::to_string(value)};
        break;
    }
    case OT_FLOAT:
    {
        SQFloat value = 0;
        sq_getfloat(vm, -1, &value);
        slot = {"float", std::to_string(value)};
        break;
    }
    case OT_BOOL:
    {
        SQBool value = SQFalse;
        sq_getbool(vm, -1, &value);
        slot = {"bool", value ? "true" : "false"};
        break;
    }
    case OT_INSTANCE:
    {
        SQUserPointer record = nullptr;
        if (SQ_SUCCEEDED(sq_getinstanceup(vm, -1, &record, nCObject::GetClassTag(), SQFalse)) && record)
        {
            const auto* handle = static_cast<const nCObject*>(record);
            slot = {handle->GetObject() ? "handle on an object" : "handle",
                    std::to_string(handle->GetType())};
        }
        break;
    }
    default:
        slot.kind = "other";
        break;
    }
    sq_pop(vm, 2);
    return slot;
}

// A golden slot as ReadRootSlot reads it: masks become the parsed check the machine keeps.
GoldenSlot Expected(const GoldenSlot& golden)
{
    if (golden.kind == "float")
        return {golden.kind, std::to_string(std::strtof(golden.value.c_str(), nullptr))};
    if (golden.kind != "native")
        return golden;
    std::vector<SQInteger> masks;
    EXPECT_TRUE(sqParseTypeMask(golden.value.c_str(), masks)) << golden.value;
    GoldenSlot expected{"native", std::to_string(masks.size())};
    for (SQInteger mask : masks)
        expected.value += " " + std::to_string(mask);
    return expected;
}

// The root slots that registering the group adds to a fresh machine with the script classes.
std::map<std::string, GoldenSlot> RegisterAlone(const BuiltGroup& group)
{
    nSquirrelVM machine(nullptr);
    EXPECT_TRUE(machine.Open());
    HSQUIRRELVM vm = machine.GetHandle();
    DeclareScriptClasses(vm);
    const std::set<std::string> before = RootNames(vm);
    const SQInteger top = sq_gettop(vm);
    group.registerGroup(vm);
    EXPECT_EQ(sq_gettop(vm), top) << group.name << " leaves values on the stack";
    std::map<std::string, GoldenSlot> added;
    for (const std::string& name : RootNames(vm))
        if (!before.count(name))
            added.emplace(name, ReadRootSlot(vm, name));
    machine.Close();
    return added;
}

TEST(NativeGolden, EachBuiltGroupRegistersExactlyItsGoldenNativesAndConstants)
{
    for (const BuiltGroup& group : BuiltGroups)
    {
        SCOPED_TRACE(group.name);
        GoldenSlots golden;
        for (const char* file : group.files)
            for (auto& [name, slot] : ReadGolden(file))
                EXPECT_TRUE(golden.emplace(name, slot).second) << name;
        size_t natives = 0;
        for (const auto& [name, slot] : golden)
            natives += slot.kind == "native" ? 1 : 0;
        EXPECT_EQ(natives, group.natives);
        EXPECT_EQ(golden.size() - natives, group.constants);

        std::map<std::string, GoldenSlot> registered = RegisterAlone(group);
        for (const auto& [name, slot] : golden)
        {
            const auto found = registered.find(name);
            if (found == registered.end())
            {
                ADD_FAILURE() << name << " is not registered";
                continue;
            }
            const GoldenSlot expected = Expected(slot);
            EXPECT_EQ(found->second.kind, expected.kind) << name;
            EXPECT_EQ(found->second.value, expected.value) << name << " (" << slot.value << ")";
            registered.erase(found);
        }
        for (const auto& [name, slot] : registered)
            ADD_FAILURE() << name << " is registered but not in the golden list";
    }
}

TEST(NativeGolden, NoNativeNameIsRegisteredByTwoGroups)
{
    std::map<std::string, std::string> owners;
    for (const BuiltGroup& group : BuiltGroups)
        for (const auto& [name, slot] : RegisterAlone(group))
        {
            const auto [owner, first] = owners.emplace(name, group.name);
            if (!first)
            {
                EXPECT_TRUE(slot.kind != "native" && SharedConstants.count(name))
                    << name << " is registered by " << owner->second << " and " << group.name;
            }
        }
}

// Across every group's file, built or not: a later group silently replaces an earlier one's slot.
TEST(NativeGolden, TheGoldenListsShareOnlyTheKnownConstants)
{
    const std::vector<std::string> files = AllGoldenFiles();
    ASSERT_GE(files.size(), 30u);
    std::map<std::string, std::pair<std::string, GoldenSlot>> owners;
    for (const std::string& file : files)
    {
        const std::string group = file.substr(0, file.find('_'));
        for (const auto& [name, slot] : ReadGolden(file))
        {
            const auto [owner, first] = owners.emplace(name, std::make_pair(group, slot));
            if (first || owner->second.first == group)
                continue;
            EXPECT_TRUE(SharedConstants.count(name))
                << name << " in " << owner->second.first << " and " << group;
            EXPECT_EQ(owner->second.second.value, slot.value) << name;
        }
    }
}

} // namespace
