// Reads the system's font configuration on a thread of its own while the
// window system starts. Every window with text waits for that configuration
// before it can be laid out, and reading it needs nothing of the window
// system, so the two need not run one after the other.
#pragma once

#include <thread>

namespace tarnwick {

class FontPreload {
public:
    FontPreload();
    ~FontPreload();
    FontPreload(const FontPreload&) = delete;
    FontPreload& operator=(const FontPreload&) = delete;

    // Waits until the configuration is read. Called before the first text is
    // laid out, so Qt finds it ready rather than reading it a second time.
    void Wait();

private:
    std::thread thread_;
};

}  // namespace tarnwick
