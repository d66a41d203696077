// The demo's project: it loads the one scene that plays the game and draws it as its only layer.
// The scene's own script ends the run when the game is over.
class DemoProject
{
    function OnSetup(project)
    {
        // The scene's script raytraces the last frame, which reads the geometries' polygons: the GPU
        // renderer keeps them after upload instead of letting them go.
        RendererSetCleanResourceOnSetup(g_render, false);
        local scene = ProjectInstantiateScene(project, "scene.nms");
        if (scene == null)
        {
            print("[!] The demo scene could not be loaded.");
            ProjectEnd(project);
            return;
        }
        ProjectAddLayer(project, scene, 0.0);
    }
}
