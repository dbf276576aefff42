#include "app/commands/ExportImageCommand.h"

#include "app/MainFrame.h"

void RunExportImageCommand(MainFrame&) {}
