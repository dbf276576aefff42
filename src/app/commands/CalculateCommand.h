#pragma once

class MainFrame;

// The command Calculate (Data > Calculate: a new series from a formula).
void RunCalculateCommand(MainFrame& frame);
