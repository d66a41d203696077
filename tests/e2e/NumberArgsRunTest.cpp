#include "e2e/KestrunProcess.h"

#include <gtest/gtest.h>

#include <cctype>
#include <iterator>
#include <string>
#include <vector>

namespace
{
const std::string CoreData = KESTRUN_DATA_DIR "/core";

const char* const SceneFile =
    "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"s.nut\"><Class=\"Main\">><Items=<MEmitter=<MItem=<Id=\"Sparks\">"
    "<UId=3><Active>><Emitter=<Item=<Position=<X=0.0><Y=0.0><Z=5.0>>><BirthRate=10.0><PoolSize=8>>>>>";

// What the checks work on, made in OnSetup: a camera, a light, an object's item with a collision
// shape, the file's emitter, the scene's 2D layer with a window and widgets, the mixer, a raytracer,
// a picture, the animation sources of a motion the scene lacks, and numbers that are not numbers.
const char* const Fixture = R"(
local nan = 0.0 / 0.0, inf = 1.0 / 0.0;
local cam = SceneAddCamera(s, "Cam"), light = SceneAddLight(s, "Lamp"), object = SceneAddObject(s, "A");
local A = ObjectGetItem(object);
local shape = ItemAddCollisionShape(A);
ShapeSetMass(shape, 2);
ItemSetPhysicMode(A, PhysicModeDynamic);
local emitter = ItemCastToEmitter(SceneFindItem(s, "Sparks"));
local ui = SceneGetUI(s), window = UIAddWindow(ui, 1, 0, 0, 32, 32);
local sizer = UIAddHorizontalSizerWidget(ui, 2), spacer = UIAddSpacerWidget(ui, 3);
local text = UIAddStaticTextWidget(ui, 4, "text", ""), check = UIAddCheckWidget(ui, 5, "check", "", false);
local mixer = EngineGetMixer(g_engine), raytracer = EngineNewRaytracer(g_engine);
local picture = PictureNew();
local sources = SceneSetMotion(s, "none", 0);
)";

// Runs the checks in OnSetup after the fixture, with the helpers before the class; the scene then
// runs three frames.
std::string RunScript(const std::string& checks, const std::string& helpers = "")
{
    TemporaryDirectory directory;
    directory.WriteFile("s.nms", SceneFile);
    directory.WriteFile("s.nut", helpers + "class Main {\nframes = 0;\nfunction OnSetup(s) {\n" + Fixture +
                                     checks +
                                     "\n}\nfunction OnUpdate(s) { if (++frames == 3) SceneEnd(s); }\n}\n");
    const KestrunRun run =
        RunKestrun(directory.Path(), {"s.nms", "-r", "none", "-m", "none", "-CC", CoreData});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    return run.output;
}

struct RefusalCase
{
    const char* call;   // made with a value the native refuses
    const char* line;   // its one line
    const char* getter; // what reads the value back
    const char* kept;   // the value it reads, as before the call
};

const RefusalCase RefusalCases[] = {
    {"EngineSetClockScale(g_engine, nan)",
     "[*] EngineSetClockScale: the value nan is refused; it must be from -2.14748e+06 to 2.14748e+06.",
     "EngineGetClockScale(g_engine)", "1"},
    {"EngineSetClockScale(g_engine, 1e7)",
     "[*] EngineSetClockScale: the value 1e+07 is refused; it must be from -2.14748e+06 to 2.14748e+06.",
     "EngineGetClockScale(g_engine)", "1"},
    {"print(SystemRand(inf))", "[*] SystemRand: the value inf is refused; it must be a finite number.", "0",
     "0"},
    {"CameraSetFov(cam, nan)", "[*] CameraSetFov: the value nan is refused; it must be a finite number.",
     "CameraGetFov(cam) > 0", "true"},
    {"CameraSetAspectRatio(cam, -inf)",
     "[*] CameraSetAspectRatio: the value -inf is refused; it must be a finite number.",
     "CameraGetAspectRatio(cam)", "-1"},
    {"CameraSetClipping(cam, 0, 10)",
     "[*] CameraSetClipping: the value 0 is refused; it must be a finite number above 0.", "0", "0"},
    {"CameraSetClipping(cam, 2, 1)",
     "[*] CameraSetClipping: the value 1 is refused; it must be a finite number above 2.", "0", "0"},
    {"ShapeSetMass(shape, nan)",
     "[*] ShapeSetMass: the value nan is refused; it must be a finite number of at least 0.",
     "ShapeGetMass(shape)", "2"},
    {"ShapeSetMass(shape, -1)",
     "[*] ShapeSetMass: the value -1 is refused; it must be a finite number of at least 0.",
     "ShapeGetMass(shape)", "2"},
    {"ItemSetRotationOrder(A, 99)",
     "[*] ItemSetRotationOrder: the value 99 is refused; it must be one of the codes 0 to 6.",
     "ItemGetRotationOrder(A)", "4"},
    {"ItemSetPhysicMode(A, -1)",
     "[*] ItemSetPhysicMode: the value -1 is refused; it must be one of the codes 0 to 3.",
     "ItemGetPhysicMode(A)", "3"},
    {"ItemSetOpacity(A, nan)", "[*] ItemSetOpacity: the value nan is refused; it must be a finite number.",
     "ItemGetOpacity(A)", "1"},
    {"LightSetType(light, 99)",
     "[*] LightSetType: the value 99 is refused; it must be one of the codes 0 to 3.", "LightGetType(light)",
     "1"},
    {"LightSetRange(light, -5)",
     "[*] LightSetRange: the value -5 is refused; it must be a finite number of at least 0.",
     "LightGetRange(light) >= 0", "true"},
    {"LightSetDiffuseIntensity(light, inf)",
     "[*] LightSetDiffuseIntensity: the value inf is refused; it must be a finite number.",
     "LightGetDiffuseIntensity(light)", "1"},
    {"SceneSetFog(s, true, Vector(1, 0, 0), nan, 10)",
     "[*] SceneSetFog: the value nan is refused; it must be a finite number of at least 0.",
     "SceneGetFogFar(s)", "0"},
    {"SceneSetAmbientIntensity(s, nan)",
     "[*] SceneSetAmbientIntensity: the value nan is refused; it must be a finite number.",
     "SceneGetAmbientIntensity(s) >= 0", "true"},
    {"WindowSetOpacity(window, nan)",
     "[*] WindowSetOpacity: the value nan is refused; it must be a finite number.",
     "WindowGetOpacity(window)", "1"},
    {"WidgetSetHAlign(UIAddSpacerWidget(ui, 1), 2.5)",
     "[*] WidgetSetHAlign: the value 2.5 is refused; it must be one of the codes 0 to 5.", "0", "0"},
    {"MixerChannelSetPitch(mixer, 0, -1)",
     "[*] MixerChannelSetPitch: the value -1 is refused; it must be a finite number of at least 0.", "0",
     "0"},
    {"LightSetDiffuseColor(light, Vector(nan, 0, 0))",
     "[*] LightSetDiffuseColor: the value (nan, 0, 0, 1) is refused; it must be a vector of finite numbers.",
     "LightGetDiffuseColor(light).x", "1"},
    {"print(ObjectIsValid(UIAddWindow(ui, 2, nan, 0, 8, 8)))",
     "[*] UIAddWindow: the value nan is refused; it must be a finite number.", "0", "0"},
};

// Each call is refused with its one line and the getter reads what was there before; the checks run
// one after another in one scene.
TEST(NumberArgsRun, NumbersOutsideWhatANativeAcceptsAreRefusedAndTheOldValueKept)
{
    std::string checks;
    for (size_t index = 0; index < std::size(RefusalCases); ++index)
        checks += std::string(RefusalCases[index].call) + ";\nprint(\"row " + std::to_string(index) +
                  " \" + (" + RefusalCases[index].getter + "));\n";
    const std::string output = RunScript(checks);
    for (size_t index = 0; index < std::size(RefusalCases); ++index)
    {
        const RefusalCase& c = RefusalCases[index];
        SCOPED_TRACE(c.call);
        EXPECT_EQ(CountOccurrences(output, std::string(c.line) + "\n"), 1u) << output;
        EXPECT_TRUE(HasLine(output, "[S] row " + std::to_string(index) + " " + c.kept)) << output;
    }
    EXPECT_TRUE(HasLine(output, "[S] false")) << output; // the window with no place to stand
}

// The project's layers are kept in z order: a layer without a usable one is not added, and a layer
// keeps its order when given one that is no number.
TEST(NumberArgsRun, ProjectLayersNeedAnOrderThatIsANumber)
{
    TemporaryDirectory directory;
    directory.WriteFile(
        "game.ngp",
        "<NML=1.0>\n<Environment=<Name=\"Numbers\"><ScriptUnit=<Script=\"p.nut\"><Class=\"Game\">>>");
    directory.WriteFile("e.nms", "<NML=1.0>\n<Scene=<Items>>");
    directory.WriteFile("p.nut", R"(
class Game {
    function OnSetup(p) {
        local nan = 0.0 / 0.0, inf = 1.0 / 0.0;
        print("added " + ObjectIsValid(ProjectAddLayer(p, ProjectInstantiateScene(p, "e.nms"), nan)));
        local layer = ProjectAddLayer(p, ProjectInstantiateScene(p, "e.nms"), 2);
        ProjectLayerSetZOrder(layer, -inf);
        ProjectSetAll2DLayerOffset(p, inf, 0);
        print("order " + ProjectLayerGetZOrder(layer));
        ProjectEnd(p);
    }
}
)");
    const KestrunRun run =
        RunKestrun(directory.Path(), {"game.ngp", "-P", "-r", "none", "-m", "none", "-CC", CoreData});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ScriptLines(run.output), (std::vector<std::string>{"added false", "order 2"})) << run.output;
    for (const char* line :
         {"[*] ProjectAddLayer: the value nan is refused; it must be a finite number.",
          "[*] ProjectLayerSetZOrder: the value -inf is refused; it must be a finite number.",
          "[*] ProjectSetAll2DLayerOffset: the value inf is refused; it must be a finite number."})
        EXPECT_TRUE(HasLine(run.output, line)) << line << "\n" << run.output;
}

// Every native of the scene run that takes a number, and those that keep a colour, a place or a
// size, with "v" where the number goes (one row per number); the others get values they accept.
const char* const NumberCalls[] = {
    "AnimationSourceSetLoop(sources, v, 1)",
    "AnimationSourceSetLoop(sources, 0, v)",
    "AnimationSourceSetClock(sources, v)",
    "AnimationSourceSetClockScale(sources, v)",
    "AnimationSourceSetWeight(sources, v, 1)",
    "AnimationSourceSetWeight(sources, 1, v)",
    "CameraSetFov(cam, v)",
    "CameraSetFStop(cam, v)",
    "CameraSetFocalDistance(cam, v)",
    "CameraSetAspectRatio(cam, v)",
    "CameraSetClipping(cam, v, 100)",
    "CameraSetClipping(cam, 1, v)",
    "CameraScreenToWorld(cam, v, v)",
    "CameraScreenToWorldPlane(cam, 0, 0, v)",
    "Pow(v, 2)",
    "EmitterSetBirthRateScale(emitter, v)",
    "EmitterSetBirthSizeScale(emitter, v)",
    "EmitterSetBirthSpeedScale(emitter, v)",
    "EmitterSetBirthOpacityScale(emitter, v)",
    "EngineSetClockScale(g_engine, v)",
    "EngineSetFixedDeltaFrame(g_engine, v)",
    "EngineSetFixedFramerateCorrection(g_engine, v)",
    "EngineCreateCanvasTexture(g_engine, v, 8)",
    "EngineCreateTexture(g_engine, 8, v, false)",
    "ItemSetPriority(A, v)",
    "ItemSetOpacity(A, v)",
    "ItemSetAlpha(A, v)",
    "ItemMotionSlotSetTime(A, 0, v)",
    "ItemMotionSlotSetClockScale(A, 0, v)",
    "ItemMotionSetClockScale(A, v)",
    "ItemSetScriptLogicFrequency(A, v)",
    "ItemSetLinearDamping(A, v)",
    "ItemSetAngularDamping(A, v)",
    "ItemSetGravityScale(A, v)",
    "ItemPhysicVehicleSetForce(A, 0, v)",
    "ItemPhysicVehicleSetBrake(A, 0, v)",
    "ItemPhysicVehicleSetSteering(A, 0, v)",
    "LightSetDiffuseIntensity(light, v)",
    "LightSetSpecularIntensity(light, v)",
    "LightSetConeAngle(light, v)",
    "LightSetEdgeAngle(light, v)",
    "LightSetRange(light, v)",
    "LightSetVolumeRange(light, v)",
    "MixerSetGain(mixer, v)",
    "MixerChannelSetGain(mixer, 0, v)",
    "MixerChannelSetPitch(mixer, 0, v)",
    "MixerChannelSetPanning(mixer, 0, v)",
    "ObjectSetSkinMotionClockScale(object, v)",
    "PictureLine(picture, v, 0, 4, 4, Vector(1, 1, 1, 1))",
    "PictureSetPixel(picture, v, 0, Vector(1, 1, 1, 1))",
    "PictureGetPixel(picture, v, v)",
    "RaytracerSetAntialias(raytracer, true, 2, v, false)",
    "RendererClearFrame(g_render, v, 0, 0)",
    "RendererSetFog(g_render, true, Vector(1, 1, 1, 1), v, 10)",
    "RendererSetFog(g_render, true, Vector(1, 1, 1, 1), 1, v)",
    "RendererSetGlobalAspectRatio(g_render, v)",
    "RendererSetViewport(g_render, v, 0, 1, 1)",
    "RendererSetViewport(g_render, 0, 0, 1, v)",
    "SceneSetItemDeletionDelay(s, v)",
    "SceneSetAmbientIntensity(s, v)",
    "SceneSetFog(s, true, Vector(1, 0, 0), v, 10)",
    "SceneSetFog(s, true, Vector(1, 0, 0), 1, v)",
    "SceneSetMotion(s, \"none\", v)",
    "SceneSetMotionAdd(s, \"none\", v)",
    "SceneSuspendScriptUpdate(s, v)",
    "SceneSetPhysicFrequency(s, v)",
    "SceneCollisionRaytrace(s, Vector(0, 0, 0), Vector(0, 0, 1), 0, 0, v)",
    "SceneRaytraceTriggerList(s, Vector(0, 0, 0), Vector(0, 0, 1), v)",
    "ShapeSetSphere(shape, v)",
    "ShapeSetCapsule(shape, v, 1)",
    "ShapeSetCapsule(shape, 1, v)",
    "ShapeSetCylinder(shape, v, 1)",
    "ShapeSetCylinder(shape, 1, v)",
    "ShapeSetMass(shape, v)",
    "ShapeSetFriction(shape, v, 1)",
    "ShapeSetFriction(shape, 1, v)",
    "ShapeSetRestitution(shape, v)",
    "SystemSeedRand(v)",
    "SystemRand(v)",
    "UISetInternalResolution(ui, v, 480)",
    "UISetCursorAutoHideDelay(ui, v)",
    "UISetGlobalFadeEffect(ui, v)",
    "UISetGlobalFadeColor(ui, v, 0, 0)",
    "UIAddSprite(ui, 9, NullTexture, v, 0, 8, 8)",
    "UIAddSprite(ui, 9, NullTexture, 0, 0, 8, v)",
    "UIAddWindow(ui, v, v, 0, 8, 8)",
    "UIAddWindow(ui, 9, 0, 0, v, 8)",
    "UIAddBitmapWindow(ui, 9, \"\", 0, v, 8, 8)",
    "UIAddCanvasWidget(ui, 9, v, 8)",
    "UIAddHorizontalSizerWidget(ui, v)",
    "UIAddVerticalSizerWidget(ui, v)",
    "UIAddContainerWidget(ui, v)",
    "UIAddSpacerWidget(ui, v)",
    "UIAddBitmapWidget(ui, v, \"\")",
    "UIAddStaticTextWidget(ui, v, \"t\", \"\")",
    "UIAddCheckWidget(ui, v, \"c\", \"\", true)",
    "WindowSetZOrder(window, v)",
    "WindowGetChild(window, v)",
    "WindowSetPosition(window, v, 0)",
    "WindowSetPosition(window, 0, v)",
    "WindowSetRotation(window, v)",
    "WindowSetSize(window, v, 8)",
    "WindowSetSize(window, 8, v)",
    "WindowSetPivot(window, v, 0)",
    "WindowSetScale(window, v, 1)",
    "WindowSetOpacity(window, v)",
    "WindowSetStyle(window, v)",
    "WindowAddStyle(window, v)",
    "WindowRemoveStyle(window, v)",
    "WindowSetBackgroundColor(window, v)",
    "WindowSetEventHandler(window, v, function(e, t) {})",
    "WindowSetEventHandlerWithContext(window, v, null, function(e, t) {})",
    "WidgetSetEventHandler(spacer, v, function(e, t) {})",
    "WidgetSetEventHandlerWithContext(spacer, v, null, function(e, t) {})",
    "WidgetSetHAlign(spacer, v)",
    "WidgetSetVAlign(spacer, v)",
    "WidgetSetFormattingSize(spacer, v, 1)",
    "WidgetSetFormattingSize(spacer, 1, v)",
    "SizerSetBorderSize(sizer, v, 0, 0, 0)",
    "ContainerAddWidget(UIAddContainerWidget(ui, 8), spacer, v, 0, 4, 4)",
    "TextSetAlignment(text, v)",
    "TextSetFormat(text, v)",
    "TextSetSize(text, v)",
    "TextSetColor(text, v, 0, 0, 255)",
    "CheckWidgetSetLabelSize(check, v)",
    "LightSetDiffuseColor(light, Vector(v, 0, 0))",
    "LightSetSpecularColor(light, Vector(0, v, 0))",
    "ShapeSetBox(shape, Vector(v, 1, 1))",
    "ShapeSetPosition(shape, Vector(v, 0, 0))",
    "ShapeSetRotation(shape, Vector(0, 0, v))",
    "SceneSetAmbientColor(s, Vector(v, 0, 0))",
    "SceneSetBackgroundColor(s, Vector(0, 0, v))",
    "SceneSetFog(s, true, Vector(v, 0, 0), 1, 10)",
    "RendererSetFog(g_render, true, Vector(v, 1, 1, 1), 1, 10)",
    "ItemSetPosition(A, Vector(v, 0, 0))",
    "ItemSetRotation(A, Vector(0, v, 0))",
    "ItemSetScale(A, Vector(v, 1, 1))",
};

// What the groups of those natives read back as numbers or vectors.
const char* const NumberGetters[] = {
    "CameraGetFov(cam)",
    "CameraGetAspectRatio(cam)",
    "LightGetDiffuseIntensity(light)",
    "LightGetSpecularIntensity(light)",
    "LightGetConeAngle(light)",
    "LightGetEdgeAngle(light)",
    "LightGetRange(light)",
    "LightGetVolumeRange(light)",
    "ItemGetOpacity(A)",
    "ItemGetPosition(A)",
    "ItemGetScriptLogicFrequency(A)",
    "ItemGetMass(A)",
    "ItemGetGravity(A)",
    "ItemGetLinearVelocity(A)",
    "ShapeGetMass(shape)",
    "ShapeGetPosition(shape)",
    "SceneGetAmbientIntensity(s)",
    "SceneGetFogNear(s)",
    "SceneGetFogFar(s)",
    "SceneGetPhysicFrequency(s)",
    "EngineGetClockScale(g_engine)",
    "AnimationSourceGetClock(sources)",
    "UIGetInternalResolution(ui)",
    "WindowGetZOrder(window)",
    "WindowGetPosition(window)",
    "WindowGetSize(window)",
    "WindowGetPivot(window)",
    "WindowGetOpacity(window)",
    "RendererGetFogNear(g_render)",
    "RendererGetFogFar(g_render)",
    "RendererGetGlobalAspectRatio(g_render)",
    "RendererGetViewport(g_render)",
    "LightGetDiffuseColor(light)",
    "LightGetSpecularColor(light)",
    "ShapeGetRotation(shape)",
    "SceneGetAmbientColor(s)",
    "SceneGetBackgroundColor(s)",
    "SceneGetFogColor(s)",
    "ItemGetRotation(A)",
    "ItemGetScale(A)",
};

// Every number-taking native gets not a number and both infinities; a call the script machine or the
// native stops with an error is caught, the scene runs its frames, the run ends by itself (the
// sanitizers watch it) and no getter reads back a number that is not finite.
TEST(NumberArgsRun, NoNumberNativeKeepsANumberThatIsNotFinite)
{
    std::string checks;
    for (const char* bad : {"nan", "inf", "-inf"})
        for (const char* call : NumberCalls)
        {
            std::string text = call;
            for (size_t at = text.find('v'); at != std::string::npos; at = text.find('v', at + 1))
            {
                const bool standsAlone =
                    (at == 0 || !isalnum(static_cast<unsigned char>(text[at - 1]))) &&
                    (at + 1 == text.size() || !isalnum(static_cast<unsigned char>(text[at + 1])));
                if (standsAlone)
                {
                    text.replace(at, 1, bad);
                    at += std::string(bad).size() - 1;
                }
            }
            checks += "try { " + text + "; } catch (error) {}\n";
        }
    for (const char* getter : NumberGetters)
        checks += std::string("try { if (!Finite(") + getter + ")) print(\"not finite: " + getter +
                  "\"); } catch (error) { print(\"no answer: " + getter + " \" + error); }\n";
    checks += "print(\"swept\");\n";
    const std::string output = RunScript(checks, R"(
function Finite(value) {
    if (typeof value == "float") return value - value == 0;
    if (typeof value == "Vector") return Finite(value.x) && Finite(value.y) && Finite(value.z) && Finite(value.w);
    return true;
}
)");
    EXPECT_TRUE(HasLine(output, "[S] swept")) << output;
    EXPECT_EQ(output.find("[S] not finite"), std::string::npos) << output;
    EXPECT_EQ(output.find("[S] no answer"), std::string::npos) << output;
}

} // namespace
