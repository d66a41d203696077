#pragma once

#include "core/math/nColor.h"
#include "core/math/nMatrix4.h"
#include "core/math/nVector.h"
#include "render/nNullRenderer.h"

#include <optional>
#include <string>
#include <vector>

// A null renderer that remembers what it was asked to do: the name of every recorded call in
// order, each line and triangle batch, each text written, the last matrices and what was set up.
// Set-up calls answer what the test puts in the matching "next" field (null by default).
class RecordingRenderer : public nNullRenderer
{
public:
    struct Batch
    {
        uint32_t count;
        std::vector<nVector> vertices;
        std::vector<nVector> colours; // empty when none were given
        int32_t blendMode;
        uint32_t renderFlags;
        std::vector<float> uvs; // two per vertex; empty when none were given
        nTexture* texture = nullptr;
    };
    struct Upload
    {
        nRenderTexture* texture;
        uint32_t width;
        uint32_t height;
        uint32_t pixelFormat;
    };
    struct Text
    {
        nRasterFont* font;
        std::string text;
        std::optional<nColor> colour;
        float x; // where the text began
        float y;
    };

    using nNullRenderer::nNullRenderer;

    bool BeginFrame() override { return Record("BeginFrame"), true; }
    void EndFrame() override { Record("EndFrame"); }
    void RenderQueue() override { Record("RenderQueue"); }
    void PresentFrame() override { Record("PresentFrame"); }
    void ClearFrame(float red, float green, float blue, float alpha, float depth, uint32_t flags) override
    {
        Record("ClearFrame");
        clears.push_back({nColor(red, green, blue, alpha), depth, flags});
    }
    void DrawLines(uint32_t count, const nVector* vertices, const nVector* colours, int32_t blendMode,
                   uint32_t renderFlags) override
    {
        Record("DrawLines");
        lineBatches.push_back(MakeBatch(count, count * 2, vertices, colours, blendMode, renderFlags));
    }
    void DrawTriangles(uint32_t count, const nVector* vertices, const nVector* colours, const float* uvs,
                       nTexture* texture, int32_t blendMode, uint32_t renderFlags) override
    {
        Record("DrawTriangles");
        triangleBatches.push_back(MakeBatch(count, count * 3, vertices, colours, blendMode, renderFlags));
        if (uvs)
            triangleBatches.back().uvs.assign(uvs, uvs + count * 6);
        triangleBatches.back().texture = texture;
    }
    void UpdateTexture(nRenderTexture* texture, const void*, uint32_t width, uint32_t height, uint32_t, uint32_t,
                       uint32_t pixelFormat) override
    {
        Record("UpdateTexture");
        uploads.push_back({texture, width, height, pixelFormat});
    }
    void Write(nRasterFont* font, const char* text, float& x, float& y, nTextFlags, float, const nColor* colour,
               int32_t) override
    {
        Record("Write");
        texts.push_back({font, text ? text : "", colour ? std::optional<nColor>(*colour) : std::nullopt, x, y});
        y += 16.0f;
    }
    nRenderGeometry* SetupGeometry(nGeometry* geometry) override
    {
        Record("SetupGeometry");
        setUpGeometries.push_back(geometry);
        return nextGeometryData;
    }
    nRenderTexture* SetupTexture(nTexture* texture) override
    {
        Record("SetupTexture");
        setUpTextures.push_back(texture);
        return nextTextureData;
    }
    nRenderTexture* LoadTexture(const nString& path) override
    {
        Record("LoadTexture");
        loadedTexturePaths.push_back(path.GetText() ? path.GetText() : "");
        return nextLoadedTexture;
    }
    nRenderMaterial* SetupMaterial(nMaterial* material) override
    {
        Record("SetupMaterial");
        setUpMaterials.push_back(material);
        return nextMaterialData;
    }
    void SetViewMatrix(const nMatrix4& matrix, const nMatrix4*) override
    {
        Record("SetViewMatrix");
        viewMatrix = matrix;
    }
    void SetProjectionMatrix(const nMatrix4& matrix) override
    {
        Record("SetProjectionMatrix");
        projectionMatrix = matrix;
        projections.push_back(matrix);
    }
    void SetModelMatrix(const nMatrix4& matrix, const nMatrix4*) override
    {
        Record("SetModelMatrix");
        modelMatrix = matrix;
    }

    size_t CountCalls(const std::string& name) const
    {
        size_t count = 0;
        for (const std::string& call : calls)
            count += call == name;
        return count;
    }

    std::vector<std::string> calls;
    std::vector<Batch> lineBatches;
    std::vector<Batch> triangleBatches;
    std::vector<Upload> uploads;
    std::vector<Text> texts;
    struct Clear
    {
        nColor colour;
        float depth;
        uint32_t flags;
    };
    std::vector<Clear> clears;
    std::vector<nGeometry*> setUpGeometries;
    std::vector<nTexture*> setUpTextures;
    std::vector<nMaterial*> setUpMaterials;
    std::vector<std::string> loadedTexturePaths;
    nRenderGeometry* nextGeometryData = nullptr;
    nRenderTexture* nextTextureData = nullptr;
    nRenderTexture* nextLoadedTexture = nullptr;
    nRenderMaterial* nextMaterialData = nullptr;
    std::optional<nMatrix4> viewMatrix;
    std::optional<nMatrix4> projectionMatrix;
    std::vector<nMatrix4> projections; // every projection set, in order
    std::optional<nMatrix4> modelMatrix;

private:
    void Record(const char* name) { calls.emplace_back(name); }

    static Batch MakeBatch(uint32_t count, uint32_t vertexCount, const nVector* vertices,
                           const nVector* colours, int32_t blendMode, uint32_t renderFlags)
    {
        Batch batch{count, {}, {}, blendMode, renderFlags, {}, nullptr};
        if (vertices)
            batch.vertices.assign(vertices, vertices + vertexCount);
        if (colours)
            batch.colours.assign(colours, colours + vertexCount);
        return batch;
    }
};
