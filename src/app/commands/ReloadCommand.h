#pragma once

#include <functional>

class FileFollower;
class CommandHost;

// File > Reload (F5): reads every file the series came from again, keeping the view, the
// cursors, the styles and the series' order and names.
void RunReloadCommand(CommandHost& host);

// View > Follow, in two halves: the files are read on the follower's thread (`done` is
// called there when the read ends), then the series take what was read. While the view's
// right edge was at the end of the data, the view keeps its width and moves with the
// newest point (and with `fitY`, Y shows the visible points); a view panned or zoomed away
// from the end stays where it is. FinishFollowRead is true when more is to be read at once.
bool StartFollowRead(CommandHost& host, FileFollower& follower, std::function<void()> done);
bool FinishFollowRead(CommandHost& host, FileFollower& follower, bool fitY);
