#pragma once

#include <memory>
#include <utility>

#include "progress/Progress.h"
#include "progress/ResultCode.h"

// A runnable long operation, held by shared reference: the caller, the progress dialog
// and its worker thread hold it for overlapping times.
class ProgressProcBase
{
public:
    virtual ~ProgressProcBase() = default;
    virtual void Process(Progress* progress) = 0;
};

// The result a procedure holds before it has run, so that a context that returns without
// running it is never taken for a success.
template <typename Result> Result NotRunResult()
{
    return Result{};
}
template <> inline ResultCode NotRunResult<ResultCode>()
{
    return ResultCode::NOT_STARTED;
}

// Binds a worker's member function (with its fixed arguments) to the one open argument,
// the Progress pointer, and keeps the result.
template <typename Result, typename Callable> class ProgressProc : public ProgressProcBase
{
public:
    explicit ProgressProc(Callable callable) : m_callable(std::move(callable)) {}

    void Process(Progress* progress) override { m_result = m_callable(progress); }
    Result GetResult() const { return m_result; }

private:
    Callable m_callable;
    Result m_result = NotRunResult<Result>();
};

// Something that can run a progress procedure and returns when it has finished or was
// cancelled. Returns false when the procedure could not be run at all.
class ProcContext
{
public:
    virtual ~ProcContext() = default;
    virtual bool Execute(std::shared_ptr<ProgressProcBase> proc) = 0;
};

// Runs worker->fn(fixed..., progress): directly with a DummyProgress when context is
// null, otherwise through context (normally the progress dialog's worker thread).
// Gives ResultCode::NOT_STARTED when the context could not run the procedure.
template <typename Worker, typename... Params, typename... Fixed>
ResultCode RunProgressProc(ProcContext* context, ResultCode (Worker::*fn)(Params...),
                           Worker* worker, Fixed... fixed)
{
    if (!context) {
        DummyProgress progress;
        return (worker->*fn)(fixed..., &progress);
    }
    auto call = [fn, worker, fixed...](Progress* progress) {
        return (worker->*fn)(fixed..., progress);
    };
    auto proc = std::make_shared<ProgressProc<ResultCode, decltype(call)>>(std::move(call));
    if (!context->Execute(proc))
        return ResultCode::NOT_STARTED;
    return proc->GetResult();
}
