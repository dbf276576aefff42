#pragma once

#include <chrono>
#include <exception>
#include <functional>
#include <future>
#include <system_error>
#include <thread>

// Runs a function on a second thread while the calling thread does its own share; the
// caller then waits with WaitPolling, which keeps polling (for progress and cancel).
class HelperThread
{
public:
    // False when no thread could be started (the caller then does the work itself).
    bool Start(std::function<void()> work)
    {
        std::promise<void> done;
        m_done = done.get_future();
        try {
            m_thread =
                std::thread([this, work = std::move(work), done = std::move(done)]() mutable {
                    try {
                        work();
                    } catch (...) {
                        m_error = std::current_exception();
                    }
                    done.set_value();
                });
        } catch (const std::system_error&) {
            return false;
        }
        return true;
    }

    // Waits for the end of the work, calling poll() at short intervals; when poll
    // returns false, calls stop() once and keeps waiting for the thread. An exception of
    // the work is thrown again here.
    void WaitPolling(const std::function<bool()>& poll, const std::function<void()>& stop)
    {
        bool stopped = false;
        while (m_done.wait_for(WAIT_POLL) != std::future_status::ready) {
            if (!stopped && !poll()) {
                stop();
                stopped = true;
            }
        }
        m_thread.join();
        if (m_error)
            std::rethrow_exception(m_error);
    }

    ~HelperThread()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    static constexpr std::chrono::milliseconds WAIT_POLL{20};
    std::thread m_thread;
    std::future<void> m_done;
    std::exception_ptr m_error;
};
