#pragma once
// The request handed from the conversion panel to the card contents viewer.

#include <string>

namespace tobrel::app::modMemView {

// Full path of the card image to show, in the file system's own bytes; empty
// when there is nothing to show.
inline std::string strViewPath;
// True when the file is read as a VGS image (64-byte header first).
inline bool blnViewVgs = false;

} // namespace tobrel::app::modMemView
