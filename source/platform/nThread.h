#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

// A thread is created parked behind a start gate and only runs once its owner resumes it, so an
// owner can finish setting up before the first instruction of Run executes. The state is 1 from
// the resume that lets Run start until Run returns or the thread is joined, 0 otherwise.
class nThread
{
public:
    nThread() = default;
    nThread(const nThread&) = delete;
    nThread& operator=(const nThread&) = delete;
    // A derived class whose Run may still be executing must Join in its own destructor: by the
    // time this one runs, the derived part that Run uses is gone.
    virtual ~nThread();

    virtual bool Run() = 0;

    bool Start();
    void Resume();
    void Join();
    int GetState() const { return m_state.load(); }
    bool GetExitCode() const { return m_exitCode.load(); }

private:
    enum class Gate { Closed, Open, Cancelled };

    void Entry();
    bool WaitAtGate();

    std::thread m_thread;
    std::mutex m_gateMutex;
    std::condition_variable m_gateChanged;
    Gate m_gate = Gate::Closed;
    std::atomic<int> m_state{0};
    std::atomic<bool> m_exitCode{false};
};
