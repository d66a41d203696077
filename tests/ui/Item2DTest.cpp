#include "ui/Scene2DFixture.h"

#include "geometry/nTexture.h"
#include "ui/nItem2DMath.h"

#include <cmath>

namespace
{
class Item2D : public Scene2DFixture
{
};

void ExpectPoint(const nMatrix3& matrix, float x, float y, float expectedX, float expectedY)
{
    float outX = 0.0f, outY = 0.0f;
    TransformPoint2D(matrix, x, y, outX, outY);
    EXPECT_NEAR(outX, expectedX, 1e-4f);
    EXPECT_NEAR(outY, expectedY, 1e-4f);
}
} // namespace

TEST_F(Item2D, SizesStayAtLeastOnePixel)
{
    nSprite2D* sprite = AddSprite("s", 0, 0, 10, 10);
    sprite->SetSize(0.0f, -5.0f);
    EXPECT_EQ(sprite->GetWidth(), 1.0f);
    EXPECT_EQ(sprite->GetHeight(), 1.0f);
    const nRect rect = sprite->GetRect();
    EXPECT_EQ(rect.x1, 1);
    EXPECT_EQ(rect.y1, 1);
    sprite->SetSize(1.0e20f, 2.5f);
    EXPECT_EQ(sprite->GetRect().x1, INT32_MAX);
    EXPECT_EQ(sprite->GetRect().y1, 2);
}

TEST_F(Item2D, MatricesScaleAboutThePivotRotateAndFollowTheParent)
{
    nSprite2D* parent = AddSprite("parent", 100, 50, 10, 10);
    nSprite2D* child = AddSprite("child", 10, 0, 20, 20);
    child->SetParent(parent);
    child->SetPivot(5, 5);
    child->SetScale(2, 3);
    ExpectPoint(child->GetWorldMatrix(), 5, 5, 110, 50);
    ExpectPoint(child->GetWorldMatrix(), 6, 6, 112, 53);
    const nRect quad = child->ComputeQuad();
    EXPECT_EQ(quad.x0, 100);
    EXPECT_EQ(quad.y0, 35);
    EXPECT_EQ(quad.x1, 140);
    EXPECT_EQ(quad.y1, 95);
    parent->SetAngle(3.14159265f / 2.0f);
    // A quarter turn with y down takes +x to +y.
    ExpectPoint(child->GetWorldMatrix(), 6, 5, 100, 62);
    float backX = 0.0f, backY = 0.0f;
    TransformPoint2D(child->GetInverseWorldMatrix(), 100, 62, backX, backY);
    EXPECT_NEAR(backX, 6.0f, 1e-4f);
    EXPECT_NEAR(backY, 5.0f, 1e-4f);
}

TEST_F(Item2D, AParentCannotBeTheItemOrOneOfItsDescendants)
{
    nSprite2D* a = AddSprite("a", 0, 0, 10, 10);
    nSprite2D* b = AddSprite("b", 0, 0, 10, 10);
    nSprite2D* c = AddSprite("c", 0, 0, 10, 10);
    ASSERT_TRUE(b->SetParent(a));
    ASSERT_TRUE(c->SetParent(b));
    EXPECT_TRUE(c->IsDescendantOf(a));
    EXPECT_TRUE(c->IsDescendantOf(c));
    EXPECT_FALSE(a->IsDescendantOf(c));
    log.text.clear();
    EXPECT_FALSE(a->SetParent(c));
    EXPECT_FALSE(b->SetParent(b));
    EXPECT_EQ(a->GetParent(), nullptr);
    EXPECT_EQ(b->GetParent(), a);
    EXPECT_EQ(log.text,
              "[*] 2D item 'a' cannot become a child of 'c', which is itself or one of its descendants.\n"
              "[*] 2D item 'b' cannot become a child of 'b', which is itself or one of its descendants.\n");
    scene->DeleteItem(b);
    EXPECT_EQ(c->GetParent(), nullptr);
    EXPECT_TRUE(a->GetChildren().IsEmpty());
}

TEST_F(Item2D, CommandsMoveFadeScaleTurnShowAndHide)
{
    nSprite2D* sprite = AddSprite("s", 0, 0, 10, 10);
    ASSERT_GT(
        sprite->SetCommandList("toposition 0.1,100,50 + toscale 0.1,2,4 + toangle 0.1,90 + toalpha 0.1,0.25; "
                               "hide 0; show 0.2;"),
        0);
    bool hidden = false;
    for (int frame = 0; frame < 30 && !sprite->IsCommandListDone(); ++frame)
    {
        scene->Render(true);
        hidden = hidden || !sprite->HasFlag(SpriteFlagVisible);
    }
    EXPECT_TRUE(sprite->IsCommandListDone());
    EXPECT_TRUE(hidden);
    EXPECT_TRUE(sprite->HasFlag(SpriteFlagVisible));
    EXPECT_NEAR(sprite->GetX(), 100.0f, 1e-3f);
    EXPECT_NEAR(sprite->GetY(), 50.0f, 1e-3f);
    EXPECT_NEAR(sprite->GetScaleY(), 4.0f, 1e-4f);
    EXPECT_NEAR(sprite->GetAngle(), 1.5707963f, 1e-4f);
    EXPECT_NEAR(sprite->GetOpacity(), 0.25f, 1e-4f);

    // Opacity stays within 0..1 whatever a command or a setter asks.
    sprite->SetCommandList("toalpha 0.02,3;");
    scene->Render(true);
    EXPECT_FLOAT_EQ(sprite->GetOpacity(), 1.0f);
    sprite->SetOpacity(-1.0f);
    EXPECT_FLOAT_EQ(sprite->GetOpacity(), 0.0f);
    log.text.clear();
    EXPECT_EQ(sprite->SetCommandList("globalwarp 1;"), -1);
    EXPECT_EQ(log.text, "[!] Undefined ACE command 'globalwarp'.\n");
}

TEST_F(Item2D, ATextureWithoutPixelsIsShownWhole)
{
    nSharedPtr<nTexture> texture(new nTexture(&engine, 0, 1));
    nSprite2D* sprite = AddSprite("s", 0, 0, 100, 50);
    sprite->SetTexture(texture.Get());
    scene->Render(true);
    ASSERT_EQ(renderer.triangleBatches.size(), 2u);
    EXPECT_FLOAT_EQ(renderer.triangleBatches[1].uvs[2], 1.0f);
    EXPECT_FLOAT_EQ(renderer.triangleBatches[1].uvs[3], 1.0f);
}
