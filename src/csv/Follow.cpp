#include "csv/Follow.h"

#include <new>
#include <system_error>

#include <wx/intl.h>

namespace {

// Runs a whole read's procedure on the calling thread, cancelled when the follower stops.
class StoppableContext : public ProcContext
{
public:
    explicit StoppableContext(const std::atomic<bool>& cancel) : m_progress(cancel) {}
    bool Execute(std::shared_ptr<ProgressProcBase> proc) override
    {
        proc->Process(&m_progress);
        return true;
    }

private:
    class StopProgress : public Progress
    {
    public:
        explicit StopProgress(const std::atomic<bool>& cancel) : m_cancel(cancel) {}
        void SetPosition(int, int) override {}
        void SetMessage(const wxString&) override {}
        bool IsCancelled() override { return m_cancel; }

    private:
        const std::atomic<bool>& m_cancel;
    };
    StopProgress m_progress;
};

} // namespace

FileFollower::~FileFollower()
{
    Stop();
}

void FileFollower::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void FileFollower::Stop()
{
    m_cancel = true;
    Join();
    m_updates.clear();
    m_running = false;
    m_ready = false;
    m_cancel = false;
}

bool FileFollower::Start(const GraphProject& project, const CSVImportTuning& tuning, int resolution,
                         std::function<void()> done)
{
    if (m_running || m_ready)
        return false;
    Join();
    // Copies of the reads as they are now: the thread touches nothing the project holds.
    std::vector<std::pair<std::shared_ptr<FileRead>, bool>> reads;
    for (auto& read : FileReadsOf(project))
        reads.emplace_back(read, m_readWhole.count(read.get()) > 0);
    m_readWhole.clear();
    if (reads.empty())
        return false;
    std::vector<FileRead> copies;
    for (const auto& read : reads)
        copies.push_back(*read.first);
    m_resolution = resolution;
    m_running = true;
    auto work = [this, reads, copies = std::move(copies), tuning, resolution, step = m_stepBytes,
                 done = std::move(done)]() mutable {
        std::vector<FileUpdate> updates;
        StoppableContext context(m_cancel);
        try {
            for (size_t k = 0; k < reads.size() && !m_cancel; ++k)
                updates.push_back(ReadFileUpdate(reads[k].first, copies[k], reads[k].second, tuning,
                                                 resolution, &context, step));
        } catch (const std::bad_alloc&) {
            FileUpdate failed;
            failed.read = reads[updates.size()].first;
            failed.then = copies[updates.size()];
            failed.change = FileChange::REPLACED;
            failed.result = ResultCode::OUT_OF_MEMORY;
            failed.message = _("Not enough memory to read what the file gained.");
            updates.push_back(std::move(failed));
        }
        m_updates = std::move(updates);
        m_ready = true;
        m_running = false;
        if (done)
            done();
    };
    try {
        m_thread = std::thread(work);
    } catch (const std::system_error&) {
        work();
    }
    return true;
}

bool FileFollower::Finish(GraphProject& project, ReloadReport& report, bool& again)
{
    again = false;
    if (!m_ready)
        return false;
    Join();
    std::vector<FileUpdate> updates = std::move(m_updates);
    m_updates.clear();
    m_ready = false;
    for (const FileUpdate& update : updates) {
        if (!ApplyFileUpdate(project, update, m_resolution, report)) {
            m_readWhole.insert(update.read.get());
            again = true;
        } else if (update.more) {
            again = true;
        }
    }
    return true;
}
