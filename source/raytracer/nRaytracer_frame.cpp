#include "raytracer/nRaytracer.h"

#include "core/base/nLog.h"
#include "core/base/nMemory.h"
#include "core/picture/nPixelFormat.h"
#include "engine/Quenvar.h"
#include "engine/items/nCamera.h"
#include "engine/scene/nScene.h"
#include "platform/nJob.h"
#include "platform/nJobGroup.h"
#include "platform/nPlatform.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

// What every tile of a frame reads: where its rays start and how they sweep the view window,
// and the float pixels they write.
struct nRaytracer::FrameSetup
{
    uint32_t width = 0;
    uint32_t tracedHeight = 0;
    nVector camera;
    nVector leftStart;
    nVector leftStep;
    nVector rightStart;
    nVector rightStep;
    float subRowFactor = 1.0f; // 0.5 when each field row stands for two rows
    int32_t antialiasGrid = 1;
    nColor* pixels = nullptr;
    const nColor* firstPass = nullptr; // what the antialias pass compares with
};

// One tile of one pass. Its context (random sequence, counters) is its own, seeded from the
// tile's place in the pass.
class nRaytracer::TileJob : public nJob
{
public:
    TileJob(const nRaytracer& raytracer, const FrameSetup& frame, bool antialias, uint64_t seed,
            uint32_t rowBegin, uint32_t rowEnd, uint32_t columnBegin, uint32_t columnEnd, uint32_t workerMask)
        : nJob(workerMask), m_raytracer(raytracer), m_frame(frame), m_antialias(antialias),
          m_rowBegin(rowBegin), m_rowEnd(rowEnd), m_columnBegin(columnBegin), m_columnEnd(columnEnd)
    {
        context.random.Seed(seed);
    }

    bool Run(nJobQueue&) override
    {
        // The jobs of a pass lie side by side in memory and run at the same time: counting every
        // ray in the job itself would bounce cache lines between the workers, so the tile works
        // on a copy on its worker's stack.
        nRaytracerTraceContext local = context;
        if (m_antialias)
            m_raytracer.AntialiasTile(local, m_frame, m_rowBegin, m_rowEnd, m_columnBegin, m_columnEnd);
        else
            m_raytracer.RenderTile(local, m_frame, m_rowBegin, m_rowEnd, m_columnBegin, m_columnEnd);
        context = local;
        return true;
    }

    nRaytracerTraceContext context;

private:
    const nRaytracer& m_raytracer;
    const FrameSetup& m_frame;
    bool m_antialias;
    uint32_t m_rowBegin;
    uint32_t m_rowEnd;
    uint32_t m_columnBegin;
    uint32_t m_columnEnd;
};

namespace
{
float Clamp01(float value)
{
    return value > 0.0f ? (value < 1.0f ? value : 1.0f) : 0.0f; // NaN gives 0
}

uint32_t ToByte(float value)
{
    return uint32_t(Clamp01(value) * 255.0f);
}

float DistanceSquared(const nColor& a, const nColor& b)
{
    const float r = a.r - b.r;
    const float g = a.g - b.g;
    const float bl = a.b - b.b;
    return r * r + g * g + bl * bl;
}

// Whether an inner pixel differs from a neighbour of the first pass (which no job writes) by the
// threshold or more.
bool NeedsResampling(const nColor* firstPass, uint32_t width, uint32_t x, uint32_t y, float threshold)
{
    const nColor* at = firstPass + size_t(y) * width + x;
    return !(DistanceSquared(*at, at[-1]) < threshold &&
             DistanceSquared(*at, at[-ptrdiff_t(width)]) < threshold &&
             DistanceSquared(*at, at[1]) < threshold && DistanceSquared(*at, at[width]) < threshold);
}

// The order in which the tiles of a pass are queued. Antialias tiles cost in proportion to the
// pixels they resample, which crowd along edges: the costliest go first, so that no worker is
// left with a long tile when the others run dry. Each tile's seed still comes from its place in
// the plan, so the order changes no pixel.
void OrderTiles(const nColor* firstPass, uint32_t width, bool byCost, float threshold,
                const std::vector<nRaytracerTile>& tiles, std::vector<uint32_t>& order)
{
    order.resize(tiles.size());
    for (uint32_t index = 0; index < order.size(); ++index)
        order[index] = index;
    if (!byCost)
        return;
    std::vector<uint32_t> cost(tiles.size(), 0);
    for (uint32_t index = 0; index < tiles.size(); ++index)
    {
        const nRaytracerTile& tile = tiles[index];
        for (uint32_t y = tile.rowBegin; y < tile.rowEnd; ++y)
            for (uint32_t x = tile.columnBegin; x < tile.columnEnd; ++x)
                cost[index] += NeedsResampling(firstPass, width, x, y, threshold) ? 1 : 0;
    }
    std::stable_sort(order.begin(), order.end(),
                     [&cost](uint32_t a, uint32_t b) { return cost[a] > cost[b]; });
}

// Every worker id the queue started, as the queue numbers them.
uint32_t StartedWorkerIds(nJobQueue& queue)
{
    uint32_t ids = 0;
    for (uint32_t id = 1; id <= queue.GetWorkerCount(); ++id)
        ids |= id;
    return ids;
}
} // namespace

nVector nRaytracer::PixelDirection(const FrameSetup& frame, float row, float column) const
{
    const nVector left = frame.leftStart + frame.leftStep * row;
    const nVector right = frame.rightStart + frame.rightStep * row;
    const nVector step =
        frame.width ? (right - left) * (1.0f / float(frame.width)) : nVector(0.0f, 0.0f, 0.0f);
    const nVector target = left + step * column;
    nVector direction(target.x - frame.camera.x, target.y - frame.camera.y, target.z - frame.camera.z);
    const float length = direction.Length();
    return length > 0.0f ? direction * (1.0f / length) : direction;
}

void nRaytracer::RenderTile(nRaytracerTraceContext& context, const FrameSetup& frame, uint32_t rowBegin,
                            uint32_t rowEnd, uint32_t columnBegin, uint32_t columnEnd) const
{
    for (uint32_t y = rowBegin; y < rowEnd; ++y)
        for (uint32_t x = columnBegin; x < columnEnd; ++x)
        {
            nRaytracerBudget budget{m_settings.globalIlluminationDepth, m_settings.reflectionDepth,
                                    m_settings.refractionDepth, 0};
            TraceRay(context, frame.camera, PixelDirection(frame, float(y), float(x)),
                     frame.pixels[size_t(y) * frame.width + x], budget, nullptr);
        }
}

void nRaytracer::AntialiasTile(nRaytracerTraceContext& context, const FrameSetup& frame, uint32_t rowBegin,
                               uint32_t rowEnd, uint32_t columnBegin, uint32_t columnEnd) const
{
    const uint32_t width = frame.width;
    const int32_t n = frame.antialiasGrid;
    const float inverseCount = 1.0f / float(n * n);
    for (uint32_t y = rowBegin; y < rowEnd; ++y)
        for (uint32_t x = columnBegin; x < columnEnd; ++x)
        {
            if (!NeedsResampling(frame.firstPass, width, x, y, m_settings.antialiasThreshold))
                continue;
            nColor sum(0.0f, 0.0f, 0.0f, 0.0f);
            for (int32_t i = 0; i < n; ++i)
                for (int32_t j = 0; j < n; ++j)
                {
                    float row = float(y) + float(i) * frame.subRowFactor / float(n);
                    float column = float(x) + float(j) / float(n);
                    if (m_settings.antialiasJitter)
                    {
                        row += context.random.Float(0.125f / float(n));
                        column += context.random.Float(0.125f / float(n));
                    }
                    nRaytracerBudget budget{m_settings.globalIlluminationDepth, m_settings.reflectionDepth,
                                            m_settings.refractionDepth, 0};
                    nColor sample;
                    TraceRay(context, frame.camera, PixelDirection(frame, row, column), sample, budget,
                             nullptr);
                    sum.r += Clamp01(sample.r);
                    sum.g += Clamp01(sample.g);
                    sum.b += Clamp01(sample.b);
                    sum.a += Clamp01(sample.a);
                }
            frame.pixels[size_t(y) * width + x] = nColor(sum.r * inverseCount, sum.g * inverseCount,
                                                         sum.b * inverseCount, sum.a * inverseCount);
        }
}

void nRaytracer::PlanTiles(uint32_t width, uint32_t height, bool antialias,
                           std::vector<nRaytracerTile>& tiles)
{
    tiles.clear();
    const uint32_t first = antialias ? 1 : 0;
    const uint32_t rowEnd = antialias ? (height >= 2 ? height - 1 : 0) : height;
    const uint32_t columnEnd = antialias ? (width >= 2 ? width - 1 : 0) : width;
    for (uint32_t y = first; y < rowEnd; y += TileSize)
        for (uint32_t x = first; x < columnEnd; x += TileSize)
            tiles.push_back({y, std::min(y + TileSize, rowEnd), x, std::min(x + TileSize, columnEnd)});
}

bool nRaytracer::RunPass(const char* stage, bool antialias, FrameSetup& frame)
{
    std::vector<nRaytracerTile> tiles;
    PlanTiles(frame.width, frame.tracedHeight, antialias, tiles);
    const uint32_t mask = uint32_t(m_settings.jobWorkerMask);
    nJobQueue& queue = nPlatform::Get().GetJobQueue();
    // A mask that no started worker matches leaves the jobs to the waiting thread, in any order.
    const bool workersCanRun = (mask & StartedWorkerIds(queue)) != 0;
    std::vector<uint32_t> order;
    OrderTiles(frame.firstPass, frame.width, antialias && workersCanRun, m_settings.antialiasThreshold, tiles,
               order);
    std::vector<TileJob*> jobs;
    nJobGroup group;
    bool ok = true;
    for (const uint32_t index : order)
    {
        const nRaytracerTile& tile = tiles[index];
        // Each tile's random sequence is fixed by the pass and its place in it.
        const uint64_t seed = (uint64_t(antialias ? 1 : 0) << 32) | index;
        TileJob* job = new (std::nothrow) TileJob(*this, frame, antialias, seed, tile.rowBegin, tile.rowEnd,
                                                  tile.columnBegin, tile.columnEnd, mask);
        if (!job)
        {
            nLogHolder::Get() << "[!] Failed to allocate raytracer job.\n";
            ok = false;
            break;
        }
        jobs.push_back(job);
        if (!queue.AddJob(job, &group))
        {
            ok = false;
            break;
        }
    }
    const float total = float(jobs.size());
    while (workersCanRun && queue.WaitForGroup(&group, false))
    {
        if (m_listener)
            m_listener->OnProgress(
                {this, stage, total > 0.0f ? 1.0f - float(group.GetJobCount()) / total : 1.0f});
        nPlatform::Get().Sleep(1);
    }
    queue.WaitForGroup(&group, true);
    if (m_listener)
        m_listener->OnProgress({this, stage, 1.0f});
    for (TileJob* job : jobs)
    {
        m_primary.rayCount += job->context.rays;
        m_visibilityRays += job->context.visibilityRays;
        m_visibilitySurfaces += job->context.visibilitySurfaces;
        delete job;
    }
    return ok;
}

void nRaytracer::Resolve(const FrameSetup& frame, nPicture& picture) const
{
    uint32_t* out = reinterpret_cast<uint32_t*>(picture.GetPixels());
    const size_t count = size_t(frame.width) * frame.tracedHeight;
    for (size_t i = 0; i < count; ++i)
    {
        const nColor& c = frame.pixels[i];
        out[i] = ToByte(c.a) << 24 | ToByte(c.r) << 16 | ToByte(c.g) << 8 | ToByte(c.b);
    }
}

// Two fields make one frame, row pair by row pair; which comes first follows the field flag.
bool nRaytracer::MergeFields(nPicture& picture, uint32_t width, uint32_t height, uint32_t tracedHeight)
{
    if (!m_storedField.HasPixels())
    {
        const bool stored = m_storedField.CopyFrom(picture);
        picture.FreeBuffer();
        return stored;
    }
    if (m_storedField.GetWidth() != width || m_storedField.GetHeight() != tracedHeight)
    {
        nLogHolder::Get() << "[*] Unexpected frame dimension change during interlaced sequence rendering.\n";
        m_storedField.FreeBuffer();
        return true;
    }
    nPicture field;
    if (!field.CopyFrom(picture) || !picture.Allocate(width, height, PixelFormatBGRA8))
    {
        m_storedField.FreeBuffer();
        return false;
    }
    const bool halfHeight = tracedHeight != height;
    const nPicture& first = m_fieldFlag ? field : m_storedField;
    const nPicture& second = m_fieldFlag ? m_storedField : field;
    const size_t pitch = size_t(width) * 4;
    for (uint32_t row = 0; row < height; ++row)
    {
        const nPicture& source = (row & 1) ? second : first;
        const uint32_t sourceRow = halfHeight ? row / 2 : row;
        std::memcpy(picture.GetPixelAddress(0, row), source.GetPixelAddress(0, sourceRow), pitch);
    }
    m_storedField.FreeBuffer();
    return true;
}

bool nRaytracer::Trace(nPicture& picture, int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0)
    {
        nLogHolder::Get() << "[!] Cannot raytrace a frame of " << width << "x" << height << " pixels.\n";
        return false;
    }
    const bool halfHeight = m_settings.interlaced && m_settings.halfHeightFields;
    if (m_settings.interlaced && (height & 1))
    {
        nLogHolder::Get() << "[!] Interlaced frame height must be a multiple of 2.\n";
        return false;
    }
    nScene* scene = GetLiveScene();
    if (!scene)
        return false;
    nCamera* camera = dynamic_cast<nCamera*>(scene->GetCurrentCamera());
    if (!camera)
        return false;
    FrameSetup frame;
    frame.width = uint32_t(width);
    frame.tracedHeight = halfHeight ? uint32_t(height) / 2 : uint32_t(height);
    const uint64_t pixelCount = uint64_t(frame.width) * frame.tracedHeight;
    nAutoArray<nColor> pixels(MemCategoryRenderJob);
    if (pixelCount > MaxFramePixels || !pixels.ResizeForOverwrite(uint32_t(pixelCount)))
    {
        nLogHolder::Get() << "[!] Failed to allocate floating point frame buffer.\n";
        return false;
    }
    if (!picture.Allocate(frame.width, frame.tracedHeight, PixelFormatBGRA8))
        return false;
    m_frameWidth = float(width);
    m_frameHeight = float(height);
    m_frameTime = m_engine ? m_engine->GetClock() : 0.0f;
    m_visibilityRays = 0;
    m_visibilitySurfaces = 0;
    m_primary.rayCount = 0;
    m_primary.Refresh();
    m_shadow.Refresh();
    CaptureScene(*scene);
    const uint64_t start = nPlatform::Get().GetClock();

    frame.antialiasGrid = std::clamp(m_settings.antialiasGrid, 1, MaxAntialiasGrid);
    if (frame.antialiasGrid != m_settings.antialiasGrid)
        nLogHolder::Get() << "[*] Antialias grid " << m_settings.antialiasGrid << " traced as "
                          << frame.antialiasGrid << ".\n";
    float aspect = camera->GetAspectRatio();
    if (!(aspect > 0.0f))
        aspect = 1.0f;
    const float scaleX = camera->IsAspectRatioFromYAxis() ? (float(width) / float(height)) / aspect : 1.0f;
    const float scaleY = camera->IsAspectRatioFromYAxis() ? 1.0f : (float(height) / aspect) / float(width);
    const float zoom = camera->GetZoom();
    const nMatrix4& world = camera->GetWorldMatrix();
    m_cameraInverse = camera->GetInverseMatrix();
    m_cameraScaleX = scaleX;
    m_cameraScaleY = scaleY;
    m_cameraZoom = zoom;
    const nVector topLeft = nVector(-scaleX, scaleY, zoom).MulMatrix4(world);
    const nVector topRight = nVector(scaleX, scaleY, zoom).MulMatrix4(world);
    const nVector bottomRight = nVector(scaleX, -scaleY, zoom).MulMatrix4(world);
    const nVector bottomLeft = nVector(-scaleX, -scaleY, zoom).MulMatrix4(world);
    frame.camera = world.GetTranslation();
    // A row step spans one row of the whole frame; a field takes every second row.
    const float rows = float(height);
    frame.leftStart = topLeft;
    frame.rightStart = topRight;
    frame.leftStep = (bottomLeft - topLeft) * (1.0f / rows);
    frame.rightStep = (bottomRight - topRight) * (1.0f / rows);
    if (halfHeight)
    {
        if (!m_fieldFlag)
        {
            frame.leftStart += frame.leftStep;
            frame.rightStart += frame.rightStep;
        }
        frame.leftStep *= 2.0f;
        frame.rightStep *= 2.0f;
        frame.subRowFactor = 0.5f;
    }
    frame.pixels = pixels.GetData();

    bool ok = RunPass("Rendering (1/2)", false, frame);
    nAutoArray<nColor> firstPass(pixels, MemCategoryRenderJob);
    if (ok && firstPass.GetCount() != pixels.GetCount())
    {
        nLogHolder::Get() << "[!] Failed to allocate floating point frame buffer.\n";
        ok = false;
    }
    frame.firstPass = firstPass.GetData();
    if (ok)
        ok = RunPass("Anti-aliasing (2/2)", true, frame);

    if (ok)
    {
        const nPlatform& platform = nPlatform::Get();
        // At least one tick: a frame that takes less is still a frame.
        const uint64_t ticks = std::max<uint64_t>(platform.GetClock() - start, 1);
        const uint64_t milliseconds = ticks * 1000 / platform.GetClockFrequency();
        const double raysPerSecond =
            double(m_primary.rayCount) * double(platform.GetClockFrequency()) / double(ticks);
        nLogHolder::Get() << "Raytracing done. Took " << uint32_t(milliseconds)
                          << " ms. Ray/s = " << uint32_t(std::min(raysPerSecond, 4294967295.0)) << "\n";
        Resolve(frame, picture);
        if (m_settings.interlaced)
            ok = MergeFields(picture, frame.width, uint32_t(height), frame.tracedHeight);
    }
    m_fieldFlag = !m_fieldFlag;
    m_frameWidth = 1.0f;
    m_frameHeight = 1.0f;
    if (!ok)
        picture.FreeBuffer();
    return ok;
}
