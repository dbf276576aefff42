#pragma once

class MainFrame;

// The command Export Image File (the graph as PNG, SVG, PDF or PS).
void RunExportImageCommand(MainFrame& frame);
