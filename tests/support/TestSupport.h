#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "progress/ProgressProc.h"

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
    const std::vector<std::string>& Messages() const { return m_messages; }

    // Called by the test assert handler.
    static bool Record(const std::string& text);

private:
    std::atomic<int> m_count{0};
    std::vector<std::string> m_messages;
    std::mutex m_mutex;
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
