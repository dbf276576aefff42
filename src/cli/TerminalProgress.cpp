#include "cli/TerminalProgress.h"

#include <atomic>
#include <csignal>
#include <cstdio>

#include <unistd.h>

namespace {

std::atomic<bool> g_interrupted{false};

extern "C" void OnInterrupt(int)
{
    g_interrupted = true;
}

} // namespace

void TerminalProgress::InstallInterruptHandler()
{
    struct sigaction action = {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

bool TerminalProgress::Interrupted()
{
    return g_interrupted;
}

TerminalProgress::TerminalProgress() : m_terminal(isatty(STDERR_FILENO) == 1) {}

TerminalProgress::~TerminalProgress()
{
    Clear();
}

void TerminalProgress::SetPosition(int position, int total)
{
    m_position = position;
    m_total = total;
    Draw(false);
}

void TerminalProgress::SetMessage(const wxString& message)
{
    m_message = message;
    Draw(true);
}

bool TerminalProgress::IsCancelled()
{
    return g_interrupted;
}

bool TerminalProgress::Execute(std::shared_ptr<ProgressProcBase> proc)
{
    proc->Process(this);
    Clear();
    return true;
}

void TerminalProgress::Draw(bool force)
{
    if (!m_terminal)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && m_drawn && now - m_lastDraw < std::chrono::milliseconds(100))
        return;
    m_lastDraw = now;
    const int width = 30;
    const double ratio = m_total > 0 ? double(m_position) / double(m_total) : 0.0;
    const int filled = int(ratio * width + 0.5);
    std::string bar(size_t(filled < 0 ? 0 : filled > width ? width : filled), '#');
    bar.resize(width, ' ');
    std::string message = m_message.utf8_string();
    if (message.size() > 40)
        message = message.substr(0, 37) + "...";
    std::fprintf(stderr, "\r\033[K%s [%s] %3d%%", message.c_str(), bar.c_str(), int(ratio * 100));
    std::fflush(stderr);
    m_drawn = true;
}

void TerminalProgress::Clear()
{
    if (m_terminal && m_drawn) {
        std::fprintf(stderr, "\r\033[K");
        std::fflush(stderr);
        m_drawn = false;
    }
}
