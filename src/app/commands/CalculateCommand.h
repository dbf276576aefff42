#pragma once

class CommandHost;

// The command Calculate (Data > Calculate: a new series from a formula).
void RunCalculateCommand(CommandHost& host);
