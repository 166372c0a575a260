#include "apprestrict/ApplicationCheck.h"

#include "apprestrict/ProcessNames.h"
#include "fw/HostLog.h"

namespace {

// One comparison's log line, without and with the original name.
struct CheckLines {
    const wchar_t* exe;
    const wchar_t* exeAndOriginal;
};
const CheckLines kDenyLines = {L"CRestrictAction::CheckApplicationRestrict [RESTRICT=%s] [EXE=%s]",
                               L"CRestrictAction::CheckApplicationRestrict [RESTRICT=%s] [EXE=%s] [ORIGINAL=%s]"};
const CheckLines kAllowLines = {L"CRestrictAction::CheckApplicationRestrict [APPROVE=%s] [EXE=%s]",
                                L"CRestrictAction::CheckApplicationRestrict [APPROVE=%s] [EXE=%s] [ORIGINAL=%s]"};

// Walks the host's list head to tail, logging each comparison, until an
// entry names `name` (the record's executable, lower case) or, when there is
// one, its original name. No path, wildcard or prefix matching.
bool IsListed(CHostLog* log, const void* list, const CLIENT_APP_INFO& info, const std::wstring& name,
              const std::wstring& original, const CheckLines& lines) {
    for (const CLIENT_APP_INFO& entry : HostRecords(list)) {
        if (original.empty())
            Log(log, RA_LOG_TRACE, lines.exe, entry.szAppExeName, info.szAppExeName);
        else
            Log(log, RA_LOG_TRACE, lines.exeAndOriginal, entry.szAppExeName, info.szAppExeName, original.c_str());
        const std::wstring listed = ToLower(entry.szAppExeName);
        if (listed == name || (!original.empty() && listed == original)) return true;
    }
    return false;
}

}  // namespace

Verdict CheckApplicationRestrict(const WindowFacts& window, const AppRule& rule, const Exemptions& exemptions,
                                 CHostLog* log, ProcessNames* originalNames) {
    const CLIENT_APP_INFO& info = window.record;
    if (IsExemptApplication(info, TRUE, exemptions)) return {};
    const std::wstring name = ToLower(info.szAppExeName);
    std::wstring original = originalNames ? originalNames->OriginalNameOf(info.dwProcessId) : std::wstring();
    if (original == name) original.clear();  // nothing more to match
    const bool denyList = rule.param != 0;
    if (IsListed(log, rule.list, info, name, original, denyList ? kDenyLines : kAllowLines) != denyList) return {};
    Verdict verdict = Verdict::End(window.window, false);
    verdict.notice = Verdict::Notice::kAppRestricted;
    return verdict;
}
