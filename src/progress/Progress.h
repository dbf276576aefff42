#pragma once

#include <cstdint>

#include <wx/string.h>

// How a long operation reports and learns of cancellation. Implementations must be safe
// to call from the worker thread the operation runs on.
class Progress
{
public:
    virtual ~Progress() = default;
    virtual void SetPosition(int position, int total) = 0;
    virtual void SetMessage(const wxString& message) = 0;
    // True once the user asked to stop; the operation then undoes its partial work and
    // returns ResultCode::CANCELLED.
    virtual bool IsCancelled() = 0;
};

class DummyProgress : public Progress
{
public:
    void SetPosition(int, int) override {}
    void SetMessage(const wxString&) override {}
    bool IsCancelled() override { return false; }
};

// SetPosition for 64-bit counts (files over 2 GiB, huge series): scales both into the
// int range while keeping their ratio.
void ReportPosition(Progress& progress, int64_t position, int64_t total);
