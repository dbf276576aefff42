#include "model/MipmapBuilder.h"

#include <atomic>
#include <new>

#include "base/HelperThread.h"
#include "progress/Progress.h"

namespace {

// Progress for the helper's share of the mipmaps: silent, cancelled by a flag.
class FlagProgress : public Progress
{
public:
    explicit FlagProgress(std::atomic<bool>& stop) : m_stop(stop) {}
    void SetPosition(int, int) override {}
    void SetMessage(const wxString&) override {}
    bool IsCancelled() override { return m_stop.load(); }

private:
    std::atomic<bool>& m_stop;
};

// Forwards to the dialog's progress; a cancel there (or a stop) stops the helper too.
class ForwardProgress : public Progress
{
public:
    ForwardProgress(Progress* inner, std::atomic<bool>& stop) : m_inner(inner), m_stop(stop) {}
    void SetPosition(int position, int total) override
    {
        if (m_inner)
            m_inner->SetPosition(position, total);
    }
    void SetMessage(const wxString& message) override
    {
        if (m_inner)
            m_inner->SetMessage(message);
    }
    bool IsCancelled() override
    {
        if (m_inner && m_inner->IsCancelled())
            m_stop = true;
        return m_stop.load();
    }

private:
    Progress* m_inner;
    std::atomic<bool>& m_stop;
};

} // namespace

ResultCode MipmapBuilder::Build(int resolution, Progress* progress)
{
    try {
        return BuildOnThreads(resolution, progress);
    } catch (const std::bad_alloc&) {
        return ResultCode::OUT_OF_MEMORY;
    }
}

ResultCode MipmapBuilder::BuildOnThreads(int resolution, Progress* progress)
{
    struct Item
    {
        GraphDataY* y;
        int levels;
    };
    std::vector<Item> items;
    for (GraphDataY* y : m_dataYs) {
        const int levels = MipmapLevelCount(y->raw.size(), resolution);
        bool seen = false;
        for (const Item& item : items)
            seen = seen || item.y == y;
        if (!seen && levels > 0)
            items.push_back(Item{y, levels});
    }

    std::atomic<size_t> next{0};
    std::atomic<bool> stop{false};
    auto work = [&](Progress* p) -> ResultCode {
        for (size_t i = next++; i < items.size(); i = next++) {
            const ResultCode result = items[i].y->CreateMipmapIn(items[i].levels, p, m_allocate);
            if (result != ResultCode::SUCCESS) {
                stop = true;
                return result;
            }
        }
        return ResultCode::SUCCESS;
    };

    FlagProgress helperProgress(stop);
    ForwardProgress mainProgress(progress, stop);
    ResultCode helperResult = ResultCode::SUCCESS;
    HelperThread helper;
    const bool parallel = m_threadCount >= 2 && items.size() >= 2 &&
                          helper.Start([&] { helperResult = work(&helperProgress); });
    ResultCode result = work(&mainProgress);
    if (parallel)
        helper.WaitPolling([&] { return !mainProgress.IsCancelled(); }, [&] { stop = true; });
    // A shortage of memory on either thread outranks the cancel it caused on the other.
    if (helperResult == ResultCode::OUT_OF_MEMORY || result == ResultCode::SUCCESS)
        result = helperResult;
    return result;
}
