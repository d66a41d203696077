#include "SMixFixture.h"
#include "platform/nWaveOutSDL.h"
#include "support/CapturedLog.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace
{
// Keeps the handed buffers and plays them when the test says so.
class FakeWaveOut : public nWaveOut
{
public:
    explicit FakeWaveOut(std::vector<const uint8_t*>& written) : m_written(written) {}
    bool Open(nWaveOutClient* client) override
    {
        m_client = client;
        return true;
    }
    bool Write(const uint8_t* buffer, uint32_t size) override
    {
        EXPECT_EQ(size, nSMixMixer::BufferSize);
        m_written.push_back(buffer);
        return true;
    }
    void Close() override { m_client = nullptr; }
    void Complete(const uint8_t* buffer) { m_client->ReclaimBuffer(buffer); }

private:
    std::vector<const uint8_t*>& m_written;
    nWaveOutClient* m_client = nullptr;
};
} // namespace

TEST(SMixDeviceOutput, BuffersCycleThroughTheFreeQueue)
{
    CapturedLog log;
    std::vector<const uint8_t*> written;
    auto device = std::make_unique<FakeWaveOut>(written);
    FakeWaveOut* fake = device.get();
    SMixFixture f(std::move(device));
    ASSERT_TRUE(f.mixer.Open());
    EXPECT_EQ(f.mixer.GetFreeBufferCount(), 8u);

    // Without a step every free buffer is filled at once.
    f.mixer.Update();
    ASSERT_EQ(written.size(), 8u);
    EXPECT_EQ(f.mixer.GetFreeBufferCount(), 0u);
    f.mixer.Update();
    EXPECT_EQ(written.size(), 8u);
    fake->Complete(written[3]);
    fake->Complete(written[0]);
    EXPECT_EQ(f.mixer.GetFreeBufferCount(), 2u);

    // With a step one step goes into the oldest free buffer per update.
    f.mixer.SetFixedStep(160);
    for (int frame = 0; frame < 5; ++frame)
        f.mixer.Update();
    EXPECT_EQ(written.size(), 8u);
    f.mixer.Update();
    ASSERT_EQ(written.size(), 9u);
    EXPECT_EQ(written[8], written[3]);
    EXPECT_EQ(f.mixer.GetFreeBufferCount(), 1u);

    const uint8_t stranger[4] = {};
    f.mixer.ReclaimBuffer(stranger);
    EXPECT_NE(log.text.find("[!] Could not reclaim specified buffer.\n"), std::string::npos);
    EXPECT_EQ(f.mixer.GetFreeBufferCount(), 1u);
}

TEST(SMixDeviceOutput, DummySdlDevicePlaysAndReclaimsAndClosesPromptly)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SMixFixture f(std::make_unique<nWaveOutSDL>());
    ASSERT_TRUE(f.mixer.Open());
    f.mixer.ChannelSetLoopMode(0, LoopRepeat);
    f.mixer.ChannelStart(0, f.MakeSound(std::vector<int16_t>(480, 1000)));
    f.mixer.Update();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (f.mixer.GetFreeBufferCount() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GT(f.mixer.GetFreeBufferCount(), 0u);
    f.mixer.Update();
    f.mixer.Close();
    ASSERT_TRUE(f.mixer.Open());
    f.mixer.Update();
}

TEST(SMixDeviceOutput, DeviceThatCannotOpenGivesTheReason)
{
    CapturedLog log;
    setenv("SDL_AUDIODRIVER", "bogus", 1);
    SMixFixture f(std::make_unique<nWaveOutSDL>());
    EXPECT_FALSE(f.mixer.Open());
    EXPECT_EQ(log.text.rfind("[!] ", 0), 0u);
    f.mixer.Update();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}
