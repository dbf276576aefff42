#pragma once

#include <chrono>

#include "progress/ProgressProc.h"

// Progress of the command-line tool: a bar on stderr when stderr is a terminal, nothing
// otherwise. Ctrl+C sets the cancel flag that IsCancelled reports, so an interrupted
// operation goes through the same cancel path as the desktop's Cancel button.
// Also a ProcContext that runs procedures on the calling thread.
class TerminalProgress : public Progress, public ProcContext
{
public:
    TerminalProgress();
    ~TerminalProgress() override;

    void SetPosition(int position, int total) override;
    void SetMessage(const wxString& message) override;
    bool IsCancelled() override;

    bool Execute(std::shared_ptr<ProgressProcBase> proc) override;

    // True once Ctrl+C was pressed (also after the operation returned).
    static bool Interrupted();
    static void InstallInterruptHandler();

private:
    void Draw(bool force);
    void Clear();

    bool m_terminal;
    wxString m_message;
    int m_position = 0;
    int m_total = 0;
    bool m_drawn = false;
    std::chrono::steady_clock::time_point m_lastDraw;
};
