#pragma once

class CommandHost;

// The command Export (File > Export: series to a CSV or TXT file).
void RunExportCommand(CommandHost& host);
