#include "Components/TrackDrop/Playlist.h"

#include <cstdio>
#include <string>

// TrackDrop FILE: adds a converted file to the Mobivert playlist in the user's
// music folder, where music players pick it up. Prints one line and exits with
// a non-zero status when it cannot.
int main(int argc, char **argv) {
    if (argc != 2) {
        std::fputs("usage: TrackDrop FILE\n", stderr);
        return 2;
    }
    std::string error;
    const std::string file = trackdrop::absoluteFilePath(argv[1], error);
    if (file.empty() ||
        !trackdrop::addToPlaylist(trackdrop::musicFolder() + "/Mobivert.m3u8", file, error)) {
        // One line, whatever the file's name holds.
        for (char &c : error) {
            if (c == '\n' || c == '\r')
                c = '?';
        }
        std::fprintf(stderr, "TrackDrop: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
