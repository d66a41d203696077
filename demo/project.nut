// The demo's project: it loads the one scene that plays the game and draws it as its only layer.
// The scene's own script ends the run when the game is over.
class DemoProject
{
    function OnSetup(project)
    {
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
