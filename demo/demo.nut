// The demo project: it reports what the engine tells a script, counts its frames and ends the run
// after about two seconds.
class Demo
{
    frames = 0;
    seconds = 0.0;
    nextReport = 0.5;

    function OnSetup(project)
    {
        print("Kestrun demo: " + g_width + "x" + g_height + ", project mode " + g_context_project);
    }

    function OnUpdate(project)
    {
        frames++;
        seconds += g_dt_frame;
        if (seconds >= nextReport)
        {
            print(format("%.1f s, %d frames", seconds, frames));
            nextReport += 0.5;
        }
        if (seconds >= 2.0)
        {
            print("Demo done.");
            ProjectEnd(project);
        }
    }
}
