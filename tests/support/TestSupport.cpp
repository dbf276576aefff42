#include "support/TestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>
#include <wx/debug.h>

namespace {

ExpectWxAsserts* g_expect = nullptr;

void TestAssertHandler(const wxString& file, int line, const wxString& func, const wxString& cond,
                       const wxString& msg)
{
    if (ExpectWxAsserts::Record())
        return;
    ADD_FAILURE_AT(file.utf8_string().c_str(), line)
        << "wx assertion failed: " << func << ": " << cond << (msg.empty() ? "" : " (" + msg + ")");
}

} // namespace

TemporaryCacheHome::TemporaryCacheHome()
{
    std::string pattern = "/tmp/ardentine-cache-home-XXXXXX";
    if (mkdtemp(&pattern[0]))
        m_dir = pattern;
    setenv("XDG_CACHE_HOME", m_dir.empty() ? "/nonexistent/ardentine-tests" : m_dir.c_str(), 1);
}

TemporaryCacheHome::~TemporaryCacheHome()
{
    std::error_code ignored;
    if (!m_dir.empty())
        std::filesystem::remove_all(m_dir, ignored);
}

void InstallTestAssertHandler() { wxSetAssertHandler(TestAssertHandler); }

ExpectWxAsserts::ExpectWxAsserts() { g_expect = this; }
ExpectWxAsserts::~ExpectWxAsserts() { g_expect = nullptr; }

bool ExpectWxAsserts::Record()
{
    if (!g_expect)
        return false;
    ++g_expect->m_count;
    return true;
}

bool ThreadProcContext::Execute(std::shared_ptr<ProgressProcBase> proc)
{
    ++m_executions;
    std::thread worker([this, proc] { proc->Process(this); });
    worker.join();
    return true;
}

void ThreadProcContext::SetPosition(int position, int total)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_record.positions.emplace_back(position, total);
    if (cancelAfterPositions >= 0 &&
        static_cast<int>(m_record.positions.size()) >= cancelAfterPositions)
        m_cancelled = true;
    if (cancelWhen && cancelWhen(position, total))
        m_cancelled = true;
}

void ThreadProcContext::SetMessage(const wxString& message)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_record.messages.push_back(message.utf8_string());
    if (!cancelOnMessage.empty() &&
        message.utf8_string().find(cancelOnMessage) != std::string::npos)
        m_cancelled = true;
}

bool ThreadProcContext::IsCancelled()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_record.cancelPolls;
    return m_cancelled;
}

ProgressRecord ThreadProcContext::Record() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_record;
}

void ThreadProcContext::Reset()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_record = ProgressRecord{};
    m_cancelled = false;
}
