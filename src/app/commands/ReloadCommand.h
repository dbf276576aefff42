#pragma once

class CommandHost;

// File > Reload (F5): reads every file the series came from again, keeping the view, the
// cursors, the styles and the series' order and names.
void RunReloadCommand(CommandHost& host);

// One step of View > Follow: files that grew are appended, without a dialog. While the
// view's right edge was at the end of the data, the view keeps its width and moves with
// the newest point; a view panned or zoomed away from the end stays where it is.
void RunFollowStep(CommandHost& host);
