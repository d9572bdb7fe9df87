// skingen <folder>: writes the skin's 26 files into folder (made if missing).
// skingen --preview <file.ppm> [width height]: a mock window built from them.
#include "tools/skingen/skingen.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "--preview") {
        const int w = argc >= 5 ? std::atoi(argv[3]) : 240;
        const int h = argc >= 5 ? std::atoi(argv[4]) : 150;
        if (w < 120 || h < 60 || w > 4000 || h > 4000) {
            std::fprintf(stderr, "skingen: preview size must be 120x60 to 4000x4000\n");
            return 2;
        }
        const auto bytes = skingen::EncodePpm(skingen::RenderPreview(w, h));
        FILE* f = std::fopen(argv[2], "wb");
        const bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        if (f && std::fclose(f) != 0) return 1;
        if (!ok) {
            std::fprintf(stderr, "skingen: cannot write %s\n", argv[2]);
            return 1;
        }
        return 0;
    }
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: skingen <folder>\n       skingen --preview <file.ppm> [width height]\n");
        return 2;
    }
    std::error_code ec;
    std::filesystem::create_directories(argv[1], ec);
    if (ec) {
        std::fprintf(stderr, "skingen: cannot create %s: %s\n", argv[1], ec.message().c_str());
        return 1;
    }
    std::string error;
    if (!skingen::WriteSkinFiles(argv[1], error)) {
        std::fprintf(stderr, "skingen: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
