#include "engine/scene/nScene.h"

#include "core/base/nLog.h"
#include "core/math/nPerfCounter.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "engine/Quenvar.h"
#include "engine/items/nItem.h"
#include "engine/items/nMCamera.h"
#include "engine/items/nMConstraint.h"
#include "engine/items/nMEmitter.h"
#include "engine/items/nMLight.h"
#include "engine/items/nMObject.h"
#include "engine/items/nMTerrain.h"
#include "engine/items/nTrigger.h"
#include "engine/scene/nGroup.h"
#include "engine/scene/nInstance.h"
#include "engine/scene/nSceneUidRemap.h"
#include "geometry/nTexture.h"
#include "physics/nPhysicConstraint.h"
#include "physics/nPhysicWorld.h"
#include "script/units/nScriptUnit.h"

#include <climits>
#include <cstdio>
#include <typeinfo>

namespace
{
struct ItemKindTag
{
    const char* name;
    uint32_t flag;
};

constexpr ItemKindTag ItemKindTags[] = {
    {"MCamera", ImportFlagCamera},   {"MObject", ImportFlagObject},         {"MLight", ImportFlagLight},
    {"Trigger", ImportFlagTrigger},  {"Instance", ImportFlagInstance},      {"MEmitter", ImportFlagEmitter},
    {"MTerrain", ImportFlagTerrain}, {"MConstraint", ImportFlagConstraint},
};

const ItemKindTag* FindItemKindTag(const nString& name)
{
    for (const ItemKindTag& kind : ItemKindTags)
        if (name == kind.name)
            return &kind;
    return nullptr;
}

bool ReadInteger(const nMetaTag* tag, int32_t& out)
{
    return tag && tag->GetType() == TagTypeInteger && tag->GetValue().GetInt(out);
}

nColor ReadColor(const nMetaTag& tag, const nColor& previous)
{
    nVector vector(previous.r, previous.g, previous.b, previous.a);
    vector.Parse(&tag);
    return nColor(vector.x, vector.y, vector.z, tag.GetChildCount() > 3 ? vector.w : previous.a);
}

// A checked file UID of a block: an Integer tag within the table, else the error and false.
bool ReadCheckedUid(const nMetaTag* tag, const nSceneUidRemap& remap, int32_t& uid)
{
    if (!ReadInteger(tag, uid))
    {
        nLogHolder::Get() << "[!] Invalid UID tag.\n";
        return false;
    }
    if (!remap.InRange(uid))
    {
        nLogHolder::Get() << "[!] Invalid item UID.\n";
        return false;
    }
    return true;
}
} // namespace

bool nScene::LoadFromFile(const char* path, nGroup** group, uint32_t flags, int32_t depth)
{
    nMetaFile file;
    if (!file.Load(path))
        return false;
    nMetaTag* root = file.GetTypedTag("Scene", TagTypeNone);
    if (!root)
    {
        nLogHolder::Get() << "[!] No <Scene> tag in '" << path << "'.\n";
        return false;
    }
    if (!Parse(file, *root, group, flags, depth))
        return false;
    if (group && *group)
        (*group)->SetName(path);
    return true;
}

nMItem* nScene::CreateItemOfTag(const nString& name)
{
    if (name == "MCamera")
        return NewCamera("");
    if (name == "MObject")
        return NewObject("");
    if (name == "MLight")
        return NewLight("", LightTypePoint, nMItem::DefaultPriority);
    if (name == "Trigger")
        return NewTrigger("");
    if (name == "Instance")
        return NewInstance("", nullptr);
    if (name == "MConstraint")
        return NewConstraint("");
    if (name == "MEmitter")
        return NewEmitter("");
    if (name == "MTerrain")
        return NewTerrain("");
    return nullptr;
}

bool nScene::Parse(nMetaFile& file, nMetaTag& root, nGroup** group, uint32_t flags, int32_t depth)
{
    if (IsRefusedWhileDeleting("load a scene file"))
        return false;
    nPerfCounter counter;
    counter.Begin();
    if (root.GetName() != "Scene")
    {
        nLogHolder::Get() << "[!] Could not parse scene. Root tag id is incorrect (" << root.GetName() << ").\n";
        return false;
    }
    const nString& fileName = file.GetFileName();
    nLogHolder::Get() << "[H] Loading scene '" << fileName << "'.\n";
    if (m_name.IsEmpty())
        m_name = fileName;
    Broadcast(SceneMessageLoading, nullptr);
    QuenvarEventInterface* sink = m_engine ? m_engine->GetEventSink() : nullptr;
    if (sink)
        sink->OnLoadBegin();
    if (group && !*group)
        *group = NewGroup(fileName.GetText() ? fileName.GetText() : "");
    nGroup* loadGroup = group ? *group : nullptr;

    nSceneUidRemap remap(m_nextUid);
    if (nMetaTag* items = root.GetTag("Items"))
    {
        if (!ReadItems(file, *items, remap, loadGroup, flags, depth))
            return false;
    }
    if (sink)
        sink->OnLoadProgress("Parsing scene globals...", 1.0f);
    ReadLinks(root, remap);
    ReadConstraints(root, remap);
    ReadSkins(root, remap);
    if (flags & ImportFlagGroup)
        ReadGroups(root, remap, loadGroup);
    if (flags & ImportFlagScript)
    {
        if (const nMetaTag* scripts = root.GetTag("ScriptedObject"))
            nScriptedObject::Parse(scripts);
        else if (const nMetaTag* unitTag = root.GetTag("ScriptUnit"))
            if (nScriptUnit* unit = CreateScriptUnit())
                unit->Parse(unitTag);
    }
    if (!group || (flags & ImportFlagGlobals))
        if (const nMetaTag* globals = root.GetTag("Globals"))
            ReadGlobals(*globals);
    if ((flags & ImportFlagPhysic) && m_physicWorld)
    {
        const nMetaTag* physics = root.GetTag("Physics");
        if (!physics)
            physics = root.GetTag("Tau");
        if (physics)
            ReadPhysics(*physics);
    }
    if (loadGroup)
        nLogHolder::Get() << "Group '" << loadGroup->GetName() << "': " << loadGroup->GetItems().GetCount()
                          << " item(s).\n";
    if ((flags & ImportFlagSettings) && (flags & ImportFlagCamera))
        if (const nMetaTag* current = root.GetTypedTag("CurrentCamera", TagTypeString))
            if (nMItem* camera = FindItem(current->GetValue().GetText().GetText()))
                if (camera->GetKind() == ItemTypeCamera)
                    m_currentCamera = camera->GetItem();
    if (!m_currentCamera && !(m_engine && m_engine->GetMode() == 1))
        if (nMCamera* camera = NewCamera("Default"))
        {
            m_currentCamera = camera->GetItem();
            nMatrix4 view;
            if (view.Parse(root.GetTag("ViewMatrix")))
                camera->GetItem()->SetMatrix(view);
        }
    counter.End();
    char elapsed[32];
    std::snprintf(elapsed, sizeof(elapsed), "%.0f", counter.GetLast()); // End answers a rate, not a duration
    nLogHolder::Get() << "Done loading scene in " << elapsed << "ms.\n";
    if (sink)
        sink->OnLoadEnd();
    Broadcast(SceneMessageLoaded, nullptr);
    return true;
}

bool nScene::ReadItems(nMetaFile& file, nMetaTag& items, nSceneUidRemap& remap, nGroup* group, uint32_t flags,
                       int32_t depth)
{
    nLinkedListIterator iterator;
    float divisor = 1.0f;
    int32_t largest = 0;
    uint32_t count = 0;
    while (nMetaTag* child = items.GetNextChild(iterator))
    {
        ++count;
        int32_t uid = 0;
        if (ReadInteger(child->GetTag("MItem:UId"), uid) && uid > largest)
        {
            largest = uid;
            divisor += 1.0f;
        }
    }
    // Scene UIDs are base + file UID and must stay positive 32-bit values. A file whose UIDs do
    // not fit above the base (a template with large UIDs, instanced again and again) gives its
    // items the counter's next UIDs instead, mapped the same way, so that its links still hold.
    remap.SetLargest(largest);
    remap.Reserve(count);
    const bool shifted = int64_t(remap.GetBase()) + largest <= INT32_MAX;
    if (shifted)
        m_nextUid = remap.GetBase() + static_cast<uint32_t>(largest) + 1;

    std::vector<nMItem*> withoutUid;
    QuenvarEventInterface* sink = m_engine ? m_engine->GetEventSink() : nullptr;
    const bool reports = sink && typeid(*sink) != typeid(QuenvarEventInterface);
    float reported = 0.0f;
    iterator = nLinkedListIterator();
    while (nMetaTag* child = items.GetNextChild(iterator))
    {
        const ItemKindTag* kind = FindItemKindTag(child->GetName());
        if (!kind)
        {
            nLogHolder::Get() << "[*] Unexpected <" << child->GetName() << "> sub-tag in <Items>.\n";
            continue;
        }
        if (!(flags & kind->flag) || !AcceptToolItem(*child, flags, depth))
            continue;
        // Past the counter's top a UID given at creation would cost a search of every item, for a
        // UID the file's replaces: items of a file whose UIDs fit take theirs after the parse.
        m_uidsFromFile = shifted;
        nMItem* item = CreateItemOfTag(child->GetName());
        m_uidsFromFile = false;
        if (!item)
            continue;
        if (reports)
        {
            const nMetaTag* id = child->GetTypedTag("MItem:Id", TagTypeString);
            char text[300];
            if (id)
                std::snprintf(text, sizeof(text), "Loading item '%s'...", id->GetValue().GetText().GetText());
            else
                std::snprintf(text, sizeof(text), "Loading items...");
            sink->OnLoadProgress(text, reported / divisor);
            reported += 1.0f;
        }
        if (item->GetKind() == ItemTypeInstance)
        {
            static_cast<nInstance*>(item)->SetDepth(depth);
            static_cast<nInstance*>(item)->SetEnclosure(m_instancing, file.GetFileName());
        }
        const int32_t createdUid = item->GetUid();
        const bool parsed = item->ParseTag(file, *child) && item->GetUid() >= 0;
        const int32_t fileUid = item->GetUid();
        item->SetUid(createdUid);
        if (parsed)
        {
            if (remap.InRange(fileUid) && remap.Map(fileUid) < 0)
            {
                const int32_t sceneUid =
                    shifted ? static_cast<int32_t>(remap.GetBase()) + fileUid : createdUid;
                remap.Set(fileUid, sceneUid);
                item->SetUid(sceneUid);
            }
            else
                nLogHolder::Get() << "[*] Corrupt item '" << item->GetName() << "' source UID (" << fileUid << "/"
                                  << unsigned(largest) + 1u << ") while loading scene '" << file.GetFileName() << "'.\n";
        }
        if (item->GetUid() < 0 && shifted)
            withoutUid.push_back(item);
        else if (item->GetUid() < 0)
            ReportNoUid(*item);
        if (group)
            group->AddItem(item, false);
        if (!item->GetEnabledField())
            m_activeItems.Remove(item);
    }
    // After the loop, so that none takes a UID a later item of the file holds.
    for (nMItem* item : withoutUid)
        AssignUid(item);
    return true;
}

void nScene::ReadLinks(nMetaTag& root, const nSceneUidRemap& remap)
{
    const nMetaTag* links = root.GetTag("Links");
    if (!links)
        return;
    nLinkedListIterator iterator;
    while (nMetaTag* link = links->GetNextChild(iterator))
    {
        if (link->GetName() != "Link")
        {
            nLogHolder::Get() << "[*] Unexpected <" << link->GetName() << "> sub-tag in <Links>.\n";
            continue;
        }
        bool hasChild = false, hasParent = false;
        int32_t child = 0, parent = 0;
        nLinkedListIterator parts;
        while (nMetaTag* part = link->GetNextChild(parts))
        {
            if (part->GetName() == "Item")
                hasChild = ReadInteger(part, child);
            else if (part->GetName() == "Link")
                hasParent = ReadInteger(part, parent);
            else
                nLogHolder::Get() << "[*] Unexpected <" << part->GetName() << "> sub-tag in <Link>.\n";
        }
        if (!hasChild || !hasParent)
        {
            nLogHolder::Get() << "[*] Incomplete link tag.\n";
            continue;
        }
        nMItem* childItem = FindLoadedItem(remap, child);
        nMItem* parentItem = FindLoadedItem(remap, parent);
        if (childItem && parentItem)
            childItem->GetItem()->SetParent(parentItem->GetItem());
    }
}

// The scene's items by UID, indexed on the first look-up (every item is read by then), so that
// links, constraints, skins and groups cost no scan of the item list each. Where UIDs repeat
// the first item in list order wins, as a scan would find.
nMItem* nScene::FindLoadedItem(const nSceneUidRemap& remap, int32_t fileUid) const
{
    const int32_t uid = remap.InRange(fileUid) ? remap.Map(fileUid) : -1;
    if (uid < 0)
        return nullptr;
    auto& index = remap.GetItemIndex();
    if (index.empty())
    {
        index.reserve(m_allItems.GetCount());
        nWalkList<nMItem*>::Walk items(m_allItems);
        while (nMItem* item = items.Next())
            index.emplace(item->GetUid(), item);
    }
    const auto found = index.find(uid);
    return found == index.end() ? nullptr : found->second;
}

void nScene::ReadConstraints(nMetaTag& root, const nSceneUidRemap& remap)
{
    const nMetaTag* constraints = root.GetTag("Constraints");
    if (!constraints)
        return;
    nLinkedListIterator iterator;
    while (nMetaTag* entry = constraints->GetNextChild(iterator))
    {
        if (entry->GetName() != "Constraint")
            continue;
        int32_t uid = 0;
        if (!ReadCheckedUid(entry->GetTag("Uid"), remap, uid))
            continue;
        nMItem* item = FindLoadedItem(remap, uid);
        if (!item)
            continue;
        if (item->GetKind() != ItemTypeConstraint)
        {
            nLogHolder::Get() << "[!] Invalid item type.\n";
            continue;
        }
        nPhysicConstraint* constraint = static_cast<nMConstraint*>(item)->GetPhysicConstraint();
        nPhysicItem* bodies[2] = {nullptr, nullptr};
        const char* names[2] = {"UidA", "UidB"};
        for (int index = 0; index < 2; ++index)
        {
            int32_t bodyUid = 0;
            if (!ReadCheckedUid(entry->GetTag(names[index]), remap, bodyUid))
                continue;
            if (nMItem* body = FindLoadedItem(remap, bodyUid))
                bodies[index] = body->GetPhysicItem();
        }
        if (constraint)
        {
            constraint->SetItemA(bodies[0]);
            constraint->SetItemB(bodies[1]);
        }
    }
}

void nScene::ReadSkins(nMetaTag& root, const nSceneUidRemap& remap)
{
    const nMetaTag* skins = root.GetTag("Skins");
    if (!skins)
        return;
    nLinkedListIterator iterator;
    while (nMetaTag* skin = skins->GetNextChild(iterator))
    {
        if (skin->GetName() != "Skin")
            continue;
        int32_t uid = 0;
        if (!ReadCheckedUid(skin->GetTag("UId"), remap, uid))
            continue;
        nMItem* item = FindLoadedItem(remap, uid);
        if (!item)
            continue;
        if (item->GetKind() != ItemTypeObject)
        {
            nLogHolder::Get() << "[!] Invalid item type.\n";
            continue;
        }
        nObject& object = static_cast<nMObject*>(item)->GetObject();
        if (object.GetBoneCount() == 0)
            continue;
        ReadSkinBones(*skin, object, remap);
    }
}

void nScene::ReadSkinBones(const nMetaTag& skin, nObject& object, const nSceneUidRemap& remap)
{
    nLog& log = nLogHolder::Get();
    nLinkedListIterator bones;
    while (const nMetaTag* bone = skin.GetNextChild(bones))
    {
        if (bone->GetName() != "Bone")
            continue;
        int32_t index = 0, uid = 0;
        if (!ReadInteger(bone->GetTag("Index"), index) || !ReadInteger(bone->GetTag("UId"), uid))
            log << "[!] Invalid bone information, incomplete bone tag.\n";
        else if (index < 0 || uint32_t(index) >= object.GetBoneCount())
            log << "[!] Invalid bone information, bone index out of bound.\n";
        else if (!remap.InRange(uid))
            log << "[!] Invalid bone information, item Uid out of bound.\n";
        else if (nMItem* boneItem = FindLoadedItem(remap, uid))
            object.BindBone(uint32_t(index), boneItem->GetItem());
        else
            log << "[!] Invalid bone information, item Uid does not exist.\n";
    }
}

void nScene::ReadGroups(nMetaTag& root, const nSceneUidRemap& remap, nGroup* loadGroup)
{
    const nMetaTag* groups = root.GetTag("Groups");
    if (!groups)
        return;
    nLinkedListIterator iterator;
    while (nMetaTag* entry = groups->GetNextChild(iterator))
    {
        if (entry->GetName() != "Group")
            continue;
        const nMetaTag* id = entry->GetTypedTag("Id", TagTypeString);
        if (!id)
        {
            nLogHolder::Get() << "[*] Could not read group, no identifier found.\n";
            continue;
        }
        nGroup* group = NewGroup(id->GetValue().GetText().GetText());
        if (!group)
        {
            nLogHolder::Get() << "[!] Failed to allocate group '" << id->GetValue().GetText() << "'.\n";
            continue;
        }
        nLinkedListIterator members;
        while (nMetaTag* member = entry->GetNextChild(members))
        {
            if (member->GetName() != "Item")
                continue;
            int32_t uid = -1;
            nMItem* item = ReadInteger(member, uid) ? FindLoadedItem(remap, uid) : nullptr;
            if (item)
                group->AddItem(item, false);
            else
                nLogHolder::Get() << "[*] Group member masked out during import.\n";
        }
        if (loadGroup)
            loadGroup->AddGroup(group, false);
    }
}

void nScene::ReadGlobals(const nMetaTag& globals)
{
    nLinkedListIterator iterator;
    while (nMetaTag* child = globals.GetNextChild(iterator))
    {
        const nString& name = child->GetName();
        float value = 0.0f;
        if (name == "BackgroundColor")
            m_backgroundColor = ReadColor(*child, m_backgroundColor);
        else if (name == "AmbientColor")
            m_ambientColor = ReadColor(*child, m_ambientColor);
        else if (name == "FogColor")
            m_fogColor = ReadColor(*child, m_fogColor);
        else if (name == "Irradiance" || name == "Radiance")
        {
            nString path;
            nTexture* texture = child->GetValue().GetString(path) && m_engine && !path.IsEmpty()
                                    ? m_engine->LoadTexture(path.GetText(), false, false)
                                    : nullptr;
            (name == "Irradiance" ? m_irradiance : m_radiance) = texture;
        }
        else if (!child->GetValue().GetFloat(value))
            continue;
        else if (name == "AmbientIntensity")
            m_ambientIntensity = value;
        else if (name == "TargetExposure")
            m_targetExposure = value;
        else if (name == "FogNear")
            m_fogNear = value;
        else if (name == "FogFar")
            m_fogFar = value;
    }
}

void nScene::ReadPhysics(const nMetaTag& physics)
{
    nLinkedListIterator iterator;
    while (nMetaTag* child = physics.GetNextChild(iterator))
    {
        float frequency = 0.0f;
        // A frequency of 0 or less would give the world no step at all.
        if (child->GetName() == "Frequency" && child->GetValue().GetFloat(frequency) && frequency > 0.0f)
            m_physicWorld->SetFixedTimeStep(1.0f / frequency);
    }
}

bool nScene::AcceptToolItem(const nMetaTag& itemTag, uint32_t flags, int32_t depth) const
{
    if (!itemTag.GetTag("MItem:ToolSpecific") && !itemTag.GetTag("MItem:Helper"))
        return true;
    const int32_t toolMode = m_engine ? m_engine->GetMode() : 0;
    return (flags & ImportFlagTool) && toolMode != 0 && toolMode != 3 && depth <= 0;
}
