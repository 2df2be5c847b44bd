#pragma once
// The portal's restore tokens, one file per capture kind in the client's
// configuration folder, so that the desktop asks the user once and later
// grants the same screen or window silently.
#include <string>

#include "capture_problem.h"

namespace zv::screencast {

class RestoreTokens {
public:
    // Tokens kept in `folder` (created on the first save).
    explicit RestoreTokens(std::string folder);
    // The configuration folder of the client ($XDG_CONFIG_HOME/Zelvio).
    static RestoreTokens ForUser();

    // The saved token, or empty when there is none or the file holds
    // something that is not a token.
    std::string Load(CaptureKind kind) const;
    // Replaces the saved token (written whole, then renamed; owner-only).
    // False when it could not be written.
    bool Save(CaptureKind kind, const std::string& token) const;
    void Forget(CaptureKind kind) const;

    std::string PathFor(CaptureKind kind) const;

private:
    std::string folder_;
};

}  // namespace zv::screencast
