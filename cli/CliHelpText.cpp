#include "cli/CliHelpText.h"

#include <QStringList>

namespace {

// The sections of the help, in the order printed. A section holds its
// options with their descriptions, wrapped to 80 columns.

// The command line, and what the program is.
QString introHelp() {
    return QStringLiteral(R"(Usage: mobivert-cli [options] FILE...

Converts video files for a portable device, with the same device profiles,
converter and batch file as the Mobivert window.)");
}

// Choosing the device and its profile.
QString deviceHelp() {
    return QStringLiteral(R"(Device and profile:
  -d, --device NAME        iPod, Zune, PSP or MobilePhone (default: iPod)
  -p, --profile NAME|N     one of the device's profiles, by name or by the
                           number --list-profiles shows (default: the
                           device's default)
      --list-devices       list the devices and stop
      --list-profiles      list the device's profiles and stop)");
}

// The settings a profile fills, each replaceable.
QString settingsHelp() {
    return QStringLiteral(
        R"(Settings (each replaces the profile's value; a value must be one the device
offers, and an invalid one is answered with the list of valid values):
      --audio-codec CODEC     e.g. aac
      --audio-bitrate RATE    e.g. 128 or "128 kbps"
      --sample-rate HZ        e.g. 44100
      --channels CHANNELS     e.g. Stereo, or the channel count
      --no-audio              leave out the sound
      --video-codec CODEC     e.g. h264
      --size WxH              a size of the device's list, or a custom one
                              (even whole numbers, e.g. 400x240, at least
                              16x16; H.263 takes only 128x96, 176x144,
                              352x288, 704x576 and 1408x1152)
      --video-bitrate RATE    e.g. 768 or "768 kbps"
      --frame-rate FPS        e.g. 25
      --no-video              leave out the picture (sound only)
      --same-quality          keep the source's quality instead of a bit rate
      --no-same-quality       use the video bit rate
      --keep-aspect           fit the picture into the frame without distortion
      --no-keep-aspect        stretch the picture to the frame size
  Sizes and bit rates above what the video codec allows are refused.)");
}

// Where the files go, and which part of each.
QString outputHelp() {
    return QStringLiteral(R"(Output:
  -o, --output DIR         the output folder (default: the one the Mobivert
                           window uses); created when missing
      --trim START-END     convert only this part of every file, as
                           HH:MM:SS-HH:MM:SS (e.g. 00:01:00-00:02:30)
      --two-pass           encode the video twice: better quality at the same
                           size, about twice the time
      --fit SIZE           choose the video bit rate so that all converted files
                           together fill 97% to 100% of SIZE, in two passes:
                           700M, 2G (decimal, as device makers count) or 650MiB;
                           a size too small even for the lowest bit rate is
                           refused with the size that would do)");
}

// What to take from each source: its picture, sound and subtitle tracks.
QString sourceHelp() {
    return QStringLiteral(R"(      --deinterlace auto|on|off
                           auto (the default) deinterlaces the files that are
                           interlaced (TV recordings, DVDs); on and off decide
                           for every file
      --audio-track N|LANGUAGE
                           the sound track of every file: its number among
                           the file's sound tracks (1 is the first) or its
                           language (en, fra); default: the file's default
                           track
      --burn-subtitles[=TRACK]
                           draw subtitles into the picture: the default
                           subtitle track, or TRACK (a number among the
                           file's subtitle tracks, or a language); files
                           without subtitles are converted as they are)");
}

// What the device lists each file as, and whether a suiting video is copied.
QString descriptionHelp() {
    return QStringLiteral(R"(      --kind movie|tv|music-video
                           what the file is: the device lists it under
                           Movies, TV Shows or Music Videos (default: a name
                           like "Show S02E05 Title", "Show 2x05" or
                           "Show - 205" is a TV episode, any other a movie)
      --title TEXT         the title the device shows (default: from the name)
      --show TEXT, --season N, --episode N
                           a TV episode's show, season and episode (default:
                           from the name); any of them makes the file a TV
                           episode. --kind is for every file given, the
                           title, show, season and episode for one file
      --always-encode      re-encode every video, even one that already suits
                           the device (by default such a video is copied as
                           it is: faster, and without any loss))");
}

// What goes onto the device, and how many files at once.
QString deviceOutputHelp() {
    return QStringLiteral(
        R"(      --add-to-library     iPod: also add each converted file to the connected
                           iPod (copied onto it and listed in its own
                           database, backed up first); with no iPod
                           connected, to the playlist Mobivert.m3u8 in your
                           music folder
      --ipod MOUNTPOINT    iPod: the iPod to add the files to, for example
                           when several are connected (implies
                           --add-to-library)
      --memory-stick       PSP: save into the connected Memory Stick's
                           MP_ROOT/100MNV01 (MPEG-4) or MP_ROOT/100ANV01
                           (H.264), created when missing, instead of --output
      --thumbnails         PSP: write a thumbnail (.thm) beside each video
      --psp-number N       PSP: the number of the first file (default: 1);
                           the last file's number must not pass 99999
  -j, --jobs N|auto        how many files to convert at once, 1 to 8; auto
                           (the default) keeps every core busy, from the
                           number of cores, the video codec and frame size)");
}

// What to do instead of converting.
QString modesHelp() {
    return QStringLiteral(R"(What to do instead of converting:
      --dry-run            print the batch file that would run (with several
                           files at once, each one's batch file in turn),
                           then what the converter will do for each source
                           ("Adapted to the source: ...: rotated 90°")
      --info               print each file's name, codec, duration and frame
                           size, tab-separated, one line per file; a
                           backslash, tab, newline or carriage return in a
                           field is written as \\, \t, \n or \r
      --preview TIME       convert 3 seconds around TIME (HH:MM:SS or seconds)
                           of each file and write the source frame and the
                           converted frame there as NAME-source.png and
                           NAME-preview.png into --output (default: the
                           current folder), with the converted picture's
                           size, bit rate and output size per minute
      --resume             convert the files the last interrupted batch (of the
                           window or of mobivert-cli) did not convert, with its
                           settings and output folder, from its record in
                           ~/.config/Brannock Software/Mobivert, after adding
                           first its converted files whose addition to the
                           iPod (or playlist) was cut off or failed; prints
                           "Nothing to resume." when there is none, and
                           fails when the record cannot be read
      --json               write progress and results as JSON objects, one
                           per line, for other programs
  -h, --help               show this help
  -v, --version            show the version)");
}

// What the program never does, and its exit statuses.
QString notesHelp() {
    return QStringLiteral(R"(Existing files are never replaced: a second holiday.m4v becomes
"holiday (2).m4v", and PSP file numbers continue after the highest M4V or
MAQ number already in the output folder; past 99999, which the PSP does not
list, the lowest numbers free there are taken. Ctrl+C stops the conversion;
files converted before it are kept, nothing half-written is left behind. A
batch cut short by a crash, a logout (SIGTERM) or a closed terminal (SIGHUP)
can be taken up again with --resume.

Exit status: 0 when every file was converted, 1 when a conversion failed,
2 for invalid options or values, 130 after Ctrl+C and 143 after SIGTERM.)");
}

// Examples.
QString examplesHelp() {
    return QStringLiteral(R"(Examples:
  mobivert-cli holiday.avi
  mobivert-cli --device PSP --profile 2 --thumbnails -o ~/psp *.avi
  mobivert-cli --device PSP --memory-stick --thumbnails clip.avi
  mobivert-cli --add-to-library holiday.avi
  mobivert-cli --device Zune --video-bitrate 1500 --dry-run clip.mpg
  mobivert-cli --device PSP --fit 1G --output ~/psp *.avi
  mobivert-cli --audio-track fra --burn-subtitles=en --deinterlace on film.mkv)");
}

} // namespace

QString CliHelpText() {
    // The output options run on under one heading.
    const QString output =
        QStringList{outputHelp(), sourceHelp(), descriptionHelp(), deviceOutputHelp()}.join(u'\n');
    return QStringList{introHelp(), deviceHelp(), settingsHelp(), output,
                       modesHelp(), notesHelp(),  examplesHelp()}
               .join(QStringLiteral("\n\n")) +
           u'\n';
}
