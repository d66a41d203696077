#pragma once

#include "core/base/nList.h"
#include "core/nml/nMetaObject.h"
#include "engine/project/nProjectScriptUnit.h"
#include "platform/nstring/nString.h"
#include "script/nSquirrelVM.h"
#include "squirrel/squirrel.h"

#include <cstdint>

class Quenvar;
class nProjectLayer;
class nProjectSceneInstance;
class nScene;
class nScene2D;
class nScriptObject;
class nScriptValue;
class nMetaFile;
class nMetaTag;
struct nFontPair;

// Binds the script natives into a machine's root table. The project does not know the natives: whoever
// makes it hands it the registration (the viewer passes the whole script API).
using nScriptApiRegistration = void (*)(HSQUIRRELVM vm);

// The run-time project: the program's one script machine, the project's own script, the scenes
// it instantiated and the layer stack that orders their drawing. While it evaluates or renders,
// the operations that change the stack refuse to run.
class nProject : public nMetaObject
{
public:
    enum Flags : uint32_t
    {
        FlagEnded = 1,
    };
    // Render flag: draw the layers without their render scripts.
    static constexpr uint32_t RenderWithoutScripts = 1;

    // Without a registration the machine opens with no natives bound.
    explicit nProject(Quenvar* engine, nScriptApiRegistration registration = nullptr);
    nProject(const nProject&) = delete;
    nProject& operator=(const nProject&) = delete;
    ~nProject() override;

    bool ParseTag(nMetaFile& file, nMetaTag& tag) override;
    nMetaTag* SerializeTag(nMetaFile& file) override;

    // False after the refusal line while the stack is evaluated or rendered.
    bool CheckNotBusy(const char* operation) const;
    // False after the same line while the project closes: what would give the close more to do
    // (a scene, a layer, an activation event) is refused, so that the close always ends.
    bool CheckNotClosing(const char* operation) const;
    // Opens the script machine and instantiates the project's script unit.
    bool Open(bool inProjectMode);
    bool Setup();
    void Close(bool closeMachine);
    nProjectSceneInstance* Instantiate(const char* path);
    void Unload(nProjectSceneInstance* instance);
    nProjectLayer* AddLayer(nProjectSceneInstance* instance, float zOrder);
    nProjectSceneInstance* FindScene(const char* name) const;
    void ActivateScene(nProjectSceneInstance* instance, bool active);
    void UpdateScriptClock();
    // An empty 3D scene of the project's engine and machine, or null after a "[!] " line.
    nScene* NewScene();
    // An empty 2D scene of the project's engine and machine, or null after a "[!] " line.
    nScene2D* NewScene2D();
    // Moves every 2D scene that a layer shows by (x, y) of its internal pixels.
    void SetAll2DLayerOffset(float x, float y);
    // The whole stack outside the frame step, without the layers' render scripts, presented.
    void RenderOutsideFrame();
    nScriptObject* GetScriptInstance() const { return m_unit.GetInstance(); }
    // Asks the frame step to end the run once the current frame is done.
    void RequestEnd() { m_flags |= FlagEnded; }
    const nList<nProjectLayer*>& GetLayers() const { return m_layers; }
    uint32_t CountActiveScenes() const;
    void Evaluate(uint32_t flags);
    void Render(uint32_t flags);
    void PrintStats(const nFontPair& fonts, float x, float y);
    void SortLayers();

    // Calls the project script's event when it defines one, with up to two handle arguments.
    void SendEvent(const char* name, const nScriptValue* first, const nScriptValue* second);
    // SendEvent for an event about one instance, which the event may unload: true when the instance
    // is still there afterwards, so the caller may touch it.
    bool SendInstanceEvent(nProjectSceneInstance* instance, const char* name, const nScriptValue* first,
                           const nScriptValue* second);
    // Makes the scene the one "g_scene" names in its script machine.
    static void SetCurrentScene(nScene* scene);

    bool IsEnded() const { return (m_flags & FlagEnded) != 0; }
    bool IsBusy() const { return m_busy; }
    Quenvar* GetEngine() const { return m_engine; }
    nSquirrelVM& GetVM() { return m_vm; }
    nProjectScriptUnit& GetScriptUnit() { return m_unit; }
    const nList<nProjectSceneInstance*>& GetScenes() const { return m_scenes; }
    const nList<nString>& GetIncludes() const { return m_includes; }
    const nList<nString>& GetSearchPaths() const { return m_searchPaths; }
    const nString& GetName() const { return m_name; }
    const nString& GetPath() const { return m_path; }
    const nString& GetAuthors() const { return m_authors; }
    const nString& GetDescription() const { return m_description; }
    const nString& GetNotice() const { return m_notice; }
    void SetName(const char* name) { m_name = name; }
    void SetAuthors(const char* authors) { m_authors = authors; }
    void SetDescription(const char* description) { m_description = description; }
    void SetNotice(const char* notice) { m_notice = notice; }
    void AddInclude(const char* path) { m_includes.PushBack(nString(path)); }
    void AddSearchPath(const char* path) { m_searchPaths.PushBack(nString(path)); }

private:
    bool OpenScriptMachine();
    nProjectSceneInstance* InstantiateScene(nMetaFile& document, nMetaTag& root);
    nProjectSceneInstance* InstantiateScene2D(nMetaFile& document, nMetaTag& root);
    // Lists the instance, or destroys it after a "[!] " line and answers null.
    nProjectSceneInstance* AppendInstance(nProjectSceneInstance* instance);
    void CallUnitEvent(const char* name, nScriptObject* method, const nScriptValue* first,
                       const nScriptValue* second);
    void RemoveLayersOf(const nProjectSceneInstance* instance);
    // Invalidates the script handles on the instance, its layers and its scene, then frees it.
    void DestroyInstance(nProjectSceneInstance* instance);
    void LogRefusal(const char* operation) const;
    void RenderLayer(nProjectLayer* layer, uint32_t flags, bool first);
    void RenderScene(nScene* scene, uint32_t flags);

    Quenvar* m_engine;
    nScriptApiRegistration m_registration;
    nSquirrelVM m_vm;
    nProjectScriptUnit m_unit;
    nList<nProjectSceneInstance*> m_scenes;
    // Instances whose unload is telling the project script, compared by address only.
    nList<const nProjectSceneInstance*> m_unloading;
    // Instances that events in progress are about; an entry turns null when its instance is destroyed.
    nList<nProjectSceneInstance*> m_eventSubjects;
    bool m_busy = false;
    bool m_closing = false;
    nString m_name;
    nString m_path;
    nString m_authors;
    nString m_description;
    nString m_notice;
    uint32_t m_flags = 0;
    nList<nProjectLayer*> m_layers;
    nList<nString> m_includes;
    nList<nString> m_searchPaths;
};
