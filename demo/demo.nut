// The demo scene's script. On a fixed 60 Hz clock it builds the stack of crates, throws the ball
// into it, flies the camera around, keeps the 2D overlay up to date, grabs a frame every second,
// raytraces the last one and ends the run after ten seconds of game time.

const StepSeconds = 0.016666667;
const RunSeconds = 10.0;
const ThrowSeconds = 1.0;
const KnockSpeed = 1.0;
// A change of velocity this large within one step is a strong collision; gravity alone gives 0.16.
const StrongImpact = 2.0;
// A body resting on another jitters: it knocks again only after this long.
const KnockQuietSeconds = 0.3;
const OutputFolder = "demo-out/";

// Gives the item a box or sphere body; a mass of 0 leaves it static.
function AddBody(item, box, size, mass)
{
    local shape = ItemAddCollisionShape(item);
    if (box)
        ShapeSetBox(shape, size);
    else
        ShapeSetSphere(shape, size.x);
    ShapeSetMass(shape, mass);
    ShapeSetFriction(shape, 0.6, 0.5);
    ItemSetPhysicMode(item, mass > 0 ? PhysicModeDynamic : PhysicModeStatic);
    ItemUpdateInertiaTensorFromCollision(item);
    return item;
}

class Demo
{
    frames = 0;
    seconds = 0.0;
    nextGrab = 1.0;
    grabs = 0;
    thrown = false;
    crates = [];
    knocked = {};
    bodies = [];
    lastVelocity = [];
    lastKnock = [];
    knock = null;
    collisions = 0;
    ball = null;
    label = null;
    written = [];
    startTicks = 0;
    // Wall clock spent saving grabs, left out of the frame rate.
    grabTicks = 0;

    function OnSetup(scene)
    {
        EngineSetFixedDeltaFrame(g_engine, StepSeconds);
        startTicks = SystemGetClock();
        SceneSetGravity(scene, Vector(0, -9.81, 0));
        SceneSetPhysicFrequency(scene, 60);
        AddBody(SceneFindItem(scene, "Floor"), true, Vector(20, 0.5, 20), 0);
        AddBody(SceneFindItem(scene, "Pillar A"), true, Vector(0.6, 3, 0.6), 0);
        AddBody(SceneFindItem(scene, "Pillar B"), true, Vector(0.6, 3, 0.6), 0);
        ball = AddBody(SceneFindItem(scene, "Ball"), false, Vector(0.4, 0.4, 0.4), 8);
        BuildStack(scene);
        knock = EngineLoadSound(g_engine, "knock.wav");
        bodies = [ball];
        bodies.extend(crates);
        foreach (body in bodies)
        {
            lastVelocity.append(Vector(0, 0, 0));
            lastKnock.append(-1.0);
        }
        FlyCamera(scene);
        BuildOverlay(scene);
        print("Kestrun demo: " + crates.len() + " crates, " + g_width + "x" + g_height);
    }

    function BuildStack(scene)
    {
        local crate = EngineLoadGeometry(g_engine, "crate.nml");
        for (local row = 0; row < 3; ++row)
            for (local column = 0; column < 3 - row; ++column)
            {
                local object = SceneAddObject(scene, "Crate " + row + "-" + column);
                ObjectSetGeometry(object, crate);
                local item = ObjectGetItem(object);
                ItemSetPosition(item, Vector(column * 1.05 - (2 - row) * 0.525, 0.5 + row * 1.01, 3.0));
                AddBody(item, true, Vector(1, 1, 1), 1);
                ItemSetPhysicPosition(item, ItemGetPosition(item));
                crates.append(item);
            }
    }

    // An ACE list: the camera circles to the side of the stack and back while it looks at it.
    function FlyCamera(scene)
    {
        ItemSetCommandList(SceneFindItem(scene, "Camera"),
            "toposition 3,-4,3,-9; toposition 3,4,3.5,-9; toposition 4,9,4,-6;");
    }

    function BuildOverlay(scene)
    {
        local ui = SceneGetUI(scene);
        // A dark, slightly see-through skin (colours are red in the low byte, alpha in the high one)
        // with white titles.
        UISetSkin(ui, "skin_top.tga", "skin_left.tga", "skin_right.tga", "skin_bottom.tga", "skin_top_left.tga",
            "skin_top_right.tga", "skin_bottom_left.tga", "skin_bottom_right.tga", 0xC0302418, 0xFFFFFFFF, 4, 20, 15,
            "Default");
        local window = UIAddWindow(ui, 1, 16, 16, 360, 72);
        WindowSetTitle(window, "Kestrun demo");
        label = UIAddStaticTextWidget(ui, 2, "frame 0, 0.00 s", "Default");
        TextSetColor(label, 230, 235, 245, 255);
        WindowSetBaseWidget(window, label);
        // The overlay lights up while the pointer is over it: the 2D layer answers the mouse.
        WindowSetOpacity(window, 0.6);
        WindowSetEventHandler(window, EventMouseEnter, function(event, info) { WindowSetOpacity(info.window, 1.0); });
        WindowSetEventHandler(window, EventMouseLeave, function(event, info) { WindowSetOpacity(info.window, 0.6); });
        UIAddSprite(ui, 3, EngineLoadTexture(g_engine, "@core/noise.tga"), 16, 100, 64, 64);
    }

    function OnUpdate(scene)
    {
        // The 2D layer reads the mouse this polls.
        MouseUpdate();
        frames++;
        seconds += g_dt_frame;
        TextSetText(label, format("frame %d, %.2f s", frames, seconds));
        if (!thrown && seconds >= ThrowSeconds)
        {
            thrown = true;
            ItemSetLinearVelocity(ball, Vector(0, 5, 16));
            // The throw is no collision.
            lastVelocity[0] = ItemGetLinearVelocity(ball);
            print("ball thrown");
        }
        CountKnocks();
        SoundStrongCollisions();
        if (seconds >= nextGrab)
        {
            nextGrab += 1.0;
            local grabStart = SystemGetClock();
            Grab(format("%sframe_%d.tga", OutputFolder, ++grabs));
            grabTicks += SystemGetClock() - grabStart;
        }
        if (seconds >= RunSeconds)
            Finish(scene);
    }

    // A crate that moves fast for the first time has been knocked over.
    function CountKnocks()
    {
        foreach (index, crate in crates)
            if (!(index in knocked) && ItemGetSpeed(crate) > KnockSpeed)
            {
                knocked[index] <- true;
                print("crate " + ItemGetName(crate) + " knocked over");
            }
    }

    // The ball or a crate whose velocity jumps within one step has struck something: it knocks.
    function SoundStrongCollisions()
    {
        foreach (index, body in bodies)
        {
            local velocity = ItemGetLinearVelocity(body);
            local change = (velocity - lastVelocity[index]).Len();
            lastVelocity[index] = velocity;
            if (change < StrongImpact || seconds - lastKnock[index] < KnockQuietSeconds)
                continue;
            lastKnock[index] = seconds;
            collisions++;
            if (MixerSoundStart(EngineGetMixer(g_engine), knock) != MixerChannelInvalid)
                print(format("%s struck at %.2f s, sound started", ItemGetName(body), seconds));
        }
    }

    function Grab(name)
    {
        local picture = PictureNew();
        RendererGrabDisplayToPicture(g_render, picture);
        // Without a display there is nothing to grab.
        if (PictureGetRect(picture).ex > 0 && PictureSaveTGA(picture, name))
            written.append(name);
    }

    function Finish(scene)
    {
        // The clock of the wall, not the game's: how fast this machine ran the frames, without the
        // grabs and the raytrace below, which are not part of a frame.
        local wallSeconds = (SystemGetClock() - startTicks - grabTicks).tofloat() / SystemGetClockFrequency();
        local raytracer = EngineNewRaytracer(g_engine);
        RaytracerSetScene(raytracer, scene);
        local traced = OutputFolder + "rt.tga";
        if (RaytracerTrace(raytracer, traced, 480, 270))
            written.append(traced);
        print("boxes knocked over: " + knocked.len());
        print("strong collisions: " + collisions);
        foreach (name in written)
            print("wrote " + name);
        print(format("Demo done after %d frames, %.0f frames a second (grabs and raytrace not counted).", frames,
            frames / wallSeconds));
        // Run by itself the scene ends the run; instantiated by demo.ngp it ends the project's.
        SceneEnd(scene);
        ProjectEnd(g_project);
    }
}
