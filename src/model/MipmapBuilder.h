#pragma once

#include <vector>

#include "model/GraphData.h"
#include "progress/ResultCode.h"

// Builds the mipmaps of several series' values for one resolution, each distinct
// GraphDataY once, on up to two threads that take whole series. A progress procedure:
// RunProgressProc(context, &MipmapBuilder::Build, &builder, resolution).
class MipmapBuilder
{
public:
    explicit MipmapBuilder(std::vector<GraphDataY*> dataYs, int threads = 2)
        : m_dataYs(std::move(dataYs)), m_threadCount(threads)
    {
    }
    // Where the stored arrays go instead of the heap (see GraphDataY::CreateMipmap); it is
    // called from both threads.
    void SetAllocator(std::function<LargeArray<MinMax>(size_t)> allocate)
    {
        m_allocate = std::move(allocate);
    }

    // SUCCESS, CANCELLED or OUT_OF_MEMORY; never throws. A shortage of memory on either
    // thread outranks the cancel it caused on the other.
    ResultCode Build(int resolution, Progress* progress);

private:
    ResultCode BuildOnThreads(int resolution, Progress* progress);

    std::vector<GraphDataY*> m_dataYs;
    int m_threadCount;
    std::function<LargeArray<MinMax>(size_t)> m_allocate;
};
