#pragma once

#include "Components/BrannockVideoConverter/Geometry.h"
#include "Components/BrannockVideoConverter/Translation.h"

#include <optional>
#include <string>
#include <vector>

// What reading the options of one command line gathers before the output
// options are written out: the plan so far, the output options as pieces in
// the order of the line, and the facts that decide how some pieces read.
namespace converter {

// One piece of the output options, rendered once the whole line is known.
struct Piece {
    enum class Kind { Tokens, VideoBitRate, Quality, Filters, Tuning };
    Kind kind = Kind::Tokens;
    std::vector<std::string> tokens;
};

struct LineReading {
    Plan plan;
    std::vector<Piece> pieces;
    Geometry geometry;
    std::string videoEncoder; // -vcodec, else the muxer's default
    std::string userFilter;   // -vf
    bool videoEncoderGiven = false;
    bool sameQuality = false;
    bool noVideo = false;
    bool noAudio = false;
    bool muxerNamed = false;   // -f given (not known from the output's extension)
    bool videoEncoded = false; // a picture is encoded, not copied
    bool filtersPlaced = false;
    bool tuningPlaced = false;
    bool updateGiven = false;
    std::optional<double> frameRate;
    std::optional<std::string> videoBitRateText;
    std::vector<std::string> given; // names of the options that pass unchanged
    std::string h264Level;

    // Output options as they are.
    void add(std::vector<std::string> tokens) {
        pieces.push_back({Piece::Kind::Tokens, std::move(tokens)});
    }
    // The filter chain stands where the first option that shapes it stood.
    void placeFilters() {
        if (!filtersPlaced)
            pieces.push_back({Piece::Kind::Filters, {}});
        filtersPlaced = true;
    }
    // The encoder's tuned settings follow its name, so that the line's own
    // options after it win.
    void placeTuning() {
        if (!tuningPlaced)
            pieces.push_back({Piece::Kind::Tuning, {}});
        tuningPlaced = true;
    }
};

} // namespace converter
