#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <wx/filefn.h>
#include <wx/filename.h>

// A fresh, empty folder under the build tree, removed with its files at the end.
class TempDir
{
public:
    explicit TempDir(const std::string& name)
        : m_path(wxString(ARDENTINE_BINARY_DIR) + "/test-render-" + name)
    {
        wxFileName::Rmdir(m_path, wxPATH_RMDIR_RECURSIVE);
        wxFileName::Mkdir(m_path, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    }
    ~TempDir() { wxFileName::Rmdir(m_path, wxPATH_RMDIR_RECURSIVE); }
    wxString File(const wxString& name) const { return m_path + "/" + name; }
    const wxString& Path() const { return m_path; }

private:
    wxString m_path;
};

inline std::string ReadFile(const wxString& path)
{
    std::ifstream in(path.utf8_string(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The pixel of an image surface as 0xAARRGGBB (premultiplied, as cairo stores it).
inline uint32_t PixelAt(cairo_surface_t* surface, int x, int y)
{
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    uint32_t p = *reinterpret_cast<const uint32_t*>(data + size_t(y) * stride + size_t(x) * 4);
    if (cairo_image_surface_get_format(surface) == CAIRO_FORMAT_RGB24)
        p |= 0xFF000000u;
    return p;
}

// cairo and fontconfig keep fonts and their configuration in process-wide caches;
// release them at the end of the run so that the leak checker sees only real leaks.
class CairoStaticData : public ::testing::Environment
{
public:
    void TearDown() override
    {
        cairo_debug_reset_static_data();
        FcFini();
    }
};
