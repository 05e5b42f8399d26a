#pragma once

#include <string>

// Text subtitles as the converter burns them in: an ASS script whose font
// sizes and effects are no larger than the frame can show. A font taller
// than the frame, a blur, border or shadow wider than a tenth of it draws
// nothing more that can be seen, yet makes the renderer allocate bitmaps of
// many gigabytes ("<font size=99999>" in an SRT file, "\fs3000\blur50" in
// an ASS file). Sizes are counted in the script's own frame (PlayResX x
// PlayResY, 384x288 where it names none).
namespace converter {

struct TamedSubtitles {
    std::string script;
    bool changed = false; // some size or effect was lowered
};

// Lowers in the styles and in the events' override tags: font sizes (Fontsize,
// \fs) to the frame's height; scaling (ScaleX, ScaleY, \fscx, \fscy) to 400%;
// letter spacing (Spacing, \fsp) to a tenth of the frame's width; blur (\blur,
// \be) to 20; borders and shadows (Outline, Shadow, \bord, \shad and their x
// and y forms) to a tenth of the frame's height. Everything else stays as it is.
TamedSubtitles tameSubtitles(const std::string &script);

} // namespace converter
