#include "ScriptClassFixture.h"

namespace
{
struct EvaluationCase
{
    const char* script;
    const char* expected;
};

class ScriptValueClassTest : public ScriptClassFixture
{
};

TEST_F(ScriptValueClassTest, VectorMethodsAnswerAsDocumented)
{
    const EvaluationCase cases[] = {
        {"print(V(Vector(1,2)))", "(1,2,0,1)"},
        {"print(V(Vector()))", "(0,0,0,1)"},
        {"print(V(Vector(1,2,3,4)))", "(1,2,3,4)"},
        {"print(V(Vector(Vector(1,2,3,4))))", "(1,2,3,4)"},
        {"print(V(Vector(1,2,3,4).Reverse()))", "(-1,-2,-3,1)"},
        {"print(V(Vector(7,-1,3).Min(5)))", "(5,-1,0,1)"},
        {"print(V(Vector(7,-1,3).Max(1,2,3)))", "(7,2,3,1)"},
        {"print(V(Vector(7,-1,3).Min(Vector(0,0,0))))", "(0,-1,0,1)"},
        {"print(V(Vector(1,2,3)/0))", "(0,0,0,1)"},
        {"print(V(Vector(2,4,6)/2))", "(1,2,3,1)"},
        {"print(V(Vector(1,2,3)+1))", "(2,3,4,1)"},
        {"print(V(Vector(1,2,3)-Vector(1,1,1)))", "(0,1,2,1)"},
        {"print(V(Vector(1,2,3)*Vector(2,2,2)))", "(2,4,6,1)"},
        {"print(V(Vector(1,0,0)*Matrix4(Vector(1,0,0),Vector(0,1,0),Vector(0,0,1),Vector(5,6,7))))", "(6,6,7,1)"},
        {"print(V(Vector(1,0,0).ApplyRotationMatrix(Matrix4(Vector(1,0,0),Vector(0,1,0),Vector(0,0,1),Vector(5,6,7)))))", "(1,0,0,1)"},
        {"print(V(Vector(1,2,3).Lerp(0.25, Vector(5,6,7))))", "(4,5,6,1)"},
        {"print(Vector(3,4,0).Len())", "5"},
        {"print(Vector(1,2,3).Dot(Vector(1,1,1)))", "6"},
        {"print(V(Vector(1,0,0).Cross(Vector(0,1,0))))", "(0,0,1,1)"},
        {"print(V(Vector(5,0,0).Clamp(0, Vector(2,2,2))))", "(2,0,0,1)"},
        {"print(V(Vector(3,4,0).ClampMagnitude(1)))", "(0.6,0.8,0,1)"},
        {"print(Vector(0,0,0).IsEqual(Vector(0.001,0,0), 0.01))", "true"},
        {"print(Vector(0,0,0).IsEqual(Vector(0.001,0,0)))", "false"},
        {"local v = Vector(1,2,3); v.Set(4); print(V(v))", "(4,0,0,1)"},
        {"local v = Vector(1,2,3); print(v.y + v[2] + v.b)", "8"},
        {"local v = Vector(); v[\"xy\"] = 5; print(V(v))", "(5,0,0,1)"},
        {"local v = Vector(1,2,3); local c = clone v; c.x = 9; print(V(v) + V(c))", "(1,2,3,1)(9,2,3,1)"},
        {"print(typeof Vector())", "Vector"},
        {"print(typeof UV() + typeof Matrix3() + typeof Matrix4())", "UVMatrix3Matrix4"},
        {"local uv = UV(0.5); uv.v = 2; print(uv.u + uv[1] + uv.x)", "3"},
        {"print(Vector(1,2)[\"xy\"])", "error: the index 'xy' does not exist"},
        {"Vector(1,2,3,4,5)", "error: Vector wrong parameters"},
        {"Vector(UV())", "error: Vector() invalid instance type"},
        {"Vector().Dot(UV())", "error: Invalid instance type"},
        {"Vector().Min(1,2)", "error: Vector Min(): Invalid parameter list.\n"},
        {"Vector() + UV()", "error: Vector + operator: Invalid argument type.\n"},
        {"Vector().Set(1,2,3,4,5)", "error: Vector Set() wrong parameters"},
        {"Vector().IsEqual(Vector(), 1, 2)", "error: Vector::IsEqual() wrong parameter count"},
        {"UV(1,2,3)", "error: Wrong parameter count"},
        {"Vector().ApplyMatrix(Vector())", "error: Vector::ApplyMatrix(): Invalid parameter"},
    };
    for (const EvaluationCase& c : cases)
        EXPECT_EQ(Evaluate(c.script), c.expected) << c.script;
}

TEST_F(ScriptValueClassTest, MatrixMethodsReadAndWriteTheAxesAsColumns)
{
    const EvaluationCase cases[] = {
        {"local m = Matrix4(); print(m.m00 + m.m11 + m.m22 + m.m33 + m.m01)", "4"},
        {"local m = Matrix4(Vector(1,0,0),Vector(0,1,0),Vector(0,0,1),Vector(5,6,7)); print(m.m03 + \",\" + m.m13)", "5,6"},
        {"local m = Matrix4(Vector(1,2,3),Vector(4,5,6),Vector(7,8,9),Vector(0,0,0)); print(V(m.GetRow(1)))", "(4,5,6,1)"},
        {"local m = Matrix4(Vector(1,2,3),Vector(4,5,6),Vector(7,8,9),Vector(0,0,0)); print(V(m.GetColumn(0)))", "(1,4,7,1)"},
        {"local m = Matrix4(Vector(1,0,0),Vector(0,1,0),Vector(0,0,1),Vector(5,6,7)); m.SetColumn(0, Vector(1,0,0)); print(m.m03)", "1"},
        {"local m = Matrix4(Vector(1,0,0),Vector(0,1,0),Vector(0,0,1),Vector(5,6,7)); print(V(m.GetPosition()) + V(m.GetRow(3)))", "(5,6,7,1)(5,6,7,1)"},
        {"local m = Matrix4(); m.SetRow(2, Vector(1,2,3,9)); print(m.m02 + \",\" + m.m32)", "1,1"},
        {"local m = Matrix4(); print(V(m.GetBack()) + V(m.GetLeft()))", "(-0,-0,-1,1)(-1,-0,-0,1)"},
        {"local m = Matrix4(1,2,3,4, 5,6,7,8, 9,10,11,12, 13,14,15,16); print(m.m10 + \",\" + m.m01)", "2,5"},
        {"local m = Matrix4(); m.m12 = 3; print((m * Matrix4()).m12)", "3"},
        {"print(Matrix3().AsEuler().Len2())", "0"},
        {"local m = Matrix3(Vector(1,2,3),Vector(4,5,6),Vector(7,8,9)); print(V(m.GetRow(2)) + V(m.GetColumn(1)))", "(7,8,9,1)(2,5,8,1)"},
        {"local m = Matrix3(); m.SetColumn(1, Vector(1,2,3)); print(m.m10 + \",\" + m.m12)", "1,3"},
        {"print(Matrix3().AsMatrix4().m33 + Matrix4().AsMatrix3().m22)", "2"},
        {"local m = Matrix4(); m.RotationFromMatrix3(Matrix3(Vector(2,0,0),Vector(0,2,0),Vector(0,0,2))); print(m.m00 + m.m33)", "3"},
        {"print(V(Matrix3().SlerpTo(0.5, Matrix3()).GetRow(0)))", "(1,0,0,1)"},
        {"Matrix4().GetRow(4)", "error: Index out of range"},
        {"Matrix3().SetColumn(-1, Vector())", "error: Index out of range"},
        {"print(Matrix4().m44)", "error: Index out of range"},
        {"print(Matrix3().m03)", "error: Index out of range"},
        {"Matrix4(1,2)", "error: Matrix4() wrong parameter count"},
        {"Matrix4(Vector(), Vector(), UV(), Vector())", "error: Matrix4() invalid parameters"},
        {"Matrix3(1,2)", "error: Matrix3() wrong parameter count"},
        {"Matrix4() * Matrix3()", "error: Invalid instance type"},
        {"Matrix3().FromOrthonormalBasis(Vector(0,0,1), Vector(0,1,0), Vector())", "error: Matrix3::FromOrthonormalBasis() wrong parameter count"},
    };
    for (const EvaluationCase& c : cases)
        EXPECT_EQ(Evaluate(c.script), c.expected) << c.script;
}
} // namespace
