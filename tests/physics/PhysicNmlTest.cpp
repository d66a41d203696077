#include "PhysicsTestSupport.h"

#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "physics/nBulletConstraint.h"

#include <memory>
#include <string>

namespace
{
// The first root of an NML text.
struct ParsedTag
{
    explicit ParsedTag(const char* tag)
    {
        const std::string text = std::string("<NML=1.0>\n") + tag;
        EXPECT_TRUE(file.Parse(text.data(), text.size())) << text;
    }
    const nMetaTag* Get() const
    {
        nLinkedListIterator iterator;
        return file.GetNextRoot(iterator);
    }
    nMetaFile file;
};

const nMetaTag* Child(const nMetaTag* tag, const char* name)
{
    return tag->GetTag((std::string(name) + ";").c_str());
}

class PhysicNml : public PhysicsWorldFixture
{
};
} // namespace

TEST_F(PhysicNml, ShapeRoundTripsEveryWrittenKey)
{
    nPhysicShape shape;
    shape.kind = PhysicShapeMesh;
    shape.geometryName = "ground";
    shape.position = nVector(1, 2, 3);
    shape.rotation = nVector(0.1f, 0.2f, 0.3f);
    shape.scale = nVector(2, 2, 2);
    shape.dimensions = nVector(4, 5, 6);
    shape.mass = 2.5f;
    shape.staticFriction = 0.7f;
    shape.dynamicFriction = 0.6f;
    shape.restitution = 0.1f;
    std::unique_ptr<nMetaTag> tag(shape.SerializeTag());
    ASSERT_TRUE(tag);

    const char* const order[] = {"Type", "Position", "Rotation",       "Scale",           "Dimensions",
                                 "Mesh", "Mass",     "StaticFriction", "DynamicFriction", "Restitution"};
    nLinkedListIterator iterator;
    for (const char* name : order)
    {
        const nMetaTag* child = tag->GetNextChild(iterator);
        ASSERT_TRUE(child);
        EXPECT_TRUE(child->GetName() == name) << name;
    }

    nPhysicShape back;
    ASSERT_TRUE(back.ParseTag(tag.get()));
    EXPECT_EQ(PhysicShapeMesh, back.kind);
    EXPECT_TRUE(back.geometryName == "ground");
    ExpectNear(shape.position, back.position, 0.0f);
    ExpectNear(shape.rotation, back.rotation, 0.0f);
    ExpectNear(shape.scale, back.scale, 0.0f);
    ExpectNear(shape.dimensions, back.dimensions, 0.0f);
    EXPECT_EQ(2.5f, back.mass);
    EXPECT_EQ(0.7f, back.staticFriction);
    EXPECT_EQ(0.6f, back.dynamicFriction);
    EXPECT_EQ(0.1f, back.restitution);
}

TEST_F(PhysicNml, ShapeKindNamesReadAndWrite)
{
    const struct
    {
        const char* text;
        int32_t kind;
        const char* written;
    } cases[] = {{"Box", 1, "Box"},           {"Cuboid", 1, "Box"},
                 {"Sphere", 2, "Sphere"},     {"Convex", 3, "Convex"},
                 {"Cylinder", 4, "Cylinder"}, {"Cone", 5, "Cone"},
                 {"Capsule", 6, "Capsule"},   {"Mesh", 7, "Mesh"},
                 {"PolyMesh", 7, "Mesh"},     {"Heightmap", 8, "Heightmap"},
                 {"Polymesh", 0, nullptr},    {"box", 0, nullptr}};
    for (const auto& c : cases)
    {
        const std::string text = std::string("<PhysicShape=<Type=\"") + c.text + "\">>";
        ParsedTag parsed(text.c_str());
        nPhysicShape shape;
        ASSERT_TRUE(shape.ParseTag(parsed.Get()));
        EXPECT_EQ(c.kind, shape.kind) << c.text;
        std::unique_ptr<nMetaTag> written(shape.SerializeTag());
        const nMetaTag* type = Child(written.get(), "Type");
        if (!c.written)
        {
            EXPECT_FALSE(type) << c.text;
            continue;
        }
        ASSERT_TRUE(type);
        nString name;
        type->GetValue().GetString(name);
        EXPECT_TRUE(name == c.written) << c.text;
    }
    nPhysicShape odd;
    odd.kind = 42;
    std::unique_ptr<nMetaTag> written(odd.SerializeTag());
    nString name;
    Child(written.get(), "Type")->GetValue().GetString(name);
    EXPECT_TRUE(name == "None");
}

TEST_F(PhysicNml, ShapeMassOfOneIsNotWrittenAndReadsBackAsOne)
{
    nPhysicShape shape;
    shape.mass = 1.0f;
    std::unique_ptr<nMetaTag> tag(shape.SerializeTag());
    EXPECT_FALSE(Child(tag.get(), "Mass"));
    nPhysicShape back;
    ASSERT_TRUE(back.ParseTag(tag.get()));
    EXPECT_EQ(1.0f, back.mass);
}

TEST_F(PhysicNml, ShapeReadsOlderKeys)
{
    ParsedTag parsed(
        "<GColShape=<Type=\"Sphere\"><Dimensions=<X=3.0><Y=4.0><Z=5.0>><Radius=0.5>"
        "<Polymesh=\"rock\"><Active=1>"
        "<Orientation=<R0=<X=0.0><Y=0.0><Z=-1.0>><R1=<X=0.0><Y=1.0><Z=0.0>><R2=<X=1.0><Y=0.0><Z=0.0>>>>");
    PhysicsLog log;
    nPhysicShape shape;
    ASSERT_TRUE(shape.ParseTag(parsed.Get()));
    ExpectNear(nVector(0.5f, 4, 5), shape.dimensions, 0.0f);
    EXPECT_TRUE(shape.geometryName == "rock");
    ExpectNear(nVector(0, 1.5707964f, 0), shape.rotation, 1e-5f); // a quarter turn about y
    EXPECT_EQ("", log.text);
}

TEST_F(PhysicNml, UnknownChildrenAreReportedAndSkipped)
{
    const struct
    {
        const char* text;
        const char* message;
    } cases[] = {
        {"<PhysicShape=<Damping=1.0><Mass=2.0>>", "[*] Unknown tag 'Damping' in <PhysicShape>.\n"},
        {"<PhysicShape=<VStaticFriction=1.0>>", "[*] Unknown tag 'VStaticFriction' in <PhysicShape>.\n"},
        {"<PhysicWheel=<Grip=1.0>>", "[*] Unknown tag 'Grip' in <PhysicWheel>.\n"},
        {"<PhysicItem=<Weight=1.0>>", "[*] Unknown tag 'Weight' in <nPhysicItem>.\n"},
        {"<Constraint=<Axis=1.0>>", "[*] Unknown tag 'Axis' in <PhysicConstraint>.\n"},
    };
    for (const auto& c : cases)
    {
        ParsedTag parsed(c.text);
        PhysicsLog log;
        nPhysicShape shape;
        nPhysicWheel wheel;
        nBulletConstraint constraint(&world);
        const std::string root = parsed.Get()->GetName().GetText();
        if (root == "PhysicShape")
            EXPECT_TRUE(shape.ParseTag(parsed.Get()));
        else if (root == "PhysicWheel")
            EXPECT_TRUE(wheel.ParseTag(parsed.Get()));
        else if (root == "PhysicItem")
            EXPECT_TRUE(NewItem(PhysicModeNone)->ParseTag(parsed.Get()));
        else
            EXPECT_TRUE(constraint.ParseTag(parsed.Get()));
        EXPECT_EQ(c.message, log.text);
        if (root == "PhysicShape" && std::string(c.text).find("Mass") != std::string::npos)
        {
            EXPECT_EQ(2.0f, shape.mass);
        }
    }
}

TEST_F(PhysicNml, WrongRootsAreRefusedAndChangeNothing)
{
    ParsedTag parsed("<Item=<Mode=\"Dynamic\"><Type=\"Box\">>");
    PhysicsLog log;
    nPhysicItem* item = NewItem(PhysicModeStatic);
    item->AddShape();
    nPhysicShape shape;
    shape.mass = 3.0f;
    nPhysicWheel wheel;
    nBulletConstraint constraint(&world);
    EXPECT_FALSE(item->ParseTag(parsed.Get()));
    EXPECT_FALSE(shape.ParseTag(parsed.Get()));
    EXPECT_FALSE(wheel.ParseTag(parsed.Get()));
    EXPECT_FALSE(constraint.ParseTag(parsed.Get()));
    EXPECT_EQ("[!] Could not parse physic item. Root tag id is incorrect (Item).\n"
              "[!] Could not parse physic shape. Root tag id is incorrect (Item).\n"
              "[!] Could not parse physic wheel. Root tag id is incorrect (Item).\n"
              "[!] Could not parse physic constraint. Root tag id is incorrect (Item).\n",
              log.text);
    EXPECT_EQ(PhysicModeStatic, item->GetMode());
    EXPECT_EQ(1u, item->GetShapes().GetCount());
    EXPECT_EQ(3.0f, shape.mass);
    EXPECT_EQ(PhysicConstraintPoint, constraint.GetType());
}

TEST_F(PhysicNml, WheelRoundTripsAndWritesIsFrontOnlyWhenTrue)
{
    nPhysicWheel wheel;
    wheel.friction = 20.0f;
    wheel.radius = 0.4f;
    wheel.referenceMatrix = nMatrix4::FromTranslation(1, -0.5f, 2);
    wheel.restLength = 0.6f;
    wheel.maxCompression = 0.3f;
    wheel.stiffness = 40.0f;
    wheel.damping = 0.5f;
    std::unique_ptr<nMetaTag> tag(wheel.SerializeTag());
    EXPECT_FALSE(Child(tag.get(), "IsFront"));
    const char* const order[] = {"Friction",       "Radius",    "RefMatrix", "RestLength",
                                 "MaxCompression", "Stiffness", "Damping"};
    nLinkedListIterator iterator;
    for (const char* name : order)
        EXPECT_TRUE(tag->GetNextChild(iterator)->GetName() == name) << name;

    nPhysicWheel back;
    back.isFront = true;
    ASSERT_TRUE(back.ParseTag(tag.get()));
    EXPECT_FALSE(back.isFront);
    EXPECT_EQ(20.0f, back.friction);
    EXPECT_EQ(0.4f, back.radius);
    EXPECT_FALSE(back.referenceMatrix.DiffersFrom(wheel.referenceMatrix));
    EXPECT_EQ(0.6f, back.restLength);
    EXPECT_EQ(0.3f, back.maxCompression);
    EXPECT_EQ(40.0f, back.stiffness);
    EXPECT_EQ(0.5f, back.damping);

    wheel.isFront = true;
    std::unique_ptr<nMetaTag> front(wheel.SerializeTag());
    ASSERT_TRUE(Child(front.get(), "IsFront"));
    nPhysicWheel frontBack;
    frontBack.ParseTag(front.get());
    EXPECT_TRUE(frontBack.isFront);

    ParsedTag asNumbers("<PhysicWheel=<IsFront=0.0>>");
    frontBack.ParseTag(asNumbers.Get());
    EXPECT_FALSE(frontBack.isFront);
    ParsedTag asInteger("<PhysicWheel=<IsFront=7>>");
    frontBack.ParseTag(asInteger.Get());
    EXPECT_TRUE(frontBack.isFront);
}

TEST_F(PhysicNml, ItemRoundTripsWithShapesAndWheels)
{
    nPhysicItem* item = NewItem(PhysicModeVehicle);
    item->SetSelfMask(6);
    item->SetMask(0x30001);
    item->SetLinearDamping(0.9f);
    item->SetAngularDamping(0.8f);
    AddBox(item, nVector(2, 1, 4), 3.0f);
    item->AddShape()->SetPrimitive(PhysicShapeSphere, nVector(0.5f, 0, 0));
    item->AddWheel()->radius = 0.45f;
    std::unique_ptr<nMetaTag> tag(item->SerializeTag());
    ASSERT_TRUE(tag);
    const char* const order[] = {"SelfMask", "Mask",  "LinearDamping_v2", "AngularDamping_v2", "Mode",
                                 "Shapes",   "Wheels"};
    nLinkedListIterator iterator;
    for (const char* name : order)
        EXPECT_TRUE(tag->GetNextChild(iterator)->GetName() == name) << name;

    nPhysicItem* back = NewItem(PhysicModeNone);
    ASSERT_TRUE(back->ParseTag(tag.get()));
    EXPECT_EQ(PhysicModeVehicle, back->GetMode());
    EXPECT_EQ(6, back->GetSelfMask());
    EXPECT_EQ(0x30001, back->GetMask());
    EXPECT_EQ(0.9f, back->GetLinearDamping());
    EXPECT_EQ(0.8f, back->GetAngularDamping());
    ASSERT_EQ(2u, back->GetShapes().GetCount());
    EXPECT_EQ(PhysicShapeBox, back->GetShapes().GetHead()->value->kind);
    EXPECT_EQ(3.0f, back->GetShapes().GetHead()->value->mass);
    EXPECT_EQ(PhysicShapeSphere, back->GetShapes().GetTail()->value->kind);
    ASSERT_EQ(1u, back->GetWheels().GetCount());
    EXPECT_EQ(0.45f, back->GetWheels().GetHead()->value->radius);

    nPhysicItem* empty = NewItem(PhysicModeNone);
    std::unique_ptr<nMetaTag> bare(empty->SerializeTag());
    EXPECT_FALSE(Child(bare.get(), "Shapes"));
    EXPECT_FALSE(Child(bare.get(), "Wheels"));
}

TEST_F(PhysicNml, ItemReadsOldKeysAndRoots)
{
    const char* const roots[] = {"PhysicItem", "TauItem", "GColItem"};
    for (const char* root : roots)
    {
        const std::string text =
            std::string("<") + root +
            "=<LinearDamping=0.5><AngularDamping=0.25><Flag=1><Active=1><Mode=\"Kinematic\">>";
        ParsedTag parsed(text.c_str());
        PhysicsLog log;
        nPhysicItem* item = NewItem(PhysicModeNone);
        ASSERT_TRUE(item->ParseTag(parsed.Get())) << root;
        EXPECT_EQ(0.5f, item->GetLinearDamping());
        EXPECT_EQ(0.25f, item->GetAngularDamping());
        EXPECT_EQ(PhysicModeKinematic, item->GetMode());
        EXPECT_EQ("", log.text);
    }
}

TEST_F(PhysicNml, ItemWithoutModeKeepsItAndMasksResetToOne)
{
    ParsedTag parsed("<PhysicItem=<Mode=\"Flying\">>");
    nPhysicItem* item = NewItem(PhysicModeNone);
    item->SetSelfMask(4);
    item->SetMask(8);
    AddBox(item, nVector(1, 1, 1), 1.0f);
    ASSERT_TRUE(item->ParseTag(parsed.Get()));
    EXPECT_EQ(PhysicModeNone, item->GetMode());
    EXPECT_EQ(1, item->GetSelfMask());
    EXPECT_EQ(1, item->GetMask());
    EXPECT_EQ(0u, item->GetShapes().GetCount());
}

TEST_F(PhysicNml, UnsupportedModeIsWrittenAsNone)
{
    nPhysicItem* item = NewItem(9);
    PhysicsLog log;
    std::unique_ptr<nMetaTag> tag(item->SerializeTag());
    nString mode;
    Child(tag.get(), "Mode")->GetValue().GetString(mode);
    EXPECT_TRUE(mode == "None");
    EXPECT_EQ("[*] Unsupported physic mode (9).\n", log.text);
}

TEST_F(PhysicNml, RereadVehicleGetsOneSetOfWheelsAndLegacyReadKeepsThem)
{
    ParsedTag vehicle("<PhysicItem=<Mode=\"Vehicle\"><Wheels=<PhysicWheel=<Radius=0.4>>"
                      "<PhysicWheel=<Radius=0.5>>>>");
    nPhysicItem* item = NewItem(PhysicModeNone);
    ASSERT_TRUE(item->ParseTag(vehicle.Get()));
    ASSERT_TRUE(item->ParseTag(vehicle.Get()));
    ASSERT_EQ(2u, item->GetWheels().GetCount());
    EXPECT_EQ(0.5f, item->GetWheels().GetTail()->value->radius);

    ParsedTag legacy("<GColItem=<Mode=\"Vehicle\">>");
    ASSERT_TRUE(item->ParseTag(legacy.Get()));
    EXPECT_EQ(2u, item->GetWheels().GetCount());
}

TEST_F(PhysicNml, ConstraintRoundTripsAndNoneHasNoType)
{
    const int32_t types[] = {PhysicConstraintNone, PhysicConstraintPoint, PhysicConstraintHinge};
    for (int32_t type : types)
    {
        nBulletConstraint constraint(&world);
        constraint.SetType(type);
        constraint.SetPivotA(nMatrix4::FromTranslation(1, 2, 3));
        constraint.SetPivotB(nMatrix4::FromTranslation(-1, 0, 0));
        std::unique_ptr<nMetaTag> tag(constraint.SerializeTag());
        EXPECT_EQ(type != PhysicConstraintNone, Child(tag.get(), "Type") != nullptr);
        nBulletConstraint back(&world);
        ASSERT_TRUE(back.ParseTag(tag.get()));
        EXPECT_EQ(type, back.GetType());
        EXPECT_FALSE(back.GetPivotA().DiffersFrom(constraint.GetPivotA()));
        EXPECT_FALSE(back.GetPivotB().DiffersFrom(constraint.GetPivotB()));
    }
    ParsedTag untyped("<Constraint=<PivotA=<R0=<X=1.0><Y=0.0><Z=0.0><W=0.0>><R1=<X=0.0><Y=1.0><Z=0.0><W=0.0>>"
                      "<R2=<X=0.0><Y=0.0><Z=1.0><W=0.0>><R3=<X=5.0><Y=0.0><Z=0.0><W=1.0>>>>");
    nBulletConstraint constraint(&world);
    ASSERT_TRUE(constraint.ParseTag(untyped.Get()));
    EXPECT_EQ(PhysicConstraintNone, constraint.GetType());
    EXPECT_EQ(5.0f, constraint.GetPivotA().GetTranslation().x);
}
