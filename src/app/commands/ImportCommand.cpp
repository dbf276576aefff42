#include "app/commands/ImportCommand.h"

#include "app/MainFrame.h"

void RunImportCommand(MainFrame&) {}
