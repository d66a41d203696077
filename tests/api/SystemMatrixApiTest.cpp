#include "ScriptApiFixture.h"

#include "core/math/nMatrix3.h"
#include "core/math/nMatrix4.h"
#include "script/classes/ScriptMatrix.h"

#include <sstream>

namespace
{
using SystemMatrixApiTest = ScriptApiFixture;

// The root-table Matrix4 the script left under the name.
nMatrix4 RootMatrix4(nSquirrelVM& machine, const char* name)
{
    HSQUIRRELVM vm = machine.GetHandle();
    nMatrix4 matrix;
    sq_pushroottable(vm);
    sq_pushstring(vm, name, -1);
    if (SQ_SUCCEEDED(sq_rawget(vm, -2)))
    {
        if (const nMatrix4* held = GetMatrix4Instance(vm, -1))
            matrix = *held;
        sq_pop(vm, 1);
    }
    sq_pop(vm, 1);
    return matrix;
}
} // namespace

TEST_F(SystemMatrixApiTest, TheGeneratorRepeatsFromASeedAndEmptyRangesGiveZero)
{
    EXPECT_EQ(
        Evaluate(
            "function Five() { local s = \"\"; for (local i = 0; i < 5; ++i) s += SystemRand(1000) + \",\";"
            " return s; }\n"
            "SystemSeedRand(42); local a = Five(); SystemSeedRand(42.9); local b = Five();\n"
            "print((a == b) + \" \" + (a != \"0,0,0,0,0,\") + \" \");\n"
            "print(SystemRand(0) + \" \" + SystemRand(-5) + \" \" + SystemRand(-0.5) + \" \");\n"
            "SystemSleep(-1000); SystemSleep(0);\n"
            "print(SystemGetPlatform() + \" \" + SystemGetLocale() + \" \" + SystemGetClockFrequency() + \" "
            "\");\n"
            "print(SystemGetClock() > 0);"),
        "true true 0 0 0 Linux STUB 10000 true");
    EXPECT_EQ(Evaluate("SystemRand(\"a\");"),
              "error: parameter 1 has an invalid type 'string' ; expected: 'integer|float'");
}

TEST_F(SystemMatrixApiTest, EulerAnglesOfTheIdentityAreZeroInEveryOrder)
{
    EXPECT_EQ(Evaluate("for (local order = 0; order < 8; ++order) {\n"
                       "  local v = MatrixToEuler(Matrix3(), order);\n"
                       "  print((v.x == 0 && v.y == 0 && v.z == 0 && v.w == 1) + \" \");\n"
                       "}"),
              "true true true true true true true true ");
    EXPECT_EQ(Evaluate("MatrixToEuler(Vector(0, 0, 0), 0);"), "error: Invalid instance type");
    EXPECT_EQ(Evaluate("RotationMatrixFromDirection(UV(0, 1));"), "error: Invalid instance type");
}

TEST_F(SystemMatrixApiTest, DirectionsGiveTheRotationThatLooksAlongThem)
{
    const nVector direction(1.0f, 2.0f, -3.0f);
    const nMatrix3 rotation = nMatrix3::FromDirection(direction);
    const nVector angles = rotation.ToEuler(4);
    std::ostringstream expected;
    expected << "true (" << angles.x << "," << angles.y << "," << angles.z << ",1)";
    EXPECT_EQ(
        Evaluate("local m = RotationMatrixFromDirection(Vector(1, 2, -3, 0));\n"
                 "local z = m.GetRow(2); // the script's rows are the storage columns\n"
                 "print((fabs(z.x * 3 + z.z) < 1e-5 && fabs(z.y * 3 + z.z * 2) < 1e-5 && z.z < 0) + \" \");\n"
                 "print(V(EulerFromDirection(Vector(1, 2, -3))));"),
        expected.str());
}

// The fourth vector's x is the rotation order of the composition.
TEST_F(SystemMatrixApiTest, TransformationMatricesComposePositionRotationAndScale)
{
    EXPECT_EQ(
        Evaluate("M <- TransformationMatrix(Vector(1, 2, 3, 0), Vector(0.3, 0.5, 0.7), Vector(2, 3, 4), "
                 "Vector(1, 0, 0));\n"
                 "N <- TransformationMatrix(Vector(0, 0, 0), Vector(0.3, 0.5, 0.7), Vector(1, 1, 1), "
                 "Vector(9, 0, 0));"),
        "");
    const nMatrix4 expected =
        nMatrix4::ComposeEuler(nVector(1, 2, 3), nVector(0.3f, 0.5f, 0.7f), nVector(2, 3, 4), 1);
    const nMatrix4 composed = RootMatrix4(machine, "M");
    for (int index = 0; index < 16; ++index)
        EXPECT_NEAR(composed.m[index], expected.m[index], 1e-6f) << index;
    EXPECT_FALSE(composed.DiffersFrom(expected));
    EXPECT_FALSE(RootMatrix4(machine, "N").DiffersFrom(nMatrix4()));
}
