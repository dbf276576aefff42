#include "app/commands/CalculateCommand.h"

#include "app/MainFrame.h"

void RunCalculateCommand(MainFrame&) {}
