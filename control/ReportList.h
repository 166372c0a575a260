// The APPWATCH report: records the sweep owns, linked in the host
// framework's pointer-list layout so that the host can walk it with its own
// inline accessors while WM_RA_APPWATCH_REPORT is being handled.
#pragma once

#include "RestrictAction.h"

#include <memory>
#include <vector>

class ReportList {
public:
    ReportList() noexcept;
    ReportList(const ReportList&) = delete;
    ReportList& operator=(const ReportList&) = delete;

    void Append(std::unique_ptr<CLIENT_APP_INFO> record);
    // Exact, case-sensitive comparison of exe name and caption.
    bool Contains(const CLIENT_APP_INFO& record) const noexcept;
    RA_PTRLIST* get() noexcept { return &list_; }

private:
    RA_PTRLIST list_;
    std::vector<std::unique_ptr<CLIENT_APP_INFO>> records_;
    std::vector<std::unique_ptr<RA_PTRLIST_NODE>> nodes_;
};
