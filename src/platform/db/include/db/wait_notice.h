// The notice of a wait for other stations: while an SQLite file is opened
// (or, at a station that may not write it, read) and another station holds
// it, the engine tells the notice installed here, before each new try, how
// long it has waited; the notice may show it and answers whether to go on
// waiting. A wait the notice ends fails as one whose time ran out (the file
// busy). A statement waiting within the engine's own busy timeout does not
// tell it. User-interface thread only.
#pragma once

#include <chrono>
#include <functional>

namespace adodb {

// True: go on waiting; false: the user gave up.
using WaitNotice = std::function<bool(std::chrono::milliseconds waited)>;

// Installs `notice` (an empty one: none) and returns the one it replaces.
WaitNotice SetWaitNotice(WaitNotice notice);

// What the installed notice answers for a wait of `waited`; true when none is installed.
bool NoticeWait(std::chrono::milliseconds waited);

}  // namespace adodb
