#include "login_record.h"

namespace zv {

LoginEndpoints LoginEndpoints::FromHosts(const std::string& apiHost, const std::string& routeHost) {
    LoginEndpoints e;
    e.loginUrl = apiHost + "/Api/npushstream/nlogin";
    e.getUrlUrl = routeHost + "/room/geturl";
    e.stopRecordUrl = routeHost + "/room/stoprecord";
    e.startRecordUrl = routeHost + "/room/startrecord";
    return e;
}

void LoginRecord::BeginAttempt(const LoginEndpoints& endpoints, const std::string& user,
                               const std::string& password) {
    loggedIn_.store(false, std::memory_order_release);
    std::lock_guard<std::mutex> lock(mutex_);
    failure_ = LoginFailure::kNone;
    errorMessage_.clear();
    endpoints_ = endpoints;
    user_ = user;
    password_ = password;
}

void LoginRecord::SetAllowRecord(bool allow) {
    std::lock_guard<std::mutex> lock(mutex_);
    reply_.allowRecord = allow;
}

void LoginRecord::SetFailure(LoginFailure failure, const std::string& message) {
    std::lock_guard<std::mutex> lock(mutex_);
    failure_ = failure;
    errorMessage_ = message;
}

LoginFailure LoginRecord::Failure() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return failure_;
}

void LoginRecord::SetReply(const LoginReply& reply) {
    std::lock_guard<std::mutex> lock(mutex_);
    reply_ = reply;
}

void LoginRecord::SetLoggedIn() {
    loggedIn_.store(true, std::memory_order_release);
}

void LoginRecord::SetAvatarFile(const std::u16string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    avatarFile_ = path;
}

void LoginRecord::SetLogoFile(const std::u16string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    logoFile_ = path;
}

std::string LoginRecord::ErrorMessage() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return errorMessage_;
}

LoginEndpoints LoginRecord::Endpoints() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return endpoints_;
}

std::string LoginRecord::User() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return user_;
}

std::string LoginRecord::Password() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return password_;
}

LoginReply LoginRecord::Reply() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return reply_;
}

std::u16string LoginRecord::AvatarFile() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return avatarFile_;
}

std::u16string LoginRecord::LogoFile() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return logoFile_;
}

}  // namespace zv
