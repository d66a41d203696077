#pragma once

#include "core/base/nSharedObject.h"
#include "core/math/nRect.h"
#include "core/picture/nPixelFormat.h"
#include "platform/nstring/nString.h"

#include <cstddef>
#include <cstdint>
#include <new>

class nColor;
class nIOHandle;

// The engine's in-memory pixel buffer: rows top to bottom, each row GetPitch bytes directly after
// the one before. A borrowed block belongs to someone else and is never freed by the picture.
// Nearly all pixel operations accept only 32-bit packed pictures and return false otherwise.
class nPicture : public nSharedObject
{
public:
    enum : uint32_t
    {
        StateSizeOnly = 1,
    };
    enum : uint32_t
    {
        BufferBorrowed = 1,
    };

    // Larger blocks are refused like a failed allocation, so that a file header cannot ask for an
    // absurd amount of memory.
    static constexpr uint64_t MaxBlockBytes = uint64_t(1) << 30;
    // Compressed files whose header claims more pixels per byte are refused before decoding: a few
    // hundred bytes must not cost gigabytes and minutes. Deflate, LZW and run lengths stay far
    // below it; only a nearly flat picture in arithmetic-coded JPEG could go beyond.
    static constexpr uint64_t MaxPixelsPerByte = 16384;

    // Picture objects count under the picture category, as their pixels do.
    static void* operator new(size_t size) noexcept;
    static void operator delete(void* memory) noexcept;
    // The plain form never throws either; this one lets callers that ask for no exception say so.
    static void* operator new(size_t size, const std::nothrow_t&) noexcept { return operator new(size); }
    static void operator delete(void* memory, const std::nothrow_t&) noexcept { operator delete(memory); }

    nPicture() = default;
    nPicture(const nPicture& other);
    nPicture(uint32_t width, uint32_t height, const nPixelFormat& format);
    nPicture& operator=(const nPicture&) = delete;
    ~nPicture() override;

    virtual uint8_t* AllocBlock(size_t bytes);
    virtual void FreeBlock(uint8_t* block);
    virtual void SetBuffer(uint8_t* pixels, uint32_t width, uint32_t height, const nPixelFormat& format,
                           bool owned);
    virtual bool Allocate(uint32_t width, uint32_t height, const nPixelFormat& format);
    virtual void Clear();

    static void LogAllocationFailure(uint32_t width, uint32_t height, uint32_t bitsPerPixel);

    void FreeBuffer();
    void Reset();
    void SetSizeOnly(uint32_t width, uint32_t height);
    bool IsSizeOnly() const { return (m_stateFlags & StateSizeOnly) != 0; }
    bool CopyFrom(const nPicture& other);
    bool Equals(const nPicture& other) const;

    uint8_t* GetPixels() { return m_pixels; }
    const uint8_t* GetPixels() const { return m_pixels; }
    bool HasPixels() const { return m_pixels != nullptr; }
    uint32_t GetWidth() const { return m_width; }
    uint32_t GetHeight() const { return m_height; }
    const nPixelFormat& GetFormat() const { return m_format; }
    uint32_t GetBitsPerPixel() const { return m_format.bitsPerPixel; }
    size_t GetPitch() const { return size_t(m_width) * m_format.GetBytesPerPixel(); }
    size_t GetByteSize() const { return GetPitch() * m_height; }
    bool GetFloatFlag() const { return m_format.floatFlag != 0; }
    uint32_t GetChecksum() const { return m_checksum; }
    const nString& GetName() const { return m_name; }
    void SetName(const nString& name) { m_name = name; }
    uint8_t* GetPixelAddress(uint32_t x, uint32_t y)
    {
        return m_pixels + (size_t(y) * m_width + x) * m_format.GetBytesPerPixel();
    }
    const uint8_t* GetPixelAddress(uint32_t x, uint32_t y) const
    {
        return m_pixels + (size_t(y) * m_width + x) * m_format.GetBytesPerPixel();
    }

    bool SetFormat(const nPixelFormat& format);
    bool Convert(const nPixelFormat& format);
    void Invert(bool red, bool green, bool blue, bool alpha);
    bool HasTransparentPixel() const;
    bool ComputeChecksum();
    nString GetFormatName() const;

    // u and v run from 0 to 1 over the picture, or over the override size when it is not zero.
    void SamplePacked(float u, float v, uint8_t out[4], uint32_t width = 0, uint32_t height = 0) const;
    uint32_t SamplePacked(float u, float v, uint32_t width = 0, uint32_t height = 0) const;
    void SampleBilinear(float u, float v, float out[4], uint32_t width = 0, uint32_t height = 0) const;
    float* Sample(float u, float v, float out[4], uint32_t width = 0, uint32_t height = 0) const;
    void SampleColor(float u, float v, float out[4], uint32_t width = 0, uint32_t height = 0) const;

    static bool ReadTGA(nPicture& picture, nIOHandle* handle);
    static bool SaveTGA(const nPicture& picture, const nString& path);
    static bool Load(nPicture& picture, const nString& path);
    // The TGA reader first, then each registered codec in registration order; the picture is left
    // as it was unless one of them succeeds.
    static bool LoadFromHandle(nPicture& picture, nIOHandle* handle);

    uint32_t PackColor(float red, float green, float blue, float alpha) const;
    bool Fill(float red, float green, float blue, float alpha, const nRect* rect = nullptr,
              bool keepAlpha = false);
    bool Expand(int32_t left, int32_t top, int32_t right, int32_t bottom, const nColor* colour = nullptr);
    bool Flip(bool horizontal, bool vertical);
    bool ToGrey();
    bool IsSimilar(const nPicture& other, float tolerance) const;
    static bool BlitScaled(const nPicture& source, nPicture& destination, const nRectF& rect);
    bool SetPixel(float x, float y, float red, float green, float blue, float alpha,
                  const nRectF* clip = nullptr);
    bool PlotAntialiased(float x, float y, float red, float green, float blue, float alpha,
                         const nRectF* clip = nullptr);
    bool DrawLine(float x1, float y1, float x2, float y2, float red, float green, float blue, float alpha,
                  const nRectF* clip = nullptr);
    bool DrawLineAliased(float x1, float y1, float x2, float y2, float red, float green, float blue,
                         float alpha, const nRectF* clip = nullptr);
    bool ApplyConvolution(uint32_t kernelWidth, uint32_t kernelHeight, const int32_t* kernel,
                          const nRect* rect = nullptr);
    bool Resize(int32_t width, int32_t height);
    bool Shrink(int32_t width, int32_t height);

private:
    bool IsPacked32() const { return m_pixels && m_format.bitsPerPixel == 32 && !m_format.floatFlag; }
    bool ReplaceBlock(uint8_t* block, uint32_t width, uint32_t height, const nPixelFormat& format);
    template <typename Plot>
    bool DrawLineWith(float x1, float y1, float x2, float y2, const nRectF* clip, Plot plot);

    uint8_t* m_pixels = nullptr;
    uint32_t m_checksum = 0;
    uint32_t m_width = 0;
    uint32_t m_height = 0;
    nPixelFormat m_format;
    uint32_t m_stateFlags = 0;
    uint32_t m_bufferFlags = 0;
    nString m_name;
};

// Per byte of two packed colours: (a (65536 - T) + b T) >> 16 with T = trunc(t 65536).
uint32_t PictureLerpColor(uint32_t a, uint32_t b, float t);
