#pragma once

// Following growing files: the files are read on a worker thread, so the window keeps
// answering while a logger's lines are parsed; the series take what was read on the thread
// that owns the project.

#include <atomic>
#include <functional>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "csv/Reload.h"

class FileFollower
{
public:
    // Bytes of new lines one step reads at most: a file that grows faster than it is read
    // is taken in steps, so each picture comes soon and memory stays bounded.
    static constexpr int64_t STEP_BYTES = 64 << 20;

    explicit FileFollower(int64_t stepBytes = STEP_BYTES) : m_stepBytes(stepBytes) {}
    FileFollower(const FileFollower&) = delete;
    FileFollower& operator=(const FileFollower&) = delete;
    ~FileFollower(); // stops a read under way and waits for it

    // Starts reading what the files of the project's series gained, on a worker thread;
    // `done` is called on that thread when the read has ended (to wake the owner). False
    // while a read is under way or nothing is file-backed; when no thread can be started
    // the read runs here before this returns (`done` called too).
    bool Start(const GraphProject& project, const CSVImportTuning& tuning, int resolution,
               std::function<void()> done);
    bool Running() const { return m_running; }
    // Whether a read has ended and waits for Finish.
    bool Ready() const { return m_ready; }

    // Gives the project what a finished read found (on the project's thread); false when
    // no read has finished. Sets `again` when more is to be read at once (a step's byte
    // limit was reached, or a file can't be appended and is read whole next).
    bool Finish(GraphProject& project, ReloadReport& report, bool& again);

    // Stops a read under way (a whole read ends at its next progress check) and drops it.
    void Stop();

private:
    void Join();

    std::thread m_thread;
    std::atomic<bool> m_running{false}, m_ready{false}, m_cancel{false};
    std::vector<FileUpdate> m_updates;
    std::set<const FileRead*> m_readWhole; // to read whole at the next start
    int m_resolution = 0;
    int64_t m_stepBytes;
};
