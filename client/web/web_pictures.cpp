#include "web_pictures.h"

#include <cstdio>
#include <memory>

#include "avatar_image.h"
#include "platform/temp_file.h"
#include "platform/trace.h"
#include "platform/utf.h"

namespace zv {

std::string WriteTempPicture(const std::string& body) {
    const std::optional<std::string> path = MakeTempFile("zvtr", ".png");
    if (!path) {
        ZV_TRACE("WriteTempPicture: no temporary file");
        return std::string();
    }
    struct FileCloser {
        void operator()(FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path->c_str(), "wb"));
    if (!file) {
        ZV_TRACE("WriteTempPicture: cannot open %s", path->c_str());
        return *path;
    }
    if (!body.empty() && std::fwrite(body.data(), 1, body.size(), file.get()) != body.size()) {
        ZV_TRACE("WriteTempPicture: short write to %s", path->c_str());
    }
    return *path;
}

}  // namespace zv

void WebFetchHeaderIcon::Run() {
    Get(record_.Reply().avatarUrl);
    const std::string path = zv::WriteTempPicture(response);
    record_.SetAvatarFile(zv::Utf8ToUtf16(path));
    if (path.empty() || !zv::MakeRoundAvatar(path)) {
        return;
    }
    if (receiver_ != nullptr) {
        receiver_->SetHeadIcon(path);
    }
}

void WebFetchLogoPng::Run() {
    const zv::LoginReply reply = record_.Reply();
    Get(reply.logoUrl);
    const std::string path = zv::WriteTempPicture(response);
    record_.SetLogoFile(zv::Utf8ToUtf16(path));
    if (receiver_ != nullptr) {
        receiver_->SetLogo(path, reply.logoPosition, reply.logoWidth, reply.logoHeight);
    }
}
