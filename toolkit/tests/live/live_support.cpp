#include "live_support.h"

namespace live {

GalleryProcess::GalleryProcess(const std::string& display, const std::vector<std::string>& args) {
    zvtest::ProgramOptions o;
    o.argv = {ZUDOZ_GALLERY};
    o.argv.insert(o.argv.end(), args.begin(), args.end());
    o.env = {{"DISPLAY", display}};
    program_ = std::make_unique<zvtest::InspectedProgram>(o);
}

bool GalleryProcess::waitShown(int timeoutMs) const {
    // The status line is laid out last: below it nothing moves any more.
    return program_->waitShown(kWindow, timeoutMs) &&
           WaitFor([&] { return control("l.status")["client"]["height"].asInt() > 0; }, timeoutMs);
}

}  // namespace live
