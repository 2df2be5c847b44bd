#pragma once
// libobs start-up and shut-down on this platform: an X11 Display of libobs's
// own (libobs-opengl takes over the event queue of the Display it gets), EGL,
// a real module-configuration folder and an explicit list of plug-in modules
// (loading every module found aborts the process here).
typedef struct _XDisplay Display;

namespace zv {

class ObsRuntime {
public:
    // Starts libobs and loads the engine's modules; check Started().
    ObsRuntime();
    // Shuts libobs down (every libobs object must be released before) and
    // closes the Display.
    ~ObsRuntime();
    ObsRuntime(const ObsRuntime&) = delete;
    ObsRuntime& operator=(const ObsRuntime&) = delete;

    bool Started() const { return started_; }
    int LoadedModules() const { return loadedModules_; }

private:
    Display* display_ = nullptr;
    bool started_ = false;
    int loadedModules_ = 0;
};

// Graphics module of this platform (libobs adds the file suffix).
inline constexpr const char* kGraphicsModule = "libobs-opengl";

}  // namespace zv
