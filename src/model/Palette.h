#pragma once

#include "model/Colour.h"

// Colours told apart also by colour-blind readers (Okabe and Ito), blue first so a
// single series looks as it always did. Series i gets entry i modulo the count.
constexpr int PALETTE_SIZE = 8;
Colour PaletteColour(int index);
