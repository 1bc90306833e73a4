// Side-by-side figures for telk.exe: every figure is a ratio against a
// reference measured in the same run, the two alternating (A B A B), the
// median of the pairs' ratios. Prints one Markdown table, each side's
// median time, and notes with the figures behind them.
//
//   telk_bench.exe <telk.exe> <telk_ref.exe> [--pairs N] [--only startup|safety|main|pickers|transfers|running]
//
// Start-up, memory, main window and pickers drive the real telk.exe from
// outside and compare it with telk_ref.exe, which does the least work for
// the same windows. Transfers run telk's own back-up and restore on the
// Win32 file system and compare them with CopyFileW of the same files.
// Running times the question whether the client runs, which a back-up or
// a restore asks once per press, against the least work that lists the
// processes' program files.
#include "platform/win32/WinApi.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cwchar>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "Remote.h"
#include "TimedFileSystem.h"
#include "platform/win32/FileSystem_win.h"
#include "platform/win32/Launcher_win.h"
#include "platform/win32/TextCodec_win.h"
#include "store/restore/Generations.h"
#include "store/restore/Restore.h"
#include "store/restore/SafetyFolder.h"
#include "store/StoreNames.h"
#include "store/Transfer.h"
#include "ui/Texts.h"
#include "ui/win32/Fonts.h"

using namespace bench;

namespace {

const std::wstring kFirst = L"ＵＯフォルダこれでいいかな？";
const std::wstring kMain = L"どのキャラっすかね？";
const std::wstring kSetup = L"TELK設定";
const std::wstring kFolderPicker = L"フォルダ選択";
const std::wstring kProgramPicker = L"ＵＯ実行実行プログラム選択";

int gPairs = 20;

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// ---- files

void MakeFolder(const std::wstring& path) {
    if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        Fail("cannot create " + Utf8(path));
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) Fail("cannot write " + Utf8(path));
    DWORD done = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(h);
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW d;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &d);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = d.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring full = path + L"\\" + name;
            if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(full.c_str());
            }
        } while (FindNextFileW(find, &d));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
}

// Every entry of a folder, walked to its end; returns how many.
int BareWalk(const std::wstring& folder, std::wstring* third = nullptr) {
    WIN32_FIND_DATAW d;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &d);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int n = 0;
    do {
        if (++n == 3 && third) *third = d.cFileName;
    } while (FindNextFileW(find, &d));
    FindClose(find);
    return n;
}

std::string Cp932(const std::wstring& text) {
    const int n = WideCharToMultiByte(932, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(932, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::string Pattern(std::size_t bytes, unsigned seed) {
    std::string s(bytes, '\0');
    for (std::size_t i = 0; i < bytes; ++i) s[i] = static_cast<char>((i * 131u + seed * 7u + (i >> 12)) & 0xFF);
    return s;
}

// ---- results

struct Row {
    std::string figure;
    std::string telk;
    std::string reference;
    double ratio;
    std::string target;
    bool met;
};
std::vector<Row> gRows;
std::vector<std::string> gNotes;

std::string Ms(double v) {
    char b[32];
    std::snprintf(b, sizeof b, v < 10 ? "%.2f ms" : "%.1f ms", v);
    return b;
}

void AddRatio(const std::string& figure, double telk, double reference, double target, const std::string& unit = "ms") {
    char t[32], r[32], g[32];
    if (unit == "ms") {
        std::snprintf(t, sizeof t, "%s", Ms(telk).c_str());
        std::snprintf(r, sizeof r, "%s", Ms(reference).c_str());
    } else {
        std::snprintf(t, sizeof t, "%.0f %s", telk, unit.c_str());
        std::snprintf(r, sizeof r, "%.0f %s", reference, unit.c_str());
    }
    std::snprintf(g, sizeof g, "≤ %.1f×", target);
    const double ratio = reference > 0 ? telk / reference : 0;
    gRows.push_back({figure, t, r, ratio, g, ratio <= target});
}

// Pairs run in turn: the medians of each side, and as the figure the
// median of the pairs' own ratios, which a slow drift of the machine's
// speed during the run moves less than the ratio of the two medians.
void AddPairs(const std::string& figure, const std::vector<double>& telk, const std::vector<double>& reference,
              double target, const std::string& unit = "ms") {
    AddRatio(figure, Median(telk), Median(reference), target, unit);
    std::vector<double> ratios;
    for (std::size_t i = 0; i < telk.size() && i < reference.size(); ++i)
        if (reference[i] > 0) ratios.push_back(telk[i] / reference[i]);
    gRows.back().ratio = Median(ratios);
    gRows.back().met = gRows.back().ratio <= target;
}

// ---- the programs

struct Setup {
    std::wstring telk, ref, scratch;
    std::wstring uiFace, waitFace;
    std::wstring RefArguments() const { return L"--face \"" + uiFace + L"\" --wait-face \"" + waitFace + L"\""; }
};

// ---- start-up and memory

struct StartSamples {
    std::vector<double> ms, readyMs, peakKiB, cpuMs;
};

// One start in folder, to the first window, then to ready for input.
void StartOnce(const std::wstring& exe, const std::wstring& args, const std::wstring& folder, StartSamples& out) {
    MakeFolder(folder);
    Program p;
    double t0 = Now();
    try {
        p.Start(exe, folder, args);
    } catch (const std::runtime_error&) {
        // Wine under heavy load now and then refuses a start (error 1359):
        // one more try, timed afresh.
        Sleep(1000);
        t0 = Now();
        p.Start(exe, folder, args);
    }
    WaitWindow(p, kFirst);
    out.ms.push_back(Now() - t0);
    out.peakKiB.push_back(p.PeakKiB());
    out.cpuMs.push_back(p.CpuMs());
    // And painted, waiting for the user.
    p.WaitIdle();
    out.readyMs.push_back(Now() - t0);
    p.Stop();
    Sleep(100);
}

// A first start (empty folder: telk.ini and the slot store are made) and a
// later one (they are there), each program in its own folder.
void StartUp(const Setup& s) {
    const std::wstring root = s.scratch + L"\\start";
    RemoveTree(root);
    MakeFolder(root);
    using Samples = StartSamples;
    int n = 0;
    auto once = [&](const std::wstring& exe, const std::wstring& args, const std::wstring& kept, Samples& out) {
        const std::wstring folder = kept.empty() ? root + L"\\" + std::to_wstring(++n) : kept;
        StartOnce(exe, args, folder, out);
        if (kept.empty()) RemoveTree(folder);
    };
    const std::wstring telkKept = root + L"\\telk", refKept = root + L"\\ref";
    Samples warm, first[2], later[2];
    once(s.telk, L"", telkKept, warm);
    once(s.ref, s.RefArguments(), refKept, warm);
    // A B A B.
    for (int i = 0; i < gPairs; ++i) {
        once(s.telk, L"", L"", first[0]);
        once(s.ref, s.RefArguments(), L"", first[1]);
    }
    for (int i = 0; i < gPairs; ++i) {
        once(s.telk, L"", telkKept, later[0]);
        once(s.ref, s.RefArguments(), refKept, later[1]);
    }
    // TELK_BENCH_SAMPLES=1: each pair, to see the spread.
    if (GetEnvironmentVariableW(L"TELK_BENCH_SAMPLES", nullptr, 0) != 0)
        for (std::size_t i = 0; i < first[0].ms.size(); ++i)
            std::printf("sample %.1f %.1f   %.1f %.1f   ready %.1f %.1f   %.1f %.1f\n", first[0].ms[i], first[1].ms[i],
                        later[0].ms[i], later[1].ms[i], first[0].readyMs[i], first[1].readyMs[i], later[0].readyMs[i],
                        later[1].readyMs[i]);
    AddPairs("Start-up to the first window, first start (makes telk.ini and the slot store)", first[0].ms, first[1].ms,
             1.2);
    AddPairs("Start-up to the first window, later start", later[0].ms, later[1].ms, 1.2);
    AddPairs("Peak working set at the first window (first start)", first[0].peakKiB, first[1].peakKiB, 1.3, "KiB");
    // first start telk / reference (ratio), later start the same.
    auto addNote = [&](const char* what, std::vector<double> Samples::*field) {
        auto m = [&](const Samples& x) { return Median(x.*field); };
        char note[300];
        std::snprintf(note, sizeof note, "%s: first start %.1f / %.1f ms (%.2f×), later start %.1f / %.1f ms (%.2f×).",
                      what, m(first[0]), m(first[1]), m(first[0]) / m(first[1]), m(later[0]), m(later[1]),
                      m(later[0]) / m(later[1]));
        gNotes.push_back(note);
    };
    addNote("Start-up, CPU time of the program's own process by its first window", &Samples::cpuMs);
    addNote("Start-up to ready for input (the first window painted, the program waiting for the user)",
            &Samples::readyMs);
}

// ---- main window

// N accounts; the first listed has N shards; the first of those, N
// characters (scripts/bench.sh makes the same faster, from outside Wine).
std::wstring DesktopTree(const Setup& s, int n) {
    const std::wstring install = s.scratch + L"\\uo" + std::to_wstring(n);
    const std::wstring done = install + L"\\complete";
    if (Exists(done)) {
        std::wstring level = install + L"\\Desktop", first;
        for (int i = 0; i < 3; ++i) {
            if (BareWalk(level, &first) != n + 2) Fail("the sample tree " + Utf8(level) + " is not as expected");
            level += L"\\" + first;
        }
        return install;
    }
    RemoveTree(install);
    MakeFolder(install);
    std::wstring level = install + L"\\Desktop";
    const wchar_t* prefixes[] = {L"account", L"shard", L"character"};
    for (const wchar_t* prefix : prefixes) {
        MakeFolder(level);
        for (int i = 0; i < n; ++i) MakeFolder(level + L"\\" + prefix + std::to_wstring(100000 + i));
        std::wstring first;
        BareWalk(level, &first);
        level += L"\\" + first;
    }
    WriteBytes(done, "");
    return install;
}

void MainWindow(const Setup& s) {
    const int sizes[] = {10, 1000, 20000};
    std::map<int, double> telkMs, refMs, walkMs;
    for (const int n : sizes) {
        const std::wstring install = DesktopTree(s, n);
        const std::wstring work = s.scratch + L"\\main" + std::to_wstring(n);
        MakeFolder(work);
        WriteBytes(work + L"\\telk.ini", Cp932(L"c:\\Program Files\\Ultima Online 2D\\UO.exe\r\n"
                                               L"c:\\Program Files\\Ultima Online 3D\\UO.exe\r\n" +
                                               install + L"\\\r\n"));
        auto once = [&](const std::wstring& exe, const std::wstring& args) {
            Program p;
            p.Start(exe, work, args);
            HWND first = WaitWindow(p, kFirst);
            Sleep(300); // the start settles
            HWND accept = Button(first, L"いいよん");
            const double t0 = Now();
            PostClick(accept);
            WaitWindow(p, kMain);
            const double t = Now() - t0;
            p.Stop();
            Sleep(100);
            return t;
        };
        // The same three folders, walked to their ends.
        auto walk = [&] {
            const double t0 = Now();
            std::wstring level = install + L"\\Desktop", next;
            for (int i = 0; i < 3; ++i) {
                BareWalk(level, &next);
                level += L"\\" + next;
            }
            return Now() - t0;
        };
        const std::wstring refArgs = s.RefArguments() + L" --uo \"" + install + L"\"";
        once(s.telk, L"");
        once(s.ref, refArgs);
        std::vector<double> a, b, w;
        for (int i = 0; i < std::max(10, gPairs / 2); ++i) {
            a.push_back(once(s.telk, L""));
            b.push_back(once(s.ref, refArgs));
            w.push_back(walk());
        }
        telkMs[n] = Median(a);
        refMs[n] = Median(b);
        walkMs[n] = Median(w);
        AddPairs("Main window load, " + std::to_string(n) + " entries a level", a, b, 1.5);
    }
    // Growth from 1 000 to 20 000 entries a level: the part that the
    // listing costs, against the reference's and the bare walk's.
    const double telkGrowth = telkMs[20000] - telkMs[1000];
    const double refGrowth = refMs[20000] - refMs[1000];
    const double walkGrowth = walkMs[20000] - walkMs[1000];
    AddRatio("Main window load, growth 1 000 → 20 000 (vs. reference)", telkGrowth, refGrowth, 1.5);
    AddRatio("Main window load, growth 1 000 → 20 000 (vs. bare walk)", telkGrowth, walkGrowth, 1.5);
    // Linear: the cost of 1 000 entries a level is the same between 10 and
    // 1 000 as between 1 000 and 20 000.
    auto slope = [](std::map<int, double>& m) {
        return std::pair<double, double>{(m[1000] - m[10]) / 0.99, (m[20000] - m[1000]) / 19};
    };
    const auto [t1, t2] = slope(telkMs);
    const auto [r1, r2] = slope(refMs);
    const auto [w1, w2] = slope(walkMs);
    char note[400];
    std::snprintf(note, sizeof note,
                  "Main window load, ms per 1 000 entries a level from 10 to 1 000 and from 1 000 to 20 000: "
                  "telk %.1f and %.1f, reference %.1f and %.1f, bare walk %.1f and %.1f. Bare walk of the three "
                  "folders: %.2f / %.2f / %.2f ms.",
                  t1, t2, r1, r2, w1, w2, walkMs[10], walkMs[1000], walkMs[20000]);
    gNotes.push_back(note);
}

// ---- start-up with safety folders

// The folder and every folder above it that is missing.
void MakePath(const std::wstring& path) {
    for (std::size_t sep = path.find(L'\\', 3); sep != std::wstring::npos; sep = path.find(L'\\', sep + 1))
        if (!Exists(path.substr(0, sep))) MakeFolder(path.substr(0, sep));
    MakeFolder(path);
}

// A working folder whose store holds n characters' safety folders, for
// the first n characters of the 1 000-entry sample install: each with its
// note, ten generations of the five files and their order record, named
// as a restore names them. Made once and kept: a start with nothing to settle, tidy or prune
// leaves all of it as it is.
std::wstring SafetySample(const Setup& s, int n) {
    const std::wstring work = s.scratch + L"\\safety" + std::to_wstring(n);
    const std::wstring done = work + L".complete";
    const std::wstring characters = DesktopTree(s, 1000) + L"\\Desktop\\account100000\\shard100000";
    const std::string app = Utf8(work) + "\\";
    auto charFolder = [&](int i) { return Utf8(characters) + "\\character" + std::to_string(100000 + i) + "\\"; };
    const std::wstring firstSafety = Wide(telk::SafetyFolderPath(app, charFolder(0)));
    const std::wstring shard = firstSafety.substr(0, firstSafety.rfind(L'\\'));
    // A sample of before the order record is made anew.
    if (Exists(done) && Exists(firstSafety + L"\\" + Wide(telk::kOrderName))) {
        if (BareWalk(shard) != n + 2) Fail("the sample safety folders " + Utf8(shard) + " are not as expected");
        return work;
    }
    RemoveTree(work);
    MakeFolder(work);
    MakeFolder(work + L"\\" + Wide(telk::kStoreFolderName));
    const char* files[] = {"chardata.mul", "desktop.uos", "macros.txt", "skillgrp.mul", "uo.cfg"};
    for (int i = 0; i < n; ++i) {
        const std::string folder = charFolder(i);
        if (!Exists(Wide(folder))) Fail("no character folder " + folder);
        const std::wstring safety = Wide(telk::SafetyFolderPath(app, folder));
        MakePath(safety);
        WriteBytes(safety + L"\\" + Wide(telk::kSafetyNoteName), telk::SafetyNote(folder, telk::ui::kSafetyNoteLines));
        std::vector<telk::WrittenGeneration> order;
        for (int g = 1; g <= telk::kGenerationsKept; ++g) {
            wchar_t name[32];
            std::swprintf(name, 32, L"2026-11-%02d 21-05-09", g);
            const std::wstring generation = safety + L"\\" + name;
            MakeFolder(generation);
            for (int f = 0; f < 5; ++f)
                WriteBytes(generation + L"\\" + Wide(files[f]), Pattern(256u << (f % 3), static_cast<unsigned>(g * 5 + f)));
            order.push_back({Utf8(name), {}});
        }
        // The generations in the order written, as each restore records them.
        WriteBytes(safety + L"\\" + Wide(telk::kOrderName), telk::EncodeOrder(order));
    }
    if (BareWalk(shard) != n + 2) Fail("the sample safety folders " + Utf8(shard) + " are not as expected");
    WriteBytes(done, "");
    return work;
}

// Later starts whose stores hold 20, 60 and 120 characters' safety
// folders, in turn with a later start without any and the reference's:
// what settling, tidying and pruning them at every start costs.
void StartUpSafety(const Setup& s) {
    const int counts[] = {20, 60, 120};
    std::vector<std::wstring> samples;
    for (const int n : counts) samples.push_back(SafetySample(s, n));
    const std::wstring root = s.scratch + L"\\startsafety";
    RemoveTree(root);
    MakeFolder(root);
    const std::wstring plain = root + L"\\telk", ref = root + L"\\ref";
    // The first start in each folder makes telk.ini and the slot store
    // (and lets a program look at every safety folder once).
    StartSamples warm, without, with[3], reference;
    StartOnce(s.telk, L"", plain, warm);
    for (const std::wstring& work : samples) StartOnce(s.telk, L"", work, warm);
    StartOnce(s.ref, s.RefArguments(), ref, warm);
    // The timed starts are later ones: each finds the start's record,
    // naming no folder to look at.
    telk::Win32FileSystem fs;
    for (const std::wstring& work : samples) {
        const auto changed = telk::ReadChanged(fs, telk::SafetyRoot(Utf8(work) + "\\"));
        if (!changed || !changed->empty())
            Fail("after its first start, " + Utf8(work) + " has no record of the safety folders naming none");
    }
    for (int i = 0; i < gPairs; ++i) {
        StartOnce(s.telk, L"", plain, without);
        for (std::size_t k = 0; k < samples.size(); ++k) StartOnce(s.telk, L"", samples[k], with[k]);
        StartOnce(s.ref, s.RefArguments(), ref, reference);
    }
    if (GetEnvironmentVariableW(L"TELK_BENCH_SAMPLES", nullptr, 0) != 0)
        for (std::size_t i = 0; i < without.ms.size(); ++i)
            std::printf("sample safety %.1f   %.1f %.1f %.1f   ref %.1f\n", without.ms[i], with[0].ms[i], with[1].ms[i],
                        with[2].ms[i], reference.ms[i]);
    for (std::size_t k = 0; k < samples.size(); ++k)
        AddPairs("Start-up to the first window, later start, " + std::to_string(counts[k]) +
                     " characters' safety folders (10 generations each), against none",
                 with[k].ms, without.ms, 1.1);
    AddPairs("Start-up to the first window, later start, 120 characters' safety folders, against the reference",
             with[2].ms, reference.ms, 1.2);
    auto addNote = [&](const char* what, std::vector<double> StartSamples::*field) {
        char note[400];
        std::snprintf(note, sizeof note,
                      "%s, later start: without safety folders %.1f ms; with 20 / 60 / 120 characters' %.1f / %.1f / "
                      "%.1f ms; reference %.1f ms.",
                      what, Median(without.*field), Median(with[0].*field), Median(with[1].*field),
                      Median(with[2].*field), Median(reference.*field));
        gNotes.push_back(note);
    };
    addNote("Start-up, CPU time of the program's own process by its first window", &StartSamples::cpuMs);
    addNote("Start-up to ready for input", &StartSamples::readyMs);
    RemoveTree(root);
}

// ---- pickers

// 5 000 files and 100 folders (scripts/bench.sh makes the same faster).
std::wstring System32Like(const Setup& s) {
    const std::wstring folder = s.scratch + L"\\sys32";
    const std::wstring done = s.scratch + L"\\sys32.complete";
    if (Exists(done)) return folder;
    RemoveTree(folder);
    MakeFolder(folder);
    const wchar_t* ext[] = {L".dll", L".exe", L".sys", L".nls", L".mui", L".cpl", L".drv", L".tlb"};
    for (int i = 0; i < 5000; ++i) {
        const std::wstring name = L"module" + std::to_wstring(10000 + i * 7 % 9973) + L"_" + std::to_wstring(i) + ext[i % 8];
        WriteBytes(folder + L"\\" + name, std::string(static_cast<std::size_t>(64 + i % 512), 'x'));
    }
    for (int i = 0; i < 100; ++i) MakeFolder(folder + L"\\folder" + std::to_wstring(i));
    WriteBytes(done, "");
    return folder;
}

// As the user's mouse does (SendInput), so that the windows see it move.
void MovePointer(int x, int y) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
}

struct PickerRun {
    std::wstring opener; // button of the window below the picker
    std::wstring caption;
    std::wstring close;
};

void Pickers(const Setup& s) {
    const std::wstring folder = System32Like(s);
    Program telk, ref;
    telk.Start(s.telk, folder, L"");
    ref.Start(s.ref, folder, s.RefArguments());
    HWND telkFirst = WaitWindow(telk, kFirst);
    HWND refFirst = WaitWindow(ref, kFirst);
    Sleep(300);

    auto open = [](Program& p, HWND below, const PickerRun& r) {
        HWND opener = Button(below, r.opener);
        const double t0 = Now();
        PostClick(opener);
        HWND picker = WaitWindow(p, r.caption);
        const double t = Now() - t0;
        Sleep(50);
        PostClick(Button(picker, r.close));
        WaitGone(picker);
        Sleep(100);
        return t;
    };
    auto walk = [&] {
        const double t0 = Now();
        BareWalk(folder);
        return Now() - t0;
    };
    // One picker open at a time, idle with the pointer away from every
    // window, then resting on its cancel button (Wine then polls the
    // pointer to see it leave the button, in every program alike).
    auto cpu = [&](HWND telkBelow, HWND refBelow, const PickerRun& r, const std::string& what) {
        double away[2], resting[2];
        for (int i = 0; i < 2; ++i) {
            Program& p = i == 0 ? telk : ref;
            PostClick(Button(i == 0 ? telkBelow : refBelow, r.opener));
            HWND picker = WaitWindow(p, r.caption);
            auto idle = [&] {
                Sleep(500);
                const double c0 = p.CpuMs(), t0 = Now();
                Sleep(5000);
                return 100 * (p.CpuMs() - c0) / (Now() - t0);
            };
            MovePointer(0, 0);
            away[i] = idle();
            RECT box{};
            HWND close = Button(picker, r.close);
            GetWindowRect(close, &box);
            MovePointer(box.left + 2, box.top + 2);
            MovePointer((box.left + box.right) / 2, (box.top + box.bottom) / 2);
            resting[i] = idle();
            MovePointer(0, 0);
            PostClick(close);
            WaitGone(picker);
            Sleep(100);
        }
        char t[32], rr[32];
        std::snprintf(t, sizeof t, "%.2f %%", away[0]);
        std::snprintf(rr, sizeof rr, "%.2f %%", away[1]);
        gRows.push_back({"CPU while the " + what + " is open, 5 s, pointer away (share of a core)", t, rr, 0, "< 1 %",
                         away[0] < 1.0});
        std::snprintf(t, sizeof t, "%.2f %%", resting[0]);
        std::snprintf(rr, sizeof rr, "%.2f %%", resting[1]);
        gRows.push_back({"CPU while the " + what + " is open, 5 s, pointer resting on a button", t, rr,
                         resting[1] > 0 ? resting[0] / resting[1] : 0, "as the reference",
                         resting[0] <= std::max(1.0, 1.3 * resting[1])});
    };

    // Opened once on each side to warm up, then in pairs, each pair beside a bare walk.
    std::vector<double> walks;
    auto measure = [&](HWND telkOwner, HWND refOwner, const PickerRun& run, const std::string& what) {
        open(telk, telkOwner, run);
        open(ref, refOwner, run);
        std::vector<double> a, b;
        for (int i = 0; i < gPairs; ++i) {
            a.push_back(open(telk, telkOwner, run));
            b.push_back(open(ref, refOwner, run));
            walks.push_back(walk());
        }
        AddPairs(what + " shown, 5 000 files + 100 folders", a, b, 1.5);
        std::string lower = what;
        lower[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(lower[0])));
        cpu(telkOwner, refOwner, run, lower);
    };
    measure(telkFirst, refFirst, {L"これじゃない", kFolderPicker, L"中止"}, "Folder picker");

    PostClick(Button(telkFirst, L"設定"));
    PostClick(Button(refFirst, L"設定"));
    HWND telkSetup = WaitWindow(telk, kSetup);
    HWND refSetup = WaitWindow(ref, kSetup);
    Sleep(300);
    measure(telkSetup, refSetup, {L"選択", kProgramPicker, L"中断"}, "Program picker");
    char note[200];
    std::snprintf(note, sizeof note, "Bare walk of the 5 000-file folder: %.2f ms (median).", Median(walks));
    gNotes.push_back(note);
}

// ---- transfers

void Transfers(const Setup& s) {
    telk::Win32FileSystem fs;
    telk::Win32TextCodec codec;
    const std::wstring root = s.scratch + L"\\transfer";
    RemoveTree(root);
    MakeFolder(root);
    const char* names[] = {"chardata.mul", "desktop.uos", "macros.txt", "skillgrp.mul", "uo.cfg"};

    struct Case {
        const char* what;
        std::size_t sizes[5];
        int pairs;
    };
    // A well-used character's files, and 10 MB each.
    const Case cases[] = {
        {"realistic sizes (358 KiB)", {64 * 1024, 256 * 1024, 32 * 1024, 4 * 1024, 2 * 1024}, gPairs},
        {"10 MB files", {10u << 20, 10u << 20, 10u << 20, 10u << 20, 10u << 20}, std::max(10, gPairs / 2)},
    };
    int caseNo = 0;
    for (const Case& c : cases) {
        const std::wstring base = root + L"\\" + std::to_wstring(++caseNo);
        const std::wstring app = base + L"\\app";
        const std::wstring charFolder = base + L"\\uo\\Desktop\\acct\\shard\\hero";
        const std::wstring refChar = base + L"\\refchar";
        const std::wstring refSlot = base + L"\\refslot";
        for (const std::wstring& f : {base, app, app + L"\\Settings", app + L"\\Settings\\2", base + L"\\uo",
                                      base + L"\\uo\\Desktop", base + L"\\uo\\Desktop\\acct",
                                      base + L"\\uo\\Desktop\\acct\\shard", charFolder, refChar, refSlot})
            MakeFolder(f);
        for (int i = 0; i < 5; ++i) {
            const std::string bytes = Pattern(c.sizes[i], static_cast<unsigned>(i));
            WriteBytes(charFolder + L"\\" + Wide(names[i]), bytes);
            WriteBytes(refChar + L"\\" + Wide(names[i]), bytes);
        }
        const std::string charPath = Utf8(charFolder) + "\\";
        const std::string appPath = Utf8(app) + "\\";
        const std::string slotPath = appPath + "Settings\\2\\";

        auto backUp = [&] {
            const double t0 = Now();
            telk::BackUpToSlot(fs, codec, appPath, charPath, slotPath, "12-08-2026", "メイン");
            return Now() - t0;
        };
        // The paired restores timed operation by operation too: what they
        // meet between the others' copies may differ from a run of restores.
        bench::TimedFileSystem paired(fs);
        // As a player who starts TELK now and then: the start keeps the
        // newest ten safety generations, outside the time taken.
        auto restore = [&] {
            const double t0 = Now();
            telk::RestoreFromSlot(paired, appPath, slotPath, charPath, "2026-12-08 21-05-09", telk::ui::kSafetyNoteLines);
            const double taken = Now() - t0;
            telk::RepairSlotStore(fs, appPath);
            return taken;
        };
        auto copyAll = [&](const std::wstring& from, const std::wstring& to, bool flush) {
            const double t0 = Now();
            for (const char* name : names) {
                const std::wstring target = to + L"\\" + Wide(name);
                if (!CopyFileW((from + L"\\" + Wide(name)).c_str(), target.c_str(), FALSE)) Fail("CopyFileW failed");
                if (flush) {
                    HANDLE h = CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
                    FlushFileBuffers(h);
                    CloseHandle(h);
                }
            }
            return Now() - t0;
        };
        // The least work a journaled restore that keeps a safety generation
        // needs, bare: a flushed journal, each slot file copied beside its
        // target and flushed, each swapped in by ReplaceFileW with the
        // previous file going into the generation's staging folder, and
        // the staging folder renamed to the generation's name. Making the
        // staging folder, and removing the generation and the journal
        // afterwards, are outside the time.
        const std::wstring bareSafety = base + L"\\baresafety";
        MakeFolder(bareSafety);
        int bareRuns = 0;
        double bareParts[4] = {}; // journal, copies, replaces, rename: sums
        const std::string journalBytes = Pattern(1024, 99);
        auto bareRestore = [&] {
            const std::wstring name = bareSafety + L"\\2026-12-08 21-05-" + std::to_wstring(10 + bareRuns++);
            const std::wstring staging = name + L".new", journal = bareSafety + L"\\restore.journal";
            MakeFolder(staging);
            const double t0 = Now();
            HANDLE h = CreateFileW(journal.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            DWORD done = 0;
            if (h == INVALID_HANDLE_VALUE || !WriteFile(h, journalBytes.data(), 1024, &done, nullptr) || !FlushFileBuffers(h))
                Fail("cannot write the bare journal");
            CloseHandle(h);
            const double t1 = Now();
            for (const char* file : names) {
                const std::wstring incoming = refChar + L"\\" + Wide(file) + L".telk-new";
                if (!CopyFileW((refSlot + L"\\" + Wide(file)).c_str(), incoming.c_str(), FALSE)) Fail("CopyFileW failed");
                HANDLE f = CreateFileW(incoming.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
                FlushFileBuffers(f);
                CloseHandle(f);
            }
            const double t2 = Now();
            for (const char* file : names) {
                const std::wstring target = refChar + L"\\" + Wide(file);
                if (!ReplaceFileW(target.c_str(), (target + L".telk-new").c_str(), (staging + L"\\" + Wide(file)).c_str(),
                                  REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr))
                    Fail("ReplaceFileW failed");
            }
            const double t3 = Now();
            if (!MoveFileExW(staging.c_str(), name.c_str(), MOVEFILE_WRITE_THROUGH)) Fail("MoveFileExW failed");
            const double t4 = Now();
            bareParts[0] += t1 - t0;
            bareParts[1] += t2 - t1;
            bareParts[2] += t3 - t2;
            bareParts[3] += t4 - t3;
            RemoveTree(name);
            DeleteFileW(journal.c_str());
            return t4 - t0;
        };
        backUp();
        copyAll(refChar, refSlot, false);
        bareRestore();
        bareRuns = 0;
        std::fill(std::begin(bareParts), std::end(bareParts), 0.0);
        paired.Reset();
        std::vector<double> bu, buRef, buFlush, re, reRef, reFlush, reBare;
        for (int i = 0; i < c.pairs; ++i) {
            bu.push_back(backUp());
            buRef.push_back(copyAll(refChar, refSlot, false));
            re.push_back(restore());
            reRef.push_back(copyAll(refSlot, refChar, false));
            buFlush.push_back(copyAll(refChar, refSlot, true));
            reFlush.push_back(copyAll(refSlot, refChar, true));
            reBare.push_back(bareRestore());
        }
        // Where the time goes: the same runs again, each operation timed.
        bench::TimedFileSystem timed(fs);
        // One note: its head, then each tally's share of a run.
        auto addNote = [&](const std::string& head, const auto& tallies) {
            std::string text = head;
            for (const auto& [what, tally] : tallies) {
                char part[160];
                std::snprintf(part, sizeof part, " %s %g× %.2f ms;", what.c_str(),
                              static_cast<double>(tally.count) / c.pairs, tally.ms / c.pairs);
                text += part;
            }
            text.back() = '.';
            gNotes.push_back(text);
        };
        auto tell = [&](const std::string& runs, const bench::TimedFileSystem& by, double total) {
            char head[200];
            std::snprintf(head, sizeof head, "%s, %s, where a run's time goes: %.2f ms in all;", runs.c_str(), c.what,
                          total / c.pairs);
            addNote(head, by.Tallies());
            // Of that, what went to the store's own records and folders.
            if (by.RecordTallies().empty()) return;
            addNote(runs + ", " + c.what + ", of that on the store's own files and folders:", by.RecordTallies());
        };
        double pairedTotal = 0;
        for (const double t : re) pairedTotal += t;
        tell("Restore (the paired runs)", paired, pairedTotal);
        auto breakdown = [&](const char* direction, auto run) {
            timed.Reset();
            double total = 0;
            for (int i = 0; i < c.pairs; ++i) total += run(timed);
            tell(direction, timed, total);
        };
        breakdown("Back-up", [&](telk::FileSystem& f) {
            const double t0 = Now();
            telk::BackUpToSlot(f, codec, appPath, charPath, slotPath, "12-08-2026", "メイン");
            return Now() - t0;
        });
        breakdown("Restore", [&](telk::FileSystem& f) {
            const double t0 = Now();
            telk::RestoreFromSlot(f, appPath, slotPath, charPath, "2026-12-08 21-05-09", telk::ui::kSafetyNoteLines);
            const double taken = Now() - t0;
            telk::RepairSlotStore(fs, appPath);
            return taken;
        });
        AddPairs(std::string("Back-up, ") + c.what, bu, buRef, 1.5);
        AddPairs(std::string("Restore, ") + c.what, re, reRef, 1.5);
        // The floor for copies that must be on disk before anything is
        // swapped: what the transfers' promises are measured against.
        AddPairs(std::string("Back-up, ") + c.what + ", against CopyFileW with each copy flushed", bu, buFlush, 1.5);
        AddPairs(std::string("Restore, ") + c.what + ", against CopyFileW with each copy flushed", re, reFlush, 2.0);
        // Its own floor: the same calls bare. No goal of its own; it is
        // read against the same row of an earlier run.
        AddPairs(std::string("Restore, ") + c.what +
                     ", against its floor (bare: 5 flushed copies, 5 ReplaceFileW, 1 flushed journal, 1 folder rename)",
                 re, reBare, 0);
        gRows.back().target.clear();
        char note[300];
        std::snprintf(note, sizeof note,
                      "Restore's floor, %s, where a run's time goes: %.2f ms in all; journal, flushed 1× %.2f ms; "
                      "copy, flushed 5× %.2f ms; replace 5× %.2f ms; folder rename 1× %.2f ms.",
                      c.what, (bareParts[0] + bareParts[1] + bareParts[2] + bareParts[3]) / c.pairs, bareParts[0] / c.pairs, bareParts[1] / c.pairs, bareParts[2] / c.pairs,
                      bareParts[3] / c.pairs);
        gNotes.push_back(note);
    }
    RemoveTree(root);
}

// ---- the running-client question

// The processes' program files, with the least work: one snapshot, and
// each process opened and asked for its file. Answers how many it listed.
int ListProgramFiles() {
    int listed = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        ++listed;
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
        if (!process) continue;
        wchar_t file[MAX_PATH * 4];
        DWORD size = MAX_PATH * 4;
        QueryFullProcessImageNameW(process, 0, file, &size);
        CloseHandle(process);
    }
    CloseHandle(snapshot);
    return listed;
}

// What a back-up's or a restore's press spends on the question whether the
// client runs (Win32Launcher::AnyRunning over the two configured programs
// and the install folder), against the least work that lists the
// processes' program files. With the processes Wine runs on its own, then
// with 50 more (idle copies of this harness, outside the install): the
// difference is the cost of each process listed.
void Running(const Setup& s) {
    const std::wstring root = s.scratch + L"\\running";
    RemoveTree(root);
    MakeFolder(root);
    const std::string uo = Utf8(root) + "\\uo\\";
    const std::vector<std::string> programs{uo + "UO.exe", Utf8(root) + "\\3d\\UO.exe"};
    wchar_t self[MAX_PATH * 4];
    const DWORD selfLength = GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
    telk::Win32Launcher launcher;
    std::vector<PROCESS_INFORMATION> idle;
    std::vector<double> medians;
    // Each idle process says when it has started, so none is still starting
    // while the listing is timed.
    HANDLE started = CreateSemaphoreW(nullptr, 0, 1000, L"telk-bench-idle");
    for (int extra : {0, 50}) {
        while (static_cast<int>(idle.size()) < extra) {
            std::wstring line = L"\"" + std::wstring(self, selfLength) + L"\" --idle";
            STARTUPINFOW si{};
            si.cb = sizeof si;
            PROCESS_INFORMATION pi{};
            if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
                Fail("cannot start an idle process");
            idle.push_back(pi);
            if (WaitForSingleObject(started, 30000) != WAIT_OBJECT_0) Fail("an idle process did not start");
        }
        const int listed = ListProgramFiles();
        std::vector<double> telk, least;
        for (int i = 0; i < gPairs; ++i) {
            double t0 = Now();
            if (launcher.AnyRunning(programs, uo)) Fail("a client program runs in the bench's own folder");
            telk.push_back(Now() - t0);
            t0 = Now();
            ListProgramFiles();
            least.push_back(Now() - t0);
        }
        char figure[160];
        std::snprintf(figure, sizeof figure, "Running-client question at a press, %d processes", listed);
        AddPairs(figure, telk, least, 1.2);
        medians.push_back(Median(telk));
    }
    char note[200];
    std::snprintf(note, sizeof note, "Running-client question: %.2f ms for each further process listed.",
                  (medians[1] - medians[0]) / 50);
    gNotes.push_back(note);
    for (PROCESS_INFORMATION& pi : idle) {
        TerminateProcess(pi.hProcess, 0);
        WaitForSingleObject(pi.hProcess, 5000);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    CloseHandle(started);
    RemoveTree(root);
}

void ExeSize(const Setup& s) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(s.telk.c_str(), GetFileExInfoStandard, &data);
    char t[32];
    std::snprintf(t, sizeof t, "%lu bytes", static_cast<unsigned long>(data.nFileSizeLow));
    gRows.push_back({"telk.exe size (static, nothing beside it)", t, "—", 0, "≤ 700 KB", data.nFileSizeLow <= 700000});
}

void Print() {
    std::printf("\n| Figure | telk | reference | ratio | target | met |\n|---|---:|---:|---:|---|---|\n");
    for (const Row& r : gRows) {
        char ratio[32] = "—";
        if (r.ratio > 0) std::snprintf(ratio, sizeof ratio, "%.2f×", r.ratio);
        // A row without a goal: its ratio is read against an earlier run's.
        const bool goal = !r.target.empty();
        std::printf("| %s | %s | %s | %s | %s | %s |\n", r.figure.c_str(), r.telk.c_str(), r.reference.c_str(), ratio,
                    goal ? r.target.c_str() : "—", !goal ? "—" : r.met ? "yes" : "**no**");
    }
    std::printf("\n");
    for (const std::string& n : gNotes) std::printf("- %s\n", n.c_str());
    std::fflush(stdout);
}

std::wstring Absolute(const std::wstring& path) {
    std::wstring p = path;
    if (!p.empty() && p[0] == L'/') p = L"Z:" + p;
    std::replace(p.begin(), p.end(), L'/', L'\\');
    wchar_t full[MAX_PATH * 4];
    const DWORD n = GetFullPathNameW(p.c_str(), MAX_PATH * 4, full, nullptr);
    return n ? std::wstring(full, n) : p;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    // A process that only waits, for the listing to find (see Running).
    if (argc == 2 && std::wstring(argv[1]) == L"--idle") {
        if (HANDLE started = OpenSemaphoreW(SEMAPHORE_MODIFY_STATE, FALSE, L"telk-bench-idle")) ReleaseSemaphore(started, 1, nullptr);
        Sleep(600000);
        return 0;
    }
    if (argc < 3) {
        std::fprintf(stderr, "usage: telk_bench <telk.exe> <telk_ref.exe> [--pairs N] [--only section]\n");
        return 2;
    }
    Setup s;
    s.telk = Absolute(argv[1]);
    s.ref = Absolute(argv[2]);
    std::wstring only;
    for (int i = 3; i < argc; ++i) {
        const std::wstring a = argv[i];
        if (a == L"--pairs" && i + 1 < argc) gPairs = std::max(2, _wtoi(argv[++i]));
        else if (a == L"--only" && i + 1 < argc) only = argv[++i];
    }
    // On the system drive, where players keep the game and TELK.
    wchar_t windows[MAX_PATH + 1];
    GetWindowsDirectoryW(windows, MAX_PATH + 1);
    s.scratch = std::wstring(windows, 3) + L"telk-bench";
    MakeFolder(s.scratch);

    // Without a window manager (Xvfb), windows left unmanaged show at once.
    const wchar_t no[] = L"N";
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", L"Managed", REG_SZ, no, sizeof no);
    const DWORD off = 0;
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\WineDbg", L"ShowCrashDialog", REG_DWORD, &off, sizeof off);

    // The faces telk.exe itself resolves, for the reference to use as they are.
    s.uiFace = telk::winui::FirstExisting(telk::winui::FaceCandidates(L""), telk::winui::FaceExists);
    s.waitFace = telk::winui::FirstExisting(telk::winui::FaceCandidates(L"ＭＳ Ｐゴシック"), telk::winui::FaceExists);
    std::printf("faces: UI \"%s\", wait window \"%s\"; %d pairs\n", Utf8(s.uiFace).c_str(), Utf8(s.waitFace).c_str(), gPairs);
    std::fflush(stdout);

    try {
        // part: also run by --only part.
        auto run = [&](const wchar_t* name, void (*section)(const Setup&), const wchar_t* part = L"") {
            if (!only.empty() && only != name && only != part) return;
            const double t0 = Now();
            section(s);
            std::printf("%ls: %.1f s\n", name, (Now() - t0) / 1000);
            std::fflush(stdout);
        };
        run(L"startup", StartUp);
        run(L"safety", StartUpSafety, L"startup");
        run(L"main", MainWindow);
        run(L"pickers", Pickers);
        run(L"transfers", Transfers);
        run(L"running", Running);
        ExeSize(s);
    } catch (const std::exception& e) {
        Print();
        std::fprintf(stderr, "failed: %s\n", e.what());
        return 1;
    }
    Print();
    return 0;
}
