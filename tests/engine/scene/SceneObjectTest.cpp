#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "engine/items/nMCamera.h"
#include "engine/items/nMObject.h"
#include "engine/scene/SceneFileFixture.h"
#include "geometry/nGeometry.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
// A triangle whose three corners bone 0 moves; bone 1 moves none.
nGeometry* SkinnedTriangle(uint32_t firstBone = 0)
{
    auto* geometry = new nGeometry(nullptr);
    geometry->vertices.Resize(3);
    *geometry->vertices.At(1) = nVector(1, 0, 0);
    *geometry->vertices.At(2) = nVector(0, 1, 0);
    geometry->box = nMinMax(nVector(0, 0, 0), nVector(1, 1, 0));
    geometry->AllocateSkin(2);
    geometry->weights.Resize(3);
    for (uint32_t vertex = 0; vertex < 3; ++vertex)
    {
        geometry->weights.At(vertex)->weights[0] = 1.0f;
        geometry->weights.At(vertex)->bones[0] = uint16_t(firstBone);
    }
    return geometry;
}

void ExpectBox(const nMinMax& box, const nVector& min, const nVector& max)
{
    EXPECT_FALSE(box.min.DiffersFrom(min)) << box.min.x << " " << box.min.y << " " << box.min.z;
    EXPECT_FALSE(box.max.DiffersFrom(max)) << box.max.x << " " << box.max.y << " " << box.max.z;
}

using SceneObject = SceneFileFixture;

TEST_F(SceneObject, BonesMoveTheSkinAndItsBox)
{
    nSharedPtr<nGeometry> geometry = SkinnedTriangle();
    nMObject* body = scene->NewObject("Body", geometry.Get());
    nObject& object = body->GetObject();
    ASSERT_EQ(object.GetBoneCount(), 2u);
    object.UpdateSkin();
    EXPECT_FALSE(object.GetSkin()->matrices.At(0)->DiffersFrom(nMatrix4()));

    nMCamera* bone = scene->NewCamera("Bone");
    bone->GetItem()->SetPosition(nVector(1, 0, 0));
    EXPECT_TRUE(object.BindBone(0, bone->GetItem()));
    EXPECT_TRUE(bone->GetItem()->GetFlags() & ItemFlagSkinBone);
    EXPECT_FALSE(object.BindBone(2, bone->GetItem()));
    object.UpdateSkin();
    EXPECT_FALSE(object.GetSkin()->matrices.At(0)->DiffersFrom(nMatrix4::FromTranslation(1, 0, 0)));
    EXPECT_FALSE(object.GetSkin()->matrices.At(1)->DiffersFrom(nMatrix4()));
    nMinMax box;
    object.GetMinMax(box);
    ExpectBox(box, nVector(0, 0, 0), nVector(2, 1, 0)); // bone 1 adds the origin
    bone->GetItem()->SetPosition(nVector(3, 0, 0));
    scene->Update();
    object.GetMinMax(box);
    ExpectBox(box, nVector(0, 0, 0), nVector(4, 1, 0));
    body->GetItem()->SetPosition(nVector(0, 0, 2)); // the skin is in the object's own space
    object.UpdateSkin();
    object.GetWorldMinMax(box);
    ExpectBox(box, nVector(0, 0, 0), nVector(4, 1, 2));

    object.SetGeometry(geometry.Get());
    EXPECT_EQ(object.GetBone(0), bone->GetItem());
    nSharedPtr<nGeometry> other = SkinnedTriangle();
    object.SetGeometry(other.Get());
    EXPECT_EQ(object.GetBone(0), nullptr);
    object.SetGeometry(nullptr);
    EXPECT_EQ(object.GetBoneCount(), 0u);
    EXPECT_FALSE(object.BindBone(0, bone->GetItem()));
}

TEST_F(SceneObject, AWeightNamingAMissingBoneIsSkipped)
{
    nSharedPtr<nGeometry> geometry = SkinnedTriangle(7);
    nObject& object = scene->NewObject("Body", geometry.Get())->GetObject();
    ASSERT_EQ(object.GetBoneCount(), 2u);
    nMinMax box;
    object.GetMinMax(box);
    ExpectBox(box, nVector(0, 0, 0), nVector(0, 0, 0));
}

TEST_F(SceneObject, ADeletedBoneIsUnbound)
{
    nSharedPtr<nGeometry> geometry = SkinnedTriangle();
    nObject& object = scene->NewObject("Body", geometry.Get())->GetObject();
    nMCamera* bone = scene->NewCamera("Bone");
    object.BindBone(0, bone->GetItem());
    object.BindBone(1, bone->GetItem());
    bone->GetItem()->SetFlag(ItemFlagSkinBone, false); // the mark stays: nothing clears it
    EXPECT_TRUE(bone->GetItem()->GetFlags() & ItemFlagSkinBone);
    scene->DeleteItem(bone);
    scene->FlushDeletionQueue();
    EXPECT_EQ(object.GetBone(0), nullptr);
    EXPECT_EQ(object.GetBone(1), nullptr);
    object.UpdateSkin();
}

TEST_F(SceneObject, TheStaticFlagPicksTheCullingSystem)
{
    nMObject* object = scene->NewObject("Rock");
    nRenderable* renderable = &object->GetObject();
    EXPECT_TRUE(scene->GetSimpleCulling().GetMembers().Find(renderable));
    object->SetFlag(MItemFlagStatic, true);
    EXPECT_FALSE(scene->GetSimpleCulling().GetMembers().Find(renderable));
    EXPECT_TRUE(scene->GetOctreeCulling().GetMembers().Find(renderable));
    object->SetFlag(MItemFlagStatic, false);
    EXPECT_TRUE(scene->GetSimpleCulling().GetMembers().Find(renderable));
    EXPECT_FALSE(scene->GetOctreeCulling().GetMembers().Find(renderable));

    WriteFile("s.nms", "<NML=1.0>\n<Scene=<Items=<MObject=<MItem=<Id=\"Wall\"><UId=0><Active><Static>>"
                       "<Object=<Item>>>>>\n");
    ASSERT_TRUE(scene->LoadFromFile("@scripts/s.nms", nullptr, ImportFlagAll, 0));
    nMObject* wall = scene->FindObject("Wall");
    ASSERT_TRUE(wall);
    EXPECT_TRUE(scene->GetOctreeCulling().GetMembers().Find(&wall->GetObject()));
    EXPECT_TRUE(wall->GetObject().IsRenderable());
    scene->ActivateItem(wall, false, false);
    EXPECT_FALSE(wall->GetObject().IsRenderable());
    scene->DeleteItem(wall);
    scene->FlushDeletionQueue();
    EXPECT_EQ(scene->GetOctreeCulling().GetMembers().GetCount(), 0u);
    EXPECT_EQ(scene->GetSimpleCulling().GetMembers().GetCount(), 1u);
    RunFrame(); // the tree rebuilds without the deleted object (ASan)
}

const char* const BodyGeometry =
    "<NML=1.0>\n<Geometry=<AVertex=<Count=3><Data=<V=<X=0.0><Y=0.0><Z=0.0>><V=<X=1.0><Y=0.0><Z=0.0>>"
    "<V=<X=0.0><Y=1.0><Z=0.0>>>><APolygon=<Count=1><BindingCount=3><Data=<Polygon=<Count=3><Material=0>"
    "<Index=0><Index=1><Index=2>>>><Materials=<Material=<Glossiness=0.5>>>"
    "<Skin=<Bones=<Id=\"hip\"><Id=\"knee\">><Weights=<W=\"0,1,0,0:255,0,0,0\"><W=\"0,1,0,0:255,0,0,0\">"
    "<W=\"1,0,0,0:255,0,0,0\">>>>\n";

std::string SkinScene(const std::string& bones)
{
    return "<NML=1.0>\n<Scene=<Items=<MObject=<MItem=<Id=\"Body\"><UId=0><Active>><Object=<Item>"
           "<Geometry=\"@scripts/body.nml\">>><MCamera=<MItem=<Id=\"Hip\"><UId=1><Active>><Camera=<Item>>>>"
           "<Skins=<Skin=<UId=0>" +
           bones + ">>>\n";
}

TEST_F(SceneObject, SkinsAreBoundFromTheFileAndWrittenBack)
{
    WriteFile("body.nml", BodyGeometry);
    WriteFile("s.nms", SkinScene("<Bone=<Index=1><UId=1>>"));
    ASSERT_TRUE(scene->LoadFromFile("@scripts/s.nms", nullptr, ImportFlagAll, 0));
    nObject& body = scene->FindObject("Body")->GetObject();
    ASSERT_EQ(body.GetBoneCount(), 2u) << log;
    EXPECT_EQ(body.GetBone(0), nullptr);
    EXPECT_EQ(body.GetBone(1), scene->FindCamera("Hip")->GetItem());

    nMetaFile file;
    nMetaTag* root = scene->Serialize(file, nullptr, ImportFlagAll);
    ASSERT_TRUE(root);
    const nMetaTag* skin = root->GetTag("Skins:Skin");
    ASSERT_TRUE(skin);
    int32_t uid = -1, index = -1, boneUid = -1;
    skin->GetTag("UId")->GetValue().GetInt(uid);
    const nMetaTag* bone = skin->GetTag("Bone");
    ASSERT_TRUE(bone);
    bone->GetTag("Index")->GetValue().GetInt(index);
    bone->GetTag("UId")->GetValue().GetInt(boneUid);
    EXPECT_EQ(uid, scene->FindObject("Body")->GetUid());
    EXPECT_EQ(index, 1);
    EXPECT_EQ(boneUid, scene->FindCamera("Hip")->GetUid());
    nMatrix4 bind;
    EXPECT_TRUE(bind.Parse(bone->GetTag("BindMatrix")));
    EXPECT_EQ(skin->GetChildCount(), 2u); // UId and the one bound bone

    // Read back into a second copy of the content.
    ASSERT_TRUE(file.Save("@scripts/back.nms"));
    ASSERT_TRUE(scene->LoadFromFile("@scripts/back.nms", nullptr, ImportFlagAll, 0));
    nObject& copy = scene->GetObjects().GetTail()->value->GetObject();
    ASSERT_NE(&copy, &body);
    nItem* hipCopy = nullptr;
    for (auto* node = scene->GetCameras().GetHead(); node; node = node->next)
        if (node->value->GetName() == "Hip")
            hipCopy = node->value->GetItem();
    EXPECT_NE(hipCopy, body.GetBone(1));
    EXPECT_EQ(copy.GetBone(1), hipCopy);
}

TEST_F(SceneObject, BadBonesAreReportedOneByOne)
{
    WriteFile("body.nml", BodyGeometry);
    struct Case
    {
        const char* bones;
        const char* line;
    };
    const Case cases[] = {
        {"<Bone=<Index=0>>", "[!] Invalid bone information, incomplete bone tag."},
        {"<Bone=<Index=1.0><UId=1>>", "[!] Invalid bone information, incomplete bone tag."},
        {"<Bone=<Index=2><UId=1>>", "[!] Invalid bone information, bone index out of bound."},
        {"<Bone=<Index=-1><UId=1>>", "[!] Invalid bone information, bone index out of bound."},
        {"<Bone=<Index=0><UId=9>>", "[!] Invalid bone information, item Uid out of bound."},
    };
    for (const Case& test : cases)
    {
        log.clear();
        WriteFile("s.nms", SkinScene(test.bones));
        ASSERT_TRUE(scene->LoadFromFile("@scripts/s.nms", nullptr, ImportFlagAll, 0));
        EXPECT_EQ(CountLines(test.line), 1u) << test.bones << "\n" << log;
        EXPECT_EQ(scene->GetObjects().GetTail()->value->GetObject().GetBone(0), nullptr);
    }
    // A UID within the file whose item the flags left out does not exist.
    log.clear();
    WriteFile("s.nms", SkinScene("<Bone=<Index=0><UId=1>>"));
    ASSERT_TRUE(scene->LoadFromFile("@scripts/s.nms", nullptr, ImportFlagObject, 0));
    EXPECT_EQ(CountLines("[!] Invalid bone information, item Uid does not exist."), 1u) << log;
}
} // namespace
