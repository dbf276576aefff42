#pragma once

class MainFrame;

// The command Export (File > Export: series to a CSV or TXT file).
void RunExportCommand(MainFrame& frame);
