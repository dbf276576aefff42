#pragma once

class MainFrame;

// The command Import (File > Import, the toolbar's Import from File).
void RunImportCommand(MainFrame& frame);
