#include "engine/project/nProject.h"

#include "core/base/nLog.h"
#include "engine/Quenvar.h"
#include "engine/project/nProjectLayer.h"
#include "engine/project/nProjectSceneInstance.h"
#include "engine/scene/nScene.h"
#include "script/nObjectType.h"
#include "script/nScriptObject.h"
#include "script/nScriptValue.h"

namespace
{
constexpr float FirstFrameDelta = 1.0f / 60.0f;
}

nProject::nProject(Quenvar* engine, nScriptApiRegistration registration)
    : m_engine(engine), m_registration(registration), m_vm(engine), m_unit(&m_vm), m_name("New Project"),
      m_authors("Authors"), m_description("New project"), m_notice("Empty Notice")
{
    m_unit.SetOwner(this, ObjectTypeProject);
}

nProject::~nProject()
{
    m_busy = false;
    Close(true);
}

void nProject::LogRefusal(const char* operation) const
{
    nLogHolder::Get() << "[!] Cannot call '" << operation
                      << "' while rendering or evaluating the project scene stack.\n";
}

bool nProject::CheckNotBusy(const char* operation) const
{
    if (!m_busy)
        return true;
    LogRefusal(operation);
    return false;
}

bool nProject::CheckNotClosing(const char* operation) const
{
    if (!m_closing)
        return true;
    LogRefusal(operation);
    return false;
}

bool nProject::OpenScriptMachine()
{
    if (!m_vm.Open())
        return false;
    if (m_registration)
        m_registration(m_vm.GetHandle());
    nRenderer* renderer = m_engine->GetRenderer();
    uint32_t width = 0;
    uint32_t height = 0;
    renderer->GetOutputSize(width, height);
    m_vm.SetSlot("g_engine", nScriptValue(ObjectTypeEngine, m_engine), nullptr);
    m_vm.SetSlot("g_project", nScriptValue(ObjectTypeProject, this), nullptr);
    m_vm.SetSlot("g_mixer", nScriptValue(ObjectTypeMixer, m_engine->GetMixer()), nullptr);
    m_vm.SetSlot("g_render", nScriptValue(ObjectTypeRenderer, renderer), nullptr);
    m_vm.SetSlot("g_width", nScriptValue(int32_t(width)), nullptr);
    m_vm.SetSlot("g_height", nScriptValue(int32_t(height)), nullptr);
    m_vm.SetSlot("g_dt_frame", nScriptValue(FirstFrameDelta), nullptr);
    m_vm.SetSlot("g_raw_dt_frame", nScriptValue(FirstFrameDelta), nullptr);
    m_vm.SetSlot("g_clock", nScriptValue(float(m_engine->GetClockTicks())), nullptr);
    for (auto* node = m_includes.GetHead(); node; node = node->next)
        m_vm.RunFile(node->value, false);
    return true;
}

// A project without a script unit runs; one whose file or class cannot be used stops here, since
// nothing of the project would run after it.
bool nProject::Open(bool inProjectMode)
{
    if (!CheckNotBusy("nProject::Open"))
        return false;
    if (!OpenScriptMachine())
        return false;
    if (!m_unit.Instantiate())
    {
        nLogHolder::Get() << "[!] Could not instantiate the project script '" << m_unit.GetScript()
                          << "' with class '" << m_unit.GetClassName() << "'.\n";
        return false;
    }
    m_vm.SetSlot("g_context_project", nScriptValue(inProjectMode), nullptr);
    return true;
}

bool nProject::Setup()
{
    if (!CheckNotBusy("nProject::Setup"))
        return false;
    if (m_unit.GetOnSetup())
        CallUnitEvent("OnSetup", m_unit.GetOnSetup(), nullptr, nullptr);
    return true;
}

void nProject::Close(bool closeMachine)
{
    if (!CheckNotBusy("nProject::Close"))
        return;
    SendEvent("OnClose", nullptr, nullptr);
    m_closing = true;
    m_path.Clear();
    while (m_layers.GetHead())
    {
        nProjectLayer* layer = m_layers.GetHead()->value;
        m_layers.RemoveNode(m_layers.GetHead());
        m_vm.InvalidateNativeObject(layer);
        delete layer;
    }
    while (m_scenes.GetHead())
    {
        nProjectSceneInstance* instance = m_scenes.GetHead()->value;
        m_scenes.RemoveNode(m_scenes.GetHead());
        DestroyInstance(instance);
    }
    m_unit.SetScript(nString());
    m_unit.SetClassName(nString());
    m_flags = 0;
    m_unit.ReleaseInstance();
    if (closeMachine && m_vm.IsOpen())
        m_vm.Close();
    m_closing = false;
}

void nProject::UpdateScriptClock()
{
    m_vm.SetSlot("g_dt_frame", nScriptValue(m_engine->GetDeltaFrame()), nullptr);
    m_vm.SetSlot("g_raw_dt_frame", nScriptValue(m_engine->GetRawDeltaFrame()), nullptr);
    m_vm.SetSlot("g_clock", nScriptValue(float(m_engine->GetClockTicks())), nullptr);
}

void nProject::SendEvent(const char* name, const nScriptValue* first, const nScriptValue* second)
{
    if (!m_unit.GetInstance() || !m_vm.IsOpen())
        return;
    nScriptObject* method = m_vm.GetObject(name, m_unit.GetInstance());
    if (method)
        CallUnitEvent(name, method, first, second);
    delete method;
}

bool nProject::SendInstanceEvent(nProjectSceneInstance* instance, const char* name, const nScriptValue* first,
                                 const nScriptValue* second)
{
    auto* subject = m_eventSubjects.PushBack(instance);
    if (!subject)
    {
        nLogHolder::Get() << "[!] Failed to allocate the event record of a scene instance.\n";
        return false;
    }
    SendEvent(name, first, second);
    const bool survived = subject->value != nullptr;
    m_eventSubjects.RemoveNode(subject);
    return survived;
}

void nProject::CallUnitEvent(const char* name, nScriptObject* method, const nScriptValue* first,
                             const nScriptValue* second)
{
    if (!m_unit.BeginCall(name, method))
        return;
    if (first)
        m_unit.PushArgument(*first);
    if (second)
        m_unit.PushArgument(*second);
    m_unit.EndCall(nullptr);
}

void nProject::SetCurrentScene(nScene* scene)
{
    scene->SetGlobal();
}
