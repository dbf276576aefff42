#include "render/CairoContext.h"

#include <cmath>

#include <cairo-pdf.h>
#include <cairo-ps.h>
#include <cairo-svg.h>

#include "base/AtomicFile.h"
#include "base/FileUtil.h"
#include "render/CairoText.h"

CairoTarget CairoTargetFromFileName(const wxString& fileName)
{
    const wxString upper = fileName.Upper();
    if (upper.EndsWith(".PDF"))
        return CairoTarget::Pdf;
    if (upper.EndsWith(".PS"))
        return CairoTarget::Ps;
    if (upper.EndsWith(".SVG"))
        return CairoTarget::Svg;
    if (upper.EndsWith(".PNG"))
        return CairoTarget::Png;
    return CairoTarget::Invalid;
}

namespace {

// cairo's own limit for image surfaces.
constexpr double MAX_IMAGE_SIDE = 32767.0;

bool IsImageSide(double side)
{
    return side >= 1.0 && side <= MAX_IMAGE_SIDE;
}

// Vector pages: cairo accepts any positive size, but a page must be finite.
bool IsPageSide(double side)
{
    return side > 0.0 && std::isfinite(side);
}

cairo_status_t WriteToFile(void* file, const unsigned char* data, unsigned int length)
{
    return std::fwrite(data, 1, length, static_cast<FILE*>(file)) == length
               ? CAIRO_STATUS_SUCCESS
               : CAIRO_STATUS_WRITE_ERROR;
}

} // namespace

CairoContext::CairoContext(int width, int height, double scale)
{
    if (!(scale > 0.0) || !IsImageSide(double(width)) || !IsImageSide(double(height)) ||
        !IsImageSide(std::ceil(width * scale)) || !IsImageSide(std::ceil(height * scale)))
        return;
    cairo_surface_t* surface = cairo_image_surface_create(
        CAIRO_FORMAT_RGB24, int(std::ceil(width * scale)), int(std::ceil(height * scale)));
    if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS)
        cairo_surface_set_device_scale(surface, scale, scale);
    m_kind = CairoTarget::Window;
    Adopt(surface);
}

CairoContext::CairoContext(const wxString& fileName, double width, double height)
    : m_fileName(fileName)
{
    const CairoTarget kind = CairoTargetFromFileName(fileName);
    if (kind == CairoTarget::Invalid)
        return;
    cairo_surface_t* surface = nullptr;
    if (kind == CairoTarget::Png) {
        // The image is kept in memory; its file is written by Finish.
        if (!IsImageSide(std::trunc(width)) || !IsImageSide(std::trunc(height)))
            return;
        surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(width), int(height));
    } else {
        if (!IsPageSide(width) || !IsPageSide(height) || !CreateOutput())
            return;
        FILE* file = m_output->File();
        if (kind == CairoTarget::Pdf)
            surface = cairo_pdf_surface_create_for_stream(WriteToFile, file, width, height);
        else if (kind == CairoTarget::Ps)
            surface = cairo_ps_surface_create_for_stream(WriteToFile, file, width, height);
        else
            surface = cairo_svg_surface_create_for_stream(WriteToFile, file, width, height);
    }
    m_kind = kind;
    Adopt(surface);
}

void CairoContext::Adopt(cairo_surface_t* surface)
{
    m_surface = surface;
    m_context = cairo_create(surface);
    // Any failure (no memory, a file that cannot be opened, a bad size) makes the
    // context unusable; the caller must learn of it now, not after drawing.
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS ||
        cairo_status(m_context) != CAIRO_STATUS_SUCCESS) {
        Release();
        m_output.reset();
        m_kind = CairoTarget::Invalid;
    }
}

bool CairoContext::CreateOutput()
{
    m_output = std::make_unique<AtomicFile>();
    const std::string name = FileNameToNarrow(m_fileName);
    if (!name.empty() && m_output->Create(name))
        return true;
    m_output.reset();
    return false;
}

bool CairoContext::WritePng()
{
    return CreateOutput() && cairo_surface_write_to_png_stream(
                                 m_surface, WriteToFile, m_output->File()) == CAIRO_STATUS_SUCCESS;
}

void CairoContext::Release()
{
    m_text.reset();
    if (m_context)
        cairo_destroy(m_context);
    if (m_surface)
        cairo_surface_destroy(m_surface);
    m_context = nullptr;
    m_surface = nullptr;
}

CairoContext::~CairoContext()
{
    Finish();
}

bool CairoContext::Finish()
{
    if (m_finished)
        return m_finishResult;
    m_finished = true;
    if (m_kind == CairoTarget::Invalid) {
        m_finishResult = false;
        return false;
    }
    bool ok = cairo_status(m_context) == CAIRO_STATUS_SUCCESS;
    if (m_kind == CairoTarget::Png) {
        ok = ok && WritePng();
    } else if (m_kind == CairoTarget::Pdf || m_kind == CairoTarget::Ps) {
        cairo_surface_show_page(m_surface);
    }
    if (m_kind != CairoTarget::Window && m_kind != CairoTarget::Png) {
        // Finishing writes the rest of a vector file; its status tells whether it worked.
        cairo_surface_finish(m_surface);
        ok = cairo_surface_status(m_surface) == CAIRO_STATUS_SUCCESS && ok;
    }
    Release();
    if (m_output) {
        ok = ok && m_output->Commit();
        m_output.reset(); // discards what a failure left
    }
    m_finishResult = ok;
    return ok;
}

void CairoContext::SetSourceColour(const Colour& colour)
{
    cairo_set_source_rgba(m_context, colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0,
                          colour.alpha / 255.0);
}

double FontPixelSize(int pointSize, double dpi)
{
    const double pixels = std::round(double(pointSize) * dpi / 72.0);
    return pixels >= 1.0 ? pixels : 1.0;
}

void CairoContext::SelectFont(const FontDesc& font, double dpi)
{
    if (!m_context)
        return;
    if (!m_text)
        m_text = std::make_unique<CairoText>(m_context);
    m_text->SetFont(font, FontPixelSize(font.pointSize, dpi));
}

cairo_text_extents_t CairoContext::TextExtents(const wxString& text)
{
    return m_text && m_context ? m_text->Extents(text) : cairo_text_extents_t{};
}

cairo_font_extents_t CairoContext::FontExtents()
{
    return m_text && m_context ? m_text->FontExtents() : cairo_font_extents_t{};
}

void CairoContext::ShowText(const wxString& text, double x, double baseline)
{
    if (m_text && m_context)
        m_text->Show(text, x, baseline);
}

void CairoContext::CopyTo(cairo_t* target) const
{
    if (!m_surface || !target)
        return;
    cairo_save(target);
    cairo_set_source_surface(target, m_surface, 0, 0);
    cairo_set_operator(target, CAIRO_OPERATOR_SOURCE);
    cairo_paint(target);
    cairo_restore(target);
}
