#pragma once
// Modal warning box with a row of buttons, shown through SDL. Without a
// display that a person can see it writes the text to standard error and
// answers the default (first) button at once; it never waits for input that
// cannot come.
#include <functional>
#include <string>
#include <vector>

namespace platform {

class MessageDialog {
public:
    // Shows the box and returns the index of the pressed button, or -1 when
    // it was closed without one. Buttons appear left to right in the given
    // order; Return picks the first, Escape the last.
    static int Show(const std::string& caption, const std::string& text,
                    const std::vector<std::string>& buttons);

    // Replaces the on-screen box (tests use this to answer it). An empty
    // presenter restores the real one.
    using Presenter = std::function<int(const std::string& caption, const std::string& text,
                                        const std::vector<std::string>& buttons)>;
    static void SetPresenter(Presenter presenter);

    // Whether a box would reach a screen: a real video driver is in use or
    // could be, and a display server is named in the environment.
    static bool HasVisibleDisplay();
};

}  // namespace platform
