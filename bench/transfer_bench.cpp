// How long the work behind each button takes on real files: a back-up and a
// restore of a typical character, a listing of a large DESKTOP folder, and
// reading telk.ini. Prints the median of repeated runs.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/posix/FileSystem_posix.h"
#include "platform/posix/TextCodec_posix.h"
#include "store/FileRoutines.h"
#include "store/TextValues.h"
#include "store/Transfer.h"

namespace fs = std::filesystem;
using namespace telk;

namespace {

double MedianMs(int runs, const std::function<void()>& work) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        work();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

void WriteSized(const fs::path& p, std::size_t bytes) {
    std::ofstream out(p, std::ios::binary);
    std::string block(4096, 'x');
    for (std::size_t done = 0; done < bytes; done += block.size())
        out.write(block.data(), static_cast<std::streamsize>(std::min(block.size(), bytes - done)));
}

} // namespace

int main() {
    char tmpl[] = "/tmp/telk-bench-XXXXXX";
    const fs::path root = mkdtemp(tmpl);
    PosixFileSystem files({{'C', root.string()}});
    PosixTextCodec codec("CP932");

    // A character as the client leaves it: sizes of a well-used one.
    const fs::path ch = root / "uo/Desktop/acct/shard/hero";
    fs::create_directories(ch);
    WriteSized(ch / "chardata.mul", 64 * 1024);
    WriteSized(ch / "desktop.uos", 256 * 1024);
    WriteSized(ch / "macros.txt", 32 * 1024);
    WriteSized(ch / "skillgrp.mul", 4 * 1024);
    WriteSized(ch / "uo.cfg", 2 * 1024);
    fs::create_directories(root / "Settings/2");
    const std::string charFolder = "C:\\uo\\Desktop\\acct\\shard\\hero\\";
    const std::string slotFolder = "C:\\SETTINGS\\2\\";

    const double backUp = MedianMs(41, [&] { BackUpToSlot(files, codec, charFolder, slotFolder, "12-08-2026", "メイン"); });
    const double restore = MedianMs(41, [&] { RestoreFromSlot(files, "C:\\", slotFolder, charFolder); });

    fs::create_directories(root / "big");
    for (int i = 0; i < 10000; ++i) fs::create_directories(root / "big" / ("account" + std::to_string(i)));
    const double listing = MedianMs(21, [&] { (void)ListFolder(files, "C:\\big\\*.*", kListMask); });

    WriteValues(files, codec, "C:\\telk.ini",
                {"c:\\Program Files\\Ultima Online 2D\\UO.exe", "c:\\Program Files\\Ultima Online 3D\\UO.exe",
                 "C:\\Program Files\\Ultima Online 2D\\"});
    const double settings = MedianMs(201, [&] {
        ValueReader r = ReadValues(files, codec, "C:\\telk.ini");
        std::string a, b, c;
        r.Read(a);
        r.Read(b);
        r.Read(c);
    });

    std::printf("back-up of one character (5 files, 358 KiB), median of 41: %.2f ms\n", backUp);
    std::printf("restore of one character (5 files, 358 KiB), median of 41: %.2f ms\n", restore);
    std::printf("ListFolder over 10000 folders, median of 21: %.2f ms\n", listing);
    std::printf("read telk.ini (3 values), median of 201: %.3f ms\n", settings);
    fs::remove_all(root);
    return 0;
}
