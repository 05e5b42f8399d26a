#pragma once

#include "Components/BrannockVideoConverter/PassLogFolder.h"
#include "Components/BrannockVideoConverter/SourceFacts.h"
#include "Components/BrannockVideoConverter/Translation.h"

#include <string>
#include <vector>

namespace converter {

// The plan with the source's cover art (CoverArt.h): added to an MP4 or M4V
// output, or shown by a single picture made with -cover. The picture is
// made in `folder` (created here when needed). Making it never fails the
// conversion: without a picture the plan stays as it is (a -cover picture
// then shows the frame a tenth of the way in), and `notes` says so.
Plan withSourceCover(const std::string &ffmpeg, const Plan &plan, const SourceFacts &facts,
                     PassLogFolder &folder, std::vector<std::string> &notes);

} // namespace converter
