#pragma once

class CommandHost;

// The command Export Image File (the graph as PNG, SVG, PDF or PS).
void RunExportImageCommand(CommandHost& host);
