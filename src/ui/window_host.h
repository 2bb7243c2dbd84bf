#pragma once
// Window operations the menu and button handlers rely on.

namespace vm {

enum class WindowId { Main, About, Help };

class WindowHost {
  public:
    virtual ~WindowHost() = default;
    // Modeless, no owner: created on first use, brought to the front when shown already.
    virtual void show(WindowId window) = 0;
    // The window disappears but keeps existing, with its position.
    virtual void hide(WindowId window) = 0;
    // Every window closes at once; no further event runs.
    virtual void end() = 0;
};

}  // namespace vm
