#pragma once

#include "animation/nACEUnit.h"
#include "animation/nAnimationPlayer.h"
#include "core/math/nMatrix4.h"
#include "physics/nPhysicOwner.h"
#include "platform/nstring/nString.h"
#include "script/units/nScriptedObject.h"

#include <cstddef>
#include <cstdint>

class nItem;
class nItemEventHandler;
class nMetaFile;
class nMetaTag;
class nPhysicItem;
class nScene;

enum nItemType : int32_t
{
    ItemTypeNone = 0,
    ItemTypeCamera = 1,
    ItemTypeObject = 2,
    ItemTypeLight = 3,
    ItemTypeTrigger = 4,
    ItemTypeEmitter = 5,
    ItemTypeInstance = 6,
    ItemTypeTerrain = 7,
    ItemTypeConstraint = 8,
};

enum nMItemFlag : uint32_t
{
    MItemFlagBillboard = 1,
    MItemFlagSolveOverlap = 2,
    MItemFlagGhost = 4,
    MItemFlagTriggerDetected = 16,
    MItemFlagStatic = 32,
    MItemFlagRenderHidden = 64,
};

// The item commands of the 3D scene's command-list vocabulary.
enum nItemCommand : int32_t
{
    ItemCommandToPosition = 0,
    ItemCommandOffsetPosition = 1,
    ItemCommandToOffset = 2,
    ItemCommandToScale = 3,
    ItemCommandToRotation = 4,
    ItemCommandToAlpha = 5,
};

// The managed scene item: what a scene lists, saves and hands to scripts. It joins an animation
// player, a command-list unit and script units to the transformable item of its kind, which each
// kind embeds. Script handles on it hold its nMItem address.
class nMItem : public nAnimationPlayer, public nACEUnit, public nScriptedObject, public nPhysicOwner
{
public:
    static constexpr float DefaultPriority = 0.5f;
    static constexpr float DefaultLogicRate = 15.0f;
    static constexpr float MinimumLogicRate = 0.1f;

    // Items are tracked allocations of the "Item" category; a failure yields null.
    static void* operator new(size_t size) noexcept;
    static void operator delete(void* memory) noexcept;

    // Registers with the scene (all and active items) and gets a physics item from its world.
    nMItem(nScene* scene, int32_t kind);
    ~nMItem() override;

    bool GetChannelValue(int32_t channel, float& out) override;
    bool SetChannelValue(int32_t channel, float value) override;
    void GetRotationQuaternion(nQuaternion& out) override;
    bool SetRotationQuaternion(const nQuaternion& rotation) override;
    virtual void SetFlag(uint32_t bits, bool on);
    virtual bool IsEnabled() const;
    virtual void Update() = 0;
    virtual void PrepareRender() = 0;
    // The physics set-up, then "OnSetupDone".
    virtual void Setup();
    bool ExecuteCommand(nACECommand* command, float step) override;
    nScriptUnit* CreateScriptUnit() override;
    void OnCachedMethodsChanged() override;
    const nMatrix4& GetPhysicWorldMatrix() override;

    // The kind's block ("MCamera", "MLight" ...), made of the "MItem" block and the kind's part.
    virtual bool ParseTag(nMetaFile& file, nMetaTag& tag) = 0;
    virtual nMetaTag* SerializeTag(nMetaFile& file) = 0;
    // The "MItem" block.
    bool ParseManagedTag(nMetaFile& file, nMetaTag& tag);
    nMetaTag* SerializeManagedTag(nMetaFile& file) const;

    nScene* GetScene() const { return m_scene; }
    nItem* GetItem() const { return m_item; }
    int32_t GetKind() const { return m_kind; }
    uint32_t GetFlags() const { return m_flags; }
    // The field itself; IsEnabled may answer otherwise for some kinds.
    bool GetEnabledField() const { return m_enabled; }
    void SetEnabledField(bool enabled) { m_enabled = enabled; }
    const nString& GetName() const { return m_name; }
    void SetName(const char* name) { m_name = name; }
    int32_t GetUid() const { return m_uid; }
    void SetUid(int32_t uid) { m_uid = uid; }
    float GetPriority() const { return m_priority; }
    void SetPriority(float priority);
    bool IsHelper() const { return m_helper; }
    void SetHelper(bool helper) { m_helper = helper; }
    float GetLogicRate() const { return m_logicRate; }
    void SetLogicRate(float rate) { m_logicRate = rate; }
    float GetLogicClock() const { return m_logicClock; }
    void SetLogicClock(float seconds) { m_logicClock = seconds; }
    const nMatrix4& GetLogicMatrix() const { return m_logicMatrix; }
    const nMatrix4& GetPreviousLogicMatrix() const { return m_previousLogicMatrix; }
    void SetLogicMatrices(const nMatrix4& latest, const nMatrix4& previous);
    nItemEventHandler* GetEventHandler() const { return m_eventHandler; }
    nPhysicItem* GetPhysicItem() const { return m_physicItem; }
    // The previous physics item is released through its own world.
    void SetPhysicItem(nPhysicItem* item);

    void SetupScript();
    void SendReset();
    void RecordLocation();
    bool HasRecordedLocation() const { return m_hasRecordedLocation; }
    const nMatrix4& GetRecordedLocation() const { return m_recordedLocation; }
    void RestoreLocation();
    void SetLogicTransformation(const nMatrix4& matrix);
    void Reset();

protected:
    void AttachItem(nItem& item);
    // Tells the scripts, drops the units and leaves the scene, while the kind's parts still live;
    // each kind's destructor calls it first. Runs once.
    void Retire();

private:
    void ApplyOlderPhysicTags(const nMetaTag* tauItem, const nMetaTag* gColItem);

    bool m_enabled = true;
    bool m_retired = false;
    nScene* m_scene;
    nItem* m_item = nullptr;
    int32_t m_kind;
    uint32_t m_flags = 0;
    bool m_hasRecordedLocation = false;
    nMatrix4 m_recordedLocation;
    nPhysicItem* m_physicItem = nullptr;
    nString m_name;
    int32_t m_uid = -1;
    float m_priority = DefaultPriority;
    bool m_helper = false;
    float m_logicRate = DefaultLogicRate;
    float m_logicClock = 0.0f;
    nMatrix4 m_logicMatrix;
    nMatrix4 m_previousLogicMatrix;
    nItemEventHandler* m_eventHandler;
};
