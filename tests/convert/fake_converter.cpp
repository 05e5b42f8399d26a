// Plays the converter for the conversion window's tests. What it does is
// chosen by the input file's name:
//   ...ok...    prints a recorded successful conversion of FAKE_SECONDS
//               seconds (default 4), in odd chunks, and exits 0
//   ...fail...  prints "<input>: Unknown format" and exits 1
//   ...crash... prints two progress lines, then crashes
//   ...hang...  prints the duration line, then waits until it is killed
// Every run appends its pid to $FAKE_CONVERTER_LOG when that is set, waits
// $FAKE_PAUSE_MS milliseconds before it prints anything and, with
// $FAKE_PACE_MS, that long before each progress line.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

void writeInOddChunks(const std::string &text) {
    // Chunks of 1, 3, 7, 2, 5 bytes with short pauses, so the reader gets
    // lines cut in every possible place.
    static const size_t sizes[] = {1, 3, 7, 2, 5, 11};
    size_t at = 0;
    for (int i = 0; at < text.size(); ++i) {
        const size_t size = std::min(sizes[i % 6], text.size() - at);
        [[maybe_unused]] const ssize_t written = ::write(2, text.data() + at, size);
        at += size;
        if (i % 4 == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

std::string progressLine(int seconds, bool last) {
    char line[200];
    std::snprintf(line, sizeof line,
                  "frame=%5d fps= 25 q=2.0 %s=%8dkB time=%d.00 bitrate= 800.0kbits/s    \r",
                  seconds * 25, last ? "Lsize" : "size", seconds * 100, seconds);
    return line;
}

} // namespace

int main(int argc, char **argv) {
    std::string input;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "-i")
            input = argv[i + 1];
    }
    if (const char *log = std::getenv("FAKE_CONVERTER_LOG")) {
        if (FILE *file = std::fopen(log, "a")) {
            std::fprintf(file, "%d\n", int(::getpid()));
            std::fclose(file);
        }
    }
    if (const char *pause = std::getenv("FAKE_PAUSE_MS"))
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(pause)));
    const int seconds = std::getenv("FAKE_SECONDS") ? std::atoi(std::getenv("FAKE_SECONDS")) : 4;
    const std::string duration = "  Duration: 00:00:" + std::string(seconds < 10 ? "0" : "") +
                                 std::to_string(seconds) +
                                 ".00, start: 0.000000, bitrate: 1000 kb/s\r\n";

    if (input.find("fail") != std::string::npos) {
        writeInOddChunks(input + ": Unknown format\r\n");
        return 1;
    }
    writeInOddChunks(duration);
    if (input.find("hang") != std::string::npos) {
        for (;;)
            ::pause();
    }
    if (input.find("crash") != std::string::npos) {
        writeInOddChunks(progressLine(1, false) + progressLine(2, false));
        std::raise(SIGSEGV);
    }
    const int pace = std::getenv("FAKE_PACE_MS") ? std::atoi(std::getenv("FAKE_PACE_MS")) : 0;
    for (int second = 1; second < seconds; ++second) {
        std::this_thread::sleep_for(std::chrono::milliseconds(pace));
        writeInOddChunks(progressLine(second, false));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(pace));
    writeInOddChunks(progressLine(seconds, true) + "\n" +
                     "video:100kB audio:20kB global headers:0kB muxing overhead 1.000000%\r\n");
    return 0;
}
