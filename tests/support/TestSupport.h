#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "progress/ProgressProc.h"

// Points $XDG_CACHE_HOME at a fresh temporary folder, removed by the returned object: no
// test reads or writes the user's own column cache.
class TemporaryCacheHome
{
public:
    TemporaryCacheHome();
    ~TemporaryCacheHome();
    const std::string& Dir() const { return m_dir; }

private:
    std::string m_dir;
};

// Turns every wx assertion into a test failure (never a dialog), unless an
// ExpectWxAsserts is alive.
void InstallTestAssertHandler();

// While one of these lives, wx assertions are counted instead of failing the test.
class ExpectWxAsserts
{
public:
    ExpectWxAsserts();
    ~ExpectWxAsserts();
    int Count() const { return m_count; }

    // Called by the test assert handler; false when no ExpectWxAsserts lives.
    static bool Record();

private:
    std::atomic<int> m_count{0};
};

// What a procedure reported through its Progress.
struct ProgressRecord
{
    std::vector<std::pair<int, int>> positions; // (position, total)
    std::vector<std::string> messages;
    int cancelPolls = 0;
};

// A ProcContext that runs the procedure on a real std::thread, as the progress dialog
// does, and can cancel it: after `cancelAfterPositions` SetPosition calls, or when a
// message containing `cancelOnMessage` has been reported (then at the next poll).
class ThreadProcContext : public ProcContext, public Progress
{
public:
    int cancelAfterPositions = -1;
    std::string cancelOnMessage;
    // Called on the worker thread for each SetPosition; may cancel by returning true.
    std::function<bool(int position, int total)> cancelWhen;

    bool Execute(std::shared_ptr<ProgressProcBase> proc) override;

    void SetPosition(int position, int total) override;
    void SetMessage(const wxString& message) override;
    bool IsCancelled() override;

    ProgressRecord Record() const;
    int Executions() const { return m_executions; }
    void Reset();

private:
    mutable std::mutex m_mutex;
    ProgressRecord m_record;
    std::atomic<bool> m_cancelled{false};
    int m_executions = 0;
};

// Builds its result step by step, reporting as it goes; when cancelled it takes its
// partial work back and returns CANCELLED.
struct StepWorker
{
    int steps = 100;
    bool waitForCancel = false; // after the steps, wait until cancelled
    std::vector<int> built;
    std::thread::id thread;
    std::atomic<bool> finished{false}; // set after a cancel's clean-up

    ResultCode Run(int messageEvery, Progress* progress)
    {
        thread = std::this_thread::get_id();
        for (int i = 0; i < steps; ++i) {
            if (progress->IsCancelled())
                return Cancel();
            built.push_back(i);
            progress->SetPosition(i + 1, steps);
            if ((i + 1) % messageEvery == 0)
                progress->SetMessage(wxString::Format("step %d", i + 1));
        }
        // The deadline only keeps a broken dialog from hanging the run.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (waitForCancel && std::chrono::steady_clock::now() < deadline) {
            if (progress->IsCancelled())
                return Cancel();
            std::this_thread::yield();
        }
        return ResultCode::SUCCESS;
    }
    ResultCode Cancel()
    {
        for (int spin = 0; spin < 20000; ++spin) // slow clean-up: the dialog must wait for it
            std::this_thread::yield();
        built.clear();
        finished = true;
        return ResultCode::CANCELLED;
    }
};
