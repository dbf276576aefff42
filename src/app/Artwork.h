#pragma once

#include <wx/bitmap.h>
#include <wx/iconbndl.h>

// The program icon in the sizes window managers ask for.
wxIconBundle CreateAppIconBundle();
// The about box picture, 247 x 300.
wxBitmap CreateAboutPicture();
