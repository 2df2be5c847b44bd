#pragma once
// The client as it is installed, run under the shared UI driver (the build's
// own client, or the one under $ZV_CLIENT_DIST/bin): a root of
// its own with bin/ (program, toolkit, browser extension, package) and
// ZvUpdator/zvupdate (a script that writes one line per start), and per run
// a home of its own (configuration and data folders, a working folder, an
// opener that records what the client asked the desktop to open).
#include <memory>
#include <string>
#include <vector>

#include "support/standin.h"
#include "support/ui_driver.h"

namespace clienttest {

// The root-window property a running client names its login window in.
inline constexpr const char* kInstanceMarker = "mutex.zelvio-main.40217755918.by.tovan.reel";

class ClientInstall {
public:
    explicit ClientInstall(bool withPackage = true);
    ~ClientInstall();
    ClientInstall(const ClientInstall&) = delete;
    ClientInstall& operator=(const ClientInstall&) = delete;

    const std::string& root() const { return root_; }
    std::string executable() const { return root_ + "/bin/Zelvio"; }
    // One line per start of the updater: "args=<count> <args...>".
    std::vector<std::string> updaterStarts() const;
    bool waitUpdaterStarts(size_t count, int timeoutMs = 8000) const;

private:
    std::string root_;
};

// Folders of one run of the client.
struct ClientHome {
    ClientHome();
    ~ClientHome();
    ClientHome(const ClientHome&) = delete;
    ClientHome& operator=(const ClientHome&) = delete;

    std::string root, work, config, data, opener, openerLog;
    std::vector<std::string> opened() const;  // URIs given to the opener
    std::string session() const;              // work/.session, empty when absent
    bool hasSession() const;
    void writeSession(const std::string& bytes) const;
};

struct ClientRun {
    std::string display;
    const zvtest::StandIn* platform = nullptr;  // null: the built-in hosts
    std::string apiHost;                        // overrides the platform's API host
    std::string workingFolder;                  // empty: the home's work folder
    bool trace = true;                          // ZELVIO_TRACE (off for measurements)
};

// Starts the installed client with its home on a display.
std::unique_ptr<zvtest::InspectedProgram> StartClient(const ClientInstall& install,
                                                      const ClientHome& home, const ClientRun& run);

// Replaces the text of an edit by typing, as a person would: a click into
// it, End, a backspace per character, the text. False when the edit did not
// end up holding as many characters as typed.
bool TypeInto(zvtest::InspectedProgram& client, zvtest::XInput& input, const std::string& window,
              const std::string& field, const std::string& text);

// Signs in through the login window that is on screen and waits for the main
// window; empty when it came up, else what went wrong (with the client's log).
std::string SignIn(zvtest::InspectedProgram& client, zvtest::XInput& input, const std::string& user,
                   const std::string& password, int timeoutMs = 30000);

// Answers the open message box with a key (XK_Return: OK, XK_Escape:
// Cancel). A box is in the inspection record as soon as the client shows it,
// a moment before the window manager gives it the keyboard, so the key is
// pressed once the box is the active window. Then waits until the window
// manager has taken the box's frame down (a click before that lands on it)
// and moves the pointer away. False when the box did not close.
bool AnswerMessageBox(zvtest::InspectedProgram& client, zvtest::XInput& input,
                      unsigned long keysym);

// Chooses a video file for the media scene as a person would: the
// "btn.push.vod" button, then the path typed into the file dialog once it
// has the keyboard (it has no inspection record: the window manager tells).
// Throws when the dialog does not come up.
void ChooseVideoFile(zvtest::InspectedProgram& client, zvtest::XInput& input,
                     const std::string& path);

// What a whole live session needs: an X server with a window manager, a
// real ingest, the platform stand-in pushing to it, and the installed
// client. Check display.problem() before use.
struct LiveRig {
    zvtest::OwnDisplay display;
    zvtest::Ingest ingest;
    zvtest::StandIn platform{{.rtmpPort = ingest.Port()}};
    ClientInstall install;
};

// The package's text resource (resources/package/resource.xml), its
// character references decoded.
std::string PackageText(const std::string& id);

// Where screenshots go for a person to look at: <build>/test-screens/<name>.png.
std::string ScreenshotPath(const std::string& name);

}  // namespace clienttest
