// The store's work on real files in the host build, each figure a ratio
// against the plain operation on the same files, the two run in turn (A B
// A B) and the median of the pairs taken: a back-up and a restore of a
// typical character against copying its five files, a listing of a large
// DESKTOP folder against a bare readdir walk, reading telk.ini against
// reading its bytes. Also the program to run under callgrind for stable
// profiles of the store.
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "platform/posix/FileSystem_posix.h"
#include "platform/posix/TextCodec_posix.h"
#include "store/Listing.h"
#include "store/TextValues.h"
#include "store/restore/Restore.h"
#include "store/Transfer.h"
#include "store/restore/UndoRestore.h"
#include "ui/Texts.h"

namespace fs = std::filesystem;
using namespace telk;

namespace {

double Ms(const std::function<void()>& work) {
    const auto t0 = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void Row(const char* figure, int pairs, const std::function<void()>& a, const std::function<void()>& b) {
    std::vector<double> as, bs;
    for (int i = 0; i < pairs; ++i) {
        as.push_back(Ms(a));
        bs.push_back(Ms(b));
    }
    const double ta = Median(as), tb = Median(bs);
    std::printf("| %s | %.3f ms | %.3f ms | %.2f× |\n", figure, ta, tb, ta / tb);
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
    const char* const names[] = {"chardata.mul", "desktop.uos", "macros.txt", "skillgrp.mul", "uo.cfg"};
    const std::size_t sizes[] = {64 * 1024, 256 * 1024, 32 * 1024, 4 * 1024, 2 * 1024};
    const fs::path ch = root / "uo/Desktop/acct/shard/hero";
    const fs::path plain = root / "plain";
    fs::create_directories(ch);
    fs::create_directories(plain);
    fs::create_directories(root / "Settings/2");
    for (int i = 0; i < 5; ++i) WriteSized(ch / names[i], sizes[i]);
    const std::string charFolder = "C:\\uo\\Desktop\\acct\\shard\\hero\\";
    const std::string slotFolder = "C:\\SETTINGS\\2\\";
    auto copyAll = [&](const fs::path& from, const fs::path& to) {
        for (const char* name : names) fs::copy_file(from / name, to / name, fs::copy_options::overwrite_existing);
    };

    fs::create_directories(root / "big");
    for (int i = 0; i < 10000; ++i) fs::create_directories(root / "big" / ("account" + std::to_string(i)));
    WriteValues(files, codec, "C:\\telk.ini",
                {"c:\\Program Files\\Ultima Online 2D\\UO.exe", "c:\\Program Files\\Ultima Online 3D\\UO.exe",
                 "C:\\Program Files\\Ultima Online 2D\\"});

    std::printf("| Figure | telk | plain | ratio |\n|---|---:|---:|---:|\n");
    Row("Back-up of one character (5 files, 358 KiB) / copying them", 41,
        [&] { BackUpToSlot(files, codec, "C:\\", charFolder, slotFolder, "12-08-2026", "メイン"); },
        [&] { copyAll(ch, plain); });
    Row("Restore of one character / copying its files", 41,
        [&] { RestoreFromSlot(files, "C:\\", slotFolder, charFolder, "2026-12-08 21-05-09", telk::ui::kSafetyNoteLines); },
        [&] { copyAll(plain, ch); });
    // The same five files back from the first restore's generation, with
    // the generations the rows above wrote beside it.
    Row("Undo of a restore / restoring the same files", 41,
        [&] {
            UndoRestore(files, "C:\\", charFolder, {"2026-12-08 21-05-09", {}}, "2026-12-08 21-05-09",
                        telk::ui::kSafetyNoteLines);
        },
        [&] { RestoreFromSlot(files, "C:\\", slotFolder, charFolder, "2026-12-08 21-05-09", telk::ui::kSafetyNoteLines); });
    // readdir's entry type tells folders from files without a stat.
    Row("ListFolder over 10 000 folders / readdir walk", 21,
        [&] { (void)ListFolder(files, "C:\\big\\*.*", kListMask); },
        [&] {
            DIR* d = opendir((root / "big").c_str());
            std::vector<std::string> folders;
            while (dirent* e = readdir(d))
                if (e->d_type == DT_DIR) folders.emplace_back(e->d_name);
            closedir(d);
        });
    Row("Reading telk.ini (3 values) / reading its bytes", 201,
        [&] {
            ValueReader r = ReadValues(files, codec, "C:\\telk.ini");
            std::string a, b, c;
            r.Read(a);
            r.Read(b);
            r.Read(c);
        },
        [&] {
            std::ifstream in(root / "telk.ini", std::ios::binary);
            std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        });
    fs::remove_all(root);
    return 0;
}
