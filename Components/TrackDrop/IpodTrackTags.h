#pragma once

#include "Components/TrackDrop/Mp4Tags.h"

#include <gpod/itdb.h>

#include <string>

// What a converted file's tags make of its track on the iPod: the menu it
// is listed in (Movies, TV Shows, Music Videos), its title, its show,
// season and episode, and its artwork.
namespace trackdrop {

// Sets the track's kind, title and, for a TV episode, its show, season and
// episode. A file without tags is a movie (or, without video, a song)
// titled `fallbackTitle`.
void describeFromTags(const Mp4Tags &tags, bool hasVideo, const std::string &fallbackTitle,
                      Itdb_Track *track);

// Gives a track of the database the cover picture as its artwork, when the
// iPod shows artwork and the picture can be read; otherwise the track goes
// without. Returns whether it has it now.
bool setArtwork(Itdb_iTunesDB *database, Itdb_Track *track, const std::string &cover);

} // namespace trackdrop
