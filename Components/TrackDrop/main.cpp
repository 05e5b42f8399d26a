#include "Components/TrackDrop/IpodLibrary.h"
#include "Components/TrackDrop/Playlist.h"
#include "Components/TrackDrop/SafeFiles.h"

#include <glib.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

// TrackDrop hands a converted file to the user's library:
//
//   TrackDrop FILE                   to the iPod named in TrackDrop.ipod
//                                    beside this program, or, without one,
//                                    to the Mobivert playlist
//   TrackDrop --ipod MOUNTPOINT FILE to that iPod
//   TrackDrop --check MOUNTPOINT     before a batch: whether the iPod can
//                                    take files, and its database's backup
//
// It prints nothing when all went well, and otherwise one line saying why,
// with a non-zero exit status. Run by a batch (MOBIVERT_BATCH_SHELL=1),
// whose shell reads no exit status, it says "TrackDrop done" once the file
// is in the library: a hand-off that ends without that line (killed,
// crashed) did not add it. There, a file that is not there is one whose
// conversion failed, which the converter reported already: nothing is added
// and nothing printed, with the status 3.
namespace {

bool inBatch() {
    const char *batch = std::getenv("MOBIVERT_BATCH_SHELL");
    return batch && *batch == '1';
}

// The file is in the library.
int done() {
    if (inBatch()) {
        std::puts("TrackDrop done");
        std::fflush(stdout);
    }
    return 0;
}

int fail(std::string message) {
    // One line, whatever a file's name holds.
    for (char &c : message) {
        if (c == '\n' || c == '\r')
            c = '?';
    }
    std::fprintf(stderr, "TrackDrop: %s\n", message.c_str());
    return 1;
}

// The iPod that the batch chose: the file TrackDrop.ipod beside this
// program holds its mount point. Empty when there is none.
std::string chosenIpod() {
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return {};
    std::string mountPoint, ignored;
    const std::string program(self, static_cast<std::size_t>(length));
    trackdrop::readFile(trackdrop::folderOf(program) + "/TrackDrop.ipod", mountPoint, ignored);
    return mountPoint;
}

// libgpod and GLib report through GLib's log and print functions (a
// picture file of the artwork that could not be written, say, while the
// rest went through); TrackDrop's only output is its own line.
void silenceGlib() {
    g_set_print_handler([](const gchar *) {});
    g_set_printerr_handler([](const gchar *) {});
    g_log_set_default_handler([](const gchar *, GLogLevelFlags, const gchar *, gpointer) {},
                              nullptr);
    g_log_set_writer_func(
        [](GLogLevelFlags, const GLogField *, gsize, gpointer) { return G_LOG_WRITER_HANDLED; },
        nullptr, nullptr);
}

} // namespace

int main(int argc, char **argv) {
    silenceGlib();
    // A file-size limit makes a write fail, like a full device, instead of
    // ending the program in the middle of it.
    std::signal(SIGXFSZ, SIG_IGN);
    // A batch paused when the application ends is woken with SIGHUP: the
    // library being written is finished, as it is when the application
    // ends while the batch runs.
    std::signal(SIGHUP, SIG_IGN);

    const std::string first = argc > 1 ? argv[1] : "";
    if (argc == 3 && first == "--check") {
        std::string error;
        if (!trackdrop::prepareIpod(argv[2], error))
            return fail(std::string("the iPod at ") + argv[2] + " cannot take files: " + error);
        return 0;
    }
    std::string ipod, argument;
    if (argc == 4 && first == "--ipod") {
        ipod = argv[2];
        argument = argv[3];
    } else if (argc == 2 && !first.starts_with("--")) {
        if (inBatch() && ::access(first.c_str(), F_OK) != 0 && errno == ENOENT)
            return 3;
        ipod = chosenIpod();
        argument = first;
    } else {
        std::fputs("usage: TrackDrop [--ipod MOUNTPOINT] FILE | TrackDrop --check MOUNTPOINT\n",
                   stderr);
        return 2;
    }

    std::string error;
    const std::string file = trackdrop::absoluteFilePath(argument, error);
    if (file.empty())
        return fail(error);
    if (ipod.empty()) {
        if (!trackdrop::addToPlaylist(trackdrop::musicFolder() + "/Mobivert.m3u8", file, error))
            return fail(error);
        return done();
    }
    if (!trackdrop::addToIpod(ipod, file, error))
        return fail(file + ": not added to the iPod at " + ipod + ": " + error);
    return done();
}
