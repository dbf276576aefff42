#include "app/Settings.h"

#include <cmath>
#include <cstdio>

#include <wx/confbase.h>
#include <wx/filename.h>

#include "base/AtomicFile.h"
#include "base/FileUtil.h"
#include "model/PlotRange.h"

const Setting<wxString> SETTING_CALCULATOR_FORMULA{"/CalculatorDlg/Formula", wxString()};
const Setting<int> SETTING_MIPMAP_RESOLUTION{"/Mipmap/Resolution", 512};
const Setting<double> SETTING_MOUSE_ZOOM{"/Mouse/Zoom", 1.1};

namespace {

template <typename T> T ReadOrRecord(wxConfigBase& config, const Setting<T>& setting)
{
    T value{};
    if (config.Read(setting.key, &value))
        return value;
    config.Write(setting.key, setting.defaultValue);
    return setting.defaultValue;
}

} // namespace

wxString ReadSetting(wxConfigBase& config, const Setting<wxString>& setting)
{
    return ReadOrRecord(config, setting);
}

int ReadSetting(wxConfigBase& config, const Setting<int>& setting)
{
    return ReadOrRecord(config, setting);
}

double ReadSetting(wxConfigBase& config, const Setting<double>& setting)
{
    return ReadOrRecord(config, setting);
}

double ReadZoomFactor(wxConfigBase& config)
{
    return ValidZoomFactor(ReadSetting(config, SETTING_MOUSE_ZOOM));
}

ColumnCacheSettings ReadCacheSettings(const wxConfigBase& config)
{
    ColumnCacheSettings settings;
    config.Read("/Cache/Enabled", &settings.enabled, true);
    long maxBytes = 0;
    if (config.Read("/Cache/MaxBytes", &maxBytes) && maxBytes > 0)
        settings.maxBytes = maxBytes;
    return settings;
}

void WriteCacheEnabled(wxConfigBase& config, bool on)
{
    config.Write("/Cache/Enabled", on);
}

bool ReadPaletteSetting(const wxConfigBase& config)
{
    bool on = false;
    config.Read("/Plot/Palette", &on, false);
    return on;
}

void WritePaletteSetting(wxConfigBase& config, bool on)
{
    config.Write("/Plot/Palette", on);
}

bool WriteFileAtomically(const wxString& path, const void* data, size_t size)
{
    const wxFileName target(path);
    if (!target.DirExists() &&
        !wxFileName::Mkdir(target.GetPath(), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL))
        return false;
    // Private to the user, as the settings file has always been.
    AtomicFile file;
    const std::string name = FileNameToNarrow(path);
    return !name.empty() && file.Create(name, 0600) &&
           std::fwrite(data, 1, size, file.File()) == size && file.Commit(true);
}
