#include "ui/Scene2DFixture.h"

#include "geometry/nTexture.h"
#include "script/binding/nScriptRegistrar.h"

#include <string>
#include <vector>

namespace
{
using Lines = std::vector<std::string>;

nScene2D* g_renderAgain = nullptr;

SQInteger RenderAgain(HSQUIRRELVM)
{
    g_renderAgain->Render(true);
    return 0;
}

class Scene2DRender : public Scene2DFixture
{
protected:
    // A 256 x 128 texture for sprites to show.
    nTexture* Texture()
    {
        if (!m_texture)
        {
            m_texture = new nTexture(&engine, 0, 1);
            m_texture->Allocate(256, 128, PixelFormatBGRA8);
        }
        return m_texture.Get();
    }
    nSprite2D* TexturedSprite(const char* name, float x, float y, float width, float height)
    {
        nSprite2D* sprite = AddSprite(name, x, y, width, height);
        sprite->SetTexture(Texture());
        return sprite;
    }
    std::vector<std::string> DrawnNames()
    {
        std::vector<std::string> names;
        for (auto* node = scene->GetItems().GetHead(); node; node = node->next)
            names.push_back(node->value->GetName().GetText());
        return names;
    }

    nSharedPtr<nTexture> m_texture;
};
} // namespace

TEST_F(Scene2DRender, AFadeDrawsTwoFullScreenTrianglesWithinZeroAndOne)
{
    for (float fade : {1.7f, 0.01f, -3.0f})
    {
        renderer.triangleBatches.clear();
        scene->SetFade(fade);
        scene->Render(true);
        if (fade < 1.0f)
        {
            EXPECT_TRUE(renderer.triangleBatches.empty()) << fade;
            continue;
        }
        ASSERT_EQ(renderer.triangleBatches.size(), 2u);
        float minimum = 0.0f, maximum = 0.0f;
        for (const auto& batch : renderer.triangleBatches)
            for (size_t vertex = 0; vertex < 3; ++vertex)
            {
                EXPECT_FLOAT_EQ(batch.colours[vertex].w, 1.0f);
                minimum = std::min({minimum, batch.vertices[vertex].x, batch.vertices[vertex].y});
                maximum = std::max({maximum, batch.vertices[vertex].x, batch.vertices[vertex].y});
            }
        EXPECT_FLOAT_EQ(minimum, -1.0f);
        EXPECT_FLOAT_EQ(maximum, 1.0f);
    }

    // The command list's fade reaches its target within the same bounds.
    scene->SetFade(0.0f);
    scene->SetFadeColor(255, 0, 0);
    ASSERT_GT(scene->SetCommandList("globalfade 0.1,1.7;"), 0);
    for (int frame = 0; frame < 10; ++frame)
        scene->Render(true);
    EXPECT_FLOAT_EQ(scene->GetFade(), 1.0f);
    EXPECT_TRUE(scene->IsCommandListDone());
    ASSERT_FALSE(renderer.triangleBatches.empty());
    const nVector& colour = renderer.triangleBatches.back().colours[0];
    EXPECT_FLOAT_EQ(colour.x, 1.0f);
    EXPECT_FLOAT_EQ(colour.y, 0.0f);
    EXPECT_FLOAT_EQ(colour.w, 1.0f);
}

TEST_F(Scene2DRender, ItemsDrawByZOrderWithStackingStylesAndTheCursorLast)
{
    TexturedSprite("a", 0, 0, 10, 10);
    TexturedSprite("b", 0, 0, 10, 10)->SetZOrder(0.9f);
    TexturedSprite("c", 0, 0, 10, 10);
    TexturedSprite("top", 0, 0, 10, 10)->AddStyle(StyleAlwaysOnTop);
    TexturedSprite("behind", 0, 0, 10, 10)->AddStyle(StyleAlwaysBehind);
    TexturedSprite("d", 0, 0, 10, 10)->SetZOrder(0.1f);
    scene->Render(true);
    EXPECT_EQ(DrawnNames(), (std::vector<std::string>{"top", "b", "a", "c", "d", "behind"}));
    EXPECT_EQ(renderer.triangleBatches.size(), 12u);
    scene->Render(true);
    EXPECT_EQ(DrawnNames(), (std::vector<std::string>{"top", "b", "a", "c", "d", "behind"}));
}

TEST_F(Scene2DRender, AQuadShowsTheUsedPartOfItsTextureAtItsEffectiveOpacity)
{
    nSprite2D* parent = TexturedSprite("parent", 0, 0, 64, 64);
    parent->SetOpacity(0.5f);
    nSprite2D* child = TexturedSprite("child", 640, 480, 128, 64);
    child->SetParent(parent);
    child->SetOpacity(0.5f);
    child->AddStyle(StyleBlendAdditive);
    child->SetFlags(SpriteFlagFlipU, true);
    scene->Render(true);
    ASSERT_EQ(renderer.triangleBatches.size(), 4u);
    const auto& first = renderer.triangleBatches[2];
    const auto& second = renderer.triangleBatches[3];
    EXPECT_FLOAT_EQ(first.colours[0].w, 0.25f);
    EXPECT_EQ(first.blendMode, nRenderer::BlendAdditive);
    EXPECT_EQ(renderer.triangleBatches[0].blendMode, nRenderer::BlendAlpha);
    EXPECT_EQ(first.texture, Texture());
    // Corner (0, 0) at the middle of the screen; (width, height) half a width and a height on.
    EXPECT_FLOAT_EQ(first.vertices[0].x, 0.0f);
    EXPECT_FLOAT_EQ(first.vertices[0].y, 0.0f);
    EXPECT_FLOAT_EQ(second.vertices[1].x, 0.2f);
    EXPECT_FLOAT_EQ(second.vertices[1].y, -2.0f * 64.0f / 960.0f);
    // Half of the texture's width and height, mirrored in u.
    ASSERT_EQ(first.uvs.size(), 6u);
    EXPECT_FLOAT_EQ(first.uvs[0], 0.5f);
    EXPECT_FLOAT_EQ(first.uvs[1], 0.0f);
    EXPECT_FLOAT_EQ(second.uvs[2], 0.0f);
    EXPECT_FLOAT_EQ(second.uvs[3], 0.5f);

    // The next frame sees the parent's new opacity; a child of a hidden parent still draws.
    parent->SetOpacity(0.25f);
    parent->SetFlags(SpriteFlagVisible, false);
    renderer.triangleBatches.clear();
    scene->Render(true);
    ASSERT_EQ(renderer.triangleBatches.size(), 2u);
    EXPECT_FLOAT_EQ(renderer.triangleBatches[0].colours[0].w, 0.125f);
}

TEST_F(Scene2DRender, AResolutionInvariantItemIsPlacedInOutputPixels)
{
    nSprite2D* sprite = TexturedSprite("s", 1280, 720, 10, 10);
    sprite->AddStyle(StyleResolutionInvariant);
    scene->Render(true);
    ASSERT_EQ(renderer.triangleBatches.size(), 2u);
    // After the scene's horizontal scale of 0.75 the corner lands on the output's far corner.
    EXPECT_FLOAT_EQ(renderer.triangleBatches[0].vertices[0].x * 0.75f, 1.0f);
    EXPECT_FLOAT_EQ(renderer.triangleBatches[0].vertices[0].y, -1.0f);
}

TEST_F(Scene2DRender, TheScriptUnitHearsSetupResetAndOneUpdateAFrame)
{
    files.Write("ui.nut", R"(
class Menu
{
    function OnSetup(ui) { print("setup " + Describe(ui)); }
    function OnReset(ui) { print("reset"); }
    function OnUpdate(ui, dt) { print("update " + dt); }
    function OnDelete(ui) { print("delete"); }
}
)");
    scene->GetScriptUnit().SetScript("ui.nut");
    scene->GetScriptUnit().SetClassName("Menu");
    ASSERT_TRUE(scene->Setup());
    scene->Reset();
    scene->Render(false);
    scene->Render(true);
    scene->Render(false);
    scene->Clear();
    EXPECT_EQ(ScriptLines(), (Lines{"setup 12:", "reset", "update 0.02", "update 0.02", "delete"}));
}

// A handler that asks for the scene's render from inside it is refused, not run again.
TEST_F(Scene2DRender, ARenderFromInsideARenderIsRefused)
{
    nSprite2D* sprite = AddSprite("s", 100, 100, 100, 100);
    RunScript("function Enter(e, t) { print(\"enter\"); RenderAgain(); }");
    g_renderAgain = scene;
    RegisterNative(vm.GetHandle(), RenderAgain, "RenderAgain", ".");
    sprite->SetEventHandler(EventMouseEnter, Function("Enter"), nullptr);
    Frame(150, 150);
    EXPECT_EQ(ScriptLines(), (Lines{"enter"}));
    EXPECT_NE(log.text.find("[*] A 2D scene cannot be rendered from inside its own render.\n"),
              std::string::npos);
}
