#include "viewer/QuenvarViewerBase.h"

#include "audio/nMixer.h"
#include "audio/nSMixMixer.h"
#include "engine/scene/nScene.h"
#include "render/nRasterFont.h"
#include "render/nRenderer.h"
#include "ui/nFontSystem.h"

// Each step skips what is already released, so this runs after a failed start-up, after the loop
// and again from the destructor.
bool QuenvarViewerBase::Shutdown()
{
    m_running = false;
    if (!m_startupBegun)
        return true;
    m_startupBegun = false;
    delete m_profilerFonts.regular;
    delete m_profilerFonts.bold;
    m_profilerFonts = nFontPair();
    if (m_scene)
    {
        nScene* scene = m_scene;
        m_scene = nullptr;
        nProject::SetCurrentScene(scene);
        m_project.GetVM().InvalidateNativeObject(scene);
        delete scene;
    }
    m_project.Close(true);
    // No script is left to use them, and a raytracer holds the geometries it traced, whose
    // materials the renderer must see released before it closes.
    m_engine.DestroyAdoptedObjects();
    m_engine.FreeResourceCaches();
    FontSystemShutdown();
    nRenderer* renderer = m_engine.GetRenderer();
    renderer->Close();
    m_engine.SetRenderer(nullptr);
    if (m_renderer && m_renderer != &m_engine.GetNullRenderer())
        delete m_renderer;
    m_renderer = nullptr;
    m_engine.GetMixer()->Close(); // which finishes the mixer's file
    if (m_fileMixer && m_fileMixer->HasOutputFailed())
        m_outputFailed = true;
    m_engine.SetMixer(nullptr);
    delete m_mixer;
    m_mixer = nullptr;
    m_fileMixer = nullptr;
    return true;
}
