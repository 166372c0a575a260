#include "apprestrict/ApplicationCheck.h"

#include "fw/HostLog.h"

namespace {

// Walks the host's list head to tail, logging each comparison with
// `format`, until an entry names the record's executable. No path, wildcard
// or prefix matching.
bool IsListed(CHostLog* log, const void* list, const CLIENT_APP_INFO& info, const wchar_t* format) {
    const std::wstring name = ToLower(info.szAppExeName);
    for (const CLIENT_APP_INFO& entry : HostRecords(list)) {
        Log(log, RA_LOG_TRACE, format, entry.szAppExeName, info.szAppExeName);
        if (ToLower(entry.szAppExeName) == name) return true;
    }
    return false;
}

}  // namespace

Verdict CheckApplicationRestrict(const WindowFacts& window, const AppRule& rule, const Exemptions& exemptions,
                                 CHostLog* log) {
    if (IsExemptApplication(window.record, TRUE, exemptions)) return {};
    const bool denyList = rule.param != 0;
    const wchar_t* format = denyList ? L"CRestrictAction::CheckApplicationRestrict [RESTRICT=%s] [EXE=%s]"
                                     : L"CRestrictAction::CheckApplicationRestrict [APPROVE=%s] [EXE=%s]";
    if (IsListed(log, rule.list, window.record, format) != denyList) return {};
    Verdict verdict = Verdict::End(window.window, false);
    verdict.notice = Verdict::Notice::kAppRestricted;
    return verdict;
}
