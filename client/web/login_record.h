#pragma once
// The login record: endpoints, credentials, the login state and the fields of
// the accepted login reply, shared by the login window, the main window and
// the web tasks. The application object owns one for the life of the process.
//
// The worker thread writes it while the window thread polls it, so every
// field is read and written under one lock, and `LoggedIn` is an atomic flag
// stored (release) after every other field of an accepted login: a reader
// that sees it (acquire) also sees the complete reply.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace zv {

// The fields of an accepted login reply. Text is UTF-8.
struct LoginReply {
    std::string nickname;
    std::string avatarUrl;  // "headimage"
    std::string signature;
    std::string chatUrl;
    std::string giftUrl;
    std::string onlineCount;
    std::string roomId;
    std::string loginTime;
    bool allowRecord = false;
    std::string logoUrl;  // "http:" + "logo"
    int32_t logoPosition = 0;
    int32_t logoWidth = 0;   // "lwith"
    int32_t logoHeight = 0;  // "lheight"
};

// Why a login failed, so that the window can say it in the package's words.
enum class LoginFailure {
    kNone,
    kRefused,     // the platform said why: the error message is its "errmsg"
    kNoReason,    // refused without a readable "errmsg"
    kUnreadable,  // the reply was not a JSON object: the error message is the body
};

// The four endpoint addresses of the platform.
struct LoginEndpoints {
    std::string loginUrl;        // API host + "/Api/npushstream/nlogin"
    std::string getUrlUrl;       // route host + "/room/geturl"
    std::string stopRecordUrl;   // route host + "/room/stoprecord"
    std::string startRecordUrl;  // route host + "/room/startrecord"

    static LoginEndpoints FromHosts(const std::string& apiHost, const std::string& routeHost);
};

class LoginRecord {
public:
    LoginRecord() = default;
    LoginRecord(const LoginRecord&) = delete;
    LoginRecord& operator=(const LoginRecord&) = delete;

    // --- Written by the login window before it starts a login task.
    // Starts an attempt: clears logged in and the error message, stores the
    // endpoints and the credentials (UTF-8).
    void BeginAttempt(const LoginEndpoints& endpoints, const std::string& user,
                      const std::string& password);

    // --- Written by the login task.
    void SetAllowRecord(bool allow);
    // A failed attempt: its kind and the platform's text or reply body.
    void SetFailure(LoginFailure failure, const std::string& message = {});
    // Stores every field of an accepted reply (allow record included).
    void SetReply(const LoginReply& reply);
    // Sets logged in; called as the very last step of an accepted login.
    void SetLoggedIn();

    // --- Written by the picture tasks (UTF-16 paths).
    void SetAvatarFile(const std::u16string& path);
    void SetLogoFile(const std::u16string& path);

    // --- Readers, safe from any thread.
    bool LoggedIn() const { return loggedIn_.load(std::memory_order_acquire); }
    LoginFailure Failure() const;
    // The platform's "errmsg", or the unreadable body; empty without one.
    std::string ErrorMessage() const;
    LoginEndpoints Endpoints() const;
    std::string User() const;
    std::string Password() const;
    LoginReply Reply() const;
    std::u16string AvatarFile() const;
    std::u16string LogoFile() const;

private:
    mutable std::mutex mutex_;
    LoginEndpoints endpoints_;
    std::string user_;
    std::string password_;
    LoginFailure failure_ = LoginFailure::kNone;
    std::string errorMessage_;
    LoginReply reply_;
    std::u16string avatarFile_;
    std::u16string logoFile_;
    std::atomic<bool> loggedIn_{false};
};

}  // namespace zv
