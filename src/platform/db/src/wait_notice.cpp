#include "db/wait_notice.h"

#include <utility>

namespace adodb {

namespace {

WaitNotice& Installed() {
    static WaitNotice notice;
    return notice;
}

}  // namespace

WaitNotice SetWaitNotice(WaitNotice notice) { return std::exchange(Installed(), std::move(notice)); }

bool NoticeWait(std::chrono::milliseconds waited) {
    const WaitNotice& notice = Installed();
    return !notice || notice(waited);
}

}  // namespace adodb
