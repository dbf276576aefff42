#pragma once

#include <memory>

#include <cairo.h>

#include <wx/string.h>

#include "model/Colour.h"
#include "model/FontDesc.h"

class AtomicFile;
class CairoText;

// What a CairoContext draws to. Invalid: creation failed; draw nothing.
enum class CairoTarget
{
    Window,
    Pdf,
    Ps,
    Svg,
    Png,
    Invalid,
};

// The kind of file target for a file name, from its extension compared
// case-insensitively (".pdf", ".ps", ".svg", ".png"); Invalid for anything else.
CairoTarget CairoTargetFromFileName(const wxString& fileName);

// Owns one cairo surface and its cairo context. For files the output is complete only
// once the context is finished (Finish, or destruction): the drawing goes through an
// AtomicFile, which replaces the target only when it was written whole.
class CairoContext
{
public:
    // Off-screen image of a window's client area (logical size width x height), which
    // the window copies to the screen in one piece (see CopyTo). scale > 1 gives a
    // HiDPI backing image with that device scale; drawing stays in logical pixels.
    CairoContext(int width, int height, double scale = 1.0);
    // A file of the kind its extension names; width and height in pixels for PNG
    // (truncated to integers), in points for PDF, PS and SVG.
    CairoContext(const wxString& fileName, double width, double height);
    ~CairoContext();

    CairoContext(const CairoContext&) = delete;
    CairoContext& operator=(const CairoContext&) = delete;

    cairo_t* operator()() const { return m_context; }
    cairo_surface_t* GetSurface() const { return m_surface; }
    CairoTarget GetKind() const { return m_kind; }
    const wxString& GetFileName() const { return m_fileName; }

    // Sets the source to the colour, alpha included.
    void SetSourceColour(const Colour& colour);
    // Selects the font of the text calls below; its size in pixels comes from the point
    // size at dpi dots per inch (the screen's, or 96 for files, so both look alike).
    void SelectFont(const FontDesc& font, double dpi = 96.0);
    // The text calls, as cairo's toy ones measure and place (see CairoText): each glyph
    // comes from the first font that has it. Nothing is drawn on an invalid context.
    cairo_text_extents_t TextExtents(const wxString& text);
    cairo_font_extents_t FontExtents();
    void ShowText(const wxString& text, double x, double baseline);

    // Paints the off-screen image onto target at target's current origin, replacing
    // what is there (the graph pane's one-piece copy). Window kind only.
    void CopyTo(cairo_t* target) const;

    // Completes a file target (PNG written, PDF/PS page shown, surface finished) and
    // releases surface and context. True when the file was written without error (always
    // true for a window). Later calls do nothing and return the first result.
    bool Finish();

private:
    void Adopt(cairo_surface_t* surface);
    void Release();
    bool CreateOutput();
    bool WritePng();

    cairo_surface_t* m_surface = nullptr;
    cairo_t* m_context = nullptr;
    CairoTarget m_kind = CairoTarget::Invalid;
    wxString m_fileName;
    std::unique_ptr<AtomicFile> m_output;
    std::unique_ptr<CairoText> m_text; // made by the first SelectFont
    bool m_finished = false;
    bool m_finishResult = false;
};

// Font size in pixels for a point size at dpi: the toolkit's whole-pixel notion.
double FontPixelSize(int pointSize, double dpi);
