#include "app/commands/ExportCommand.h"

#include "app/MainFrame.h"

void RunExportCommand(MainFrame&) {}
