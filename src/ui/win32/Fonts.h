// The controls' fonts: the face a control asks for, else the system's
// Japanese UI font, at the control's size for the window's DPI. A face that
// the machine lacks falls back to one that draws the same text.
#pragma once

#include "platform/win32/WinApi.h"

#include <functional>
#include <string>
#include <vector>

#include "ui/forms/Control.h"

namespace telk::winui {

// Faces to try for a requested face, best first; an empty request asks for
// the UI font. Ends with the UI faces, so Japanese text always has a face.
std::vector<std::wstring> FaceCandidates(const std::wstring& requested);

// The first candidate that exists, or empty when none does.
std::wstring FirstExisting(const std::vector<std::wstring>& candidates,
                           const std::function<bool(const std::wstring&)>& exists);

// Character height in logical units for CreateFont: negative, points at dpi.
int FontHeight(double points, unsigned dpi);

// Asks GDI; remembered for the run.
bool FaceExists(const std::wstring& face);

// A new font for the model's font at dpi; the caller deletes it.
HFONT CreateControlFont(const ui::Font& font, unsigned dpi);

} // namespace telk::winui
