// Finding and creating the controls' fonts at a window's DPI, with a face
// that draws Japanese where the asked-for one is missing.
#include "ui/win32/Fonts.h"

#include <cmath>
#include <map>

#include "platform/win32/Utf16.h"

namespace telk::winui {

namespace {

// The Japanese UI faces of Windows releases, newest first, then the
// Japanese faces a Linux or macOS machine usually gives Wine.
const wchar_t* const kUiFaces[] = {L"Yu Gothic UI", L"Meiryo UI", L"MS UI Gothic",
                                   L"Noto Sans CJK JP", L"IPAPGothic", L"VL PGothic", L"Hiragino Sans"};

// Japanese names of the classic faces and their English names; a system of
// another language may know only the English one.
struct Alias {
    const wchar_t* japanese;
    const wchar_t* english;
};
const Alias kAliases[] = {
    {L"ＭＳ Ｐゴシック", L"MS PGothic"},
    {L"ＭＳ ゴシック", L"MS Gothic"},
    {L"ＭＳ Ｐ明朝", L"MS PMincho"},
    {L"ＭＳ 明朝", L"MS Mincho"},
};

// Proportional Gothic faces that stand in for MS PGothic where it is missing.
const wchar_t* const kPGothicStandIns[] = {L"IPAPGothic", L"VL PGothic", L"Noto Sans CJK JP"};

int CALLBACK OnFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0; // one is enough
}

} // namespace

std::vector<std::wstring> FaceCandidates(const std::wstring& requested) {
    std::vector<std::wstring> out;
    if (!requested.empty()) {
        out.push_back(requested);
        for (const Alias& a : kAliases) {
            if (requested == a.japanese) out.emplace_back(a.english);
            if (requested == a.english) out.emplace_back(a.japanese);
        }
        if (requested == L"ＭＳ Ｐゴシック" || requested == L"MS PGothic")
            for (const wchar_t* f : kPGothicStandIns) out.emplace_back(f);
    }
    for (const wchar_t* f : kUiFaces) {
        bool seen = false;
        for (const std::wstring& o : out) seen = seen || o == f;
        if (!seen) out.emplace_back(f);
    }
    return out;
}

std::wstring FirstExisting(const std::vector<std::wstring>& candidates,
                           const std::function<bool(const std::wstring&)>& exists) {
    for (const std::wstring& face : candidates)
        if (exists(face)) return face;
    return {};
}

int FontHeight(double points, unsigned dpi) {
    return -static_cast<int>(std::lround(points * static_cast<double>(dpi) / 72.0));
}

bool FaceExists(const std::wstring& face) {
    // Fonts are not installed while a window is open often enough to matter.
    static std::map<std::wstring, bool> known;
    if (face.empty() || face.size() >= LF_FACESIZE) return false;
    auto it = known.find(face);
    if (it != known.end()) return it->second;
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    face.copy(lf.lfFaceName, LF_FACESIZE - 1);
    bool found = false;
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesExW(dc, &lf, OnFace, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    known[face] = found;
    return found;
}

HFONT CreateControlFont(const ui::Font& font, unsigned dpi) {
    std::wstring face = FirstExisting(FaceCandidates(Utf8ToWide(font.face)), FaceExists);
    if (face.empty()) {
        // No Japanese face known by name: the system's message font, which
        // its font linking completes.
        NONCLIENTMETRICSW ncm{};
        ncm.cbSize = sizeof ncm;
        if (SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0, dpi))
            face = ncm.lfMessageFont.lfFaceName;
    }
    LOGFONTW lf{};
    lf.lfHeight = FontHeight(font.points, dpi);
    lf.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    face.copy(lf.lfFaceName, LF_FACESIZE - 1);
    HFONT f = CreateFontIndirectW(&lf);
    return f ? f : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

} // namespace telk::winui
