// The floor the Windows benchmarks hold telk.exe against: the least work
// that gives the same windows. A first start refuses a second copy, writes
// telk.ini and the slot store, and shows the client folder window with the
// same standard controls, manifest, icon and fonts. Behind its buttons it
// does the least work too: one bare FindFirstFileW/FindNextFileW walk of
// each DESKTOP level before the main window, one of the current folder
// before a picker.
//
//   telk_ref.exe [--face <UI face>] [--wait-face <face>] [--uo <folder>]
//
// The faces are those telk.exe resolves on the machine (the harness asks
// telk's own font code), so both programs draw with the same fonts without
// the reference searching for them.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Version.h"

namespace {

HINSTANCE gInstance;
UINT gDpi = 96;
std::wstring gUiFace = L"MS UI Gothic";
std::wstring gWaitFace = L"MS PGothic";
std::wstring gUoFolder = L"C:\\Program Files\\Ultima Online 2D";
HFONT gUiFont;
HFONT gWaitFont;

HWND gFirst, gWait, gMain, gSetup, gPicker;

const wchar_t kClass[] = L"TELK.Reference";

int Px(int twips) { return MulDiv(twips, static_cast<int>(gDpi), 1440); }

HFONT MakeFont(const std::wstring& face, int points) {
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(points, static_cast<int>(gDpi), 72);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    face.copy(lf.lfFaceName, LF_FACESIZE - 1);
    return CreateFontIndirectW(&lf);
}

// ---- first start

std::string Ansi(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

void WriteNew(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return; // already there
    DWORD done = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(h);
}

void PrepareStore() {
    WriteNew(L"telk.ini", Ansi(L"c:\\Program Files\\Ultima Online 2D\\UO.exe\r\n"
                               L"c:\\Program Files\\Ultima Online 3D\\UO.exe\r\n"));
    CreateDirectoryW(L"Settings", nullptr);
    for (int i = 0; i < 5; ++i) {
        const std::wstring slot = L"Settings\\" + std::to_wstring(i);
        CreateDirectoryW(slot.c_str(), nullptr);
        WriteNew(slot + L"\\DATA.INI", Ansi(L"未使用\r\nSlot" + std::to_wstring(i) + L"\r\n"));
    }
}

// ---- windows from tables, in twips as telk's layouts

struct Ctl {
    const wchar_t* cls;
    const wchar_t* text;
    DWORD style;
    DWORD ex;
    int left, top, width, height;
    int id;
};

constexpr DWORD kTab = WS_TABSTOP | WS_GROUP;
constexpr DWORD kLabel = SS_NOPREFIX | SS_LEFT;
constexpr DWORD kCenter = SS_NOPREFIX | SS_CENTER;
constexpr DWORD kButton = kTab | BS_PUSHBUTTON | BS_MULTILINE | BS_NOTIFY;
constexpr DWORD kEdit = kTab | ES_LEFT | ES_AUTOHSCROLL;
constexpr DWORD kCombo = kTab | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL;
constexpr DWORD kDrives = kTab | WS_VSCROLL | CBS_DROPDOWNLIST;
constexpr DWORD kFolders = kTab | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
constexpr DWORD kFiles = kTab | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;

enum Id { kList1 = 50, kList2, kList3, kDriveList, kFolderList, kFileList };

HWND MakeWindow(const wchar_t* caption, int width, int height, bool titleBar, const Ctl* controls, int count,
                HFONT font) {
    const DWORD style = (titleBar ? WS_OVERLAPPED | WS_CAPTION : WS_POPUP | WS_BORDER) | WS_CLIPCHILDREN;
    const DWORD ex = WS_EX_CONTROLPARENT | (titleBar ? 0 : WS_EX_TOOLWINDOW);
    RECT r{0, 0, Px(width), Px(height)};
    AdjustWindowRectExForDpi(&r, style, FALSE, ex, gDpi);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    HWND window = CreateWindowExW(ex, kClass, caption, style, x, y, w, h, nullptr, nullptr, gInstance, nullptr);
    for (int i = 0; i < count; ++i) {
        const Ctl& c = controls[i];
        int ch = Px(c.height);
        if (c.style == kCombo || c.style == kDrives) ch += MulDiv(160, static_cast<int>(gDpi), 96);
        if (c.style == kEdit) ch += MulDiv(6, static_cast<int>(gDpi), 96);
        const DWORD visible = c.cls[0] ? WS_VISIBLE : 0;
        HWND child = CreateWindowExW(c.ex, c.cls, c.text, WS_CHILD | visible | c.style, Px(c.left), Px(c.top),
                                     Px(c.width), ch, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                                     gInstance, nullptr);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    return window;
}

void Show(HWND window) {
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    SetForegroundWindow(window);
}

void Fill(HWND list, bool combo, const std::vector<std::wstring>& items) {
    std::size_t chars = 0;
    for (const auto& s : items) chars += s.size() + 1;
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, combo ? CB_INITSTORAGE : LB_INITSTORAGE, items.size(), chars * sizeof(wchar_t));
    for (const auto& s : items)
        SendMessageW(list, combo ? CB_ADDSTRING : LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
}

// ---- the client folder window

const Ctl kFirstControls[] = {
    {L"STATIC", L"インストールフォルダ", kLabel, 0, 120, 120, 2175, 255, 10},
    {L"EDIT", L"", kEdit, WS_EX_CLIENTEDGE, 120, 360, 5415, 270, 11},
    {L"BUTTON", L"これじゃない", kButton, 0, 120, 840, 1575, 495, 1},
    {L"BUTTON", L"いいよん", kButton, 0, 2040, 840, 1575, 495, 2},
    {L"BUTTON", L"や～めた", kButton, 0, 3960, 840, 1575, 495, 3},
    {L"BUTTON", L"設定", kButton, 0, 4680, 1560, 855, 615, 4},
    {L"STATIC", L"TELK　Ｖｅｒ" TELK_VERSION_FULLWIDTH, kCenter, 0, 0, 1440, 4455, 255, 12},
    {L"STATIC", L"製作：ＴＥＬＫ開発チーム", kCenter, 0, 0, 1680, 4455, 255, 13},
    {L"STATIC", L"いつも使ってくれてありがとね", kCenter, 0, 0, 1920, 4455, 255, 14},
};

// ---- the main window: one bare walk of each level

// Entries 3 to 12 of the listing (past "." and ".."); the walk goes to the end.
std::vector<std::wstring> FirstNames(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    int seen = 0;
    do {
        if (++seen > 2 && names.size() < 10) names.emplace_back(data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

void ShowWait() {
    static const Ctl label[] = {{L"STATIC", L"処理中～ちょっとまっててね", kLabel, 0, 960, 360, 4215, 495, 10}};
    gWait = MakeWindow(L"", 5970, 1245, false, label, 1, gWaitFont);
    Show(gWait);
}

void ShowMain() {
    wchar_t typed[MAX_PATH * 4] = {};
    GetDlgItemTextW(gFirst, 11, typed, MAX_PATH * 4);
    std::wstring folder = typed;
    if (GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    EnableWindow(gFirst, FALSE);
    ShowWait();
    const std::wstring desktop = folder + L"\\Desktop";
    if (GetFileAttributesW(desktop.c_str()) == INVALID_FILE_ATTRIBUTES) return;

    static std::vector<Ctl> controls;
    if (controls.empty()) {
        controls = {
            {L"STATIC", L"アカウント選択", kLabel, 0, 120, 120, 1215, 255, 10},
            {L"COMBOBOX", L"", kCombo, 0, 1560, 120, 2655, 300, kList1},
            {L"STATIC", L"シャード選択", kLabel, 0, 120, 480, 1095, 255, 11},
            {L"COMBOBOX", L"", kCombo, 0, 1560, 480, 2655, 300, kList2},
            {L"STATIC", L"キャラ選択", kLabel, 0, 120, 840, 1095, 255, 12},
            {L"COMBOBOX", L"", kCombo, 0, 1560, 840, 2655, 300, kList3},
            {L"BUTTON", L"このキャラを\r\n編集したいな", kButton, 0, 4680, 120, 1335, 975, 1},
            {L"STATIC", L"", SS_ETCHEDHORZ, 0, 0, 1200, 6120, 30, 13},
        };
        for (int i = 0; i < 5; ++i) {
            const int top = 1560 + 480 * i;
            controls.push_back({L"BUTTON", L"", kTab | BS_RADIOBUTTON | WS_DISABLED, 0, 120, top, 255, 375, 20 + i});
            controls.push_back({L"STATIC", L"", kLabel, 0, 480, top, 1455, 375, 30 + i});
            controls.push_back({L"EDIT", L"", kEdit | WS_DISABLED, WS_EX_CLIENTEDGE, 2040, top, 2295, 375, 40 + i});
        }
        controls.push_back({L"BUTTON", L"バックアップ", kButton | WS_DISABLED, 0, 4680, 1680, 1335, 855, 4});
        controls.push_back({L"BUTTON", L"リストア", kButton | WS_DISABLED, 0, 4680, 2880, 1335, 855, 5});
        controls.push_back({L"BUTTON", L"終了", kButton, 0, 240, 4080, 5775, 735, 3});
    }
    gMain = MakeWindow(L"どのキャラっすかね？", 6180, 4980, true, controls.data(), static_cast<int>(controls.size()),
                       gUiFont);
    HICON big = static_cast<HICON>(LoadImageW(gInstance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                              GetSystemMetrics(SM_CYICON), 0));
    SendMessageW(gMain, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));

    // Account, its first shard, that shard's characters.
    std::wstring path = desktop;
    for (int level = 0; level < 3; ++level) {
        const std::vector<std::wstring> names = FirstNames(path);
        HWND list = GetDlgItem(gMain, kList1 + level);
        Fill(list, true, names);
        if (names.empty()) break;
        SendMessageW(list, CB_SETCURSEL, 0, 0);
        path += L"\\" + names[0];
    }
    Show(gMain);
    DestroyWindow(gWait);
    DestroyWindow(gFirst);
}

// ---- the pickers: one bare walk of the current folder

bool LessNoCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_LESS_THAN;
}

void FillPicker(HWND picker, bool withFiles) {
    wchar_t current[MAX_PATH * 4];
    const DWORD n = GetCurrentDirectoryW(MAX_PATH * 4, current);
    std::wstring folder(current, n);
    std::vector<std::wstring> folders, files;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const DWORD a = data.dwFileAttributes;
            if (a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
            if (a & FILE_ATTRIBUTE_DIRECTORY) {
                if (wcscmp(data.cFileName, L".") != 0 && wcscmp(data.cFileName, L"..") != 0)
                    folders.emplace_back(data.cFileName);
            } else if (withFiles) {
                files.emplace_back(data.cFileName);
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    std::sort(folders.begin(), folders.end(), LessNoCase);
    std::sort(files.begin(), files.end(), LessNoCase);

    // The chain from the root down to the folder, then its sub-folders.
    std::vector<std::wstring> items{folder.substr(0, 3)};
    for (std::size_t pos = 3; pos < folder.size();) {
        std::size_t next = folder.find(L'\\', pos);
        if (next == std::wstring::npos) next = folder.size();
        if (next > pos) items.push_back(folder.substr(pos, next - pos));
        pos = next + 1;
    }
    const auto open = static_cast<WPARAM>(items.size() - 1);
    items.insert(items.end(), folders.begin(), folders.end());
    HWND dirs = GetDlgItem(picker, kFolderList);
    Fill(dirs, false, items);
    SendMessageW(dirs, LB_SETCURSEL, open, 0);
    if (withFiles) Fill(GetDlgItem(picker, kFileList), false, files);

    std::vector<std::wstring> drives;
    wchar_t roots[512];
    const DWORD length = GetLogicalDriveStringsW(512, roots);
    DWORD oldMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
    int currentDrive = 0;
    for (const wchar_t* root = roots; root < roots + length && *root; root += wcslen(root) + 1) {
        wchar_t label[MAX_PATH + 1] = {};
        GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0);
        std::wstring shown{static_cast<wchar_t>(towlower(root[0])), L':'};
        if (label[0]) shown += std::wstring(L" [") + label + L"]";
        if (towlower(root[0]) == towlower(folder[0])) currentDrive = static_cast<int>(drives.size());
        drives.push_back(shown);
    }
    SetThreadErrorMode(oldMode, nullptr);
    HWND driveList = GetDlgItem(picker, kDriveList);
    Fill(driveList, true, drives);
    SendMessageW(driveList, CB_SETCURSEL, static_cast<WPARAM>(currentDrive), 0);
}

// Both pickers: the owner goes disabled, the picker fills and shows.
template <std::size_t N>
void OpenPicker(HWND owner, const wchar_t* caption, int width, int height, const Ctl (&controls)[N], bool withFiles) {
    EnableWindow(owner, FALSE);
    gPicker = MakeWindow(caption, width, height, true, controls, static_cast<int>(N), gUiFont);
    FillPicker(gPicker, withFiles);
    Show(gPicker);
}

void OpenFolderPicker() {
    static const Ctl controls[] = {
        {L"COMBOBOX", L"", kDrives, 0, 120, 3360, 3495, 300, kDriveList},
        {L"LISTBOX", L"", kFolders, WS_EX_CLIENTEDGE, 120, 120, 3495, 3030, kFolderList},
        {L"BUTTON", L"選択", kButton, 0, 3840, 240, 1095, 735, 1},
        {L"BUTTON", L"中止", kButton, 0, 3840, 1080, 1095, 735, 2},
    };
    OpenPicker(gFirst, L"フォルダ選択", 5130, 4005, controls, false);
}

void OpenProgramPicker() {
    static const Ctl controls[] = {
        {L"COMBOBOX", L"", kDrives, 0, 120, 3240, 2295, 300, kDriveList},
        {L"LISTBOX", L"", kFolders, WS_EX_CLIENTEDGE, 120, 120, 2295, 3030, kFolderList},
        {L"LISTBOX", L"", kFiles, WS_EX_CLIENTEDGE, 2520, 120, 2175, 3330, kFileList},
        {L"BUTTON", L"選択", kButton, 0, 4920, 240, 1095, 735, 1},
        {L"BUTTON", L"中断", kButton, 0, 4920, 1080, 1095, 735, 2},
    };
    OpenPicker(gSetup, L"ＵＯ実行実行プログラム選択", 6180, 3660, controls, true);
}

void ClosePicker() {
    DestroyWindow(gPicker);
    gPicker = nullptr;
    HWND owner = gSetup ? gSetup : gFirst;
    EnableWindow(owner, TRUE);
    SetForegroundWindow(owner);
}

void OpenSetup() {
    static const Ctl controls[] = {
        {L"STATIC", L"２Ｄクライアント起動ファイル", kLabel, 0, 120, 120, 3735, 255, 10},
        {L"EDIT", L"c:\\Program Files\\Ultima Online 2D\\UO.exe", kEdit, WS_EX_CLIENTEDGE, 120, 480, 5535, 270, 11},
        {L"BUTTON", L"選択", kButton, 0, 5760, 240, 855, 615, 1},
        {L"STATIC", L"３Ｄクライアント起動ファイル", kLabel, 0, 120, 1080, 3735, 255, 12},
        {L"EDIT", L"c:\\Program Files\\Ultima Online 3D\\UO.exe", kEdit, WS_EX_CLIENTEDGE, 120, 1440, 5535, 270, 13},
        {L"BUTTON", L"選択", kButton, 0, 5760, 1200, 855, 615, 2},
        {L"BUTTON", L"保存", kButton, 0, 120, 2160, 1215, 615, 3},
        {L"BUTTON", L"廃棄", kButton, 0, 3840, 2160, 1215, 615, 4},
        {L"BUTTON", L"終了", kButton, 0, 5400, 2160, 1215, 615, 5},
    };
    EnableWindow(gFirst, FALSE);
    gSetup = MakeWindow(L"TELK設定", 6735, 2925, true, controls, 9, gUiFont);
    Show(gSetup);
}

void OnCommand(HWND window, int id, int code) {
    if (code != BN_CLICKED) return;
    if (window == gFirst) {
        if (id == 1) OpenFolderPicker();
        else if (id == 2) ShowMain();
        else if (id == 3) PostQuitMessage(0);
        else if (id == 4) OpenSetup();
    } else if (window == gPicker) {
        ClosePicker();
    } else if (window == gSetup) {
        if (id == 1 || id == 2) OpenProgramPicker();
        else if (id == 5) {
            DestroyWindow(gSetup);
            gSetup = nullptr;
            EnableWindow(gFirst, TRUE);
        }
    } else if (window == gMain && id == 3) {
        PostQuitMessage(0);
    }
}

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
    case WM_CLOSE:
        return 0;
    case WM_COMMAND:
        if (lp) OnCommand(window, LOWORD(wp), HIWORD(wp));
        return 0;
    case WM_MEASUREITEM:
        reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->itemHeight = static_cast<UINT>(MulDiv(18, static_cast<int>(gDpi), 96));
        return TRUE;
    case WM_DRAWITEM: {
        const auto* d = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (d->itemID == static_cast<UINT>(-1)) return TRUE;
        const bool selected = (d->itemState & ODS_SELECTED) != 0;
        FillRect(d->hDC, &d->rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        wchar_t text[MAX_PATH];
        const auto n = static_cast<int>(SendMessageW(d->hwndItem, LB_GETTEXT, d->itemID, reinterpret_cast<LPARAM>(text)));
        HGDIOBJ old = SelectObject(d->hDC, gUiFont);
        SetBkMode(d->hDC, TRANSPARENT);
        SetTextColor(d->hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        RECT r = d->rcItem;
        r.left += MulDiv(20, static_cast<int>(gDpi), 96);
        DrawTextW(d->hDC, text, n, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        SelectObject(d->hDC, old);
        return TRUE;
    }
    default:
        return DefWindowProcW(window, message, wp, lp);
    }
}

// Words of the command line, double quotes grouping; CommandLineToArgvW
// would load shell32, which the least work does not need.
std::vector<std::wstring> Arguments() {
    std::vector<std::wstring> args;
    const wchar_t* p = GetCommandLineW();
    while (*p) {
        while (*p == L' ' || *p == L'\t') ++p;
        if (!*p) break;
        std::wstring word;
        bool quoted = false;
        for (; *p && (quoted || (*p != L' ' && *p != L'\t')); ++p) {
            if (*p == L'"') quoted = !quoted;
            else word += *p;
        }
        args.push_back(word);
    }
    return args;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, L"Local\\TELK.Reference.SingleInstance");
    if (!mutex || GetLastError() == ERROR_ALREADY_EXISTS) return 0;
    gInstance = instance;

    const std::vector<std::wstring> args = Arguments();
    for (std::size_t i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == L"--face") gUiFace = args[++i];
        else if (args[i] == L"--wait-face") gWaitFace = args[++i];
        else if (args[i] == L"--uo") gUoFolder = args[++i];
    }

    PrepareStore();

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    gDpi = GetDpiForSystem();
    gUiFont = MakeFont(gUiFace, 9);
    gWaitFont = MakeFont(gWaitFace, 18);

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kClass;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    RegisterClassExW(&wc);

    gFirst = MakeWindow(L"ＵＯフォルダこれでいいかな？", 5760, 2295, true, kFirstControls,
                        static_cast<int>(std::size(kFirstControls)), gUiFont);
    SetDlgItemTextW(gFirst, 11, gUoFolder.c_str());
    Show(gFirst);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        if (root && IsDialogMessageW(root, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
