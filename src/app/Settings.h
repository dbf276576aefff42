#pragma once

#include <wx/string.h>

#include "csv/ColumnCache.h"

class wxConfigBase;

// A setting in the per-user configuration: its key and the default that is recorded
// under the key the first time the setting is read without a value.
template <typename T> struct Setting
{
    const char* key;
    T defaultValue;
};

extern const Setting<wxString> SETTING_CALCULATOR_FORMULA; // "/CalculatorDlg/Formula"
extern const Setting<int> SETTING_MIPMAP_RESOLUTION;       // "/Mipmap/Resolution"
extern const Setting<double> SETTING_MOUSE_ZOOM;           // "/Mouse/Zoom"

// Each setting is read from the configuration it is given (the application's, handed down
// by the main window). A missing (or unreadable) value is replaced by the default, which is
// written back so that it is saved at exit.
wxString ReadSetting(wxConfigBase& config, const Setting<wxString>& setting);
int ReadSetting(wxConfigBase& config, const Setting<int>& setting);
double ReadSetting(wxConfigBase& config, const Setting<double>& setting);

// The zoom factor of the zoom commands and the mouse wheel, bounded by ValidZoomFactor.
double ReadZoomFactor(wxConfigBase& config);

// "/Plot/Palette": new series get distinct colours. Off unless the user turned it on; read
// without writing a default, so the configuration file stays as it was until then.
bool ReadPaletteSetting(const wxConfigBase& config);
void WritePaletteSetting(wxConfigBase& config, bool on);

// "/Cache/Enabled" (default on) and "/Cache/MaxBytes" (0 or missing: a tenth of the free
// space), read without writing defaults.
ColumnCacheSettings ReadCacheSettings(const wxConfigBase& config);
void WriteCacheEnabled(wxConfigBase& config, bool on);

// Writes `size` bytes to a temporary file beside `path` (private to the user), flushes it
// to disk and renames it over `path`, so that a crash or a full disk never leaves a
// truncated settings file. Creates the folder if needed. False, with nothing changed, on
// failure.
bool WriteFileAtomically(const wxString& path, const void* data, size_t size);
