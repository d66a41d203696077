#include "render/gl/nEGLTables.h"
#include "render/gl/nShaderSemantic.h"

#include <GL/glext.h>
#include <gtest/gtest.h>

TEST(EGLTablesTest, ValuesOutsideATableAreRefused)
{
    GLenum value = 0x1234;
    EXPECT_FALSE(nEGLTables::DepthFunc(4, value));
    EXPECT_FALSE(nEGLTables::CullFace(2, value));
    EXPECT_FALSE(nEGLTables::PolygonMode(2, value));
    EXPECT_FALSE(nEGLTables::BlendFactor(6, value));
    EXPECT_FALSE(nEGLTables::Primitive(2, value));
    EXPECT_EQ(value, 0x1234u);
    ASSERT_TRUE(nEGLTables::DepthFunc(3, value));
    EXPECT_EQ(value, static_cast<GLenum>(GL_GREATER));
    ASSERT_TRUE(nEGLTables::BlendFactor(5, value));
    EXPECT_EQ(value, static_cast<GLenum>(GL_ONE_MINUS_DST_ALPHA));
}

TEST(EGLTablesTest, DrawIndexTypesAreThoseDrawElementsAccepts)
{
    GLenum value = 0;
    for (uint32_t type : {0u, 2u, 4u, 5u, 6u})
        EXPECT_FALSE(nEGLTables::DrawIndexType(type, value)) << type;
    ASSERT_TRUE(nEGLTables::DrawIndexType(1, value));
    EXPECT_EQ(value, static_cast<GLenum>(GL_UNSIGNED_BYTE));
    ASSERT_TRUE(nEGLTables::DrawIndexType(3, value));
    EXPECT_EQ(value, static_cast<GLenum>(GL_UNSIGNED_SHORT));
    ASSERT_TRUE(nEGLTables::AttributeType(5, value));
    EXPECT_EQ(value, static_cast<GLenum>(GL_FLOAT));
}

TEST(EGLTablesTest, PixelTransferSendsHalfFloatsAsHalfFloats)
{
    GLenum format = 0;
    GLenum type = 0;
    ASSERT_TRUE(nEGLTables::PixelTransfer(nEGLTables::PixelRGBAHalf, format, type));
    EXPECT_EQ(format, static_cast<GLenum>(GL_RGBA));
    EXPECT_EQ(type, static_cast<GLenum>(GL_HALF_FLOAT));
    ASSERT_TRUE(nEGLTables::PixelTransfer(nEGLTables::PixelBGRA8, format, type));
    EXPECT_EQ(format, static_cast<GLenum>(GL_BGRA));
    EXPECT_FALSE(nEGLTables::PixelTransfer(nEGLTables::PixelNone, format, type));
}

TEST(EGLTablesTest, RenderbufferSamples)
{
    EXPECT_EQ(nEGLTables::SampleCount(0), 0u);
    EXPECT_EQ(nEGLTables::SampleCount(1), 2u);
    EXPECT_EQ(nEGLTables::SampleCount(4), 16u);
    EXPECT_EQ(nEGLTables::SampleCount(5), 0u);
    GLenum value = 0;
    ASSERT_TRUE(nEGLTables::RenderbufferFormat(2, value));
    EXPECT_EQ(value, static_cast<GLenum>(GL_DEPTH_COMPONENT24));
}

TEST(EGLTablesTest, SemanticTable)
{
    EXPECT_STREQ(nShaderSemantic::Get(0).name, "Position");
    EXPECT_STREQ(nShaderSemantic::Get(24).name, "ModelViewProjectionMatrix");
    EXPECT_EQ(nShaderSemantic::Get(24).typeMask, 128u);
    EXPECT_STREQ(nShaderSemantic::Get(40).name, "AmbientColor");
    EXPECT_STREQ(nShaderSemantic::Get(79).name, "User");
    EXPECT_STREQ(nShaderSemantic::Get(80).name, "SemanticLast");
    EXPECT_STREQ(nShaderSemantic::Get(500).name, "SemanticLast");
    EXPECT_EQ(nShaderSemantic::Find("NoiseMap"), 78u);
    EXPECT_EQ(nShaderSemantic::Find("Nothing"), nShaderSemantic::Last);
    for (uint32_t id = 0; id < nShaderSemantic::Last; ++id)
        EXPECT_EQ(nShaderSemantic::Find(nShaderSemantic::Get(id).name), id);
}
